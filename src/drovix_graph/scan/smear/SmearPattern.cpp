// Pattern-keeping text removal. The ray methods average what their rays
// reach, which turns screen tone into a flat grey smudge. This method copies
// instead:
//
// 1. The page is cut into tiles. For each tile that holds targets, the opaque
//    ring around its holes (sources within a few pixels of a target) is
//    compared with itself shifted by every offset v of a search square: the
//    mean squared difference between a ring pixel and the pixel v away. The
//    offsets where the ring matches its shifted self best are the tile's
//    candidates. Over screen tone they are the lattice vectors of the dots
//    (period and phase at once), along a line they point along the line, over
//    a flat area every offset matches.
// 2. The targets are visited from the rim of each hole inwards (breadth-first
//    from the opaque pixels). For each, every candidate v offers the first
//    opaque pixel of p + v, p - v, p + 2v, ... (a whole period further is as
//    good as one); the offer whose neighbourhood agrees best with the
//    neighbourhood of p (opaque and already refilled pixels) is copied, all
//    planes together; offers that score about as well as the best are
//    averaged with it, since the neighbourhood cannot tell them apart. So a
//    line crossing a tone patch takes the offset along itself where the tone
//    takes a lattice vector.
// 3. A target for which no candidate reaches an opaque pixel shows the ERROR
//    pattern.
//
// Everything is integer arithmetic over a fixed visiting order, so the same
// page always gives the same result.
#include "drovix_graph/scan/smear/SmearPattern.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "driver/console/Console.h"
#include "drovix_graph/scan/smear/SmearThresholds.h"

namespace drovix {
namespace {

// Work-plane states.
enum : uint8_t { kSource, kOther, kHole, kFilled };

// The ring around a hole: sources within this many pixels (in rows and in
// columns) of a target.
constexpr int32_t kRingWidth = 4;
// Side of the tiles that share one list of candidate offsets.
constexpr int32_t kTile = 32;
// A tile whose window holds fewer ring pixels than this widens its window.
constexpr int32_t kMinRing = 24;
// Ring pixels compared in the first pass over all offsets, about; the
// best kPoolFactor x candidates offsets are then compared on all samples.
constexpr size_t kCoarseSamples = 64;
constexpr int32_t kPoolFactor = 6;

// How widely the method searches, from the smear quality 1..100.
struct TPatternParams {
  int32_t shiftRange;   // offsets up to this in rows and columns are tried
  int32_t ringSamples;  // ring pixels compared per offset, at most
  int32_t candidates;   // offsets kept per tile
  int32_t patchRadius;  // neighbourhood compared around a target
};

TPatternParams ParamsFor(int32_t power) {
  power = std::clamp(power, 1, 100);
  TPatternParams p;
  p.shiftRange = 8 + (power * 3 + 5) / 10;
  p.ringSamples = 64 + 6 * power;
  p.candidates = 3 + power / 6;
  p.patchRadius = power < 50 ? 2 : 3;
  return p;
}

// Offers whose score is within this factor of the best are averaged.
constexpr double kBlendWithin = 1.5;

// n > 0: v / n rounded to the nearest, halves to even.
int64_t DivRound(int64_t v, int64_t n) {
  int64_t q = v / n, r = v % n;
  if (r < 0) {
    r += n;
    --q;
  }
  if (2 * r > n || (2 * r == n && (q & 1) != 0)) ++q;
  return q;
}

struct TOffset {
  int32_t dy, dx;
};

class TPatternSmear {
 public:
  TPatternSmear(TDrovixMangaScan& scan, std::span<TDrovixGraph* const> planes,
                const std::function<void(int32_t, int32_t)>& markFailed)
      : scan_(scan), planes_(planes), markFailed_(markFailed), params_(ParamsFor(scan.SmearPower)) {}

  void Run() {
    if (!FindRegion()) return;
    LoadRegion();
    MarkRing();
    OrderTargets();
    FindCandidates();
    Refill();
  }

