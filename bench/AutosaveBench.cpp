// Autosave's share of the window thread: the drawing written to memory in the native format.
// It must stay under 20 ms for 10k shapes, so the window never visibly stops.
//
//   AutosaveBench [COUNT...]    default 10000 and 100000 shapes
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"

int main(int argc, char** argv) {
  std::vector<int32_t> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10000, 100000};
  for (int32_t count : counts) {
    Drawing drawing;
    if (count <= 0 || !GenerateDrawing(&drawing, count)) {
      std::fprintf(stderr, "could not generate %d shapes\n", count);
      return 1;
    }
    double best = 1e30, bestCpu = 1e30;
    size_t size = 0;
    std::string bytes;  // autosave hands the worker's finished buffer back for the next write
    for (int run = 0; run < 5; run++) {
      const std::clock_t cpu = std::clock();
      auto start = std::chrono::steady_clock::now();
      // As autosave does: the last size is the hint.
      if (!WriteDrawingToMemory(drawing, kExportNative, &bytes, size)) {
        std::fprintf(stderr, "write failed\n");
        return 1;
      }
      std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      if (took.count() < best) best = took.count();
      // Processor time too: on a busy machine the wall clock also counts other programs.
      bestCpu = std::min(bestCpu, 1000.0 * double(std::clock() - cpu) / CLOCKS_PER_SEC);
      size = bytes.size();
    }
    std::printf("%d shapes: %.1f ms to memory (%.1f ms processor time, %zu bytes), best of 5\n",
                count, best, bestCpu, size);
  }
  return 0;
}
