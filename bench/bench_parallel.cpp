// A chapter built one page at a time and side by side: wall time, processor
// time and peak memory of whole runs of the program with -j1, -j2 and -j
// (as many as the processor has cores).
//
// Usage: bench_parallel [pages] [width] [height]   (20 pages of 1200 x 1700
// by default: light pages, mostly reading and writing files)
//        bench_parallel --chapter FOLDER   (FOLDER/ch.manga, for example the
// realistic pages of bench_page --chapter FOLDER --pages 4)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/TgaFile.h"
#include "driver/console/Cp1251.h"

namespace {

namespace fs = std::filesystem;

// A 32-bit uncompressed TGA from RGBA rows, top row first.
void SaveTga(const std::string& path, int32_t w, int32_t h, const std::vector<uint8_t>& rgba) {
  drovix::test_common::WriteFileBytes(
      path,
      drovix::test_common::TgaBytes(w, h, drovix::test_common::TTgaForm::kRaw32, [&](int32_t x, int32_t y) {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
        return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
      }));
}

void Fill(std::vector<uint8_t>& px, int32_t w, int32_t top, int32_t bottom, int32_t left, int32_t right,
          uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  for (int32_t y = top; y <= bottom; ++y)
    for (int32_t x = left; x <= right; ++x) {
      uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
      p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
}

// Font sheet: every letter a bar in its cell, Ю taller.
void SaveFont(const std::string& path) {
  std::vector<uint8_t> px(512 * 512 * 4, 255);
  const auto bar = [&](int code, int32_t width) {
    const int32_t y0 = 32 * (code / 16), x0 = 32 * (code % 16);
    Fill(px, 512, y0 + 6, y0 + 25, x0, x0 + width - 1, 0, 0, 0);
  };
  for (int code = 192; code < 256; ++code) bar(code, 10 + code % 5);
  for (int code = '0'; code <= '9'; ++code) bar(code, 8);
  bar(222, 20);
  bar('!', 3);
  SaveTga(path + ".tga", 512, 512, px);
}

// A page: screen-tone grain, lines of "lettering", two balloons, old text
// to remove (transparent) and a sound effect.
void SavePage(const std::string& path, int32_t w, int32_t h, int seed) {
  std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
  uint32_t r = 2463534242u + static_cast<uint32_t>(seed);
  for (size_t i = 0; i < px.size(); i += 4) {
    r ^= r << 13, r ^= r >> 17, r ^= r << 5;
    const uint8_t v = static_cast<uint8_t>(200 + r % 56);
    px[i] = px[i + 1] = px[i + 2] = v;
    px[i + 3] = 255;
  }
  for (int32_t y = h / 20; y < h; y += h / 10) Fill(px, w, y, y + 3, w / 20, w - w / 20, 0, 0, 0);
  Fill(px, w, h / 8, h / 3, w / 8, w / 2, 255, 190, 190);
  Fill(px, w, h / 2, h * 2 / 3, w / 2, w - w / 8, 255, 170, 170);
  Fill(px, w, h * 3 / 4, h * 3 / 4 + h / 30, w / 6, w / 3, 255, 255, 255, 0);
  Fill(px, w, h * 5 / 6, h * 9 / 10, w / 2, w * 3 / 4, 0, 255, 0);
  SaveTga(path + ".tga", w, h, px);
}

struct TFigures {
  double wall = 0, cpu = 0, peakMiB = 0;
  int status = -1;
};

TFigures Run(const std::string& folder, const std::string& key) {
  TFigures f;
  const auto start = std::chrono::steady_clock::now();
  std::fflush(stdout);  // the child must not print what is buffered here
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.c_str()) != 0) ::_exit(99);
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "r", stdin)) ::_exit(98);
    ::execl(DROVIX_BINARY, DROVIX_BINARY, "ch.manga", key.c_str(), static_cast<char*>(nullptr));
    ::_exit(97);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  f.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  f.cpu =
      usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  f.peakMiB = usage.ru_maxrss / 1024.0;  // of the child alone
  f.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return f;
}

}  // namespace

// The three runs on the chapter in folder (ending in '/').
void RunAll(const std::string& folder) {
  std::printf("%-6s %10s %10s %8s %12s %7s\n", "key", "wall s", "cpu s", "speedup", "peak MiB", "status");
  double base = 0;
  for (const char* key : {"-j1", "-j2", "-j"}) {
    fs::remove(folder + "ch.ini");  // every run builds every page
    const TFigures f = Run(folder, key);
    if (base == 0) base = f.wall;
    std::printf("%-6s %10.2f %10.2f %7.2fx %12.1f %7d\n", key, f.wall, f.cpu, base / f.wall, f.peakMiB,
                f.status);
    std::fflush(stdout);
  }
}

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--chapter") {
    std::printf("%s, %u processors\n", argv[2], std::thread::hardware_concurrency());
    RunAll(fs::absolute(argv[2]).string() + "/");
    return 0;
  }
  const int pages = argc > 1 ? std::atoi(argv[1]) : 20;
  const int32_t w = argc > 2 ? std::atoi(argv[2]) : 1200;
  const int32_t h = argc > 3 ? std::atoi(argv[3]) : 1700;
  if (pages < 1 || w < 64 || h < 64 || w > 4100 || h > 4100) {
    std::fprintf(stderr, "usage: bench_parallel [pages] [width 64..4100] [height 64..4100]\n");
    return 2;
  }
  std::string folder = (fs::temp_directory_path() / "drovix-bench-parallel-XXXXXX").string();
  if (::mkdtemp(folder.data()) == nullptr) return 1;
  folder += "/";
  fs::create_directories(folder + "out");
  fs::create_directories(folder + "fonts");
  for (const char* f : {"f0", "f1", "f2"}) SaveFont(folder + "fonts/" + f);
  std::string script = "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\nЗАПРЕТИТЬ_ПНГ()\n";
  for (int i = 1; i <= pages; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%03d", i);
    SavePage(folder + name, w, h, i);
    script += std::string("%") + name +
              "(\nЗВУК((%0)(%255,3))\n(Перевод этой реплики, довольно длинный, чтобы переносить.)\n"
              "(Второй балон!)\n)\n";
  }
  std::ofstream(folder + "ch.manga", std::ios::binary) << drovix::Ru(script + "КОНЕЦ()\n");

  std::printf("%d pages of %d x %d, %u processors\n", pages, w, h, std::thread::hardware_concurrency());
  RunAll(folder);
  fs::remove_all(folder);
  return 0;
}
