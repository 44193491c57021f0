// Sound effects and typeset text: the layers (fills, outlines, soft glows)
// drawn around a region through its distance field in FillMask, and the
// balloon background under a typeset text.
//
// FillMask during this work: inside the region a rim weight below 100 (0 is
// the solid core; a negative depth once inner distances are computed),
// outside it the distance to the region in hundredths of a pixel plus the rim
// weight of the nearest region pixel, kFillOutside where no distance has been
// computed.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "driver/Console.h"
#include "driver/Cp1251.h"
#include "driver/Error.h"
#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/TDrovixColorTexture.h"
#include "drovix_graph/raster/TDrovixTexture.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// Region pixels hold less than 100 (a sound's rim weight, a text's ink
// weight); a pixel outside holds 100 or more once its distance is known.
constexpr int32_t kRegionLimit = 100;
// A typeset pixel this light (or lighter) is paper, not ink.
constexpr int32_t kPaper = 99;

// The fields of a comma-separated list, each trimmed of bytes 0..32; line
// breaks count as blanks.
std::vector<std::string> SplitFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const size_t end = comma == std::string::npos ? text.size() : comma;
    size_t b = start, e = end;
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    fields.emplace_back(text, b, e - b);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

template <class T>
bool ParseNumber(const std::string& field, T& value) {
  const char* first = field.data();
  const char* last = field.data() + field.size();
  if (first != last && *first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last;
}

[[noreturn]] void RaiseBadLayers(const std::string& description, const std::string& field) {
  Raise(Format(Ru("Не могу разобрать описание слоёв \"%s\": \"%s\" - не число и не цвет."),
               description.c_str(), field.c_str()));
}

// One layer of a description: its colour ("%" + colour number) or texture
// file, and its cumulative thickness and scaled blur in hundredths of a pixel.
struct TLayer {
  std::string Text;
  int32_t Colour = 0;  // for colour layers
  int32_t Thickness = 0;
  int32_t Blur = 0;
};

std::vector<TLayer> ParseLayers(const std::string& description, float scale) {
  const std::vector<std::string> fields = SplitFields(description);
  std::vector<TLayer> layers;
  long double cumulative = 0;
  for (size_t i = 0; i < fields.size() && !fields[i].empty(); i += 3) {
    TLayer layer;
    layer.Text = fields[i];
    if (layer.Text[0] == '%') {
      int64_t colour = 0;
      if (!ParseNumber(layer.Text.substr(1), colour) || colour < 0 || colour > 33554431)
        RaiseBadLayers(description, layer.Text);
      layer.Colour = static_cast<int32_t>(colour);
    }
    float thickness = 0, blur = 0;
    const std::string empty;
    const std::string& t = i + 1 < fields.size() ? fields[i + 1] : empty;
    const std::string& b = i + 2 < fields.size() ? fields[i + 2] : empty;
    if (!t.empty() && !ParseNumber(t, thickness)) RaiseBadLayers(description, t);
    if (!b.empty() && !ParseNumber(b, blur)) RaiseBadLayers(description, b);
    // The script allows -10..30 and 0..20; far larger values would only make
    // the distance field window absurdly wide.
    if (!(std::fabs(thickness) <= 100)) RaiseBadLayers(description, t);
    if (!(blur >= 0 && blur <= 100)) RaiseBadLayers(description, b);
    // Every whole pixel of blur widens the layer by one pixel, so that the
    // fade does not eat into the layer's own thickness.
    cumulative += (static_cast<long double>(thickness) + std::truncl(blur)) * scale;
    layer.Thickness = RoundUnchecked(cumulative * 100);
    layer.Blur = RoundUnchecked(static_cast<long double>(blur) * std::sqrt(static_cast<long double>(scale)) * 100);
    layers.push_back(std::move(layer));
  }
  return layers;
}

struct TChannels {
  int32_t R, G, B;
};

// A colour number up to 16777215 is a grey level; above it, R sits in bits
// 16-23, G in 8-15 and B in 0-7. A grey level paints the same level in all
// three channels of a colour page: "%255" is white there as on a grey page,
// not the blue that reading its bits as channels would give.
TChannels ColourChannels(int32_t colour) {
  if (colour <= 16777215) {
    const int32_t grey = Clamp(colour, 0, 255);
    return {grey, grey, grey};
  }
  return {(colour >> 16) & 255, (colour >> 8) & 255, colour & 255};
}

// The grey level of a colour number on a grey page.
int32_t ColourNumberGrey(int32_t colour) {
  if (colour <= 16777215) return Clamp(colour, 0, 255);
  const TChannels c = ColourChannels(colour);
  return ColourGrey(c.R, c.G, c.B);
}

int32_t Blend(int32_t v, int32_t value, long double alpha) {
  return Clamp(RoundUnchecked(v * (1 - alpha) + value * alpha), 0, 255);
}

// Walks the bounding box; for every pixel whose distance m lies below
// (thickness + extraReach) * 100 it calls pixel(x, alpha) with the layer's
// weight alpha = (blur + thickness - m / 100) / blur, not yet clamped (a
// negative weight means the pixel lies beyond thickness + blur). row(y) is
// called before the pixels of row y.
template <class RowFn, class PixelFn>
void ForEachLayerPixel(TDrovixMangaScan& scan, float thickness, float blur, int32_t extraReach, RowFn&& row,
                       PixelFn&& pixel) {
  if (blur < 0.01f) blur = 0.01f;
  const long double b = blur;
  const long double bt = b + thickness;
  const long double limit = (static_cast<long double>(thickness) + extraReach) * 100;
  for (int32_t y = scan.MinY; y <= scan.MaxY; ++y) {
    const int32_t* mask = scan.FillMask->RowPtr(y);
    bool rowStarted = false;
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) {
      const int32_t m = mask[x];
      if (!(m < limit)) continue;
      if (!rowStarted) {
        row(y);
        rowStarted = true;
      }
      pixel(x, (bt - m / 100.0L) / b);
    }
  }
}

