// Whole-program runs of the driver: banner and usage, the crash report and
// its exit status, the keys in either case, and scripts that are no scripts.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ProgramTestUtil.h"
#include "driver/Driver.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"

namespace drovix {
namespace {

namespace fs = std::filesystem;

class Folder {
 public:
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "drovix-driver-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = fs::canonical(pattern).string() + "/";
    EXPECT_FALSE(path_.empty());
  }
  ~Folder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + name, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

struct TRunResult {
  std::string out;
  int status = -1;
};

// Runs the program in folder with the arguments; stdin is the shell
// redirection given (empty input by default).
TRunResult Drovix(const std::string& folder, const std::vector<std::string>& args,
                  const std::string& stdinRedirect = "</dev/null") {
  std::string command = "cd '" + folder + "' && '" DROVIX_BINARY "'";
  for (const auto& a : args) command += " '" + a + "'";
  const TCommandResult run = RunCommand(command + " " + stdinRedirect + " 2>&1");
  return {run.output, run.status};
}

std::string Shown(const std::string& utf8) { return Transliterate(Ru(utf8)); }

const std::string kBanner = "\n" + std::string(60, '-') +
                            "\n\"DROVIX\": The Manga Compiler, Version 0.98, beta.\n"
                            "Builds translated manga pages from marked-up scans.\n";
const std::string kPressEnter = "ZHmi ENTER shob zakryt6.\n";

// The crash report of message (UTF-8); the phrase is random, so the report is
// checked around it and the phrase against the list.
void ExpectCrash(const TRunResult& run, const std::string& message) {
  EXPECT_EQ(run.status, 1);
  const std::string head = kBanner + "\n\r\n\r\n\r";
  const std::string tail = "\n\n\r" + Shown(message) + "\n\r\n" + kPressEnter;
  ASSERT_GE(run.out.size(), head.size() + tail.size()) << run.out;
  EXPECT_EQ(run.out.substr(0, head.size()), head);
  EXPECT_EQ(run.out.substr(run.out.size() - tail.size()), tail) << run.out;
  const std::string phrase = run.out.substr(head.size(), run.out.size() - head.size() - tail.size());
  std::set<std::string> phrases;
  std::string piece;
  for (const char c : CrashPhrases() + "~") {
    if (c == '~') {
      phrases.insert(Transliterate(piece));
      piece.clear();
    } else {
      piece.push_back(c);
    }
  }
  EXPECT_TRUE(phrases.count(phrase)) << phrase;
}

TEST(DriverProgram, NoArgumentsPrintsTheUsage) {
  static const char* const kUsage[] = {
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
  std::string expected = kBanner;
  for (const char* line : kUsage) expected += Shown(line) + "\n";
  Folder dir;
  // Waiting for Enter ends at once with input at its end, or closed.
  for (const char* input : {"</dev/null", "<&-"}) {
    const TRunResult run = Drovix(dir.Path(), {}, input);
    EXPECT_EQ(run.out, expected) << input;
    EXPECT_EQ(run.status, 0) << input;
  }
  // Enter given: the rest of the input is left alone.
  dir.Write("input", "\nmore\n");
  const TRunResult run = Drovix(dir.Path(), {}, "<input");
  EXPECT_EQ(run.out, expected);
  fs::remove(dir.Path() + "input");
  EXPECT_TRUE(fs::is_empty(dir.Path()));  // no script was touched
}

TEST(DriverProgram, FailuresEndInTheCrashReportWithStatus1) {
  Folder dir;
  ExpectCrash(Drovix(dir.Path(), {"chapter"}), "Файл \"" + dir.Path() + "chapter.manga\" не существует!");
  // Keys must follow the script name: "-w" is taken for the script.
  ExpectCrash(Drovix(dir.Path(), {"-w", "chapter.manga"}),
              "Файл \"" + dir.Path() + "-w.manga\" не существует!");
  ExpectCrash(Drovix(dir.Path(), {""}),
              "В командной строке должно быть указано имя *.manga файла  для обработки!");
  // The wait for Enter comes even without -w, and input closed does not hang it.
  ExpectCrash(Drovix(dir.Path(), {"chapter"}, "<&-"),
              "Файл \"" + dir.Path() + "chapter.manga\" не существует!");
}

// A script that builds nothing and succeeds: no pages, no fonts.
class EmptyChapter : public ::testing::Test {
 protected:
  EmptyChapter() {
    fs::create_directories(dir_.Path() + "out");
    Script("");
  }
  void Script(const std::string& head) const {
    dir_.Write("ch.manga", Ru("МАНГА(out)\n" + head + "\nКОНЕЦ()\n"));
  }
  TRunResult Drovix(std::vector<std::string> args) const {
    args.insert(args.begin(), "ch.manga");
    return drovix::Drovix(dir_.Path(), args);
  }
  Folder dir_;
};

TEST_F(EmptyChapter, SuccessLinesOnlyWithW) {
  const TRunResult plain = Drovix({});
  EXPECT_EQ(plain.status, 0);
  ASSERT_EQ(plain.out.substr(0, kBanner.size()), kBanner);
  EXPECT_NE(plain.out.find(Shown("ВСЁ ПУЧКОМ! :)")), std::string::npos) << plain.out;
  const std::string success =
      "\n\r\n\r\n\r\n" + Shown("РАБОТА УСПЕШНО ВЫПОЛНЕНА! :)\n\r") + "\n" + kPressEnter;
  EXPECT_EQ(plain.out.find(Shown("РАБОТА УСПЕШНО")), std::string::npos);
  for (const char* key : {"-w", "-W"}) {
    const TRunResult waited = Drovix({key});
    EXPECT_EQ(waited.status, 0) << key;
    EXPECT_EQ(waited.out, plain.out + success) << key;
  }
}

TEST_F(EmptyChapter, DraftAndReleaseKeysInEitherCase) {
  const std::string conflict =
      "Ошибка в строке 2.\n\rКоманды \"ЧЕРНОВИК()\" и \"ЧИСТОВИК()\" в одной манге одновременно "
      "не допускаются. Это распространяется и на дублирующие их ключи коммандной строки \"-d\" и "
      "\"-r\".";
  Script("ЧИСТОВИК()");
  EXPECT_EQ(Drovix({"-r"}).status, 0);
  for (const char* key : {"-d", "-D"}) {
    const TRunResult run = Drovix({key});
    EXPECT_NE(run.out.find(Shown(conflict)), std::string::npos) << key << run.out;
    EXPECT_EQ(run.status, 1) << key;
  }
  // Both keys: a draft build, without complaint of its own.
  EXPECT_EQ(Drovix({"-R", "-D"}).status, 1);
  Script("ЧЕРНОВИК()");
  EXPECT_EQ(Drovix({"-d", "-r"}).status, 0);
  EXPECT_EQ(Drovix({"-d"}).status, 0);
  for (const char* key : {"-r", "-R"}) {
    const TRunResult run = Drovix({key});
    EXPECT_NE(run.out.find(Shown(conflict)), std::string::npos) << key << run.out;
  }
  Script("");
  EXPECT_EQ(Drovix({"-x", "-X", "-w", "-d", "-r"}).status, 0);
}

// One blank page: with -x in either case it is written as BMP and the PNG
// library is never asked for; without it, as PNG.
TEST(DriverProgram, KeyXSavesBmpInEitherCase) {
  for (const char* key : {"-x", "-X", ""}) {
    Folder dir;
    const std::string d = dir.Path();
    fs::create_directories(d + "out");
    for (const char* face : {"f0", "f1", "f2"}) program_test::SaveFontSheet(d + face);
    program_test::TPicture(240, 320).SaveTga(d + "p01");
    dir.Write("ch.manga", Ru("МАНГА(out)\nШРИФТ(f0, f1, f2)\n%p01()\nКОНЕЦ()\n"));
    std::vector<std::string> args = {"ch.manga"};
    if (*key) args.push_back(key);
    const TRunResult run = Drovix(d, args);
    EXPECT_EQ(run.status, 0) << key << run.out;
    EXPECT_EQ(fs::exists(d + "out/p01.bmp"), *key != 0) << key;
    EXPECT_EQ(fs::exists(d + "out/p01.png"), *key == 0) << key;
  }
}

TEST_F(EmptyChapter, ScriptsThatAreNoScripts) {
  const std::string path = dir_.Path() + "ch.manga";
  const std::string big(1 << 20, 'A');
  std::string noise;
  for (uint32_t x = 12345, i = 0; i < 5000; ++i) {
    x = x * 1103515245u + 12345u;
    noise.push_back(static_cast<char>(1 + (x >> 16) % 255));
  }
  static const struct {
    const char* what;
    std::string bytes;
    std::string message;  // UTF-8; empty: any crash report
  } kCases[] = {
      {"empty", "", "Файл \"" + path + "\" пуст: в нём нет ни одной команды, одни пробелы и комментарии."},
      {"comments only", "; a\r\n\r\n ;b",
       "Файл \"" + path + "\" пуст: в нём нет ни одной команды, одни пробелы и комментарии."},
      {"NUL bytes",
       std::string("\xFF\xFE"
                   "M\0A\0",
                   6),
       "Файл \"" + path +
           "\" - не текст мангаскрипта: в строке 1 стоит нулевой байт.\n\rСкрипт "
           "должен быть сохранён как простой текст, в кодировке Windows-1251 или UTF-8."},
      {"a megabyte line", Ru("МАНГА(out)\n") + big + "()",
       "Синтаксическая ошибка в строке 2.\n\rНеизвестная команда \"" + std::string(200, 'A') + "...\"."},
      {"unclosed", Ru("; c\nМАНГА("),
       "Синтаксическая ошибка в строке 2.\n\rОжидалось: оcтатняя часть параметра команды или "
       "описания страницы,\n\r включая 1 закрывающих скобок,\n\rа имеем:  неожиданный, и даже "
       "какой-то обидный, конец файла\n\rРекомендации:  проверь соответствие числа открывающих и "
       "закрывающих скобок."},
      {"noise", noise, ""},
  };
  for (const auto& c : kCases) {
    dir_.Write("ch.manga", c.bytes);
    const TRunResult run = Drovix({});
    EXPECT_EQ(run.status, 1) << c.what;
    if (c.message.empty())
      EXPECT_EQ(run.out.substr(run.out.size() - kPressEnter.size()), kPressEnter) << c.what;
    else
      EXPECT_NE(run.out.find("\n\r" + Shown(c.message) + "\n\r\n" + kPressEnter), std::string::npos)
          << c.what << "\n"
          << run.out.substr(0, 2000);
  }
  // No line end after the last line; a UTF-8 script.
  dir_.Write("ch.manga", Ru("МАНГА(out)\r\nКОНЕЦ()"));
  EXPECT_EQ(Drovix({}).status, 0);
  dir_.Write("ch.manga", "МАНГА(out)\nРАЗМЕР_ШРИФТА(12)\nКОНЕЦ()");
  EXPECT_EQ(Drovix({}).status, 0);
}

}  // namespace
}  // namespace drovix
