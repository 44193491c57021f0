#include "drovix_parser/build/MangaRun.h"

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Interrupt.h"
#include "drovix_parser/build/MarkupPreview.h"
#include "drovix_parser/build/StaleTemporaries.h"
#include "drovix_parser/build/TPageScheduler.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {

void RunManga(TDrovixManga& manga) {
  const TInterruptGuard stopSignals;
  ConsoleWrite(Ru("\n\r\n\rПРОВЕРЯЮ ") + UpperCaseCyr(ExtractFileNamePart(manga.ScriptFileName)) + " ..");
  manga.CheckPass();
  CheckForStop();
  manga.LoadFonts();
  CheckForStop();
  if (manga.Preview) {
    manga.PreviewProblemPages = PreviewPages(manga);
    return;  // the record is not written
  }
  ConsoleWriteLine(Ru("\n\rСОБИРАЮ МАНГУ...\n\r"));
  RemoveStaleTemporaries(manga);
  TPageScheduler(manga, manga.ParallelPages).Run();
  // A stop request that came while the last page or the record was being
  // saved found no step boundary after it: the run still ends as stopped.
  CheckForStop();
}

}  // namespace drovix
