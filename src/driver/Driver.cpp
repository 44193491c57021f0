#include "driver/Driver.h"

#include <signal.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "driver/CommandLine.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Interrupt.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_parser/build/MangaRun.h"
#include "drovix_parser/script/TDrovixManga.h"

namespace drovix {
namespace {

constexpr const char* kVersion = "0.98, beta";

void WriteBanner() {
  ConsoleWriteRaw("\n");
  ConsoleWriteRaw(std::string(60, '-') + "\n");
  ConsoleWriteRaw(std::string("\"DROVIX\": The Manga Compiler, Version ") + kVersion + ".\n");
  ConsoleWriteRaw("Builds translated manga pages from marked-up scans.\n");
}

void WriteUsage() {
  static const char* const kLines[] = {
      "\n\r\n\r",
      "Использование: drovix \"<имя *.manga файла>\" [<ключи>]",
      "  ,где ключи:",
      "    -w  после завершения работы не закрывать окно сразу,",
      "        дождаться нажатия Enter'а",
      "    -d  черновой режим",
      "    -r  чистовой режим (потребный объём памяти удесятиряется!",
      "        и обработка тоже замедляется раз в n-дцать...)",
      "    -x  не пытаться использовать библиотеку LibPng",
      "        (работа с файлами формата *.png станет невозможной)",
      "    -p  ничего не собирать, а только показать разметку: для каждой",
      "        страницы записать в выходную папку <страница>.markup.png",
      "        и перечислить найденные в разметке проблемы",
      "    -j<N>  собирать до N страниц одновременно (-j1 - по одной);",
      "        просто -j или без ключа - по числу ядер процессора,",
      "        сколько страниц поместится в памяти",
      "",
      "Подробные описание мангаязыка и инструкция",
      "  лежат в Интернете, по адресу",
      "    docs/manual.md",
      "",
      "Жми ENTER шоб закрыть.",
  };
  for (const char* line : kLines) ConsoleWriteLine(Ru(line));
}

// Reads one line from standard input. Returns at once at end of input (or
// with standard input closed), so an unattended run never hangs here.
void WaitForEnter() {
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
  }
}

// The single error report. Returns the process status.
int ReportCrash(const std::string& message) {
  ConsoleWriteLine("\n\r\n\r\n\r" + PickRandomPhrase(CrashPhrases()));
  ConsoleWriteLine("\n\r" + message + "\n\r");
  ConsoleWriteLine(Ru("Жми ENTER шоб закрыть."));
  WaitForEnter();
  return 1;
}

// After Ctrl-C or SIGTERM: no crash report and no wait, a short note and the
// status a shell expects of a process stopped by that signal.
int ReportInterrupt(int signal) {
  ConsoleWriteLine(Ru("\n\r\n\rСБОРКА ПРЕРВАНА (") + (signal == SIGINT ? "Ctrl-C" : "SIGTERM") +
                   Ru("). Готовые страницы записаны, остальные соберутся при следующем запуске."));
  return 128 + signal;
}

}  // namespace

int ReportPendingStop() {
  const int signal = InterruptSignal();
  return signal != 0 ? ReportInterrupt(signal) : 0;
}

const std::string& CrashPhrases() {
  static const std::string list =
      Ru("УСЁ ГРОХНУЛОСЬ НАФИГ~НАС ПОСЕТИЛ ОБЛОМ ОБЛОМЫЧ~БЛИН! НУ НЕТ В ЖИЗНИ СЧАСТЬЯ!~КУСО!..~"
         "ВОТ ЕСЛИ НЕ ВЕЗЁТ, ТАК УЖ НЕ ВЕЗЁТ~НУ, ЁОООО...!~БЛИН!!!~НЕТ В ЖИЗНИ СЧАСТЬЯ!~"
         "КАКОЙ КОШМАР!~УЖАС!~ПРИСКОРБНО...~ПЕЧАЛЬНО...~ЖАЛОСТЬ ТО КАКАЯ!~"
         "НУ, УМЕРЛА - ТАК УМЕРЛА...~ЯДРЁН БАГ!..~НУ, Ё...~АХ, ЧТОБ ТЕБЕ!..~..ММАТЬ..!");
  return list;
}

std::string PickRandomPhrase(const std::string& list) {
  std::vector<std::string> pieces(1);
  for (const char c : list) {
    if (c == '~')
      pieces.emplace_back();
    else
      pieces.back().push_back(c);
  }
  std::mt19937 random(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
  return pieces[pick(random)];
}

namespace {

// The options of the build as the keys give them.
TBuildOptions BuildOptionsOf(const std::vector<std::string>& args) {
  TBuildOptions options;
  options.Draft = HasCommandLineKey(args, "-d");
  options.Release = HasCommandLineKey(args, "-r");
  options.Preview = HasCommandLineKey(args, "-p");
  options.ParallelPages = ParallelPagesKey(args);
  return options;
}

}  // namespace

int RunDriver(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (HasCommandLineKey(args, "-x")) DisablePng();

  WriteBanner();
  if (args.empty()) {
    WriteUsage();
    WaitForEnter();
    return 0;
  }

  bool markupProblems = false;
  try {
    auto manga = std::make_unique<TDrovixManga>(args[0], BuildOptionsOf(args));
    RunManga(*manga);
    markupProblems = manga->PreviewProblemPages > 0;
    manga.reset();  // writes the build record
  } catch (const EInterrupted& e) {
    return ReportInterrupt(e.Signal());
  } catch (const std::bad_alloc&) {
    return ReportCrash(Ru("Не хватило памяти."));
  } catch (const std::exception& e) {
    return ReportCrash(e.what());
  } catch (...) {
    return ReportCrash(Ru("Программа рухнула, а почему - не говорит, падла."));
  }
  // The run is over, yet a stop request may have come after its last step
  // boundary; it is reported as such, never as success.
  if (const int stopped = ReportPendingStop()) return stopped;

  if (HasCommandLineKey(args, "-w")) {
    ConsoleWriteLine("\n\r\n\r\n\r");
    ConsoleWriteLine(Ru("РАБОТА УСПЕШНО ВЫПОЛНЕНА! :)\n\r"));
    ConsoleWriteLine(Ru("Жми ENTER шоб закрыть."));
    WaitForEnter();
  }
  return markupProblems ? 1 : 0;
}

}  // namespace drovix
