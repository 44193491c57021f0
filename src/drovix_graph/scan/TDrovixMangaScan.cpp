// Loading a grey page scan: corner marks found in the packed colour, the
// split into the grey page and its markup planes, and the companion markup
// picture "<page>_" merged in.
#include "drovix_graph/scan/TDrovixMangaScan.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/scan/PackedSplit.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"

namespace drovix {
namespace {

bool IsFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(std::filesystem::path(FileSystemName(path)), ec);
}

// A pixel of a corner mark is clearly blue.
bool IsCornerPixel(int32_t v) {
  const int32_t r = v & 255;
  const int32_t g = (v >> 8) & 255;
  const int32_t b = (v >> 16) & 255;
  return b - std::max(r, g) > 100;
}

}  // namespace

TDrovixMangaScan::TDrovixMangaScan() = default;

TDrovixMangaScan::~TDrovixMangaScan() = default;

std::unique_ptr<TDrovixGraph> TDrovixMangaScan::NewPlane() const {
  auto plane = std::make_unique<TDrovixGraph>();
  plane->SetSize(Height(), Width());
  return plane;
}

void TDrovixMangaScan::SplitLayers() {
  NewWorkPlanes(*this);
  SplitPackedPixels(*this, *GreenMarkup, *RedMarkup, [](int32_t v, int32_t a, int32_t& green, int32_t& red) {
    const int32_t r = v & 255;
    const int32_t g = (v >> 8) & 255;
    const int32_t b = (v >> 16) & 255;
    // round(a / 255 * excess): a * excess / 255 never ends in exactly one
    // half, so adding 127 before the division rounds it the same way. For
    // the dividends here (0 .. 255 * 255 + 127) t / 255 equals
    // (t * 257 + 257) >> 16.
    const int32_t greenExcess = std::max(0, g - std::max(r, b));
    const int32_t redExcess = std::max(0, r - std::max(g, b));
    const int32_t greenMark = ((a * greenExcess + 127) * 257 + 257) >> 16;
    green = greenMark;
    red = ((a * redExcess + 127) * 257 + 257) >> 16;
    // The green markup goes back onto the blue channel: round(b / q) with
    // q = max(1, b) / max(1, b + greenMark) held as a Single. The Single's
    // error moves b / q by less than 0.0001, so the result is exactly
    // b + greenMark, and 0 stays 0.
    return b > 0 ? b + greenMark : 0;
  });
  FinishSplit(*this);
}

