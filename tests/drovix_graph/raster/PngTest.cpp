// PNG input and output through libpng opened at run time: every colour type
// and depth, interlacing, the depth reduction of grey pages, hostile files,
// and the program without the library.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "RasterTestUtil.h"
#include "common/Crc32.h"
#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/raster/TDrovixGraph.h"
#include "drovix_graph/raster/png/PngSupport.h"

namespace drovix {
namespace {

using test::TTempDir;
using Bytes = std::vector<uint8_t>;

// Writes PNG files of every colour type and depth with a small encoder of its
// own (zlib and struct only), each with the pixels the loader must deliver
// (<case>.txt: width, height, then packed RGBA values row by row), and checks
// those expectations against PIL's decoding of the same files.
const char* const kGenerator = R"PY(
import struct, sys, zlib
from PIL import Image
OUT = sys.argv[1]

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)

def pack_row(samples, depth):
    if depth == 8: return bytes(samples)
    if depth == 16: return b''.join(struct.pack('>H', s) for s in samples)
    out, acc, n, per = bytearray(), 0, 0, 8 // depth
    for s in samples:
        acc, n = (acc << depth) | s, n + 1
        if n == per: out.append(acc); acc, n = 0, 0
    if n: out.append(acc << (depth * (per - n)))
    return bytes(out)

ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}

def make_png(w, h, depth, ctype, px, palette=None, trns=None, interlace=False, raw=None):
    if raw is None:
        raw = bytearray()
        for x0, y0, dx, dy in (ADAM7 if interlace else [(0, 0, 1, 1)]):
            xs, ys = range(x0, w, dx), range(y0, h, dy)
            if not xs or not ys: continue
            for y in ys:
                raw += b'\0' + pack_row([s for x in xs for s in px[y][x]], depth)
    data = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, depth, ctype, 0, 0, int(interlace)))
    if palette: data += chunk(b'PLTE', bytes(c for rgb in palette for c in rgb))
    if trns is not None: data += chunk(b'tRNS', trns)
    return data + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b'')

def sample(y, x, c, depth):
    v = y * 7 + x * 3 + c * 5 + y * x
    return (v * 2654435761 >> 7) & 0xffff if depth == 16 else v % (1 << depth)

def to8(v, depth):
    return v >> 8 if depth == 16 else v * 255 // ((1 << depth) - 1)

