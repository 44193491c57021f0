// Loading, splitting and saving a 4100 x 4100 page (the largest accepted),
// and finding a page-sized balloon and sound on it: time and peak memory of
// each stage.
//
// Usage: bench_scan_load [folder]   (a temporary folder by default)
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "driver/console/Error.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace {

using drovix::TDrovixColorMangaScan;
using drovix::TDrovixGraph;
using drovix::TDrovixMangaScan;

constexpr int32_t kSide = 4100;

// Peak resident memory of the process so far, in MiB.
double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}
// Restarts the peak at the present resident size where the kernel allows it.
bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  return static_cast<bool>(clear);
}
double CurrentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0;
}

// A 32-bit run-length TGA of raw packets, so that alpha is kept: a drawing
// of stripes, a big red balloon with a soft rim, a green sound, a
// transparent patch and four blue corner marks.
void WritePage(const std::string& path) {
  std::vector<uint8_t> header = {0, 0, 10, 0,           0,          0,           0,          0,  0,
                                 0, 0, 0,  kSide & 255, kSide >> 8, kSide & 255, kSide >> 8, 32, 8};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  std::vector<uint8_t> row;
  for (int32_t fileRow = 0; fileRow < kSide; ++fileRow) {
    const int32_t y = kSide - 1 - fileRow;
    row.clear();
    for (int32_t x = 0; x < kSide; ++x) {
      if (x % 128 == 0) row.push_back(static_cast<uint8_t>(std::min(128, kSide - x) - 1));
      uint8_t r = static_cast<uint8_t>((x / 7 + y / 5) % 2 ? 230 : 40), g = r, b = r, a = 255;
      const bool corner = (y < 8 || y >= kSide - 8) && (x < 8 || x >= kSide - 8);
      if (corner) {
        r = 0, g = 0, b = 255;
      } else if (y >= 100 && y < 2100 && x >= 100 && x < 4000) {
        r = y < 110 || y >= 2090 ? 120 : 250, g = 0, b = 0;  // balloon and its rim
      } else if (y >= 2200 && y < 3900 && x >= 100 && x < 3000) {
        g = 240, r = 0, b = 0;
      } else if (y >= 3950 && y < 4050 && x >= 200 && x < 3000) {
        a = 0;
      }
      row.insert(row.end(), {b, g, r, a});
    }
    out.write(reinterpret_cast<const char*>(row.data()), static_cast<std::streamsize>(row.size()));
  }
}

struct Stage {
  const char* name;
  std::function<void()> run;
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Runs a stage with the program's progress output silenced and prints its
// row: wall and CPU time (the machine may be shared), resident memory
// before, and the peak during the stage.
void Measure(const Stage& stage) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  close(null);
  const bool reset = ResetPeak();
  const double before = CurrentMiB();
  const double cpu = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  stage.run();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpuSeconds = CpuSeconds() - cpu;
  const double peak = PeakMiB();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  std::printf("| %-34s | %7.2f | %7.2f | %9.0f | %9.0f |%s\n", stage.name, seconds, cpuSeconds, before, peak,
              reset ? "" : " (peak since start)");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  if (argc > 1) {
    folder = argv[1];
  } else {
    std::string pattern = (std::filesystem::temp_directory_path() / "drovix_bench_XXXXXX").string();
    folder = mkdtemp(pattern.data());
  }
  const std::string page = folder + "/page";
  try {
    WritePage(page + ".tga");
    std::printf("4100 x 4100 page, %.0f MiB TGA\n\n",
                static_cast<double>(std::filesystem::file_size(page + ".tga")) / (1024.0 * 1024.0));
    std::printf("| %-34s | %7s | %7s | %9s | %9s |\n", "stage", "wall s", "CPU s", "RSS MiB", "peak MiB");
    std::printf("|%s|%s|%s|%s|%s|\n", std::string(36, '-').c_str(), std::string(9, '-').c_str(),
                std::string(9, '-').c_str(), std::string(11, '-').c_str(), std::string(11, '-').c_str());
    std::unique_ptr<TDrovixColorMangaScan> colour;
    Measure({"colour: load and split",
             [&] { colour = TDrovixGraph::CreateFromFile<TDrovixColorMangaScan>(page); }});
    Measure({"colour: save 24-bit BMP", [&] { colour->SaveBMP(folder + "/colour.bmp"); }});
    Measure({"colour: contours, radius 2", [&] { colour->ComputeContours(2); }});
    Measure({"colour: free", [&] {
               colour.reset();
               malloc_trim(0);  // hand the freed rows back, so the next peak is the grey page's own
             }});
    std::unique_ptr<TDrovixMangaScan> grey;
    Measure({"grey: load, corners and split",
             [&] { grey = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page); }});
    int32_t box[4] = {};
    Measure({"grey: balloon of 7.8 Mpx", [&] {
               grey->FindNextBalloon();
               box[0] = grey->MinY, box[1] = grey->MaxY, box[2] = grey->MinX, box[3] = grey->MaxX;
             }});
    Measure({"grey: sound of 4.9 Mpx", [&] { grey->FindNextSound(); }});
    Measure({"grey: save 8-bit BMP", [&] { grey->SaveBMP(folder + "/grey.bmp"); }});
    std::printf("\nballoon rows %d..%d, columns %d..%d; corners found: %s\n", box[0], box[1], box[2], box[3],
                grey->CornersFound ? "yes" : "no");
  } catch (const drovix::EDrovixError& e) {
    std::printf("\nfailed: %s\n", e.what());
  }
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}
