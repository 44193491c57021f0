// The script object: the whole script text and its head (TScriptHead), the
// check pass that reads it, the page descriptions and the build record of
// one run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drovix_parser/record/TBuildRecord.h"
#include "drovix_parser/script/TBuildOptions.h"
#include "drovix_parser/script/TScriptHead.h"

namespace drovix {

class TDrovixMangaPage;

class TDrovixManga : public TScriptHead {
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

  std::string OutputFolder;    // absolute, ending in '/' (set by CheckPass)
  std::string ScriptFileName;  // as given on the command line
  // Absent after a page build failed: it was then written and freed.
  std::unique_ptr<TBuildRecord> BuildRecord;
  // Page descriptions in script order; each is freed right after its build.
  std::vector<std::unique_ptr<TDrovixMangaPage>> Pages;
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

  // Writes the build record file (temporary file + rename). Raises on failure.
  void SaveBuildRecord();

 private:
  void ReadOutputFolder();
};

}  // namespace drovix