def case(name, depth, ctype, interlace=False, trns=False, w=7, h=5):
    n = CHANNELS[ctype]
    px = [[tuple(sample(y, x, c, depth) for c in range(n)) for x in range(w)] for y in range(h)]
    palette, t = None, None
    if ctype == 3:
        count = min(1 << depth, 200)
        palette = [((i * 37) % 256, (i * 91) % 256, (i * 13) % 256) for i in range(count)]
        px = [[(p[0] % count,) for p in row] for row in px]
        if trns: t = bytes((i * 50) % 256 for i in range(count // 2))
    elif trns:
        t = struct.pack('>H', px[0][0][0]) if ctype == 0 else struct.pack('>HHH', *px[0][0])
    path = OUT + '/' + name + '.png'
    open(path, 'wb').write(make_png(w, h, depth, ctype, px, palette, t, interlace))
    expect = []
    for y in range(h):
        for x in range(w):
            s = px[y][x]
            if ctype == 3:
                r, g, b = palette[s[0]]
                a = t[s[0]] if t is not None and s[0] < len(t) else 255
            elif ctype in (0, 4):
                r = g = b = to8(s[0], depth)
                a = to8(s[1], depth) if ctype == 4 else 255
            else:
                r, g, b = (to8(v, depth) for v in s[:3])
                a = to8(s[3], depth) if ctype == 6 else 255
            expect.append(r | g << 8 | b << 16 | a << 24)
    with open(OUT + '/' + name + '.txt', 'w') as f:
        f.write('%d %d\n' % (w, h) + ' '.join(map(str, expect)) + '\n')
    im = Image.open(path)
    im.load()
    grey16 = im.mode.startswith('I')
    rgba = None if grey16 else im.convert('RGBA').load()
    for y in range(h):
        for x in range(w):
            e = expect[y * w + x]
            if grey16:
                v = im.getpixel((x, y)) >> 8
                got = v | v << 8 | v << 16 | 255 << 24
            else:
                got = rgba[x, y][0] | rgba[x, y][1] << 8 | rgba[x, y][2] << 16 | rgba[x, y][3] << 24
            if trns and ctype != 3:
                e, got = e & 0xffffff, got & 0xffffff  # PIL applies grey/RGB tRNS; the loader does not
            if e != got:
                sys.exit('PIL disagrees on %s at %d,%d: %08x vs %08x' % (name, y, x, got, e))

for d in (1, 2, 4, 8, 16): case('grey%d' % d, d, 0)
case('grey2_interlaced', 2, 0, interlace=True)
case('grey8_trns', 8, 0, trns=True)
for d in (8, 16): case('greyalpha%d' % d, d, 4)
for d in (8, 16): case('rgb%d' % d, d, 2)
case('rgb8_trns', 8, 2, trns=True)
case('rgb8_interlaced', 8, 2, interlace=True, w=13, h=11)
for d in (8, 16): case('rgba%d' % d, d, 6)
case('rgba16_interlaced', 16, 6, interlace=True, w=9, h=10)
for d in (1, 2, 4, 8): case('palette%d' % d, d, 3)
case('palette8_trns', 8, 3, trns=True)
case('palette4_trns_interlaced', 4, 3, trns=True, interlace=True)
case('one_pixel', 8, 2, w=1, h=1)
# The largest picture accepted, as a 1-bit file (small on disk).
line = b'\0' + pack_row([x & 1 for x in range(4100)], 1)
open(OUT + '/limit.png', 'wb').write(make_png(4100, 4100, 1, 0, None, raw=line * 4100))
)PY";

const char* const kCases[] = {
    "grey1",           "grey2",
    "grey4",           "grey8",
    "grey16",          "grey2_interlaced",
    "grey8_trns",      "greyalpha8",
    "greyalpha16",     "rgb8",
    "rgb16",           "rgb8_trns",
    "rgb8_interlaced", "rgba8",
    "rgba16",          "rgba16_interlaced",
    "palette1",        "palette2",
    "palette4",        "palette8",
    "palette8_trns",   "palette4_trns_interlaced",
    "one_pixel",
};

using test_common::Crc32;
void PutBE(Bytes& b, size_t at, uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(v >> (24 - 8 * k));
}
uint32_t GetBE(const Bytes& b, size_t at) {
  return (static_cast<uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}
// Rewrites the CRC of the chunk whose length field is at `at`.
void FixCrc(Bytes& b, size_t at) {
  const uint32_t len = GetBE(b, at);
  PutBE(b, at + 8 + len, Crc32(b.data() + at + 4, len + 4));
}
// A PNG of a signature, a header chunk declaring w x h and an empty IDAT.
Bytes HeaderOnly(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
  b.resize(b.size() + 13 + 4, 0);
  PutBE(b, 16, w);
  PutBE(b, 20, h);
  b[24] = 8;  // 8-bit grey
  FixCrc(b, 8);
  const Bytes idat = {0, 0, 0, 0, 'I', 'D', 'A', 'T', 0, 0, 0, 0};
  b.insert(b.end(), idat.begin(), idat.end());
  FixCrc(b, 33);
  return b;
}

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetPngDisabledForTesting(false);
    SetLibPngFileForTesting(kLibPngFile);
  }
  void TearDown() override { SetUp(); }

  // Loads <dir>/<name>.png, returning the message of a failure, "" otherwise.
  std::string TryLoad(const std::string& name, TDrovixGraph& g) {
    try {
      LoadPNG(g, dir.File(name));
    } catch (const EDrovixError& e) {
      return e.what();
    }
    return "";
  }
  std::string LoadBytes(const Bytes& bytes) {
    test::WriteBytes(dir.File("bad.png"), bytes);
    TDrovixGraph g;
    return TryLoad("bad", g);
  }
  // A valid grey 8-bit picture written by the program.
  Bytes ValidFile(int32_t h = 6, int32_t w = 9) {
    TDrovixGraph g;
    test::Fill(g, h, w, [](int y, int x) { return (y * 31 + x * 17) % 256; });
    g.SavePNG(dir.File("valid"), 8);
    return test::ReadBytes(dir.File("valid.png"));
  }
  std::string LibError(const std::string& text) {
    return Ru("Библиотека libpng передала сообщение об ошибке : ") + text;
  }
  TTempDir dir;
};

