// The settings a page takes over from the script head as it stood where the
// page was met: the script head and every page carry one, and a page starts
// as a copy of the head's.
#pragma once

#include <cstdint>
#include <string>

#include "drovix_graph/scan/TDrovixMangaScan.h"  // TSmear
#include "drovix_graph/typeset/TTypesetSettings.h"
#include "drovix_parser/script/TBalonEntry.h"

namespace drovix {

struct TPageSettings {
  int32_t CleaningPower = 0;
  int32_t FontSize = 17;
  int32_t MinFontSize = 8;
  int32_t MaxFontCompression = 33;
  int32_t PaletteDepth = 4;
  int32_t MinWidth = 200;
  int32_t MaxWidth = 2147483647;
  int32_t MinHeight = 200;
  int32_t MaxHeight = 2147483647;
  int32_t BalonBackground = 255;
  int32_t ScaleBefore = 0;
  int32_t ColorScans = 0;
  std::string BalonsPars = "%0,0,0.7";
  std::string SmearInBalons;
  int32_t MinHyphenWordLength = 7;
  float CompressionLoathing = 1.0f;
  float ShortLinesLoathing = 1.0f;
  float TransitionsLoathing = 1.0f;
  float DeviationsLoathing = 1.0f;
  float LineSpacing = 1.33f;
  TSmear SmearMethod = STRICKY;
  int32_t SmearPower = 25;
  int32_t KillPatterns = 0;
};

// What the layout of one balloon of a page takes from the page's settings
// and from the balloon's own entry.
inline TTypesetSettings TypesetSettingsFor(const TPageSettings& page, const TBalonEntry& balloon) {
  return {.DeviationLoathing = page.DeviationsLoathing,
          .TransitionLoathing = page.TransitionsLoathing,
          .ShortLineLoathing = page.ShortLinesLoathing,
          .CompressionLoathing = page.CompressionLoathing,
          .LineSpacing = static_cast<float>(balloon.LineSpacing) / 100.0f,
          .MinHyphenLength = page.MinHyphenWordLength,
          .MaxCompression = page.MaxFontCompression,
          .MinFontSize = page.MinFontSize,
          .FontSize = balloon.FontSize};
}

}  // namespace drovix
