// A synthetic manga page for the text-removal benchmarks, built from a fixed
// seed so that every program that includes this header sees the same page:
// panels of screen tone (halftone dots, flat and graded), line art and
// hatching, white balloons, and lettering over both balloons and art that
// covers about 4 % of the page. Plain C++ only, so that the comparison
// program can include it without the rest of the project.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace smear_bench {

struct TPage {
  int32_t width = 0, height = 0;
  std::vector<uint8_t> truth;     // the page without lettering
  std::vector<uint8_t> lettered;  // the same page with the lettering drawn in
  std::vector<uint8_t> mask;      // 1 where the lettering is (the pixels to refill)
  int64_t targets = 0;
};

namespace detail {

class TCanvas {
 public:
  TCanvas(int32_t w, int32_t h, uint8_t v) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, v) {}
  uint8_t& At(int32_t x, int32_t y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  bool Inside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
  void Disc(double cx, double cy, double r, uint8_t v) {
    const int32_t x0 = static_cast<int32_t>(std::floor(cx - r)), x1 = static_cast<int32_t>(std::ceil(cx + r));
    const int32_t y0 = static_cast<int32_t>(std::floor(cy - r)), y1 = static_cast<int32_t>(std::ceil(cy + r));
    for (int32_t y = y0; y <= y1; ++y)
      for (int32_t x = x0; x <= x1; ++x)
        if (Inside(x, y) && (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) At(x, y) = v;
  }
  void Line(double x0, double y0, double x1, double y1, double width, uint8_t v) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    const int32_t n = std::max(1, static_cast<int32_t>(len * 2));
    for (int32_t i = 0; i <= n; ++i) {
      const double t = static_cast<double>(i) / n;
      Disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, v);
    }
  }
  void Ellipse(double cx, double cy, double rx, double ry, uint8_t v) {
    for (int32_t y = static_cast<int32_t>(cy - ry); y <= static_cast<int32_t>(cy + ry); ++y)
      for (int32_t x = static_cast<int32_t>(cx - rx); x <= static_cast<int32_t>(cx + rx); ++x) {
        const double u = (x - cx) / rx, w = (y - cy) / ry;
        if (Inside(x, y) && u * u + w * w <= 1) At(x, y) = v;
      }
  }
  std::vector<uint8_t>& Pixels() { return px_; }

 private:
  int32_t w_, h_;
  std::vector<uint8_t> px_;
};

// Integer draws from the generator itself, so the page does not depend on
// the standard library's distributions.
class TRandom {
 public:
  explicit TRandom(uint32_t seed) : rng_(seed) {}
  int32_t Int(int32_t lo, int32_t hi) {
    return lo + static_cast<int32_t>(rng_() % static_cast<uint32_t>(hi - lo + 1));
  }
  double Real(double lo, double hi) { return lo + (hi - lo) * (rng_() / 4294967296.0); }

 private:
  std::mt19937 rng_;
};

// Halftone dots on a 45-degree grid of the given period; level 0 white .. 1 black.
inline uint8_t Halftone(int32_t x, int32_t y, double period, double level) {
  const double u = (x + y) / (period * 1.41421356), v = (x - y) / (period * 1.41421356);
  const double du = u - std::floor(u) - 0.5, dv = v - std::floor(v) - 0.5;
  const double r = std::sqrt(level / 3.14159265);
  return du * du + dv * dv < r * r ? 0 : 255;
}

}  // namespace detail

