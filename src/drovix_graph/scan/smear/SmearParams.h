// What each ray or row method of text removal runs, and with which rays:
// the table of TSmear settings and the fan of ray angles.
#pragma once

#include <array>
#include <cstdint>
#include <numbers>

#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {
namespace {

enum class TRoutine { kRowInterpolation, kRayCasting, kContourGuided, kContourLimited };

struct TSmearParams {
  float rayFactor;        // rays = round(rayFactor * (power + 3))
  float step;             // ray step, pixels
  float reach;            // how far a ray may run beyond the nearest hit so far
  float tail;             // how far a ray collects beyond its own first hit
  bool cubeWeight;        // weight 1/d^3; otherwise 1/e^d
  int32_t contourRadius;  // 0: the method does not use contours
  TRoutine routine;
};

// Indexed by TSmear. 3.4951456 is the Single nearest to 360/103.
constexpr std::array<TSmearParams, 8> kSmearParams = {{
    {1.0f, 0.0f, 0.0f, 0.0f, true, 0, TRoutine::kRowInterpolation},          // SDRAFT
    {1.0f, 1.41f, 100.0f, 4.0f, true, 0, TRoutine::kRayCasting},             // SSIMPLE
    {1.0f, 1.0f, 15.0f, 0.0f, false, 0, TRoutine::kRayCasting},              // SHARD
    {3.4951456f, 5.0f, 100.0f, 15.0f, true, 0, TRoutine::kRayCasting},       // SCIRCULAR
    {1.0f, 0.7f, 100.0f, 10.0f, true, 1, TRoutine::kContourGuided},          // SSMARTER
    {3.4951456f, 0.45f, 50.0f, 20.0f, false, 2, TRoutine::kContourLimited},  // STRICKY
    {3.4951456f, 0.45f, 50.0f, 10.0f, false, 2, TRoutine::kContourLimited},  // SPICKY
    {3.4951456f, 0.45f, 30.0f, 10.0f, false, 1, TRoutine::kContourLimited},  // SSELECTIVE
}};

// The angle that ends the fan of rays; the angle step is worked out from the
// slightly larger 6.2832 so that exactly R rays fit below it.
constexpr long double kFullTurn = 2 * std::numbers::pi_v<long double>;
constexpr long double kFanAngle = 6.2832L;

}  // namespace
}  // namespace drovix
