// Whole-page benchmark: a realistic 2400 x 3400 grey scan (screen tone,
// line art, 12 balloons, 3 sounds, about 4 % of the page old lettering over
// tone and drawing, made transparent) built the way the page driver builds
// it, stage by stage, in a normal and in a release build. Every stage is
// timed in processor seconds of the process (all its threads) and in
// elapsed seconds; the yardstick of the same run is
// decoding the scan (libpng) plus encoding the finished page at zlib level 9
// (libpng, the same bit depth). The page carries a scanner's noise of a few
// grey levels. The whole builds are also run through the
// program itself and timed as a child process.
//
//   bench_page [--methods] [--keep FOLDER] [--chapter FOLDER [--pages N]]
//
// --methods also times text removal with every method on copies of the
// working page (contours included for the methods that use them).
// --keep writes the chapter into FOLDER and leaves it there.
// --chapter only writes the chapter into FOLDER (for profiling the program,
// or for bench_parallel --chapter); --pages makes it N copies of the page.
#include <fcntl.h>
#include <png.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "program/GoldenSet.h"
#include "smear_page.h"

namespace {

using namespace drovix;

constexpr int32_t kWidth = 2400, kHeight = 3400;

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ChildCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double WallSeconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Processor seconds (of every thread of the process) and elapsed seconds.
struct TTimes {
  double cpu = 0, wall = 0;
};

// Runs f with standard output sent to /dev/null (the stages print progress).
template <class F>
TTimes QuietCpu(F&& f) {
  std::fflush(stdout);
  const int saved = dup(1);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  close(null);
  const double start = CpuSeconds(), startWall = WallSeconds();
  f();
  const TTimes seconds{CpuSeconds() - start, WallSeconds() - startWall};
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  return seconds;
}

// ------------------------------------------------------------------ libpng

void WriteRgbaPng(const std::string& path, int32_t w, int32_t h, const std::vector<uint8_t>& rgba) {
  FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < h; ++y)
    png_write_row(png, const_cast<png_bytep>(rgba.data() + static_cast<size_t>(y) * w * 4));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// Decodes the file into 8-bit RGBA: what any reader of the scan must do.
void DecodePng(const std::string& path, std::vector<uint8_t>& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  png_read_update_info(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  out.resize(rowBytes * h);
  std::vector<png_bytep> rows(h);
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = out.data() + y * rowBytes;
  png_read_image(png, rows.data());
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  (void)w;
}

// Encodes a grey page of `depth` bits at level 9 into memory.
size_t EncodeGreyPng(const std::vector<uint8_t>& packed, int32_t w, int32_t h, int32_t depth) {
  std::vector<uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &file,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      [](png_structp) {});
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, w, h, depth, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t rowBytes = (static_cast<size_t>(w) * depth + 7) / 8;
  for (int32_t y = 0; y < h; ++y) png_write_row(png, const_cast<png_bytep>(packed.data() + y * rowBytes));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return file.size();
}

std::vector<uint8_t> PackGrey(const TDrovixGraph& g, int32_t depth) {
  const int32_t w = g.Width(), h = g.Height();
  const int32_t shift = depth == 4 ? 4 : depth == 2 ? 6 : 0;
  const size_t rowBytes = (static_cast<size_t>(w) * depth + 7) / 8;
  std::vector<uint8_t> out(rowBytes * h, 0);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const int32_t v = std::clamp(g.Pixel(y, x), 0, 255) >> shift;
      uint8_t& b = out[y * rowBytes + static_cast<size_t>(x) * depth / 8];
      b = static_cast<uint8_t>(b | v << (8 - depth - (x * depth) % 8));
    }
  return out;
}

// ------------------------------------------------------------------ chapter