 private:
  // The work region: the targets' bounding box widened so that every source
  // a target may be compared with or copied from lies inside.
  bool FindRegion() {
    int32_t minY = scan_.Height(), maxY = -1, minX = scan_.Width(), maxX = -1;
    for (int32_t y = 0; y < scan_.Height(); ++y) {
      const int32_t* t = scan_.Transparency->RowPtr(y);
      for (int32_t x = 0; x < scan_.Width(); ++x)
        if (t[x] > kSmearTargetAbove) {
          minY = std::min(minY, y);
          maxY = y;
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
        }
    }
    if (maxY < 0) return false;
    margin_ = 2 * params_.shiftRange + 4 * kTile;
    y0_ = std::max(0, minY - margin_);
    x0_ = std::max(0, minX - margin_);
    h_ = std::min(scan_.Height(), maxY + 1 + margin_) - y0_;
    w_ = std::min(scan_.Width(), maxX + 1 + margin_) - x0_;
    return true;
  }

  size_t Index(int32_t y, int32_t x) const { return static_cast<size_t>(y) * w_ + x; }

  // The state of every region pixel, and the guide plane the comparisons
  // read: the grey value, or 2 B + 5 G + 3 R on a colour page.
  void LoadRegion() {
    const size_t n = static_cast<size_t>(w_) * h_;
    state_.assign(n, kOther);
    guide_.assign(n, 0);
    rows_.assign(planes_.size(), std::vector<int32_t*>(static_cast<size_t>(h_)));
    for (size_t p = 0; p < planes_.size(); ++p)
      for (int32_t y = 0; y < h_; ++y) rows_[p][static_cast<size_t>(y)] = planes_[p]->RowPtr(y0_ + y) + x0_;
    for (int32_t y = 0; y < h_; ++y) {
      const int32_t* t = scan_.Transparency->RowPtr(y0_ + y) + x0_;
      for (int32_t x = 0; x < w_; ++x) {
        const size_t i = Index(y, x);
        state_[i] = t[x] > kSmearTargetAbove ? kHole : (t[x] <= kSmearSourceAtMost ? kSource : kOther);
        guide_[i] = GuideAt(y, x);
      }
    }
  }

  int32_t GuideAt(int32_t y, int32_t x) const {
    const size_t row = static_cast<size_t>(y);
    if (planes_.size() < 3) return rows_[0][row][x];
    return 2 * rows_[0][row][x] + 5 * rows_[1][row][x] + 3 * rows_[2][row][x];
  }

  // ring_: 1 for a source within kRingWidth rows and columns of a target
  // (a square dilation of the targets, rows then columns).
  void MarkRing() {
    const size_t n = static_cast<size_t>(w_) * h_;
    std::vector<uint8_t> across(n, 0);
    for (int32_t y = 0; y < h_; ++y) {
      int32_t last = -1000000;  // column of the last target seen from the left
      for (int32_t x = 0; x < w_ + kRingWidth; ++x) {
        if (x < w_ && state_[Index(y, x)] == kHole) last = x;
        const int32_t at = x - kRingWidth;
        if (at >= 0 && x - last <= 2 * kRingWidth) across[Index(y, at)] = 1;
      }
    }
    ring_.assign(n, 0);
    for (int32_t x = 0; x < w_; ++x) {
      int32_t last = -1000000;
      for (int32_t y = 0; y < h_ + kRingWidth; ++y) {
        if (y < h_ && across[Index(y, x)] != 0) last = y;
        const int32_t at = y - kRingWidth;
        if (at >= 0 && y - last <= 2 * kRingWidth && state_[Index(at, x)] == kSource) ring_[Index(at, x)] = 1;
      }
    }
  }

