// Scaling of the page scan: the overall factor from the size limits, the two
// scaling steps around processing, the resize of every plane, the 2x
// enlargement of release builds and the straightening through the corner
// marks.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/DeformPosition.h"
#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/scan/Scaling.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// A size limit that means "no limit".
constexpr int32_t kNoLimit = 2147483647;
// Largest side of the working page of a release build.
constexpr long double kWorkSideCap = 4100;

// A side of the page after scaling by f; never below one pixel.
int32_t ScaledSide(int32_t side, float f) {
  return std::max(1, RoundHalfEvenToInt(static_cast<long double>(side) * f));
}

std::string LimitText(int32_t limit) {
  return limit == kNoLimit ? Ru("неограничено") : std::to_string(limit);
}

[[noreturn]] void RaiseLimitConflict(int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight,
                                     int32_t width, int32_t height) {
  Raise(Format(Ru("Заданные ограничения снизу по ширине (%d) и высоте (%d)\n\r конфликтуют с ограничениями "
                  "сверху по ширине(%s) и высоте(%s)\n\r - картинка получилась бы размером %d x %d."),
               minWidth, minHeight, LimitText(maxWidth).c_str(), LimitText(maxHeight).c_str(), width,
               height));
}

// Largest area of a page while it is built: its planes then take about
// 1.9 GB. A scan far narrower than it is high (or the reverse) can reach
// more by the lower size limits alone.
constexpr int64_t kMaxWorkingArea = int64_t{8200} * 8200;

// Every mode enlarges the page by f = max(s, 1) at one of its two steps
// (release builds work at no more than 4100 a side or the scan's own size),
// so this is the largest the page gets; refused before any plane is made.
void RefuseHugeWorkingPage(const TDrovixMangaScan& scan, float f) {
  const int32_t w = ScaledSide(scan.TargetWidth, f), h = ScaledSide(scan.TargetHeight, f);
  if (int64_t{w} * h <= kMaxWorkingArea) return;
  const std::string& file = scan.SourceFile.empty() ? scan.FileName : scan.SourceFile;
  Raise(Format(Ru("Скан \"%s\" размером %d x %d по ограничениям размера пришлось бы увеличить до "
                  "%d x %d точек,\n\r а страницы больше %d x %d точек по площади не собираются - "
                  "не хватит памяти.\n\rПроверь размеры скана и команды МИНИМАЛЬНАЯ_ШИРИНА() и "
                  "МИНИМАЛЬНАЯ_ВЫСОТА()."),
               file.c_str(), scan.TargetWidth, scan.TargetHeight, w, h, 8200, 8200));
}

// Hands the rows of source over to target, which takes source's size.
void TakeRows(TDrovixGraph& target, TDrovixGraph& source) {
  const int32_t h = source.Height();
  target.SetCount(h);
  for (int32_t i = 0; i < h; ++i) target.SetRow(i, source.SetRow(i, std::make_unique<TAOI>()));
}

// Planes that are not resampled only take the new size.
void TakeSize(const std::unique_ptr<TDrovixGraph>& plane, int32_t height, int32_t width) {
  if (plane) plane->SetSize(height, width);
}

// Doubles the plane in place by pixel replication. Rows are expanded from
// the bottom up and pixels from right to left, so that every source value is
// read before its place is overwritten and no second page is needed.
void DoublePlane(TDrovixGraph& g, bool dots) {
  const int32_t h = g.Height(), w = g.Width();
  g.SetSize(2 * h, 2 * w);
  for (int32_t y = h - 1; y >= 0; --y) {
    // Two output rows per source row: a dot every 300 output rows.
    if (dots && (h - 1 - y) % 150 == 0) ConsoleWriteRaw(".");
    int32_t* row = g.RowPtr(y);
    for (int32_t x = w - 1; x >= 0; --x) {
      const int32_t v = row[x];
      row[2 * x + 1] = v;
      row[2 * x] = v;
    }
    std::copy(row, row + 2 * w, g.RowPtr(2 * y + 1));
    if (y > 0) std::copy(row, row + 2 * w, g.RowPtr(2 * y));
  }
}

