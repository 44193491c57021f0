// Temporary folders and scripts for the script-object tests.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "common/TempFolder.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"

namespace drovix::testing {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder : public test_common::TTempFolder {
 public:
  TempFolder() : TTempFolder("drovix-h1b") { EXPECT_FALSE(Dir().empty()); }
  // Absolute, ending in '/'.
  std::string Path() const { return Slashed(); }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The message of the EDrovixError that f raises ("" when it raises nothing).
inline std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EDrovixError& e) {
    return e.what();
  }
  return std::string();
}

}  // namespace drovix::testing
