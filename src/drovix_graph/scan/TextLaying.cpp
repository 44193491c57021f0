// Laying a typeset balloon text into the page: the balloon's shape becomes
// the region in FillMask, its background is filled (or cleaned by colour
// key on a colour page), and the ink is drawn with the text style's layers.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/ColourNumber.h"
#include "drovix_graph/scan/LayerList.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// A typeset pixel this light (or lighter) is paper, not ink.
constexpr int32_t kPaper = 99;

// Sets every pixel of the balloon's shape (FillMask below kFillOutside) in
// the bounding box to values[p] in plane p.
template <size_t NP>
void FillBalloonShape(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes,
                      const std::array<int32_t, NP> values) {
  for (int32_t y = scan.MinY; y <= scan.MaxY; ++y) {
    const int32_t* mask = scan.FillMask->RowPtr(y);
    std::array<int32_t*, NP> rows;
    for (size_t p = 0; p < NP; ++p) rows[p] = planes[p]->RowPtr(y);
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) {
      if (mask[x] == kFillOutside) continue;
      for (size_t p = 0; p < NP; ++p) rows[p][x] = values[p];
    }
  }
}

}  // namespace

void TDrovixMangaScan::ApplyBackground(int32_t colour, const std::string& /*smearList*/) {
  if (colour < 0) return;
  FillBalloonShape<1>(*this, {this}, {ColourNumberGrey(colour)});
}

void TDrovixColorMangaScan::ApplyBackground(int32_t colour, const std::string& smearList) {
  if (colour >= 0) {
    const TChannels c = ColourChannels(colour);
    FillBalloonShape<3>(*this, {this, GreenPlane.get(), RedPlane.get()}, {c.B, c.G, c.R});
    return;
  }
  if (smearList.empty()) return;

  // Clean by colour key: every pixel of the balloon's shape close enough to a
  // key colour becomes transparent together with a disc around it, and text
  // removal refills what was marked from the balloon around it. Only the
  // shape is keyed, not its whole box: the drawing in the box's corners, the
  // balloon's own outline among it, has to survive. TransparentCount counts
  // every marked pixel once, as everywhere else.
  Transparency->ZeroAll();
  TransparentCount = 0;
  const int32_t h = Height(), w = Width();
  const std::vector<std::string> fields = SplitListFields(smearList);
  for (size_t i = 0; i + 2 < fields.size(); i += 3) {
    if (fields[i].empty() || fields[i + 1].empty() || fields[i + 2].empty()) break;
    int32_t key = 0, tolerance = 0, radius = 0;
    for (size_t f = i; f < i + 3; ++f) {
      int32_t& value = f == i ? key : (f == i + 1 ? tolerance : radius);
      if (!ParseListNumber(fields[f], value))
        Raise(Format(Ru("Не могу разобрать список цветов замазки \"%s\": \"%s\" - не целое число."),
                     smearList.c_str(), fields[f].c_str()));
    }
    if (radius < 0) radius = 0;
    const TChannels k = ColourChannels(key);
    // 0.2 |dB| + 0.3 |dR| + 0.5 |dG| < T, in tenths.
    const int64_t limit = 10 * static_cast<int64_t>(tolerance);
    for (int32_t y = MinY; y <= MaxY; ++y) {
      const int32_t* mask = FillMask->RowPtr(y);
      const int32_t* blue = RowPtr(y);
      const int32_t* green = GreenPlane->RowPtr(y);
      const int32_t* red = RedPlane->RowPtr(y);
      for (int32_t x = MinX; x <= MaxX; ++x) {
        if (mask[x] == kFillOutside) continue;
        const int64_t d = 2 * static_cast<int64_t>(std::abs(blue[x] - k.B)) + 3 * std::abs(red[x] - k.R) +
                          5 * std::abs(green[x] - k.G);
        if (d >= limit) continue;
        for (int32_t l = std::max(-radius, -y); l <= radius && y + l < h; ++l) {
          int32_t* t = Transparency->RowPtr(y + l);
          for (int32_t m = std::max(-radius, -x); m <= radius && x + m < w; ++m) {
            if (l * l + m * m > radius * radius || t[x + m] == 255) continue;
            t[x + m] = 255;
            ++TransparentCount;
          }
        }
      }
    }
  }
  Smear();
}

void TDrovixMangaScan::ClearBalloonMarkup(const TDrovixGraph& balloon) {
  const int32_t h = Height(), w = Width();
  const int32_t y0 = std::max(0, -MinY), y1 = std::min(balloon.Height(), h - MinY);
  const int32_t x0 = std::max(0, -MinX), x1 = std::min(balloon.Width(), w - MinX);
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t* src = balloon.RowPtr(y);
    int32_t* red = RedMarkup->RowPtr(MinY + y);
    for (int32_t x = x0; x < x1; ++x)
      if (src[x] >= 0) red[MinX + x] = 0;
  }
}

void TDrovixMangaScan::LayText(TDrovixGraph& balloon, int32_t background, const std::string& smearList,
                               const std::string& textStyle) {
  TextMode = true;
  for (int32_t y = 0; y < FillMask->Height(); ++y) {
    int32_t* mask = FillMask->RowPtr(y);
    std::fill(mask, mask + FillMask->Width(), kFillOutside);
  }
  // Every text gets a distance field of its own, however far the previous
  // region's field reached.
  FillGradient = 0;

  const int32_t h = Height(), w = Width();
  const int32_t bh = balloon.Height(), bw = balloon.Width();
  // The part of the balloon raster that lies on the page.
  const int32_t y0 = std::max(0, -MinY), y1 = std::min(bh, h - MinY);
  const int32_t x0 = std::max(0, -MinX), x1 = std::min(bw, w - MinX);
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t* src = balloon.RowPtr(y);
    int32_t* mask = FillMask->RowPtr(MinY + y);
    for (int32_t x = x0; x < x1; ++x) {
      const int32_t v = src[x];
      if (v < 0) continue;
      // round(v * 100 / 255); no value falls on a half.
      mask[MinX + x] = static_cast<int32_t>((static_cast<int64_t>(v) * 200 + 255) / 510);
    }
  }
  ClearBalloonMarkup(balloon);

  ApplyBackground(background, smearList);

  for (int32_t y = y0; y < y1; ++y) {
    const int32_t* src = balloon.RowPtr(y);
    int32_t* mask = FillMask->RowPtr(MinY + y);
    for (int32_t x = x0; x < x1; ++x)
      if (src[x] >= 0 && mask[MinX + x] >= kPaper) mask[MinX + x] = kFillOutside;
  }

  RenderLayers(textStyle);
}

}  // namespace drovix
