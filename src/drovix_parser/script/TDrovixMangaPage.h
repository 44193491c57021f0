// One page description of the script, "%name(commands)": the page's own
// settings (copied from the script head as it stood where the page was met),
// its sound entries and its balloon entries, each balloon with the settings
// current when it was described. Built later by BuildPage.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_parser/script/TParamsContainer.h"

namespace drovix {

class TScriptHead;

class TDrovixMangaPage : public TParamsContainer {
 public:
  // Takes the lines of the page's block with their script line numbers and
  // copies the script's current page defaults. pageName already carries the
  // script's name prefix. The script must outlive the page.
  TDrovixMangaPage(TScriptHead& script, const std::string& scriptFolder, const std::string& pageName,
                   std::unique_ptr<TStringListWithIDs> block);
  ~TDrovixMangaPage() override;

  // Created by the page driver; the colour scan is a TDrovixColorMangaScan.
  std::unique_ptr<TDrovixMangaScan> Scan;
  // Script folder + page name: the scan's path without extension, and the
  // page's section in the build record.
  std::string BasePath;
  TScriptHead& Manga;

  // Reads every command of the page. Any failure is raised again as
  // "Крах при парсинге страницы ..." with the page's file name.
  void Parse();

  std::string ParseLayers(const std::string& text, int32_t mode) override;
  std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) override;
  std::string ParseBalloonText(const std::string& text) override;
  std::string ResolveTexture(const std::string& text) override;

 protected:
  void ApplyPageEntry(TCommand command, const TStringListWithIDs& block) override;
};

}  // namespace drovix