// Everything DoubleSize does; `replicated` are the picture planes (main
// raster first), the markup planes are resampled.
void DoubleScan(TDrovixMangaScan& scan, std::initializer_list<TDrovixGraph*> replicated) {
  const int32_t h = 2 * scan.Height(), w = 2 * scan.Width();
  bool first = true;
  for (TDrovixGraph* plane : replicated) {
    if (!plane) continue;
    DoublePlane(*plane, first);
    first = false;
  }
  if (scan.RedMarkup) scan.RedMarkup->Resize(h, w);
  if (scan.GreenMarkup) scan.GreenMarkup->Resize(h, w);
  TakeSize(scan.FillMask, h, w);
  TakeSize(scan.Contours, h, w);
  scan.ContoursDone = false;
}

// The piecewise-bilinear map of the deformation: output pixel (i, j) of an
// H' x W' page to its position in the old page. The left half (columns
// 0 .. L-1) is the quadrilateral TL-TM-BM-BL, the right half (columns
// L .. W'-1) the quadrilateral TM-TR-BR-BM.
class TDeformMap {
 public:
  TDeformMap(const std::array<TCornerMarkup, 2>& corners, int32_t newHeight, int32_t newWidth)
      : c_(corners), h_(newHeight), l_(newWidth / 2), r_(newWidth - 1 - newWidth / 2) {}

  int32_t Half() const { return l_; }

  // Sets up the coefficients of output row i.
  void StartRow(int32_t i) {
    const TCorner &tl = c_[0][0], &tm = c_[0][1], &tr = c_[0][2];
    const TCorner &bl = c_[1][0], &bm = c_[1][1], &br = c_[1][2];
    // A page of one row has no height to interpolate over.
    const long double d = h_ > 1 ? h_ - 1 : 1;
    const long double v = i / d;
    leftY_ = tl.y + i * (static_cast<long double>(bl.y) - tl.y) / d;
    leftX_ = tl.x + i * (static_cast<long double>(bl.x) - tl.x) / d;
    leftSpanY_ =
        (1 - v) * (static_cast<long double>(tm.y) - tl.y) + v * (static_cast<long double>(bm.y) - bl.y);
    leftSpanX_ =
        (1 - v) * (static_cast<long double>(tm.x) - tl.x) + v * (static_cast<long double>(bm.x) - bl.x);
    rightY_ = tm.y + i * (static_cast<long double>(bm.y) - tm.y) / d;
    rightX_ = tm.x + i * (static_cast<long double>(bm.x) - tm.x) / d;
    rightSpanY_ =
        (1 - v) * (static_cast<long double>(tr.y) - tm.y) + v * (static_cast<long double>(br.y) - bm.y);
    rightSpanX_ =
        (1 - v) * (static_cast<long double>(tr.x) - tm.x) + v * (static_cast<long double>(br.x) - bm.x);
    for (int32_t k = 0; k < 8; ++k) fast_[k] = static_cast<double>(*exact_[k]);
  }

  // Position of column j of the current row in the old page.
  void At(int32_t j, float& y, float& x) const {
    if (j < l_) {
      y = Position(0, j, l_);
      x = Position(1, j, l_);
    } else if (r_ > 0) {
      const int32_t o = j - l_;
      y = Position(4, o, r_);
      x = Position(5, o, r_);
    } else {  // a page of one column: only the middle line
      y = static_cast<float>(rightY_);
      x = static_cast<float>(rightX_);
    }
  }

 private:
  // Single(start + j * span / n) of the coefficients `at` (start) and at + 2
  // (span), in extended precision. The double sum decides it unless the
  // result lies too near a rounding boundary of the Single.
  float Position(int32_t at, int32_t j, int32_t n) const {
    float out;
    if (PositionFast(fast_[at], fast_[at + 2], j, n, out)) return out;
    return PositionReference(*exact_[at], *exact_[at + 2], j, n);
  }

  const std::array<TCornerMarkup, 2>& c_;
  int32_t h_, l_, r_;
  long double leftY_ = 0, leftX_ = 0, leftSpanY_ = 0, leftSpanX_ = 0;
  long double rightY_ = 0, rightX_ = 0, rightSpanY_ = 0, rightSpanX_ = 0;
  // The coefficients in the order Position reads them, and in double.
  const long double* const exact_[8] = {&leftY_,  &leftX_,  &leftSpanY_,  &leftSpanX_,
                                        &rightY_, &rightX_, &rightSpanY_, &rightSpanX_};
  double fast_[8] = {};
};

