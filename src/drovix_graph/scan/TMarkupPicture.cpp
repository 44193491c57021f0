#include "drovix_graph/scan/TMarkupPicture.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "driver/console/Cp1251.h"
#include "drovix_graph/raster/Bmp.h"
#include "drovix_graph/raster/GreyLevel.h"
#include "drovix_graph/raster/png/PngSupport.h"
#include "drovix_graph/scan/TDrovixColorMangaScan.h"
#include "drovix_graph/scan/TDrovixMangaScan.h"
#include "drovix_graph/typeset/TFont.h"
#include "drovix_graph/typeset/TWord.h"

namespace drovix {
namespace {

constexpr uint8_t kBalloonColour[3] = {225, 20, 20};
constexpr uint8_t kSoundColour[3] = {0, 165, 30};
constexpr uint8_t kProblemColour[3] = {205, 0, 205};
constexpr uint8_t kFrameColour[3] = {20, 70, 255};
constexpr uint8_t kHatchColour[3] = {0, 150, 175};
constexpr uint8_t kWhite[3] = {255, 255, 255};

// Transparency above this counts as a transparent pixel, as in the scan.
constexpr int32_t kTransparent = 20;

const uint8_t* KindColour(TMarkupPicture::TKind kind) {
  switch (kind) {
    case TMarkupPicture::KBALLOON:
      return kBalloonColour;
    case TMarkupPicture::KSOUND:
      return kSoundColour;
    default:
      return kProblemColour;
  }
}

}  // namespace

TMarkupPicture::TMarkupPicture(const TDrovixMangaScan& scan, bool cornersFound)
    : width_(scan.Width()), height_(scan.Height()), cornersFound_(cornersFound) {
  unit_ = std::max(1, std::min(width_, height_) / 400);
  const size_t n = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  grey_.resize(n);
  hatched_.resize(n);
  owner_.assign(n, 0);
  const auto* colour = dynamic_cast<const TDrovixColorMangaScan*>(&scan);
  for (int32_t y = 0; y < height_; ++y) {
    const int32_t* b = scan.RowPtr(y);
    const int32_t* r = colour != nullptr ? colour->RedPlane->RowPtr(y) : nullptr;
    const int32_t* g = colour != nullptr ? colour->GreenPlane->RowPtr(y) : nullptr;
    const int32_t* t =
        scan.Transparency && y < scan.Transparency->Height() ? scan.Transparency->RowPtr(y) : nullptr;
    const int32_t tw = t != nullptr ? scan.Transparency->Width() : 0;
    const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width_);
    for (int32_t x = 0; x < width_; ++x) {
      // A colour page shows as its grey copy would, from channels held to bytes.
      const int32_t v = colour != nullptr
                            ? ColourPageGrey(Clamp(b[x], 0, 255), Clamp(r[x], 0, 255), Clamp(g[x], 0, 255))
                            : Clamp(b[x], 0, 255);
      grey_[at + static_cast<size_t>(x)] = static_cast<uint8_t>(v);
      hatched_[at + static_cast<size_t>(x)] = x < tw && t[x] > kTransparent ? 1 : 0;
    }
  }
}

void TMarkupPicture::AddRegion(TKind kind, const TDrovixGraph& plane, int32_t lo, int32_t hi,
                               const std::string& label) {
  TRegion region{kind, label, width_, height_, -1, -1, true};
  const int32_t index = static_cast<int32_t>(regions_.size()) + 1;
  const int32_t h = std::min(height_, plane.Height());
  const int32_t w = std::min(width_, plane.Width());
  for (int32_t y = 0; y < h; ++y) {
    const int32_t* row = plane.RowPtr(y);
    int32_t* owner = owner_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
    for (int32_t x = 0; x < w; ++x) {
      if (row[x] < lo || row[x] > hi) continue;
      owner[x] = index;
      region.MinX = std::min(region.MinX, x);
      region.MaxX = std::max(region.MaxX, x);
      region.MinY = std::min(region.MinY, y);
      region.MaxY = std::max(region.MaxY, y);
      region.Empty = false;
    }
  }
  regions_.push_back(region);
}

void TMarkupPicture::AddNote(const std::string& text) { notes_.push_back(text); }

