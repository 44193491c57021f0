// The golden set: a fixed collection of chapters (scans, companion markup,
// font sheets, a texture and the scripts) whose build outputs must never
// change through work on speed. Everything is drawn with integer arithmetic
// from fixed numbers, so every machine writes the same files. The same set at
// a larger size serves the benchmark in bench/.
//
// Plain C++, POSIX and the program's own picture reader (no test framework),
// so that the benchmark can include it.
#pragma once

#include <stdlib.h>
#include <sys/time.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "common/RunCommand.h"
#include "common/TgaFile.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix::golden {

// ---------------------------------------------------------------- pictures

// A 32-bit picture (R, G, B, A) written as a run-length TGA of raw packets
// (the form that keeps alpha).
class TRgbaPicture {
 public:
  TRgbaPicture(int32_t width, int32_t height)
      : w_(width), h_(height), px_(static_cast<size_t>(width) * height, 0) {}
  int32_t Width() const { return w_; }
  int32_t Height() const { return h_; }
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  void Set(int32_t x, int32_t y, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
    if (Inside(x, y))
      px_[static_cast<size_t>(y) * w_ + x] =
          uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16 | uint32_t{a} << 24;
  }
  void Grey(int32_t x, int32_t y, uint8_t v) { Set(x, y, v, v, v); }
  uint32_t At(int32_t x, int32_t y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  uint8_t GreyAt(int32_t x, int32_t y) const { return static_cast<uint8_t>(At(x, y) >> 8); }
  void SetAlpha(int32_t x, int32_t y, uint8_t a) {
    if (Inside(x, y)) {
      uint32_t& p = px_[static_cast<size_t>(y) * w_ + x];
      p = (p & 0xFFFFFFu) | uint32_t{a} << 24;
    }
  }
  void SaveTga(const std::string& base) const {
    test_common::WriteFileBytes(base + ".tga",
                                test_common::TgaBytes(w_, h_, test_common::TTgaForm::kRle32Rows,
                                                      [this](int32_t x, int32_t y) { return At(x, y); }));
  }

 private:
  int32_t w_, h_;
  std::vector<uint32_t> px_;
};

// What a page carries besides its drawing.
struct TPagePlan {
  int32_t width = 240, height = 320;
  int32_t seed = 1;
  int32_t lettering = 2;           // blocks of old lettering made transparent
  int32_t balloons = 1;            // red ellipses, strongest first
  int32_t sounds = 0;              // green shapes, strongest first
  bool corners = false;            // blue corner marks (a page scanned askew)
  bool markupInCompanion = false;  // balloons, sounds and corners in "<page>_"
  bool denseTone = false;          // the whole page under strong dot tone
  bool allTransparent = false;     // every pixel transparent
};

namespace detail {

inline uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7feb352dU;
  v ^= v >> 15;
  v *= 0x846ca68bU;
  v ^= v >> 16;
  return v;
}

// The drawing: four panels (dot tone, flat grey, hatching, graded dots) with
// black borders, strokes across them and a little noise, as a scan has.
inline uint8_t Art(int32_t x, int32_t y, const TPagePlan& s) {
  const int32_t w = s.width, h = s.height;
  const uint32_t noise = Mix(static_cast<uint32_t>(x * 7919 + y * 104729 + s.seed * 31)) % 7;
  if (s.denseTone)
    return ((x + y) % 4 < 2 && (x - y + 4000) % 4 < 2 ? 10 : 245) - static_cast<int32_t>(noise);
  const int32_t mx = w / 2 + (s.seed * 13) % 17 - 8, my = h / 2 + (s.seed * 7) % 23 - 11;
  const int32_t gutter = std::max(3, w / 60);
  if (x < gutter || y < gutter || x >= w - gutter || y >= h - gutter || std::abs(x - mx) < gutter ||
      std::abs(y - my) < gutter)
    return static_cast<uint8_t>(255 - noise);
  if (x < gutter + 2 || y < gutter + 2 || x >= w - gutter - 2 || y >= h - gutter - 2 ||
      std::abs(x - mx) < gutter + 2 || std::abs(y - my) < gutter + 2)
    return static_cast<uint8_t>(noise * 3);
  // A stroke: a band along a line of the seed's slope.
  const int32_t band = (x * (3 + s.seed % 4) - y * 2 + s.seed * 1000) % 151;
  if (band >= 0 && band < 4) return static_cast<uint8_t>(20 + noise);
  const int32_t panel = (x < mx ? 0 : 1) + (y < my ? 0 : 2);
  const int32_t kind = (panel + s.seed) % 4;
  int32_t v = 255;
  if (kind == 0) {  // dots on a 45-degree grid of period 6
    const int32_t u = (x + y) % 6 - 3, t = (x - y + 6000) % 6 - 3;
    v = u * u + t * t < 5 ? 60 : 235;
  } else if (kind == 1) {
    v = 150 + (s.seed * 11) % 60;
  } else if (kind == 2) {
    v = (x + 2 * y) % 9 == 0 ? 40 : 250;
  } else {  // dots growing down the panel
    const int32_t u = (x + y) % 8 - 4, t = (x - y + 8000) % 8 - 4;
    const int32_t r2 = 1 + 14 * (y % std::max(1, h / 2)) / std::max(1, h / 2);
    v = u * u + t * t < r2 ? 30 : 240;
  }
  return static_cast<uint8_t>(std::clamp(v - static_cast<int32_t>(noise), 0, 255));
}

}  // namespace detail

