// The build record: a small key-value file in the common INI layout
// ("[section]" lines, each followed by "key=value" lines) that remembers,
// per page, what its last build was made from. The whole file is held in
// memory; sections and keys keep the order in which they first appeared.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace drovix {

class TBuildRecord {
 public:
  // Reads fileName when it exists; an absent or unreadable file reads as an
  // empty record. Nothing is written until Save.
  explicit TBuildRecord(std::string fileName);
  // An empty record in memory, without a file (a page's own section while
  // the page is built).
  TBuildRecord() = default;

  const std::string& FileName() const { return fileName_; }

  // Parses INI text into the record, replacing what it held. Damaged text
  // reads as far as it makes sense: lines before the first section, lines
  // without '=' and section lines without a closing ']' are skipped; of
  // repeated keys the first one counts. Never raises on any input.
  void LoadFromText(const std::string& text);
  // The record in INI layout, LF line ends.
  std::string AsText() const;

  // The stored value, or defaultValue when the section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const;
  // The stored value read as a decimal integer (blanks around it allowed),
  // or defaultValue when missing or not an integer in 32-bit range.
  int32_t ReadInteger(const std::string& section, const std::string& key, int32_t defaultValue) const;
  // Adds the section and the key when missing.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int32_t value);
  // Writes every key of from's section into this record's section of the
  // same name, in from's order. True when that added or changed anything.
  bool CopySection(const TBuildRecord& from, const std::string& section);

  // Writes the whole record to a temporary file in the same folder and
  // renames it over FileName(), so a crash or a full disk never leaves a
  // truncated record. Raises EWriteFailure (naming the file and the cause)
  // when the file cannot be written; the old file is then left as it was.
  void Save() const;

 private:
  struct Entry {
    std::string key;
    std::string value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, size_t> keys;  // key to its index in entries
  };
  const Section* FindSection(const std::string& name) const;
  Section& GetSection(const std::string& name);

  std::string fileName_;
  std::vector<Section> sections_;
  // Section name to its index in sections_: records of many pages (or a
  // damaged one with a great many headers) read in linear time.
  std::unordered_map<std::string, size_t> index_;
};

}  // namespace drovix
