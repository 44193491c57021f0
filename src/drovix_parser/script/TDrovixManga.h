// The script object: the whole script text, the script-wide settings, the
// texture table, the fonts, the page descriptions and the build record of
// one run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drovix_graph/typeset/TFont.h"
#include "drovix_parser/record/TBuildRecord.h"
#include "drovix_parser/script/TBuildOptions.h"
#include "drovix_parser/script/TParamsContainer.h"

namespace drovix {

class TDrovixMangaPage;

class TDrovixManga : public TParamsContainer {
 public:
  // Reads the script named on the command line: the name's extension is
  // replaced by ".manga", a relative name is taken from the current folder.
  // Reads the build record beside it ("<script>.ini"; absent reads empty).
  // The options set the quality, the preview and the pages built at once.
  // Raises EDrovixError for an empty name, a malformed -j key, a missing
  // file or a script saved as UTF-8 that holds a character without a
  // Windows-1251 code.
  explicit TDrovixManga(const std::string& fileName, const TBuildOptions& options = {});
  // Writes nothing: the run has written the build record as it went.
  ~TDrovixManga() override;
  TDrovixManga(const TDrovixManga&) = delete;
  TDrovixManga& operator=(const TDrovixManga&) = delete;

  std::string ScriptFolder;    // absolute, ending in '/'
  std::string OutputFolder;    // absolute, ending in '/' (set by CheckPass)
  std::string ScriptFileName;  // as given on the command line
  std::vector<std::string> TextureIds;     // normalized identifiers
  std::vector<std::string> TextureValues;  // picture base name or "%" brightness
  TArrayofFont Fonts;
  // Absent after a page build failed: it was then written and freed.
  std::unique_ptr<TBuildRecord> BuildRecord;
  bool HardcoreMania = false;
  // Page descriptions in script order; each is freed right after its build.
  std::vector<std::unique_ptr<TDrovixMangaPage>> Pages;
  int32_t Quality = 0;  // -1 draft, 0 normal, 1 release
  // Key -p: the run writes a markup preview of every page instead of building.
  bool Preview = false;
  // After a preview run: how many pages had a problem in their markup.
  int32_t PreviewProblemPages = 0;

  // Pages built at the same time (key -j<N>); 0: as many as the processor
  // has cores, while their working planes fit in the available memory.
  int32_t ParallelPages = 0;

  // The first step of a run (RunManga): reads the whole script up to
  // КОНЕЦ(), applies the head commands and parses every page description
  // into Pages. Raises EDrovixError at the first script error. Nothing is
  // built.
  void CheckPass();
  // The second step: reads every font sheet (or face) ШРИФТ() named.
  void LoadFonts();

  std::string ParseLayers(const std::string& text, int32_t mode) override;
  std::string ParseSoundOrTextLayers(const std::string& text, bool isSound) override;
  // Balloons are refused in the script head; this is the page's reader over
  // this script's texture table, for completeness.
  std::string ParseBalloonText(const std::string& text) override;
  // The value of the texture whose identifier equals the normalized text,
  // else the text itself.
  std::string ResolveTexture(const std::string& text) override;

  // Writes the build record file (temporary file + rename). Raises on failure.
  void SaveBuildRecord();

 protected:
  bool HasFonts() const override;
  void SetFont(int32_t index, const std::string& fileName) override;
  int32_t GetQuality() const override { return Quality; }
  void SetQuality(int32_t quality) override { Quality = quality; }
  void DefineTexture(const std::string& id, const std::string& value) override;
  void SetHardcoreMania() override { HardcoreMania = true; }

 private:
  void ReadOutputFolder();
};

}  // namespace drovix
