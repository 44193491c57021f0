// The fit search of a balloon: every start line and compression priced at a
// scale, the cheapest layout that keeps all its ink chosen and rendered, the
// scale shrunk until one fits.
#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/typeset/TBalon.h"

namespace drovix {

bool TBalon::PlaceWithAllInk(int32_t& line, int32_t& k, const std::function<void(int32_t, int32_t)>& place) {
  place(line, k);
  if (!LosesInk()) return true;
  // The cheapest layout would cut letters (the cells of a first line or of
  // an enlarged word reach past the balloon): it is not chosen, and neither
  // is any other that would; the next in the order of the search that keeps
  // all its ink wins.
  struct TCandidate {
    int32_t cost, line, k;
  };
  std::vector<TCandidate> order;
  for (int32_t r = FirstLine; r <= LastLine; ++r) {
    for (int32_t c = TLoathingArray::Compressions - 1; c >= 0; --c) {
      const int32_t cost = Loathing.Row(c)[r];
      if (cost < NoFit && !(r == line && c == k)) order.push_back({cost, r, c});
    }
  }
  Loathing.Row(k)[line] = NoFit;
  std::stable_sort(order.begin(), order.end(),
                   [](const TCandidate& a, const TCandidate& b) { return a.cost < b.cost; });
  for (const TCandidate& c : order) {
    CheckForStop();
    place(c.line, c.k);
    if (!LosesInk()) {
      line = c.line;
      k = c.k;
      return true;
    }
    Loathing.Row(c.k)[c.line] = NoFit;
  }
  return false;
}

void TBalon::Typeset(const std::string& text, TArrayofFont& fonts, const TTypesetSettings& settings,
                     float initialScale) {
  ChosenLine = -1;
  ChosenCompression = -1;
  ChosenScale = 0;
  if (text.empty()) return;
  ParseText(text, fonts, settings.MinHyphenLength, vertical_, settings.FontSize);
  ConsoleWriteRaw(".");
  if (Phrases->Count() == 0) return;
  Fit(settings, initialScale);
}

void TBalon::Fit(const TTypesetSettings& settings, float initialScale) {
  ChosenLine = -1;
  ChosenCompression = -1;
  ChosenScale = 0;
  if (!Phrases || Phrases->Count() == 0) return;
  if (!HasInterior()) {
    Raise(
        Format(Ru("Балон №%d пустой: в его разметке нет ни одной точки, куда можно вписать текст."), Number));
  }
  const int32_t maxCompression = Clamp(settings.MaxCompression, 0, TLoathingArray::Compressions - 1);
  // A minimum size of at least 1 is what ends the shrinking for certain.
  TTypesetSettings priced = settings;
  priced.MinFontSize = std::max(settings.MinFontSize, 1);
  float s = std::isfinite(initialScale) ? initialScale : 1.0f;
  for (;;) {
    CheckForStop();
    for (int32_t r = FirstLine; r <= LastLine; ++r) {
      for (int32_t k = 0; k < TLoathingArray::Compressions; ++k) {
        Loathing.Row(k)[r] = k <= maxCompression ? LayoutCost(r, priced, k, s) : NoFit;
      }
    }
    // Ties go to the earliest start line, and within it to the highest
    // compression.
    int32_t best = NoFit;
    int32_t bestLine = -1;
    int32_t bestK = -1;
    for (int32_t r = FirstLine; r <= LastLine; ++r) {
      for (int32_t k = TLoathingArray::Compressions - 1; k >= 0; --k) {
        if (Loathing.Row(k)[r] < best) {
          best = Loathing.Row(k)[r];
          bestLine = r;
          bestK = k;
        }
      }
    }
    const auto place = [&](int32_t line, int32_t k) { LayoutCost(line, priced, k, s); };
    if (best < NoFit && PlaceWithAllInk(bestLine, bestK, place)) {
      ChosenLine = bestLine;
      ChosenCompression = bestK;
      ChosenScale = s;
      RenderText();
      return;
    }
    // Every step makes the scale smaller until it reaches the smallest float,
    // where dividing no longer changes it; the shrinking ends there at the
    // latest (after some 1200 steps from the largest float). A text this
    // far from fitting has letters of no finite size: the minimum size ends
    // the shrinking of every other text long before.
    const float smaller = static_cast<float>(s / 1.17L);
    if (!(smaller < s)) Raise(Format(Ru("Текст балона №%d не влез в балон ни в каком масштабе."), Number));
    s = smaller;
    ConsoleWriteRaw(".");
  }
}

}  // namespace drovix
