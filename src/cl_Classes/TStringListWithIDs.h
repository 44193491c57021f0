// A list of text lines, each carrying a 32-bit ID (the script's line number).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drovix {

class TStringListWithIDs {
 public:
  virtual ~TStringListWithIDs() = default;

  int32_t Count() const { return static_cast<int32_t>(lines_.size()); }
  const std::string& Strings(int32_t i) const { return lines_[static_cast<size_t>(i)]; }
  std::string& Strings(int32_t i) { return lines_[static_cast<size_t>(i)]; }
  void Add(std::string line, int32_t id) {
    lines_.push_back(std::move(line));
    ids_.push_back(id);
  }
  void Delete(int32_t i) {
    lines_.erase(lines_.begin() + i);
    ids_.erase(ids_.begin() + i);
  }
  void Clear() {
    lines_.clear();
    ids_.clear();
  }
  // An index beyond the last line reads (or writes) the last line's ID.
  int32_t GetID(int32_t i) const;
  void SetID(int32_t i, int32_t id);
  // All lines joined with one blank, then trimmed of bytes 0..32.
  std::string AsOneLine() const;

 private:
  std::vector<std::string> lines_;
  std::vector<int32_t> ids_;
};

}  // namespace drovix
