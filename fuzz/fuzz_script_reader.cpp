// Fuzzes the script reader and the command vocabulary: arbitrary bytes are
// prepared as a script and read name by name, block by block, every command
// applied to a head (or, when the first byte is odd, to a page) settings
// record. Only EDrovixError may come out; anything else, a crash or a hang is
// a fault. Build with -DDROVIX_FUZZ=ON (clang; address and undefined
// sanitizers).
#include <cstddef>
#include <cstdint>
#include <string>

#include "driver/console/Error.h"
#include "drovix_parser/script/ScriptEncoding.h"
#include "drovix_parser/script/TParamsContainer.h"
#include "drovix_parser/script/TextHelpers.h"

namespace {

using namespace drovix;

class FuzzParams : public TParamsContainer {
 public:
  std::string ParseLayers(const std::string& text, int32_t) override { return text; }
  std::string ParseSoundOrTextLayers(const std::string& text, bool) override { return text; }
  std::string ParseBalloonText(const std::string& text) override { return text; }
  std::string ResolveTexture(const std::string& text) override { return text; }

 protected:
  bool HasFonts() const override { return fonts_; }
  void SetFont(int32_t, const std::string&) override { fonts_ = true; }
  int32_t GetQuality() const override { return quality_; }
  void SetQuality(int32_t q) override { quality_ = q; }
  void DefineTexture(const std::string&, const std::string&) override {}
  void SetHardcoreMania() override {}
  void ApplyPageEntry(TCommand command, const TStringListWithIDs& block) override {
    if (command == CBALON)
      Balons.emplace_back().Text = block.AsOneLine();
    else
      Sounds.push_back(block.AsOneLine());
  }

 private:
  bool fonts_ = false;
  int32_t quality_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FuzzParams p;
  p.IsScriptHead = size == 0 || (data[0] & 1) == 0;
  try {
    p.PrepareScript(DecodeScriptBytes(bytes), "fuzz.manga");
    while (p.Line < p.Count()) {
      const TCommand c = p.FindCommand(p.ReadName());
      const auto block = p.ReadParameterBlock();
      // The run handles these itself and never applies them.
      if (c == CBEGIN || c == CEND) continue;
      p.ApplyCommand(c, *block);
    }
  } catch (const EDrovixError&) {
  }
  (void)UpperCaseCyr(bytes);
  (void)ReplaceAll(bytes, "ab", "b");
  (void)ExtractField(bytes, 2, ",%");
  (void)NormalizeTextureId(bytes);
  return 0;
}
