// Finding the n-th balloon (red markup) and the n-th sound (green markup) of
// a page: the strongest markup value still present is the level, and the
// region is every pixel 4-connected to that level whose markup is at least
// the rim threshold, so the soft painted rim belongs to the region.
//
// The fill is a depth-first walk. It runs on an explicit stack of pending
// steps that visits the neighbours in the same order as a recursive fill
// would and counts the same nesting depth, so the depth limit and what is
// filled when it is hit do not depend on the size of the machine stack.
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// A level must be held by this many pixels...
constexpr int32_t kMinLevelPixels = 30;
// Weaker markup is not part of any region.
constexpr int32_t kRimThreshold = 5;
// A sound spans markup up to this much below its level.
constexpr int32_t kSoundSpread = 15;

// One nested step of the fill: its point and the next neighbour to try.
struct FillFrame {
  int32_t x;
  int32_t y;
  int32_t next;
};

struct Offset {
  int32_t dx;
  int32_t dy;
};
constexpr std::array<Offset, 4> kBalloonOrder = {{{-1, 0}, {1, 0}, {0, -1}, {0, 1}}};
constexpr std::array<Offset, 4> kSoundOrder = {{{-1, 0}, {0, -1}, {1, 0}, {0, 1}}};

std::vector<int32_t*> RowPointers(TDrovixGraph& plane) {
  std::vector<int32_t*> rows(static_cast<size_t>(plane.Height()));
  for (int32_t y = 0; y < plane.Height(); ++y) rows[static_cast<size_t>(y)] = plane.RowPtr(y);
  return rows;
}

void ResetBoundingBox(TDrovixMangaScan& scan) {
  scan.MinY = scan.Height() - 1;
  scan.MaxY = 0;
  scan.MinX = scan.Width() - 1;
  scan.MaxX = 0;
  scan.FillDepth = 0;
}

void Widen(TDrovixMangaScan& scan, int32_t x, int32_t y) {
  if (x < scan.MinX) scan.MinX = x;
  if (x > scan.MaxX) scan.MaxX = x;
  if (y < scan.MinY) scan.MinY = y;
  if (y > scan.MaxY) scan.MaxY = y;
}

// Runs the fill from (x, y). enter(x, y) performs the entry test and, when
// the point is taken, fills it and increments scan.FillDepth; it returns
// whether the point was taken. Each taken point then tries its neighbours in
// `order`, and the depth comes back down when it has tried all four.
template <class Enter>
void DepthFirst(TDrovixMangaScan& scan, std::vector<FillFrame>& stack, const std::array<Offset, 4>& order,
                Enter& enter, int32_t x, int32_t y) {
  if (enter(x, y)) stack.push_back(FillFrame{x, y, 0});
  while (!stack.empty()) {
    FillFrame& top = stack.back();
    if (top.next == 4) {
      stack.pop_back();
      --scan.FillDepth;
      continue;
    }
    const Offset step = order[static_cast<size_t>(top.next)];
    ++top.next;
    const int32_t nx = top.x + step.dx;
    const int32_t ny = top.y + step.dy;
    if (enter(nx, ny)) stack.push_back(FillFrame{nx, ny, 0});
  }
}

// MarkupLevel := the level of the next region in plane. Where the plane
// holds none, its faint remains are marked and the search fails with
// notFound, a format taking the region's number and kMinMarkupStrength.
void TakeMarkupLevel(TDrovixMangaScan& scan, TDrovixGraph& plane, int32_t number,
                     const std::string& notFound) {
  scan.MarkupLevel = MarkupLevelOf(plane);
  if (scan.MarkupLevel < kMinMarkupStrength)
    scan.ReportError(plane, kRimThreshold, Format(notFound, number, kMinMarkupStrength));
}

}  // namespace

int32_t MarkupLevelOf(const TDrovixGraph& plane) {
  std::array<int32_t, 256> histogram{};
  const int32_t h = plane.Height();
  const int32_t w = plane.Width();
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* row = plane.RowPtr(y);
    for (int32_t x = 0; x < w; ++x) {
      const int32_t v = row[x];
      if (v >= 0 && v <= 255) ++histogram[static_cast<size_t>(v)];
    }
  }
  int32_t level = 255;
  while (histogram[static_cast<size_t>(level)] < kMinLevelPixels) {
    --level;
    if (level < kMinMarkupStrength) break;
  }
  return level;
}

