// Thousands of mutated scripts through the check pass: every one must end in
// a script error or pass, never crash or hang. Meant to run under the
// sanitizer build (-DDROVIX_SANITIZE=ON: address and undefined behaviour).
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "MangaTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_parser/script/TDrovixManga.h"

namespace drovix {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

// A script that uses every kind of command, value and tag.
const char kSample[] =
    "; пример\n"
    "МАНГА(out)\n"
    "ШРИФТ(fonts/normal, fonts/bold, fonts/italic)\n"
    "ТЕКСТУРА(штриховка, textures/hatch)\n"
    "ТЕКСТУРА(серый, %160)\n"
    "ПРЕФИКС_ИМЕНИ_ФАЙЛА(ch1_)\n"
    "РАЗМЕР_ШРИФТА(22)\nМИНИМАЛЬНЫЙ_РАЗМЕР_ШРИФТА(10)\nДОПУСТИМОЕ_СЖАТИЕ_ТЕКСТА(20)\n"
    "ГЛУБИНА_ЦВЕТА(8)\nМЕТОД_ЗАМАЗКИ(хитрая)\nКАЧЕСТВО_ЗАМАЗКИ(30)\nДАВИТЬ_ЗЕРНО(3)\n"
    "МИНИМАЛЬНАЯ_ШИРИНА(300)\nМАКСИМАЛЬНАЯ_ШИРИНА(1200)\nМИНИМАЛЬНАЯ_ВЫСОТА(400)\n"
    "МАКСИМАЛЬНАЯ_ВЫСОТА(1800)\nФОН_БАЛОНОВ(%255%250%240)\nМЕЖСТРОЧНЫЙ_ИНТЕРВАЛ(1.2)\n"
    "ОТВРАЩЕНИЕ_К_КОРОТКИМ СТРОКАМ(2)\nСВОЙСТВА_ТЕКСТА((%0,0,0.7)(%255,3,1))\n"
    "%p01(\n"
    "  ЗВУК((%0,0,0.7)(%255,4,1)(%0,2,0.7))\n"
    "  ЗВУК((штриховка,0,0.7)(серый,5,1))\n"
    "  (Эй! Ты это %Жслышал%0? %Ф(pic.tga) Кажется,\n  где-то рядом что-то упало.)\n"
    "  РАЗМЕР_ШРИФТА(18)\n"
    "  БАЛОН(%ВТишина %К%1курсив%0)\n"
    ")\n"
    "ПРОЗРАЧНЫЕ_БАЛОНЫ()\n"
    "% p02(\n"
    "  ЦВЕТНЫЕ_СКАНЫ()\n  ДАВИТЬ_ЗЕРНО(2)\n"
    "  ЗАМАЗЫВАТЬ_В_БАЛОНАХ((%255)(серый,10,1))\n"
    "  ЗВУК((%255%220%0,0,0.7)(%0,3,1))\n"
    "  (Цветная страница! %Ф(штриховка))\n"
    "  ()\n"
    ")\n"
    "КОНЕЦ()\n";

const char* const kTokens[] = {"(",          ")",
                               "%",          ";",
                               "\n",         ",",
                               " ",          "_",
                               "%Ф(",        "%Ф",
                               "%А",         "ЗВУК(",
                               "(%",         "%255%",
                               "-5",         "1e309",
                               "nan",        "КОНЕЦ()",
                               "МАНГА(out)", "ШРИФТ(a,b,c)",
                               "%p09(",      "БАЛОН(",
                               "\r",         "\t",
                               "ТЕКСТУРА(",  "ЗАМАЗЫВАТЬ_В_БАЛОНАХ(",
                               "))))",       "((((",
                               "\xFF",       "\0"};

std::string Mutate(std::string s, std::mt19937& rng) {
  const auto pick = [&](size_t n) { return n == 0 ? 0 : static_cast<size_t>(rng() % n); };
  const int count = 1 + static_cast<int>(rng() % 4);
  for (int m = 0; m < count; ++m) {
    const size_t at = pick(s.size() + 1);
    switch (rng() % 6) {
      case 0:
        if (!s.empty()) s[pick(s.size())] = static_cast<char>(rng());
        break;
      case 1:
        s.erase(at, 1 + pick(8));
        break;
      case 2: {
        const std::string token = Ru(kTokens[pick(std::size(kTokens))]);
        s.insert(at, token.empty() ? std::string(1, '\0') : token);
        break;
      }
      case 3:
        s.resize(at);
        break;
      case 4: {
        const size_t from = pick(s.size() + 1);
        s.insert(at, s.substr(from, 1 + pick(40)));
        break;
      }
      default: {
        // Swap two lines.
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t nl; (nl = s.find('\n', start)) != std::string::npos; start = nl + 1)
          lines.push_back(s.substr(start, nl - start + 1));
        lines.push_back(s.substr(start));
        std::swap(lines[pick(lines.size())], lines[pick(lines.size())]);
        s.clear();
        for (const std::string& l : lines) s += l;
      }
    }
  }
  return s;
}

// Sends standard output to /dev/null while it lives.
class QuietStdout {
 public:
  QuietStdout() {
    std::fflush(stdout);
    saved_ = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::close(null);
  }
  ~QuietStdout() {
    std::fflush(stdout);
    ::dup2(saved_, 1);
    ::close(saved_);
  }

 private:
  int saved_;
};

TEST(ScriptMutation, CheckPassSurvivesMutatedScripts) {
  constexpr int kRounds = 2000;
  TempFolder dir;
  std::filesystem::create_directories(dir.Path() + "out");
  const std::string file = dir.Path() + "m.manga";
  const std::string sample = Ru(kSample);

  // The sample itself passes.
  WriteBytes(file, sample);
  {
    QuietStdout quiet;
    TDrovixManga manga(file);
    manga.CheckPass();
    EXPECT_EQ(manga.Pages.size(), 2u);
  }

  // Every script object holds its font slots' tables (a few MB); keep them on
  // the heap instead of mapping fresh pages for each of the thousands of runs.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);

  std::mt19937 rng(7);
  int passed = 0, refused = 0;
  const auto start = std::chrono::steady_clock::now();
  {
    QuietStdout quiet;
    for (int round = 0; round < kRounds; ++round) {
      // Half of the rounds as Windows-1251, half saved as UTF-8.
      std::string text = Mutate(sample, rng);
      if (round % 2 == 1) text = Cp1251ToUtf8(text);
      WriteBytes(file, text);
      try {
        TDrovixManga manga(file);
        manga.CheckPass();
        ++passed;
      } catch (const EDrovixError& e) {
        ASSERT_GT(std::string(e.what()).size(), 0u) << round;
        ++refused;
      }
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(passed + refused, kRounds);
  EXPECT_GT(refused, kRounds / 3);  // the mutations do reach the error paths
  std::printf("%d mutated scripts: %d passed, %d refused, %.1f s\n", kRounds, passed, refused, seconds);
}

}  // namespace
}  // namespace drovix
