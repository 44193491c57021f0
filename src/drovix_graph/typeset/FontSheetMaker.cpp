#include "drovix_graph/typeset/FontSheetMaker.h"

#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/typeset/FreeTypeSupport.h"

namespace drovix {
namespace {

constexpr int kCell = 32;
constexpr int kSheet = 512;
constexpr int kRefCode = 0xDE;  // Ю

// Unicode code point of a Windows-1251 byte (0 where the code page has none).
char32_t UnicodeOf(int code) {
  const std::string utf8 = Cp1251ToUtf8(std::string(1, static_cast<char>(code)));
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  if (utf8.size() == 1) return s[0];
  if (utf8.size() == 2) return ((s[0] & 0x1F) << 6) | (s[1] & 0x3F);
  if (utf8.size() == 3) {
    const char32_t cp = ((s[0] & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F);
    return cp == 0xFFFD ? 0 : cp;
  }
  return 0;
}

// Letters and digits whose ink must fit the cell completely.
bool MustFit(int code) {
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') ||
         code >= 0xC0 || code == 0xA8 || code == 0xB8;
}

struct Glyph {
  bool present = false;
  int top = 0;       // rows above the baseline (bitmap_top)
  int inkLeft = 0;   // first bitmap column with ink
  int inkWidth = 0;  // columns from inkLeft to the last inked column
  int rows = 0;
  std::vector<uint8_t> coverage;  // rows x width
  int width = 0;
};

struct FtLibrary {
  const TFreeType& ft;
  FT_Library lib = nullptr;
  explicit FtLibrary(const TFreeType& entries) : ft(entries) {
    if (ft.FT_Init_FreeType(&lib)) Raise(Ru("Не удалось запустить FreeType."));
  }
  ~FtLibrary() { ft.FT_Done_FreeType(lib); }
};

struct FtFace {
  const TFreeType& ft;
  FT_Face face = nullptr;
  explicit FtFace(const TFreeType& entries) : ft(entries) {}
  ~FtFace() {
    if (face) ft.FT_Done_Face(face);
  }
};

class Renderer {
 public:
  Renderer(const TFreeType& ft, FT_Face face, const FontSheetOptions& o) : ft_(ft), face_(face), o_(o) {}

  // Renders every code 32..255 at the given pixel size.
  std::vector<Glyph> RenderAll(int pixelSize) {
    ft_.FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixelSize));
    FT_Matrix shear{0x10000, static_cast<FT_Fixed>(o_.slant * 0x10000), 0, 0x10000};
    ft_.FT_Set_Transform(face_, o_.slant != 0 ? &shear : nullptr, nullptr);
    std::vector<Glyph> glyphs(256);
    for (int code = 32; code < 256; ++code) glyphs[code] = Render(code);
    return glyphs;
  }

 private:
  Glyph Render(int code) {
    Glyph g;
    const char32_t cp = UnicodeOf(code);
    if (cp == 0) return g;
    const FT_UInt index = ft_.FT_Get_Char_Index(face_, cp);
    if (index == 0 && cp != ' ' && cp != 0xA0) return g;
    g.present = true;
    if (index == 0) return g;
    if (ft_.FT_Load_Glyph(face_, index, FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP)) return g;
    FT_GlyphSlot slot = face_->glyph;
    if (o_.embolden > 0 && slot->format == FT_GLYPH_FORMAT_OUTLINE)
      ft_.FT_Outline_Embolden(&slot->outline, static_cast<FT_Pos>(o_.embolden * 64));
    if (ft_.FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL)) return g;
    const FT_Bitmap& bm = slot->bitmap;
    g.rows = static_cast<int>(bm.rows);
    g.width = static_cast<int>(bm.width);
    g.top = slot->bitmap_top;
    g.coverage.assign(static_cast<size_t>(g.rows) * g.width, 0);
    int left = g.width, right = -1;
    for (int r = 0; r < g.rows; ++r)
      for (int c = 0; c < g.width; ++c) {
        const uint8_t v = bm.buffer[r * bm.pitch + c];
        g.coverage[static_cast<size_t>(r) * g.width + c] = v;
        if (v) {
          left = std::min(left, c);
          right = std::max(right, c);
        }
      }
    if (right >= 0) {
      g.inkLeft = left;
      g.inkWidth = right - left + 1;
    }
    return g;
  }

  const TFreeType& ft_;
  FT_Face face_;
  const FontSheetOptions& o_;
};

// Ink height of a glyph as the font loader measures it: rows holding a level
// below 200, i.e. coverage above 55.
int InkHeight(const Glyph& g) {
  int first = -1, last = -1;
  for (int r = 0; r < g.rows; ++r)
    for (int c = 0; c < g.width; ++c)
      if (g.coverage[static_cast<size_t>(r) * g.width + c] > 55) {
        if (first < 0) first = r;
        last = r;
        break;
      }
  return first < 0 ? 0 : last - first + 1;
}

struct Fit {
  int ascent = 0;
  int descent = 0;
  bool fits = false;
};

