// The font sheets made from TrueType faces: every Russian letter fits its
// cell, descenders included.
#include "drovix_graph/typeset/FontSheetMaker.h"

#include <gtest/gtest.h>

#include <string>

namespace drovix {
namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

TEST(FontSheetMaker, EveryLetterFitsAndDescendersStayInTheCell) {
  const FontSheet sheet = MakeFontSheet(kDejaVu + "DejaVuSans-Bold.ttf", {});
  for (int code : sheet.clipped) EXPECT_LT(code, 0xC0) << code;  // no Russian letter is cut
  // The descender of Щ (cell row 13, column 9) reaches below the baseline.
  const int top = 13 * 32, left = 9 * 32;
  bool below = false;
  for (int y = sheet.baseline + 1; y < 32; ++y)
    for (int x = 0; x < 32; ++x) below |= sheet.pixels[(top + y) * 512 + left + x] < 128;
  EXPECT_TRUE(below);
}

}  // namespace
}  // namespace drovix
