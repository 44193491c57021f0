// The markup preview of one page: the page in grey with every region the
// build's searches found tinted, outlined and labelled, transparent areas
// hatched, the corner frame drawn and the page's problems written on top.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drovix_graph/raster/TDrovixGraph.h"

namespace drovix {

class TDrovixMangaScan;
class TFont;

class TMarkupPicture {
 public:
  enum TKind : uint8_t { KBALLOON, KSOUND, KPROBLEM };

  // Takes the page as it stands (grey, or the grey of a colour page) and
  // its transparency. cornersFound: the page was straightened through its
  // corner marks, which now sit at its corners and the middles of its top
  // and bottom edges.
  TMarkupPicture(const TDrovixMangaScan& scan, bool cornersFound);

  // A region: the pixels of plane whose value lies in lo..hi. The plane has
  // the page's size (a smaller one counts as outside where it does not
  // reach). label (Windows-1251) is drawn at the region's top-left corner;
  // an empty region is only listed. Later regions cover earlier ones.
  void AddRegion(TKind kind, const TDrovixGraph& plane, int32_t lo, int32_t hi, const std::string& label);
  // A line written at the top of the picture (Windows-1251).
  void AddNote(const std::string& text);

  // Draws everything; labels and notes are set in font (loaded), or left
  // out when font is null. Writes fileBase + ".png" (RGB), or fileBase +
  // ".bmp" while PNG is switched off; both under a temporary name and
  // renamed. Raises EDrovixError when writing fails.
  void Save(const std::string& fileBase, TFont* font);

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // The drawn picture, 3 bytes (R, G, B) per pixel, row by row; empty until
  // Render.
  const std::vector<uint8_t>& Pixels() const { return rgb_; }
  void Render(TFont* font);

 private:
  struct TRegion {
    TKind Kind;
    std::string Label;
    int32_t MinX, MinY, MaxX, MaxY;
    bool Empty;
  };

  void Blend(int32_t y, int32_t x, const uint8_t* colour, int32_t percent);
  void Put(int32_t y, int32_t x, const uint8_t* colour);
  void Line(int32_t y0, int32_t x0, int32_t y1, int32_t x1, const uint8_t* colour);
  // The text in a framed white box with its top-left corner at (y, x), or
  // its bottom-left corner there when above and it fits, kept on the page;
  // at most maxWidth pixels wide. Returns the box height.
  int32_t Label(TFont& font, const std::string& text, int32_t y, int32_t x, int32_t maxWidth,
                const uint8_t* colour, bool above);

  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t unit_ = 1;  // line thickness, grows with the page
  bool cornersFound_ = false;
  std::vector<uint8_t> grey_;
  std::vector<uint8_t> hatched_;
  std::vector<int32_t> owner_;  // 1 + index of the region covering a pixel, 0 for none
  std::vector<TRegion> regions_;
  std::vector<std::string> notes_;
  std::vector<uint8_t> rgb_;
};

}  // namespace drovix
