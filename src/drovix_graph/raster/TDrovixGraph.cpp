#include "drovix_graph/raster/TDrovixGraph.h"

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/Bmp.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/raster/ResampleKernel.h"
#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/SmoothSample.h"
#include "drovix_graph/raster/Tga.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(FileSystemName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Halves the row count: row i becomes the average of rows 2i and 2i + 1; an
// odd last row is dropped. The sum is taken in 64 bits so that working
// layers holding large values do not overflow.
void HalveRows(TDrovixGraph& g) {
  const int32_t half = g.Height() / 2;
  const int32_t w = g.Width();
  for (int32_t i = 0; i < half; ++i) {
    int32_t* dst = g.RowPtr(i);
    const int32_t* a = g.RowPtr(2 * i);
    const int32_t* b = g.RowPtr(2 * i + 1);
    for (int32_t x = 0; x < w; ++x) dst[x] = static_cast<int32_t>((static_cast<int64_t>(a[x]) + b[x]) / 2);
  }
  g.SetCount(half);
}

void HalveColumns(TDrovixGraph& g) {
  const int32_t half = g.Width() / 2;
  for (int32_t y = 0; y < g.Height(); ++y) {
    int32_t* p = g.RowPtr(y);
    for (int32_t j = 0; j < half; ++j)
      p[j] = static_cast<int32_t>((static_cast<int64_t>(p[2 * j]) + p[2 * j + 1]) / 2);
    g.Row(y).SetCount(half);
  }
}

// Visible part of source placed at (top, left) on a target of h x w:
// source rows [i0, i1), columns [j0, j1).
struct TClip {
  int32_t i0, i1, j0, j1;
};

TClip ClipPaste(const TDrovixGraph& target, const TDrovixGraph& source, int32_t top, int32_t left) {
  const int64_t h = target.Height(), w = target.Width();
  const int64_t sh = source.Height(), sw = source.Width();
  const int64_t i0 = std::clamp<int64_t>(-static_cast<int64_t>(top), 0, sh);
  const int64_t j0 = std::clamp<int64_t>(-static_cast<int64_t>(left), 0, sw);
  const int64_t i1 = std::clamp<int64_t>(h - top, i0, sh);
  const int64_t j1 = std::clamp<int64_t>(w - left, j0, sw);
  return TClip{static_cast<int32_t>(i0), static_cast<int32_t>(i1), static_cast<int32_t>(j0),
               static_cast<int32_t>(j1)};
}

}  // namespace

void TDrovixGraph::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  const std::string png = fileName + ".png";
  const std::string tga = fileName + ".tga";
  if (!PngDisabled() && IsRegularFile(png)) {
    LoadPNG(*this, fileName);
    SourceFile = png;
  } else if (IsRegularFile(tga)) {
    LoadTGA(*this, fileName);
    SourceFile = tga;
  } else {
    Raise(Format(Ru("Нет такого файла!\n\r(\"%s\")"), MessageName(PngDisabled() ? tga : png).c_str()));
  }
  DetectCorners();
  SplitLayers();
}

void TDrovixGraph::SplitLayers() {
  for (int32_t y = 0; y < Height(); ++y) {
    int32_t* p = RowPtr(y);
    const int32_t w = Row(y).Count();
    for (int32_t x = 0; x < w; ++x) p[x] = static_cast<int32_t>((static_cast<uint32_t>(p[x]) >> 8) & 255u);
  }
  BlackLevel = 0;
  WhiteLevel = 255;
}

void TDrovixGraph::SaveBMP(const std::string& fileName) {
  const int32_t w = Width();
  WriteBmp8(fileName, w, Height(), [this, w](int32_t y, uint8_t* out) {
    const int32_t* p = RowPtr(y);
    for (int32_t x = 0; x < w; ++x) out[x] = static_cast<uint8_t>(Clamp(p[x], 0, 255));
  });
}

void TDrovixGraph::SavePNG(const std::string& fileName, int32_t paletteDepth) {
  SaveGreyPNG(*this, fileName, paletteDepth);
}

