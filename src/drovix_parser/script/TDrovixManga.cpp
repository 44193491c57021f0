#include "drovix_parser/script/TDrovixManga.h"

#include <exception>
#include <fstream>
#include <iterator>
#include <unordered_map>
#include <utility>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_parser/script/ScriptEncoding.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixMangaPage.h"
#include "drovix_parser/script/TextHelpers.h"

namespace drovix {
namespace {

// The message for a script folder that is also the output folder.
std::string SameFoldersMessage() {
  return Ru(
      "Вы чё, народ?!.. Имя выходной папки совпадает с именем входной!..\n\rТак же все "
      "исходники сканов затрутся нафиг!..");
}

}  // namespace

TDrovixManga::TDrovixManga(const std::string& fileName, const TBuildOptions& options) {
  if (fileName.empty()) Raise(Ru("В командной строке должно быть указано имя *.manga файла  для обработки!"));
  ScriptFileName = fileName;
  IsScriptHead = true;
  ParallelPages = options.ParallelPages;
  if (ParallelPages < 0)
    Raise(
        Ru("Ключ -j не понят: после -j пишется число страниц, собираемых одновременно,\n\r"
           "от 1 и больше (например, -j4), или ничего (по числу ядер процессора)."));
  if (options.Draft) {
    SmearPower = 0;
    Quality = -1;
  } else {
    Quality = options.Release ? 1 : 0;
    SmearPower = 25;
  }
  Preview = options.Preview;

  ScriptFolder = ExtractFilePath(fileName);
  if (ScriptFolder.empty() || ScriptFolder[0] != '/') ScriptFolder = CurrentFolder() + ScriptFolder;
  if (ScriptFolder.back() != '/') ScriptFolder += '/';
  const std::string path = ScriptFolder + ChangeFileExt(ExtractFileNamePart(fileName), ".manga");
  if (!RegularFileExists(path)) Raise(Format(Ru("Файл \"%s\" не существует!"), MessageName(path).c_str()));

  std::ifstream in(FileSystemName(path), std::ios::binary);
  std::string bytes;
  if (in.is_open()) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.is_open() || in.bad())
    Raise(Format(Ru("Не удалось прочитать файл \"%s\"!"), MessageName(path).c_str()));

  BuildRecord = std::make_unique<TBuildRecord>(ChangeFileExt(path, ".ini"));
  BaseFolder = ScriptFolder;
  MinWidth = 200;
  MaxWidth = 2147483647;
  MinHeight = 200;
  MaxHeight = 2147483647;
  PrepareScript(DecodeScriptBytes(bytes), path);
}

TDrovixManga::~TDrovixManga() {
  for (auto& page : Pages) FreeQuietly(page);
  for (auto& font : Fonts) FreeQuietly(font);
  FreeQuietly(BuildRecord);
}

void TDrovixManga::ReadOutputFolder() {
  const std::unique_ptr<TStringListWithIDs> block = ReadParameterBlock();
  std::string folder = block->AsOneLine();
  if (folder.empty())
    folder = ScriptFolder;
  else if (folder[0] != '/')
    folder = ScriptFolder + folder;
  if (!folder.empty() && folder.back() == '/') folder.pop_back();
  if (!FolderExists(folder.empty() ? "/" : folder))
    RaiseError(Format(Ru("Указанная папка \"%s\" не существует, а мне её создавать в лом.\n\rТак "
                         "что давай, давай, ручками.."),
                      folder.c_str()));
  OutputFolder = folder + "/";
  // Besides the spelling, the folders themselves are compared: "out/.." or a
  // link to the script folder would otherwise overwrite the scans.
  if (UpperCaseCyr(ScriptFolder) == UpperCaseCyr(OutputFolder) || SameFolder(ScriptFolder, OutputFolder))
    RaiseError(SameFoldersMessage());
  if (ScriptFolder.find_first_of("()") != std::string::npos)
    RaiseError(Ru("Извиняйте, но путь к папке, в которой лежит манга, не должен содержать "
                  "скобок.\n\rА он (\"") +
               ScriptFolder + Ru("\"), типа, содержит..."));
}

