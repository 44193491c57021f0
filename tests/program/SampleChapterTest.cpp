// The font-sheet maker on Debian's DejaVu faces, and the bundled sample
// chapter built end to end by the program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ProgramTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/typeset/TFont.h"

namespace drovix {
namespace {

using program_test::TempFolder;
namespace fs = std::filesystem;

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

struct TRun {
  std::string out;
  int status = -1;
};

// The command with empty input, its output and error together.
TRun RunCommand(const std::string& command) {
  const TCommandResult run = drovix::RunCommand(command + " </dev/null 2>&1");
  return {run.output, run.status};
}

TEST(FontSheet, DejaVuSheetLoadsWithTheAskedSizeOfYu) {
  TempFolder dir;
  const std::string sheet = dir.Path() + "normal";
  const TRun run =
      RunCommand("'" DROVIX_FONTSHEET "' '" + kDejaVu + "DejaVuSans.ttf' '" + sheet + "' --size 20");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("wysota JU 20"), std::string::npos) << run.out;

  TFont font(sheet);
  font.Load();
  EXPECT_FLOAT_EQ(font.FontScale, 32.0f / 20.0f);
  // Ink starts at the cell's left edge: a vertical stem is a narrow glyph,
  // a wide letter is wider, and nothing is wider than the cell.
  const unsigned char kI = 'I', kZhe = 0xC6 /* Ж */, kShcha = 0xD9 /* Щ */;
  EXPECT_GE(font.Widths[kI], 2);
  EXPECT_LE(font.Widths[kI], 4);
  EXPECT_GT(font.Widths[kZhe], 3 * font.Widths[kI]);
  EXPECT_LE(font.Widths[kShcha], 32);
  int darkest = 255;
  for (int y = 0; y < 32; ++y) darkest = std::min(darkest, font.Glyphs[kZhe]->Pixel(y, 0));
  EXPECT_LT(darkest, 250);
}

TEST(FontSheet, FaceWithoutCyrillicIsRefused) {
  TempFolder dir;
  const TRun run =
      RunCommand("'" DROVIX_FONTSHEET "' '" + kDejaVu + "DejaVuMathTeXGyre.ttf' '" + dir.Path() + "x'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("net kirillicy"), std::string::npos) << run.out;
  EXPECT_FALSE(fs::exists(dir.Path() + "x.png"));
}

// Mean absolute difference of two same-sized grey pictures inside a box.
double MeanDifference(const TDrovixGraph& a, const TDrovixGraph& b, int top, int left, int bottom,
                      int right) {
  double sum = 0;
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) sum += std::abs(a.Pixel(y, x) - b.Pixel(y, x));
  return sum / ((bottom - top + 1.0) * (right - left + 1.0));
}

TEST(SampleChapter, BuildsEndToEndAndChangesBalloonsAndSounds) {
  TempFolder dir;
  const std::string d = dir.Path();
  fs::copy_file(DROVIX_SOURCE_DIR "/examples/chapter.manga", d + "chapter.manga");
  ASSERT_EQ(
      RunCommand("/usr/bin/python3 '" DROVIX_SOURCE_DIR "/examples/make_sample_scans.py' '" + d + "'").status,
      0);
  fs::create_directories(d + "out");  // the script names the DejaVu faces themselves

  const TRun run = RunCommand("cd '" + d + "' && '" DROVIX_BINARY "' chapter.manga -d");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("WSJO PUCHKOM! :)"), std::string::npos);
  size_t ok = 0;
  for (size_t at = 0; (at = run.out.find("sohranjaju...OK.", at)) != std::string::npos; ++at) ++ok;
  EXPECT_EQ(ok, 4u) << run.out;

  // Page 1: the first balloon (strongest red) gets its text, the sound its
  // outline; an untouched corner of the page stays as scanned.
  auto scan = TDrovixGraph::CreateFromFile<TDrovixGraph>(d + "p01");
  auto page = TDrovixGraph::CreateFromFile<TDrovixGraph>(d + "out/p01");
  ASSERT_EQ(page->Width(), scan->Width());
  ASSERT_EQ(page->Height(), scan->Height());
  EXPECT_GT(MeanDifference(*scan, *page, 100, 560, 220, 800), 20.0);  // red balloon becomes white with text
  EXPECT_GT(MeanDifference(*scan, *page, 560, 520, 680, 860), 5.0);   // green БАМ! drawn with layers
  EXPECT_LT(MeanDifference(*scan, *page, 440, 40, 470, 420), 2.0);    // panel border area, no markup

  // A second run finds every page up to date.
  const TRun again = RunCommand("cd '" + d + "' && '" DROVIX_BINARY "' chapter.manga -d");
  ASSERT_EQ(again.status, 0) << again.out;
  size_t skipped = 0;
  for (size_t at = 0; (at = again.out.find("NEFIG DELAT6.", at)) != std::string::npos; ++at) ++skipped;
  EXPECT_EQ(skipped, 4u) << again.out;
}

}  // namespace
}  // namespace drovix
