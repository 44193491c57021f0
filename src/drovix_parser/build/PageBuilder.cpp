#include "drovix_parser/build/PageBuilder.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <string>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/Interrupt.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/WriteFailure.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_parser/build/TPageRecord.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

// A name in the output folder that no page uses: ".<page>.<pid>.part".
std::string TemporaryBase(const std::string& outBase) {
  return ExtractFilePath(outBase) + "." + ExtractFileNamePart(outBase) + "." + std::to_string(::getpid()) +
         ".part";
}

// Moves the finished temporary file over the output file. Raises with a
// Russian message naming the file and the cause when the rename fails (the
// temporary file is removed).
void Publish(const std::string& temporary, const std::string& target) {
  errno = 0;
  if (std::rename(FileSystemName(temporary).c_str(), FileSystemName(target).c_str()) != 0) {
    const int error = errno;
    std::remove(FileSystemName(temporary).c_str());
    RaiseWriteFailure(Format(Ru("Не удалось записать файл \"%s\""), MessageName(target).c_str()), error);
  }
}

// A page that cannot be saved is reported under its own file name, not the
// temporary one it is written as, with the cause.
[[noreturn]] void RaiseSaveFailure(const char* format, const std::string& target, const EWriteFailure& e) {
  throw EWriteFailure(
      Format(Ru("Упала процедура записи %s файла \"%s\""), format, MessageName(target).c_str()), e.Cause());
}

void Build(TDrovixManga& manga, TDrovixMangaPage& page, TBuildRecord& record) {
  const TPageRecord entry(manga, page);
  const std::string outBase = entry.OutputBase();
  const TPageRecord::TState state = entry.State(record);

  bool build = false;
  if (TPageRecord::MustLoad(state)) {
    ConsoleWrite(Ru("  гружу..."));
    if (page.ColorScans == 1)
      page.Scan = TDrovixGraph::CreateFromFile<TDrovixColorMangaScan>(page.BasePath);
    else
      page.Scan = TDrovixGraph::CreateFromFile<TDrovixMangaScan>(page.BasePath);
    ConsoleWriteRaw("...");
    CheckForStop();
    build = true;
    if (!entry.MustBuild(state, *page.Scan)) {
      ConsoleWriteLine(Ru("НЕФИГ ДЕЛАТЬ."));
      build = false;
    }
  }

  if (build) {
    TDrovixMangaScan& scan = *page.Scan;
    scan.SmearMethod = page.SmearMethod;
    scan.SmearPower = page.SmearPower;
    if (page.CleaningPower > 0) scan.CleanLevels(page.CleaningPower);
    CheckForStop();
    if (page.KillPatterns > 0 && manga.Quality != -1) scan.SuppressGrain(page.KillPatterns);
    CheckForStop();

    const float s = scan.ComputeScale(page.MinWidth, page.MinHeight, page.MaxWidth, page.MaxHeight);
    scan.ScaleBeforeProcessing(manga.Quality, s);
    CheckForStop();
    if (scan.HasTransparency()) scan.Smear();

    for (const std::string& sound : page.Sounds) {
      CheckForStop();
      ConsoleWrite(Ru(".звук"));
      scan.RenderLayers(sound);
    }
    for (size_t i = 0; i < page.Balons.size(); ++i) {
      CheckForStop();
      ConsoleWrite(Ru(".балон"));
      scan.FindNextBalloon();
      ConsoleWriteRaw("..");
      const TBalonEntry& b = page.Balons[i];
      scan.TypesetBalloon(b.Text, manga.Fonts, b.Smear, TypesetSettingsFor(page, b), b.Pars, b.Background,
                          manga.HardcoreMania);
    }

    CheckForStop();
    scan.ScaleAfterProcessing(manga.Quality, s);
    CheckForStop();

    const std::string temporary = TemporaryBase(outBase);
    if (PngDisabled()) {
      ConsoleWrite(Ru(".сохраняю как BMP"));
      const std::string target = ChangeFileExt(outBase, ".bmp");
      try {
        scan.SaveBMP(temporary);
      } catch (const EWriteFailure& e) {
        std::remove(FileSystemName(temporary).c_str());
        RaiseSaveFailure("BMP", target, e);
      } catch (...) {
        std::remove(FileSystemName(temporary).c_str());
        throw;
      }
      Publish(temporary, target);
    } else {
      LoadLibPng();
      ConsoleWrite(Ru(".сохраняю"));
      try {
        scan.SavePNG(temporary, page.PaletteDepth);  // appends ".png"
      } catch (const EWriteFailure& e) {
        std::remove(FileSystemName(temporary + ".png").c_str());
        RaiseSaveFailure("PNG", outBase + ".png", e);
      } catch (...) {
        std::remove(FileSystemName(temporary + ".png").c_str());
        throw;
      }
      Publish(temporary + ".png", outBase + ".png");
    }

    entry.RecordBuild(record);
    ConsoleWriteLine("...OK.");
  } else {
    ConsoleWriteLine(Ru("  НЕФИГ ДЕЛАТЬ."));
  }

  entry.RecordCleaning(record);
}

}  // namespace

void BuildPage(TDrovixManga& manga, TDrovixMangaPage& page, TBuildRecord& record) {
  try {
    Build(manga, page, record);
  } catch (const EInterrupted&) {
    throw;  // not a failure of the page
  } catch (const std::exception& e) {
    throw EDrovixError(
        Format(Ru("Крах при сборке страницы \"%s\":\n\r%s"), MessageName(page.BasePath).c_str(), e.what()));
  } catch (...) {
    throw EDrovixError(
        Format(Ru("Программа упала при обработке страницы \"%s\", а почему - не говорит, падла."),
               MessageName(page.BasePath).c_str()));
  }
}

}  // namespace drovix
