// The page scan: the grey page in the raster itself plus its working planes
// (markup, transparency, fill mask, contours). Each operation of the scan
// lives in a source file of its own in this folder.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TTypesetSettings.h"

namespace drovix {

class TBalon;

// Text-removal methods, in this order.
enum TSmear : uint8_t { SDRAFT, SSIMPLE, SHARD, SCIRCULAR, SSMARTER, STRICKY, SPICKY, SSELECTIVE, SPATTERN };

struct TCorner {
  float y = 0;
  float x = 0;
};
// Left, middle, right.
using TCornerMarkup = std::array<TCorner, 3>;

// FillMask value outside a sound or text region.
inline constexpr int32_t kFillOutside = 2147483647;
// Deepest nesting of a flood fill before it is taken for glued markings.
inline constexpr int32_t kMaxFillDepth = 170000;

// The weakest markup that still makes a balloon or a sound.
inline constexpr int32_t kMinMarkupStrength = 30;
// The level the next balloon or sound search takes from a markup plane: the
// highest value held by at least 30 pixels, counting down from 255. Below
// kMinMarkupStrength when the plane holds no further region.
int32_t MarkupLevelOf(const TDrovixGraph& plane);

// The tiled ERROR pattern (8 rows x 32 columns) that stamps failed places:
// 1 where (y mod 8, x mod 32) is a letter pixel, else 0. REQUIRES: y, x >= 0.
int32_t ErrorPatternBit(int32_t y, int32_t x);

class TDrovixMangaScan : public TDrovixGraph {
 public:
  TDrovixMangaScan();
  ~TDrovixMangaScan() override;

  std::unique_ptr<TDrovixGraph> GreenMarkup;   // sound markup strength 0..255
  std::unique_ptr<TDrovixGraph> RedMarkup;     // balloon markup strength 0..255
  std::unique_ptr<TDrovixGraph> Transparency;  // 255 - alpha
  std::unique_ptr<TDrovixGraph> FillMask;      // last fill, or a text's shape
  std::unique_ptr<TDrovixGraph> Contours;      // contour strength 0..1020
  int32_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
  int32_t MarkupLevel = 0;
  int32_t FillGradient = 0;
  int32_t SoundNumber = 0;
  int32_t BalloonNumber = 0;
  bool TextMode = false;
  bool ContoursDone = false;
  std::array<TCornerMarkup, 2> Corners{};  // top row, bottom row
  std::array<std::array<bool, 3>, 2> CornerFound{};
  bool CornersFound = false;
  float Scale = 1.0f;
  int32_t TargetWidth = 0, TargetHeight = 0;
  TSmear SmearMethod = STRICKY;
  int32_t SmearPower = 25;
  int32_t FillDepth = 0;
  // Set by the markup preview: a failure tied to a place then neither marks
  // the page nor saves "_error.bmp"; ReportError keeps the place in
  // ErrorRegion (1 inside, 0 elsewhere) and raises the bare message.
  bool PreviewOnly = false;
  std::unique_ptr<TDrovixGraph> ErrorRegion;

  // --- loading and markup (markup detection) ---
  void SplitLayers() override;
  void DetectCorners() override;
  // Merges (grey page) or replaces (colour page) markup from "<page>_".
  void LoadExternalMarkup();
  // Numbers and fills the next balloon: FillMask 1 inside, 0 elsewhere.
  void FindNextBalloon();
  // Numbers and fills the next sound (skipped in TextMode): FillMask weights.
  void FindNextSound();

  // --- contours and error marking ---
  virtual void ComputeContours(int32_t radius);
  virtual void MarkErrorArea(TDrovixGraph& plane, int32_t threshold);
  // Marks the region of plane above threshold, saves "_error.bmp" beside
  // the scan, raises EDrovixError with the message (see PreviewOnly).
  [[noreturn]] void ReportError(TDrovixGraph& plane, int32_t threshold, const std::string& message);

  // --- text removal ---
  virtual void Smear();

  // --- grain suppression and level cleaning ---
  virtual void CleanLevels(int32_t power);
  virtual void SuppressGrain(int32_t n);

  // --- scaling ---
  // The overall factor that brings TargetWidth x TargetHeight into the
  // limits (2147483647 = no upper limit). Raises EDrovixError when the lower
  // and upper limits cannot both be met.
  float ComputeScale(int32_t minWidth, int32_t minHeight, int32_t maxWidth, int32_t maxHeight);
  // Scale := f; straightens the page through its corner marks (once) or
  // resizes it to the target size times f; the target size becomes the page's.
  void ScaleTo(float f);
  // The first step of release builds: about 2x s, no side above 4100.
  void ScaleUpForWork(float s);
  // The page driver's two steps around processing, by quality (-1 draft,
  // 0 normal, 1 release), with s from ComputeScale.
  void ScaleBeforeProcessing(int32_t quality, float s);
  void ScaleAfterProcessing(int32_t quality, float s);
  void Resize(int32_t newHeight, int32_t newWidth) override;
  virtual void DoubleSize();
  virtual void Deform(int32_t newHeight, int32_t newWidth);

  // --- sound rendering and text laying ---
  // Finds the next sound (FindNextSound) and draws its layers into it.
  void RenderLayers(const std::string& description);
  // The drawing half of RenderLayers alone, for a sound already found.
  void DrawSoundLayers(const std::string& description);
  virtual void DrawLayerColour(int32_t colour, float thickness, float blur);
  virtual void DrawLayerTexture(const std::string& fileName, float thickness, float blur);
  virtual void ApplyBackground(int32_t colour, const std::string& smearList);
  // balloon: the typeset raster placed at (MinY, MinX); >= 0 inside.
  void LayText(TDrovixGraph& balloon, int32_t background, const std::string& smearList,
               const std::string& textStyle);

  // --- balloon typesetting ---
  // The balloon the typesetting fits the text into, of the kind the text
  // asks for, shaped from the region FindNextBalloon left in FillMask.
  std::unique_ptr<TBalon> NewBalloon(const std::string& text, bool hardcore) const;
  // Clears the red markup under the balloon's shape (placed at MinY, MinX),
  // as laying its text in does, so the next search finds the next balloon.
  void ClearBalloonMarkup(const TDrovixGraph& balloon);
  void TypesetBalloon(const std::string& text, TArrayofFont& fonts, const std::string& smearList,
                      const TTypesetSettings& settings, const std::string& textStyle, int32_t background,
                      bool hardcore);

  // Creates a plane of the page's size, all zero.
  std::unique_ptr<TDrovixGraph> NewPlane() const;
};

}  // namespace drovix
