// Whole-program runs with pages built side by side (-j): the same console
// text, record and files as one page at a time, the record written after
// every page so that a killed or interrupted run keeps its finished pages,
// and the temporaries of killed runs removed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "ProgramTestUtil.h"

namespace drovix::program_test {
namespace {

namespace fs = std::filesystem;

// A chapter of small pages, each with one red balloon.
class ParallelChapter : public ::testing::Test {
 protected:
  ParallelChapter() {
    const std::string d = dir_.Path();
    SaveChapterBasics(d);
  }
  void Pages(int count, int32_t width, int32_t height) {
    for (int i = 1; i <= count; ++i) {
      TPicture p(width, height);
      p.Grey(10, 12, 10, width - 11, 0);
      p.Rect(height / 8, height / 3, width / 8, width - width / 8, 255, 200, 200);
      p.Grey(height / 2, height / 2 + 6, 20, 40 + 3 * i, 0);
      p.SaveTga(d() + Name(i));
    }
  }
  static std::string Name(int i) { return (i < 10 ? "p0" : "p") + std::to_string(i); }
  // Pages first..last as links to the scan of page 1. A run that is stopped
  // once a page's line shows never reaches them: however long the test is
  // held up between reading the line and sending the signal, the run cannot
  // get through them all first.
  void LinkedPages(int first, int last) {
    for (int i = first; i <= last; ++i) fs::create_hard_link(d() + Name(1) + ".tga", d() + Name(i) + ".tga");
  }
  // bodies[i] is the body of page i + 1.
  void Script(const std::vector<std::string>& bodies) {
    std::string s = "МАНГА(out)\nШРИФТ(fonts/f0, fonts/f1, fonts/f2)\n";
    for (size_t i = 0; i < bodies.size(); ++i)
      s += "%" + Name(static_cast<int>(i) + 1) + "(\n" + bodies[i] + "\n)\n";
    WriteScript(d() + "ch.manga", s + "КОНЕЦ()\n");
  }
  TRun Run(std::vector<std::string> keys = {}) {
    keys.insert(keys.begin(), "ch.manga");
    return RunDrovix(d(), keys);
  }
  std::string d() const { return dir_.Path(); }
  std::string Record() const { return ReadBytes(d() + "ch.ini"); }

  TempFolder dir_;
};

// The crash phrase is chosen at random: cut it out.
std::string WithoutPhrase(std::string text) {
  const size_t at = text.rfind("\n\r\n\r\n\r");
  if (at != std::string::npos) text.erase(at + 6, text.find('\n', at + 6) - at - 6);
  return text;
}

// Output ages are the times of the files each run wrote.
std::string WithoutAges(const std::string& record) {
  return std::regex_replace(record, std::regex("Output file age=-?[0-9]+"), "Output file age=*");
}

// Everything a run leaves: console, record and every file of the folders.
struct TResult {
  std::string console, record;
  std::vector<std::pair<std::string, std::string>> files;
};

TResult Collect(const TRun& run, const std::string& dir) {
  TResult r{WithoutPhrase(run.output), WithoutAges(ReadBytes(dir + "ch.ini")), {}};
  for (const std::string& folder : {dir, dir + "out/"})
    for (const auto& e : fs::directory_iterator(folder))
      if (e.is_regular_file() && e.path().filename() != "ch.ini")
        r.files.emplace_back(e.path().string(), ReadBytes(e.path().string()));
  std::sort(r.files.begin(), r.files.end());
  return r;
}

std::vector<std::string> Temporaries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with(".") || name.ends_with(".tmp") || name.find(".~") != std::string::npos)
      names.push_back(name);
  }
  return names;
}

TEST_F(ParallelChapter, SideBySideShowsAndLeavesWhatOneByOneDoes) {
  Pages(6, 240, 320);
  std::vector<std::string> bodies(6, "(Привет!)");
  Script(bodies);
  TRun first = Run({"-j1"});
  ASSERT_EQ(first.status, 0) << first.output;
  // p01 and p03 stay up to date, p02 and p05 are rebuilt, p04 fails on a
  // missing second balloon (leaving _error.bmp), p06 is never reached.
  for (const char* page : {"p02", "p05"})
    SetFileTime(d() + page + ".tga", FileTime(d() + page + ".tga") - 3600);
  bodies[3] = "(а)\n(б)";
  Script(bodies);
  const std::string snapshot = d().substr(0, d().size() - 1) + "-snapshot";
  ASSERT_EQ(std::system(("cp -a '" + d() + "' '" + snapshot + "'").c_str()), 0);

  std::vector<TResult> results;
  for (const char* key : {"-j1", "-j2", "-J3", "-j"}) {
    SCOPED_TRACE(key);
    fs::remove_all(d());
    ASSERT_EQ(std::system(("cp -a '" + snapshot + "' '" + d() + "'").c_str()), 0);
    const TRun run = Run({key});
    EXPECT_EQ(run.status, 1);
    results.push_back(Collect(run, d()));
    EXPECT_EQ(Temporaries(d()), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(d() + "out"), std::vector<std::string>{});
  }
  fs::remove_all(snapshot);
  const TResult& one = results[0];
  EXPECT_NE(one.console.find("STRANICA: p04\n"), std::string::npos);
  EXPECT_EQ(one.console.find("STRANICA: p05\n"), std::string::npos);
  EXPECT_NE(one.console.find(Shown("Крах при сборке страницы \"" + d() + "p04\"")), std::string::npos)
      << one.console;
  EXPECT_NE(one.record.find("p03]"), std::string::npos);
  EXPECT_TRUE(Exists(d() + "_error.bmp"));
  for (size_t k = 1; k < results.size(); ++k) {
    EXPECT_EQ(results[k].console, one.console) << k;
    EXPECT_EQ(results[k].record, one.record) << k;
    ASSERT_EQ(results[k].files.size(), one.files.size()) << k;
    for (size_t f = 0; f < one.files.size(); ++f) {
      EXPECT_EQ(results[k].files[f].first, one.files[f].first);
      EXPECT_TRUE(results[k].files[f].second == one.files[f].second) << one.files[f].first;
    }
  }
}

