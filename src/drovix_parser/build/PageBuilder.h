// The page driver: builds one page of the script into the output folder.
#pragma once

namespace drovix {

class TBuildRecord;
class TDrovixManga;
class TDrovixMangaPage;

// Skips the page when its record shows it up to date ("  НЕФИГ ДЕЛАТЬ.");
// otherwise loads its scan into page.Scan, cleans, scales, removes the
// marked text, draws the sounds, typesets the balloons, scales again, saves
// the page as PNG (or BMP while PNG is disabled) and records the build in
// record. The output file is written under a temporary name in the output
// folder and renamed, so a broken run never leaves a half-written page.
//
// record holds the page's section (page.BasePath) as stored so far; only
// that section is read and written. Pages may be built by several threads
// at once, each with its own page and record: manga is only read (its fonts
// are safe to share).
//
// Stops at its step boundaries after a stop signal (EInterrupted passes
// unchanged). Any other failure raises EDrovixError with "Крах при сборке
// страницы ..." and the page's full base path.
void BuildPage(TDrovixManga& manga, TDrovixMangaPage& page, TBuildRecord& record);

}  // namespace drovix
