// TGA input: both templates, 24 and 32 bits, packets, short and corrupt files.
#include <gtest/gtest.h>

#include <algorithm>

#include "RasterTestUtil.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/Tga.h"

namespace drovix {
namespace {

using test::TTempDir;
using test::WriteBytes;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t kOpaque = 0xFF000000u;

Bytes Header(uint8_t type, int w, int h, uint8_t bits) {
  return {0,
          0,
          type,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          static_cast<uint8_t>(w),
          static_cast<uint8_t>(w >> 8),
          static_cast<uint8_t>(h),
          static_cast<uint8_t>(h >> 8),
          bits,
          0x20};
}
Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
uint32_t Px(const TDrovixGraph& g, int y, int x) { return static_cast<uint32_t>(g.Pixel(y, x)); }

class TgaTest : public ::testing::Test {
 protected:
  // Writes bytes as <dir>/pic.tga and loads it.
  void Load(const Bytes& bytes) {
    WriteBytes(dir.File("pic.tga"), bytes);
    LoadTGA(g, Base());
  }
  std::string Base() const { return dir.File("pic"); }
  // The message LoadTGA raises for bytes.
  std::string Error(const Bytes& bytes) {
    WriteBytes(dir.File("pic.tga"), bytes);
    try {
      TDrovixGraph fresh;
      LoadTGA(fresh, Base());
    } catch (const EDrovixError& e) {
      return e.what();
    }
    return "(no error)";
  }
  std::string Unsupported(const char* first) {
    return Ru(first) + "\n\r(" + Base() + ")" +
           Ru("\n\rПоддерживаются только 24-х 32-х битные TGA (как со сжатием, так и без)");
  }
  TTempDir dir;
  TDrovixGraph g;
};

TEST_F(TgaTest, UncompressedRowsRunBottomUp) {
  // 3 x 2, 24 bits: file row 0 is the picture's bottom row.
  Load(Header(2, 3, 2, 24) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
  ASSERT_EQ(g.Height(), 2);
  ASSERT_EQ(g.Width(), 3);
  EXPECT_EQ(Px(g, 1, 0), kOpaque | 0x010203u);  // B=1 G=2 R=3
  EXPECT_EQ(Px(g, 1, 2), kOpaque | 0x070809u);
  EXPECT_EQ(Px(g, 0, 0), kOpaque | 0x0A0B0Cu);
  EXPECT_EQ(Px(g, 0, 2), kOpaque | 0x101112u);
}

TEST_F(TgaTest, Uncompressed32BitsTakesFourBytesAndIgnoresAlpha) {
  Load(Header(2, 2, 1, 32) + Bytes{1, 2, 3, 0, 4, 5, 6, 7});
  EXPECT_EQ(Px(g, 0, 0), kOpaque | 0x010203u);
  EXPECT_EQ(Px(g, 0, 1), kOpaque | 0x040506u);
}

TEST_F(TgaTest, RunLengthPacketsAndAlpha) {
  // 32 bits, 2 x 3: a run of one (0x80), a raw packet of 2, a run of 3.
  Load(Header(10, 2, 3, 32) + Bytes{0x80, 1, 2, 3, 40} + Bytes{0x01, 4, 5, 6, 50, 7, 8, 9, 60} +
       Bytes{0x82, 10, 11, 12, 70});
  EXPECT_EQ(Px(g, 2, 0), 0x28010203u);  // alpha 40 kept
  EXPECT_EQ(Px(g, 2, 1), 0x32040506u);
  EXPECT_EQ(Px(g, 1, 0), 0x3C070809u);
  EXPECT_EQ(Px(g, 1, 1), 0x460A0B0Cu);
  EXPECT_EQ(Px(g, 0, 0), 0x460A0B0Cu);
  EXPECT_EQ(Px(g, 0, 1), 0x460A0B0Cu);
}

TEST_F(TgaTest, RawPacketOf128Pixels24Bits) {
  Bytes data = Header(10, 128, 1, 24) + Bytes{0x7F};
  for (int i = 0; i < 128; ++i) data = data + Bytes{static_cast<uint8_t>(i), 0, 0};
  Load(data);
  EXPECT_EQ(Px(g, 0, 0), kOpaque);
  EXPECT_EQ(Px(g, 0, 127), kOpaque | (127u << 16));
}

TEST_F(TgaTest, ShortUncompressedFilesAreCompleted) {
  // The missing top row reads black (alpha 255).
  Load(Header(2, 2, 2, 24) + Bytes{1, 2, 3, 4, 5, 6, 7});
  EXPECT_EQ(Px(g, 1, 0), kOpaque | 0x010203u);
  EXPECT_EQ(Px(g, 1, 1), kOpaque | 0x040506u);
  EXPECT_EQ(Px(g, 0, 0), kOpaque | 0x070000u);  // partly read: blue only
  EXPECT_EQ(Px(g, 0, 1), kOpaque);
}

TEST_F(TgaTest, CompressedStreamThatEndsEarlyIsRefused) {
  const std::string cut =
      Format(Ru("TGA файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), Base().c_str());
  struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"nothing after the header", Header(10, 2, 2, 32)},
      {"between packets", Header(10, 3, 2, 24) + Bytes{0x01, 1, 2, 3, 4, 5, 6}},
      {"inside a raw packet", Header(10, 3, 1, 24) + Bytes{0x02, 1, 2, 3, 4, 5}},
      {"run without its pixel", Header(10, 3, 1, 32) + Bytes{0x82, 1, 2, 3}},
      // A transparent pixel and no more: once this became a whole page to clean.
      {"large and cut", Header(10, 4100, 4100, 32) + Bytes{0xFF, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(Error(c.bytes), cut) << c.name;
  // A stream that fills the picture exactly still reads.
  Load(Header(10, 3, 1, 24) + Bytes{0x81, 1, 2, 3, 0x00, 4, 5, 6});
  EXPECT_EQ(Px(g, 0, 1), kOpaque | 0x010203u);
  EXPECT_EQ(Px(g, 0, 2), kOpaque | 0x040506u);
}

TEST_F(TgaTest, PacketsRunningPastThePictureAreRefused) {
  EXPECT_EQ(Error(Header(10, 2, 1, 24) + Bytes{0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9}),
            Ru("TGA файл повреждён. Не могу прочитать. (") + Base() + ")");
  EXPECT_EQ(Error(Header(10, 2, 1, 24) + Bytes{0x80, 1, 2, 3, 0x81, 4, 5, 6}),
            Ru("TGA файл повреждён. Не могу прочитать.  (") + Base() + ")");
}

TEST_F(TgaTest, HeadersRefused) {
  const std::string first =
      Unsupported("Неподдерживаемый формат, или заголовок TGA файла повреждён. Не могу прочитать.");
  const std::string second = Unsupported("Неподдерживаемый формат TGA файла. Не могу прочитать.");
  Bytes xOrigin = Header(2, 2, 2, 24);
  xOrigin[8] = 1;
  Bytes idLength = Header(2, 2, 2, 24);
  idLength[0] = 3;
  struct {
    const char* name;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"x origin", xOrigin, first},
      {"image ID", idLength, first},
      {"colour-mapped", Header(1, 2, 2, 24), first},
      {"empty file", Bytes{}, first},
      {"grey", Header(3, 2, 2, 8), first},
      {"16 bits", Header(2, 2, 2, 16), second},
      {"zero width", Header(2, 0, 2, 24), second},
      {"zero height", Header(10, 2, 0, 32), second},
      {"header cut short", Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 5}, second},
  };
  for (const auto& c : cases) EXPECT_EQ(Error(c.bytes), c.message) << c.name;
}

TEST_F(TgaTest, SizeLimitIsCheckedBeforeReadingPixels) {
  const auto tooBig = [&](int w, int h) {
    return Format(
        Ru("Максимально разрешённый размер картинки - %dx%d,\n\rА у нас тут что?.. %dx%d!\n\r(файл \"%s\")"),
        4100, 4100, w, h, Base().c_str());
  };
  EXPECT_EQ(Error(Header(2, 4101, 1, 24)), tooBig(4101, 1));
  EXPECT_EQ(Error(Header(10, 3, 4101, 24)), tooBig(3, 4101));
  EXPECT_EQ(Error(Header(2, 65535, 65535, 32)), tooBig(65535, 65535));
  Load(Header(2, 4100, 1, 24));
  EXPECT_EQ(g.Width(), 4100);
  Bytes tall = Header(10, 1, 4100, 24);  // packets never span more than 128 pixels
  for (int left = 4100; left > 0; left -= 128)
    tall = tall + Bytes{static_cast<uint8_t>(127 + std::min(left, 128)), 9, 9, 9};
  Load(tall);
  EXPECT_EQ(g.Height(), 4100);
  EXPECT_EQ(Px(g, 0, 0), kOpaque | 0x090909u);
}

TEST_F(TgaTest, CreateFromFileKeepsTheGreenChannel) {
  WriteBytes(dir.File("pic.tga"), Header(2, 1, 1, 24) + Bytes{30, 20, 10});
  auto r = TDrovixGraph::CreateFromFile<TDrovixGraph>(Base());
  EXPECT_EQ(r->Pixel(0, 0), 20);
  EXPECT_EQ(r->FileName, Base());
  EXPECT_EQ(r->BlackLevel, 0);
  EXPECT_EQ(r->WhiteLevel, 255);
}

TEST_F(TgaTest, CreateFromFileNamesTheMissingFile) {
  try {
    TDrovixGraph::CreateFromFile<TDrovixGraph>(dir.File("nothing"));
    FAIL();
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Нет такого файла!\n\r(\"") + dir.File("nothing.png") + "\")");
  }
}

}  // namespace
}  // namespace drovix
