// Reading a layer description into its typed layer list.
#include "drovix_graph/scan/LayerList.h"

#include <cmath>
#include <utility>

#include "driver/console/Cp1251.h"
#include "driver/console/Error.h"

namespace drovix {
namespace {

[[noreturn]] void RaiseBadLayers(const std::string& description, const std::string& field) {
  Raise(Format(Ru("Не могу разобрать описание слоёв \"%s\": \"%s\" - не число и не цвет."),
               description.c_str(), field.c_str()));
}

}  // namespace

std::vector<std::string> SplitListFields(const std::string& text) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = text.find(',', start);
    const size_t end = comma == std::string::npos ? text.size() : comma;
    size_t b = start, e = end;
    while (b < e && static_cast<unsigned char>(text[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= 32) --e;
    fields.emplace_back(text, b, e - b);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return fields;
}

TLayerList ReadLayerList(const std::string& description) {
  const std::vector<std::string> fields = SplitListFields(description);
  TLayerList layers;
  for (size_t i = 0; i < fields.size() && !fields[i].empty(); i += 3) {
    TLayer layer;
    layer.Text = fields[i];
    if (layer.IsColour()) {
      int64_t colour = 0;
      if (!ParseListNumber(layer.Text.substr(1), colour) || colour < 0 || colour > 33554431)
        RaiseBadLayers(description, layer.Text);
      layer.Colour = static_cast<int32_t>(colour);
    }
    const std::string empty;
    const std::string& t = i + 1 < fields.size() ? fields[i + 1] : empty;
    const std::string& b = i + 2 < fields.size() ? fields[i + 2] : empty;
    if (!t.empty() && !ParseListNumber(t, layer.Thickness)) RaiseBadLayers(description, t);
    if (!b.empty() && !ParseListNumber(b, layer.Blur)) RaiseBadLayers(description, b);
    // The script allows -10..30 and 0..20; far larger values would only make
    // the distance field window absurdly wide.
    if (!(std::fabs(layer.Thickness) <= 100)) RaiseBadLayers(description, t);
    if (!(layer.Blur >= 0 && layer.Blur <= 100)) RaiseBadLayers(description, b);
    layers.push_back(std::move(layer));
  }
  return layers;
}

}  // namespace drovix
