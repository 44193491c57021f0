// Text removal ("smearing"): every pixel the user made transparent is
// refilled from the opaque drawing around it. This file holds the Smear
// entry points of both scans. Eight of the methods are run by TSmearer: a
// row interpolation for drafts and three kinds of ray casting, two of them
// steered by the contour plane (the pattern fill is SmearPattern).
//
// This is the slowest step of a page build, so the loops below avoid the
// raster's checked accessors: planes are read through row-pointer tables,
// sines, cosines and distance weights are worked out once per page, and the
// interpolated reads reproduce TDrovixGraph::SmoothPixel bit for bit while
// skipping its arithmetic wherever the four neighbours agree. Rays jump over
// samples that a distance map shows cannot meet opaque drawing, and work
// their sample positions out in double precision, falling back to extended
// precision near a float rounding boundary. On cores no other page holds,
// bands of rows are refilled side by side and mended afterwards where they
// met (RunBands). Every result equals that of the plain rules, one target
// after another (the tests compare them).
#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <span>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/TCoreLease.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/scan/smear/SmearBands.h"
#include "drovix_graph/scan/smear/SmearPattern.h"
#include "drovix_graph/scan/smear/SmearRays.h"
#include "drovix_graph/scan/smear/SmearRowPass.h"
#include "drovix_graph/scan/smear/SmearThreads.h"
#include "drovix_graph/scan/smear/TSmearer.h"

namespace drovix {
namespace {

std::atomic<int32_t> forcedThreads{0};

// The common driver of both scans; planes[0] is the scan's main raster.
template <size_t NP, class MarkFailed>
void SmearPlanes(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes, MarkFailed markFailed) {
  if (scan.TransparentCount <= 0 || scan.Transparency == nullptr || scan.Width() == 0) return;
  TSmear method = scan.SmearPower == 0 ? SDRAFT : scan.SmearMethod;
  if (method == SPATTERN) {
    ConsoleWrite(Ru(".замазываю по узору.."));
    SmearPattern(scan, std::span<TDrovixGraph* const>(planes), markFailed);
    return;
  }
  if (method > SSELECTIVE) method = STRICKY;
  const TSmearParams& params = kSmearParams[method];

  // At least one ray: a fan of none would never end (the angle step would be
  // infinite or negative). Powers of the script's range never come near.
  const long double rays =
      std::nearbyint(static_cast<long double>(params.rayFactor) * (scan.SmearPower + 3.0L));
  const int32_t rayCount = static_cast<int32_t>(std::clamp(rays, 1.0L, 1000000.0L));

  long double meanContour = 0;
  if (params.contourRadius > 0) {
    scan.ComputeContours(params.contourRadius);
  }
  TSmearer<NP> smearer(scan, planes);
  if (params.contourRadius > 0) meanContour = smearer.MeanContour();

  switch (params.routine) {
    case TRoutine::kRowInterpolation:
      ConsoleWrite(Ru(".замазываю наспех.."));
      break;
    case TRoutine::kRayCasting:
      ConsoleWrite(Ru(".замазываю.."));
      break;
    default:
      ConsoleWrite(Ru(".замазываю вдумчиво.."));
      break;
  }
  // Bands of rows are refilled side by side on the cores no other page holds.
  const int32_t forced = forcedThreads.load();
  const TCoreLease helpers(
      forced > 0 || params.routine == TRoutine::kRowInterpolation ? 0 : ProcessorCount() - 1);
  smearer.Run(params, rayCount, meanContour, forced > 0 ? forced : 1 + helpers.Count(), forced > 0,
              markFailed);
}

}  // namespace

void SetSmearThreadsForTesting(int32_t threads) { forcedThreads.store(std::max(threads, 0)); }

void TDrovixMangaScan::Smear() {
  SmearPlanes<1>(*this, {this}, [this](int32_t y, int32_t x) { RowPtr(y)[x] = 255 * ErrorPatternBit(y, x); });
}

void TDrovixColorMangaScan::Smear() {
  SmearPlanes<3>(*this, {this, GreenPlane.get(), RedPlane.get()}, [this](int32_t y, int32_t x) {
    const int32_t blue = 255 * ErrorPatternBit(y, x);
    RowPtr(y)[x] = blue;
    GreenPlane->RowPtr(y)[x] = 0;
    RedPlane->RowPtr(y)[x] = 255 - blue;
  });
}

}  // namespace drovix
