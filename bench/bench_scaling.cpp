// Times the whole-page passes of scaling and grain suppression on a
// 2400 x 3400 page (grey and colour): the straightening through the corner
// marks, a resize by 0.7 and grain suppression with n = 3. Each step runs on
// a fresh page. Progress texts of the steps go to standard output first; the
// table follows.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

using namespace drovix;

namespace {

constexpr int32_t kWidth = 2400, kHeight = 3400;

// Screen tone with some line art and a transparent patch.
int32_t PagePixel(int32_t y, int32_t x, int32_t seed) {
  if (x % 300 < 3 || y % 400 < 3) return 0;
  return ((x + y + seed) % 4 < 2 ? 90 : 170) + ((x * 7 + y * 13 + seed) % 11);
}

std::unique_ptr<TDrovixGraph> NewPlane(const std::function<int32_t(int32_t, int32_t)>& value) {
  auto p = std::make_unique<TDrovixGraph>();
  p->SetSize(kHeight, kWidth);
  for (int32_t y = 0; y < kHeight; ++y) {
    int32_t* row = p->RowPtr(y);
    for (int32_t x = 0; x < kWidth; ++x) row[x] = value(y, x);
  }
  return p;
}

template <class Scan>
std::unique_ptr<Scan> NewPage() {
  auto scan = std::make_unique<Scan>();
  scan->SetSize(kHeight, kWidth);
  for (int32_t y = 0; y < kHeight; ++y) {
    int32_t* row = scan->RowPtr(y);
    for (int32_t x = 0; x < kWidth; ++x) row[x] = PagePixel(y, x, 0);
  }
  const auto zero = [](int32_t, int32_t) { return 0; };
  scan->RedMarkup = NewPlane([](int32_t y, int32_t x) { return (y / 500 + x / 500) % 3 == 0 ? 200 : 0; });
  scan->GreenMarkup = NewPlane(zero);
  scan->Transparency =
      NewPlane([](int32_t y, int32_t x) { return y > 1000 && y < 1100 && x > 500 ? 255 : 0; });
  scan->FillMask = NewPlane(zero);
  scan->Contours = NewPlane(zero);
  if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
    scan->RedPlane = NewPlane([](int32_t y, int32_t x) { return PagePixel(y, x, 1); });
    scan->GreenPlane = NewPlane([](int32_t y, int32_t x) { return PagePixel(y, x, 2); });
  }
  scan->TargetHeight = kHeight;
  scan->TargetWidth = kWidth;
  // A page scanned slightly askew, with a fold a little off centre.
  scan->Corners = {TCornerMarkup{TCorner{12, 20}, TCorner{6, 1210}, TCorner{15, 2380}},
                   TCornerMarkup{TCorner{3385, 30}, TCorner{3390, 1195}, TCorner{3380, 2390}}};
  return scan;
}

// Wall time, and the CPU time of this thread (the machine may be shared).
struct TTime {
  double wallMs;
  double cpuMs;
};

struct TRow {
  std::string step;
  TTime time;
};

double CpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

template <class F>
TTime TimeMs(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuMs();
  f();
  return {std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
          CpuMs() - cpu};
}

template <class Scan>
void Run(const char* kind, std::vector<TRow>& rows) {
  {
    auto scan = NewPage<Scan>();
    scan->CornersFound = true;
    rows.push_back(
        {std::string(kind) + " deform 2400x3400 -> 2400x3400", TimeMs([&] { scan->ScaleTo(1.0f); })});
  }
  {
    auto scan = NewPage<Scan>();
    rows.push_back({std::string(kind) + " resize 2400x3400 by 0.7", TimeMs([&] { scan->ScaleTo(0.7f); })});
  }
  {
    auto scan = NewPage<Scan>();
    rows.push_back({std::string(kind) + " grain suppression n=3", TimeMs([&] { scan->SuppressGrain(3); })});
  }
}

}  // namespace

int main() {
  std::vector<TRow> rows;
  Run<TDrovixMangaScan>("grey  ", rows);
  Run<TDrovixColorMangaScan>("colour", rows);
  std::printf("\n\n%-40s %10s %10s\n", "step", "wall ms", "cpu ms");
  for (const TRow& r : rows)
    std::printf("%-40s %10.1f %10.1f\n", r.step.c_str(), r.time.wallMs, r.time.cpuMs);
  return 0;
}
