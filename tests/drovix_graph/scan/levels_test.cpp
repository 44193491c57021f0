// Level cleaning: fleck flattening and the stretch of the grey range.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "scaling_fixture.h"

namespace drovix {
namespace {

using scaling_test::Captured;
using scaling_test::MakeScan;
using Rows = std::vector<std::vector<int32_t>>;

std::unique_ptr<TDrovixMangaScan> ScanOf(const Rows& rows) {
  const int32_t h = static_cast<int32_t>(rows.size()), w = static_cast<int32_t>(rows[0].size());
  return MakeScan(h, w, {.page = [&](int32_t y, int32_t x) { return rows[y][x]; }});
}

Rows RowsOf(const TDrovixGraph& g) {
  Rows rows(static_cast<size_t>(g.Height()));
  for (int32_t y = 0; y < g.Height(); ++y) rows[y].assign(g.RowPtr(y), g.RowPtr(y) + g.Width());
  return rows;
}

// A single row has no interior, so only the stretch acts on it.
TEST(CleanLevelsTest, PowerSetsTheBlackAndWhitePoints) {
  struct {
    int32_t power;
    std::vector<int32_t> in, out;
  } const cases[] = {
      {1, {0, 1, 2, 128, 253, 254, 255}, {0, 0, 1, 128, 254, 255, 255}},
      {100, {0, 100, 101, 128, 154, 155, 255}, {0, 0, 5, 130, 250, 255, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.power);
    auto scan = ScanOf({c.in});
    scan->BlackLevel = 77;
    scan->WhiteLevel = 78;
    EXPECT_EQ(Captured([&] { scan->CleanLevels(c.power); }), "");
    EXPECT_EQ(RowsOf(*scan), Rows{c.out});
    EXPECT_EQ(scan->BlackLevel, 0);
    EXPECT_EQ(scan->WhiteLevel, 255);
  }
}

// With power 10 on a page whose darkest grey is 30 and lightest 230, pixels
// below 40 among neighbours up to 40 become 30, pixels above 220 among
// neighbours from 220 become 230; lone ones and the border stay.
TEST(CleanLevelsTest, FlecksAreFlattenedOnlyInsideAmongTheirLikes) {
  const Rows in = {
      {30, 120, 32, 32, 32, 120, 120, 120, 120, 120, 120, 120},
      {120, 120, 32, 32, 32, 120, 120, 120, 120, 120, 120, 120},
      {120, 120, 120, 32, 38, 120, 120, 38, 120, 120, 120, 120},
      {120, 120, 120, 38, 40, 38, 38, 38, 38, 120, 120, 120},
      {120, 120, 35, 120, 38, 120, 120, 40, 120, 120, 222, 120},
      {120, 120, 120, 228, 120, 120, 120, 120, 120, 222, 225, 222},
      {120, 120, 120, 120, 120, 120, 120, 120, 120, 222, 222, 230},
  };
  Rows flattened = in;
  flattened[1][3] = 30;    // all four neighbours dark
  flattened[3][7] = 30;    // a neighbour of exactly 40 still counts as dark
  flattened[5][10] = 230;  // light among light, two of them on the border
  // Unchanged: the border pixels (0, 3) and (6, 10) although their neighbours
  // inside the page qualify, the lone (4, 2) and (5, 3), the arms, and (3, 4)
  // at 40 among darker pixels, as 40 is not below 40.
  const float factor = static_cast<float>(255.0L / (245 - 10));
  Rows expected = flattened;
  for (auto& row : expected)
    for (int32_t& v : row) {
      const long double s = std::nearbyint(static_cast<long double>(v - 10) * factor);
      v = s < 0 ? 0 : (s > 255 ? 255 : static_cast<int32_t>(s));
    }
  auto scan = ScanOf(in);
  scan->CleanLevels(10);
  EXPECT_EQ(RowsOf(*scan), expected);
}

// A colour page flattens flecks plane by plane and stretches all three planes
// alike: from min(p, the largest of their darkest values) to max(255 - p, the
// smallest of their lightest).
TEST(CleanLevelsTest, ColourPlanesShareTheirPoints) {
  struct {
    const char* name;
    std::vector<int32_t> blue, red, green;
    std::vector<int32_t> blueOut, redOut, greenOut;
  } const cases[] = {
      {"all planes reach beyond the power: points 5 and 250",
       {2, 100, 250},
       {3, 100, 252},
       {5, 100, 253},
       {0, 99, 255},
       {0, 99, 255},
       {0, 99, 255}},
      {"one plane short of black and white: points 10 and 245",
       {20, 100, 255},
       {0, 100, 200},
       {0, 100, 255},
       {11, 98, 255},
       {0, 98, 206},
       {0, 98, 255}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto scan = MakeScan<TDrovixColorMangaScan>(1, 3);
    for (int32_t x = 0; x < 3; ++x) {
      scan->Pixel(0, x) = c.blue[x];
      scan->RedPlane->Pixel(0, x) = c.red[x];
      scan->GreenPlane->Pixel(0, x) = c.green[x];
    }
    scan->CleanLevels(10);
    EXPECT_EQ(RowsOf(*scan), Rows{c.blueOut});
    EXPECT_EQ(RowsOf(*scan->RedPlane), Rows{c.redOut});
    EXPECT_EQ(RowsOf(*scan->GreenPlane), Rows{c.greenOut});
    EXPECT_EQ(scan->BlackLevel, 0);
    EXPECT_EQ(scan->WhiteLevel, 255);
  }
}

TEST(CleanLevelsTest, ColourFlecksUseEachPlanesOwnLevels) {
  // Blue's darkest is 50, red's 0. A dark cross is a fleck of blue at 55
  // (below 50 + 10) but not of red at 12 (not below 0 + 10).
  auto scan = MakeScan<TDrovixColorMangaScan>(5, 5);
  for (int32_t y = 0; y < 5; ++y)
    for (int32_t x = 0; x < 5; ++x) {
      const bool cross = (y == 2 && x >= 1 && x <= 3) || (x == 2 && y >= 1 && y <= 3);
      scan->Pixel(y, x) = cross ? 55 : 200;
      scan->RedPlane->Pixel(y, x) = cross ? 12 : 200;
      scan->GreenPlane->Pixel(y, x) = 200;
    }
  scan->Pixel(0, 0) = 50;
  scan->RedPlane->Pixel(0, 0) = 0;
  scan->GreenPlane->Pixel(0, 0) = 0;
  scan->CleanLevels(10);
  // Points min(10, max(50, 0, 0)) = 10 and max(245, min(200, 200, 200)) = 245:
  // 50 -> 43, 55 -> 49, 12 -> 2.
  EXPECT_EQ(scan->Pixel(2, 2), 43);
  EXPECT_EQ(scan->Pixel(2, 1), 49);
  EXPECT_EQ(scan->RedPlane->Pixel(2, 2), 2);
  EXPECT_EQ(scan->RedPlane->Pixel(2, 1), 2);
}

}  // namespace
}  // namespace drovix
