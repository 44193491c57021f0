// Text-removal benchmark: every smear method on a synthetic 2400 x 3400 grey
// page of screen tone and line art whose lettering (about 4 % of the pixels)
// is made transparent. Prints one table: seconds, target pixels per second
// and the PSNR of the refilled pixels against the page without lettering.
// Seconds are elapsed seconds of the smear (which splits a page into bands
// of rows over the processor's cores; taskset -c 0 keeps it to one), and
// the processor seconds of all its threads beside them.
//
//   bench_smear [--power N] [--only METHOD] [--plain] [--extra FILE] [--dump FILE] [--case NAME]
//
// --power sets the smear quality of the ray methods (default 25, the
// program's default); the row interpolation is reached only through power 0
// and runs at that. --only runs one method (by its name, e.g. STRICKY), for
// profiling. --extra appends the rows of FILE to the table (the
// comparison rows that bench/run_smear_bench.sh measures with OpenCV).
// --case picks the page: "page" (the default, above), "transparent" (a
// 1000 x 1000 page with every pixel transparent: nothing to draw from) or
// "hole" (a 600 x 600 hole in the middle of a 2000 x 2000 drawing), the two
// large transparent areas whose time must stay bounded, or "small" (the
// page drawn at 600 x 850, for valgrind --tool=callgrind, whose instruction
// counts stay the same on a busy machine) and "smallhole" (a 150 x 150 hole
// in a 500 x 500 drawing, the same for the hole).
// --plain builds the page without screen tone (flat grey and white panels
// in place of the dots). --dump writes the page refilled by SPATTERN as a
// binary PGM, for the side-by-side picture of run_smear_bench.sh.
// Contour methods include the contour computation in their time, since a
// page build pays for it in the same step.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "smear_page.h"

namespace {

using drovix::TDrovixGraph;
using drovix::TDrovixMangaScan;
using drovix::TSmear;

// The scan as loading leaves it: grey page, empty markup, the lettering fully
// transparent.
std::unique_ptr<TDrovixMangaScan> ScanOf(const smear_bench::TPage& page) {
  auto s = std::make_unique<TDrovixMangaScan>();
  s->SetSize(page.height, page.width);
  auto plane = [&] {
    auto p = std::make_unique<TDrovixGraph>();
    p->SetSize(page.height, page.width);
    return p;
  };
  s->GreenMarkup = plane();
  s->RedMarkup = plane();
  s->Transparency = plane();
  s->FillMask = plane();
  s->Contours = plane();
  for (int32_t y = 0; y < page.height; ++y) {
    int32_t* row = s->RowPtr(y);
    int32_t* t = s->Transparency->RowPtr(y);
    for (int32_t x = 0; x < page.width; ++x) {
      const size_t i = static_cast<size_t>(y) * page.width + x;
      row[x] = page.lettered[i];
      t[x] = page.mask[i] != 0 ? 255 : 0;
    }
  }
  s->TransparentCount = static_cast<int32_t>(page.targets);
  s->TargetHeight = page.height;
  s->TargetWidth = page.width;
  return s;
}

// Runs f with standard output sent to /dev/null (the smear prints progress).
template <class F>
void Quietly(F f) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  close(null);
  f();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
}

double Seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

void WritePgm(const std::string& name, const TDrovixGraph& g) {
  std::vector<unsigned char> bytes;
  for (int32_t y = 0; y < g.Height(); ++y)
    for (int32_t x = 0; x < g.Width(); ++x)
      bytes.push_back(static_cast<unsigned char>(std::clamp(g.Pixel(y, x), 0, 255)));
  std::ofstream out(name, std::ios::binary);
  out << "P5\n" << g.Width() << " " << g.Height() << "\n255\n";
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Row(const char* name, double seconds, double targets, double psnr, double cpu) {
  std::printf("%-26s %9.2f %12.0f %9.2f %9.2f\n", name, seconds, targets / seconds, psnr, cpu);
}

}  // namespace