// q[i] = min(q[i], dist[i] + own) for every q[i] above 99, for n pixels.
// Blocks of 8 are written so that the compiler turns them into vector code.
inline void OfferToRow(int32_t* __restrict q, const int32_t* __restrict dist, int32_t n, int32_t own) {
  int32_t i = 0;
  for (; i + 8 <= n; i += 8) {
    int32_t v[8], offer[8];
    for (int32_t k = 0; k < 8; ++k) {
      v[k] = q[i + k];
      offer[k] = dist[i + k] + own;
    }
    for (int32_t k = 0; k < 8; ++k) {
      const int32_t take = -static_cast<int32_t>((v[k] > 99) & (offer[k] < v[k]));
      q[i + k] = v[k] ^ ((v[k] ^ offer[k]) & take);
    }
  }
  for (; i < n; ++i) {
    const int32_t offer = dist[i] + own;
    if (q[i] > 99 && offer < q[i]) q[i] = offer;
  }
}

// Extends the distance field of the region in FillMask to radius r pixels and
// widens the bounding box to match. Each region pixel offers its rim weight
// plus its distance to every pixel within r rows and r columns; an outside
// pixel keeps the smallest offer.
void ExtendDistanceField(TDrovixMangaScan& scan, int32_t r) {
  if (r < scan.FillGradient) return;
  const int32_t h = scan.Height(), w = scan.Width();
  if (scan.MinY > scan.MaxY || scan.MinX > scan.MaxX) return;  // no region at all
  const int32_t d = r - scan.FillGradient;
  scan.MinX = std::max(0, scan.MinX - d);
  scan.MinY = std::max(0, scan.MinY - d);
  scan.MaxX = std::min(w - 1, scan.MaxX + d);
  scan.MaxY = std::min(h - 1, scan.MaxY + d);

  // round(100 * distance) for every offset of the window, row by row.
  const int32_t side = 2 * r + 1;
  std::vector<int32_t> table(static_cast<size_t>(side) * side);
  for (int32_t dy = -r; dy <= r; ++dy)
    for (int32_t dx = -r; dx <= r; ++dx)
      table[static_cast<size_t>(dy + r) * side + (dx + r)] =
          RoundUnchecked(100 * std::sqrt(static_cast<long double>(dy * dy + dx * dx)));

  TDrovixGraph& mask = *scan.FillMask;
  // Pixels a region pixel can offer to lie above 99, and values only go
  // down, so a region pixel whose whole window is below 100 at the start has
  // nothing to offer; a summed-area count of the pixels above 99 finds them.
  const int32_t sy0 = std::max(0, scan.MinY - r), sy1 = std::min(h - 1, scan.MaxY + r);
  const int32_t sx0 = std::max(0, scan.MinX - r), sx1 = std::min(w - 1, scan.MaxX + r);
  const size_t sw = static_cast<size_t>(sx1 - sx0 + 2);
  std::vector<int32_t> open(static_cast<size_t>(sy1 - sy0 + 2) * sw);
  for (int32_t y = sy0; y <= sy1; ++y) {
    const int32_t* row = mask.RowPtr(y);
    int32_t* above = &open[static_cast<size_t>(y - sy0) * sw];
    int32_t* here = above + sw;
    int32_t count = 0;
    for (int32_t x = sx0; x <= sx1; ++x) {
      count += row[x] > 99;
      here[x - sx0 + 1] = above[x - sx0 + 1] + count;
    }
  }
  auto openIn = [&](int32_t y0, int32_t x0, int32_t y1, int32_t x1) {
    const int32_t* top = &open[static_cast<size_t>(y0 - sy0) * sw];
    const int32_t* bottom = &open[static_cast<size_t>(y1 - sy0 + 1) * sw];
    return bottom[x1 - sx0 + 1] - bottom[x0 - sx0] - top[x1 - sx0 + 1] + top[x0 - sx0];
  };

  for (int32_t y = scan.MinY; y <= scan.MaxY; ++y) {
    for (int32_t x = scan.MinX; x <= scan.MaxX; ++x) {
      // Region pixels are never lowered (offers go only to pixels above 99).
      const int32_t own = mask.RowPtr(y)[x];
      if (own >= kRegionLimit) continue;
      const int32_t x0 = std::max(0, x - r), x1 = std::min(w - 1, x + r);
      const int32_t y0 = std::max(0, y - r), y1 = std::min(h - 1, y + r);
      if (openIn(y0, x0, y1, x1) == 0) continue;
      for (int32_t qy = y0; qy <= y1; ++qy)
        OfferToRow(mask.RowPtr(qy) + x0,
                   &table[static_cast<size_t>(qy - y + r) * side + static_cast<size_t>(x0 - x + r)], x1 - x0 + 1,
                   own);
    }
  }
  scan.FillGradient = r;
  ConsoleWriteRaw(".");
}