// The scan: the benchmark page of the text-removal benchmark (tone, line
// art, drawn balloons, lettering on 4 % of the page), with 12 balloons
// marked red (each a little weaker than the one before), 3 sounds marked
// green and the lettering made transparent.
void WriteChapter(const std::string& folder, int32_t pages = 1) {
  const smear_bench::TPage art = smear_bench::MakePage(kWidth, kHeight, 0.04);
  std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
  for (size_t i = 0; i < art.lettered.size(); ++i) {
    // A scanner's noise of a few grey levels: what makes real scans
    // expensive to compress.
    const uint32_t n = golden::detail::Mix(static_cast<uint32_t>(i) * 2654435761U) % 9;
    const uint8_t v = static_cast<uint8_t>(std::clamp(art.lettered[i] + static_cast<int32_t>(n) - 4, 0, 255));
    rgba[4 * i] = rgba[4 * i + 1] = rgba[4 * i + 2] = v;
    rgba[4 * i + 3] = art.mask[i] ? 0 : 255;
  }
  const auto paint = [&](int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
    uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
    if (p[3] != 255) return;  // old lettering stays transparent
    p[0] = r, p[1] = g, p[2] = b;
  };
  // 12 balloons in a 3 x 4 grid, ellipses of 260 x 170 pixels and more.
  for (int32_t b = 0; b < 12; ++b) {
    const int32_t cx = 400 + (b % 3) * 800, cy = 420 + (b / 3) * 840;
    const int32_t rx = 230 + (b * 37) % 90, ry = 150 + (b * 53) % 70;
    const int32_t excess = 250 - 15 * b;
    for (int32_t y = cy - ry; y <= cy + ry; ++y)
      for (int32_t x = cx - rx; x <= cx + rx; ++x) {
        const int64_t dx = x - cx, dy = y - cy;
        if (dx * dx * ry * ry + dy * dy * rx * rx <= int64_t{rx} * rx * ry * ry)
          paint(x, y, 255, static_cast<uint8_t>(255 - excess), static_cast<uint8_t>(255 - excess));
      }
  }
  // 3 sounds between the balloons: thick strokes marked green.
  for (int32_t k = 0; k < 3; ++k) {
    const int32_t x0 = 300 + k * 700, y0 = 850 + k * 900;
    const uint8_t g = static_cast<uint8_t>(240 - 60 * k);
    for (int32_t y = y0 - 60; y < y0 + 60; ++y)
      for (int32_t x = x0; x < x0 + 500; ++x)
        if ((x - x0) % 90 < 60) paint(x, y, 0, g, 0);
  }
  WriteRgbaPng(folder + "p01.png", kWidth, kHeight, rgba);
  golden::WriteFontSheet(folder + "fonts/f0", 25, 2);
  golden::WriteFontSheet(folder + "fonts/f1", 24, 3);
  golden::WriteFontSheet(folder + "fonts/f2", 23, 1);
  std::filesystem::create_directories(folder + "out");
  std::string balloons;
  const char* const texts[] = {
      "Эй! Ты это %Жслышал%0? Кажется, где-то совсем рядом что-то упало.",
      "Наверное, это опять соседский кот - вечно он гремит посудой.",
      "Что это за стук? Кто-то стучится в дверь...",
      "Открывай скорее!",
      "Длинная реплика, которую программа переносит сама: достопримечательности, электрификация и "
      "благодарность.",
      "Не может быть!",
      "Я же говорил тебе, что так и будет. Почему ты никогда не слушаешь?",
      "Тише! Они уже близко.",
      "Бежим отсюда, пока не поздно!",
      "Подожди... Ты слышишь этот звук?",
      "Всё кончено.",
      "Нет, всё только начинается!",
  };
  for (const char* t : texts) balloons += std::string("  (") + t + ")\n";
  std::string script =
      "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\nРАЗМЕР_ШРИФТА(28)\nДАВИТЬ_ЗЕРНО(3)\n";
  for (int32_t i = 1; i <= pages; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "p%02d", i);
    if (i > 1)
      std::filesystem::copy_file(folder + "p01.png", folder + name + ".png",
                                 std::filesystem::copy_options::overwrite_existing);
    script += std::string("%") + name +
              "(\n"
              "  ЗВУК((%0,0,0.7)(%255,4,1)(%0,2,0.7))\n"
              "  ЗВУК((%0)(%255,3))\n"
              "  ЗВУК((%0,0,0.7)(%255,5,1))\n" +
              balloons + ")\n";
  }
  golden::WriteScript(folder + "ch.manga", script + "КОНЕЦ()\n");
}

