// The golden pages: the chapters of GoldenSet.h built by the program in
// every quality mode, their outputs, build record and console text compared
// with the checksums kept in tests/data/golden/ (PNG pages by what they
// decode to, so that another zlib packing the same pixels differently still
// passes). Work on speed must leave every one of them unchanged.
//
// To record new checksums after a deliberate change of output:
//   tools/update_golden.sh [build folder]
// (runs this test with DROVIX_GOLDEN_UPDATE=1, which rewrites the files).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "GoldenSet.h"
#include "ProgramTestUtil.h"
#include "driver/Driver.h"

namespace drovix::golden {
// Test names print the run's name, not its bytes.
void PrintTo(const TGoldenRun& run, std::ostream* out) { *out << run.name; }
}  // namespace drovix::golden

namespace drovix::program_test {
namespace {

bool Updating() {
  const char* v = std::getenv("DROVIX_GOLDEN_UPDATE");
  return v != nullptr && std::string(v) == "1";
}

std::string ChecksumFile(const std::string& run) {
  return std::string(DROVIX_SOURCE_DIR) + "/tests/data/golden/" + run + ".txt";
}

class GoldenPages : public ::testing::TestWithParam<golden::TGoldenRun> {};

TEST_P(GoldenPages, OutputsKeepTheirChecksums) {
  const golden::TGoldenRun& run = GetParam();
  TempFolder dir;
  if (run.failing)
    golden::WriteFailingChapter(dir.Path());
  else
    golden::WriteMainChapter(dir.Path());
  std::vector<std::string> args = {"ch.manga"};
  args.insert(args.end(), run.keys.begin(), run.keys.end());
  const golden::TRunResult result = golden::RunProgram(DROVIX_BINARY, dir.Path(), args);
  const std::vector<std::string> lines =
      golden::RunChecksums(dir.Path(), result, golden::ShownCrashPhrases(CrashPhrases()));

  if (Updating()) {
    golden::WriteChecksumFile(
        ChecksumFile(run.name),
        std::string("golden run \"") + run.name +
            "\": PNG pages as size, layout and decoded pixels, other files as bytes (FNV-1a 64)",
        lines);
    std::printf("%s", result.output.c_str());
    GTEST_SKIP() << "checksums written to " << ChecksumFile(run.name);
  }
  const std::vector<std::string> expected = golden::ReadChecksumFile(ChecksumFile(run.name));
  ASSERT_FALSE(expected.empty()) << "no checksums in " << ChecksumFile(run.name);
  EXPECT_EQ(lines, expected) << result.output;
}

INSTANTIATE_TEST_SUITE_P(Runs, GoldenPages, ::testing::ValuesIn(golden::GoldenRuns()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace drovix::program_test