  // The targets in the order they are refilled: breadth-first through the
  // pixels that are not sources, starting from those next to a source, so
  // every hole is refilled from its rim inwards. Targets no source touches
  // follow in page order.
  void OrderTargets() {
    const size_t n = static_cast<size_t>(w_) * h_;
    std::vector<uint8_t> seen(n, 0);
    std::vector<size_t> queue;
    for (int32_t y = 0; y < h_; ++y)
      for (int32_t x = 0; x < w_; ++x) {
        const size_t i = Index(y, x);
        if (state_[i] == kSource) continue;
        bool touches = false;
        for (int32_t dy = -1; dy <= 1 && !touches; ++dy)
          for (int32_t dx = -1; dx <= 1; ++dx) {
            const int32_t yy = y + dy, xx = x + dx;
            if (yy >= 0 && yy < h_ && xx >= 0 && xx < w_ && state_[Index(yy, xx)] == kSource) {
              touches = true;
              break;
            }
          }
        if (touches) {
          seen[i] = 1;
          queue.push_back(i);
        }
      }
    for (size_t head = 0; head < queue.size(); ++head) {
      const size_t i = queue[head];
      const int32_t y = static_cast<int32_t>(i / w_), x = static_cast<int32_t>(i % w_);
      if (state_[i] == kHole) order_.push_back(i);
      for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t yy = y + dy, xx = x + dx;
          if (yy < 0 || yy >= h_ || xx < 0 || xx >= w_) continue;
          const size_t j = Index(yy, xx);
          if (seen[j] == 0 && state_[j] != kSource) {
            seen[j] = 1;
            queue.push_back(j);
          }
        }
    }
    for (size_t i = 0; i < n; ++i)
      if (state_[i] == kHole && seen[i] == 0) order_.push_back(i);
  }

  // The candidate offsets of every tile that holds targets.
  void FindCandidates() {
    tilesY_ = (h_ + kTile - 1) / kTile;
    tilesX_ = (w_ + kTile - 1) / kTile;
    std::vector<uint8_t> used(static_cast<size_t>(tilesY_) * tilesX_, 0);
    for (size_t i : order_) used[(i / w_) / kTile * tilesX_ + (i % w_) / kTile] = 1;
    candidates_.assign(used.size(), {});
    for (int32_t ty = 0; ty < tilesY_; ++ty)
      for (int32_t tx = 0; tx < tilesX_; ++tx)
        if (used[static_cast<size_t>(ty) * tilesX_ + tx] != 0)
          candidates_[static_cast<size_t>(ty) * tilesX_ + tx] = TileCandidates(ty, tx);
  }

  struct TSample {
    int32_t y, x, guide;
  };
  struct TScored {
    double cost;  // mean squared difference
    int32_t length, dy, dx;
  };

  static bool Better(const TScored& a, const TScored& b) {
    if (a.cost != b.cost) return a.cost < b.cost;
    if (a.length != b.length) return a.length < b.length;
    if (a.dy != b.dy) return a.dy < b.dy;
    return a.dx < b.dx;
  }

  // The mean squared difference between every stride-th sample and the
  // source c.dy rows and c.dx columns away, into c.cost. False when most of
  // them land on no source (an offset into other targets says little).
  bool Compare(const std::vector<TSample>& samples, size_t stride, TScored& c) const {
    int64_t sum = 0;
    int32_t count = 0, tried = 0;
    for (size_t k = 0; k < samples.size(); k += stride) {
      const TSample& q = samples[k];
      ++tried;
      const int32_t y = q.y + c.dy, x = q.x + c.dx;
      if (y < 0 || y >= h_ || x < 0 || x >= w_) continue;
      const size_t j = Index(y, x);
      if (state_[j] != kSource) continue;
      const int64_t d = q.guide - guide_[j];
      sum += d * d;
      ++count;
    }
    if (count == 0 || 2 * count < tried) return false;
    c.cost = static_cast<double>(sum) / count;
    return true;
  }