void TDrovixManga::CheckPass() {
  Line = 0;
  Column = 1;
  const std::string first = ReadName();
  if (FindCommand(first) != CBEGIN)
    RaiseSyntaxError(Ru("открывающая команда \"МАНГА()\""), first, std::string());
  ReadOutputFolder();

  // Pages met so far, by the output file they write: the line of each and
  // its scan's path.
  struct TPageSeen {
    int32_t line;
    std::string basePath;
  };
  std::unordered_map<std::string, TPageSeen> pagesByOutput;

  int32_t pageCount = 0;
  for (;;) {
    const std::string name = ReadName();
    if (!name.empty() && name[0] == '%') {
      if (!Fonts[0])
        RaiseError(Ru("Уже пошли описания страниц, а команда \"") + CommandKeyword(CFONT) +
                   Ru("()\" так и не всчтретилась"));
      ++pageCount;
      const std::string pageName = NamePrefix + Trim(RemoveChars(name, "%"));
      {
        // Two pages that write one file would overwrite each other, and
        // neither would ever be up to date. The reading position is on the
        // page's opening line.
        const std::string basePath = ScriptFolder + pageName;
        const std::string fileName = ExtractFileNamePart(basePath);
        const std::string output =
            OutputFolder + (PngDisabled() ? ChangeFileExt(fileName, ".bmp") : fileName + ".png");
        const auto [seen, added] = pagesByOutput.emplace(output, TPageSeen{GetID(Line), basePath});
        if (!added && seen->second.basePath == basePath)
          RaiseError(Format(Ru("Страница \"%s\" уже описана в строке %d!\n\rДве одинаковые страницы "
                               "затирали бы друг друга и собирались бы заново при каждом запуске."),
                            MessageName(pageName).c_str(), seen->second.line));
        if (!added)
          RaiseError(Format(Ru("Страница \"%s\" попадёт в тот же файл \"%s\", что и страница из "
                               "строки %d!\n\rОни затирали бы друг друга и собирались бы заново при "
                               "каждом запуске."),
                            MessageName(pageName).c_str(), MessageName(output).c_str(), seen->second.line));
      }
      std::unique_ptr<TStringListWithIDs> block = ReadParameterBlock();
      auto page = std::make_unique<TDrovixMangaPage>(*this, ScriptFolder, pageName, std::move(block));
      // A name prefix or page name with folders in it can lead the scan into
      // the output folder, where its page would be written over it.
      if (SameFolder(ExtractFilePath(page->BasePath), OutputFolder))
        RaiseError(Format(Ru("Вы чё, народ?!.. Скан страницы \"%s\" лежит в выходной папке!..\n\r"
                             "Так же все исходники сканов затрутся нафиг!.."),
                          MessageName(page->BasePath).c_str()));
      page->Parse();
      Pages.push_back(std::move(page));
      continue;
    }

    const TCommand command = FindCommand(name);
    if (command == CBEGIN)
      RaiseError(Ru("Открывающая команда \"") + CommandKeyword(CBEGIN) +
                 Ru("()\" позволена только один раз, в начале файла."));
    if (command == CEND) {
      ConsoleWriteLine(Ru("ВСЁ ПУЧКОМ! :)\n\r"));
      break;
    }
    if (command == CBALON)
      RaiseError(
          Ru("Балоны между страницами не допускаются.\n\r (проверь, не затесалась ли где "
             "лишняя закрывающая скобка.)"));

    const std::unique_ptr<TStringListWithIDs> block = ReadParameterBlock();
    if (pageCount > 0 && (command == CFONT || command == CDISABLEPNG || command == CHARDCOREMANIA ||
                          command == CDRAFT || command == CRELIZ))
      RaiseError(Ru("Команда \"") + CommandKeyword(command) +
                 Ru("()\" должна идти ДО начала описания страниц."));
    if (command == CDISABLEPNG)
      DisablePng();
    else if (command == CHARDCOREMANIA)
      HardcoreMania = true;
    else
      ApplyCommand(command, *block);
  }
}

void TDrovixManga::LoadFonts() {
  ConsoleWrite(Ru("\n\rГружу шрифты..."));
  for (auto& font : Fonts)
    if (font) font->Load();
  ConsoleWriteLine("OK.\n\r");
}

void TDrovixManga::SaveBuildRecord() {
  if (BuildRecord) BuildRecord->Save();
}

}  // namespace drovix
