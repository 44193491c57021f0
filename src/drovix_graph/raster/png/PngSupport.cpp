#include "drovix_graph/raster/png/PngSupport.h"

#include <dlfcn.h>
#include <png.h>

#include <atomic>
#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

#include "driver/console/Console.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/TOutputFile.h"
#include "drovix_graph/raster/Tga.h"
#include "drovix_graph/raster/WriteFailure.h"

// A row of packed colour pixels is handed to libpng as R, G, B, A bytes.
static_assert(std::endian::native == std::endian::little, "packed colour assumes little-endian pixels");

namespace drovix {
namespace {

// The entry points the reader and the writers call, resolved by name.
#define DROVIX_PNG_ENTRIES(X)       \
  X(png_create_read_struct)         \
  X(png_create_write_struct)        \
  X(png_create_info_struct)         \
  X(png_set_read_fn)                \
  X(png_set_write_fn)               \
  X(png_get_io_ptr)                 \
  X(png_read_info)                  \
  X(png_get_image_width)            \
  X(png_get_image_height)           \
  X(png_get_bit_depth)              \
  X(png_get_color_type)             \
  X(png_get_valid)                  \
  X(png_set_palette_to_rgb)         \
  X(png_set_expand_gray_1_2_4_to_8) \
  X(png_set_gray_to_rgb)            \
  X(png_set_strip_16)               \
  X(png_set_filler)                 \
  X(png_set_interlace_handling)     \
  X(png_read_update_info)           \
  X(png_get_rowbytes)               \
  X(png_read_image)                 \
  X(png_destroy_read_struct)        \
  X(png_set_compression_level)      \
  X(png_set_IHDR)                   \
  X(png_write_info)                 \
  X(png_write_image)                \
  X(png_write_end)                  \
  X(png_destroy_write_struct)

struct TLibPng {
#define DROVIX_PNG_POINTER(name) decltype(&::name) name = nullptr;
  DROVIX_PNG_ENTRIES(DROVIX_PNG_POINTER)
#undef DROVIX_PNG_POINTER
  void* handle = nullptr;
  // Set once every entry point is resolved; pages built side by side read
  // the pointers only after seeing it.
  std::atomic<bool> loaded{false};

