// The markup preview (key -p): instead of building the pages, shows for each
// page what the build would find in its markup and where that goes wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drovix {

class TDrovixManga;
class TDrovixMangaPage;

// Loads every page's scan as a build loads it (companion markup, corner
// marks, the pre-processing scale of manga.Quality), searches its sounds and
// balloons in script order with the build's own searches, and writes
// "<output folder>/<page>.markup.png" (".markup.bmp" while PNG is switched
// off). Every problem of a page is drawn on its preview and listed on the
// console, and the run goes on with the next page. Nothing else is written:
// no page, no "_error.bmp", no build record. Each page is freed after its
// preview. Returns the number of pages that had a problem. Raises
// EDrovixError only when a preview cannot be written.
int32_t PreviewPages(TDrovixManga& manga);

// The problems of one page, each a line of Windows-1251 text; the preview
// itself is written as described above.
std::vector<std::string> PreviewPage(TDrovixManga& manga, TDrovixMangaPage& page);

// The first words of a balloon text with its tags left out, for a label:
// at most about maxLength characters, "..." when words were left out.
std::string FirstWords(const std::string& balloonText, size_t maxLength);

}  // namespace drovix
