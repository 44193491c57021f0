// Fits a balloon entry's text into the balloon just found and lays it into
// the page; a failure marks the balloon and ends the run through error
// marking.
#include <exception>
#include <memory>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_graph/typeset/THardcoreBAlon.h"
#include "drovix_graph/typeset/TVertBalon.h"

namespace drovix {

std::unique_ptr<TBalon> TDrovixMangaScan::NewBalloon(const std::string& text, bool hardcore) const {
  std::unique_ptr<TBalon> balloon;
  if (hardcore || text.find(Ru("%Х")) != std::string::npos) {
    balloon = TBalon::Create<THardcoreBAlon>(*FillMask, MaxX, MaxY, MinX, MinY);
  } else if (text.find(Ru("%В")) != std::string::npos) {
    balloon = TBalon::Create<TVertBalon>(*FillMask, MaxX, MaxY, MinX, MinY);
  } else {
    balloon = TBalon::Create<TBalon>(*FillMask, MaxX, MaxY, MinX, MinY);
  }
  balloon->Number = BalloonNumber;
  return balloon;
}

void TDrovixMangaScan::TypesetBalloon(const std::string& text, TArrayofFont& fonts,
                                      const std::string& smearList, const TTypesetSettings& settings,
                                      const std::string& textStyle, int32_t background, bool hardcore) {
  const std::unique_ptr<TBalon> balloon = NewBalloon(text, hardcore);

  bool failed = false;
  std::string failure;
  try {
    balloon->Typeset(text, fonts, settings, Scale);
  } catch (const EInterrupted&) {
    throw;  // a stop request is no failure of the balloon
  } catch (const std::exception& e) {
    failed = true;
    failure = e.what();
  }
  if (failed) {
    // Mark the whole balloon, holes filled by its shape included.
    for (int32_t r = 0; r < balloon->Height(); ++r) {
      const int32_t y = MinY + r;
      if (y < 0 || y >= FillMask->Height()) continue;
      const int32_t* row = balloon->RowPtr(r);
      int32_t* mask = FillMask->RowPtr(y);
      for (int32_t c = 0; c < balloon->Width(); ++c) {
        const int32_t x = MinX + c;
        if (row[c] >= 0 && x >= 0 && x < FillMask->Width()) mask[x] = 1;
      }
    }
    ReportError(*FillMask, 0, failure);
  }
  LayText(*balloon, background, smearList, textStyle);
}

}  // namespace drovix
