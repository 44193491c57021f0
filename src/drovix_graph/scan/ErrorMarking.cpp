// Error marking: a failure tied to a place on the page stamps that place with
// a tiled "ERROR" pattern, pales the rest, saves the half-done page as
// "_error.bmp" beside the scans and then raises the failure.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/WriteFailure.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"

namespace drovix {
namespace {

constexpr const char* kErrorPattern[8] = {
    "00000000000000000000000000000000",  //
    "00011110111100111100011001111000",  // E R R O R
    "00010000100010100010100101000100",  //
    "00011100111100111100100101111000",  //
    "00010000101000101000100101010000",  //
    "00011110100100100100011001001000",  //
    "00000000000000000000000000000000",  //
    "00000000000000000000000000000000",  //
};

// Marks every pixel whose value in plane is above threshold: inside(x, y,
// bit) or outside(x, y) is called for each pixel of the page, row by row.
template <class Inside, class Outside>
void ForEachMarked(const TDrovixGraph& page, const TDrovixGraph& plane, int32_t threshold, Inside inside,
                   Outside outside) {
  ConsoleWrite(Ru(".отмечаю область ошибки.."));
  const int32_t h = page.Height();
  const int32_t w = page.Width();
  for (int32_t y = 0; y < h; ++y) {
    // A plane of another size counts as empty where it does not reach.
    const int32_t* region = y < plane.Height() ? plane.RowPtr(y) : nullptr;
    const int32_t regionWidth = region != nullptr ? plane.Width() : 0;
    const char* pattern = kErrorPattern[y % 8];
    for (int32_t x = 0; x < w; ++x) {
      if (x < regionWidth && region[x] > threshold)
        inside(y, x, pattern[x % 32] == '1' ? 1 : 0);
      else
        outside(y, x);
    }
    if (y % 100 == 0) ConsoleWriteRaw(".");
  }
}

}  // namespace

int32_t ErrorPatternBit(int32_t y, int32_t x) { return kErrorPattern[y % 8][x % 32] == '1' ? 1 : 0; }

void TDrovixMangaScan::MarkErrorArea(TDrovixGraph& plane, int32_t threshold) {
  // Black letters on white inside; contrast halved towards middle grey outside.
  ForEachMarked(
      *this, plane, threshold, [this](int32_t y, int32_t x, int32_t bit) { RowPtr(y)[x] = 255 - 255 * bit; },
      [this](int32_t y, int32_t x) {
        int32_t& v = RowPtr(y)[x];
        v = (v - 128) / 2 + 128;
      });
}

void TDrovixColorMangaScan::MarkErrorArea(TDrovixGraph& plane, int32_t threshold) {
  // Blue letters on red inside; every plane washed out towards white outside.
  ForEachMarked(
      *this, plane, threshold,
      [this](int32_t y, int32_t x, int32_t bit) {
        const int32_t blue = 255 * bit;
        RowPtr(y)[x] = blue;
        GreenPlane->RowPtr(y)[x] = 0;
        RedPlane->RowPtr(y)[x] = 255 - blue;
      },
      [this](int32_t y, int32_t x) {
        for (TDrovixGraph* p : {static_cast<TDrovixGraph*>(this), RedPlane.get(), GreenPlane.get()}) {
          int32_t& v = p->RowPtr(y)[x];
          v = v / 2 + 128;
        }
      });
}

void TDrovixMangaScan::ReportError(TDrovixGraph& plane, int32_t threshold, const std::string& message) {
  if (PreviewOnly) {
    // The preview draws the place itself and must leave no file behind.
    ErrorRegion = NewPlane();
    const int32_t h = std::min(Height(), plane.Height());
    const int32_t w = std::min(Width(), plane.Width());
    for (int32_t y = 0; y < h; ++y) {
      const int32_t* from = plane.RowPtr(y);
      int32_t* to = ErrorRegion->RowPtr(y);
      for (int32_t x = 0; x < w; ++x) to[x] = from[x] > threshold ? 1 : 0;
    }
    Raise(message);
  }
  MarkErrorArea(plane, threshold);
  ConsoleWrite(Ru(".сохраняю \"_error.bmp\"..."));

  // Beside the page's scan file. Written under a temporary name and renamed,
  // so an interrupted save never leaves a half-written picture. A page that
  // cannot be saved must not hide the failure being reported: that is
  // raised with one more line saying why the picture is missing.
  const std::filesystem::path folder = std::filesystem::path(FileName).parent_path();
  const std::string target = folder.empty() ? std::string("_error.bmp") : (folder / "_error.bmp").string();
  const std::string temporary = target + ".tmp";
  std::string cause;
  // Pages built side by side: only the first failing page in script order
  // may write it, once every page before it is done.
  ConsoleAwaitTurn();
  try {
    SaveBMP(temporary);
    errno = 0;
    if (std::rename(FileSystemName(temporary).c_str(), FileSystemName(target).c_str()) != 0)
      cause = WriteFailureCause(errno);
  } catch (const EWriteFailure& e) {
    cause = e.Cause();
  } catch (const std::exception& e) {
    cause = e.what();
  }
  if (!cause.empty()) {
    std::remove(FileSystemName(temporary).c_str());
    Raise(message + "\n\r\n\r" +
          Format(Ru("Недоделаный скан с отмеченным местом ошибки сохранить как \"%s\" не удалось: %s."),
                 MessageName(target).c_str(), cause.c_str()));
  }
  ConsoleWriteLine("OK.");

  Raise(message + "\n\r\n\r" +
        Ru("Недоделаный скан с отмеченным местом ошибки был сохранён как _error.bmp\n\r") +
        Ru(" (в ту папку, где лежат исходники сканов)"));
}

}  // namespace drovix
