// The font sheets made from TrueType faces: every Russian letter fits its
// cell, descenders included; FreeType missing is named in the message.
#include "drovix_graph/typeset/FontSheetMaker.h"

#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/typeset/FreeTypeSupport.h"

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

// The library is opened on the first face; when it or one of its entry
// points is missing the face is refused with a message naming the library,
// and the next face tries again.
TEST(FontSheetMaker, MissingFreeTypeIsNamedAndTheNextFaceTriesAgain) {
  const std::string face = kDejaVu + "DejaVuSans.ttf";
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"/nonexistent/libfreetype.so.6",
       Ru("Не удалось загрузить /nonexistent/libfreetype.so.6,\n\rа без этой библиотеки шрифты "
          "TrueType/OpenType не открыть (шрифт \"") +
           face + "\")."},
      {"libz.so.1", Ru("Не удалось загрузить процедуру FT_Init_FreeType из библиотеки libz.so.1")},
  };
  for (const auto& c : cases) {
    SetFreeTypeFileForTesting(c.file);
    try {
      MakeFontSheet(face, {});
      ADD_FAILURE() << c.file << ": no error";
    } catch (const EDrovixError& e) {
      EXPECT_EQ(e.what(), c.message) << c.file;
    }
  }
  SetFreeTypeFileForTesting(kLibFreeTypeFile);
  EXPECT_GT(MakeFontSheet(face, {}).drawn, 150);
}

}  // namespace
}  // namespace drovix
