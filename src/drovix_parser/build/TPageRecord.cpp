#include "drovix_parser/build/TPageRecord.h"

#include <cstdint>

#include "driver/console/Error.h"
#include "drovix_graph/raster/FileAge.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_parser/record/TBuildRecord.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

std::string Concatenated(const std::vector<std::string>& lines) {
  std::string s;
  for (const std::string& line : lines) s += line;
  return s;
}

// One field of every balloon, one after another.
std::string Concatenated(const std::vector<TBalonEntry>& balons, std::string TBalonEntry::*field) {
  std::string s;
  for (const TBalonEntry& b : balons) s += b.*field;
  return s;
}

}  // namespace

TPageRecord::TPageRecord(const TDrovixManga& manga, const TDrovixMangaPage& page)
    : manga_(manga), page_(page) {}

std::string TPageRecord::OutputBase() const {
  return manga_.OutputFolder + ExtractFileNamePart(page_.BasePath);
}

std::vector<std::string> TPageRecord::OutputFiles() const {
  // For a page name with a dot ("p12.5") these are "p12.5.png" and "p12.bmp".
  const std::string base = OutputBase();
  return {base + ".png", ChangeFileExt(base, ".bmp")};
}

std::string TPageRecord::OutputAge() const {
  // The ages of the very files BuildPage writes.
  const std::string base = OutputBase();
  const uint32_t sum = static_cast<uint32_t>(FileAge(base + ".png")) +
                       static_cast<uint32_t>(FileAge(ChangeFileExt(base, ".bmp")));
  return std::to_string(static_cast<int32_t>(sum));
}

std::string TPageRecord::InputAge() const {
  // The scan is read from BasePath + ".png" / ".tga", a dot in the page name
  // included, and its companions from BasePath + "_".
  return InputFilesAge(page_.BasePath);
}

std::string TPageRecord::Summary() const {
  const TDrovixMangaPage& page = page_;
  std::string s = InputAge();
  s += Format("%s%d%d%d%d%d%d%d%d%d", page.NamePrefix.c_str(), page.CleaningPower, page.PaletteDepth,
              page.MinWidth, page.MinHeight, page.MaxWidth, page.MaxHeight, page.ScaleBefore, page.ColorScans,
              page.KillPatterns);
  s += RemoveChars(Concatenated(page.Sounds), "\r\n");
  const std::string smear = Concatenated(page.Balons, &TBalonEntry::Smear);
  s += smear;
  if (page.Balons.empty()) return s;

  s += Concatenated(page.Balons, &TBalonEntry::Text);
  s += Concatenated(page.Balons, &TBalonEntry::Pars);
  s += Format("%d%d%d%d%f%f%f%f", page.MinHyphenWordLength, page.FontSize, page.MinFontSize,
              page.MaxFontCompression, static_cast<double>(page.CompressionLoathing),
              static_cast<double>(page.ShortLinesLoathing), static_cast<double>(page.TransitionsLoathing),
              static_cast<double>(page.DeviationsLoathing));
  bool hardcore = manga_.HardcoreMania;
  for (const TBalonEntry& b : page.Balons)
    if (b.Text.find('\xD5') != std::string::npos) hardcore = true;
  s += hardcore ? "1" : "0";
  for (const TBalonEntry& b : page.Balons) s += std::to_string(b.Background);
  for (const TBalonEntry& b : page.Balons) s += std::to_string(b.FontSize);
  for (const TBalonEntry& b : page.Balons) s += std::to_string(b.LineSpacing);
  for (const auto& font : manga_.Fonts)
    if (font) s += font->FileName;
  if (page.SmearPower == 0) s += smear;
  return s;
}

std::string TPageRecord::CleaningSummary() const {
  return Trim(Format("%s %d %s", SmearMethodName(page_.SmearMethod).c_str(), page_.SmearPower,
                     Concatenated(page_.Balons, &TBalonEntry::Smear).c_str()));
}

TPageRecord::TState TPageRecord::State(const TBuildRecord& record) const {
  TState state;
  const std::string& section = page_.BasePath;
  state.Fresh = record.ReadString(section, "Output file age", std::string()) == OutputAge() &&
                record.ReadString(section, "Summary", std::string()) == Summary() &&
                record.ReadInteger(section, "Quality", -1) >= manga_.Quality;
  state.CleaningChanged = manga_.Quality != -1 && record.ReadString(section, "SmartSmear summary",
                                                                    std::string()) != CleaningSummary();
  return state;
}

bool TPageRecord::HasBalloonCleaning() const {
  for (const TBalonEntry& b : page_.Balons)
    if (!RemoveChars(b.Smear, "\r\n").empty()) return true;
  return false;
}

bool TPageRecord::MustBuild(const TState& state, const TDrovixMangaScan& scan) const {
  return !(state.Fresh && !scan.HasTransparency() && !HasBalloonCleaning());
}

void TPageRecord::RecordBuild(TBuildRecord& record) const {
  const std::string& section = page_.BasePath;
  record.WriteString(section, "Summary", Summary());
  record.WriteString(section, "Output file age", OutputAge());
  record.WriteInteger(section, "Quality", manga_.Quality);
}

void TPageRecord::RecordCleaning(TBuildRecord& record) const {
  if (manga_.Quality != -1) record.WriteString(page_.BasePath, "SmartSmear summary", CleaningSummary());
}

}  // namespace drovix
