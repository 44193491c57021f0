#include "drovix_graph/raster/TOutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "drovix_graph/raster/FileSystemName.h"

namespace drovix {

TOutputFile::TOutputFile(std::string path) : path_(FileSystemName(path)) {
  temp_ = path_ + ".~" + std::to_string(static_cast<long>(::getpid()));
  errno = 0;
  f_ = std::fopen(temp_.c_str(), "wb");
  if (f_ == nullptr) error_ = errno;
}

TOutputFile::~TOutputFile() {
  if (f_) std::fclose(f_);
  if (!committed_) std::remove(temp_.c_str());
}

void TOutputFile::Fail(int error) {
  if (!failed_ && error_ == 0) error_ = error;
  failed_ = true;
}

bool TOutputFile::Write(const void* data, size_t n) {
  if (!Ok()) return false;
  errno = 0;
  if (n > 0 && std::fwrite(data, 1, n, f_) != n) Fail(errno);
  return !failed_;
}

bool TOutputFile::Commit() {
  if (!Ok()) return false;
  errno = 0;
  const bool flushed = std::fflush(f_) == 0 && !std::ferror(f_);
  const int flushError = errno;
  errno = 0;
  const bool closed = std::fclose(f_) == 0;
  const int closeError = errno;
  f_ = nullptr;
  if (!flushed || !closed) {
    Fail(!flushed ? flushError : closeError);
    return false;
  }
  errno = 0;
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    Fail(errno);
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace drovix