void TMarkupPicture::Put(int32_t y, int32_t x, const uint8_t* colour) {
  if (y < 0 || x < 0 || y >= height_ || x >= width_) return;
  uint8_t* p =
      rgb_.data() + (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  p[0] = colour[0];
  p[1] = colour[1];
  p[2] = colour[2];
}

void TMarkupPicture::Blend(int32_t y, int32_t x, const uint8_t* colour, int32_t percent) {
  uint8_t* p =
      rgb_.data() + (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 3;
  for (int c = 0; c < 3; ++c)
    p[c] = static_cast<uint8_t>((p[c] * (100 - percent) + colour[c] * percent) / 100);
}

// A straight line unit_ pixels thick.
void TMarkupPicture::Line(int32_t y0, int32_t x0, int32_t y1, int32_t x1, const uint8_t* colour) {
  const int32_t steps = std::max(std::abs(y1 - y0), std::abs(x1 - x0));
  for (int32_t i = 0; i <= steps; ++i) {
    const int32_t y = steps == 0 ? y0 : y0 + static_cast<int32_t>(std::lround(1.0 * (y1 - y0) * i / steps));
    const int32_t x = steps == 0 ? x0 : x0 + static_cast<int32_t>(std::lround(1.0 * (x1 - x0) * i / steps));
    for (int32_t dy = 0; dy < unit_; ++dy)
      for (int32_t dx = 0; dx < unit_; ++dx) Put(y + dy - unit_ / 2, x + dx - unit_ / 2, colour);
  }
}

int32_t TMarkupPicture::Label(TFont& font, const std::string& text, int32_t y, int32_t x, int32_t maxWidth,
                              const uint8_t* colour, bool above) {
  std::string printable;
  for (const char c : text) printable += static_cast<uint8_t>(c) < 32 ? ' ' : c;
  const std::unique_ptr<TWord> word = font.MakeWord(printable);
  const int32_t pad = unit_ + 1;
  // Letters about a thirtieth of the page tall, and never wider than allowed.
  long double f = Clamp(height_ / 30, 14, 44) / 32.0L;
  const int32_t room = maxWidth - 2 * pad;
  if (room < 4) return 0;
  if (word->Width() * f > room) f = static_cast<long double>(room) / word->Width();
  const int32_t th = std::max(4, static_cast<int32_t>(std::lround(32 * f)));
  const int32_t tw = std::max(1, std::min(room, static_cast<int32_t>(std::lround(word->Width() * f))));
  word->Resize(th, tw);
  const int32_t bw = tw + 2 * pad;
  const int32_t bh = th + 2 * pad;
  // Above the place when there is room, so the label hides little of it.
  if (above && y - bh >= 0) y -= bh;
  x = std::max(0, std::min(x, width_ - bw));
  y = std::max(0, std::min(y, height_ - bh));
  for (int32_t r = 0; r < bh; ++r)
    for (int32_t c = 0; c < bw; ++c) {
      const bool border = r < unit_ || c < unit_ || r >= bh - unit_ || c >= bw - unit_;
      if (!border && r >= pad && c >= pad && r - pad < th && c - pad < tw) {
        const uint8_t v = static_cast<uint8_t>(Clamp(word->Pixel(r - pad, c - pad), 0, 255));
        const uint8_t ink[3] = {v, v, v};
        Put(y + r, x + c, ink);
      } else {
        Put(y + r, x + c, border ? colour : kWhite);
      }
    }
  return bh;
}

void TMarkupPicture::Render(TFont* font) {
  const size_t n = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  rgb_.assign(n * 3, 0);
  // The page, lifted a little so that tints stay visible on black.
  for (size_t i = 0; i < n; ++i) {
    const uint8_t v = static_cast<uint8_t>(70 + grey_[i] * 185 / 255);
    rgb_[3 * i] = rgb_[3 * i + 1] = rgb_[3 * i + 2] = v;
  }
  for (int32_t y = 0; y < height_; ++y)
    for (int32_t x = 0; x < width_; ++x) {
      const size_t at = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
      if (hatched_[at] != 0 && (x + y) % (5 * unit_) < unit_) Put(y, x, kHatchColour);
      const int32_t k = owner_[at];
      if (k == 0) continue;
      const TRegion& region = regions_[static_cast<size_t>(k - 1)];
      const uint8_t* colour = KindColour(region.Kind);
      // The edge of a region: a neighbour within unit_ pixels is not in it.
      const auto other = [&](int32_t yy, int32_t xx) {
        return yy < 0 || xx < 0 || yy >= height_ || xx >= width_ ||
               owner_[static_cast<size_t>(yy) * static_cast<size_t>(width_) + static_cast<size_t>(xx)] != k;
      };
      if (other(y - unit_, x) || other(y + unit_, x) || other(y, x - unit_) || other(y, x + unit_))
        Put(y, x, colour);
      else
        Blend(y, x, colour, region.Kind == KPROBLEM ? 50 : 35);
    }

  if (cornersFound_) {
    // The straightened page: its two halves meet at the middle marks.
    const int32_t right = width_ - 1, bottom = height_ - 1, middle = width_ / 2;
    Line(0, 0, 0, right, kFrameColour);
    Line(bottom, 0, bottom, right, kFrameColour);
    Line(0, 0, bottom, 0, kFrameColour);
    Line(0, right, bottom, right, kFrameColour);
    Line(0, middle, bottom, middle, kFrameColour);
    const int32_t arm = 6 * unit_ + 4;
    for (const int32_t cy : {0, bottom})
      for (const int32_t cx : {0, middle, right}) {
        Line(cy - arm, cx - arm, cy + arm, cx + arm, kFrameColour);
        Line(cy - arm, cx + arm, cy + arm, cx - arm, kFrameColour);
      }
  }

  if (font == nullptr) return;
  for (const TRegion& region : regions_)
    if (!region.Empty)
      Label(*font, region.Label, region.MinY, region.MinX, std::max(width_ / 2, 40), KindColour(region.Kind),
            true);
  int32_t y = unit_;
  for (const std::string& note : notes_)
    y += Label(*font, note, y, unit_, width_ - 2 * unit_, kProblemColour, false) + unit_;
}

void TMarkupPicture::Save(const std::string& fileBase, TFont* font) {
  Render(font);
  const int32_t w = width_;
  if (PngDisabled()) {
    WriteBmp24(fileBase + ".bmp", w, height_, [this, w](int32_t y, uint8_t* out) {
      const uint8_t* p = rgb_.data() + static_cast<size_t>(y) * static_cast<size_t>(w) * 3;
      for (int32_t x = 0; x < w; ++x, p += 3, out += 3) {
        out[0] = p[2];
        out[1] = p[1];
        out[2] = p[0];
      }
    });
    return;
  }
  if (!LibPngLoaded()) LoadLibPng();
  WritePNG(fileBase, w, height_, 8, kPngColourRgb, rgb_, static_cast<size_t>(w) * 3,
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_write_struct failed"),
           Ru("Ошибка при обращении к PngLib: не сработала функция png_create_info_struct failed"));
}

}  // namespace drovix