struct TStage {
  std::string name;
  TTimes seconds;
};

// One page built as the page driver builds it, each stage timed.
std::vector<TStage> BuildInStages(const std::string& folder, int32_t quality, bool methods) {
  std::vector<TStage> stages;
  std::unique_ptr<TDrovixManga> manga;
  QuietCpu([&] {
    manga = std::make_unique<TDrovixManga>(folder + "ch.manga");
    manga->CheckPass();
    manga->Quality = quality;
    for (auto& font : manga->Fonts)
      if (font) font->Load();
  });
  TDrovixMangaPage& page = *manga->Pages[0];
  if (!LibPngLoaded()) QuietCpu([] { LoadLibPng(); });
  const auto stage = [&](const std::string& name, const std::function<void()>& f) {
    stages.push_back({name, QuietCpu(f)});
  };
  stage("load (decode, corners, split)",
        [&] { page.Scan = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page.BasePath); });
  TDrovixMangaScan& scan = *page.Scan;
  scan.SmearMethod = page.SmearMethod;
  scan.SmearPower = page.SmearPower;
  if (page.CleaningPower > 0) stage("level cleaning", [&] { scan.CleanLevels(page.CleaningPower); });
  if (page.KillPatterns > 0 && quality != -1)
    stage("grain (n = 3)", [&] { scan.SuppressGrain(page.KillPatterns); });
  float s = 1;
  stage(quality == 1 ? "scale up for work" : "scale before (none at 1)", [&] {
    s = scan.ComputeScale(page.MinWidth, page.MinHeight, page.MaxWidth, page.MaxHeight);
    scan.ScaleBeforeProcessing(quality, s);
  });
  if (methods) {
    const char* const names[] = {"SDRAFT",   "SSIMPLE", "SHARD",  "SCIRCULAR",
                                 "SSMARTER", "STRICKY", "SPICKY", "SSELECTIVE"};
    for (int32_t m = 0; m < 8; ++m) {
      auto copy = std::make_unique<TDrovixMangaScan>();
      copy->SetSize(scan.Height(), scan.Width());
      copy->Paste(scan, 0, 0);
      for (auto [to, from] : {std::pair{&copy->RedMarkup, &scan.RedMarkup},
                              {&copy->GreenMarkup, &scan.GreenMarkup},
                              {&copy->Transparency, &scan.Transparency},
                              {&copy->FillMask, &scan.FillMask},
                              {&copy->Contours, &scan.Contours}})
        *to = (*from)->Clone();
      copy->TransparentCount = scan.TransparentCount;
      copy->TargetHeight = scan.TargetHeight;
      copy->TargetWidth = scan.TargetWidth;
      copy->SmearMethod = static_cast<TSmear>(m);
      copy->SmearPower = m == SDRAFT ? 0 : scan.SmearPower;
      stage(std::string("  removal ") + names[m] + " (with contours)", [&] { copy->Smear(); });
    }
  }
  const int32_t radius = scan.SmearMethod == SSMARTER || scan.SmearMethod == SSELECTIVE ? 1 : 2;
  stage("contours (radius " + std::to_string(radius) + ")", [&] { scan.ComputeContours(radius); });
  stage("removal (default method, power 25)", [&] {
    if (scan.HasTransparency()) scan.Smear();
  });
  stage("sounds (3)", [&] {
    for (const std::string& sound : page.Sounds) scan.RenderLayers(sound);
  });
  stage("balloons (12)", [&] {
    for (size_t i = 0; i < page.Balons.size(); ++i) {
      scan.FindNextBalloon();
      const TBalonEntry& b = page.Balons[i];
      scan.TypesetBalloon(b.Text, manga->Fonts, b.Smear, TypesetSettingsFor(page, b), b.Pars, b.Background,
                          manga->HardcoreMania);
    }
  });
  stage(quality == 1 ? "scale after (to final size)" : "scale after (none at 1)",
        [&] { scan.ScaleAfterProcessing(quality, s); });
  stage("save (PNG, depth " + std::to_string(page.PaletteDepth) + ")",
        [&] { scan.SavePNG(folder + "out/stages", page.PaletteDepth); });
  // The yardstick of this run: decode the scan, encode the finished page.
  std::vector<uint8_t> decoded;
  stages.push_back(
      {"= yardstick: decode scan", QuietCpu([&] { DecodePng(page.BasePath + ".png", decoded); })});
  const std::vector<uint8_t> packed = PackGrey(scan, page.PaletteDepth);
  stages.push_back({"= yardstick: encode page, level 9", QuietCpu([&] {
                      EncodeGreyPng(packed, scan.Width(), scan.Height(), page.PaletteDepth);
                    })});
  return stages;
}

