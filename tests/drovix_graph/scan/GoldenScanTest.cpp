// The golden scan operations: every whole-page operation of the scan (all
// eight text-removal methods at three powers, resize, doubling, deformation,
// grain suppression, level cleaning, contours, the colour page's grey copy)
// run on small grey and colour pages of GoldenSet.h; the checksums of every
// plane and of the progress text are compared with
// tests/data/golden/scan.txt. Unlike the whole-program golden runs this
// reaches the methods a script cannot name.
//
// New checksums after a deliberate change of output: tools/update_golden.sh.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/raster/ParallelRows.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/scan/smear/SmearThreads.h"
#include "program/GoldenSet.h"

namespace drovix {
namespace {

golden::TPagePlan Plan(bool corners = false, bool allTransparent = false) {
  return golden::TPagePlan{.width = 92,
                           .height = 76,
                           .seed = 3,
                           .lettering = 2,
                           .balloons = 1,
                           .sounds = 1,
                           .corners = corners,
                           .allTransparent = allTransparent};
}

// The scan as loading leaves it, split from the drawn pixels.
template <class Scan>
std::unique_ptr<Scan> Load(const golden::TPagePlan& plan) {
  const golden::TDrawnPage drawn = golden::DrawPage(plan, std::is_same_v<Scan, TDrovixColorMangaScan>);
  auto scan = std::make_unique<Scan>();
  scan->SetSize(plan.height, plan.width);
  for (int32_t y = 0; y < plan.height; ++y)
    for (int32_t x = 0; x < plan.width; ++x) scan->Pixel(y, x) = static_cast<int32_t>(drawn.page.At(x, y));
  scan->DetectCorners();
  scan->SplitLayers();
  if constexpr (std::is_same_v<Scan, TDrovixColorMangaScan>) {
    // A colour page takes its corners from its companion: here from the
    // same drawing split as a grey page.
    if (plan.corners) {
      const auto grey = Load<TDrovixMangaScan>(plan);
      scan->Corners = grey->Corners;
      scan->CornerFound = grey->CornerFound;
      scan->CornersFound = grey->CornersFound;
    }
  }
  return scan;
}

void AddPlane(std::string& bytes, const TDrovixGraph* plane) {
  if (plane == nullptr) {
    bytes += "none";
    return;
  }
  const int32_t h = plane->Height(), w = plane->Width();
  bytes += std::to_string(h) + "x" + std::to_string(w) + ":";
  for (int32_t y = 0; y < h; ++y)
    bytes.append(reinterpret_cast<const char*>(plane->RowPtr(y)), static_cast<size_t>(w) * sizeof(int32_t));
}

std::string Planes(const TDrovixMangaScan& scan) {
  std::string bytes;
  AddPlane(bytes, &scan);
  for (const TDrovixGraph* p : {scan.RedMarkup.get(), scan.GreenMarkup.get(), scan.Transparency.get()})
    AddPlane(bytes, p);
  if (scan.ContoursDone) AddPlane(bytes, scan.Contours.get());
  if (const auto* colour = dynamic_cast<const TDrovixColorMangaScan*>(&scan)) {
    AddPlane(bytes, colour->RedPlane.get());
    AddPlane(bytes, colour->GreenPlane.get());
  }
  bytes += std::to_string(scan.Scale) + " " + std::to_string(scan.TargetWidth) + " " +
           std::to_string(scan.TargetHeight);
  return bytes;
}

struct TOperation {
  std::string name;
  std::function<void(TDrovixMangaScan&)> run;
  bool corners = false;
  bool allTransparent = false;
};

std::vector<TOperation> Operations() {
  std::vector<TOperation> ops;
  const char* const names[] = {"SDRAFT",   "SSIMPLE", "SHARD",  "SCIRCULAR",
                               "SSMARTER", "STRICKY", "SPICKY", "SSELECTIVE"};
  for (int32_t m = 0; m < 8; ++m)
    for (int32_t power : {1, 25, 100}) {
      if (m == SDRAFT && power != 1) continue;
      ops.push_back({std::string("smear ") + names[m] + " " + std::to_string(m == SDRAFT ? 0 : power),
                     [m, power](TDrovixMangaScan& s) {
                       s.SmearMethod = static_cast<TSmear>(m);
                       s.SmearPower = m == SDRAFT ? 0 : power;
                       s.Smear();
                     }});
    }
  ops.push_back({"smear STRICKY 25 nothing opaque", [](TDrovixMangaScan& s) { s.Smear(); }, false, true});
  ops.push_back({"smear SHARD 1 nothing opaque",
                 [](TDrovixMangaScan& s) {
                   s.SmearMethod = SHARD;
                   s.SmearPower = 1;
                   s.Smear();
                 },
                 false, true});
  for (float f : {0.7f, 1.37f, 0.2f, 1.0f, 2.6f})
    ops.push_back({"resize " + std::to_string(f), [f](TDrovixMangaScan& s) {
                     s.Resize(std::max(1, static_cast<int32_t>(s.Height() * f)),
                              std::max(1, static_cast<int32_t>(s.Width() * f + 0.5f)));
                   }});
  ops.push_back({"scale to 0.55", [](TDrovixMangaScan& s) { s.ScaleTo(0.55f); }});
  ops.push_back({"double", [](TDrovixMangaScan& s) { s.DoubleSize(); }});
  ops.push_back({"work scale 1", [](TDrovixMangaScan& s) { s.ScaleUpForWork(1.0f); }});
  ops.push_back({"work scale 1.3", [](TDrovixMangaScan& s) { s.ScaleUpForWork(1.3f); }});
  ops.push_back({"deform 1", [](TDrovixMangaScan& s) { s.ScaleTo(1.0f); }, true});
  ops.push_back({"deform 1.6", [](TDrovixMangaScan& s) { s.ScaleTo(1.6f); }, true});
  ops.push_back({"deform for work", [](TDrovixMangaScan& s) { s.ScaleUpForWork(1.0f); }, true});
  for (int32_t n = 2; n <= 5; ++n)
    ops.push_back({"grain " + std::to_string(n), [n](TDrovixMangaScan& s) { s.SuppressGrain(n); }});
  for (int32_t p : {1, 30, 100})
    ops.push_back({"clean " + std::to_string(p), [p](TDrovixMangaScan& s) { s.CleanLevels(p); }});
  for (int32_t r : {1, 2})
    ops.push_back({"contours " + std::to_string(r), [r](TDrovixMangaScan& s) { s.ComputeContours(r); }});
  ops.push_back({"clone", [](TDrovixMangaScan& s) {
                   const std::unique_ptr<TDrovixGraph> grey = s.Clone();
                   s.Paste(*grey, 0, 0);
                 }});
  ops.push_back({"clean, grain, work scale, smear",
                 [](TDrovixMangaScan& s) {
                   s.CleanLevels(12);
                   s.SuppressGrain(3);
                   s.ScaleUpForWork(1.1f);
                   s.Smear();
                 },
                 true});
  return ops;
}

std::vector<std::string> AllChecksums() {
  std::vector<std::string> lines;
  for (const TOperation& op : Operations())
    for (bool colour : {false, true}) {
      const golden::TPagePlan plan = Plan(op.corners, op.allTransparent);
      std::unique_ptr<TDrovixMangaScan> scan;
      if (colour)
        scan = Load<TDrovixColorMangaScan>(plan);
      else
        scan = Load<TDrovixMangaScan>(plan);
      testing::internal::CaptureStdout();
      op.run(*scan);
      const std::string console = testing::internal::GetCapturedStdout();
      lines.push_back(std::string(colour ? "colour " : "grey ") + op.name + " = " +
                      golden::Checksum(Planes(*scan)) + " " + golden::Checksum(console));
    }
  return lines;
}

TEST(GoldenScan, OperationsKeepTheirChecksums) {
  const std::string file = std::string(DROVIX_SOURCE_DIR) + "/tests/data/golden/scan.txt";
  const std::vector<std::string> lines = AllChecksums();
  const char* update = std::getenv("DROVIX_GOLDEN_UPDATE");
  if (update != nullptr && std::string(update) == "1") {
    golden::WriteChecksumFile(file, "golden scan operations: planes and progress text (FNV-1a 64)", lines);
    GTEST_SKIP() << "checksums written to " << file;
  }
  const std::vector<std::string> expected = golden::ReadChecksumFile(file);
  ASSERT_EQ(lines.size(), expected.size()) << file;
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
}

// The same operations with the rows of text removal, resizing and
// deformation split into bands worked side by side.
TEST(GoldenScan, OperationsSplitIntoBandsKeepTheirChecksums) {
  const std::vector<std::string> expected =
      golden::ReadChecksumFile(std::string(DROVIX_SOURCE_DIR) + "/tests/data/golden/scan.txt");
  for (int32_t threads : {2, 3}) {
    SCOPED_TRACE("threads " + std::to_string(threads));
    SetSmearThreadsForTesting(threads);
    SetParallelRowsForTesting(threads);
    const std::vector<std::string> lines = AllChecksums();
    SetSmearThreadsForTesting(0);
    SetParallelRowsForTesting(0);
    ASSERT_EQ(lines.size(), expected.size());
    for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], expected[i]);
  }
}

}  // namespace
}  // namespace drovix
