#include "drovix_parser/build/MarkupPreview.h"

#include <climits>
#include <exception>
#include <memory>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/scan/TMarkupPicture.h"
#include "drovix_graph/typeset/TBalon.h"
#include "drovix_parser/build/TPageRecord.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

// How many characters of a balloon's text its label shows.
constexpr size_t kLabelLength = 24;
// Error marking takes markup above this for the place of a missing region.
constexpr int32_t kMarkupRim = 5;

// A search that failed: what the scan kept of the place goes on the picture.
// The level was found when the fill itself ran too deep.
bool Overflowed(const TDrovixMangaScan& scan) { return scan.MarkupLevel >= kMinMarkupStrength; }

// The entries from..to after a failed search, which are not searched.
std::string NotSearched(const std::string& one, const std::string& many, int32_t from, int32_t to) {
  return from == to ? Format(one, from) : Format(many, from, to);
}

void AddErrorRegion(TMarkupPicture& picture, const TDrovixMangaScan& scan, const std::string& label) {
  if (scan.ErrorRegion) picture.AddRegion(TMarkupPicture::KPROBLEM, *scan.ErrorRegion, 1, 1, label);
}

// Sounds in script order, each found by the sound search and drawn with its
// layers (which clear the green markup they cover, as in a build).
void PreviewSounds(TDrovixMangaPage& page, TDrovixMangaScan& scan, TMarkupPicture& picture,
                   std::vector<std::string>& problems) {
  const int32_t count = static_cast<int32_t>(page.Sounds.size());
  for (int32_t i = 0; i < count; ++i) {
    const int32_t number = i + 1;
    ConsoleWrite(Ru(".звук"));
    scan.ErrorRegion.reset();
    try {
      scan.FindNextSound();
    } catch (const EDrovixError&) {
      const std::string label = Format(Ru("звук %d ?"), number);
      if (Overflowed(scan)) {
        // The part filled before the fill gave up, then the markup left.
        picture.AddRegion(TMarkupPicture::KPROBLEM, *scan.FillMask, INT32_MIN, kFillOutside - 1, label);
        AddErrorRegion(picture, scan, std::string());
        problems.push_back(Format(Ru("Звук №%d: заливка вышла за допустимый предел - похоже, слиплись "
                                     "соседние звуки с разной базовой яркостью."),
                                  number));
      } else {
        AddErrorRegion(picture, scan, label);
        problems.push_back(Format(Ru("Звук №%d не найден, или недостаточно зелёный."), number));
      }
      if (number < count)
        problems.push_back(
            NotSearched(Ru("Звук №%d не искался."), Ru("Звуки №%d..%d не искались."), number + 1, count));
      return;
    }
    picture.AddRegion(TMarkupPicture::KSOUND, *scan.FillMask, INT32_MIN, kFillOutside - 1,
                      Format(Ru("звук %d"), number));
    try {
      scan.DrawSoundLayers(page.Sounds[static_cast<size_t>(i)]);
    } catch (const EDrovixError& e) {
      problems.push_back(Format(Ru("Звук №%d: "), number) + e.what());
    }
  }
  const int32_t level = MarkupLevelOf(*scan.GreenMarkup);
  if (level >= kMinMarkupStrength) {
    picture.AddRegion(TMarkupPicture::KPROBLEM, *scan.GreenMarkup, kMarkupRim + 1, INT32_MAX,
                      Ru("лишний звук"));
    problems.push_back(Format(Ru("После последнего звука (их %d) осталась зелёная разметка ещё одного "
                                 "звука (яркость %d)."),
                              count, level));
  }
}

// Balloons in script order, each found by the balloon search; its markup is
// then cleared under the balloon's shape, as laying its text in does.
void PreviewBalloons(TDrovixManga& manga, TDrovixMangaPage& page, TDrovixMangaScan& scan,
                     TMarkupPicture& picture, std::vector<std::string>& problems) {
  const int32_t count = static_cast<int32_t>(page.Balons.size());
  for (int32_t i = 0; i < count; ++i) {
    const int32_t number = i + 1;
    const std::string& text = page.Balons[static_cast<size_t>(i)].Text;
    const std::string words = FirstWords(text, kLabelLength);
    ConsoleWrite(Ru(".балон"));
    scan.ErrorRegion.reset();
    try {
      scan.FindNextBalloon();
    } catch (const EDrovixError&) {
      const std::string label = Format("%d ? ", number) + words;
      AddErrorRegion(picture, scan, label);
      if (Overflowed(scan))
        problems.push_back(Format(Ru("Балон №%d (\"%s\"): заливка вышла за допустимый предел - похоже, "
                                     "слиплись соседние балоны."),
                                  number, words.c_str()));
      else
        problems.push_back(
            Format(Ru("Балон №%d (\"%s\") не найден, или недостаточно красный."), number, words.c_str()));
      if (number < count)
        problems.push_back(
            NotSearched(Ru("Балон №%d не искался."), Ru("Балоны №%d..%d не искались."), number + 1, count));
      return;
    }
    picture.AddRegion(TMarkupPicture::KBALLOON, *scan.FillMask, 1, 1, Format("%d: ", number) + words);
    scan.ClearBalloonMarkup(*scan.NewBalloon(text, manga.HardcoreMania));
  }
  const int32_t level = MarkupLevelOf(*scan.RedMarkup);
  if (level >= kMinMarkupStrength) {
    picture.AddRegion(TMarkupPicture::KPROBLEM, *scan.RedMarkup, kMarkupRim + 1, INT32_MAX,
                      Ru("лишний балон"));
    problems.push_back(Format(Ru("После последнего балона (их %d) осталась красная разметка ещё одного "
                                 "балона (яркость %d)."),
                              count, level));
  }
}

}  // namespace

