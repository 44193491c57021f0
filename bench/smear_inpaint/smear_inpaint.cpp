// Comparison rows for bench_smear: OpenCV's inpainting (Telea and
// Navier-Stokes, radius 5) on the same synthetic page and mask. Built and run
// only by bench/run_smear_bench.sh, which installs OpenCV for it; nothing of
// the program links it. Prints table rows in bench_smear's format.
//
//   smear_inpaint [--plain] [--telea] [--tiled] [--picture OUT.png REFILLED.pgm]
//
// --plain uses the page without screen tone. --telea leaves out the
// Navier-Stokes row (each of the two takes many minutes on this page: the
// library keeps its narrow band in a sorted list). --tiled runs Telea on
// 256 x 256 tiles, each with a 32-pixel margin of page around it, and keeps
// the tiles' cores: its reach is 5 pixels, so the result is all but the
// same, in a small fraction of the time. --picture also writes a
// side-by-side crop (page, lettered page, Telea, the given refilled page)
// of the most lettered textured place of the page.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/photo.hpp>
#include <string>
#include <vector>

#include "../smear_page.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// The top-left corner of the w x h window with the most lettering over
// textured drawing (pixels whose 3 x 3 neighbourhood spans more than 100
// levels), on a 20-pixel grid.
cv::Point TexturedCrop(const smear_bench::TPage& page, int w, int h) {
  std::vector<int> score(page.mask.size(), 0);
  for (int y = 1; y + 1 < page.height; ++y)
    for (int x = 1; x + 1 < page.width; ++x) {
      const size_t i = static_cast<size_t>(y) * page.width + x;
      if (page.mask[i] == 0) continue;
      int lo = 255, hi = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int v = page.truth[i + static_cast<size_t>(dy * page.width + dx)];
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
      score[i] = hi - lo > 100 ? 1 : 0;
    }
  cv::Point best(0, 0);
  long bestScore = -1;
  for (int y = 0; y + h <= page.height; y += 20)
    for (int x = 0; x + w <= page.width; x += 20) {
      long sum = 0;
      for (int yy = y; yy < y + h; yy += 2)
        for (int xx = x; xx < x + w; xx += 2) sum += score[static_cast<size_t>(yy) * page.width + xx];
      if (sum > bestScore) {
        bestScore = sum;
        best = cv::Point(x, y);
      }
    }
  return best;
}

void WritePicture(const std::string& name, const smear_bench::TPage& page, const cv::Mat& telea,
                  const cv::Mat& refilled) {
  constexpr int kW = 300, kH = 220, kGap = 6, kCaption = 22;
  const cv::Point at = TexturedCrop(page, kW, kH);
  const cv::Rect crop(at.x, at.y, kW, kH);
  const cv::Mat truth(page.height, page.width, CV_8UC1, const_cast<uint8_t*>(page.truth.data()));
  const cv::Mat lettered(page.height, page.width, CV_8UC1, const_cast<uint8_t*>(page.lettered.data()));
  const cv::Mat* panels[] = {&truth, &lettered, &telea, &refilled};
  const char* captions[] = {"page", "lettering", "Telea r5", "SPATTERN"};
  cv::Mat out(kH + kCaption, 4 * kW + 3 * kGap, CV_8UC1, cv::Scalar(255));
  for (int k = 0; k < 4; ++k) {
    const int x = k * (kW + kGap);
    (*panels[k])(crop).copyTo(out(cv::Rect(x, kCaption, kW, kH)));
    cv::putText(out, captions[k], cv::Point(x + 4, 16), cv::FONT_HERSHEY_SIMPLEX, 0.5, cv::Scalar(0), 1,
                cv::LINE_AA);
  }
  cv::imwrite(name, out, {cv::IMWRITE_PNG_COMPRESSION, 9});
  std::fprintf(stderr, "picture: %s, crop at x %d y %d\n", name.c_str(), at.x, at.y);
}

}  // namespace

int main(int argc, char** argv) {
  bool tone = true, teleaOnly = false, tiled = false;
  std::string picture, refilledName;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--plain") == 0) {
      tone = false;
    } else if (std::strcmp(argv[i], "--telea") == 0) {
      teleaOnly = true;
    } else if (std::strcmp(argv[i], "--tiled") == 0) {
      tiled = teleaOnly = true;
    } else if (std::strcmp(argv[i], "--picture") == 0 && i + 2 < argc) {
      picture = argv[++i];
      refilledName = argv[++i];
    } else {
      std::fprintf(stderr,
                   "usage: smear_inpaint [--plain] [--telea] [--tiled] [--picture OUT.png REFILLED.pgm]\n");
      return 2;
    }
  }
  // One thread, as the smear runs; CPU time of the whole process then equals
  // the inpainting's own.
  cv::setNumThreads(1);
  smear_bench::TPage page = smear_bench::MakePage(2400, 3400, 0.04, 20240611, tone);
  const cv::Mat lettered(page.height, page.width, CV_8UC1, page.lettered.data());
  cv::Mat mask(page.height, page.width, CV_8UC1);
  for (int32_t y = 0; y < page.height; ++y)
    for (int32_t x = 0; x < page.width; ++x)
      mask.at<uint8_t>(y, x) = page.mask[static_cast<size_t>(y) * page.width + x] != 0 ? 255 : 0;

  const struct {
    int flag;
    const char* name;
  } methods[] = {{cv::INPAINT_TELEA, tiled ? "cv::inpaint Telea r5 tiled" : "cv::inpaint Telea r5"},
                 {cv::INPAINT_NS, "cv::inpaint NS r5"}};
  for (const auto& m : methods) {
    if (teleaOnly && m.flag != cv::INPAINT_TELEA) continue;
    cv::Mat out;
    const double start = CpuSeconds();
    if (tiled) {
      out = lettered.clone();
      constexpr int kSide = 256, kMargin = 32;
      for (int y = 0; y < page.height; y += kSide)
        for (int x = 0; x < page.width; x += kSide) {
          const cv::Rect core(x, y, std::min(kSide, page.width - x), std::min(kSide, page.height - y));
          if (cv::countNonZero(mask(core)) == 0) continue;
          const int x0 = std::max(0, x - kMargin), y0 = std::max(0, y - kMargin);
          const cv::Rect outer(x0, y0, std::min(page.width, x + kSide + kMargin) - x0,
                               std::min(page.height, y + kSide + kMargin) - y0);
          cv::Mat part;
          cv::inpaint(lettered(outer), mask(outer), part, 5, m.flag);
          part(cv::Rect(x - x0, y - y0, core.width, core.height)).copyTo(out(core));
        }
    } else {
      cv::inpaint(lettered, mask, out, 5, m.flag);
    }
    const double seconds = CpuSeconds() - start;
    const double psnr = smear_bench::RefillPsnr(page, [&](size_t i) {
      return out.at<uint8_t>(static_cast<int>(i / page.width), static_cast<int>(i % page.width));
    });
    std::printf("%-26s %9.2f %12.0f %9.2f\n", m.name, seconds, page.targets / seconds, psnr);
    std::fflush(stdout);
    if (m.flag == cv::INPAINT_TELEA && !picture.empty()) {
      const cv::Mat refilled = cv::imread(refilledName, cv::IMREAD_GRAYSCALE);
      if (refilled.rows != page.height || refilled.cols != page.width) {
        std::fprintf(stderr, "smear_inpaint: cannot read %s\n", refilledName.c_str());
        return 1;
      }
      WritePicture(picture, page, out, refilled);
    }
  }
  return 0;
}
