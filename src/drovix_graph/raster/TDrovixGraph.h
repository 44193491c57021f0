// The program's raster: Height rows of Width 32-bit pixels, row 0 at the top.
// Grey rasters hold 0 (black) .. 255 (white); freshly loaded pictures hold
// packed colour (R bits 0-7, G 8-15, B 16-23, A 24-31) until SplitLayers.
// Pixel access is unchecked: callers keep rows in 0..Height()-1 and columns
// in 0..Width()-1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "cl_Dyna/TDyna.h"

namespace drovix {

class TDrovixGraph : public T2DAOI {
 public:
  std::string FileName;    // base name (no extension) of the file loaded from
  std::string SourceFile;  // the file actually read, extension included
  int32_t BlackLevel = 0;
  int32_t WhiteLevel = 0;
  int32_t TransparentCount = 0;

  TDrovixGraph() = default;
  ~TDrovixGraph() override = default;

  int32_t Height() const { return Count(); }
  int32_t Width() const { return Count() > 0 ? Row(0).Count() : 0; }
  // Raw row pointer for pixel loops.
  int32_t* RowPtr(int32_t y) { return Row(y).begin(); }
  const int32_t* RowPtr(int32_t y) const { return Row(y).begin(); }
  int32_t& Pixel(int32_t y, int32_t x) { return Row(y)[x]; }
  int32_t Pixel(int32_t y, int32_t x) const { return Row(y)[x]; }

  // Creates a raster of class T and loads FileName (no extension) into it:
  // PNG first (unless PNG is disabled), then TGA; then DetectCorners and
  // SplitLayers run. Raises EDrovixError with the loader's message.
  template <class T>
  static std::unique_ptr<T> CreateFromFile(const std::string& fileName) {
    auto g = std::make_unique<T>();
    g->LoadFromFile(fileName);
    return g;
  }
  // The work of CreateFromFile on a raster already constructed: stores
  // FileName, reads fileName + ".png" (unless PNG is disabled) or else
  // fileName + ".tga" as packed colour, records SourceFile, then calls the
  // virtual DetectCorners and SplitLayers. A missing file raises
  // "Нет такого файла!" naming the file looked for.
  void LoadFromFile(const std::string& fileName);

  // Turns freshly loaded packed colour into this class's representation.
  // Plain rasters keep the green byte, BlackLevel 0, WhiteLevel 255.
  virtual void SplitLayers();
  // Hook run after reading and before SplitLayers; nothing here.
  virtual void DetectCorners() {}
  // 8-bit grey BMP; FileName is complete (extension included).
  virtual void SaveBMP(const std::string& fileName);
  // Greyscale PNG of paletteDepth (2, 4 or 8) bits; ".png" is appended.
  virtual void SavePNG(const std::string& fileName, int32_t paletteDepth);
  // Resamples in place (halving first while a side exceeds 2.3x its target).
  // REQUIRES: newHeight >= 1, newWidth >= 1.
  virtual void Resize(int32_t newHeight, int32_t newWidth);
  // Copies source at (top, left), clipped to this raster.
  virtual void Paste(const TDrovixGraph& source, int32_t top, int32_t left);
  // Darkest-wins overlay of source at (top, left), clipped.
  virtual void PasteDarker(const TDrovixGraph& source, int32_t top, int32_t left);
  // A plain grey raster with the same pixels (FileName not copied).
  virtual std::unique_ptr<TDrovixGraph> Clone() const;

  bool HasTransparency() const { return TransparentCount > 0; }
  void FillWhite();
  void Invert();
  // The pixel at the clamped position (edge pixels repeat outside).
  int32_t ClampedPixel(int32_t row, int32_t column) const;
  // Squared-weight bilinear sample at a fractional position.
  int32_t SmoothPixel(float row, float column) const;
};

inline int32_t Min(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace drovix