// Runs the program in the background; its output is read as it comes.
class TBackgroundRun {
 public:
  TBackgroundRun(const std::string& folder, const std::vector<std::string>& args) {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(fds[1], 1);
      ::dup2(fds[1], 2);
      ::close(fds[0]);
      if (::chdir(folder.c_str()) != 0) ::_exit(99);
      std::vector<char*> argv{const_cast<char*>(DROVIX_BINARY)};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(DROVIX_BINARY, argv.data());
      ::_exit(98);
    }
    ::close(fds[1]);
    out_ = fds[0];
  }
  ~TBackgroundRun() {
    if (out_ >= 0) ::close(out_);
    if (pid_ > 0 && !waited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  // Reads until text has appeared; false at the end of the output.
  bool WaitFor(const std::string& text) {
    char buf[4096];
    while (output_.find(text) == std::string::npos) {
      const ssize_t n = ::read(out_, buf, sizeof buf);
      if (n <= 0) return false;
      output_.append(buf, static_cast<size_t>(n));
    }
    return true;
  }
  void Signal(int signal) { ::kill(pid_, signal); }
  // Reads the rest and returns the exit status (-signal when killed).
  int Finish() {
    WaitFor(std::string(1, '\0'));  // to the end
    int status = 0;
    ::waitpid(pid_, &status, 0);
    waited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  const std::string& Output() const { return output_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  bool waited_ = false;
  std::string output_;
};

// A process id that no process has: a child that has ended.
long DeadPid() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST_F(ParallelChapter, KilledRunKeepsItsFinishedPagesAndTheNextRemovesItsTemporaries) {
  Pages(5, 900, 1200);
  LinkedPages(6, 60);
  for (const char* key : {"-j1", "-j2"}) {
    SCOPED_TRACE(key);
    fs::remove(d() + "ch.ini");
    Script(std::vector<std::string>(60, "(Привет!)"));
    {
      TBackgroundRun run(d(), {"ch.manga", "-x", key});
      // A page's line appears once every page before it is recorded.
      ASSERT_TRUE(run.WaitFor("STRANICA: p03\n")) << run.Output();
      run.Signal(SIGKILL);
      EXPECT_EQ(run.Finish(), -SIGKILL);
    }
    const std::string record = Record();
    EXPECT_NE(record.find(d() + "p01]"), std::string::npos) << record;
    EXPECT_NE(record.find(d() + "p02]"), std::string::npos) << record;
    EXPECT_EQ(record.find(d() + "p60]"), std::string::npos) << record;
    // p03 and later are recorded or not as the kill found them.
    std::vector<bool> recorded;
    for (int i = 1; i <= 5; ++i) recorded.push_back(record.find(d() + Name(i) + "]") != std::string::npos);

    // What killed runs leave: a page and a record being saved, an error page.
    const std::string dead = std::to_string(DeadPid());
    const std::string alive = std::to_string(::getpid());
    const std::vector<std::string> stale = {
        "out/.p03." + dead + ".part.png.~" + dead, "out/.p03." + dead + ".part.~" + dead,
        "out/.p04." + dead + ".part", "_error.bmp.tmp.~" + dead, "ch.ini." + dead + ".0.tmp"};
    const std::vector<std::string> kept = {
        "out/.p03." + alive + ".part.png.~" + alive,  // a run still going on
        "out/.p04." + dead + ".part.png.~" + alive,   // not ours: two different ids
        "notes.~" + dead, "ch.ini." + dead + ".x.tmp"};
    for (const std::string& name : stale) WriteBytes(d() + name, "x");
    for (const std::string& name : kept) WriteBytes(d() + name, "x");

    Script(std::vector<std::string>(5, "(Привет!)"));  // the rerun builds what is left of five pages
    const TRun rerun = Run({"-x", key});
    EXPECT_EQ(rerun.status, 0) << rerun.output;
    for (int i = 1; i <= 5; ++i)
      EXPECT_NE(rerun.output.find("STRANICA: " + Name(i) +
                                  (recorded[i - 1] ? "\n  NEFIG DELAT6." : "\n  gruzhu...")),
                std::string::npos)
          << rerun.output;
    for (const std::string& name : stale) EXPECT_FALSE(Exists(d() + name)) << name;
    for (const std::string& name : kept) {
      EXPECT_TRUE(Exists(d() + name)) << name;
      fs::remove(d() + name);
    }
    EXPECT_EQ(Temporaries(d()), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(d() + "out"), std::vector<std::string>{});
  }
}

TEST_F(ParallelChapter, CtrlCAndSigtermStopAtAStepAndKeepTheFinishedPages) {
  Pages(6, 900, 1200);
  LinkedPages(7, 60);
  Script(std::vector<std::string>(60, "(Привет!)"));
  const struct {
    int signal;
    const char* key;
    int status;
    const char* name;
  } cases[] = {{SIGINT, "-j1", 130, "Ctrl-C"}, {SIGTERM, "-j2", 143, "SIGTERM"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(d() + "ch.ini");
    TBackgroundRun run(d(), {"ch.manga", c.key});
    ASSERT_TRUE(run.WaitFor("STRANICA: p02\n")) << run.Output();
    run.Signal(c.signal);
    EXPECT_EQ(run.Finish(), c.status) << run.Output();
    const std::string note = Shown(std::string("\n\r\n\rСБОРКА ПРЕРВАНА (") + c.name +
                                   "). Готовые страницы записаны, остальные соберутся при следующем "
                                   "запуске.\n");
    EXPECT_TRUE(run.Output().ends_with(note)) << run.Output();
    EXPECT_EQ(run.Output().find("ZHmi ENTER"), std::string::npos);
    const std::string record = Record();
    EXPECT_NE(record.find(d() + "p01]"), std::string::npos) << record;
    EXPECT_EQ(record.find(d() + "p60]"), std::string::npos) << record;
    EXPECT_EQ(Temporaries(d()), std::vector<std::string>{});
    EXPECT_EQ(Temporaries(d() + "out"), std::vector<std::string>{});
  }
}

TEST_F(ParallelChapter, RecordThatCannotBeWrittenIsReportedOnceAfterThePages) {
  Pages(3, 240, 320);
  Script(std::vector<std::string>(3, "(Привет!)"));
  fs::create_directories(d() + "ch.ini");  // nothing can be renamed over a folder
  const TRun run = Run({"-j2", "-x"});
  EXPECT_EQ(run.status, 1);
  const std::string message =
      Shown("Не удалось записать файл \"" + d() + "ch.ini\": на месте файла лежит папка");
  const size_t first = run.output.find(message);
  ASSERT_NE(first, std::string::npos) << run.output;
  EXPECT_EQ(run.output.find(message, first + 1), std::string::npos) << run.output;
  EXPECT_LT(run.output.find("STRANICA: p03"), first);
  for (const char* page : {"p01", "p02", "p03"}) EXPECT_TRUE(Exists(d() + "out/" + page + ".bmp")) << page;
  EXPECT_EQ(Temporaries(d()), std::vector<std::string>{});
}

TEST_F(ParallelChapter, RecordThatCannotBeWrittenIsReportedWithAFailingPage) {
  Pages(2, 240, 320);
  fs::remove(d() + Name(2) + ".tga");  // the second page fails after the first is done
  Script(std::vector<std::string>(2, "(Привет!)"));
  fs::create_directories(d() + "ch.ini");
  for (const char* key : {"-j1", "-j2"}) {
    SCOPED_TRACE(key);
    const TRun run = Run({key, "-x"});
    EXPECT_EQ(run.status, 1);
    const size_t page = run.output.find(Shown("Крах при сборке страницы \"" + d() + "p02\""));
    const size_t record = run.output.find(
        Shown("\n\r\n\rНе удалось записать файл \"" + d() + "ch.ini\": на месте файла лежит папка\n\r"));
    ASSERT_NE(page, std::string::npos) << run.output;
    ASSERT_NE(record, std::string::npos) << run.output;
    EXPECT_LT(page, record);
    EXPECT_EQ(Temporaries(d()), std::vector<std::string>{});
  }
}

TEST_F(ParallelChapter, MalformedParallelKeyIsRefused) {
  Pages(1, 240, 320);
  Script({"(Привет!)"});
  for (const char* key : {"-jx", "-j0", "-J-2"}) {
    const TRun run = Run({key});
    EXPECT_EQ(run.status, 1) << key;
    EXPECT_NE(run.output.find(Shown("Ключ -j не понят")), std::string::npos) << run.output;
    EXPECT_FALSE(Exists(d() + "out/p01.png"));
  }
}

}  // namespace
}  // namespace drovix::program_test
