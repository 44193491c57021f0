// The program driver's own parts: the command-line keys, the crash phrases
// and the end of a run that a stop signal reached too late for a step.
#include <gtest/gtest.h>

#include <csignal>
#include <set>
#include <string>
#include <vector>

#include "driver/CommandLine.h"
#include "driver/Driver.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Interrupt.h"

namespace drovix {
namespace {

TEST(CommandLine, KeysAnywhereInAnyCase) {
  const std::vector<std::string> args{"page.manga", "-W", "-d"};
  EXPECT_TRUE(HasCommandLineKey(args, "-w"));
  EXPECT_TRUE(HasCommandLineKey(args, "-D"));
  EXPECT_FALSE(HasCommandLineKey(args, "-r"));
  EXPECT_FALSE(HasCommandLineKey(args, "w"));
  // Argument 1 counts too; only ASCII letters are folded.
  EXPECT_TRUE(HasCommandLineKey({"-x"}, "-X"));
  EXPECT_FALSE(HasCommandLineKey({Ru("-ж")}, Ru("-Ж")));
  EXPECT_FALSE(HasCommandLineKey({}, "-w"));
}

TEST(CommandLineKeys, ParallelPages) {
  const struct {
    std::vector<std::string> args;
    int32_t pages;
  } cases[] = {
      {{"ch"}, 0},
      {{"ch", "-j"}, 0},
      {{"ch", "-j4"}, 4},
      {{"ch", "-J12"}, 12},
      {{"ch", "-j2", "-j1"}, 1},
      {{"ch", "-j0"}, -1},
      {{"ch", "-jx"}, -1},
      {{"ch", "-j3x"}, -1},
      {{"ch", "-j99999999"}, -1},
      {{"-jeans", "-j2"}, 2},  // argument 1 is the script
      {{"-j3"}, 3},
  };
  for (const auto& c : cases) EXPECT_EQ(ParallelPagesKey(c.args), c.pages) << c.args.back();
}

TEST(CrashPhrases, EighteenAndEachCanBePicked) {
  const std::string& list = CrashPhrases();
  std::set<std::string> seen;
  for (int i = 0; i < 2000 && seen.size() < 18; ++i) seen.insert(PickRandomPhrase(list));
  EXPECT_EQ(seen.size(), 18u);
  EXPECT_TRUE(seen.count(Ru("УСЁ ГРОХНУЛОСЬ НАФИГ")));
  EXPECT_TRUE(seen.count(Ru("НУ, УМЕРЛА - ТАК УМЕРЛА...")));
  EXPECT_TRUE(seen.count(Ru("..ММАТЬ..!")));
}

TEST(CrashPhrases, PiecesOfTheList) {
  EXPECT_EQ(PickRandomPhrase("only"), "only");
  EXPECT_EQ(PickRandomPhrase(""), "");
  // "~a" has an empty first piece.
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) seen.insert(PickRandomPhrase("~a"));
  EXPECT_EQ(seen, (std::set<std::string>{"", "a"}));
}

// A stop signal that came after the run's last step boundary still ends the
// run as stopped, with its note and status; without one nothing is printed.
TEST(ReportPendingStop, StatusAndNoteOfTheSignal) {
  const struct {
    int signal;
    int status;
    const char* name;
  } cases[] = {{0, 0, ""}, {SIGINT, 130, "Ctrl-C"}, {SIGTERM, 143, "SIGTERM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    int status = -1;
    testing::internal::CaptureStdout();
    {
      const TInterruptGuard guard;
      if (c.signal != 0) std::raise(c.signal);
      status = ReportPendingStop();
    }
    const std::string output = testing::internal::GetCapturedStdout();
    ClearInterruptForTesting();
    EXPECT_EQ(status, c.status);
    if (c.signal == 0) {
      EXPECT_EQ(output, "");
    } else {
      EXPECT_NE(
          output.find(Transliterate(Ru("СБОРКА ПРЕРВАНА (") + c.name +
                                    Ru("). Готовые страницы записаны, остальные соберутся при следующем "
                                       "запуске."))),
          std::string::npos)
          << output;
    }
  }
}

}  // namespace
}  // namespace drovix