struct TDrawnPage {
  TRgbaPicture page;
  TRgbaPicture markup;  // the companion picture, all white unless asked for
};

// The scan of one page and its companion markup picture.
inline TDrawnPage DrawPage(const TPagePlan& s, bool colour) {
  const int32_t w = s.width, h = s.height;
  TDrawnPage drawn{TRgbaPicture(w, h), TRgbaPicture(w, h)};
  TRgbaPicture& page = drawn.page;
  TRgbaPicture& markup = drawn.markup;
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t v = detail::Art(x, y, s);
      if (colour) {
        // A tinted drawing: the channels differ but stay close.
        const uint32_t n = detail::Mix(static_cast<uint32_t>(x * 31 + y * 57 + s.seed));
        page.Set(x, y, static_cast<uint8_t>(std::min(255, v + static_cast<int32_t>(n % 20))), v,
                 static_cast<uint8_t>(std::max(0, v - static_cast<int32_t>((n >> 8) % 25))));
      } else {
        page.Grey(x, y, v);
      }
      markup.Grey(x, y, 255);
    }
  TRgbaPicture& marks = s.markupInCompanion ? markup : page;
  // Balloons: white ellipses marked red, each weaker than the one before,
  // with a faint rim that belongs to the balloon.
  for (int32_t b = 0; b < s.balloons; ++b) {
    const int32_t cx = w * (2 + 3 * (b % 2)) / 7, cy = h * (1 + 2 * (b / 2)) / 6 + 4 * b;
    const int32_t rx = w / 6 + 3 * b, ry = h / 9 + 2 * b;
    const int32_t excess = 200 - 40 * b;
    for (int32_t y = cy - ry - 3; y <= cy + ry + 3; ++y)
      for (int32_t x = cx - rx - 3; x <= cx + rx + 3; ++x) {
        const int64_t dx = x - cx, dy = y - cy;
        const int64_t inner = dx * dx * ry * ry + dy * dy * rx * rx, r2 = int64_t{rx} * rx * ry * ry;
        const int64_t outer = dx * dx * (ry + 3) * (ry + 3) + dy * dy * (rx + 3) * (rx + 3);
        const int64_t o2 = int64_t{rx + 3} * (rx + 3) * (ry + 3) * (ry + 3);
        if (inner <= r2)
          marks.Set(x, y, 255, static_cast<uint8_t>(255 - excess), static_cast<uint8_t>(255 - excess));
        else if (outer <= o2)
          marks.Set(x, y, 255, static_cast<uint8_t>(255 - excess / 8),
                    static_cast<uint8_t>(255 - excess / 8));
      }
  }
  // Sounds: thick black strokes marked green, with a softer rim.
  for (int32_t k = 0; k < s.sounds; ++k) {
    const int32_t x0 = w / 8 + k * w / 4, y0 = h * 3 / 4 - k * h / 10;
    const uint8_t g = static_cast<uint8_t>(240 - 50 * k);
    for (int32_t y = y0 - 16; y < y0 + 16; ++y)
      for (int32_t x = x0 - 4; x < x0 + w / 6 + 4; ++x) {
        const bool core = (y - y0) * (y - y0) < 100 && ((x - x0) % 14 < 9) && x >= x0 && x < x0 + w / 6;
        const bool rim = !core && (y - y0) * (y - y0) < 196;
        if (core)
          marks.Set(x, y, 0, g, 0);
        else if (rim)
          marks.Set(x, y, 0, static_cast<uint8_t>(g / 3 + 20), 0);
      }
  }
  // Corner marks of a page scanned a little askew.
  if (s.corners) {
    const auto mark = [&](int32_t x, int32_t y) {
      for (int32_t j = 0; j < 3; ++j)
        for (int32_t i = 0; i < 3; ++i) marks.Set(x + i, y + j, 0, 0, 255);
    };
    mark(3, 5);
    mark(w - 7, 2);
    mark(w / 2 + 2, 4);
    mark(5, h - 6);
    mark(w - 5, h - 8);  // the bottom middle mark is left to be completed
  }
  // Old lettering: blocks of letter strokes made transparent, with a half
  // transparent rim.
  for (int32_t k = 0; k < s.lettering; ++k) {
    const int32_t bx = (w * (1 + 3 * k) / 9 + s.seed * 5) % std::max(1, w - 50) + 8;
    const int32_t by = (h * (2 + 3 * k) / 11 + s.seed * 9) % std::max(1, h - 30) + 6;
    for (int32_t c = 0; c < 4; ++c)
      for (int32_t y = by; y < by + 12; ++y)
        for (int32_t x = bx + c * 9; x < bx + c * 9 + 7; ++x) {
          const int32_t lx = x - bx - c * 9, ly = y - by;
          const bool ink = lx < 2 || ly < 2 || (ly > 5 && ly < 8 && (k + c) % 2 == 0) || lx == 5 + (c % 2);
          if (ink) {
            page.SetAlpha(x, y, 0);
            for (int32_t e = 0; e < 4; ++e) {
              const int32_t ex = x + (e == 0) - (e == 1), ey = y + (e == 2) - (e == 3);
              if (page.Inside(ex, ey) && (page.At(ex, ey) >> 24) == 255) page.SetAlpha(ex, ey, 150);
            }
          }
        }
  }
  if (s.allTransparent)
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) page.SetAlpha(x, y, 0);
  return drawn;
}

