// The program on a system without libpng or FreeType: it starts, -x builds
// pages as BMP, and the missing library is named when it is first needed.
// The libraries are hidden from one run by bind-mounting an empty file over
// them in a private mount namespace, which needs root.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

const char kLibPng[] = "libpng16.so.16";
const char kLibFreeType[] = "libfreetype.so.6";
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/";

// Every path the loader's cache gives for the soname.
std::vector<std::string> CachedPaths(const std::string& soname) {
  std::vector<std::string> paths;
  std::istringstream lines(RunCommand("ldconfig -p 2>/dev/null").output);
  for (std::string line; std::getline(lines, line);) {
    const size_t arrow = line.find(" => ");
    if (arrow == std::string::npos) continue;
    const size_t first = line.find_first_not_of(" \t");
    if (line.compare(first, line.find(' ', first) - first, soname) == 0)
      paths.push_back(line.substr(arrow + 4));
  }
  return paths;
}

class MissingLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "hiding a library needs root";
    if (RunCommand("unshare -m true 2>/dev/null").status != 0) GTEST_SKIP() << "unshare -m is not permitted";
    for (const char* soname : {kLibPng, kLibFreeType})
      if (CachedPaths(soname).empty()) GTEST_SKIP() << soname << " is not installed";
    const std::string d = dir_.Path();
    SaveChapterBasics(d);
    TPicture p01(240, 320);
    p01.Grey(10, 12, 10, 229, 0);
    p01.Rect(40, 120, 30, 200, 255, 200, 200);  // one balloon
    p01.SaveTga(d + "p01");
    WriteBytes(d + "empty", "");
  }

  void Script(const std::string& fonts) {
    WriteScript(dir_.Path() + "ch.manga", "МАНГА(out)\nШРИФТ(" + fonts + ")\n%p01(\n(Привет!)\n)\nКОНЕЦ()\n");
  }

  // Runs the program with the named libraries replaced by an empty file.
  TRun RunWithout(const std::vector<std::string>& sonames, const std::vector<std::string>& args) {
    std::string mounts;
    for (const std::string& soname : sonames)
      for (const std::string& path : CachedPaths(soname))
        mounts += "mount --bind \"" + dir_.Path() + "empty\" \"" + path + "\" && ";
    return RunDrovix(dir_.Path(), args, "unshare -m sh -c '" + mounts + "exec \"$0\" \"$@\"' ");
  }

  std::string Out(const std::string& name) const { return dir_.Path() + "out/" + name; }
  void ClearOutput() {
    std::filesystem::remove_all(dir_.Path() + "out");
    std::filesystem::create_directories(dir_.Path() + "out");
    std::filesystem::remove(dir_.Path() + "ch.ini");
  }

  TempFolder dir_;
};

TEST_F(MissingLibrary, SheetFontsAndKeyXNeedNeitherLibrary) {
  Script("fonts/f0, fonts/f1, fonts/f2");
  const TRun usual = RunDrovix(dir_.Path(), {"ch.manga", "-x"});
  ASSERT_EQ(usual.status, 0) << usual.output;
  const std::string page = ReadBytes(Out("p01.bmp"));
  ASSERT_FALSE(page.empty());
  ClearOutput();

  const TRun hidden = RunWithout({kLibPng, kLibFreeType}, {"ch.manga", "-x"});
  EXPECT_EQ(hidden.status, 0) << hidden.output;
  EXPECT_EQ(hidden.output, usual.output);
  EXPECT_TRUE(ReadBytes(Out("p01.bmp")) == page) << "the page differs";
  EXPECT_FALSE(Exists(Out("p01.png")));
}

TEST_F(MissingLibrary, WithoutKeyXTheMissingLibPngIsNamed) {
  Script("fonts/f0, fonts/f1, fonts/f2");
  const TRun run = RunWithout({kLibPng, kLibFreeType}, {"ch.manga"});
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find(Shown("Не удалось загрузить libpng16.so.16")), std::string::npos) << run.output;
  EXPECT_FALSE(Exists(Out("p01.png")));
}

// FreeType itself missing, or present but without the libpng it depends on:
// a TrueType face is refused with the library named, a sheet font is not
// affected.
TEST_F(MissingLibrary, TrueTypeFaceNamesTheMissingFreeType) {
  const std::string face = kDejaVu + "DejaVuSans.ttf";
  if (!Exists(face)) GTEST_SKIP() << face << " is not installed";
  Script(face + ", fonts/f1, fonts/f2");
  const std::string message = Shown(
      "Не удалось загрузить libfreetype.so.6,\n\rа без этой библиотеки шрифты "
      "TrueType/OpenType не открыть (шрифт \"" +
      face + "\").");
  for (const char* hidden : {kLibFreeType, kLibPng}) {
    const TRun run = RunWithout({hidden}, {"ch.manga", "-x"});
    EXPECT_EQ(run.status, 1) << hidden << run.output;
    EXPECT_NE(run.output.find(message), std::string::npos) << hidden << run.output;
    EXPECT_FALSE(Exists(Out("p01.bmp"))) << hidden;
  }
  const TRun run = RunDrovix(dir_.Path(), {"ch.manga", "-x"});
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_TRUE(Exists(Out("p01.bmp")));
}

}  // namespace
}  // namespace drovix::program_test
