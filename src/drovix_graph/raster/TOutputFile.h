// A file the user keeps (an output page, an error page), written under a
// temporary name in the same folder and renamed over its real name only once
// it is complete, so that a failed write never leaves a truncated file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace drovix {

class TOutputFile {
 public:
  // Creates the temporary file; Ok() tells whether that worked.
  explicit TOutputFile(std::string path);
  // Removes the temporary file unless Commit succeeded.
  ~TOutputFile();
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  bool Ok() const { return f_ != nullptr && !failed_; }
  // Writes all n bytes; false (and Ok() false from then on) on failure.
  bool Write(const void* data, size_t n);
  // Flushes, closes and renames over the real name; false on any failure.
  bool Commit();
  // The errno of the first failure (0 while there was none, or when the
  // system gave no reason).
  int Error() const { return error_; }

 private:
  std::string path_;
  std::string temp_;
  std::FILE* f_ = nullptr;
  bool failed_ = false;
  bool committed_ = false;
  int error_ = 0;

  // Marks the file failed, keeping the errno of the first failure.
  void Fail(int error);
};

}  // namespace drovix
