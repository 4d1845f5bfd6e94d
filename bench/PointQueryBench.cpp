// The selection tool's click: which shape lies under the cursor? A query over the whole drawing
// that stops at the first shape touched by the 2-pixel square around the click (2 points at
// zoom 1). Prints the median and 90th percentile per drawing size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"

namespace {

constexpr int kQueries = 201;
constexpr float kHalfSide = 2;  // 2 pixels at zoom 1

double Percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  size_t i = size_t(q * double(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

// The first query also fills any bounds caches; it is timed like every other click.
void Measure(Drawing& drawing, const char* what, float offset) {
  using Clock = std::chrono::steady_clock;
  BenchRandom r(201);
  ShapeList hits;
  std::vector<double> ms;
  int found = 0;
  for (int i = 0; i < kQueries; ++i) {
    float x = r.Range(0, 612) + offset, y = r.Range(0, 792);
    hits.Clear();
    auto start = Clock::now();
    ShapesTouchedBy(drawing.shapes(), x - kHalfSide, y - kHalfSide, x + kHalfSide, y + kHalfSide,
                    kQueryStopAtFirst, &hits);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    if (!hits.Empty()) ++found;
  }
  std::printf("  point query %-26s median %8.3f ms  p90 %8.3f ms  max %8.3f ms  %d/%d hit\n", what,
              Percentile(ms, 0.5), Percentile(ms, 0.9), *std::max_element(ms.begin(), ms.end()),
              found, kQueries);
}

bool Run(int32_t shapes) {
  using Clock = std::chrono::steady_clock;
  auto t0 = Clock::now();
  Drawing drawing;
  if (!GenerateDrawing(&drawing, shapes)) {
    std::fprintf(stderr, "could not build a drawing of %d shapes\n", shapes);
    return false;
  }
  double build = std::chrono::duration<double>(Clock::now() - t0).count();

  std::printf("%8d shapes (%d deep), built in %.2f s\n", shapes, CountShapesDeep(drawing.shapes()),
              build);
  // Clicks on the page: on a dense drawing the query usually stops early.
  Measure(drawing, "on the page", 0);
  // Clicks beside the page touch nothing, so every shape is tested: the worst case of a click
  // on empty space.
  Measure(drawing, "beside the page (no hit)", 2000);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int32_t> sizes = {100000, 1000000};
  if (argc > 1) {
    sizes.clear();
    for (int i = 1; i < argc; ++i) sizes.push_back(int32_t(std::atol(argv[i])));
  }
  for (int32_t n : sizes)
    if (!Run(n)) return 1;
  return 0;
}
