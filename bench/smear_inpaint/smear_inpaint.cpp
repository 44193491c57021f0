// Comparison rows for bench_smear: OpenCV's inpainting (Telea and
// Navier-Stokes, radius 5) on the same synthetic page and mask. Built and run
// only by bench/run_smear_bench.sh, which installs OpenCV for it; nothing of
// the program links it. Prints table rows in bench_smear's format.
#include <time.h>

#include <cstdio>
#include <opencv2/core.hpp>
#include <opencv2/photo.hpp>

#include "../smear_page.h"

namespace {

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

}  // namespace

int main() {
  // One thread, as the smear runs; CPU time of the whole process then equals
  // the inpainting's own.
  cv::setNumThreads(1);
  smear_bench::TPage page = smear_bench::MakePage();
  const cv::Mat lettered(page.height, page.width, CV_8UC1, page.lettered.data());
  cv::Mat mask(page.height, page.width, CV_8UC1);
  for (int32_t y = 0; y < page.height; ++y)
    for (int32_t x = 0; x < page.width; ++x)
      mask.at<uint8_t>(y, x) = page.mask[static_cast<size_t>(y) * page.width + x] != 0 ? 255 : 0;

  const struct {
    int flag;
    const char* name;
  } methods[] = {{cv::INPAINT_TELEA, "cv::inpaint Telea r5"}, {cv::INPAINT_NS, "cv::inpaint NS r5"}};
  for (const auto& m : methods) {
    cv::Mat out;
    const double start = CpuSeconds();
    cv::inpaint(lettered, mask, out, 5, m.flag);
    const double seconds = CpuSeconds() - start;
    const double psnr = smear_bench::RefillPsnr(page, [&](size_t i) {
      return out.at<uint8_t>(static_cast<int>(i / page.width), static_cast<int>(i % page.width));
    });
    std::printf("%-26s %9.2f %12.0f %9.2f\n", m.name, seconds, page.targets / seconds, psnr);
    std::fflush(stdout);
  }
  return 0;
}
