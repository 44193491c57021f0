// drovix-fontsheet <font.ttf|otf> <sheet base name> [--size N] [--bold X] [--slant X] [--face N]
//
// Renders a scalable face into a 512 x 512 font sheet that drovix loads from
// ШРИФТ(): <sheet base name>.png.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/typeset/FontSheetMaker.h"

using namespace drovix;

namespace {

void Usage() {
  ConsoleWriteLine(
      Ru("Использование: drovix-fontsheet <файл шрифта .ttf/.otf> <имя листа без расширения> [ключи]"));
  ConsoleWriteLine(Ru("  --size N   высота буквы Ю в пикселях (по умолчанию: самая большая, что влезает)"));
  ConsoleWriteLine(Ru("  --bold X   утолщить штрихи на X пикселей (для семейств без жирного начертания)"));
  ConsoleWriteLine(Ru("  --slant X  наклонить на X (0.2 - обычный курсив)"));
  ConsoleWriteLine(Ru("  --face N   номер начертания в файле шрифта (для .ttc)"));
}

bool ParseNumber(const char* text, double& out) {
  char* end = nullptr;
  out = std::strtod(text, &end);
  return end != text && *end == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    Usage();
    return 2;
  }
  FontSheetOptions options;
  for (int i = 3; i < argc; ++i) {
    const std::string key = argv[i];
    double v = 0;
    if (i + 1 >= argc || !ParseNumber(argv[i + 1], v)) {
      Usage();
      return 2;
    }
    ++i;
    if (key == "--size" && v >= 9 && v <= 32)
      options.refHeight = static_cast<int>(v);
    else if (key == "--bold" && v >= 0 && v <= 4)
      options.embolden = static_cast<float>(v);
    else if (key == "--slant" && v >= -1 && v <= 1)
      options.slant = static_cast<float>(v);
    else if (key == "--face" && v >= 0)
      options.faceIndex = static_cast<int>(v);
    else {
      Usage();
      return 2;
    }
  }
  try {
    const FontSheet sheet = MakeFontSheet(argv[1], options);
    LoadLibPng();
    const std::string out = argv[2];
    FontSheetRaster(sheet)->SavePNG(out, 8);
    ConsoleWriteLine(Format(
        Ru("Записан лист шрифта \"%s.png\": %d знаков, высота Ю %d пикс. (кегль %d), базовая линия %d."),
        out.c_str(), sheet.drawn, sheet.refHeight, sheet.pixelSize, sheet.baseline));
    if (!sheet.clipped.empty()) {
      std::string list;
      for (int code : sheet.clipped) list += std::string(list.empty() ? "" : " ") + std::to_string(code);
      ConsoleWriteLine(Format(Ru("Не влезли в клетку целиком (обрезаны) знаки с кодами: %s"), list.c_str()));
    }
    return 0;
  } catch (const std::exception& e) {
    ConsoleWriteLine(e.what());
    return 1;
  }
}
