// Whole-program runs with the key -p: a markup preview of every page, its
// problems listed, and nothing else written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramTestUtil.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix::program_test {
namespace {

// p01: a green sound and two red balloons of different strength, and a
// transparent patch; p02: one balloon.
class Preview : public ::testing::Test {
 protected:
  Preview() {
    const std::string d = dir_.Path();
    SaveChapterBasics(d);

    TPicture p01(240, 320);
    p01.Rect(20, 80, 20, 120, 0, 255, 0);            // sound
    p01.Rect(120, 180, 30, 200, 255, 100, 100);      // balloon 1: red 155
    p01.Rect(220, 280, 30, 200, 255, 200, 200);      // balloon 2: red 55
    p01.Rect(290, 300, 150, 200, 255, 255, 255, 0);  // old lettering
    p01.SaveTga(d + "p01");

    TPicture p02(240, 320);
    p02.Rect(40, 120, 30, 200, 255, 200, 200);
    p02.SaveTga(d + "p02");
  }

  void Script(const std::string& p01Balloons) {
    WriteScript(dir_.Path() + "ch.manga",
                "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n%p01(\nЗВУК((%0)(%255,2))\n" + p01Balloons +
                    "\n)\n%p02(\n(Конец)\n)\nКОНЕЦ()\n");
  }
  TRun Run(std::vector<std::string> keys) {
    keys.insert(keys.begin(), "ch.manga");
    return RunDrovix(dir_.Path(), keys);
  }
  std::string Out(const std::string& name) const { return dir_.Path() + "out/" + name; }
  // Every file name in the folder and the output folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const std::string& folder : {dir_.Path(), dir_.Path() + "out/"})
      for (const auto& e : std::filesystem::directory_iterator(folder))
        if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempFolder dir_;
};

// Packed colour of the preview pixel (R bits 0-7, G 8-15, B 16-23).
struct TRgb {
  int32_t r, g, b;
};
TRgb At(const TDrovixGraph& picture, int32_t y, int32_t x) {
  const int32_t v = picture.Pixel(y, x);
  return {v & 255, (v >> 8) & 255, (v >> 16) & 255};
}

TEST_F(Preview, CorrectMarkupWritesPreviewsOnly) {
  Script("(Привет всем!)\n(Пока)");
  const std::vector<std::string> before = Files();
  const TRun run = Run({"-p"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find(Shown("РАЗМЕТКА В ПОРЯДКЕ. :)")), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(Shown("ПРОБЛЕМ")), std::string::npos) << run.output;

  // Two previews, nothing else: no pages, no record, no temporary files.
  std::vector<std::string> expected = before;
  expected.push_back("p01.markup.png");
  expected.push_back("p02.markup.png");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Files(), expected);

  TDrovixGraph picture;
  LoadPNG(picture, Out("p01.markup"));
  ASSERT_EQ(picture.Width(), 240);
  ASSERT_EQ(picture.Height(), 320);
  const TRgb sound = At(picture, 50, 70), balloon1 = At(picture, 150, 150), balloon2 = At(picture, 265, 150),
             page = At(picture, 100, 220);
  EXPECT_GT(sound.g, sound.r + 40);
  EXPECT_GT(balloon1.r, balloon1.g + 40);
  EXPECT_GT(balloon2.r, balloon2.g + 40);
  EXPECT_TRUE(page.r == page.g && page.g == page.b);
  // The transparent patch is hatched: some of its pixels are not grey.
  int32_t hatched = 0;
  for (int32_t x = 150; x <= 200; ++x) {
    const TRgb p = At(picture, 295, x);
    hatched += p.r != p.b ? 1 : 0;
  }
  EXPECT_GT(hatched, 0);

  // Without PNG the preview is a BMP.
  const TRun bmp = Run({"-p", "-x"});
  EXPECT_EQ(bmp.status, 0) << bmp.output;
  EXPECT_EQ(ReadBytes(Out("p01.markup.bmp")).substr(0, 2), "BM");
}

TEST_F(Preview, MissingBalloonIsNamedAndNothingElseIsWritten) {
  // A normal build first, so there are pages and a record to keep.
  Script("(Привет всем!)\n(Пока)");
  ASSERT_EQ(Run({}).status, 0);
  const std::string record = ReadBytes(dir_.Path() + "ch.ini");
  const time_t page = FileTime(Out("p01.png"));
  const std::string pageBytes = ReadBytes(Out("p01.png"));

  // One balloon entry more than the markup has.
  Script("(Привет всем!)\n(Пока)\n(Третий лишний тут)");
  const std::vector<std::string> before = Files();
  const TRun run = Run({"-p"});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find(Shown("ЕСТЬ ПРОБЛЕМЫ:\n    Балон №3 (\"Третий лишний тут\") не найден, или "
                                  "недостаточно красный.\n")),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(Shown("СТРАНИЦ С ПРОБЛЕМАМИ В РАЗМЕТКЕ: 1 ИЗ 2.")), std::string::npos)
      << run.output;
  // The run went on to p02, whose markup is fine.
  const size_t p02 = run.output.find("STRANICA: p02");
  ASSERT_NE(p02, std::string::npos) << run.output;
  EXPECT_NE(run.output.find("...OK.", p02), std::string::npos) << run.output;

  std::vector<std::string> expected = before;
  expected.push_back("p01.markup.png");
  expected.push_back("p02.markup.png");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Files(), expected);  // no _error.bmp, no new page
  EXPECT_EQ(ReadBytes(dir_.Path() + "ch.ini"), record);
  EXPECT_EQ(FileTime(Out("p01.png")), page);
  EXPECT_EQ(ReadBytes(Out("p01.png")), pageBytes);

  // Both balloons that exist are still shown.
  TDrovixGraph picture;
  LoadPNG(picture, Out("p01.markup"));
  const TRgb balloon1 = At(picture, 150, 150), balloon2 = At(picture, 265, 150);
  EXPECT_GT(balloon1.r, balloon1.g + 40);
  EXPECT_GT(balloon2.r, balloon2.g + 40);
}

TEST_F(Preview, LeftOverAndGluedMarkup) {
  // One balloon entry for two red regions, and no sound entry for the green.
  const std::string d = dir_.Path();
  WriteScript(d + "ch.manga", "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n%p01(\n(Раз)\n)\nКОНЕЦ()\n");
  TRun run = Run({"-p"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(Shown("После последнего звука (их 0) осталась зелёная разметка ещё одного "
                                  "звука (яркость 255).")),
            std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find(Shown("После последнего балона (их 1) осталась красная разметка ещё одного "
                                  "балона (яркость 55).")),
            std::string::npos)
      << run.output;

  // Both balloons painted the same red: one region, the second entry has none.
  TPicture p01(240, 320);
  p01.Rect(20, 80, 20, 120, 0, 255, 0);
  p01.Rect(120, 180, 30, 200, 255, 100, 100);
  p01.Rect(220, 280, 30, 200, 255, 100, 100);
  p01.SaveTga(d + "p01");
  Script("(Раз)\n(Два)\n(Три)");
  run = Run({"-p"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.output.find(Shown("    Балон №2 (\"Два\") не найден, или недостаточно красный.\n"
                                  "    Балон №3 не искался.\n")),
            std::string::npos)
      << run.output;
  EXPECT_FALSE(Exists(d + "_error.bmp"));
}

}  // namespace
}  // namespace drovix::program_test
