#include "drovix_graph/raster/Tga.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "driver/console/MessageName.h"
#include "drovix_graph/raster/FileSystemName.h"
#include "drovix_graph/raster/PictureSize.h"
#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {
namespace {

constexpr uint8_t kUncompressed[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
constexpr uint8_t kRunLength[12] = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};

// Buffered reading from a stream that tolerates a short file: Read returns
// how many bytes were actually there.
class TByteInput {
 public:
  TByteInput(std::FILE* f, const std::string& name) : f_(f), name_(name), buf_(64 * 1024) {}

  size_t Read(uint8_t* dst, size_t n) {
    size_t got = 0;
    while (got < n) {
      if (pos_ == len_ && !Refill()) break;
      const size_t k = std::min(n - got, len_ - pos_);
      std::memcpy(dst + got, buf_.data() + pos_, k);
      pos_ += k;
      got += k;
    }
    return got;
  }

 private:
  bool Refill() {
    if (eof_) return false;
    len_ = std::fread(buf_.data(), 1, buf_.size(), f_);
    pos_ = 0;
    if (len_ == 0) {
      if (std::ferror(f_)) Raise(Format(Ru("Не удалось прочитать файл \"%s\""), name_.c_str()));
      eof_ = true;
      return false;
    }
    return true;
  }

  std::FILE* f_;
  const std::string& name_;
  std::vector<uint8_t> buf_;
  size_t pos_ = 0, len_ = 0;
  bool eof_ = false;
};

inline int32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  return static_cast<int32_t>(r | (g << 8) | (b << 16) | (a << 24));
}

std::string Supported() {
  return Ru("\n\rПоддерживаются только 24-х 32-х битные TGA (как со сжатием, так и без)");
}

void ReadUncompressed(TDrovixGraph& raster, TByteInput& in, int32_t w, int32_t h, int32_t bpp) {
  std::vector<uint8_t> line(static_cast<size_t>(w) * bpp);
  for (int32_t r = 0; r < h; ++r) {
    const size_t got = in.Read(line.data(), line.size());
    std::fill(line.begin() + static_cast<std::ptrdiff_t>(got), line.end(), 0);  // missing data is black
    int32_t* dst = raster.RowPtr(h - 1 - r);
    const uint8_t* p = line.data();
    for (int32_t x = 0; x < w; ++x, p += bpp) dst[x] = Pack(p[2], p[1], p[0], 255);
  }
}

void ReadRunLength(TDrovixGraph& raster, TByteInput& in, int32_t w, int32_t h, int32_t bpp,
                   const std::string& name) {
  const int64_t total = static_cast<int64_t>(w) * h;
  int64_t count = 0;
  int32_t x = 0, y = h - 1;
  int32_t* row = raster.RowPtr(y);
  uint8_t px[4] = {0, 0, 0, 0};
  auto pixel = [&] { return Pack(px[2], px[1], px[0], bpp == 4 ? px[3] : 255u); };
  auto put = [&](int32_t v) {
    row[x] = v;
    if (++x == w) {
      x = 0;
      if (--y >= 0) row = raster.RowPtr(y);
    }
  };
  // A stream that ends before the picture is full is a cut file. Completing
  // it would make a page of whatever pixel came last (often a transparent
  // one, which the cleaning would then refill for the whole page).
  const auto readPixel = [&] {
    if (in.Read(px, static_cast<size_t>(bpp)) != static_cast<size_t>(bpp))
      Raise(Format(Ru("TGA файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), name.c_str()));
  };
  while (count < total) {
    uint8_t header = 0;
    if (in.Read(&header, 1) == 0)
      Raise(Format(Ru("TGA файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), name.c_str()));
    if (header < 128) {
      const int64_t n = header + 1;
      if (count + n > total) Raise(Format(Ru("TGA файл повреждён. Не могу прочитать. (%s)"), name.c_str()));
      for (int64_t k = 0; k < n; ++k) {
        readPixel();
        put(pixel());
      }
      count += n;
    } else {
      const int64_t n = header - 127;
      if (count + n > total) Raise(Format(Ru("TGA файл повреждён. Не могу прочитать.  (%s)"), name.c_str()));
      readPixel();
      const int32_t v = pixel();
      for (int64_t k = 0; k < n; ++k) put(v);
      count += n;
    }
  }
}

}  // namespace

void ReadTGA(TDrovixGraph& raster, std::FILE* stream, const std::string& name) {
  TByteInput in(stream, name);
  uint8_t head[18] = {};  // absent header bytes count as 0
  in.Read(head, 12);
  bool runLength;
  if (std::memcmp(head, kUncompressed, 12) == 0) {
    runLength = false;
  } else if (std::memcmp(head, kRunLength, 12) == 0) {
    runLength = true;
  } else {
    Raise(Format(Ru("Неподдерживаемый формат, или заголовок TGA файла повреждён. Не могу прочитать.\n\r(%s)"),
                 name.c_str()) +
          Supported());
  }
  in.Read(head + 12, 6);
  const TPictureSize size = TgaHeaderSize(head);
  const auto w = static_cast<int32_t>(size.Width);
  const auto h = static_cast<int32_t>(size.Height);
  const int32_t bits = head[16];
  if (w == 0 || h == 0 || (bits != 24 && bits != 32))
    Raise(Format(Ru("Неподдерживаемый формат TGA файла. Не могу прочитать.\n\r(%s)"), name.c_str()) +
          Supported());
  if (h > kMaxPictureSide || w > kMaxPictureSide)
    Raise(Format(
        Ru("Максимально разрешённый размер картинки - %dx%d,\n\rА у нас тут что?.. %dx%d!\n\r(файл \"%s\")"),
        kMaxPictureSide, kMaxPictureSide, w, h, name.c_str()));
  raster.SetSize(h, w);
  const int32_t bpp = bits / 8;
  if (runLength)
    ReadRunLength(raster, in, w, h, bpp, name);
  else
    ReadUncompressed(raster, in, w, h, bpp);
}

void LoadTGA(TDrovixGraph& raster, const std::string& fileName) {
  const std::string path = fileName + ".tga";
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(FileSystemName(path).c_str(), "rb"),
                                                    &std::fclose);
  if (!f) Raise(Format(Ru("Не удалось открыть файл \"%s\""), MessageName(path).c_str()));
  ReadTGA(raster, f.get(), MessageName(fileName));
}

}  // namespace drovix
