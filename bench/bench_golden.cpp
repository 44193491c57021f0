// The golden set at a larger size: the chapters of the golden test
// (tests/program/GoldenSet.h) with every side multiplied (3 by default),
// built by the program in every quality mode; the checksums of all outputs
// are compared with bench/golden/<scale>/<run>.txt, and the CPU seconds of
// each run are printed. Takes minutes; run on demand.
//
//   bench_golden [--scale N] [--update] [--program PATH]
//
// --update writes the checksum files from this build instead of comparing.
// --program runs another build of the program (an older one, to record the
// checksums it makes).
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/Driver.h"
#include "program/GoldenSet.h"

namespace {

double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace drovix;
  int32_t scale = 3;
  bool update = false;
  std::string program = DROVIX_BINARY;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      scale = std::max(1, std::atoi(argv[++i]));
    } else if (std::strcmp(argv[i], "--update") == 0) {
      update = true;
    } else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc) {
      program = argv[++i];
    } else {
      std::fprintf(stderr, "usage: bench_golden [--scale N] [--update] [--program PATH]\n");
      return 2;
    }
  }
  const std::vector<std::string> phrases = golden::ShownCrashPhrases(CrashPhrases());
  int failures = 0;
  for (const golden::TGoldenRun& run : golden::GoldenRuns()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "drovix_golden_XXXXXX").string();
    const std::string folder = std::string(mkdtemp(pattern.data())) + "/";
    if (run.failing)
      golden::WriteFailingChapter(folder, scale);
    else
      golden::WriteMainChapter(folder, scale);
    std::vector<std::string> args = {"ch.manga"};
    args.insert(args.end(), run.keys.begin(), run.keys.end());
    const double start = ChildCpuSeconds();
    const golden::TRunResult result = golden::RunProgram(program, folder, args);
    const double seconds = ChildCpuSeconds() - start;
    const std::vector<std::string> lines = golden::RunChecksums(folder, result, phrases);
    const std::string file =
        std::string(DROVIX_SOURCE_DIR) + "/bench/golden/x" + std::to_string(scale) + "/" + run.name + ".txt";
    const char* verdict = "written";
    if (update) {
      golden::WriteChecksumFile(
          file,
          std::string("golden run \"") + run.name + "\" at scale " + std::to_string(scale) +
              ": PNG pages as size, layout and decoded pixels, other files as bytes (FNV-1a 64)",
          lines);
    } else {
      const std::vector<std::string> expected = golden::ReadChecksumFile(file);
      verdict = expected.empty() ? "NO CHECKSUMS" : expected == lines ? "same" : "DIFFERENT";
      if (expected != lines) {
        ++failures;
        for (const std::string& l : lines)
          if (std::find(expected.begin(), expected.end(), l) == expected.end())
            std::printf("    now: %s\n", l.c_str());
      }
    }
    std::printf("%-8s %8.2f s CPU  %s\n", run.name, seconds, verdict);
    std::fflush(stdout);
    std::filesystem::remove_all(folder);
  }
  return failures == 0 ? 0 : 1;
}