// Replaces the plane by its deformed copy of newHeight x newWidth. Planes are
// deformed one after another so that only one extra plane is held at a time;
// the rows of a plane in bands side by side, each with its own map. The
// progress dots (one every 300 rows) come from the calling thread: those of
// its own band as it goes, the others' once all are done.
void DeformPlane(TDrovixGraph& plane, const std::array<TCornerMarkup, 2>& corners, int32_t newHeight,
                 int32_t newWidth, bool dots) {
  TDrovixGraph out;
  out.SetSize(newHeight, newWidth);
  if (plane.Height() > 0 && plane.Width() > 0) {
    int32_t firstBandEnd = newHeight;
    ParallelRows(newHeight, int64_t{newHeight} * newWidth, [&](int32_t first, int32_t end) {
      const bool live = dots && first == 0;
      if (first == 0) firstBandEnd = end;
      TDeformMap map(corners, newHeight, newWidth);
      for (int32_t i = first; i < end; ++i) {
        if (live && i % 300 == 0) ConsoleWriteRaw(".");
        map.StartRow(i);
        int32_t* dst = out.RowPtr(i);
        for (int32_t j = 0; j < newWidth; ++j) {
          float y, x;
          map.At(j, y, x);
          dst[j] = plane.SmoothPixel(y, x);
        }
      }
    });
    if (dots)
      for (int32_t i = firstBandEnd; i < newHeight; ++i)
        if (i % 300 == 0) ConsoleWriteRaw(".");
  }
  TakeRows(plane, out);
}

// Everything Deform does; `planes` are the resampled planes, main raster first.
void DeformScan(TDrovixMangaScan& scan, std::initializer_list<TDrovixGraph*> planes, int32_t newHeight,
                int32_t newWidth) {
  bool first = true;
  for (TDrovixGraph* plane : planes) {
    if (!plane) continue;
    DeformPlane(*plane, scan.Corners, newHeight, newWidth, first);
    first = false;
  }
  TakeSize(scan.FillMask, newHeight, newWidth);
  TakeSize(scan.Contours, newHeight, newWidth);
  scan.ContoursDone = false;
}

}  // namespace

float TDrovixMangaScan::ComputeScale(int32_t minWidth, int32_t minHeight, int32_t maxWidth,
                                     int32_t maxHeight) {
  const int32_t w = TargetWidth, h = TargetHeight;
  float s = 1.0f;
  if (w < 1 || h < 1) return s;  // nothing to scale
  const auto scaledW = [&] { return RoundHalfEvenToInt(static_cast<long double>(w) * s); };
  const auto scaledH = [&] { return RoundHalfEvenToInt(static_cast<long double>(h) * s); };
  if (h < minHeight || w < minWidth) {
    if (h < minHeight) s = static_cast<float>(static_cast<long double>(minHeight) / h);
    if (w<minWidth&& static_cast<long double>(minWidth) / w> s)
      s = static_cast<float>(static_cast<long double>(minWidth) / w);
    if (scaledW() > maxWidth || scaledH() > maxHeight)
      RaiseLimitConflict(minWidth, minHeight, maxWidth, maxHeight, scaledW(), scaledH());
  }
  if (h > maxHeight || w > maxWidth) {
    if (w > maxWidth) s = static_cast<float>(static_cast<long double>(maxWidth) / w);
    if (h > maxHeight && static_cast<long double>(maxHeight) / h < s)
      s = static_cast<float>(static_cast<long double>(maxHeight) / h);
    if (scaledW() < minWidth || scaledH() < minHeight)
      RaiseLimitConflict(minWidth, minHeight, maxWidth, maxHeight, scaledW(), scaledH());
  }
  RefuseHugeWorkingPage(*this, std::max(s, 1.0f));
  return s;
}

long double EstimatedWorkingScale(int64_t width, int64_t height, int32_t quality, int32_t minWidth,
                                  int32_t minHeight, int32_t maxWidth, int32_t maxHeight) {
  long double s = 1;
  if (height < minHeight || width < minWidth)
    s = std::max(static_cast<long double>(minHeight) / height, static_cast<long double>(minWidth) / width);
  if (height > maxHeight || width > maxWidth)
    s = std::min(static_cast<long double>(maxHeight) / height, static_cast<long double>(maxWidth) / width);
  long double work = std::max<long double>(s, 1);
  if (quality > 0)
    work = std::max<long double>(1, std::min({2 * s, kWorkSideCap / height, kWorkSideCap / width}));
  return work;
}

// The first scaling step of a page with corner marks deforms it through them
// instead of resizing; a page is straightened once. False without marks.
static bool StraightenOnce(TDrovixMangaScan& scan, int32_t newHeight, int32_t newWidth) {
  if (!scan.CornersFound) return false;
  ConsoleWrite(Format(Ru("(деформирую с масштабом %f.."), static_cast<double>(scan.Scale)));
  scan.Deform(newHeight, newWidth);
  ConsoleWriteRaw(".).");
  scan.CornersFound = false;
  return true;
}

