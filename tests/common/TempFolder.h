// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes: the working folder of the tests and
// benchmarks that write files. Plain C++ and POSIX, no test framework.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace drovix::test_common {

class TTempFolder {
 public:
  // The folder's name starts with prefix; Dir() is empty when it could not
  // be made.
  explicit TTempFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~TTempFolder() {
    if (dir_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  // Absolute, without a closing '/'.
  const std::string& Dir() const { return dir_; }
  // Absolute, ending in '/'.
  std::string Slashed() const { return dir_ + "/"; }
  std::string File(const std::string& name) const { return dir_ + "/" + name; }

 private:
  std::string dir_;
};

}  // namespace drovix::test_common
