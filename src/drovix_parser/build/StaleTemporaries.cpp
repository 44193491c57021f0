#include "drovix_parser/build/StaleTemporaries.h"

#include <signal.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <set>
#include <system_error>

#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_parser/script/ScriptPaths.h"
#include "drovix_parser/script/TDrovixManga.h"
#include "drovix_parser/script/TDrovixMangaPage.h"

namespace drovix {
namespace {

// A decimal process id, 1 .. INT_MAX, or 0.
long ParsePid(const std::string& digits) {
  if (digits.empty() || digits.size() > 10 || digits[0] == '0') return 0;
  long long v = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');
  }
  return v <= INT_MAX ? static_cast<long>(v) : 0;
}

bool CutSuffix(std::string& s, const std::string& suffix) {
  if (!s.ends_with(suffix)) return false;
  s.resize(s.size() - suffix.size());
  return true;
}

// Cuts ".~<pid>" (the suffix of a file being written) and returns the pid;
// 0 and s unchanged when there is none.
long CutWriterSuffix(std::string& s) {
  const size_t at = s.rfind(".~");
  if (at == std::string::npos) return 0;
  const long pid = ParsePid(s.substr(at + 2));
  if (pid != 0) s.resize(at);
  return pid;
}

// ".<page>.<pid>.part", then optionally ".png", then optionally ".~<pid>".
long OutputOwner(std::string s) {
  const long writer = CutWriterSuffix(s);
  CutSuffix(s, ".png");
  if (!CutSuffix(s, ".part")) return 0;
  const size_t dot = s.rfind('.');
  if (dot == std::string::npos || dot < 2 || s[0] != '.') return 0;  // the page name is not empty
  const long pid = ParsePid(s.substr(dot + 1));
  if (pid == 0 || (writer != 0 && writer != pid)) return 0;
  return pid;
}

// "_error.bmp.~<pid>" or "_error.bmp.tmp.~<pid>".
long ErrorPageOwner(std::string s) {
  const long pid = CutWriterSuffix(s);
  if (pid == 0) return 0;
  CutSuffix(s, ".tmp");
  return s == "_error.bmp" ? pid : 0;
}

// "<record>.<pid>.<attempt>.tmp".
long RecordOwner(std::string s, const std::string& recordName) {
  if (recordName.empty() || !s.starts_with(recordName + ".") || !CutSuffix(s, ".tmp")) return 0;
  s = s.substr(recordName.size() + 1);
  const size_t dot = s.find('.');
  if (dot == std::string::npos) return 0;
  const std::string attempt = s.substr(dot + 1);
  if (attempt.empty() || attempt.size() > 3 || attempt.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  return ParsePid(s.substr(0, dot));
}

void RemoveIn(const std::string& folder, TTemporaryPlace place, const std::string& recordName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(folder.empty() ? std::string(".") : FileSystemName(folder), ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    const long pid = TemporaryOwner(it->path().filename().string(), place, recordName);
    if (pid == 0 || ProcessExists(pid)) continue;
    std::error_code removeError;
    fs::remove(it->path(), removeError);
  }
}

}  // namespace

long TemporaryOwner(const std::string& name, TTemporaryPlace place, const std::string& recordName) {
  switch (place) {
    case TTemporaryPlace::OutputFolder:
      return OutputOwner(name);
    case TTemporaryPlace::ScanFolder:
      return ErrorPageOwner(name);
    case TTemporaryPlace::ScriptFolder:
      return RecordOwner(name, recordName);
  }
  return 0;
}

bool ProcessExists(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void RemoveStaleTemporaries(const TDrovixManga& manga) {
  try {
    RemoveIn(manga.OutputFolder, TTemporaryPlace::OutputFolder, std::string());
    std::set<std::string> scanFolders;
    for (const auto& page : manga.Pages)
      if (page) scanFolders.insert(ExtractFilePath(page->BasePath));
    for (const std::string& folder : scanFolders)
      RemoveIn(folder, TTemporaryPlace::ScanFolder, std::string());
    if (manga.BuildRecord) {
      // Compared with the names as the file system spells them.
      const std::string record = FileSystemName(manga.BuildRecord->FileName());
      RemoveIn(ExtractFilePath(record), TTemporaryPlace::ScriptFolder, ExtractFileNamePart(record));
    }
  } catch (...) {
    // Tidying up must never stop a build.
  }
}

}  // namespace drovix