TEST_F(PngTest, EveryColourTypeAndDepthArrivesAsPackedColour) {
  if (!test::HavePil()) GTEST_SKIP() << "python3-pil missing";
  std::string out;
  ASSERT_TRUE(test::RunPython(
      std::string(kGenerator)
          .replace(std::string(kGenerator).find("sys.argv[1]"), 11, "r'''" + dir.Path() + "'''"),
      &out))
      << out;
  for (const char* name : kCases) {
    SCOPED_TRACE(name);
    std::ifstream f(dir.File(std::string(name) + ".txt"));
    int32_t w = 0, h = 0;
    f >> w >> h;
    TDrovixGraph g;
    ASSERT_EQ(TryLoad(name, g), "");
    ASSERT_EQ(g.Height(), h);
    ASSERT_EQ(g.Width(), w);
    int mismatches = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t want = 0;
        f >> want;
        if (static_cast<uint32_t>(g.Pixel(y, x)) != want && ++mismatches < 4)
          ADD_FAILURE() << "at " << y << "," << x << std::hex << ": " << g.Pixel(y, x) << " want " << want;
      }
    EXPECT_EQ(mismatches, 0);
  }
  // The largest accepted picture; 1-bit pixels arrive as 0 and 255.
  TDrovixGraph big;
  ASSERT_EQ(TryLoad("limit", big), "");
  EXPECT_EQ(big.Height(), 4100);
  EXPECT_EQ(big.Width(), 4100);
  EXPECT_EQ(static_cast<uint32_t>(big.Pixel(4099, 0)), 0xFF000000u);
  EXPECT_EQ(static_cast<uint32_t>(big.Pixel(4099, 4099)), 0xFFFFFFFFu);
}

TEST_F(PngTest, GreyPagesAreWrittenAtTheirDepth) {
  // Width 5: rows of 5, 3 and 2 bytes at depths 8, 4 and 2.
  const int32_t row[5] = {255, 16, 63, -5, 300};
  TDrovixGraph g;
  test::Fill(g, 2, 5, [&](int y, int x) { return y ? 128 : row[x]; });
  struct {
    int32_t depth;
    uint32_t stored[5];  // the raw samples in the file
    uint32_t secondRow;
  } cases[] = {
      {8, {255, 16, 63, 0, 255}, 128},
      {4, {15, 1, 3, 0, 15}, 8},
      {2, {3, 0, 0, 0, 3}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    const std::string base = dir.File("d" + std::to_string(c.depth));
    g.SavePNG(base, c.depth);
    const Bytes b = test::ReadBytes(base + ".png");
    ASSERT_GT(b.size(), 33u);
    EXPECT_EQ(GetBE(b, 16), 5u);  // IHDR width, height, depth, colour type, interlace
    EXPECT_EQ(GetBE(b, 20), 2u);
    EXPECT_EQ(b[24], c.depth);
    EXPECT_EQ(b[25], 0);
    EXPECT_EQ(b[28], 0);
    // Read back: libpng scales the samples up by bit replication.
    const uint32_t scale = 255u / ((1u << c.depth) - 1u);
    TDrovixGraph back;
    ASSERT_EQ(TryLoad("d" + std::to_string(c.depth), back), "");
    for (int x = 0; x < 5; ++x) {
      EXPECT_EQ(static_cast<uint32_t>(back.Pixel(0, x)) & 0xFF, c.stored[x] * scale) << x;
      EXPECT_EQ(static_cast<uint32_t>(back.Pixel(1, x)) & 0xFF, c.secondRow * scale) << x;
    }
    if (test::HavePil()) {
      const auto d = test::DecodeWithPil(base + ".png");
      ASSERT_EQ(d.width, 5);
      for (int x = 0; x < 5; ++x) EXPECT_EQ(d.rgba[0][x] & 0xFF, c.stored[x] * scale) << x;
    }
  }
}

TEST_F(PngTest, RoundTripThroughCreateFromFile) {
  TDrovixGraph g;
  test::Fill(g, 17, 23, [](int y, int x) { return (y * 13 + x * 7) % 256; });
  g.SavePNG(dir.File("page"), 8);
  test::WriteBytes(dir.File("page.tga"), Bytes{});  // PNG wins over TGA
  auto back = TDrovixGraph::CreateFromFile<TDrovixGraph>(dir.File("page"));
  EXPECT_EQ(back->SourceFile, dir.File("page.png"));
  ASSERT_EQ(back->Height(), 17);
  ASSERT_EQ(back->Width(), 23);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 23; ++x) ASSERT_EQ(back->Pixel(y, x), g.Pixel(y, x)) << y << "," << x;
}