  TLibPng() = default;
  TLibPng(const TLibPng&) = delete;
  TLibPng& operator=(const TLibPng&) = delete;
  // The library opened during the run is closed when the program ends.
  ~TLibPng() { Close(); }
  void Close() {
    if (handle) ::dlclose(handle);
    handle = nullptr;
    loaded.store(false);
#define DROVIX_PNG_CLEAR(name) name = nullptr;
    DROVIX_PNG_ENTRIES(DROVIX_PNG_CLEAR)
#undef DROVIX_PNG_CLEAR
  }
};

bool g_disabled = false;
std::string g_libFile = kLibPngFile;
TLibPng g_png;
// One page at a time opens the library.
std::mutex g_loadMutex;
// The console says "..loading" once per run, in the first page (in script
// order) that needs the library, however the pages are spread on threads.
constexpr const char* kLoadNotice = "libpng";

// What the libpng callbacks share with the code that called into libpng.
// Every failure inside the library ends in a longjmp back to `jump`, so no
// C++ exception ever passes through libpng's C frames; the code that set the
// jump point then raises the error outside the library.
enum TPngFailure { kNone, kLibraryError, kShortRead, kWriteFailed, kBadLayout };
struct TPngIo {
  std::FILE* in = nullptr;     // reading
  TOutputFile* out = nullptr;  // writing
  std::jmp_buf jump;
  TPngFailure failure = kNone;
  char message[1024] = {};
};

TPngIo* IoOf(png_structp png) { return static_cast<TPngIo*>(g_png.png_get_io_ptr(png)); }

[[noreturn]] void Fail(TPngIo* io, TPngFailure failure) {
  io->failure = failure;
  std::longjmp(io->jump, 1);
}

void OnError(png_structp png, png_const_charp text) {
  TPngIo* io = IoOf(png);
  // Without our stream (only possible while libpng creates a structure)
  // libpng recovers by itself once this handler returns.
  if (io == nullptr) return;
  std::snprintf(io->message, sizeof io->message, "%s", text ? text : "");
  Fail(io, kLibraryError);
}

void OnWarning(png_structp, png_const_charp text) {
  try {
    ConsoleWriteLine("");
    ConsoleWriteLine(Ru("Библиотека LibPng выдала предупреждение: ") + (text ? text : ""));
  } catch (...) {
    // A warning that cannot be shown is dropped; nothing may leave libpng by exception.
  }
}

void OnRead(png_structp png, png_bytep data, size_t n) {
  TPngIo* io = IoOf(png);
  if (std::fread(data, 1, n, io->in) != n) Fail(io, kShortRead);
}

void OnWrite(png_structp png, png_bytep data, size_t n) {
  TPngIo* io = IoOf(png);
  if (!io->out->Write(data, n)) Fail(io, kWriteFailed);
}

void OnFlush(png_structp) {}

std::string LibraryMessage(const TPngIo& io) {
  return Ru("Библиотека libpng передала сообщение об ошибке : ") + io.message;
}

// --- reading ---

// Owns the read structures; frees them however the reading ends.
struct TPngReader {
  TPngIo io;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~TPngReader() {
    if (png) g_png.png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
  }
};

// The functions below set a jump point and call into libpng; they keep no
// objects with destructors, so leaving them by longjmp skips nothing.

bool ReadHeader(TPngReader& r, uint32_t* width, uint32_t* height) {
  if (setjmp(r.io.jump)) return false;
  g_png.png_read_info(r.png, r.info);
  *width = g_png.png_get_image_width(r.png, r.info);
  *height = g_png.png_get_image_height(r.png, r.info);
  return true;
}

// Requests the transformations that turn every pixel into R, G, B, A bytes
// and reads the image into the given rows.
bool ReadRows(TPngReader& r, png_bytep* rows, uint32_t width) {
  if (setjmp(r.io.jump)) return false;
  const int colourType = g_png.png_get_color_type(r.png, r.info);
  const int depth = g_png.png_get_bit_depth(r.png, r.info);
  bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
  if (colourType & PNG_COLOR_MASK_PALETTE) {
    g_png.png_set_palette_to_rgb(r.png);
    alpha = g_png.png_get_valid(r.png, r.info, PNG_INFO_tRNS) != 0;
  } else if ((colourType & PNG_COLOR_MASK_COLOR) == 0) {
    if (depth < 8) g_png.png_set_expand_gray_1_2_4_to_8(r.png);
    g_png.png_set_gray_to_rgb(r.png);
  }
  if (depth == 16) g_png.png_set_strip_16(r.png);
  if (!alpha) g_png.png_set_filler(r.png, 255, PNG_FILLER_AFTER);
  g_png.png_set_interlace_handling(r.png);
  g_png.png_read_update_info(r.png, r.info);
  // The rows are exactly width pixels of 4 bytes: never let libpng write more.
  if (g_png.png_get_rowbytes(r.png, r.info) != static_cast<size_t>(width) * 4) {
    r.io.failure = kBadLayout;
    return false;
  }
  g_png.png_read_image(r.png, rows);
  return true;
}

[[noreturn]] void RaiseReadFailure(const TPngIo& io, const std::string& displayName) {
  if (io.failure == kLibraryError) Raise(LibraryMessage(io));
  if (io.failure == kShortRead)
    Raise(Format(Ru("PNG файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), displayName.c_str()));
  Raise(Format(Ru("Неподдерживаемый формат PNG файла. Не могу прочитать.\n\r(%s)"), displayName.c_str()));
}

// --- writing ---

struct TPngWriter {
  TPngIo io;
  png_structp png = nullptr;
  png_infop info = nullptr;
  ~TPngWriter() {
    if (png) g_png.png_destroy_write_struct(&png, info ? &info : nullptr);
  }
};

bool WriteRows(TPngWriter& w, uint32_t width, uint32_t height, int bitDepth, int colourType,
               png_bytep* rows) {
  if (setjmp(w.io.jump)) return false;
  g_png.png_set_compression_level(w.png, 9);
  g_png.png_set_IHDR(w.png, w.info, width, height, bitDepth, colourType, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  g_png.png_write_info(w.png, w.info);
  g_png.png_write_image(w.png, rows);
  g_png.png_write_end(w.png, nullptr);
  return true;
}

void RequireLibrary() {
  LoadLibPng();
  if (!g_png.loaded.load(std::memory_order_acquire))
    Raise(Ru("Работа с PNG файлами отключена (ключ -x или ЗАПРЕТИТЬ_ПНГ())"));
}

}  // namespace

bool PngDisabled() { return g_disabled; }
void DisablePng() { g_disabled = true; }
bool LibPngLoaded() { return g_png.loaded.load(std::memory_order_acquire); }

void LoadLibPng() {
  if (g_disabled) return;
  ConsoleWriteOnce(kLoadNotice, "..loading " + g_libFile + "...");
  if (g_png.loaded.load(std::memory_order_acquire)) return;
  const std::lock_guard<std::mutex> lock(g_loadMutex);
  if (g_png.loaded.load(std::memory_order_acquire)) return;
  void* handle = ::dlopen(g_libFile.c_str(), RTLD_LAZY);
  if (handle == nullptr) {
    ForgetConsoleNotice(kLoadNotice);  // the next attempt says it again
    Raise(Ru("Не удалось загрузить ") + g_libFile);
  }
  TLibPng& lib = g_png;
  const auto resolve = [&](const char* name, auto& pointer) {
    void* p = ::dlsym(handle, name);
    if (p == nullptr) {
      ::dlclose(handle);
      lib.Close();
      ForgetConsoleNotice(kLoadNotice);
      Raise(Ru("Не удалось загрузить процедуру ") + name + Ru(" из библиотеки ") + g_libFile);
    }
    pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(p);
  };
#define DROVIX_PNG_RESOLVE(name) resolve(#name, lib.name);
  DROVIX_PNG_ENTRIES(DROVIX_PNG_RESOLVE)
#undef DROVIX_PNG_RESOLVE
  lib.handle = handle;
  lib.loaded.store(true, std::memory_order_release);
}

void ReadPNG(TDrovixGraph& raster, std::FILE* stream, const std::string& displayName) {
  auto r = std::make_unique<TPngReader>();
  r->io.in = stream;
  // The version string is that of the headers this file was compiled with:
  // libpng refuses a structure requested for another major.minor series.
  r->png = g_png.png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, &OnWarning);
  if (r->png == nullptr)
    Raise(Ru("Ошибка при обращении к PngLib: не сработала функция png_create_read_struct"));
  g_png.png_set_read_fn(r->png, &r->io, &OnRead);
  r->info = g_png.png_create_info_struct(r->png);
  if (r->info == nullptr)
    Raise(Ru("Ошибка при обращении к PngLib: не сработала функция png_create_info_struct failed"));

  uint32_t width = 0, height = 0;
  if (!ReadHeader(*r, &width, &height)) RaiseReadFailure(r->io, displayName);
  if (height > static_cast<uint32_t>(kMaxPictureSide) || width > static_cast<uint32_t>(kMaxPictureSide))
    Raise(Format(
        Ru("Максимально разрешённый размер картинки - %dx%d,\n\rА у нас тут что?.. %dx%d!\n\r(файл \"%s\")"),
        kMaxPictureSide, kMaxPictureSide, static_cast<int32_t>(width), static_cast<int32_t>(height),
        displayName.c_str()));
  raster.SetSize(static_cast<int32_t>(height), static_cast<int32_t>(width));
  // One row pointer per raster row, at the row's own storage.
  std::vector<png_bytep> rows(height);
  for (uint32_t y = 0; y < height; ++y)
    rows[y] = static_cast<png_bytep>(raster.Row(static_cast<int32_t>(y)).Data());
  if (!ReadRows(*r, rows.data(), width)) RaiseReadFailure(r->io, displayName);
}

void LoadPNG(TDrovixGraph& raster, const std::string& fileName) {
  const std::string path = fileName + ".png";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(FileSystemName(path).c_str(), "rb"),
                                                    &std::fclose);
  if (!f) Raise(Format(Ru("Не удалось открыть файл \"%s\""), MessageName(path).c_str()));
  RequireLibrary();
  ReadPNG(raster, f.get(), MessageName(path));
}

void WritePNG(const std::string& fileName, int32_t width, int32_t height, int32_t bitDepth,
              int32_t colourType, const std::vector<uint8_t>& data, size_t rowBytes,
              const std::string& noWriteStruct, const std::string& noInfoStruct) {
  RequireLibrary();
  const std::string path = fileName + ".png";
  const std::string writeFailed =
      Format(Ru("Упала процедура записи PNG файла \"%s\""), MessageName(path).c_str());
  TOutputFile out(path);
  if (!out.Ok()) RaiseWriteFailure(writeFailed, out.Error());
  auto w = std::make_unique<TPngWriter>();
  w->io.out = &out;
  w->png = g_png.png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, &OnError, &OnWarning);
  if (w->png == nullptr) Raise(noWriteStruct);
  g_png.png_set_write_fn(w->png, &w->io, &OnWrite, &OnFlush);
  w->info = g_png.png_create_info_struct(w->png);
  if (w->info == nullptr) Raise(noInfoStruct);

  std::vector<png_bytep> rows(static_cast<size_t>(height > 0 ? height : 0));
  for (size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(data.data() + y * rowBytes);
  if (!WriteRows(*w, static_cast<uint32_t>(width), static_cast<uint32_t>(height), bitDepth, colourType,
                 rows.data())) {
    if (w->io.failure == kLibraryError) Raise(LibraryMessage(w->io));
    RaiseWriteFailure(writeFailed, out.Error());
  }
  if (!out.Commit()) RaiseWriteFailure(writeFailed, out.Error());
}

void SaveGreyPNG(const TDrovixGraph& raster, const std::string& fileName, int32_t paletteDepth) {
  const int32_t depth = (paletteDepth == 4 || paletteDepth == 2) ? paletteDepth : 8;
  const int32_t shift = depth == 4 ? 4 : (depth == 2 ? 6 : 0);
  const int32_t w = raster.Width(), h = raster.Height();
  const size_t rowBytes = (static_cast<size_t>(w) * static_cast<size_t>(depth) + 7) / 8;
  std::vector<uint8_t> data(rowBytes * static_cast<size_t>(h), 0);
  const int32_t perByte = 8 / depth;
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* p = raster.RowPtr(y);
    uint8_t* out = data.data() + static_cast<size_t>(y) * rowBytes;
    // Leftmost pixel in the highest bits of each byte.
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t v = static_cast<uint32_t>(Clamp(p[x], 0, 255)) >> shift;
      const int32_t slot = perByte - 1 - x % perByte;
      out[x / perByte] = static_cast<uint8_t>(out[x / perByte] | (v << (slot * depth)));
    }
  }
  WritePNG(fileName, w, h, depth, kPngColourGrey, data, rowBytes,
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_write_struct"),
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_info_struct"));
}

void SetPngDisabledForTesting(bool disabled) { g_disabled = disabled; }

void SetLibPngFileForTesting(const std::string& file) {
  g_png.Close();
  ForgetConsoleNotice(kLoadNotice);
  g_libFile = file;
}

}  // namespace drovix