// The page written as "<base>.tga" (and its companion as "<base>_.tga" when
// the program reads the markup there).
inline void WritePage(const std::string& base, const TPagePlan& s, bool colour) {
  const TDrawnPage drawn = DrawPage(s, colour);
  drawn.page.SaveTga(base);
  if (s.markupInCompanion) drawn.markup.SaveTga(base + "_");
}

// A 512 x 512 font sheet: letters of different widths built from bars, a
// few with an accent above, so that layout, justification and hyphenation
// have something to work with.
inline void WriteFontSheet(const std::string& base, int32_t inkBottom, int32_t weight) {
  TRgbaPicture sheet(512, 512);
  for (int32_t y = 0; y < 512; ++y)
    for (int32_t x = 0; x < 512; ++x) sheet.Grey(x, y, 255);
  const auto glyph = [&](int32_t code, int32_t width, bool accent) {
    const int32_t y0 = 32 * (code / 16), x0 = 32 * (code % 16);
    for (int32_t y = 8; y <= inkBottom; ++y)
      for (int32_t x = 0; x < width; ++x) {
        const bool stem = x < weight || x >= width - weight || y < 8 + weight || (y - 8) % 7 < weight / 2 + 1;
        if (stem) sheet.Grey(x0 + x, y0 + y, static_cast<uint8_t>(x % 3 == 2 ? 60 : 0));
      }
    if (accent)
      for (int32_t y = 3; y < 6; ++y)
        for (int32_t x = width / 3; x < width / 3 + 3; ++x) sheet.Grey(x0 + x, y0 + y, 0);
  };
  for (int32_t code = 192; code < 256; ++code) glyph(code, 7 + (code * 5) % 9, code == 201 || code == 233);
  glyph(168, 10, true);
  glyph(184, 9, true);
  glyph(222, 20, false);  // Ю sets the font's height
  for (int32_t code = '0'; code <= '9'; ++code) glyph(code, 8, false);
  for (int32_t code = 'A'; code <= 'Z'; ++code) glyph(code, 6 + code % 5, false);
  for (int32_t code = 'a'; code <= 'z'; ++code) glyph(code, 5 + code % 4, false);
  for (int32_t code : {'!', '?', '.', ',', '-', ':'}) glyph(code, code == '-' ? 5 : 3, false);
  sheet.SaveTga(base);
}