TTimes RunWhole(const std::string& folder, const char* key) {
  const std::string command = "cd '" + folder +
                              "' && rm -f ch.ini out/p01.png && '" DROVIX_BINARY "' ch.manga " + key +
                              " >/dev/null 2>&1";
  const double start = ChildCpuSeconds(), startWall = WallSeconds();
  if (std::system(command.c_str()) != 0) std::printf("(the program reported a failure)\n");
  return {ChildCpuSeconds() - start, WallSeconds() - startWall};
}

}  // namespace

int main(int argc, char** argv) {
  bool methods = false;
  std::string keep;
  bool chapterOnly = false;
  int32_t pages = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--methods") == 0) {
      methods = true;
    } else if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
      keep = argv[++i];
    } else if (std::strcmp(argv[i], "--chapter") == 0 && i + 1 < argc) {
      keep = argv[++i];
      chapterOnly = true;
    } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
      pages = std::clamp(std::atoi(argv[++i]), 1, 99);
    } else {
      std::fprintf(stderr, "usage: bench_page [--methods] [--keep FOLDER] [--chapter FOLDER [--pages N]]\n");
      return 2;
    }
  }
  std::string folder = keep;
  if (folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "drovix_page_XXXXXX").string();
    folder = mkdtemp(pattern.data());
  }
  std::filesystem::create_directories(folder);
  folder = std::filesystem::absolute(folder).string() + "/";
  try {
    WriteChapter(folder, chapterOnly ? pages : 1);
    if (chapterOnly) return 0;
    std::printf("Page %d x %d, 12 balloons, 3 sounds, 4 %% old lettering\n", kWidth, kHeight);
    std::printf("seconds: processor time of all threads, and elapsed\n\n");
    for (int32_t quality : {0, 1}) {
      const std::vector<TStage> stages = BuildInStages(folder, quality, methods);
      std::printf("%s build, stage by stage %14s %8s\n", quality == 0 ? "Normal" : "Release (-r)", "cpu",
                  "wall");
      TTimes total, yard;
      const auto row = [](const std::string& name, TTimes t) {
        std::printf("  %-40s %8.3f %8.3f\n", name.c_str(), t.cpu, t.wall);
      };
      for (const TStage& s : stages) {
        row(s.name, s.seconds);
        TTimes& sum = s.name.rfind("= ", 0) == 0 ? yard : total;
        if (s.name.rfind("  removal ", 0) != 0) {
          sum.cpu += s.seconds.cpu;
          sum.wall += s.seconds.wall;
        }
      }
      row("sum of the stages", total);
      row("decode + encode", yard);
      const TTimes whole = RunWhole(folder, quality == 0 ? "" : "-r");
      row("whole program run", whole);
      std::printf("  ratio whole run / (decode + encode): %.2f cpu, %.2f elapsed (goal: %s)\n\n",
                  whole.cpu / yard.cpu, whole.wall / yard.wall, quality == 0 ? "<= 2" : "<= 4");
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    std::printf("\nfailed: %s\n", e.what());
  }
  if (keep.empty()) std::filesystem::remove_all(folder);
  return 0;
}
