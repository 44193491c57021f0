// Drawing the layers of a sound or a text style into the region in FillMask:
// each layer covers what lies within its cumulative thickness of the shape
// and fades out over its blur, in a colour or a texture, on every plane of
// the page.
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/raster/Rounding.h"
#include "drovix_graph/raster/TDrovixColorTexture.h"
#include "drovix_graph/raster/TDrovixTexture.h"
#include "drovix_graph/scan/ColourNumber.h"
#include "drovix_graph/scan/DistanceField.h"
#include "drovix_graph/scan/LayerList.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

// A layer's reach on the page: its cumulative thickness and scaled blur in
// hundredths of a pixel.
struct TLayerReach {
  int32_t Thickness = 0;
  int32_t Blur = 0;
};

std::vector<TLayerReach> LayerReaches(const TLayerList& layers, float scale) {
  std::vector<TLayerReach> reaches;
  reaches.reserve(layers.size());
  long double cumulative = 0;
  for (const TLayer& layer : layers) {
    // Every whole pixel of blur widens the layer by one pixel, so that the
    // fade does not eat into the layer's own thickness.
    cumulative += (static_cast<long double>(layer.Thickness) + std::truncl(layer.Blur)) * scale;
    TLayerReach reach;
    reach.Thickness = RoundUnchecked(cumulative * 100);
    reach.Blur = RoundUnchecked(static_cast<long double>(layer.Blur) *
                                std::sqrt(static_cast<long double>(scale)) * 100);
    reaches.push_back(reach);
  }
  return reaches;
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

// A colour layer on the page's planes (the grey page, or blue, green and
// red), each blended towards its value. It reaches one pixel beyond the
// thickness and unmarks the green markup wherever it paints.
template <size_t NP>
void DrawColourLayer(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes,
                     const std::array<int32_t, NP> values, float thickness, float blur) {
  std::array<int32_t*, NP> rows{};
  int32_t* green = nullptr;
  ForEachLayerPixel(
      scan, thickness, blur, 1,
      [&](int32_t y) {
        for (size_t p = 0; p < NP; ++p) rows[p] = planes[p]->RowPtr(y);
        green = scan.GreenMarkup->RowPtr(y);
      },
      [&](int32_t x, long double alpha) {
        if (alpha < 0)
          alpha = 0;
        else
          green[x] = 0;
        if (alpha > 1) alpha = 1;
        for (size_t p = 0; p < NP; ++p) rows[p][x] = Blend(rows[p][x], values[p], alpha);
      });
}

// A texture layer on the page's planes: plane p is blended towards
// sample(p, row, column), the texture at the pixel's position relative to
// the bounding box's top-left corner, in texture pixels. It reaches two
// pixels beyond the thickness and holds every pixel of its reach to 0..255.
// A grey page unmarks the green markup in all its reach (clearWholeReach),
// a colour page only where the weight is not negative.
template <size_t NP, bool clearWholeReach, class SampleFn>
void DrawTextureLayer(TDrovixMangaScan& scan, const std::array<TDrovixGraph*, NP>& planes, float thickness,
                      float blur, SampleFn&& sample) {
  const int32_t top = scan.MinY, left = scan.MinX;
  const float scale = scan.Scale;
  std::array<int32_t*, NP> rows{};
  int32_t* green = nullptr;
  float row = 0;
  ForEachLayerPixel(
      scan, thickness, blur, 2,
      [&](int32_t y) {
        for (size_t p = 0; p < NP; ++p) rows[p] = planes[p]->RowPtr(y);
        green = scan.GreenMarkup->RowPtr(y);
        row = static_cast<float>(y - top) / scale;
      },
      [&](int32_t x, long double alpha) {
        if (clearWholeReach || alpha >= 0) green[x] = 0;
        if (alpha <= 0) {
          for (size_t p = 0; p < NP; ++p) rows[p][x] = Clamp(rows[p][x], 0, 255);
          return;
        }
        if (alpha > 1) alpha = 1;
        const float column = static_cast<float>(x - left) / scale;
        for (size_t p = 0; p < NP; ++p) rows[p][x] = Blend(rows[p][x], sample(p, row, column), alpha);
      });
}

// Draws the layers into the region FindNextSound (or a text laid in) has
// left in FillMask.
void DrawLayers(TDrovixMangaScan& scan, const TLayerList& layers) {
  const std::vector<TLayerReach> reaches = LayerReaches(layers, scan.Scale);
  const int32_t last = reaches.empty() ? 0 : reaches.back().Thickness;
  // trunc(C_last + 2) pixels, with C_last in hundredths.
  ExtendDistanceField(scan, (last + 200) / 100);
  if (!reaches.empty() && reaches.front().Thickness < 0) ComputeInnerDistances(scan);

  const size_t slash = scan.FileName.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : scan.FileName.substr(0, slash + 1);
  // From the outermost layer inwards, so the first layer ends on top.
  for (size_t k = layers.size(); k-- > 0;) {
    const TLayer& layer = layers[k];
    const float thickness = static_cast<float>(reaches[k].Thickness / 100.0L);
    const float blur = static_cast<float>(reaches[k].Blur / 100.0L);
    if (layer.IsColour())
      scan.DrawLayerColour(layer.Colour, thickness, blur);
    else
      scan.DrawLayerTexture(folder + layer.Text, thickness, blur);
  }
}

}  // namespace

void TDrovixMangaScan::RenderLayers(const std::string& description) {
  const TLayerList layers = ReadLayerList(description);
  FindNextSound();
  DrawLayers(*this, layers);
}

void TDrovixMangaScan::DrawSoundLayers(const std::string& description) {
  DrawLayers(*this, ReadLayerList(description));
}

void TDrovixMangaScan::DrawLayerColour(int32_t colour, float thickness, float blur) {
  DrawColourLayer<1>(*this, {this}, {ColourNumberGrey(colour)}, thickness, blur);
}

void TDrovixColorMangaScan::DrawLayerColour(int32_t colour, float thickness, float blur) {
  const TChannels c = ColourChannels(colour);
  DrawColourLayer<3>(*this, {this, GreenPlane.get(), RedPlane.get()}, {c.B, c.G, c.R}, thickness, blur);
}

void TDrovixMangaScan::DrawLayerTexture(const std::string& fileName, float thickness, float blur) {
  const std::unique_ptr<TDrovixTexture> texture = TDrovixGraph::CreateFromFile<TDrovixTexture>(fileName);
  DrawTextureLayer<1, true>(*this, {this}, thickness, blur, [&](size_t, float row, float column) {
    return texture->SmoothSample(row, column);
  });
}

void TDrovixColorMangaScan::DrawLayerTexture(const std::string& fileName, float thickness, float blur) {
  const std::unique_ptr<TDrovixColorTexture> texture =
      TDrovixGraph::CreateFromFile<TDrovixColorTexture>(fileName);
  static constexpr std::array<TDrovixColorTexture::TChannel, 3> kChannels = {
      TDrovixColorTexture::CBLUE, TDrovixColorTexture::CGREEN, TDrovixColorTexture::CRED};
  DrawTextureLayer<3, false>(*this, {this, GreenPlane.get(), RedPlane.get()}, thickness, blur,
                             [&](size_t p, float row, float column) {
                               return texture->SmoothSampleChannel(row, column, kChannels[p]);
                             });
}

}  // namespace drovix