int main(int argc, char** argv) {
  int32_t power = 25;
  std::string extra, only, dump, pageCase = "page";
  bool tone = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--power") == 0 && i + 1 < argc) {
      power = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
    } else if (std::strcmp(argv[i], "--extra") == 0 && i + 1 < argc) {
      extra = argv[++i];
    } else if (std::strcmp(argv[i], "--case") == 0 && i + 1 < argc) {
      pageCase = argv[++i];
    } else if (std::strcmp(argv[i], "--dump") == 0 && i + 1 < argc) {
      dump = argv[++i];
    } else if (std::strcmp(argv[i], "--plain") == 0) {
      tone = false;
    } else {
      std::fprintf(stderr,
                   "usage: bench_smear [--power N] [--only METHOD] [--plain] [--extra FILE] [--dump FILE] "
                   "[--case NAME]\n");
      return 2;
    }
  }

  smear_bench::TPage page;
  if (pageCase == "page") {
    page = smear_bench::MakePage(2400, 3400, 0.04, 20240611, tone);
  } else if (pageCase == "small") {
    page = smear_bench::MakePage(600, 850, 0.04, 20240611, tone);
  } else if (pageCase == "transparent") {
    page = smear_bench::MakePage(1000, 1000, 0.0);
    std::fill(page.mask.begin(), page.mask.end(), uint8_t{1});
  } else if (pageCase == "hole") {
    page = smear_bench::MakePage(2000, 2000, 0.0);
    for (int32_t y = 700; y < 1300; ++y)
      for (int32_t x = 700; x < 1300; ++x) page.mask[static_cast<size_t>(y) * 2000 + x] = 1;
  } else if (pageCase == "smallhole") {
    page = smear_bench::MakePage(500, 500, 0.0);
    for (int32_t y = 175; y < 325; ++y)
      for (int32_t x = 175; x < 325; ++x) page.mask[static_cast<size_t>(y) * 500 + x] = 1;
  } else {
    std::fprintf(stderr, "bench_smear: unknown case \"%s\" (page, small, transparent, hole, smallhole)\n",
                 pageCase.c_str());
    return 2;
  }
  if (pageCase != "page") {
    page.targets = 0;
    for (size_t i = 0; i < page.mask.size(); ++i) {
      if (page.mask[i] != 0) page.lettered[i] = 0;
      page.targets += page.mask[i];
    }
  }
  std::printf("Text removal, %d x %d page%s, %lld target pixels (%.2f %%), power %d\n\n", page.width,
              page.height, tone ? "" : " without tone", static_cast<long long>(page.targets),
              100.0 * page.targets / (double(page.width) * page.height), power);
  std::printf("%-26s %9s %12s %9s %9s\n", "method", "seconds", "targets/s", "PSNR dB", "cpu s");
  std::printf("%-26s %9s %12s %9.2f\n", "(lettering left in)", "-", "-",
              smear_bench::RefillPsnr(page, [&](size_t i) { return page.lettered[i]; }));

  const struct {
    TSmear method;
    const char* name;
  } methods[] = {
      {drovix::SDRAFT, "SDRAFT (power 0)"},
      {drovix::SSIMPLE, "SSIMPLE"},
      {drovix::SHARD, "SHARD"},
      {drovix::SCIRCULAR, "SCIRCULAR"},
      {drovix::SSMARTER, "SSMARTER"},
      {drovix::STRICKY, "STRICKY"},
      {drovix::SPICKY, "SPICKY"},
      {drovix::SSELECTIVE, "SSELECTIVE"},
      {drovix::SPATTERN, "SPATTERN"},
  };
  for (const auto& m : methods) {
    if (!only.empty() && std::string(m.name).rfind(only, 0) != 0) continue;
    auto scan = ScanOf(page);
    scan->SmearMethod = m.method;
    scan->SmearPower = m.method == drovix::SDRAFT ? 0 : power;
    const double start = Seconds(CLOCK_MONOTONIC), startCpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    Quietly([&] { scan->Smear(); });
    const double seconds = Seconds(CLOCK_MONOTONIC) - start;
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID) - startCpu;
    const double psnr = smear_bench::RefillPsnr(page, [&](size_t i) {
      return scan->Pixel(static_cast<int32_t>(i / page.width), static_cast<int32_t>(i % page.width));
    });
    Row(m.name, seconds, static_cast<double>(page.targets), psnr, cpu);
    std::fflush(stdout);
    if (m.method == drovix::SPATTERN && !dump.empty()) WritePgm(dump, *scan);
  }

  if (!extra.empty()) {
    std::ifstream rows(extra);
    for (std::string line; std::getline(rows, line);) std::printf("%s\n", line.c_str());
  }
  return 0;
}
