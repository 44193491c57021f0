// TrueType/OpenType faces named in ШРИФТ(): rasterised when the fonts load
// into the same sheets drovix-fontsheet makes, and refused clearly when the
// file is missing or no face.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

int RunFontSheet(const std::string& face, const std::string& sheet) {
  const std::string command = "'" DROVIX_FONTSHEET "' '" + face + "' '" + sheet + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One page with a sound and three balloons: normal, bold and italic text.
void MakePage(const std::string& d) {
  TPicture p01(400, 520);
  p01.Rect(20, 140, 20, 380, 255, 200, 200);   // strongest red: balloon 1
  p01.Rect(170, 290, 20, 380, 255, 210, 210);  // balloon 2
  p01.Rect(320, 440, 20, 380, 255, 220, 220);  // balloon 3
  p01.Rect(460, 500, 40, 200, 0, 255, 0);      // sound
  p01.SaveTga(d + "p01");
}

const char kPage[] =
    "%p01(\n"
    "  ЗВУК((%0)(%255,2))\n"
    "  (Съешь же ещё этих мягких французских булок, да выпей чаю.)\n"
    "  (%ЖЖирный текст%0 и обычный.)\n"
    "  (%ККурсив: Щука, Юла, Ёж.)\n"
    ")\n"
    "КОНЕЦ()\n";

TEST(FontFaces, BuildTheSamePagesAsTheSheetsFontsheetMakes) {
  TempFolder dir;
  const std::string d = dir.Path();
  MakePage(d);
  std::filesystem::create_directories(d + "sheets");
  std::filesystem::create_directories(d + "faces");
  std::filesystem::create_directories(d + "out-sheets");
  std::filesystem::create_directories(d + "out-faces");
  ASSERT_EQ(RunFontSheet(kDejaVu + "DejaVuSans.ttf", d + "sheets/normal"), 0);
  ASSERT_EQ(RunFontSheet(kDejaVu + "DejaVuSans-Bold.ttf", d + "sheets/bold"), 0);
  ASSERT_EQ(RunFontSheet(kDejaVu + "DejaVuSans-Oblique.ttf", d + "sheets/italic"), 0);
  // Relative to the script folder (extension in any letter case), or absolute.
  std::filesystem::copy_file(kDejaVu + "DejaVuSans.ttf", d + "faces/Sans.TTF");
  WriteScript(d + "sheets.manga",
              "МАНГА(out-sheets)\nШРИФТ(sheets/normal, sheets/bold, sheets/italic)\n" + std::string(kPage));
  WriteScript(d + "faces.manga", "МАНГА(out-faces)\nШРИФТ(faces/Sans.TTF, " + kDejaVu +
                                     "DejaVuSans-Bold.ttf, " + kDejaVu + "DejaVuSans-Oblique.ttf)\n" + kPage);

  const TRun sheets = RunDrovix(d, {"sheets.manga", "-d"});
  ASSERT_EQ(sheets.status, 0) << sheets.output;
  const TRun faces = RunDrovix(d, {"faces.manga", "-d"});
  ASSERT_EQ(faces.status, 0) << faces.output;
  const std::string a = ReadBytes(d + "out-sheets/p01.png");
  ASSERT_FALSE(a.empty());
  EXPECT_TRUE(a == ReadBytes(d + "out-faces/p01.png")) << "the pages differ";
}

TEST(FontFaces, MissingOrBrokenFaceIsNamedInTheMessage) {
  TempFolder dir;
  const std::string d = dir.Path();
  MakePage(d);
  std::filesystem::create_directories(d + "out");
  WriteBytes(d + "fonts/broken.otf", "this is no font at all");
  struct Case {
    std::string field, message;
  } cases[] = {
      {"fonts/нет.ttf", "Нет такого файла шрифта!\n\r(\"" + d + "fonts/нет.ttf\")"},
      {"fonts/broken.otf", "Не могу открыть шрифт \"" + d + "fonts/broken.otf\""},
  };
  for (const Case& c : cases) {
    WriteScript(d + "ch.manga", "МАНГА(out)\nШРИФТ(" + c.field + ", " + kDejaVu + "DejaVuSans.ttf, " +
                                    kDejaVu + "DejaVuSans.ttf)\n" + kPage);
    const TRun run = RunDrovix(d, {"ch.manga"});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_NE(run.output.find(Shown(c.message)), std::string::npos) << c.field << "\n" << run.output;
    EXPECT_FALSE(Exists(d + "out/p01.png"));
  }
}

}  // namespace
}  // namespace drovix::program_test
