#include "cl_Classes/NumberReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace drovix {
namespace {

TEST(NumberReader, Integers) {
  static const struct {
    const char* text;
    bool read;
    int64_t value;
  } cases[] = {
      {"0", true, 0},
      {"007", true, 7},
      {"+12", true, 12},
      {"-12", true, -12},
      {"+-12", true, -12},  // the script's old reading
      {"++12", false, 0},
      {"--12", false, 0},
      {"-+12", false, 0},
      {"+", false, 0},
      {"-", false, 0},
      {"", false, 0},
      {" 1", false, 0},
      {"1 ", false, 0},
      {"1.0", false, 0},
      {"1e2", false, 0},
      {"0x10", false, 0},
      {"9223372036854775807", true, INT64_MAX},
      {"-9223372036854775808", true, INT64_MIN},
      {"9223372036854775808", false, 0},
  };
  for (const auto& c : cases) {
    int64_t v = 0;
    EXPECT_EQ(ReadDecimalInteger(c.text, v), c.read) << c.text;
    if (c.read) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  // A NUL ends nothing: the whole text must be the number.
  int64_t v = 0;
  EXPECT_FALSE(ReadDecimalInteger(std::string("5\0", 2), v));
}

TEST(NumberReader, Numbers) {
  static const struct {
    const char* text;
    bool read;
    long double value;
  } cases[] = {
      {"1", true, 1},      {"+1.5", true, 1.5L}, {"-0.25", true, -0.25L}, {".5", true, 0.5L},
      {"5.", true, 5},     {"1e1", true, 10},    {"2.5E-1", true, 0.25L}, {"1e+2", true, 100},
      {".", false, 0},     {"", false, 0},       {"1e", false, 0},        {"1e+", false, 0},
      {"1.2.3", false, 0}, {"+-1", false, 0},    {"inf", false, 0},       {"nan", false, 0},
      {"0x1p3", false, 0}, {"1,5", false, 0},    {" 1", false, 0},        {"1 ", false, 0},
  };
  for (const auto& c : cases) {
    long double v = 0;
    EXPECT_EQ(ReadDecimalNumber(c.text, v), c.read) << c.text;
    if (c.read) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
  // Each type gets its own correctly rounded value, not a rounded long double.
  float f = 0;
  ASSERT_TRUE(ReadDecimalNumber("1.33", f));
  EXPECT_EQ(f, 1.33f);
  long double l = 0;
  ASSERT_TRUE(ReadDecimalNumber("1.33", l));
  EXPECT_EQ(l, 1.33L);
}

}  // namespace
}  // namespace drovix
