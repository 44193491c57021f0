// Whole-program tests: temporary folders, scans and font sheets made on the
// spot, and runs of the built program with its console output.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "common/RunCommand.h"
#include "common/TempFolder.h"
#include "common/TgaFile.h"
#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"

namespace drovix::program_test {

class TempFolder : public test_common::TTempFolder {
 public:
  TempFolder() : TTempFolder("drovix-prog") { EXPECT_FALSE(Dir().empty()); }
  // Absolute, ending in '/'.
  std::string Path() const { return Slashed(); }
};

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  test_common::WriteFileBytes(path, bytes);
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Sets a file's modification time (seconds since the epoch).
inline void SetFileTime(const std::string& path, time_t seconds) {
  struct timeval times[2] = {{seconds, 0}, {seconds, 0}};
  ::utimes(path.c_str(), times);
}

inline time_t FileTime(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mtime;
}

// A 32-bit picture (R, G, B, A), written as an uncompressed TGA.
class TPicture {
 public:
  TPicture(int32_t width, int32_t height, uint8_t grey = 255)
      : w_(width), h_(height), px_(static_cast<size_t>(width) * height * 4) {
    Rect(0, height - 1, 0, width - 1, grey, grey, grey);
  }
  // Rows top..bottom, columns left..right, inclusive.
  void Rect(int32_t top, int32_t bottom, int32_t left, int32_t right, uint8_t r, uint8_t g, uint8_t b,
            uint8_t a = 255) {
    for (int32_t y = top; y <= bottom; ++y)
      for (int32_t x = left; x <= right; ++x) {
        uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
        p[0] = r;
        p[1] = g;
        p[2] = b;
        p[3] = a;
      }
  }
  void Grey(int32_t top, int32_t bottom, int32_t left, int32_t right, uint8_t v) {
    Rect(top, bottom, left, right, v, v, v);
  }
  // "<base>.tga", 32 bits, run-length encoded (the form that keeps alpha),
  // in raw packets of up to 128 pixels.
  void SaveTga(const std::string& base) const {
    WriteBytes(base + ".tga",
               test_common::TgaBytes(w_, h_, test_common::TTgaForm::kRle32Runs, [this](int32_t x, int32_t y) {
                 const uint8_t* p = &px_[(static_cast<size_t>(y) * w_ + x) * 4];
                 return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
               }));
  }

 private:
  int32_t w_, h_;
  std::vector<uint8_t> px_;
};

// A 512 x 512 font sheet: every letter and digit a solid bar in its cell.
inline void SaveFontSheet(const std::string& base, int32_t inkBottom = 25) {
  TPicture sheet(512, 512);
  const auto bar = [&](int code, int32_t top, int32_t bottom, int32_t width) {
    const int32_t y0 = 32 * (code / 16), x0 = 32 * (code % 16);
    sheet.Grey(y0 + top, y0 + bottom, x0, x0 + width - 1, 0);
  };
  for (int code = 192; code < 256; ++code) bar(code, 6, inkBottom, 10);
  bar(168, 6, inkBottom, 10);
  bar(184, 6, inkBottom, 10);
  bar(222, 6, inkBottom, 20);  // Ю sets the font's height
  bar('-', 15, 16, 6);
  bar('!', 6, inkBottom, 3);
  for (int code = '0'; code <= '9'; ++code) bar(code, 6, inkBottom, 8);
  for (int code = 'A'; code <= 'Z'; ++code) bar(code, 6, inkBottom, 8);
  for (int code = 'a'; code <= 'z'; ++code) bar(code, 6, inkBottom, 8);
  sheet.SaveTga(base);
}

// The output folder "out" and the three font sheets fonts/f0 .. f2 (ink down
// to rows 25, 23 and 21) that the test chapters name.
inline void SaveChapterBasics(const std::string& folder) {
  std::filesystem::create_directories(folder + "out");
  SaveFontSheet(folder + "fonts/f0", 25);
  SaveFontSheet(folder + "fonts/f1", 23);
  SaveFontSheet(folder + "fonts/f2", 21);
}

// The console text is transliterated, as the program wrote it.
using TRun = TCommandResult;

// Runs the program with the arguments (each passed as one word) in folder,
// standard input empty. prefix is put before the program in the shell
// command (a limit, or a change of user).
inline TRun RunDrovix(const std::string& folder, const std::vector<std::string>& args,
                      const std::string& prefix = "") {
  std::string command = "cd '" + folder + "' && " + prefix + "'" DROVIX_BINARY "'";
  for (const std::string& a : args) command += " '" + a + "'";
  return RunCommand(command + " </dev/null 2>&1");
}

// The console form of a message written as UTF-8 source text.
inline std::string Shown(const std::string& utf8) { return Transliterate(Ru(utf8)); }

// Writes a script (UTF-8 source text, saved in Windows-1251).
inline void WriteScript(const std::string& path, const std::string& utf8) { WriteBytes(path, Ru(utf8)); }

}  // namespace drovix::program_test