// A small hatching texture.
inline void WriteTexture(const std::string& base) {
  TRgbaPicture t(24, 24);
  for (int32_t y = 0; y < 24; ++y)
    for (int32_t x = 0; x < 24; ++x) t.Grey(x, y, (x + y) % 6 < 2 ? 30 : 220);
  t.SaveTga(base);
}

// ---------------------------------------------------------------- chapters

// Writes a script given as UTF-8 source text in Windows-1251.
inline void WriteScript(const std::string& path, const std::string& utf8) {
  std::ofstream(path, std::ios::binary) << Ru(utf8);
}

// Scan files get a fixed modification time: the build record holds their
// age.
inline void FixTime(const std::string& path) {
  struct timeval times[2] = {{1700000000, 0}, {1700000000, 0}};
  ::utimes(path.c_str(), times);
}

// The main chapter, its sides multiplied by `scale`: every text-removal
// method that a script can name, the power classes (1, 25, 100), grain
// suppression 2 to 5, level cleaning, PNG at depths 2, 4 and 8, scaling down
// and up through the size limits, deformation through corner marks (grey
// page and colour page through its companion), colour pages, sounds with
// colour and texture layers, horizontal and vertical balloons, cleaning
// inside a transparent balloon of a colour page, and old lettering over
// white, tone and lines.
inline void WriteMainChapter(const std::string& folder, int32_t scale = 1) {
  namespace fs = std::filesystem;
  fs::create_directories(folder + "out");
  WriteFontSheet(folder + "fonts/f0", 25, 2);
  WriteFontSheet(folder + "fonts/f1", 24, 3);
  WriteFontSheet(folder + "fonts/f2", 23, 1);
  WriteTexture(folder + "textures/hatch");
  const auto page = [&](const std::string& name, TPagePlan s, bool colour = false) {
    s.width *= scale;
    s.height *= scale;
    s.lettering *= scale;
    WritePage(folder + name, s, colour);
    FixTime(folder + name + ".tga");
    if (s.markupInCompanion) FixTime(folder + name + "_.tga");
  };
  page("g01", {.width = 240, .height = 300, .seed = 1, .lettering = 3, .balloons = 2, .sounds = 1});
  page("g02", {.width = 232, .height = 290, .seed = 2, .lettering = 2, .balloons = 1});
  page("g03",
       {.width = 250, .height = 280, .seed = 3, .lettering = 2, .balloons = 0, .sounds = 1, .corners = true});
  page("g04", {.width = 300, .height = 330, .seed = 4, .lettering = 2, .balloons = 1});
  page("g05", {.width = 224, .height = 260, .seed = 5, .lettering = 1, .balloons = 2});
  page("g06",
       {.width = 240,
        .height = 280,
        .seed = 6,
        .lettering = 2,
        .balloons = 1,
        .sounds = 1,
        .markupInCompanion = true},
       true);
  page("g07",
       {.width = 256,
        .height = 300,
        .seed = 7,
        .lettering = 1,
        .balloons = 1,
        .corners = true,
        .markupInCompanion = true},
       true);
  page("g08", {.width = 220, .height = 240, .seed = 8, .lettering = 2, .balloons = 2, .denseTone = true});
  const std::string lim = std::to_string(250 * scale), grow = std::to_string(std::min(4100, 300 * scale));
  WriteScript(folder + "ch.manga",
              "МАНГА(out)\n"
              "ШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n"
              "ТЕКСТУРА(штриховка, textures/hatch)\n"
              "ТЕКСТУРА(серый, %160)\n"
              "РАЗМЕР_ШРИФТА(14)\n"
              "МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА(6)\n"
              "%g01(\n"
              "  ЗВУК((%0,0,0.7)(%255,3,1)(%0,1,0.7))\n"
              "  (Эй! Ты это %Жслышал%0? Кажется, где-то рядом что-то упало.)\n"
              "  (Наверное, опять соседский кот.)\n"
              ")\n"
              "%g02(\n"
              "  МЕТОД_ЗАМАЗКИ(простая)\n  КАЧЕСТВО_ЗАМАЗКИ(1)\n  ДАВИТЬ_ЗЕРНО(2)\n  МОЩНОСТЬ_ОЧИСТКИ(10)\n"
              "  ГЛУБИНА_ЦВЕТА(8)\n"
              "  (Длинная реплика: достопримечательности, электрификация и благодарность.)\n"
              ")\n"
              "%g03(\n"
              "  МЕТОД_ЗАМАЗКИ(жёсткая)\n  КАЧЕСТВО_ЗАМАЗКИ(100)\n  ГЛУБИНА_ЦВЕТА(2)\n"
              "  ЗВУК((штриховка,0,0.7)(%255,2,1))\n"
              ")\n"
              "%g04(\n"
              "  МЕТОД_ЗАМАЗКИ(кружавчиками)\n  ДАВИТЬ_ЗЕРНО(3)\n  МАКСИМАЛЬНАЯ_ВЫСОТА(" +
                  lim +
                  ")\n"
                  "  СВОЙСТВА_ТЕКСТА((%0,0,0.7)(%255,2,1))\n"
                  "  (%КЧто это за стук?%0 Кто-то стучится в дверь...)\n"
                  ")\n"
                  "%g05(\n"
                  "  МЕТОД_ЗАМАЗКИ(улучшенная)\n  ДАВИТЬ_ЗЕРНО(5)\n  МИНИМАЛЬНАЯ_ШИРИНА(" +
                  grow +
                  ")\n"
                  "  (Открывай скорее!)\n"
                  "  (Стой!)\n"
                  ")\n"
                  "%g06(\n"
                  "  ЦВЕТНЫЕ_СКАНЫ()\n  КАЧЕСТВО_ЗАМАЗКИ(1)\n  ДАВИТЬ_ЗЕРНО(4)\n  МОЩНОСТЬ_ОЧИСТКИ(20)\n"
                  "  ПРОЗРАЧНЫЕ_БАЛОНЫ()\n  ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%0))\n"
                  "  ЗВУК((%255%220%0,0,0.7)(%0,3,1))\n"
                  "  (Цветная страница!)\n"
                  ")\n"
                  "%g07(\n"
                  "  ЦВЕТНЫЕ_СКАНЫ()\n  МАКСИМАЛЬНАЯ_ШИРИНА(" +
                  lim +
                  ")\n"
                  "  (Кривая страница.)\n"
                  ")\n"
                  "%g08(\n"
                  "  (Буквы поверх тона.)\n"
                  "  (%ВТишина)\n"
                  ")\n"
                  "КОНЕЦ()\n");
}

