// The markup preview's picture of the page itself: a colour page is shown in
// the grey its grey copy has, halves included.
#include <gtest/gtest.h>

#include <cstdint>

#include "drovix_graph/scan/TMarkupPicture.h"
#include "layers_fixture.h"

namespace drovix {
namespace {

using namespace layers_test;

TEST(TMarkupPictureTest, ColourPageShowsTheGreyOfItsGreyCopy) {
  static const struct {
    int32_t r, g, b;
    int32_t shown;  // 70 + grey * 185 / 255
  } cases[] = {
      {100, 200, 50, 171},   // grey 140
      {0, 5, 0, 71},         // 2.5 to the even 2, not up to 3 (72)
      {6, 1, 1, 71},         // 2.5 again, in the grey copy's order of terms
      {300, 300, 300, 255},  // working values beyond a byte count as 255
  };
  const int32_t n = static_cast<int32_t>(std::size(cases));
  TDrovixColorMangaScan s;
  PrepareColour(s, 1, n, 0, 0, 0);
  for (int32_t x = 0; x < n; ++x) {
    s.RedPlane->Pixel(0, x) = cases[x].r;
    s.GreenPlane->Pixel(0, x) = cases[x].g;
    s.Pixel(0, x) = cases[x].b;
  }
  TMarkupPicture picture(s, false);
  picture.Render(nullptr);
  for (int32_t x = 0; x < n; ++x) {
    SCOPED_TRACE(testing::Message() << "R " << cases[x].r << " G " << cases[x].g << " B " << cases[x].b);
    for (int32_t k = 0; k < 3; ++k)
      EXPECT_EQ(picture.Pixels()[static_cast<size_t>(3 * x + k)], cases[x].shown);
  }
}

}  // namespace
}  // namespace drovix
