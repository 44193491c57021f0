// Paths held in Windows-1251 meet file names stored as UTF-8 (or, now and
// then, as raw Windows-1251 bytes), and folders that are UTF-8 already.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/FileSystemName.h"

namespace drovix {
namespace {

namespace fs = std::filesystem;

class FileSystemNameTest : public ::testing::Test {
 protected:
  FileSystemNameTest() {
    std::string pattern = (fs::temp_directory_path() / "drovix-fsname-XXXXXX").string();
    dir_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string("/nonexistent/");
  }
  ~FileSystemNameTest() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Creates a file under exactly these bytes.
  void Touch(const std::string& name) const {
    fs::create_directories(fs::path(dir_ + name).parent_path());
    std::ofstream(dir_ + name) << "x";
  }
  std::string dir_;
};

TEST_F(FileSystemNameTest, AsciiPathsPassUnchanged) {
  EXPECT_EQ(FileSystemName("/no/such/page.png"), "/no/such/page.png");
  EXPECT_EQ(FileSystemName("relative/p01"), "relative/p01");
  EXPECT_EQ(FileSystemName(""), "");
}

TEST_F(FileSystemNameTest, EachPartTakesTheSpellingThatExists) {
  // (what is on disk, the path the program holds, the name expected)
  const std::string utf8Folder = "глава/";  // from the command line: UTF-8
  struct Case {
    std::string onDisk, asked, expected;
  } cases[] = {
      // Found under its UTF-8 name.
      {"выход/стр01.png", Ru("выход/стр01.png"), "выход/стр01.png"},
      // Only the raw Windows-1251 bytes exist.
      {Ru("сканы/стр02.tga"), Ru("сканы/стр02.tga"), Ru("сканы/стр02.tga")},
      // A UTF-8 folder, then Windows-1251 names inside it.
      {utf8Folder + "шрифты/обычный.png", utf8Folder + Ru("шрифты/обычный.png"),
       utf8Folder + "шрифты/обычный.png"},
      // Nothing there yet (a page about to be written): the UTF-8 form,
      // also for the parts after the first missing one.
      {"", Ru("новая/стр03.png"), "новая/стр03.png"},
      {"", utf8Folder + Ru("стр04.png"), utf8Folder + "стр04.png"},
      // A name that is UTF-8 already stays as it is.
      {"", "глава1.ini", "глава1.ini"},
  };
  for (const Case& c : cases) {
    if (!c.onDisk.empty()) Touch(c.onDisk);
    EXPECT_EQ(FileSystemName(dir_ + c.asked), dir_ + c.expected) << Cp1251ToUtf8(c.asked);
  }
}

TEST_F(FileSystemNameTest, TheUtf8NameWinsWhenBothExist) {
  Touch("стр01.png");
  Touch(Ru("стр01.png"));
  EXPECT_EQ(FileSystemName(dir_ + Ru("стр01.png")), dir_ + "стр01.png");
}

}  // namespace
}  // namespace drovix