void TDrovixMangaScan::FindNextBalloon() {
  ++BalloonNumber;
  FillMask->ZeroAll();
  TakeMarkupLevel(*this, *RedMarkup, BalloonNumber,
                  Ru("Балон №%d не найден, или недостаточно красный.\n\r"
                     "Минимальная яркость пикселя для разметки равна %d.\n\r"
                     "Проверь ещё, не соприкасаются ли балоны (программа использует метод заливки\n\r"
                     " для определения нечётких краёв, и может принять балон\n\r"
                     "за кайму более яркого соседа)"));
  ResetBoundingBox(*this);

  const int32_t h = Height();
  const int32_t w = Width();
  const int32_t level = MarkupLevel;
  const std::vector<int32_t*> red = RowPointers(*RedMarkup);
  const std::vector<int32_t*> mask = RowPointers(*FillMask);
  auto enter = [&](int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    const int32_t r = red[static_cast<size_t>(y)][x];
    int32_t& m = mask[static_cast<size_t>(y)][x];
    if (r < kRimThreshold || m == 1) return false;
    // Level pixels below the first step are left to be seeds of their own,
    // which keeps large flat markings shallow.
    if (FillDepth > 1 && r == level) return false;
    m = 1;
    if (++FillDepth > kMaxFillDepth) {
      ReportError(*FillMask, 0,
                  Format(Ru("Выход за допустимый предел при заливке балона №%d рекурсивным методом.\n\r"
                            "Скорее всего, имеет место \"слипание\" соседних балонов."),
                         BalloonNumber));
    }
    Widen(*this, x, y);
    return true;
  };
  std::vector<FillFrame> stack;
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* row = red[static_cast<size_t>(y)];
    for (int32_t x = 0; x < w; ++x)
      if (row[x] == level) DepthFirst(*this, stack, kBalloonOrder, enter, x, y);
  }
}

void TDrovixMangaScan::FindNextSound() {
  ++SoundNumber;
  // The text being laid in is already in FillMask.
  if (TextMode) return;
  TakeMarkupLevel(*this, *GreenMarkup, SoundNumber,
                  Ru("Звук №%d не найден, или недостаточно зелёный.\n\r"
                     "Минимальная яркость пикселя для разметки равна %d.\n\r"
                     "Проверь ещё, не соприкасаются ли звуки с разной базовой яркостью\n\r"
                     " (программа использует метод заливки для определения нечётких краёв,\n\r"
                     " и может принять звук за кайму более яркого соседа)"));
  const int32_t h = Height();
  const int32_t w = Width();
  for (int32_t y = 0; y < h; ++y) {
    int32_t* row = FillMask->RowPtr(y);
    std::fill(row, row + w, kFillOutside);
  }
  ResetBoundingBox(*this);

  const int32_t level = MarkupLevel;
  // Rim weight round((1 - g / level) * 100) for every markup value g.
  std::array<int32_t, 256> weight{};
  for (int32_t g = 0; g < 256; ++g)
    weight[static_cast<size_t>(g)] =
        static_cast<int32_t>(std::nearbyint((1.0L - static_cast<long double>(g) / level) * 100.0L));
  const std::vector<int32_t*> green = RowPointers(*GreenMarkup);
  const std::vector<int32_t*> mask = RowPointers(*FillMask);
  auto enter = [&](int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return false;
    int32_t& g = green[static_cast<size_t>(y)][x];
    int32_t& m = mask[static_cast<size_t>(y)][x];
    if (g < kRimThreshold || m < kFillOutside) return false;
    if (FillDepth > 1 && g > level - kSoundSpread) return false;
    m = g <= 255
            ? weight[static_cast<size_t>(g)]
            : static_cast<int32_t>(std::nearbyint((1.0L - static_cast<long double>(g) / level) * 100.0L));
    g = 0;
    if (++FillDepth > kMaxFillDepth) {
      ReportError(*GreenMarkup, kRimThreshold,
                  Format(Ru("Выход за допустимый предел при заливке звука №%d рекурсивным методом.\n\r"
                            "Скорее всего, имеет место \"слипание\" соседних звуков с разной базовой "
                            "яркостью.\n\rЛибо же звук ОЧЕНЬ большой, и с сильно размытыми краями."),
                         SoundNumber));
    }
    Widen(*this, x, y);
    return true;
  };
  const int32_t seedAbove = std::max(level - kSoundSpread, kMinMarkupStrength);
  std::vector<FillFrame> stack;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x)
      if (green[static_cast<size_t>(y)][x] > seedAbove) DepthFirst(*this, stack, kSoundOrder, enter, x, y);
  }
  FillGradient = 0;
}

}  // namespace drovix
