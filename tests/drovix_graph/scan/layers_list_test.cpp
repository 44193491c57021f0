// Reading a normalized layer description into its typed layer list: fields,
// defaults, where the list ends, and the refusals with their messages.
#include <gtest/gtest.h>

#include <string>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"
#include "drovix_graph/scan/LayerList.h"

namespace drovix {
namespace {

TEST(LayersList, ReadsColourAndTextureLayers) {
  const TLayerList layers = ReadLayerList(" %16777216 ,\n+2, 0.7,hatch, -3 ,0.5,%7");
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_TRUE(layers[0].IsColour());
  EXPECT_EQ(layers[0].Text, "%16777216");
  EXPECT_EQ(layers[0].Colour, 16777216);
  EXPECT_EQ(layers[0].Thickness, 2.0f);
  EXPECT_EQ(layers[0].Blur, 0.7f);
  EXPECT_FALSE(layers[1].IsColour());
  EXPECT_EQ(layers[1].Text, "hatch");
  EXPECT_EQ(layers[1].Thickness, -3.0f);
  EXPECT_EQ(layers[1].Blur, 0.5f);
  // Missing thickness and blur count as 0.
  EXPECT_EQ(layers[2].Colour, 7);
  EXPECT_EQ(layers[2].Thickness, 0.0f);
  EXPECT_EQ(layers[2].Blur, 0.0f);
}

TEST(LayersList, EndsAtTheFirstEmptyLayerField) {
  EXPECT_EQ(ReadLayerList("%0,1,1,,5,5,%255,1,1,").size(), 1u);
  EXPECT_TRUE(ReadLayerList("").empty());
  EXPECT_TRUE(ReadLayerList(",abc,1,").empty());  // nothing after the end is read
}

TEST(LayersList, RefusesWhatIsNotANumberOrOutOfRange) {
  static const struct {
    const char* description;
    const char* field;
  } cases[] = {
      {"%x,0,1,", "%x"},
      {"%-1,0,1,", "%-1"},
      {"%33554432,0,1,", "%33554432"},
      {"%0,1.5px,1,", "1.5px"},
      {"%0,100.5,1,", "100.5"},
      {"%0,0,-0.5,", "-0.5"},
      {"%0,0,101,", "101"},
      {"%0,0,nan,", "nan"},
      {"%0,abc,1,%x,0,0,", "abc"},  // the first bad field is named
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.description);
    try {
      ReadLayerList(c.description);
      ADD_FAILURE() << "no failure";
    } catch (const EDrovixError& e) {
      EXPECT_EQ(e.what(), Ru("Не могу разобрать описание слоёв \"") + c.description + "\": \"" + c.field +
                              Ru("\" - не число и не цвет."));
    }
  }
  EXPECT_EQ(ReadLayerList("%33554431,-100,100,").size(), 1u);  // the limits themselves pass
}

}  // namespace
}  // namespace drovix
