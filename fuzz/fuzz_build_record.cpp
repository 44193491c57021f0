// libFuzzer target for the build record. Two halves of the input:
//  - any bytes read as a record file: reading never fails, and a record
//    written out and read back reads the same (the text is stable after one
//    pass);
//  - the rest as a list of writes (section, key, value): written through the
//    record's own Save into a file and read back by a new record, every
//    value written comes back unchanged whenever the record's text can hold
//    it (no line break anywhere, no '=' in a key).
// Any mismatch aborts, which libFuzzer reports as a finding.
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DDROVIX_FUZZ=ON -DDROVIX_TESTS=OFF
//   cmake --build build-fuzz --target fuzz_build_record && build-fuzz/fuzz/fuzz_build_record
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

#include "FuzzUtil.h"
#include "driver/console/Error.h"
#include "drovix_parser/record/TBuildRecord.h"

namespace {

// The keys the program writes, and one that needs trimming on reading.
const char* const kKeys[] = {"Output file age", "Summary", "Quality", "SmartSmear summary", "x"};

bool Storable(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }

// Pieces of the input separated by byte 0xFF.
std::string NextPiece(const uint8_t*& p, const uint8_t* end) {
  std::string s;
  while (p < end && *p != 0xFF) s.push_back(static_cast<char>(*p++));
  if (p < end) ++p;
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t split = size > 0 ? std::min<size_t>(data[0], size - 1) * size / 256 : 0;
  const std::string text(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), split);

  // Reading any text, then a second pass over what the first one wrote.
  drovix::TBuildRecord damaged("");
  damaged.LoadFromText(text);
  const std::string once = damaged.AsText();
  drovix::TBuildRecord again("");
  again.LoadFromText(once);
  if (again.AsText() != once) std::abort();
  (void)damaged.ReadInteger(std::string(), "Quality", -1);

  // Writes, saved and read back from the file.
  const std::string file = drovix_fuzz::Folder() + "record.ini";
  std::remove(file.c_str());
  drovix::TBuildRecord record(file);
  std::map<std::pair<std::string, std::string>, std::string> written;
  bool storable = true;
  const uint8_t* p = data + (size > 0 ? 1 : 0) + split;
  const uint8_t* end = data + size;
  while (p < end) {
    const std::string key = kKeys[*p++ % 5];
    const std::string section = NextPiece(p, end);
    const std::string value = NextPiece(p, end);
    storable = storable && Storable(section) && Storable(value);
    record.WriteString(section, key, value);
    written[{section, key}] = value;
    if (record.ReadString(section, key, "?") != value) std::abort();
  }
  try {
    record.Save();
  } catch (const drovix::EDrovixError&) {
    std::abort();  // the folder is ours and writable
  }
  const drovix::TBuildRecord read(file);
  if (storable) {
    for (const auto& [where, value] : written)
      if (read.ReadString(where.first, where.second, "\x01missing") != value) std::abort();
    if (read.AsText() != record.AsText()) std::abort();
  }
  return 0;
}