Fit Measure(const std::vector<Glyph>& glyphs) {
  Fit f;
  bool wide = false;
  for (int code = 32; code < 256; ++code) {
    const Glyph& g = glyphs[code];
    if (!MustFit(code) || !g.present || g.inkWidth == 0) continue;
    f.ascent = std::max(f.ascent, g.top);
    f.descent = std::max(f.descent, g.rows - g.top);
    if (g.inkWidth > kCell) wide = true;
  }
  f.fits = !wide && f.ascent + f.descent <= kCell;
  return f;
}

}  // namespace

FontSheet MakeFontSheet(const std::string& fontFile, const FontSheetOptions& options) {
  const std::string onDisk = FileSystemName(fontFile);
  struct stat st {};
  if (::stat(onDisk.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    Raise(Format(Ru("Нет такого файла шрифта!\n\r(\"%s\")"), fontFile.c_str()));
  const TFreeType& ft = LoadFreeType(fontFile);
  FtLibrary library(ft);
  FtFace face(ft);
  if (ft.FT_New_Face(library.lib, onDisk.c_str(), options.faceIndex, &face.face))
    Raise(Format(Ru("Не могу открыть шрифт \"%s\": это не TrueType/OpenType файл, или он повреждён."),
                 fontFile.c_str()));
  if (ft.FT_Get_Char_Index(face.face, 0x042E) == 0 || ft.FT_Get_Char_Index(face.face, 0x0430) == 0)
    Raise(Format(Ru("В шрифте \"%s\" нет кириллицы: из него не сделать русский шрифт."), fontFile.c_str()));
  if (!FT_IS_SCALABLE(face.face))
    Raise(Format(Ru("Шрифт \"%s\" растровый, а нужен масштабируемый (TrueType или OpenType)."),
                 fontFile.c_str()));

  Renderer renderer(ft, face.face, options);
  std::vector<Glyph> glyphs;
  Fit fit;
  int chosen = 0;
  if (options.refHeight > 0) {
    // The largest pixel size whose Ю comes closest to the asked height (not
    // above it) and whose letters still fit their cells.
    int bestHeight = 0;
    for (int size = 4; size <= 200; ++size) {
      auto g = renderer.RenderAll(size);
      const int h = InkHeight(g[kRefCode]);
      if (h > options.refHeight) break;
      const Fit f = Measure(g);
      if (!f.fits) continue;
      if (h >= bestHeight) {
        bestHeight = h;
        glyphs = std::move(g);
        fit = f;
        chosen = size;
      }
    }
    if (chosen == 0)
      Raise(Format(Ru("При высоте буквы Ю %d пикселей буквы шрифта \"%s\" не влезают в клетку 32x32.\n\r"
                      "Задай размер поменьше."),
                   options.refHeight, fontFile.c_str()));
  } else {
    // The largest size at which every letter and digit fits its cell.
    for (int size = 4; size <= 200; ++size) {
      auto g = renderer.RenderAll(size);
      const Fit f = Measure(g);
      if (!f.fits) break;
      glyphs = std::move(g);
      fit = f;
      chosen = size;
    }
    if (chosen == 0) Raise(Format(Ru("Буквы шрифта \"%s\" не влезают в клетку 32x32."), fontFile.c_str()));
  }

  FontSheet sheet;
  sheet.pixels.assign(static_cast<size_t>(kSheet) * kSheet, 255);
  sheet.pixelSize = chosen;
  sheet.refHeight = InkHeight(glyphs[kRefCode]);
  // Letters are centred vertically in the rows they need, so accents and
  // descenders keep a margin on both sides.
  sheet.baseline = fit.ascent + (kCell - fit.ascent - fit.descent) / 2;
  for (int code = 32; code < 256; ++code) {
    const Glyph& g = glyphs[code];
    if (!g.present) continue;
    ++sheet.drawn;
    if (code == 0xA0 || g.inkWidth == 0) continue;
    const int cellTop = (code / 16) * kCell, cellLeft = (code % 16) * kCell;
    bool clipped = false;
    for (int r = 0; r < g.rows; ++r) {
      const int y = sheet.baseline - g.top + r;
      for (int c = g.inkLeft; c < g.inkLeft + g.inkWidth; ++c) {
        const uint8_t v = g.coverage[static_cast<size_t>(r) * g.width + c];
        if (!v) continue;
        const int x = c - g.inkLeft;
        if (y < 0 || y >= kCell || x >= kCell) {
          clipped = true;
          continue;
        }
        sheet.pixels[static_cast<size_t>(cellTop + y) * kSheet + cellLeft + x] =
            static_cast<uint8_t>(255 - v);
      }
    }
    if (clipped) sheet.clipped.push_back(code);
  }
  return sheet;
}

std::unique_ptr<TDrovixGraph> FontSheetRaster(const FontSheet& sheet) {
  auto raster = std::make_unique<TDrovixGraph>();
  raster->SetSize(kSheet, kSheet);
  for (int y = 0; y < kSheet; ++y) {
    int32_t* row = raster->RowPtr(y);
    for (int x = 0; x < kSheet; ++x) row[x] = sheet.pixels[static_cast<size_t>(y) * kSheet + x];
  }
  raster->BlackLevel = 0;
  raster->WhiteLevel = 255;
  return raster;
}

bool IsFontFaceFile(const std::string& name) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && slash > dot)) return false;
  std::string ext = name.substr(dot);
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext == ".ttf" || ext == ".otf" || ext == ".ttc";
}

}  // namespace drovix
