// Typesetting a balloon entry into the page scan: the balloon class chosen
// by the text and the script, and the failure path through error marking.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/ScanTestUtil.h"
#include "drovix_graph/typeset/FontSheet.h"

namespace drovix {
namespace {

using scan_test::Rgba;
using scan_test::SplitScan;

class TypesetBalloonTest : public ::testing::Test {
 protected:
  // A white page of 200 x 200 whose FillMask holds the balloon "just found":
  // rows 10..189, columns 10..189, minus `hole`.
  std::unique_ptr<TDrovixMangaScan> Page(const std::function<bool(int32_t, int32_t)>& hole) {
    auto scan = SplitScan(
        200, 200, [](int32_t, int32_t) { return Rgba(255, 255, 255); }, dir.File("page"));
    for (int32_t y = 0; y < 200; ++y)
      for (int32_t x = 0; x < 200; ++x)
        scan->FillMask->Pixel(y, x) = y >= 10 && y <= 189 && x >= 10 && x <= 189 && !hole(y, x) ? 1 : 0;
    scan->MinX = scan->MinY = 10;
    scan->MaxX = scan->MaxY = 189;
    scan->BalloonNumber = 3;
    return scan;
  }
  std::unique_ptr<TDrovixMangaScan> Page() {
    return Page([](int32_t, int32_t) { return false; });
  }

  void Typeset(TDrovixMangaScan& scan, const std::string& text, bool hardcore = false,
               int32_t fontSize = 17) {
    testing::internal::CaptureStdout();
    try {
      scan.TypesetBalloon(text, fonts, "", {.FontSize = fontSize}, "%0,0,0.7,", 255, hardcore);
    } catch (...) {
      testing::internal::GetCapturedStdout();
      throw;
    }
    testing::internal::GetCapturedStdout();
  }

  // Ink rows of the page within columns [x0, x1): first and last, or -1.
  static std::pair<int32_t, int32_t> InkRows(const TDrovixMangaScan& scan, int32_t x0, int32_t x1) {
    int32_t first = -1, last = -1;
    for (int32_t y = 0; y < scan.Height(); ++y)
      for (int32_t x = x0; x < x1; ++x)
        if (scan.Pixel(y, x) < 128) {
          if (first < 0) first = y;
          last = y;
        }
    return {first, last};
  }
  // Ink columns of the page: first and last.
  static std::pair<int32_t, int32_t> InkColumns(const TDrovixMangaScan& scan) {
    int32_t first = scan.Width(), last = -1;
    for (int32_t y = 0; y < scan.Height(); ++y)
      for (int32_t x = 0; x < scan.Width(); ++x)
        if (scan.Pixel(y, x) < 128) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    return {first, last};
  }

  typeset_test::TTempDir dir;
  TArrayofFont fonts = typeset_test::StandardFonts(dir);
};

TEST_F(TypesetBalloonTest, TextIsLaidIntoTheBalloon) {
  auto scan = Page();
  Typeset(*scan, Ru("Привет, мир!%А"));
  const auto [left, right] = InkColumns(*scan);
  const auto [top, bottom] = InkRows(*scan, 0, 200);
  ASSERT_GE(right, left);
  EXPECT_GE(left, 10);
  EXPECT_LE(right, 189);
  EXPECT_GE(top, 10);
  EXPECT_LE(bottom, 189);
  EXPECT_GT(right - left, bottom - top);  // horizontal lines
}

TEST_F(TypesetBalloonTest, TextChoosesTheDirectionOfItsColumns) {
  // One short and one long column: which side the short one stands on tells
  // the direction.
  const std::string text = Ru("а%Адвад%А");
  const struct {
    std::string prefix;
    bool hardcore;
    bool shortOnTheRight;
  } cases[] = {
      {Ru("%В"), false, false},
      {Ru("%Х"), false, true},
      {"", true, true},
      {Ru("%В"), true, true},  // the script's choice wins over "%В"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << Cp1251ToUtf8(c.prefix) << c.hardcore);
    auto scan = Page();
    Typeset(*scan, c.prefix + text, c.hardcore, 34);
    const auto [left, right] = InkColumns(*scan);
    ASSERT_GT(right, left);
    const int32_t middle = (left + right + 1) / 2;
    const auto leftRows = InkRows(*scan, left, middle);
    const auto rightRows = InkRows(*scan, middle, right + 1);
    const int32_t leftLength = leftRows.second - leftRows.first;
    const int32_t rightLength = rightRows.second - rightRows.first;
    EXPECT_EQ(rightLength < leftLength, c.shortOnTheRight);
  }
}

TEST_F(TypesetBalloonTest, FailureMarksTheWholeBalloonAndSavesTheErrorPage) {
  // A hole inside the balloon (a letter left unmarked) belongs to its shape.
  auto scan = Page([](int32_t y, int32_t x) { return y >= 50 && y <= 60 && x >= 50 && x <= 60; });
  std::string message;
  try {
    Typeset(*scan, Ru("да %Мслово"), false, 8);
  } catch (const EDrovixError& e) {
    message = e.what();
  }
  const std::string minSize =
      Ru("При попытке впихнуть текст в балон №3, при уменьшении масштаба до 100%,\n\r "
         "произошло нарушение минимального размера шрифта (8)\n\r в слове №2 (\"слово\").");
  EXPECT_EQ(message.substr(0, minSize.size()), minSize);
  EXPECT_EQ(scan->FillMask->Pixel(55, 55), 1);
  EXPECT_EQ(scan->FillMask->Pixel(5, 5), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("_error.bmp")));
}

TEST_F(TypesetBalloonTest, EmptyMaskIsRefusedThroughErrorMarking) {
  auto scan = Page([](int32_t, int32_t) { return true; });
  std::string message;
  try {
    Typeset(*scan, Ru("слово"));
  } catch (const EDrovixError& e) {
    message = e.what();
  }
  const std::string refused =
      Ru("Балон №3 пустой: в его разметке нет ни одной точки, куда можно вписать текст.");
  EXPECT_EQ(message.substr(0, refused.size()), refused);
  EXPECT_TRUE(std::filesystem::exists(dir.File("_error.bmp")));
}

}  // namespace
}  // namespace drovix
