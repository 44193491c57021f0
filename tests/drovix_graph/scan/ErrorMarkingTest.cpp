// Error marking: the ERROR stamp on grey and colour pages, and the saved
// _error.bmp with the message raised after it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "ScanTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

using scan_test::ErrorBmpNote;
using scan_test::ReadBmp;
using scan_test::Rgba;
using scan_test::SplitScan;
using scan_test::TTempDir;

// Rows 1 to 5 of the pattern as drawn ("ERROR"); rows 0, 6 and 7 are empty.
const char* const kPattern[8] = {
    "................................", "...####.####..####...##..####...",
    "...#....#...#.#...#.#..#.#...#..", "...###..####..####..#..#.####...",
    "...#....#.#...#.#...#..#.#.#....", "...####.#..#..#..#...##..#..#...",
    "................................", "................................",
};
int32_t Bit(int32_t y, int32_t x) { return kPattern[y % 8][x % 32] == '#' ? 1 : 0; }

TEST(ErrorPatternTest, SpellsErrorInEightByThirtyTwoTiles) {
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < 70; ++x) ASSERT_EQ(ErrorPatternBit(y, x), Bit(y, x)) << y << "," << x;
}

// Region: the plane above the threshold 7 in the right half (8 is in, 7 is out).
std::unique_ptr<TDrovixGraph> HalfRegion(int32_t h, int32_t w) {
  auto plane = std::make_unique<TDrovixGraph>();
  plane->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) plane->Pixel(y, x) = x >= w / 2 ? 8 : 7;
  return plane;
}

TEST(MarkErrorAreaTest, GreyPageGetsBlackLettersOnWhiteAndHalvedContrastElsewhere) {
  const int32_t h = 10, w = 64;
  auto scan = SplitScan(h, w, [](int32_t y, int32_t x) {
    const int32_t v = (x * 4 + y) % 256;
    return Rgba(v, v, v);
  });
  auto region = HalfRegion(h, w);
  testing::internal::CaptureStdout();
  scan->MarkErrorArea(*region, 7);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), ".otmechaju oblast6 oshibki...");
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int32_t v = (x * 4 + y) % 256;
      const int32_t expected = x >= w / 2 ? 255 - 255 * Bit(y, x) : (v - 128) / 2 + 128;
      ASSERT_EQ(scan->Pixel(y, x), expected) << y << "," << x;
    }
  // Halving towards 128 truncates toward zero on both sides.
  EXPECT_EQ(scan->Pixel(0, 0), 64);    // 0
  EXPECT_EQ(scan->Pixel(1, 0), 65);    // 1: -127 / 2 = -63
  EXPECT_EQ(scan->Pixel(3, 31), 128);  // 127: -1 / 2 = 0
}

TEST(MarkErrorAreaTest, ColourPageGetsBlueLettersOnRedAndWashedOutElsewhere) {
  const int32_t h = 8, w = 64;
  auto scan = SplitScan<TDrovixColorMangaScan>(
      h, w, [](int32_t y, int32_t x) { return Rgba(x, 2 * x + y, 255 - x); });
  auto region = HalfRegion(h, w);
  testing::internal::CaptureStdout();
  scan->MarkErrorArea(*region, 7);
  testing::internal::GetCapturedStdout();
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      SCOPED_TRACE(testing::Message() << y << "," << x);
      if (x >= w / 2) {
        ASSERT_EQ(scan->Pixel(y, x), 255 * Bit(y, x));
        ASSERT_EQ(scan->GreenPlane->Pixel(y, x), 0);
        ASSERT_EQ(scan->RedPlane->Pixel(y, x), 255 - 255 * Bit(y, x));
      } else {
        ASSERT_EQ(scan->Pixel(y, x), (255 - x) / 2 + 128);
        ASSERT_EQ(scan->GreenPlane->Pixel(y, x), (2 * x + y) / 2 + 128);
        ASSERT_EQ(scan->RedPlane->Pixel(y, x), x / 2 + 128);
      }
    }
}

