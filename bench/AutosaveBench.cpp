// Autosave's share of the window thread: the drawing written to memory in the native format.
// It must stay under 20 ms for 10k shapes, so the window never visibly stops.
//
//   AutosaveBench [COUNT...]    default 10000 and 100000 shapes
#include <chrono>
#include <cstdio>
#include <cstdlib>
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
    double best = 1e30;
    size_t size = 0;
    for (int run = 0; run < 5; run++) {
      std::string bytes;
      auto start = std::chrono::steady_clock::now();
      if (!WriteDrawingToMemory(drawing, kExportNative, &bytes)) {
        std::fprintf(stderr, "write failed\n");
        return 1;
      }
      std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
      if (took.count() < best) best = took.count();
      size = bytes.size();
    }
    std::printf("%d shapes: %.1f ms to memory (%zu bytes), best of 5\n", count, best, size);
  }
  return 0;
}
