// Fitting a 60-word text into a 400-line balloon with the default settings
// (font size 17, minimum size 8, compression up to 33 %, line spacing 1.33,
// every loathing 1.0, hyphenation from 7 letters): how many layouts the
// search prices per second, and how long a whole balloon takes.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "driver/console/Cp1251.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TTypesetSettings.h"

namespace {

using namespace drovix;
using Clock = std::chrono::steady_clock;

constexpr int32_t kLines = 400;
constexpr int32_t kWidth = 320;
constexpr int32_t kFontSize = 17;
constexpr int32_t kMinFontSize = 8;
constexpr int32_t kMaxCompression = 33;
constexpr float kSpacing = 1.33f;
constexpr float kLoathing = 1.0f;
constexpr int32_t kMinHyphenLength = 7;
constexpr TTypesetSettings kSettings{.DeviationLoathing = kLoathing,
                                     .TransitionLoathing = kLoathing,
                                     .ShortLineLoathing = kLoathing,
                                     .CompressionLoathing = kLoathing,
                                     .LineSpacing = kSpacing,
                                     .MinHyphenLength = kMinHyphenLength,
                                     .MaxCompression = kMaxCompression,
                                     .MinFontSize = kMinFontSize,
                                     .FontSize = kFontSize};

// A sheet of bar glyphs: letters 8..19 pixels wide with a notch so that
// pairs differ, Ю 20 rows tall.
void WriteSheet(const std::string& base) {
  std::vector<uint8_t> px(512 * 512, 255);
  const auto bar = [&px](int code, int top, int bottom, int left, int right) {
    const int y0 = 32 * (code / 16), x0 = 32 * (code % 16);
    for (int y = y0 + top; y <= y0 + bottom; ++y)
      for (int x = x0 + left; x <= x0 + right; ++x) px[static_cast<size_t>(y * 512 + x)] = 0;
  };
  for (int code = 33; code < 256; ++code) {
    const int width = 8 + code % 12;
    bar(code, 6, 25, 0, 2);
    bar(code, 6 + code % 7, 25, 3, width - 1);
  }
  bar(222, 6, 25, 0, 19);
  std::vector<uint8_t> bytes(18, 0);
  bytes[2] = 2;
  bytes[13] = 2;  // width 512
  bytes[15] = 2;  // height 512
  bytes[16] = 24;
  for (int y = 511; y >= 0; --y)
    for (int x = 0; x < 512; ++x) bytes.insert(bytes.end(), 3, px[static_cast<size_t>(y * 512 + x)]);
  std::ofstream(base + ".tga", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string SixtyWords() {
  const char* words[] = {"Послушай",   "меня", "внимательно", "потому", "что", "второй",         "раз",
                         "повторять",  "я",    "не",          "стану",  "и",   "переспрашивать", "тоже",
                         "бесполезно", "-"};
  std::string text;
  for (int i = 0; i < 60; ++i) {
    if (i > 0) text += (i % 17 == 0) ? "%А" : " ";
    text += Ru(words[i % 16]);
  }
  return text + Ru("%А");
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main() {
  std::string pattern = (std::filesystem::temp_directory_path() / "drovix_bench_XXXXXX").string();
  const std::string dir = mkdtemp(pattern.data());
  WriteSheet(dir + "/font");
  TArrayofFont fonts;
  for (size_t i = 0; i < 3; ++i) {  // normal, bold and italic
    fonts[i] = std::make_unique<TFont>(dir + "/font");
    fonts[i]->Load();
  }

  // An elliptic balloon 400 lines tall.
  TDrovixGraph mask;
  mask.SetSize(kLines, kWidth);
  for (int32_t y = 0; y < kLines; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      const double dy = (y + 0.5 - kLines / 2.0) / (kLines / 2.0);
      const double dx = (x + 0.5 - kWidth / 2.0) / (kWidth / 2.0);
      mask.Pixel(y, x) = dx * dx + dy * dy <= 1.0 ? 1 : 0;
    }
  }
  const std::string text = SixtyWords();

  // Whole balloons: parse, search (every start line and compression, per
  // scale step) and render.
  constexpr int kRuns = 5;
  double whole = 0;
  int64_t layouts = 0;
  int32_t steps = 0;
  int32_t phrases = 0;
  for (int run = 0; run < kRuns; ++run) {
    auto balloon = TBalon::Create<TBalon>(mask, kWidth - 1, kLines - 1, 0, 0);
    const auto start = Clock::now();
    balloon->Typeset(text, fonts, kSettings, 1.0f);
    whole += Seconds(start);
    steps = static_cast<int32_t>(std::lround(std::log(1.0 / balloon->ChosenScale) / std::log(1.17))) + 1;
    phrases = balloon->Phrases->Count();
    layouts += int64_t{kMaxCompression + 1} * (balloon->LastLine - balloon->FirstLine + 1) * steps;
  }

  // The pricing loop alone, at scale 1.
  auto balloon = TBalon::Create<TBalon>(mask, kWidth - 1, kLines - 1, 0, 0);
  balloon->ParseText(text, fonts, kMinHyphenLength, false, kFontSize);
  int64_t priced = 0;
  int64_t checksum = 0;  // of one pass: the same from run to run
  const auto start = Clock::now();
  for (int pass = 0; pass == 0 || Seconds(start) < 1.0; ++pass) {
    for (int32_t r = balloon->FirstLine; r <= balloon->LastLine; ++r) {
      for (int32_t k = 0; k <= kMaxCompression; ++k) {
        const int32_t cost = balloon->LayoutCost(r, kSettings, k, 1.0f);
        if (pass == 0) checksum += cost;
        ++priced;
      }
    }
  }
  const double pricing = Seconds(start);
  std::filesystem::remove_all(dir);

  std::printf("\n%-40s %14s\n", "measure", "value");
  std::printf("%-40s %14d\n", "phrases", phrases);
  std::printf("%-40s %14d\n", "scale steps per balloon", steps);
  std::printf("%-40s %14.0f\n", "layouts per second (whole balloons)", static_cast<double>(layouts) / whole);
  std::printf("%-40s %14.1f\n", "milliseconds per balloon", 1000.0 * whole / kRuns);
  std::printf("%-40s %14.0f\n", "layouts per second (pricing only)", static_cast<double>(priced) / pricing);
  std::printf("%-40s %14lld\n", "(checksum)", static_cast<long long>(checksum % 1000003));
  return 0;
}
