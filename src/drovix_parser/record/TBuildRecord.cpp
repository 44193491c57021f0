#include "drovix_parser/record/TBuildRecord.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

#include "cl_Classes/NumberReader.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/WriteFailure.h"

namespace drovix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Writes all of data to fd; false on any failure (a full disk included).
bool WriteAll(int fd, const std::string& data) {
  const char* p = data.data();
  size_t left = data.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

TBuildRecord::TBuildRecord(std::string fileName) : fileName_(std::move(fileName)) {
  struct stat st {};
  const std::string onDisk = FileSystemName(fileName_);
  if (::stat(onDisk.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  std::ifstream in(onDisk, std::ios::binary);
  if (!in) return;
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadFromText(text);
}

void TBuildRecord::LoadFromText(const std::string& text) {
  sections_.clear();
  index_.clear();
  Section* current = nullptr;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;

    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first < line.size() && line[first] == '[') {
      // Section names are paths and may hold ']' themselves: the name runs to
      // the last ']' of the line.
      const size_t close = line.rfind(']');
      if (close == first || close == std::string::npos) {
        current = nullptr;  // unreadable header: its keys are skipped too
        continue;
      }
      current = &GetSection(line.substr(first + 1, close - first - 1));
      continue;
    }
    if (current == nullptr) continue;
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = TrimBlanks(line.substr(0, eq));
    if (key.empty()) continue;
    if (current->keys.emplace(key, current->entries.size()).second)
      current->entries.push_back({key, line.substr(eq + 1)});
  }
}

std::string TBuildRecord::AsText() const {
  std::string out;
  for (const Section& s : sections_) {
    out += '[';
    out += s.name;
    out += "]\n";
    for (const Entry& e : s.entries) {
      out += e.key;
      out += '=';
      out += e.value;
      out += '\n';
    }
  }
  return out;
}

const TBuildRecord::Section* TBuildRecord::FindSection(const std::string& name) const {
  const auto it = index_.find(name);
  return it == index_.end() ? nullptr : &sections_[it->second];
}

TBuildRecord::Section& TBuildRecord::GetSection(const std::string& name) {
  const auto [it, added] = index_.emplace(name, sections_.size());
  if (added) sections_.push_back(Section{name, {}, {}});
  return sections_[it->second];
}

std::string TBuildRecord::ReadString(const std::string& section, const std::string& key,
                                     const std::string& defaultValue) const {
  const Section* s = FindSection(section);
  if (s == nullptr) return defaultValue;
  const auto it = s->keys.find(key);
  return it == s->keys.end() ? defaultValue : s->entries[it->second].value;
}

int32_t TBuildRecord::ReadInteger(const std::string& section, const std::string& key,
                                  int32_t defaultValue) const {
  const std::string text = TrimBlanks(ReadString(section, key, std::string()));
  // Besides blanks, the other white space of the C locale may lead the
  // number; one sign at most ("+-5" is no number here).
  std::string_view number = text;
  while (!number.empty() && std::string_view(" \t\n\v\f\r").find(number.front()) != std::string_view::npos)
    number.remove_prefix(1);
  int64_t v = 0;
  if (number.starts_with("+-") || !ReadDecimalInteger(number, v) || v < INT32_MIN || v > INT32_MAX)
    return defaultValue;
  return static_cast<int32_t>(v);
}

void TBuildRecord::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  Section& s = GetSection(section);
  const auto [it, added] = s.keys.emplace(key, s.entries.size());
  if (added)
    s.entries.push_back({key, value});
  else
    s.entries[it->second].value = value;
}

void TBuildRecord::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

bool TBuildRecord::CopySection(const TBuildRecord& from, const std::string& section) {
  const Section* source = from.FindSection(section);
  if (source == nullptr) return false;
  bool changed = false;
  for (const Entry& e : source->entries) {
    Section& s = GetSection(section);
    const auto [it, added] = s.keys.emplace(e.key, s.entries.size());
    if (added) {
      s.entries.push_back(e);
      changed = true;
    } else if (s.entries[it->second].value != e.value) {
      s.entries[it->second].value = e.value;
      changed = true;
    }
  }
  return changed;
}

void TBuildRecord::Save() const {
  const std::string text = AsText();
  const std::string failure = Format(Ru("Не удалось записать файл \"%s\""), MessageName(fileName_).c_str());
  const std::string onDisk = FileSystemName(fileName_);
  // A name of our own beside the record; O_EXCL never reuses a stranger's file.
  std::string tempName;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempName = onDisk + "." + std::to_string(::getpid()) + "." + std::to_string(attempt) + ".tmp";
    fd = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) RaiseWriteFailure(failure, errno);
  // The first failing step names the cause.
  int error = 0;
  if (!WriteAll(fd, text)) error = errno;
  if (::fsync(fd) != 0 && error == 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(tempName.c_str(), onDisk.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(tempName.c_str());
    RaiseWriteFailure(failure, error);
  }
}

}  // namespace drovix
