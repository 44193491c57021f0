// A page's entry in the build record: the one place that says what a page's
// entry holds, whether the stored entry shows the page up to date, and
// which files that test reads.
#pragma once

#include <string>
#include <vector>

namespace drovix {

class TBuildRecord;
class TDrovixManga;
class TDrovixMangaPage;
class TDrovixMangaScan;

class TPageRecord {
 public:
  // Both must outlive the record; the entry is the page's section (its
  // BasePath) in whatever build record is handed to the methods.
  TPageRecord(const TDrovixManga& manga, const TDrovixMangaPage& page);

  // Where the page is written: the output folder + the file-name part of
  // BasePath (".png" appended, or the extension replaced by ".bmp").
  std::string OutputBase() const;
  // The files the page writes, whose ages the up-to-date test reads.
  std::vector<std::string> OutputFiles() const;
  // Sum of the ages of both possible output files, decimal.
  std::string OutputAge() const;
  // Sum of the ages of the scan and its '_' companions, decimal.
  std::string InputAge() const;
  // "Summary": everything the finished page is made from.
  std::string Summary() const;
  // "SmartSmear summary": the text-removal settings of the page.
  std::string CleaningSummary() const;

  struct TState {
    bool Fresh = false;            // output, inputs, settings and quality unchanged
    bool CleaningChanged = false;  // text-removal settings changed (not in drafts)
  };
  // The up-to-date test against record, which holds the page's section.
  TState State(const TBuildRecord& record) const;
  // True when the scan has to be loaded: the page is not up to date, or its
  // text removal may have to be done again.
  static bool MustLoad(const TState& state) { return !state.Fresh || state.CleaningChanged; }
  // After loading: an up-to-date page is built again only when changed text
  // removal has anything to remove (transparency in the scan or cleaning
  // inside balloons).
  bool MustBuild(const TState& state, const TDrovixMangaScan& scan) const;

  // The entry of a page just built: "Summary", "Output file age", "Quality".
  void RecordBuild(TBuildRecord& record) const;
  // After every page, built or not: "SmartSmear summary", except in drafts.
  void RecordCleaning(TBuildRecord& record) const;

 private:
  // The part of the balloons' cleaning lists that matters: CR and LF dropped.
  bool HasBalloonCleaning() const;

  const TDrovixManga& manga_;
  const TDrovixMangaPage& page_;
};

}  // namespace drovix
