#include "drovix_graph/raster/TOutputFile.h"

#include <unistd.h>

#include <cstdio>
#include <utility>

#include "drovix_graph/raster/FileSystemName.h"

namespace drovix {

TOutputFile::TOutputFile(std::string path) : path_(FileSystemName(path)) {
  temp_ = path_ + ".~" + std::to_string(static_cast<long>(::getpid()));
  f_ = std::fopen(temp_.c_str(), "wb");
}

TOutputFile::~TOutputFile() {
  if (f_) std::fclose(f_);
  if (!committed_) std::remove(temp_.c_str());
}

bool TOutputFile::Write(const void* data, size_t n) {
  if (!Ok()) return false;
  if (n > 0 && std::fwrite(data, 1, n, f_) != n) failed_ = true;
  return !failed_;
}

bool TOutputFile::Commit() {
  if (!Ok()) return false;
  const bool flushed = std::fflush(f_) == 0 && !std::ferror(f_);
  const bool closed = std::fclose(f_) == 0;
  f_ = nullptr;
  if (!flushed || !closed) {
    failed_ = true;
    return false;
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    failed_ = true;
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace drovix