TEST(ReportErrorTest, SavesTheMarkedPageBesideTheScanAndRaisesWithTheNote) {
  TTempDir dir;
  const std::string message = Ru("Что-то пошло не так в балоне.");
  for (bool colour : {false, true}) {
    SCOPED_TRACE(colour ? "colour" : "grey");
    testing::internal::CaptureStdout();
    std::unique_ptr<TDrovixMangaScan> scan;
    if (colour)
      scan = SplitScan<TDrovixColorMangaScan>(
          9, 40, [](int32_t, int32_t) { return Rgba(10, 20, 30); }, dir.File("p07"));
    else
      scan = SplitScan(
          9, 40, [](int32_t, int32_t) { return Rgba(30, 30, 30); }, dir.File("p07"));
    for (int32_t x = 0; x < 3; ++x) scan->FillMask->Pixel(4, x) = 1;
    std::string raised;
    try {
      scan->ReportError(*scan->FillMask, 0, message);
    } catch (const EDrovixError& e) {
      raised = e.what();
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(raised, message + ErrorBmpNote());
    EXPECT_NE(out.find(".otmechaju oblast6 oshibki..."), std::string::npos) << out;
    EXPECT_NE(out.find(".sohranjaju \"_error.bmp\"...OK.\n"), std::string::npos) << out;

    const scan_test::TBmp bmp = ReadBmp(dir.File("_error.bmp"));
    ASSERT_EQ(bmp.width, 40);
    ASSERT_EQ(bmp.height, 9);
    EXPECT_EQ(bmp.bits, colour ? 24 : 8);
    // Row 4, columns 0..2: the pattern bits 0, 0, 0 and then column 3 is outside.
    if (colour) {
      EXPECT_EQ(bmp.rows[4][0], 255);  // red, no green, no blue
      EXPECT_EQ(bmp.rows[0][0], (10 / 2 + 128) | (20 / 2 + 128) << 8 | (30 / 2 + 128) << 16);
    } else {
      EXPECT_EQ(bmp.rows[4][0], 255);
      EXPECT_EQ(bmp.rows[0][0], (30 - 128) / 2 + 128);
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("_error.bmp.tmp")));
    std::filesystem::remove(dir.File("_error.bmp"));
  }
}

// A page that cannot be saved must not hide the failure being reported: the
// message stays, with one line on the missing picture and its cause.
TEST(ReportErrorTest, AFailedSaveKeepsTheMessageAndSaysWhy) {
  TTempDir dir;
  struct Case {
    const char* what;
    std::string folder;
    bool fullDisk;  // the picture's temporary file leads to /dev/full
    const char* cause;
  };
  const Case cases[] = {
      {"no such folder", dir.File("no such folder"), false, "такой папки нет"},
      {"full disk", dir.File("full"), true, "нет места на диске"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string target = c.folder + "/_error.bmp";
    if (c.fullDisk) {
      std::filesystem::create_directories(c.folder);
      std::filesystem::create_symlink("/dev/full", target + ".tmp.~" + std::to_string(::getpid()));
    }
    testing::internal::CaptureStdout();
    auto scan = SplitScan(
        4, 4, [](int32_t, int32_t) { return Rgba(1, 1, 1); }, c.folder + "/p01");
    std::string raised;
    try {
      scan->ReportError(*scan->RedMarkup, 5, "message");
    } catch (const EDrovixError& e) {
      raised = e.what();
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(raised,
              "message\n\r\n\r" +
                  Format(Ru("Недоделаный скан с отмеченным местом ошибки сохранить как \"%s\" не удалось: "
                            "%s."),
                         target.c_str(), Ru(c.cause).c_str()));
    EXPECT_FALSE(std::filesystem::exists(target));
  }
}

}  // namespace
}  // namespace drovix
