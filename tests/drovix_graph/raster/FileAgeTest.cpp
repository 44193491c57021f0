// File ages: the packed date-time layout and the input/output fingerprints.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "RasterTestUtil.h"
#include "drovix_graph/raster/FileAge.h"

namespace drovix {
namespace {

// Creates path with the local modification time given.
void Touch(const std::string& path, int year, int month, int day, int hour, int minute, int second) {
  test::WriteBytes(path, {1});
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  const utimbuf times{std::mktime(&t), std::mktime(&t)};
  ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

TEST(FileAgeTest, PackedLocalTime) {
  test::TTempDir dir;
  Touch(dir.File("a.png"), 2021, 3, 4, 5, 6, 9);
  const int32_t packed = (41 << 25) | (3 << 21) | (4 << 16) | (5 << 11) | (6 << 5) | 4;  // seconds / 2
  EXPECT_EQ(FileAge(dir.File("a.png")), packed);
  EXPECT_EQ(FileAge(dir.File("missing.png")), -1);
  EXPECT_EQ(FileAge(dir.Path()), -1);  // a folder
  Touch(dir.File("old.png"), 1975, 6, 1, 0, 0, 0);
  EXPECT_EQ(FileAge(dir.File("old.png")), (1 << 21) | (1 << 16));  // pinned to 1980-01-01
}

TEST(FileAgeTest, Fingerprints) {
  test::TTempDir dir;
  const std::string page = dir.File("page");
  EXPECT_EQ(InputFilesAge(page), "-2");
  EXPECT_EQ(OutputFilesAge(page), "-2");
  Touch(page + ".png", 2020, 1, 2, 3, 4, 6);
  const int64_t age = FileAge(page + ".png");
  EXPECT_EQ(InputFilesAge(page), std::to_string(age - 1 - 2));
  EXPECT_EQ(OutputFilesAge(page), std::to_string(age - 1));
  // The markup companions page_, page__ ... count while one of their pair exists.
  Touch(page + "_.tga", 2020, 1, 2, 3, 4, 8);
  Touch(page + "_.png", 2020, 1, 2, 3, 4, 10);
  Touch(page + "___.png", 2020, 1, 2, 3, 4, 12);  // after the gap: not counted
  const int64_t companions = static_cast<int64_t>(FileAge(page + "_.tga")) + FileAge(page + "_.png");
  EXPECT_EQ(InputFilesAge(page), std::to_string(age - 1 + companions - 2));
  Touch(page + ".bmp", 2020, 1, 2, 3, 4, 14);
  EXPECT_EQ(OutputFilesAge(page), std::to_string(age + FileAge(page + ".bmp")));
}

}  // namespace
}  // namespace drovix
