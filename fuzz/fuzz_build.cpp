// libFuzzer target for whole builds of tiny pages: the input chooses a
// page's size and the rectangles drawn on it (markup colours, greys,
// transparency, corner marks), the quality mode, a few settings, sound
// entries and up to three balloon texts of arbitrary bytes; the script is
// checked and the page built from start to end in the program itself
// (markup search, level cleaning, text removal, scaling, sounds,
// typesetting, saving as BMP, the record), as a run does after its check
// pass. The program's errors are expected; crashes, sanitizer reports,
// hangs, runaway memory and exceptions of other kinds are not.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_build && build-fuzz/fuzz/fuzz_build -timeout=60
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FuzzUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_parser/build/PageBuilder.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TParamsContainer.h"

namespace {

using drovix::Ru;

struct TSetting {
  const char* keyword;  // UTF-8
  int32_t low, high;    // integer argument range; low > high: no argument
  bool decimal;         // the argument gets a fraction of tenths
};

// Page settings, with arguments mostly inside their ranges.
const TSetting kSettings[] = {
    {"РАЗМЕР_ШРИФТА", 4, 101, false},
    {"МИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА", 4, 101, false},
    {"ДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА", 0, 71, false},
    {"МОЩНОСТЬ_ОЧИСТКИ", 0, 100, false},
    {"ГЛУБИНА_ЦВЕТА", 2, 8, false},
    {"МИНИМАЛЬНАЯ_ШИРИНА", 200, 400, false},
    {"МАКСИМАЛЬНАЯ_ШИРИНА", 200, 400, false},
    {"МИНИМАЛЬНАЯ_ВЫСОТА", 200, 400, false},
    {"МАКСИМАЛЬНАЯ_ВЫСОТА", 200, 400, false},
    {"СНЯТЬ_ОГРАНИЧЕНИЯ_ПО_РАЗМЕРУ", 1, 0, false},
    {"ЦВЕТНЫЕ_СКАНЫ", 1, 0, false},
    {"ТИПОВЫЕ_БАЛОНЫ", 1, 0, false},
    {"ФОН_БАЛОНОВ", 0, 255, false},
    {"ПРОЗРАЧНЫЕ_БАЛОНЫ", 1, 0, false},
    {"МЕЖСТРОЧНЫЙ_ИНТЕРВАЛ", 0, 5, true},
    {"ЗАПРЕТИТЬ_АВТОПЕРЕНОСЫ", 1, 0, false},
    {"МИНИМАЛЬНАЯ_ДЛИНА_СЛОВА_ДЛЯ_АВТОПЕРЕНОСА", 3, 12, false},
    {"ОТВРАЩЕНИЕ_К_СЖАТИЮ", 0, 10, true},
    {"ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ", 0, 10, true},
    {"ОТВРАЩЕНИЕ_К_ПЕРЕНОСАМ", 0, 10, true},
    {"ОТВРАЩЕНИЕ_К_НЕЦЕНТРОВКЕ", 0, 10, true},
    {"КАЧЕСТВО_ЗАМАЗКИ", 1, 100, false},
    {"ДАВИТЬ_ЗЕРНО", 2, 5, false},
};

// Layer lists for sounds and text properties.
const char* const kLayers[] = {
    "(%0,0,0.7)(%255,2,1)", "(%0)(%255,3)", "(%255%220%0,0,0.7)(%0,3,1)", "(%128,1,0.5)", "(%0,0,0)",
};

std::string SettingLine(FuzzedDataProvider& in) {
  const TSetting& s = kSettings[in.ConsumeIntegralInRange<size_t>(0, std::size(kSettings) - 1)];
  std::string line = Ru(s.keyword) + "(";
  if (s.low <= s.high) {
    line += std::to_string(in.ConsumeIntegralInRange<int32_t>(s.low, s.high));
    if (s.decimal) line += "." + std::to_string(in.ConsumeIntegralInRange<int32_t>(0, 9));
  }
  return line + ")\n";
}

// A balloon text of arbitrary bytes, up to 1200 of them: far more than a
// balloon of these pages holds, so that texts that cannot fit are tried
// too; parentheses would end the entry, so they become the tags for literal
// parentheses.
std::string BalloonText(FuzzedDataProvider& in) {
  std::string out;
  for (const char c : in.ConsumeRandomLengthString(1200)) {
    if (c == '(')
      out += "%[";
    else if (c == ')')
      out += "%]";
    else
      out += c;
  }
  return out;
}

// Fonts 0..2 of every script: the same sheet, loaded once.
drovix::TArrayofFont& Fonts() {
  static drovix::TArrayofFont fonts = [] {
    drovix::TArrayofFont f;
    for (size_t i = 0; i < 3; ++i) {
      f[i] = std::make_unique<drovix::TFont>(drovix_fuzz::Folder() + "font");
      f[i]->Load();
    }
    return f;
  }();
  return fonts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    drovix::DisablePng();
    drovix_fuzz::WriteFontSheet(drovix_fuzz::Folder() + "font");
    (void)Fonts();
    return true;
  }();
  (void)ready;
  const std::string& folder = drovix_fuzz::Folder();
  FuzzedDataProvider in(data, size);

