#include "drovix_graph/typeset/TFont.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/FleckCleaning.h"
#include "drovix_graph/typeset/FontSheetMaker.h"
#include "drovix_graph/typeset/TWord.h"

namespace drovix {
namespace {

// Ink, when widths and pair spacing are measured.
constexpr int32_t kPaper = 250;
// Ink, when the reference letter is measured.
constexpr int32_t kLetterInk = 200;
// The smallest reference letter accepted, in rows.
constexpr int32_t kMinLetterRows = 9;

// The file part of a path: what the user recognises in a message.
std::string WithoutFolders(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Glyphs exist for codes 32..255 only; a control character is set as a space.
uint8_t Printable(char c) {
  const auto code = static_cast<uint8_t>(c);
  return code < 32 ? uint8_t{32} : code;
}

bool IsSpace(uint8_t c) { return c == 32 || c == TFont::NoBreakSpace; }

}  // namespace

TFont::TFont(std::string fileName) : FileName(std::move(fileName)) {}
TFont::~TFont() = default;

bool TFont::InNoKernSet(uint8_t c) {
  switch (c) {
    case 32:
    case 34:
    case 39:
    case 42:
    case 45:
    case 61:
    case 95:
    case 126:
    case 127:
    case 136:
    case 139:
    case 149:
    case 150:
    case 151:
    case 152:
    case 155:
    case 160:
    case 171:
    case 173:
    case 174:
    case 176:
    case 187:
      return true;
    default:
      return false;
  }
}

void TFont::Load() {
  // A TrueType/OpenType face becomes the very sheet drovix-fontsheet makes
  // from it with its default size; anything else names a sheet picture.
  std::unique_ptr<TDrovixGraph> sheet = IsFontFaceFile(FileName)
                                            ? FontSheetRaster(MakeFontSheet(FileName, FontSheetOptions{}))
                                            : TDrovixGraph::CreateFromFile<TDrovixGraph>(FileName);
  if (sheet->Width() != SheetSize || sheet->Height() != SheetSize) {
    Raise(Format(Ru("Ну ясным же русским языком говорилось -\n\rкартинка со шрифтом должна иметь "
                    "размер 512x512!\n\rА что мы имеем?.. Размер картинки \"%s\" - %dx%d!.."),
                 WithoutFolders(FileName).c_str(), sheet->Width(), sheet->Height()));
  }
  CleanSheet(*sheet, 40, 0, 255);
  for (int32_t r = 2; r < 16; ++r) {
    for (int32_t c = 0; c < 16; ++c) {
      const int32_t code = 16 * r + c;
      Glyphs[code] = CutGlyph(*sheet, CellSize * r, CellSize * c);
      Widths[code] = Glyphs[code]->Width();
      Heights[code] = CellSize;
    }
  }
  sheet.reset();

  const TDrovixGraph& letter = *Glyphs[ReferenceLetter];
  int32_t first = -1;
  int32_t last = -1;
  for (int32_t y = 0; y < letter.Height(); ++y) {
    const int32_t* row = letter.RowPtr(y);
    const bool ink = std::any_of(row, row + letter.Width(), [](int32_t v) { return v < kLetterInk; });
    if (ink) {
      if (first < 0) first = y;
      last = y;
    }
  }
  if (first < 0 || last - first + 1 < kMinLetterRows) {
    Raise(Format(Ru("Буква \"%s\" в шрифте \"%s\" слишком мелкая!\n\rЧегой-то с этим шрифтом "
                    "конкретно не то..."),
                 Ru("Ю").c_str(), FileName.c_str()));
  }
  const int32_t letterRows = last - first + 1;
  FontScale = static_cast<float>(32.0L / letterRows);

  // The no-break space is blank and as wide as the reference letter,
  // whatever the artist drew in its cell.
  Widths[NoBreakSpace] = Widths[ReferenceLetter];
  Heights[NoBreakSpace] = letterRows;
  Glyphs[NoBreakSpace]->SetSize(CellSize, Widths[NoBreakSpace]);
  Glyphs[NoBreakSpace]->FillWhite();
}

void TFont::CleanSheet(TDrovixGraph& sheet, int32_t bound, int32_t black, int32_t white) {
  FlattenFlecks(sheet, bound, black, 255 - bound, white);
}

std::unique_ptr<TDrovixGraph> TFont::CutGlyph(const TDrovixGraph& sheet, int32_t top, int32_t left) {
  auto glyph = std::make_unique<TDrovixGraph>();
  glyph->SetSize(CellSize, CellSize);
  int32_t last = 0;
  for (int32_t y = 0; y < CellSize; ++y) {
    const int32_t* from = sheet.RowPtr(top + y) + left;
    int32_t* to = glyph->RowPtr(y);
    for (int32_t x = 0; x < CellSize; ++x) {
      to[x] = from[x];
      if (from[x] < kPaper && x > last) last = x;
    }
  }
  // Shrinking the rows keeps their first columns.
  glyph->SetSize(CellSize, last + 1);
  return glyph;
}

void TFont::ErodeProfile(TProfile& p) {
  const TProfile old = p;
  for (int32_t i = 0; i < 32; ++i) {
    // Entry i + 3 stands for index i; its window is entries i .. i + 6.
    p[i + 3] = *std::min_element(old.begin() + i, old.begin() + i + 7);
  }
}

int32_t TFont::HorizontalGap(const TDrovixGraph& a, const TDrovixGraph& b) {
  const int32_t wa = a.Width();
  const int32_t wb = b.Width();
  TProfile right;
  TProfile left;
  right.fill(31);
  left.fill(31);
  for (int32_t r = 0; r < CellSize; ++r) {
    const int32_t* rowA = a.RowPtr(r);
    int32_t c = 0;
    while (c < wa - 1 && rowA[wa - 1 - c] >= kPaper) ++c;
    right[r + 3] = c;
    const int32_t* rowB = b.RowPtr(r);
    c = 0;
    while (c < wb - 1 && rowB[c] >= kPaper) ++c;
    left[r + 3] = c;
  }
  ErodeProfile(left);
  int32_t m = std::min(wa - 1, wb - 1);
  for (int32_t r = 0; r < CellSize; ++r) m = std::min(m, right[r + 3] + left[r + 3]);
  return m - 3;
}

int32_t TFont::VerticalGap(const TDrovixGraph& a, const TDrovixGraph& b) {
  const int32_t wa = a.Width();
  const int32_t wb = b.Width();
  TProfile bottom;
  TProfile top;
  bottom.fill(20);
  top.fill(20);
  const int32_t lastRow = CellSize - 1;
  for (int32_t k = 0; k < CellSize; ++k) {
    const int32_t xa = (wa - 1) / 2 + k - 15;
    int32_t c = 31;
    if (xa >= 0 && xa < wa) {
      c = 0;
      while (c < 31 && a.Pixel(lastRow - c, xa) >= kPaper) ++c;
    }
    bottom[k + 3] = c;
    const int32_t xb = (wb - 1) / 2 + k - 15;
    c = 31;
    if (xb >= 0 && xb < wb) {
      c = 0;
      while (c < 31 && b.Pixel(c, xb) >= kPaper) ++c;
    }
    top[k + 3] = c;
  }
  ErodeProfile(bottom);
  int32_t m = 20;
  for (int32_t k = 0; k < CellSize; ++k) m = std::min(m, bottom[k + 3] + top[k + 3]);
  return m - 3;
}

int32_t TFont::Advance(uint8_t a, uint8_t b) {
  a = Printable(static_cast<char>(a));
  b = Printable(static_cast<char>(b));
  // Pages typeset side by side share the font: a pair's spacing is a pure
  // function of the glyphs, so whichever thread measures it first stores
  // the same value; the atomic accesses only keep the reads and writes
  // whole.
  std::atomic_ref<int32_t> kern(KernH[a][b]);
  if (!InNoKernSet(a) && !InNoKernSet(b) &&
      !std::atomic_ref<bool>(KernHKnown[a][b]).load(std::memory_order_acquire)) {
    kern.store(-HorizontalGap(*Glyphs[a], *Glyphs[b]), std::memory_order_relaxed);
    std::atomic_ref<bool>(KernHKnown[a][b]).store(true, std::memory_order_release);
  }
  if (IsSpace(a)) return SpaceAdvance;
  return Widths[a] + kern.load(std::memory_order_relaxed);
}

int32_t TFont::VertAdvance(uint8_t a, uint8_t b) {
  a = Printable(static_cast<char>(a));
  b = Printable(static_cast<char>(b));
  std::atomic_ref<int32_t> kern(KernV[a][b]);
  if (!std::atomic_ref<bool>(KernVKnown[a][b]).load(std::memory_order_acquire) && a != NoBreakSpace &&
      b != NoBreakSpace) {
    kern.store(-VerticalGap(*Glyphs[a], *Glyphs[b]), std::memory_order_relaxed);
    std::atomic_ref<bool>(KernVKnown[a][b]).store(true, std::memory_order_release);
  }
  if (IsSpace(a)) return SpaceAdvance;
  return CellSize + kern.load(std::memory_order_relaxed);
}

std::unique_ptr<TWord> TFont::MakeWord(const std::string& text) {
  const std::string t = text.empty() ? std::string(1, static_cast<char>(NoBreakSpace)) : text;
  const size_t n = t.size();
  int32_t x = 0;
  int32_t lastX = 0;
  for (size_t i = 1; i < n; ++i) {
    x += Advance(Printable(t[i - 1]), Printable(t[i]));
    lastX = x;
  }
  auto word = std::make_unique<TWord>();
  word->SetSize(CellSize, Widths[Printable(t[n - 1])] + lastX + 1);
  word->FillWhite();
  word->FontScale = FontScale;
  x = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) x += Advance(Printable(t[i - 1]), Printable(t[i]));
    word->PasteDarker(*Glyphs[Printable(t[i])], 0, x);
  }
  return word;
}

std::unique_ptr<TWord> TFont::MakeVertWord(const std::string& text) {
  const std::string t = text.empty() ? std::string(1, static_cast<char>(NoBreakSpace)) : text;
  const size_t n = t.size();
  int32_t y = 0;
  int32_t columnWidth = 2;
  for (size_t i = 0; i < n; ++i) {
    if (i > 0) y += VertAdvance(Printable(t[i - 1]), Printable(t[i]));
    columnWidth = std::max(columnWidth, Widths[Printable(t[i])]);
  }
  auto word = std::make_unique<TWord>();
  word->FontScale = FontScale;
  word->SetSize(Heights[Printable(t[n - 1])] + y + 1, columnWidth);
  word->FillWhite();
  y = 0;
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = Printable(t[i]);
    if (i > 0) y += VertAdvance(Printable(t[i - 1]), c);
    word->PasteDarker(*Glyphs[c], y, (columnWidth - Widths[c]) / 2);
  }
  return word;
}

}  // namespace drovix