  std::vector<TOffset> TileCandidates(int32_t ty, int32_t tx) {
    // The ring pixels of a window around the tile, widened until there are
    // enough; a hole without any ring (only rim around it) compares all
    // sources nearby instead.
    std::vector<size_t> ring;
    for (const bool ringOnly : {true, false}) {
      for (int32_t grow = kRingWidth;; grow += kTile) {
        const int32_t yA = std::max(0, ty * kTile - grow), yB = std::min(h_, (ty + 1) * kTile + grow);
        const int32_t xA = std::max(0, tx * kTile - grow), xB = std::min(w_, (tx + 1) * kTile + grow);
        ring.clear();
        for (int32_t y = yA; y < yB; ++y)
          for (int32_t x = xA; x < xB; ++x) {
            const size_t i = Index(y, x);
            if (ringOnly ? ring_[i] != 0 : state_[i] == kSource) ring.push_back(i);
          }
        const bool whole = yA == 0 && xA == 0 && yB == h_ && xB == w_;
        if (static_cast<int32_t>(ring.size()) >= kMinRing || whole || grow > margin_) break;
      }
      if (!ring.empty()) break;
    }
    if (ring.empty()) return {};
    // An even spread of at most ringSamples of them.
    const size_t stride = (ring.size() + params_.ringSamples - 1) / params_.ringSamples;
    std::vector<TSample> samples;
    for (size_t k = 0; k < ring.size(); k += stride) {
      const size_t i = ring[k];
      samples.push_back({static_cast<int32_t>(i / w_), static_cast<int32_t>(i % w_), guide_[i]});
    }

    // Offsets of one half plane only: v and -v compare the same kind of
    // pairs, and -v is tried with v anyway. A first pass compares a few
    // samples for every offset; the most promising are compared in full.
    const size_t coarseStride = std::max<size_t>(1, samples.size() / kCoarseSamples);
    std::vector<TScored> scored;
    const int32_t s = params_.shiftRange;
    for (int32_t dy = 0; dy <= s; ++dy)
      for (int32_t dx = dy == 0 ? 1 : -s; dx <= s; ++dx) {
        TScored c{0, dy * dy + dx * dx, dy, dx};
        if (Compare(samples, coarseStride, c)) scored.push_back(c);
      }
    const size_t pool = std::min(scored.size(), static_cast<size_t>(kPoolFactor * params_.candidates));
    std::partial_sort(scored.begin(), scored.begin() + static_cast<std::ptrdiff_t>(pool), scored.end(),
                      Better);
    scored.resize(pool);
    if (coarseStride > 1) {
      std::vector<TScored> fine;
      for (TScored c : scored)
        if (Compare(samples, 1, c)) fine.push_back(c);
      scored.swap(fine);
      std::sort(scored.begin(), scored.end(), Better);
    }
    // The best ones, each at least two pixels from the others and from their
    // opposites (-v is tried with v anyway).
    std::vector<TOffset> kept;
    for (const TScored& c : scored) {
      if (static_cast<int32_t>(kept.size()) >= params_.candidates) break;
      bool near = false;
      for (const TOffset& k : kept)
        if ((std::abs(k.dy - c.dy) <= 1 && std::abs(k.dx - c.dx) <= 1) ||
            (std::abs(k.dy + c.dy) <= 1 && std::abs(k.dx + c.dx) <= 1)) {
          near = true;
          break;
        }
      if (!near) kept.push_back({c.dy, c.dx});
    }
    return kept;
  }

  // The first source among p + v, p - v, p + 2v, p - 2v, ... within the
  // region; false when there is none.
  bool SourceAlong(int32_t y, int32_t x, const TOffset& v, int32_t& sy, int32_t& sx) const {
    const int32_t length = std::max(std::abs(v.dy), std::abs(v.dx));
    const int32_t steps = std::max(1, margin_ / length);
    for (int32_t k = 1; k <= steps; ++k)
      for (const int32_t sign : {1, -1}) {
        const int32_t yy = y + sign * k * v.dy, xx = x + sign * k * v.dx;
        if (yy < 0 || yy >= h_ || xx < 0 || xx >= w_) continue;
        if (state_[Index(yy, xx)] == kSource) {
          sy = yy;
          sx = xx;
          return true;
        }
      }
    return false;
  }