// Gives region pixels a negative depth, so that a layer of negative
// thickness draws an inset of the shape. Each region pixel looks on widening
// diamond rings for pixels just outside the region (100..200); the first one
// found, at distance e, limits the search to ring round(1.6 e). The best offer
// is the largest mask(q) - 100 |p - q|, -10000 when there is none.
void ComputeInnerDistances(TDrovixMangaScan& scan) {
  TDrovixGraph& mask = *scan.FillMask;
  const int32_t minX = scan.MinX, maxX = scan.MaxX, minY = scan.MinY, maxY = scan.MaxY;
  for (int32_t y = minY; y <= maxY; ++y) {
    int32_t* row = mask.RowPtr(y);
    for (int32_t x = minX; x <= maxX; ++x) {
      if (row[x] >= kRegionLimit) continue;
      int32_t best = -10000;
      bool found = false;
      int32_t last = 100;
      for (int32_t i = 1; i <= last; ++i) {
        const int32_t dyFrom = std::max(-i, minY - y), dyTo = std::min(i, maxY - y);
        for (int32_t dy = dyFrom; dy <= dyTo; ++dy) {
          const int32_t* q = mask.RowPtr(y + dy);
          const int32_t rest = i - (dy < 0 ? -dy : dy);
          for (int32_t side = 0; side < (rest == 0 ? 1 : 2); ++side) {
            const int32_t qx = side == 0 ? x - rest : x + rest;
            if (qx < minX || qx > maxX) continue;
            const int32_t v = q[qx];
            if (v < 100 || v > 200) continue;
            const long double e = std::sqrt(static_cast<long double>(dy * dy + rest * rest));
            if (!found) {
              found = true;
              last = RoundUnchecked(1.6L * e);
            }
            const int32_t offer = v - RoundUnchecked(100 * e);
            if (offer > best) best = offer;
          }
        }
      }
      if (best < row[x]) row[x] = best;
    }
  }
}

}  // namespace

