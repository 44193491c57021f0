#include "cl_Classes/TStringListWithIDs.h"

#include <gtest/gtest.h>

namespace drovix {
namespace {

TEST(TStringListWithIDs, IdsBeyondTheLastLineUseTheLastLine) {
  TStringListWithIDs list;
  list.Add("a", 3);
  list.Add("b", 7);
  EXPECT_EQ(list.GetID(0), 3);
  EXPECT_EQ(list.GetID(1), 7);
  EXPECT_EQ(list.GetID(2), 7);
  EXPECT_EQ(list.GetID(100), 7);
  list.SetID(5, 9);
  EXPECT_EQ(list.GetID(1), 9);
  EXPECT_EQ(list.GetID(0), 3);
  list.Delete(0);
  EXPECT_EQ(list.Strings(0), "b");
  EXPECT_EQ(list.GetID(0), 9);
}

TEST(TStringListWithIDs, EmptyListHasNoLineNumber) {
  TStringListWithIDs list;
  EXPECT_EQ(list.GetID(0), 0);
  list.SetID(0, 5);  // nothing to store into
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.AsOneLine(), "");
}

TEST(TStringListWithIDs, AsOneLineJoinsWithBlanksAndTrims) {
  TStringListWithIDs list;
  list.Add("  \t(%0,0,0.7)", 1);
  list.Add("", 2);
  list.Add("(%255,3,1)\r\n", 3);
  EXPECT_EQ(list.AsOneLine(), "(%0,0,0.7)  (%255,3,1)");
}

}  // namespace
}  // namespace drovix
