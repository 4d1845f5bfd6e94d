// Autosave's share of the window thread: the drawing written to memory in the native format.
// It must stay under 20 ms for 10k shapes, so the window never visibly stops.
//
//   AutosaveBench [COUNT...]            default 10000 and 100000 shapes
//   AutosaveBench --dump DIR [FILE...]  writes generated drawings and the given drawing files
//                                       in every PostScript-family format into DIR, to compare
//                                       the bytes of two builds (set SOURCE_DATE_EPOCH)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"
#include "output/PsReader.h"

namespace {

// Processor time of this thread only: the window thread's own cost, whatever else runs.
double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  size_t i = size_t(p * double(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

// Every kind that writes through the PostScript-family number formatting.
bool DumpDrawing(Drawing& drawing, const std::string& dir, const std::string& name) {
  static const struct {
    int32_t kind;
    const char* ext;
  } kKinds[] = {{kExportNative, "qlx"},
                {kExportEps, "eps"},
                {kExportPostScript, "ps"},
                {kExportIllustrator, "ai"},
                {kExportPdf, "pdf"}};
  for (const auto& k : kKinds) {
    MemorySink sink;
    sink.Open();
    if (!ExportFile(drawing, k.kind, &sink, ExportOptions())) {
      std::fprintf(stderr, "%s: %s not written\n", name.c_str(), k.ext);
      return false;
    }
    if (!WriteFile(dir + "/" + name + "." + k.ext, sink.bytes())) return false;
  }
  return true;
}

int Dump(int argc, char** argv) {
  const std::string dir = argv[2];
  int failures = 0;
  static const struct {
    int32_t count;
    uint64_t seed;
  } kGenerated[] = {{10000, kGeneratorSeed}, {3000, 1}, {3000, 2}, {3000, 3}};
  for (const auto& g : kGenerated) {
    Drawing drawing;
    if (!GenerateDrawing(&drawing, g.count, g.seed) ||
        !DumpDrawing(drawing, dir, "gen" + std::to_string(g.count) + "-" + std::to_string(g.seed)))
      failures++;
  }
  for (int i = 3; i < argc; ++i) {
    Drawing drawing;
    std::vector<std::string> missing;
    std::string name = argv[i];
    std::replace(name.begin(), name.end(), '/', '_');
    if (!ReadDrawingFile(argv[i], &drawing, &missing) || !DumpDrawing(drawing, dir, name)) {
      std::fprintf(stderr, "%s: not dumped\n", argv[i]);
      failures++;
    }
  }
  return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--dump") == 0) return Dump(argc, argv);
  std::vector<int32_t> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {10000, 100000};
  for (int32_t count : counts) {
    Drawing drawing;
    if (count <= 0 || !GenerateDrawing(&drawing, count)) {
      std::fprintf(stderr, "could not generate %d shapes\n", count);
      return 1;
    }
    // Enough runs for a 99th percentile that is not just the worst run, fewer for big drawings.
    const int runs = count <= 20000 ? 201 : 41;
    std::vector<double> times;
    size_t size = 0;
    std::string bytes;  // autosave hands the worker's finished buffer back for the next write
    for (int run = 0; run < runs; run++) {
      const double start = ThreadMs();
      // As autosave does: the last size is the hint.
      if (!WriteDrawingToMemory(drawing, kExportNative, &bytes, size)) {
        std::fprintf(stderr, "write failed\n");
        return 1;
      }
      times.push_back(ThreadMs() - start);
      size = bytes.size();
    }
    std::printf(
        "%d shapes: p50 %.2f ms, p99 %.2f ms, min %.2f ms thread CPU to memory "
        "(%zu bytes, %d runs)\n",
        count, Percentile(times, 0.5), Percentile(times, 0.99), Percentile(times, 0), size, runs);
  }
  return 0;
}