namespace {

// Draws the layers into the region FindNextSound (or a text laid in) has
// left in FillMask.
void DrawLayers(TDrovixMangaScan& scan, const std::vector<TLayer>& layers) {
  const int32_t last = layers.empty() ? 0 : layers.back().Thickness;
  // trunc(C_last + 2) pixels, with C_last in hundredths.
  ExtendDistanceField(scan, (last + 200) / 100);
  if (!layers.empty() && layers.front().Thickness < 0) ComputeInnerDistances(scan);

  const size_t slash = scan.FileName.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string() : scan.FileName.substr(0, slash + 1);
  // From the outermost layer inwards, so the first layer ends on top.
  for (size_t k = layers.size(); k-- > 0;) {
    const TLayer& layer = layers[k];
    const float thickness = static_cast<float>(layer.Thickness / 100.0L);
    const float blur = static_cast<float>(layer.Blur / 100.0L);
    if (layer.Text[0] == '%')
      scan.DrawLayerColour(layer.Colour, thickness, blur);
    else
      scan.DrawLayerTexture(folder + layer.Text, thickness, blur);
  }
}

}  // namespace

void TDrovixMangaScan::RenderLayers(const std::string& description) {
  const std::vector<TLayer> layers = ParseLayers(description, Scale);
  FindNextSound();
  DrawLayers(*this, layers);
}

void TDrovixMangaScan::DrawSoundLayers(const std::string& description) {
  DrawLayers(*this, ParseLayers(description, Scale));
}

void TDrovixMangaScan::DrawLayerColour(int32_t colour, float thickness, float blur) {
  const int32_t value = ColourNumberGrey(colour);
  int32_t* page = nullptr;
  int32_t* green = nullptr;
  ForEachLayerPixel(
      *this, thickness, blur, 1,
      [&](int32_t y) {
        page = RowPtr(y);
        green = GreenMarkup->RowPtr(y);
      },
      [&](int32_t x, long double alpha) {
        if (alpha < 0)
          alpha = 0;
        else
          green[x] = 0;
        if (alpha > 1) alpha = 1;
        page[x] = Blend(page[x], value, alpha);
      });
}

void TDrovixColorMangaScan::DrawLayerColour(int32_t colour, float thickness, float blur) {
  const TChannels c = ColourChannels(colour);
  int32_t *blue = nullptr, *greenPlane = nullptr, *red = nullptr, *green = nullptr;
  ForEachLayerPixel(
      *this, thickness, blur, 1,
      [&](int32_t y) {
        blue = RowPtr(y);
        greenPlane = GreenPlane->RowPtr(y);
        red = RedPlane->RowPtr(y);
        green = GreenMarkup->RowPtr(y);
      },
      [&](int32_t x, long double alpha) {
        if (alpha < 0)
          alpha = 0;
        else
          green[x] = 0;
        if (alpha > 1) alpha = 1;
        blue[x] = Blend(blue[x], c.B, alpha);
        greenPlane[x] = Blend(greenPlane[x], c.G, alpha);
        red[x] = Blend(red[x], c.R, alpha);
      });
}