// A chapter that ends in failures: a fully transparent page (every pixel
// gets the ERROR pattern) and then a page with two balloon entries but one
// red area, which saves "_error.bmp" and stops the run.
inline void WriteFailingChapter(const std::string& folder, int32_t scale = 1) {
  std::filesystem::create_directories(folder + "out");
  WriteFontSheet(folder + "fonts/f0", 25, 2);
  WriteFontSheet(folder + "fonts/f1", 24, 3);
  WriteFontSheet(folder + "fonts/f2", 23, 1);
  TPagePlan hole{.width = 200 * scale,
                 .height = 200 * scale,
                 .seed = 9,
                 .lettering = 0,
                 .balloons = 0,
                 .allTransparent = true};
  WritePage(folder + "e01", hole, false);
  FixTime(folder + "e01.tga");
  TPagePlan one{.width = 230 * scale, .height = 260 * scale, .seed = 10, .lettering = 1, .balloons = 1};
  WritePage(folder + "e02", one, false);
  FixTime(folder + "e02.tga");
  WriteScript(folder + "ch.manga",
              "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\nРАЗМЕР_ШРИФТА(12)\n"
              "%e01(\n  МЕТОД_ЗАМАЗКИ(жёсткая)\n  КАЧЕСТВО_ЗАМАЗКИ(1)\n)\n"
              "%e02(\n  (Первый.)\n  (Второго нет.)\n)\n"
              "КОНЕЦ()\n");
}