void TDrovixGraph::Resize(int32_t newHeight, int32_t newWidth) {
  // Halve first, so that the resampling below never spans more than about
  // 2.3 source pixels per output pixel.
  for (;;) {
    const bool rows = Height() > 2.3L * newHeight;
    const bool cols = Width() > 2.3L * newWidth;
    if (!rows && !cols) break;
    if (rows) HalveRows(*this);
    if (cols) HalveColumns(*this);
  }
  const int32_t h = Height(), w = Width();
  if (h == 0 || w == 0) {
    SetSize(newHeight, newWidth);
    return;
  }
  const long double stepY = static_cast<long double>(h) / newHeight;
  const long double stepX = static_cast<long double>(w) / newWidth;

  // Per-column neighbours and fractions do not depend on the row. The
  // positions are taken in extended precision once per row and column; the
  // kernel runs in double and falls back to extended precision where the
  // result lies too near a half to be sure of its rounding.
  std::vector<int32_t> x0s(static_cast<size_t>(newWidth)), x1s(static_cast<size_t>(newWidth));
  std::vector<long double> txs(static_cast<size_t>(newWidth));
  std::vector<double> txd(static_cast<size_t>(newWidth));
  for (int32_t j = 0; j < newWidth; ++j) {
    const long double fx = j * stepX;
    const int32_t x0 = static_cast<int32_t>(fx);
    txs[j] = fx - x0;
    txd[j] = static_cast<double>(txs[j]);
    x0s[j] = Clamp(x0, 0, w - 1);
    x1s[j] = Clamp(x0 + 1, 0, w - 1);
  }

  TDrovixGraph temp;
  temp.SetSize(newHeight, newWidth);
  // Output rows are independent: bands of them side by side.
  ParallelRows(newHeight, int64_t{newHeight} * newWidth, [&](int32_t first, int32_t end) {
    for (int32_t i = first; i < end; ++i) {
      const long double fy = i * stepY;
      const int32_t y0 = static_cast<int32_t>(fy);
      const long double ty = fy - y0;
      const double tyd = static_cast<double>(ty);
      const int32_t* r0 = RowPtr(Clamp(y0, 0, h - 1));
      const int32_t* r1 = RowPtr(Clamp(y0 + 1, 0, h - 1));
      int32_t* out = temp.RowPtr(i);
      for (int32_t j = 0; j < newWidth; ++j) {
        const int32_t v00 = r0[x0s[j]], v01 = r0[x1s[j]], v10 = r1[x0s[j]], v11 = r1[x1s[j]];
        // Four equal neighbours give their value (the extended-precision mean
        // of one value is that value to far better than a half); most of the
        // markup planes are one value.
        int32_t v = v00;
        if ((v01 != v00 || v10 != v00 || v11 != v00) && !ResampleFast(tyd, txd[j], v00, v01, v10, v11, v))
          v = ResampleReference(ty, txs[j], v00, v01, v10, v11);
        out[j] = Clamp(v, 0, 255);
      }
    }
  });
  SetCount(newHeight);
  for (int32_t i = 0; i < newHeight; ++i) SetRow(i, temp.SetRow(i, std::make_unique<TAOI>()));
}

void TDrovixGraph::Paste(const TDrovixGraph& source, int32_t top, int32_t left) {
  const TClip c = ClipPaste(*this, source, top, left);
  for (int32_t i = c.i0; i < c.i1; ++i) {
    const int32_t* s = source.RowPtr(i);
    int32_t* d = RowPtr(top + i);
    for (int32_t j = c.j0; j < c.j1; ++j) d[left + j] = s[j];
  }
}

void TDrovixGraph::PasteDarker(const TDrovixGraph& source, int32_t top, int32_t left) {
  const TClip c = ClipPaste(*this, source, top, left);
  for (int32_t i = c.i0; i < c.i1; ++i) {
    const int32_t* s = source.RowPtr(i);
    int32_t* d = RowPtr(top + i);
    for (int32_t j = c.j0; j < c.j1; ++j) d[left + j] = Min(d[left + j], s[j]);
  }
}

std::unique_ptr<TDrovixGraph> TDrovixGraph::Clone() const {
  auto g = std::make_unique<TDrovixGraph>();
  const int32_t h = Height(), w = Width();
  g->SetSize(h, w);
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* s = RowPtr(y);
    int32_t* d = g->RowPtr(y);
    for (int32_t x = 0; x < w; ++x) d[x] = s[x];
  }
  return g;
}

void TDrovixGraph::FillWhite() {
  for (int32_t y = 0; y < Height(); ++y)
    for (int32_t& v : Row(y)) v = 255;
}

void TDrovixGraph::Invert() {
  for (int32_t y = 0; y < Height(); ++y)
    for (int32_t& v : Row(y))
      if (v >= 0 && v <= 255) v = 255 - v;
}

int32_t TDrovixGraph::ClampedPixel(int32_t row, int32_t column) const {
  return Pixel(Clamp(row, 0, Height() - 1), Clamp(column, 0, Width() - 1));
}

int32_t TDrovixGraph::SmoothPixel(float row, float column) const {
  const int32_t r0 = static_cast<int32_t>(row);
  const int32_t c0 = static_cast<int32_t>(column);
  const float fr = row - static_cast<float>(r0);
  const float fc = column - static_cast<float>(c0);
  return SmoothSample(fr, fc, ClampedPixel(r0, c0), ClampedPixel(r0, c0 + 1), ClampedPixel(r0 + 1, c0 + 1),
                      ClampedPixel(r0 + 1, c0));
}

}  // namespace drovix
