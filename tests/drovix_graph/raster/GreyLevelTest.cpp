// Colour to grey in its two sum orders, on channels whose exact grey ends in
// one half: there the weights held in extended precision decide, and the two
// orders can land on different sides of the half.
#include <gtest/gtest.h>

#include <cstdint>

#include "drovix_graph/raster/GreyLevel.h"

namespace drovix {
namespace {

TEST(GreyLevelTest, HalvesRoundAsTheExtendedSumInItsOrderGives) {
  static const struct {
    int32_t r, g, b;
    int32_t colour, page;  // ColourGrey, ColourPageGrey
  } cases[] = {
      {100, 200, 50, 140, 140},  // 30 + 100 + 10
      {0, 5, 0, 2, 2},           // 2.5 exactly (0.5 G is exact): to the even 2
      {0, 3, 0, 2, 2},           // 1.5 exactly: to the even 2
      {1, 0, 1, 0, 0},           // 0.3 + 0.2 sum to exactly 0.5
      {1, 0, 21, 5, 5},          // 4.5, but the sums lie just above it
      {6, 1, 1, 3, 2},           // 2.5: above it in one order, on it in the other
      {1, 2, 26, 6, 7},          // 6.5: on it in one order (to the even 6), above in the other
      {255, 255, 255, 255, 255}, {0, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "R " << c.r << " G " << c.g << " B " << c.b);
    EXPECT_EQ(ColourGrey(c.r, c.g, c.b), c.colour);
    EXPECT_EQ(ColourPageGrey(c.b, c.r, c.g), c.page);
    EXPECT_EQ(ColourPageGreyReference(c.b, c.r, c.g), c.page);
  }
}

}  // namespace
}  // namespace drovix