void TDrovixMangaScan::DrawLayerTexture(const std::string& fileName, float thickness, float blur) {
  const std::unique_ptr<TDrovixTexture> texture = TDrovixGraph::CreateFromFile<TDrovixTexture>(fileName);
  const int32_t top = MinY, left = MinX;
  const float scale = Scale;
  int32_t* page = nullptr;
  int32_t* green = nullptr;
  float row = 0;
  ForEachLayerPixel(
      *this, thickness, blur, 2,
      [&](int32_t y) {
        page = RowPtr(y);
        green = GreenMarkup->RowPtr(y);
        row = static_cast<float>(y - top) / scale;
      },
      [&](int32_t x, long double alpha) {
        green[x] = 0;
        if (alpha <= 0) {
          page[x] = Clamp(page[x], 0, 255);
          return;
        }
        if (alpha > 1) alpha = 1;
        const int32_t value = texture->SmoothSample(row, static_cast<float>(x - left) / scale);
        page[x] = Blend(page[x], value, alpha);
      });
}

void TDrovixColorMangaScan::DrawLayerTexture(const std::string& fileName, float thickness, float blur) {
  const std::unique_ptr<TDrovixColorTexture> texture =
      TDrovixGraph::CreateFromFile<TDrovixColorTexture>(fileName);
  const int32_t top = MinY, left = MinX;
  const float scale = Scale;
  int32_t *blue = nullptr, *greenPlane = nullptr, *red = nullptr, *green = nullptr;
  float row = 0;
  ForEachLayerPixel(
      *this, thickness, blur, 2,
      [&](int32_t y) {
        blue = RowPtr(y);
        greenPlane = GreenPlane->RowPtr(y);
        red = RedPlane->RowPtr(y);
        green = GreenMarkup->RowPtr(y);
        row = static_cast<float>(y - top) / scale;
      },
      [&](int32_t x, long double alpha) {
        if (alpha >= 0) green[x] = 0;
        if (alpha > 1) alpha = 1;
        if (alpha <= 0) {
          blue[x] = Clamp(blue[x], 0, 255);
          greenPlane[x] = Clamp(greenPlane[x], 0, 255);
          red[x] = Clamp(red[x], 0, 255);
          return;
        }
        const float column = static_cast<float>(x - left) / scale;
        blue[x] = Blend(blue[x], texture->SmoothSampleChannel(row, column, TDrovixColorTexture::CBLUE), alpha);
        greenPlane[x] =
            Blend(greenPlane[x], texture->SmoothSampleChannel(row, column, TDrovixColorTexture::CGREEN), alpha);
        red[x] = Blend(red[x], texture->SmoothSampleChannel(row, column, TDrovixColorTexture::CRED), alpha);
      });
}

void TDrovixMangaScan::ApplyBackground(int32_t colour, const std::string& /*smearList*/) {
  if (colour < 0) return;
  const int32_t value = ColourNumberGrey(colour);
  for (int32_t y = MinY; y <= MaxY; ++y) {
    const int32_t* mask = FillMask->RowPtr(y);
    int32_t* page = RowPtr(y);
    for (int32_t x = MinX; x <= MaxX; ++x)
      if (mask[x] != kFillOutside) page[x] = value;
  }
}

void TDrovixColorMangaScan::ApplyBackground(int32_t colour, const std::string& smearList) {
  if (colour >= 0) {
    const TChannels c = ColourChannels(colour);
    for (int32_t y = MinY; y <= MaxY; ++y) {
      const int32_t* mask = FillMask->RowPtr(y);
      int32_t* blue = RowPtr(y);
      int32_t* green = GreenPlane->RowPtr(y);
      int32_t* red = RedPlane->RowPtr(y);
      for (int32_t x = MinX; x <= MaxX; ++x) {
        if (mask[x] == kFillOutside) continue;
        blue[x] = c.B;
        green[x] = c.G;
        red[x] = c.R;
      }
    }
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
  const std::vector<std::string> fields = SplitFields(smearList);
  for (size_t i = 0; i + 2 < fields.size(); i += 3) {
    if (fields[i].empty() || fields[i + 1].empty() || fields[i + 2].empty()) break;
    int32_t key = 0, tolerance = 0, radius = 0;
    for (size_t f = i; f < i + 3; ++f) {
      int32_t& value = f == i ? key : (f == i + 1 ? tolerance : radius);
      if (!ParseNumber(fields[f], value))
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