// ---------------------------------------------------------------- checks

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// 64-bit FNV-1a, in hex.
inline std::string Checksum(const std::string& bytes) {
  uint64_t h = 14695981039346656037ULL;
  for (const char c : bytes) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}

// What a reader of a PNG file sees, whatever zlib packed it: the size, the
// channel layout of the header (colour type, bit depth, interlacing) and the
// checksum of the pixels as the program's reader decodes them (R, G, B, A
// bytes per pixel, rows top to bottom). A file without a PNG header is
// checksummed as bytes, so that a broken page still shows as different.
inline std::string PngContent(const std::string& path) {
  const std::string bytes = ReadFile(path);
  static const std::string kSignature = "\x89PNG\r\n\x1a\n";
  if (bytes.size() < 33 || bytes.compare(0, 8, kSignature) != 0 || bytes.compare(12, 4, "IHDR") != 0)
    return "bytes " + Checksum(bytes);
  const auto be32 = [&](size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(bytes[at + i]);
    return v;
  };
  const int32_t depth = static_cast<unsigned char>(bytes[24]), colour = static_cast<unsigned char>(bytes[25]);
  const int32_t interlace = static_cast<unsigned char>(bytes[28]);
  const char* const layout = colour == 0   ? "grey"
                             : colour == 2 ? "rgb"
                             : colour == 3 ? "palette"
                             : colour == 4 ? "grey+alpha"
                             : colour == 6 ? "rgba"
                                           : "colour?";
  std::string pixels;
  try {
    TDrovixGraph raster;
    LoadPNG(raster, path.substr(0, path.size() - 4));
    pixels.reserve(static_cast<size_t>(raster.Width()) * raster.Height() * 4);
    for (int32_t y = 0; y < raster.Height(); ++y) {
      const int32_t* row = raster.RowPtr(y);
      for (int32_t x = 0; x < raster.Width(); ++x) {
        const uint32_t p = static_cast<uint32_t>(row[x]);
        for (int32_t shift = 0; shift < 32; shift += 8) pixels += static_cast<char>(p >> shift & 255);
      }
    }
  } catch (...) {
    return "unreadable " + Checksum(bytes);
  }
  return std::to_string(be32(16)) + "x" + std::to_string(be32(20)) + " " + layout + "/" +
         std::to_string(depth) + (interlace != 0 ? " interlaced" : "") + " " + Checksum(pixels);
}

inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// What may differ between two runs of the same build: the folder the chapter
// lies in, the clock-picked crash exclamation, the age of the output files.
inline std::string Normalised(std::string text, const std::string& folder,
                              const std::vector<std::string>& phrases) {
  text = ReplaceAll(std::move(text), folder, "<folder>/");
  // A line (line ends LF or CR) that is one whole exclamation.
  std::string lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    const bool phrase = !line.empty() && std::find(phrases.begin(), phrases.end(), line) != phrases.end();
    lines += phrase ? std::string("<crash phrase>") : line;
    if (end < text.size()) lines += text[end];
    start = end + 1;
  }
  text = std::move(lines);
  std::string out;
  size_t from = 0;
  for (size_t at; (at = text.find("Output file age=", from)) != std::string::npos;) {
    const size_t end = text.find('\n', at);
    out += text.substr(from, at - from) + "Output file age=<age>";
    from = end == std::string::npos ? text.size() : end;
  }
  return out + text.substr(from);
}

// The crash exclamations as the console shows them.
inline std::vector<std::string> ShownCrashPhrases(const std::string& cp1251List) {
  std::vector<std::string> pieces(1);
  for (const char c : cp1251List) {
    if (c == '~')
      pieces.emplace_back();
    else
      pieces.back().push_back(c);
  }
  for (std::string& p : pieces) p = Transliterate(p);
  return pieces;
}

using TRunResult = TCommandResult;

// Runs the program in folder with the arguments, standard input empty and the
// clock's zone fixed (file ages are local time).
inline TRunResult RunProgram(const std::string& binary, const std::string& folder,
                             const std::vector<std::string>& args) {
  std::string command = "cd '" + folder + "' && TZ=UTC '" + binary + "'";
  for (const std::string& a : args) command += " '" + a + "'";
  return RunCommand(command + " </dev/null 2>&1");
}

// The checksum lines of a finished run: every file the run wrote (PNG pages
// by their content, see PngContent; BMP pages and "_error.bmp" by their
// bytes, which no library packs; the build record, normalised) and the
// console text (normalised). Inputs the chapter writer made are left out.
inline std::vector<std::string> RunChecksums(const std::string& folder, const TRunResult& run,
                                             const std::vector<std::string>& phrases) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = fs::relative(e.path(), folder).string();
    if (rel.ends_with(".tga") || rel.ends_with(".manga")) continue;
    if (rel.ends_with(".png")) {
      files[rel] = PngContent(e.path().string());
      continue;
    }
    std::string bytes = ReadFile(e.path().string());
    if (rel.ends_with(".ini")) bytes = Normalised(std::move(bytes), folder, phrases);
    files[rel] = Checksum(bytes);
  }
  std::vector<std::string> lines;
  for (const auto& [name, sum] : files) lines.push_back(name + " " + sum);
  lines.push_back("console " + Checksum(Normalised(run.output, folder, phrases)));
  lines.push_back("status " + std::to_string(run.status));
  return lines;
}

// The runs of the golden set: a name, the chapter, the command-line keys.
struct TGoldenRun {
  const char* name;
  bool failing;
  std::vector<std::string> keys;
};

inline const std::vector<TGoldenRun>& GoldenRuns() {
  static const std::vector<TGoldenRun> runs = {
      {"normal", false, {}},  {"draft", false, {"-d"}}, {"release", false, {"-r"}},
      {"bmp", false, {"-x"}}, {"failing", true, {}},
  };
  return runs;
}

// Reads a checksum file: one line per entry, '#' lines are comments.
inline std::vector<std::string> ReadChecksumFile(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

inline void WriteChecksumFile(const std::string& path, const std::string& comment,
                              const std::vector<std::string>& lines) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path);
  out << "# " << comment << "\n";
  for (const std::string& l : lines) out << l << "\n";
}

}  // namespace drovix::golden