TEST_F(PngTest, CorruptFilesEndInAMessage) {
  const Bytes valid = ValidFile();
  const std::string path = dir.File("bad.png");
  Bytes badCrc = valid;
  badCrc[29] ^= 1;  // IHDR's CRC
  Bytes zeroWidth = valid;
  PutBE(zeroWidth, 16, 0);
  FixCrc(zeroWidth, 8);
  Bytes badDepth = valid;
  badDepth[24] = 3;
  FixCrc(badDepth, 8);
  Bytes badData = valid;
  const size_t idat = 33;  // the first chunk after IHDR is IDAT
  ASSERT_EQ(std::string(badData.begin() + idat + 4, badData.begin() + idat + 8), "IDAT");
  for (size_t i = idat + 8; i < idat + 8 + GetBE(badData, idat); ++i) badData[i] = 0xA5;
  FixCrc(badData, idat);
  struct {
    const char* name;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"empty", Bytes{},
       Format(Ru("PNG файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), path.c_str())},
      {"not a PNG", Bytes(64, 'x'), LibError("Not a PNG file")},
      {"IHDR CRC", badCrc, LibError("IHDR: CRC error")},
      {"zero width", zeroWidth, LibError("Invalid IHDR data")},
      {"bit depth 3", badDepth, LibError("Invalid IHDR data")},
      {"garbage pixels", badData, LibError("IDAT: invalid window size (libpng)")},
      {"cut in the pixels", Bytes(valid.begin(), valid.begin() + 45),
       Format(Ru("PNG файл обрывается раньше времени. Не могу прочитать.\n\r(%s)"), path.c_str())},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    const std::string message = LoadBytes(c.bytes);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(message, c.message) << c.name;
  }
}

TEST_F(PngTest, SizeLimitIsCheckedBeforeAllocating) {
  const auto tooBig = [&](int w, int h) {
    return Format(
        Ru("Максимально разрешённый размер картинки - %dx%d,\n\rА у нас тут что?.. %dx%d!\n\r(файл \"%s\")"),
        4100, 4100, w, h, dir.File("bad.png").c_str());
  };
  EXPECT_EQ(LoadBytes(HeaderOnly(4100, 4101)), tooBig(4100, 4101));
  EXPECT_EQ(LoadBytes(HeaderOnly(4101, 1)), tooBig(4101, 1));
  EXPECT_EQ(LoadBytes(HeaderOnly(900000, 900000)), tooBig(900000, 900000));
  // Beyond libpng's own limit: its message.
  EXPECT_EQ(LoadBytes(HeaderOnly(0x7FFFFFFF, 0x7FFFFFFF)).rfind(LibError(""), 0), 0u);
}

TEST_F(PngTest, WarningsArePrintedOnTheirOwnLine) {
  Bytes b = ValidFile();
  // A text chunk with a wrong CRC after the header: ancillary, so only a warning.
  const Bytes text = {0, 0, 0, 3, 't', 'E', 'X', 't', 'a', 0, 'b', 0, 0, 0, 0};
  b.insert(b.begin() + 33, text.begin(), text.end());
  testing::internal::CaptureStdout();
  const std::string message = LoadBytes(b);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(message, "");
  EXPECT_EQ(out, "\nBiblioteka LibPng wydala preduprezhdenie: tEXt: CRC error\n");
}

TEST_F(PngTest, WithoutTheLibraryTgaAndBmpStillWork) {
  test::WriteBytes(dir.File("page.png"), ValidFile());
  SetLibPngFileForTesting("/nonexistent/libpng16.so.16");
  testing::internal::CaptureStdout();
  try {
    TDrovixGraph::CreateFromFile<TDrovixGraph>(dir.File("page"));
    ADD_FAILURE() << "loaded without the library";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Не удалось загрузить /nonexistent/libpng16.so.16"));
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "..loading /nonexistent/libpng16.so.16...");
  EXPECT_FALSE(LibPngLoaded());

  // With PNG switched off the same base name reads its TGA, and saving as
  // BMP needs no library.
  DisablePng();
  const Bytes tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 30, 20, 10};
  test::WriteBytes(dir.File("page.tga"), tga);
  testing::internal::CaptureStdout();
  auto g = TDrovixGraph::CreateFromFile<TDrovixGraph>(dir.File("page"));
  LoadLibPng();  // does nothing while PNG is off
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(g->Pixel(0, 0), 20);
  g->SaveBMP(dir.File("page.bmp"));
  EXPECT_EQ(test::ReadBytes(dir.File("page.bmp")).size(), 1078u + 4);
  EXPECT_FALSE(LibPngLoaded());
  // Only the PNG present: the message names the TGA that was looked for.
  std::remove(dir.File("page.tga").c_str());
  try {
    TDrovixGraph::CreateFromFile<TDrovixGraph>(dir.File("page"));
    ADD_FAILURE() << "loaded a PNG with PNG off";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Нет такого файла!\n\r(\"") + dir.File("page.tga") + "\")");
  }
}

TEST_F(PngTest, AMissingEntryPointIsNamed) {
  SetLibPngFileForTesting("libz.so.1");
  testing::internal::CaptureStdout();
  try {
    LoadLibPng();
    ADD_FAILURE() << "loaded libz as libpng";
  } catch (const EDrovixError& e) {
    EXPECT_EQ(e.what(), Ru("Не удалось загрузить процедуру png_create_read_struct из библиотеки libz.so.1"));
  }
  testing::internal::GetCapturedStdout();
  EXPECT_FALSE(LibPngLoaded());
}

}  // namespace
}  // namespace drovix