  std::string script = Ru("МАНГА(out)\nШРИФТ(font, font, font)\n");
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0:
      script += Ru("ЧЕРНОВИК()\n");
      break;
    case 1:
      script += Ru("ЧИСТОВИК()\n");
      break;
    default:
      break;
  }
  if (in.ConsumeIntegralInRange<int>(0, 7) == 0) script += Ru("ДЛЯ_КОНЧЕНЫХ_ОТАКУ()\n");
  const int method = in.ConsumeIntegralInRange<int>(0, 7);
  const std::string methodName = drovix::SmearMethodName(static_cast<drovix::TSmear>(method));
  if (!methodName.empty()) script += Ru("МЕТОД_ЗАМАЗКИ(") + methodName + ")\n";
  script += "%page(\n";
  for (int n = in.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) script += SettingLine(in);
  if (in.ConsumeBool())
    script += Ru("СВОЙСТВА_ТЕКСТА(") + kLayers[in.ConsumeIntegralInRange<size_t>(0, 4)] + ")\n";
  for (int n = in.ConsumeIntegralInRange<int>(0, 2); n > 0; --n)
    script += Ru("ЗВУК(") + kLayers[in.ConsumeIntegralInRange<size_t>(0, 4)] + ")\n";
  for (int n = in.ConsumeIntegralInRange<int>(0, 3); n > 0; --n) script += "(" + BalloonText(in) + ")\n";
  script += Ru(")\nКОНЕЦ()\n");

  const int width = in.ConsumeIntegralInRange<int>(1, 64);
  const int height = in.ConsumeIntegralInRange<int>(1, 64);
  const std::vector<uint8_t> pixels = in.ConsumeRemainingBytes<uint8_t>();
  drovix_fuzz::WriteRectScan(folder + "page", width, height, pixels.data(), pixels.size());
  drovix_fuzz::WriteFile(folder + "f.manga", script);
  std::remove((folder + "f.ini").c_str());
  std::remove((folder + "out/page.bmp").c_str());
  std::remove((folder + "_error.bmp").c_str());
  try {
    drovix::TDrovixManga manga(folder + "f.manga");
    manga.CheckPass();
    // What RunManga does after its check pass, but with the font sheet loaded once
    // per process: loading it is most of the time of a tiny page. The
    // script's own (unloaded) fonts are put back before it is destroyed.
    struct TFontLoan {
      drovix::TArrayofFont& script;
      ~TFontLoan() {
        for (size_t i = 0; i < 3; ++i) std::swap(script[i], Fonts()[i]);
      }
    } loan{manga.Fonts};
    for (size_t i = 0; i < 3; ++i) std::swap(manga.Fonts[i], Fonts()[i]);
    for (auto& page : manga.Pages) {
      drovix::BuildPage(manga, *page, *manga.BuildRecord);
      page.reset();
    }
    manga.SaveBuildRecord();
  } catch (const drovix::EDrovixError&) {
  }
  return 0;
}