  static bool Known(uint8_t state) { return state == kSource || state == kFilled; }

  void Refill() {
    const int32_t r = params_.patchRadius;
    // Weak evidence is pulled towards a poor score, so that an offer
    // compared on one or two pixels does not beat one compared on many.
    const double prior = planes_.size() < 3 ? 256.0 : 25600.0;
    int32_t done = 0;
    for (size_t i : order_) {
      const int32_t y = static_cast<int32_t>(i / w_), x = static_cast<int32_t>(i % w_);
      const std::vector<TOffset>& offers = candidates_[static_cast<size_t>(y / kTile) * tilesX_ + x / kTile];
      offers_.clear();
      for (const TOffset& v : offers) {
        int32_t sy, sx;
        if (!SourceAlong(y, x, v, sy, sx)) continue;
        int64_t sum = 0;
        int32_t count = 0;
        for (int32_t oy = -r; oy <= r; ++oy) {
          const int32_t qy = y + oy, py = sy + oy;
          if (qy < 0 || qy >= h_ || py < 0 || py >= h_) continue;
          for (int32_t ox = -r; ox <= r; ++ox) {
            const int32_t qx = x + ox, px = sx + ox;
            if (qx < 0 || qx >= w_ || px < 0 || px >= w_) continue;
            const size_t q = Index(qy, qx), p = Index(py, px);
            if (!Known(state_[q]) || !Known(state_[p])) continue;
            const int64_t d = guide_[q] - guide_[p];
            sum += d * d;
            ++count;
          }
        }
        offers_.push_back({(static_cast<double>(sum) + prior) / (count + 1), sy, sx});
      }
      if (!offers_.empty()) {
        double best = offers_[0].score;
        for (const TOffer& o : offers_) best = std::min(best, o.score);
        // Offers about as good as the best are averaged: where the
        // neighbourhood cannot tell them apart, their mean is the safer guess.
        const double limit = best * kBlendWithin;
        int32_t n = 0;
        std::array<int64_t, 3> total{};
        for (const TOffer& o : offers_) {
          if (o.score > limit) continue;
          for (size_t p = 0; p < planes_.size(); ++p) total[p] += rows_[p][static_cast<size_t>(o.y)][o.x];
          ++n;
        }
        for (size_t p = 0; p < planes_.size(); ++p)
          rows_[p][static_cast<size_t>(y)][x] = static_cast<int32_t>(DivRound(total[p], n));
        guide_[i] = GuideAt(y, x);
        state_[i] = kFilled;
      } else {
        markFailed_(y0_ + y, x0_ + x);
      }
      if (++done > scan_.Width()) {
        ConsoleWriteRaw(".");
        done = 0;
      }
    }
  }

  TDrovixMangaScan& scan_;
  std::span<TDrovixGraph* const> planes_;
  const std::function<void(int32_t, int32_t)>& markFailed_;
  const TPatternParams params_;

  int32_t y0_ = 0, x0_ = 0, h_ = 0, w_ = 0, margin_ = 0;
  std::vector<uint8_t> state_, ring_;
  struct TOffer {
    double score;
    int32_t y, x;
  };
  std::vector<TOffer> offers_;
  std::vector<int32_t> guide_;
  std::vector<std::vector<int32_t*>> rows_;
  std::vector<size_t> order_;
  int32_t tilesY_ = 0, tilesX_ = 0;
  std::vector<std::vector<TOffset>> candidates_;
};

}  // namespace

void SmearPattern(TDrovixMangaScan& scan, std::span<TDrovixGraph* const> planes,
                  const std::function<void(int32_t, int32_t)>& markFailed) {
  if (scan.TransparentCount <= 0 || scan.Transparency == nullptr || scan.Width() == 0 || planes.empty())
    return;
  TPatternSmear(scan, planes, markFailed).Run();
}

}  // namespace drovix
