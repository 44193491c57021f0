#include "drovix_parser/script/CommandTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace drovix {
namespace {

// Every row that stores a value names the field it goes into, and no two
// commands share a keyword.
TEST(CommandTable, RowsAreComplete) {
  std::set<std::string> keywords;
  for (int c = CBEGIN; c < NOTACOMMAND; ++c) {
    const auto command = static_cast<TCommand>(c);
    const TCommandInfo& info = CommandInfo(command);
    switch (info.Value) {
      case TCommandValue::Integer:
        EXPECT_NE(info.Integer, nullptr) << c;
        EXPECT_LE(info.Lo, info.Hi) << c;
        break;
      case TCommandValue::Number:
        EXPECT_NE(info.Number, nullptr) << c;
        EXPECT_LE(info.Lo, info.Hi) << c;
        break;
      case TCommandValue::Constant:
        EXPECT_NE(info.Integer, nullptr) << c;
        break;
      case TCommandValue::Own:
        break;
    }
    // A command that stores a value is applied in the script head too.
    if (info.Value != TCommandValue::Own) {
      EXPECT_TRUE(info.Place & PHEAD) << c;
    }
    EXPECT_TRUE(keywords.insert(CommandKeyword(command)).second) << c;
  }

  TCommand found = NOTACOMMAND;
  ASSERT_TRUE(LookUpCommand(CommandKeyword(CLINESPACING), found));
  EXPECT_EQ(found, CLINESPACING);
  ASSERT_TRUE(LookUpCommand("", found));
  EXPECT_EQ(found, CBALON);
  EXPECT_FALSE(LookUpCommand("NO_SUCH_COMMAND", found));
}

}  // namespace
}  // namespace drovix
