// The page driver: builds one page of the script into the output folder.
#pragma once

namespace drovix {

class TDrovixManga;
class TDrovixMangaPage;

// Skips the page when the build record shows it up to date ("  НЕФИГ
// ДЕЛАТЬ."); otherwise loads its scan into page.Scan, cleans, scales, removes
// the marked text, draws the sounds, typesets the balloons, scales again,
// saves the page as PNG (or BMP while PNG is disabled) and records the build
// in manga.BuildRecord. The output file is written under a temporary name in
// the output folder and renamed, so a broken run never leaves a half-written
// page behind.
//
// On any failure the build record is written to its file and freed (pages
// built before survive), and EDrovixError is raised with "Крах при сборке
// страницы ..." and the page's full base path.
void BuildPage(TDrovixManga& manga, TDrovixMangaPage& page);

}  // namespace drovix