void TDrovixMangaScan::DetectCorners() {
  const int32_t h = Height();
  const int32_t w = Width();
  if (h <= 0 || w <= 0) return;
  const int32_t reach = std::min(w / 5, h / 5);
  // The search runs over the diagonals from the farthest one inwards, so the
  // innermost point of a mark is the one found.
  for (int32_t row = 0; row < 2; ++row) {
    for (int32_t column = 0; column < 3; ++column) {
      bool found = false;
      for (int32_t k = reach; k >= 0 && !found; --k) {
        for (int32_t j = 0; j <= k && !found; ++j) {
          const int32_t d = k - j;
          const int32_t y = row == 0 ? d : h - 1 - d;
          int32_t xs[2];
          int32_t tries = 1;
          if (column == 0) {
            xs[0] = j;
          } else if (column == 2) {
            xs[0] = w - 1 - j;
          } else {
            xs[0] = w / 2 + j;
            xs[1] = w / 2 - j;
            tries = 2;
          }
          for (int32_t t = 0; t < tries && !found; ++t) {
            if (IsCornerPixel(RowPtr(y)[xs[t]])) {
              Corners[row][column] = TCorner{static_cast<float>(y), static_cast<float>(xs[t])};
              CornerFound[row][column] = true;
              found = true;
            }
          }
        }
      }
      if (found) CornersFound = true;
    }
  }
  if (!CornersFound) return;

  const int32_t outer = CornerFound[0][0] + CornerFound[0][2] + CornerFound[1][0] + CornerFound[1][2];
  if (outer < 3) {
    static const char* const kColumnWords[3] = {"левого-", "среднего-", "правого-"};
    static const char* const kRowWords[2] = {"верхнего ", "нижнего "};
    std::string message = Ru("Из четырёх угловых углов должно быть размечено минимум три!\n\r");
    message += Ru("Найдена разметка углов: ");
    for (int32_t row = 0; row < 2; ++row)
      for (int32_t column = 0; column < 3; ++column)
        if (CornerFound[row][column]) message += Ru(kColumnWords[column]) + Ru(kRowWords[row]);
    Raise(message);
  }

  // The one missing outer corner completes a parallelogram.
  TCorner& topLeft = Corners[0][0];
  TCorner& topRight = Corners[0][2];
  TCorner& bottomLeft = Corners[1][0];
  TCorner& bottomRight = Corners[1][2];
  auto complete = [](TCorner& target, const TCorner& a, const TCorner& b, const TCorner& c) {
    target.y = a.y + b.y - c.y;
    target.x = a.x + b.x - c.x;
  };
  if (!CornerFound[0][0]) complete(topLeft, topRight, bottomLeft, bottomRight);
  if (!CornerFound[1][0]) complete(bottomLeft, bottomRight, topLeft, topRight);
  if (!CornerFound[0][2]) complete(topRight, topLeft, bottomRight, bottomLeft);
  if (!CornerFound[1][2]) complete(bottomRight, bottomLeft, topRight, topLeft);
  if (!CornerFound[0][1]) Corners[0][1] = TCorner{(topLeft.y + topRight.y) / 2, (topLeft.x + topRight.x) / 2};
  if (!CornerFound[1][1])
    Corners[1][1] = TCorner{(bottomLeft.y + bottomRight.y) / 2, (bottomLeft.x + bottomRight.x) / 2};
  for (auto& row : CornerFound) row.fill(true);
}

void TDrovixMangaScan::LoadExternalMarkup() {
  // A raster built in memory has no companion picture.
  if (FileName.empty()) return;
  const std::string markupName = FileName + "_";
  if (!IsFile(markupName + ".tga") && !IsFile(markupName + ".png")) return;

  ConsoleWrite(Ru("(гружу внешнюю разметку."));
  // The companion is a page scan of its own: it gets its own corner search,
  // plane split and, in turn, its own companion.
  std::unique_ptr<TDrovixMangaScan> markup = CreateFromFile<TDrovixMangaScan>(markupName);
  if (markup->Width() != Width() || markup->Height() != Height()) {
    Raise(Format(Ru("Размеры картинки с разметкой \"%s\" (%dx%d)\n\r не совпадают с размерами "
                    "основной картинки, к коей оная разметка пристёгнута\n\r (\"%s\", %dx%d)"),
                 markup->FileName.c_str(), markup->Width(), markup->Height(), FileName.c_str(), Width(),
                 Height()));
  }
  ConsoleWriteRaw("..");
  if (dynamic_cast<TDrovixColorMangaScan*>(this) != nullptr) {
    GreenMarkup = std::move(markup->GreenMarkup);
    RedMarkup = std::move(markup->RedMarkup);
  } else {
    const int32_t h = Height();
    const int32_t w = Width();
    for (int32_t y = 0; y < h; ++y) {
      int32_t* green = GreenMarkup->RowPtr(y);
      int32_t* red = RedMarkup->RowPtr(y);
      const int32_t* otherGreen = markup->GreenMarkup->RowPtr(y);
      const int32_t* otherRed = markup->RedMarkup->RowPtr(y);
      for (int32_t x = 0; x < w; ++x) {
        green[x] = std::max(green[x], otherGreen[x]);
        red[x] = std::max(red[x], otherRed[x]);
      }
    }
  }
  if (!CornersFound && markup->CornersFound) {
    Corners = markup->Corners;
    CornerFound = markup->CornerFound;
    CornersFound = true;
  }
  markup.reset();
  ConsoleWriteRaw(".)..");
}

}  // namespace drovix