std::string FirstWords(const std::string& balloonText, size_t maxLength) {
  const char lineBreak = Ru("А")[0];
  const char picture = Ru("Ф")[0];
  std::string plain;
  for (size_t i = 0; i < balloonText.size(); ++i) {
    const char c = balloonText[i];
    if (c != '%') {
      plain += static_cast<uint8_t>(c) < 32 ? ' ' : c;
      continue;
    }
    if (++i >= balloonText.size()) break;
    if (balloonText[i] == lineBreak) {
      plain += ' ';
    } else if (balloonText[i] == picture && i + 1 < balloonText.size() && balloonText[i + 1] == '(') {
      const size_t close = balloonText.find(')', i + 1);
      i = close == std::string::npos ? balloonText.size() : close;
    }
  }

  std::string out;
  bool cut = false;
  size_t at = 0;
  while (at < plain.size()) {
    const size_t from = plain.find_first_not_of(' ', at);
    if (from == std::string::npos) break;
    size_t to = plain.find(' ', from);
    if (to == std::string::npos) to = plain.size();
    const std::string word = plain.substr(from, to - from);
    at = to;
    if (out.empty() && word.size() > maxLength) {
      out = word.substr(0, maxLength);
      cut = true;
      break;
    }
    if (!out.empty() && out.size() + 1 + word.size() > maxLength) {
      cut = true;
      break;
    }
    out += (out.empty() ? "" : " ") + word;
  }
  return cut ? out + "..." : out;
}

std::vector<std::string> PreviewPage(TDrovixManga& manga, TDrovixMangaPage& page) {
  std::vector<std::string> problems;
  ConsoleWrite(Ru("  гружу..."));
  bool cornersFound = false;
  try {
    if (page.ColorScans == 1)
      page.Scan = TDrovixGraph::CreateFromFile<TDrovixColorMangaScan>(page.BasePath);
    else
      page.Scan = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page.BasePath);
    ConsoleWriteRaw("...");
    TDrovixMangaScan& scan = *page.Scan;
    scan.PreviewOnly = true;
    cornersFound = scan.CornersFound;
    const float s = scan.ComputeScale(page.MinWidth, page.MinHeight, page.MaxWidth, page.MaxHeight);
    scan.ScaleBeforeProcessing(manga.Quality, s);
  } catch (const EDrovixError& e) {
    problems.push_back(e.what());
    problems.push_back(Ru("Превью не записано: страница не загрузилась."));
    return problems;
  }

  TDrovixMangaScan& scan = *page.Scan;
  TMarkupPicture picture(scan, cornersFound);
  PreviewSounds(page, scan, picture, problems);
  PreviewBalloons(manga, page, scan, picture, problems);

  for (const std::string& problem : problems) picture.AddNote(problem);
  ConsoleWrite(Ru(".записываю превью"));
  picture.Save(TPageRecord(manga, page).OutputBase() + ".markup", manga.Fonts[0].get());
  return problems;
}

int32_t PreviewPages(TDrovixManga& manga) {
  ConsoleWriteLine(Ru("\n\rПОКАЗЫВАЮ РАЗМЕТКУ (ничего не собираю)...\n\r"));
  int32_t withProblems = 0;
  const int32_t total = static_cast<int32_t>(manga.Pages.size());
  for (auto& page : manga.Pages) {
    ConsoleWriteLine(Ru("\n\rСТРАНИЦА: ") + MessageName(ExtractFileNamePart(page->BasePath)));
    const std::vector<std::string> problems = PreviewPage(manga, *page);
    if (problems.empty()) {
      ConsoleWriteLine("...OK.");
    } else {
      ++withProblems;
      ConsoleWriteLine(Ru("...ЕСТЬ ПРОБЛЕМЫ:"));
      for (const std::string& problem : problems) ConsoleWriteLine("    " + problem);
    }
    FreeQuietly(page);  // frees its scan too: one scan in memory at a time
  }
  if (withProblems == 0)
    ConsoleWriteLine(Ru("\n\rРАЗМЕТКА В ПОРЯДКЕ. :)"));
  else
    ConsoleWriteLine(Format(Ru("\n\rСТРАНИЦ С ПРОБЛЕМАМИ В РАЗМЕТКЕ: %d ИЗ %d."), withProblems, total));
  return withProblems;
}

}  // namespace drovix
