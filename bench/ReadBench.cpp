// Reading a large native file: the reader against `LC_ALL=C mawk '{n+=NF}END{print n}'` on the
// same file, which only splits every line into fields. The reader should take no longer. Both
// are timed by the clock and by processor time (user + system, from getrusage), which stays
// meaningful on a loaded machine where the clock also counts waiting for a core.
// Usage: ReadBench [shapes (default 1000000)] [file (default a temporary file, removed after)]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "output/PsReader.h"

namespace {

constexpr int kRuns = 5;

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// Processor time of this process or of its waited-for children.
double CpuSeconds(int who) {
  rusage u;
  getrusage(who, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;
  const bool keep = argc > 2;
  const std::string path = keep ? argv[2] : "/tmp/ondara-readbench.qlx";

  auto t0 = Clock::now();
  {
    Drawing drawing;
    if (!GenerateDrawing(&drawing, count)) {
      std::fprintf(stderr, "could not build a drawing of %d shapes\n", count);
      return 1;
    }
    const double built = Seconds(t0);
    t0 = Clock::now();
    FileSink sink(path);
    if (!sink.Open() || !ExportFile(drawing, kExportNative, &sink, ExportOptions()) ||
        !sink.Close()) {
      std::fprintf(stderr, "could not write %s\n", path.c_str());
      return 1;
    }
    std::printf("%d shapes (%d deep): built in %.2f s, written in %.2f s\n", count,
                CountShapesDeep(drawing.shapes()), built, Seconds(t0));
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  long bytes = 0;
  if (f) {
    std::fseek(f, 0, SEEK_END);
    bytes = std::ftell(f);
    std::fclose(f);
  }
  const double mb = double(bytes) / 1e6;
  std::printf("file %s: %.1f MB\n", path.c_str(), mb);

  // Each run reads into a fresh drawing; destroying the shapes afterwards is not timed.
  std::vector<double> reads, readCpu, awks, awkCpu;
  int32_t shapes = 0;
  for (int i = 0; i < kRuns; ++i) {
    auto drawing = std::make_unique<Drawing>();
    const double cpu = CpuSeconds(RUSAGE_SELF);
    auto start = Clock::now();
    if (!ReadDrawingFile(path.c_str(), drawing.get(), nullptr)) {
      std::fprintf(stderr, "the reader failed on %s\n", path.c_str());
      return 1;
    }
    reads.push_back(Seconds(start));
    readCpu.push_back(CpuSeconds(RUSAGE_SELF) - cpu);
    shapes = drawing->shapes().Count();
  }
  const std::string awk = "LC_ALL=C mawk '{n+=NF}END{print n}' '" + path + "' > /dev/null";
  for (int i = 0; i < kRuns; ++i) {
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    auto start = Clock::now();
    if (std::system(awk.c_str()) != 0) {
      std::fprintf(stderr, "mawk failed (is it installed?)\n");
      return 1;
    }
    awks.push_back(Seconds(start));
    awkCpu.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpu);
  }
  const double read = Median(reads), base = Median(awks);
  const double rc = Median(readCpu), ac = Median(awkCpu);
  std::printf("reader: median %.3f s clock, %.3f s processor over %d runs (%.0f MB/s, %d shapes)\n",
              read, rc, kRuns, mb / rc, shapes);
  std::printf("mawk:   median %.3f s clock, %.3f s processor over %d runs (%.0f MB/s)\n", base, ac,
              kRuns, mb / ac);
  std::printf("reader / mawk = %.2f by the clock, %.2f by processor time (limit 1.00)\n",
              read / base, rc / ac);
  if (!keep) std::remove(path.c_str());
  return 0;
}