// The page: width x height, lettering on about `coverage` of its pixels.
// Without tone the dot panels are drawn flat grey or white instead (the rest
// of the page, its line art and its lettering stay the same).
inline TPage MakePage(int32_t width = 2400, int32_t height = 3400, double coverage = 0.04,
                      uint32_t seed = 20240611, bool tone = true) {
  using detail::TCanvas;
  detail::TRandom rnd(seed);
  TCanvas art(width, height, 255);

  // Panels: a grid with random splits, each filled with a kind of tone.
  struct TPanel {
    int32_t x0, y0, x1, y1;
  };
  std::vector<TPanel> panels;
  for (int32_t y = 60; y < height - 60;) {
    const int32_t ph = std::min(rnd.Int(500, 900), height - 60 - y);
    for (int32_t x = 60; x < width - 60;) {
      const int32_t pw = std::min(rnd.Int(600, 1300), width - 60 - x);
      if (pw > 200 && ph > 200) panels.push_back({x, y, x + pw - 30, y + ph - 30});
      x += pw;
    }
    y += ph;
  }
  for (const TPanel& p : panels) {
    int32_t kind = rnd.Int(0, 3);
    if (!tone && kind < 2) kind += 2;
    const double period = rnd.Real(5.0, 8.0), level = rnd.Real(0.1, 0.6);
    const int32_t flat = rnd.Int(120, 230);
    for (int32_t y = p.y0; y < p.y1; ++y)
      for (int32_t x = p.x0; x < p.x1; ++x) {
        uint8_t v = 255;
        if (kind == 0) v = detail::Halftone(x, y, period, level);
        if (kind == 1) v = detail::Halftone(x, y, period, 0.05 + 0.6 * (y - p.y0) / (p.y1 - p.y0));
        if (kind == 2) v = static_cast<uint8_t>(flat);
        art.At(x, y) = v;
      }
    // Line art: strokes, curves and hatching.
    for (int32_t i = rnd.Int(10, 25); i > 0; --i) {
      double x = rnd.Int(p.x0, p.x1), y = rnd.Int(p.y0, p.y1), a = rnd.Real(0, 6.2832);
      const double width = rnd.Real(1.0, 4.5);
      for (int32_t s = rnd.Int(8, 40); s > 0; --s) {
        const double nx = std::clamp(x + 12 * std::cos(a), double(p.x0), double(p.x1 - 1));
        const double ny = std::clamp(y + 12 * std::sin(a), double(p.y0), double(p.y1 - 1));
        art.Line(x, y, nx, ny, width, 0);
        x = nx;
        y = ny;
        a += rnd.Real(-0.35, 0.35);
      }
    }
    if (rnd.Int(0, 1) == 1) {
      const int32_t hx = rnd.Int(p.x0, p.x1 - 150), hy = rnd.Int(p.y0, p.y1 - 150);
      for (int32_t k = 0; k < 150; k += 6) art.Line(hx + k, hy, hx, hy + k, 1.2, 30);
    }
    // Panel border.
    art.Line(p.x0, p.y0, p.x1, p.y0, 5, 0);
    art.Line(p.x1, p.y0, p.x1, p.y1, 5, 0);
    art.Line(p.x1, p.y1, p.x0, p.y1, 5, 0);
    art.Line(p.x0, p.y1, p.x0, p.y0, 5, 0);
  }

  // A light blur, as a scan has.
  std::vector<uint8_t> truth(art.Pixels().size());
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      int32_t sum = 0, n = 0;
      for (int32_t dy = -1; dy <= 1; ++dy)
        for (int32_t dx = -1; dx <= 1; ++dx)
          if (art.Inside(x + dx, y + dy)) {
            sum += art.At(x + dx, y + dy) * (dx == 0 && dy == 0 ? 4 : 1);
            n += dx == 0 && dy == 0 ? 4 : 1;
          }
      truth[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((sum + n / 2) / n);
    }

  // Balloons (white ellipses with an outline) go into the truth; the
  // lettering goes into the mask, inside balloons and straight over the art.
  TCanvas balloons(width, height, 0);
  TCanvas letters(width, height, 0);
  const int64_t wanted = static_cast<int64_t>(coverage * width * height);
  int64_t lettered = 0;
  while (lettered < wanted) {
    const bool inBalloon = rnd.Int(0, 9) < 6;
    const int32_t glyph = rnd.Int(18, 30), stroke = rnd.Int(2, 4);
    const int32_t columns = rnd.Int(5, 12), lines = rnd.Int(2, 5);
    const int32_t bw = columns * glyph, bh = lines * glyph * 5 / 4;
    const int32_t bx = rnd.Int(80, width - 80 - bw), by = rnd.Int(80, height - 80 - bh);
    if (inBalloon) {
      const double cx = bx + bw / 2.0, cy = by + bh / 2.0;
      const double rx = bw * 0.75 + 20, ry = bh * 0.8 + 20;
      balloons.Ellipse(cx, cy, rx + 4, ry + 4, 1);
      balloons.Ellipse(cx, cy, rx, ry, 2);
    }
    // Count the lettering inside the block's box before and after drawing it.
    auto countBox = [&]() {
      int64_t n = 0;
      for (int32_t y = by - 4; y < by + bh + 4; ++y)
        for (int32_t x = bx - 4; x < bx + bw + 4; ++x) n += letters.At(x, y);
      return n;
    };
    const int64_t before = countBox();
    for (int32_t l = 0; l < lines; ++l)
      for (int32_t c = 0; c < columns; ++c) {
        const double gx = bx + c * glyph, gy = by + l * glyph * 5 / 4;
        for (int32_t s = rnd.Int(2, 4); s > 0; --s) {
          const double x0 = gx + rnd.Int(2, glyph - 4), y0 = gy + rnd.Int(2, glyph - 4);
          const double x1 = gx + rnd.Int(2, glyph - 4), y1 = gy + rnd.Int(2, glyph - 4);
          letters.Line(x0, y0, x1, y1, stroke, 1);
        }
      }
    lettered += countBox() - before;
  }
  for (size_t i = 0; i < truth.size(); ++i) {
    if (balloons.Pixels()[i] == 1) truth[i] = 0;
    if (balloons.Pixels()[i] == 2) truth[i] = 255;
  }

  TPage page;
  page.width = width;
  page.height = height;
  page.truth = std::move(truth);
  page.mask = letters.Pixels();
  page.lettered = page.truth;
  for (size_t i = 0; i < page.mask.size(); ++i)
    if (page.mask[i] != 0) page.lettered[i] = 0;
  page.targets = lettered;
  return page;
}

// PSNR (dB) of the refilled pixels against the truth; out(i) gives pixel i.
template <class Out>
double RefillPsnr(const TPage& page, Out out) {
  double sum = 0;
  for (size_t i = 0; i < page.mask.size(); ++i)
    if (page.mask[i] != 0) {
      const double d = static_cast<double>(out(i)) - page.truth[i];
      sum += d * d;
    }
  const double mse = sum / static_cast<double>(page.targets);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace smear_bench
