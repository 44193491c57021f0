#include "cl_Dyna/TDyna.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace drovix {
namespace {

TEST(TDyna, EmptyArrays) {
  TAOI a;
  EXPECT_EQ(a.Count(), 0);
  EXPECT_EQ(a.High(), -1);
  EXPECT_EQ(a.Data(), nullptr);
  TAOS s;
  s.SetCount(3);
  EXPECT_EQ(s.Data(), nullptr);  // strings are never exposed as raw memory
  T2DAOI g;
  g.SetSize(2, 2);
  EXPECT_EQ(g.Data(), nullptr);
}

TEST(TDyna, AddReturnsTheNewIndex) {
  TAOF a;
  EXPECT_EQ(a.Add(1.5f), 0);
  EXPECT_EQ(a.Add(2.5f), 1);
  EXPECT_EQ(a.Add(3.5f), 2);
  EXPECT_EQ(a.Count(), 3);
  EXPECT_EQ(a.Last(), 3.5f);
  a.SetLast(4.0f);
  EXPECT_EQ(a.Items(2), 4.0f);
  EXPECT_EQ(static_cast<float*>(a.Data())[1], 2.5f);
}

// Growing fills zeros; shrinking and growing again does not bring old values back.
template <class A>
void ExpectZeroOnRegrow(typename A::value_type v) {
  A a;
  a.SetCount(2);
  EXPECT_EQ(a.Items(0), typename A::value_type{});
  a.Put(0, v);
  a.Put(1, v);
  a.Shrink();
  a.Grow();
  a.SetCount(4);
  EXPECT_EQ(a.Items(0), v);
  for (int32_t i = 1; i < 4; ++i) EXPECT_EQ(a.Items(i), typename A::value_type{}) << i;
}

TEST(TDyna, RegrowGivesZeroElements) {
  ExpectZeroOnRegrow<TAOI>(-7);
  ExpectZeroOnRegrow<TAOC>(7u);
  ExpectZeroOnRegrow<TAOF>(0.25f);
  int x = 0;
  ExpectZeroOnRegrow<TAOP>(&x);
  ExpectZeroOnRegrow<TAOS>("text");
  TObject o;
  ExpectZeroOnRegrow<TAOO>(&o);
}

TEST(TDyna, ZeroAllAndSetSizeOnOneDimension) {
  TAOI a;
  a.SetSize(4, 99);  // m ignored
  EXPECT_EQ(a.Count(), 4);
  a.Put(3, 5);
  a.ZeroAll();
  EXPECT_EQ(a.Items(3), 0);
  EXPECT_EQ(a.Count(), 4);
}

TEST(TDyna, TwoDimensionalRows) {
  T2DAOI g;
  g.SetSize(3, 5);
  ASSERT_EQ(g.Count(), 3);
  for (int32_t y = 0; y < 3; ++y) {
    ASSERT_EQ(g.Row(y).Count(), 5);
    for (int32_t x = 0; x < 5; ++x) EXPECT_EQ(g.Row(y)[x], 0);
  }
  g.Row(2)[4] = 9;
  g.SetCount(4);  // a fourth, empty row; the others untouched
  EXPECT_EQ(g.Row(3).Count(), 0);
  EXPECT_EQ(g.Row(2)[4], 9);
  EXPECT_EQ(g.LastRow().Count(), 0);
  g.SetCount(2);
  EXPECT_EQ(g.Count(), 2);
  g.SetCount(3);  // the freed third row does not come back
  EXPECT_EQ(g.Row(2).Count(), 0);
  g.Row(0)[1] = 4;
  g.ZeroAll();
  EXPECT_EQ(g.Row(0)[1], 0);
  // Rows may differ in length until SetSize makes them equal.
  g.SetSize(2, 1);
  EXPECT_EQ(g.Row(1).Count(), 1);
  EXPECT_EQ(g.Count(), 2);
}

TEST(TDyna, SetRowHandsBackThePreviousRow) {
  T2DAOS g;
  g.SetSize(2, 1);
  g.Row(1)[0] = "old";
  auto row = std::make_unique<TAOS>();
  row->Add("new");
  std::unique_ptr<TAOS> previous = g.SetLastRow(std::move(row));
  ASSERT_TRUE(previous);
  EXPECT_EQ(previous->Items(0), "old");
  EXPECT_EQ(g.Row(1)[0], "new");
}

// Counts its destructions.
class Tracked : public TObject {
 public:
  explicit Tracked(int& freed) : freed_(freed) {}
  ~Tracked() override { ++freed_; }

 private:
  int& freed_;
};

TEST(TDyna, NonOwningObjectArrayFreesNothing) {
  int freed = 0;
  Tracked a(freed), b(freed);
  {
    TAOO list;
    list.Add(&a);
    list.Add(&b);
    list.Put(0, &b);  // overwriting never frees
    list.Shrink();
    list.ZeroAll();
  }
  EXPECT_EQ(freed, 0);
}

TEST(TDyna, OwningObjectArrayFreesWhatItDrops) {
  int freed = 0;
  // The array takes ownership of the raw references it is given.
  auto make = [&freed] { return std::make_unique<Tracked>(freed).release(); };
  {
    TAOO list;
    list.OwnsObjects = true;
    for (int i = 0; i < 4; ++i) list.Add(make());
    list.SetCount(3);
    EXPECT_EQ(freed, 1);
    std::unique_ptr<TObject> taken(list.Items(0));
    list.Put(0, nullptr);  // a nil element is skipped when freeing
    taken.reset();
    EXPECT_EQ(freed, 2);
    list.ZeroAll();
    EXPECT_EQ(freed, 4);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Items(1), nullptr);
    list.Put(1, make());
  }
  EXPECT_EQ(freed, 5);  // the destructor frees the rest
}

}  // namespace
}  // namespace drovix
