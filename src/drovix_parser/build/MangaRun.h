// The run of a script: the check pass, the fonts, then every page built (or
// its markup shown, with the key -p).
#pragma once

namespace drovix {

class TDrovixManga;

// Check pass over the whole script, then the fonts, then every page
// (TPageScheduler.h). The build record is written after every page whose
// entry changed and once more at the end; a record that cannot be written
// raises at the end of the run, after every page has been built. Raises
// EInterrupted after Ctrl-C or SIGTERM, the record of the pages finished so
// far written. With manga.Preview, writes the markup previews instead
// (PreviewPages), sets manga.PreviewProblemPages and leaves the build
// record alone.
void RunManga(TDrovixManga& manga);

}  // namespace drovix
