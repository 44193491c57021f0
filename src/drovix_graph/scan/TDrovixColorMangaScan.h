// A colour page scan: the raster itself holds blue, RedPlane and GreenPlane
// hold red and green. Every grey operation is overridden to cover the three
// planes; markup comes only from an external markup picture.
#pragma once

#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {

class TDrovixColorMangaScan : public TDrovixMangaScan {
 public:
  TDrovixColorMangaScan();
  ~TDrovixColorMangaScan() override;

  std::unique_ptr<TDrovixGraph> RedPlane;
  std::unique_ptr<TDrovixGraph> GreenPlane;

  void SplitLayers() override;
  void DetectCorners() override {}
  void SaveBMP(const std::string& fileName) override;
  void SavePNG(const std::string& fileName, int32_t paletteDepth) override;
  std::unique_ptr<TDrovixGraph> Clone() const override;
  void Resize(int32_t newHeight, int32_t newWidth) override;

  void ComputeContours(int32_t radius) override;
  void MarkErrorArea(TDrovixGraph& plane, int32_t threshold) override;
  void Smear() override;
  void CleanLevels(int32_t power) override;
  void SuppressGrain(int32_t n) override;
  void DoubleSize() override;
  void Deform(int32_t newHeight, int32_t newWidth) override;
  void DrawLayerColour(int32_t colour, float thickness, float blur) override;
  void DrawLayerTexture(const std::string& fileName, float thickness, float blur) override;
  void ApplyBackground(int32_t colour, const std::string& smearList) override;
};

}  // namespace drovix
