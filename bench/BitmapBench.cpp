// BMP export of a generated drawing: the time of the whole export (render and write) at a
// smoothing factor, by default 1. Peak memory is measured from outside:
//   /usr/bin/time -v build/bench/BitmapBench 10000 4
// Usage: BitmapBench [shapes [smoothing [output.bmp]]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/OutputSink.h"
#include "output/RenderDrawing.h"
#include "render/BitmapRenderer.h"

namespace {

constexpr int kRuns = 5;

}  // namespace

int main(int argc, char** argv) {
  int32_t shapes = argc > 1 ? std::atoi(argv[1]) : 10000;
  int32_t smoothing = argc > 2 ? std::atoi(argv[2]) : 1;
  std::string path = argc > 3 ? argv[3] : "/tmp/ondara-bitmap-bench.bmp";
  if (shapes < 0 || (smoothing != 1 && smoothing != 2 && smoothing != 4)) {
    std::fprintf(stderr, "usage: BitmapBench [shapes [1|2|4 [output.bmp]]]\n");
    return 2;
  }

  Drawing drawing;
  if (!GenerateDrawing(&drawing, shapes)) {
    std::fprintf(stderr, "could not build a drawing of %d shapes\n", shapes);
    return 1;
  }
  using Clock = std::chrono::steady_clock;
  double best = 1e30, total = 0;
  for (int run = 0; run < kRuns; ++run) {
    FileSink sink(path);
    if (!sink.Open()) return 1;
    auto start = Clock::now();
    BitmapRenderer renderer(&sink, smoothing);
    int32_t ok = RenderDrawing(drawing, &renderer, 0, 0, 9, nullptr);
    if (sink.Close() != 1 || ok != 1) {
      std::fprintf(stderr, "export failed\n");
      return 1;
    }
    double s = std::chrono::duration<double>(Clock::now() - start).count();
    best = std::min(best, s);
    total += s;
  }
  std::printf(
      "BMP export, %d shapes (%d deep), smoothing %d: best %.3f s, mean %.3f s of %d -> %s\n",
      shapes, CountShapesDeep(drawing.shapes()), smoothing, best, total / kRuns, kRuns,
      path.c_str());
  return 0;
}