void TDrovixMangaScan::ScaleTo(float f) {
  Scale = f;
  if (Height() > 0 && Width() > 0) {
    const int32_t newHeight = ScaledSide(TargetHeight, Scale);
    const int32_t newWidth = ScaledSide(TargetWidth, Scale);
    if (!StraightenOnce(*this, newHeight, newWidth) &&
        std::fabs(static_cast<long double>(Scale) - 1) > 0.0001L) {
      ConsoleWrite(Format(Ru("(масштабирую в %f раза.."), static_cast<double>(Scale)));
      Resize(newHeight, newWidth);
      ConsoleWriteRaw(".).");
    }
  }
  TargetWidth = Width();
  TargetHeight = Height();
}

void TDrovixMangaScan::ScaleUpForWork(float s) {
  float t = 2 * s;
  if (TargetHeight * static_cast<long double>(t) > kWorkSideCap)
    t = static_cast<float>(kWorkSideCap / TargetHeight);
  if (TargetWidth * static_cast<long double>(t) > kWorkSideCap)
    t = static_cast<float>(kWorkSideCap / TargetWidth);
  Scale = std::max(t, 1.0f);
  if (Height() > 0 && Width() > 0) {
    const int32_t newHeight = ScaledSide(TargetHeight, Scale);
    const int32_t newWidth = ScaledSide(TargetWidth, Scale);
    if (StraightenOnce(*this, newHeight, newWidth)) {
      // straightened and scaled in one pass
    } else if (std::fabs(static_cast<long double>(Scale) - 2) > 0.001L) {
      // Also at exactly 1: the planes are resampled to their own size.
      ConsoleWrite(Format(Ru("(масштабирую в %f раза.."), static_cast<double>(Scale)));
      Resize(newHeight, newWidth);
      ConsoleWriteRaw(".).");
    } else {
      ConsoleWrite(Ru("(увеличиваю вдвое.."));
      DoubleSize();
      ConsoleWriteRaw(".).");
    }
  }
  TargetWidth = Width();
  TargetHeight = Height();
}

void TDrovixMangaScan::ScaleBeforeProcessing(int32_t quality, float s) {
  if (quality < 0)
    ScaleTo(std::min(s, 1.0f));
  else if (quality == 0)
    ScaleTo(std::max(s, 1.0f));
  else
    ScaleUpForWork(s);
}

void TDrovixMangaScan::ScaleAfterProcessing(int32_t quality, float s) {
  if (quality < 0)
    ScaleTo(std::max(s, 1.0f));
  else if (quality == 0)
    ScaleTo(std::min(s, 1.0f));
  else
    ScaleTo(s / Scale);
}

void TDrovixMangaScan::Resize(int32_t newHeight, int32_t newWidth) {
  TDrovixGraph::Resize(newHeight, newWidth);
  for (TDrovixGraph* plane : {RedMarkup.get(), GreenMarkup.get(), Transparency.get()})
    if (plane) plane->Resize(newHeight, newWidth);
  TakeSize(FillMask, newHeight, newWidth);
  TakeSize(Contours, newHeight, newWidth);
  ContoursDone = false;
}

void TDrovixColorMangaScan::Resize(int32_t newHeight, int32_t newWidth) {
  TDrovixMangaScan::Resize(newHeight, newWidth);
  for (TDrovixGraph* plane : {RedPlane.get(), GreenPlane.get()})
    if (plane) plane->Resize(newHeight, newWidth);
}

void TDrovixMangaScan::DoubleSize() { DoubleScan(*this, {this, Transparency.get()}); }

void TDrovixColorMangaScan::DoubleSize() {
  DoubleScan(*this, {this, Transparency.get(), RedPlane.get(), GreenPlane.get()});
}

void TDrovixMangaScan::Deform(int32_t newHeight, int32_t newWidth) {
  DeformScan(*this, {this, RedMarkup.get(), GreenMarkup.get(), Transparency.get()}, newHeight, newWidth);
}

void TDrovixColorMangaScan::Deform(int32_t newHeight, int32_t newWidth) {
  DeformScan(*this,
             {this, RedMarkup.get(), GreenMarkup.get(), Transparency.get(), RedPlane.get(), GreenPlane.get()},
             newHeight, newWidth);
}

}  // namespace drovix
