#include "drovix_parser/script/TextHelpers.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

TEST(UpperCaseCyr, EveryLowerCaseLetterOfTheCodePage) {
  const std::string lower = Ru("abcxyzабвгдежзийклмнопрстуфхцчшщъыьэюяёѓђљњќћџўіґєјѕї");
  const std::string upper = Ru("ABCXYZАБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯЁЃЂЉЊЌЋЏЎІҐЄЈЅЇ");
  ASSERT_EQ(lower.size(), upper.size());
  EXPECT_EQ(UpperCaseCyr(lower), upper);
  EXPECT_EQ(UpperCaseCyr(upper), upper);
  // Everything else is left alone, among it signs that sit near the letters.
  const std::string other = Ru("09_-%()[]№«»—…µ¶·°±") + std::string("\x01\x7F", 2);
  EXPECT_EQ(UpperCaseCyr(other), other);
  int changed = 0;
  for (int b = 0; b < 256; ++b) changed += UpperCaseCyrChar(static_cast<char>(b)) != static_cast<char>(b);
  EXPECT_EQ(changed, 26 + 33 + 14);
}

TEST(TextHelpers, TrimAndRemoveChars) {
  EXPECT_EQ(Trim(std::string("\0 \t a b \r\n\x1F", 10)), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(RemoveChars("%1\r\n%2 %", "\n\r%"), "12 ");
  EXPECT_EQ(RemoveChars("abc", ""), "abc");
}

TEST(TextHelpers, ReplaceAllRescansFromTheStart) {
  EXPECT_EQ(ReplaceAll("aaab", "ab", "b"), "b");  // each replacement makes a new "ab"
  EXPECT_EQ(ReplaceAll("a  b   c", "  ", " "), "a b c");
  EXPECT_EQ(ReplaceAll("xyz", "q", "w"), "xyz");
  EXPECT_EQ(ReplaceAll("abab", "ab", ""), "");
  // New text holding the old one: replaced once, left to right, without looping.
  EXPECT_EQ(ReplaceAll("a_b", "_", "__"), "a__b");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
}

TEST(TextHelpers, ExtractField) {
  static const struct {
    const char* text;
    int n;
    const char* field;
  } kCases[] = {
      {"a, b ,c", 0, "a"}, {"a, b ,c", 1, "b"}, {"a, b ,c", 2, "c"}, {"a, b ,c", 3, ""},
      {"a,,c", 1, ""},     {"a,,c", 2, "c"},    {"", 0, ""},         {"one\r\ntwo, x", 0, "one  two"},
      {",", 1, ""},        {"%1%2%3", 0, ""},   {"%1%2%3", 3, "3"},  {"a", -1, ""},
  };
  for (const auto& c : kCases) {
    const std::string delimiters = std::string(c.text).find('%') != std::string::npos ? "%" : ",";
    EXPECT_EQ(ExtractField(c.text, c.n, delimiters), c.field) << c.text << " #" << c.n;
  }
  EXPECT_EQ(ExtractField("a;b,c", 1, ",;"), "b");
  EXPECT_EQ(ExtractField("a\nb", 1, "\n"), "");  // a line break is a blank, not a delimiter
}

TEST(TextHelpers, FreeQuietlySwallowsFailures) {
  struct Throws {
    ~Throws() noexcept(false) { throw 1; }
  };
  auto p = std::make_unique<Throws>();
  FreeQuietly(p);
  EXPECT_EQ(p, nullptr);
  std::unique_ptr<int> none;
  FreeQuietly(none);
}

}  // namespace
}  // namespace drovix
