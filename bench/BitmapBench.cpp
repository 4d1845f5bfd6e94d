// BMP export of a generated drawing against Ghostscript rendering our EPS of the same drawing,
// each side reading its file: our read of the native file plus the export (render and write)
// against gs on the EPS.
//   smoothing 1: gs -sDEVICE=bitrgb -r72                          target: ours <= 0.5 x gs
//   smoothing 4: gs -sDEVICE=tiffscaled24 -r288 -dDownScaleFactor=4   target: ours <= 1.0 x gs
//                (into a file: the TIFF device cannot write to /dev/null)
// Both are timed by the clock and by processor time (user + system, from getrusage), which
// stays meaningful on a loaded machine. The peak resident memory of this process after the
// exports is printed too (target for the 4x export of a Letter page: 700 MB); from outside:
//   /usr/bin/time -v ondara-draw --convert big.qlx big.bmp --smoothing 4
// Usage: BitmapBench [shapes (default 10000) [directory for the files (default /tmp)]]
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
#include "output/RenderDrawing.h"
#include "render/BitmapRenderer.h"

namespace {

constexpr int kRuns = 3;

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

bool Write(Drawing& drawing, int32_t kind, const std::string& path) {
  FileSink sink(path);
  return sink.Open() && ExportFile(drawing, kind, &sink, ExportOptions()) == 1 && sink.Close() == 1;
}

// Our side once: read the native file into a fresh drawing and export it as BMP.
bool ReadAndExport(const std::string& qlx, const std::string& bmp, int32_t smoothing) {
  auto drawing = std::make_unique<Drawing>();
  if (!ReadDrawingFile(qlx.c_str(), drawing.get(), nullptr)) return false;
  FileSink sink(bmp);
  if (!sink.Open()) return false;
  BitmapRenderer renderer(&sink, smoothing);
  const int32_t ok = RenderDrawing(*drawing, &renderer, 0, 9, nullptr);
  return sink.Close() == 1 && ok == 1;
}

struct Timing {
  double clock = 0, cpu = 0;
};

bool TimeOurs(const std::string& qlx, const std::string& bmp, int32_t smoothing, Timing* out) {
  std::vector<double> clocks, cpus;
  for (int i = 0; i < kRuns; ++i) {
    const double cpu = CpuSeconds(RUSAGE_SELF);
    const auto start = Clock::now();
    if (!ReadAndExport(qlx, bmp, smoothing)) return false;
    clocks.push_back(Seconds(start));
    cpus.push_back(CpuSeconds(RUSAGE_SELF) - cpu);
  }
  *out = Timing{Median(clocks), Median(cpus)};
  return true;
}

bool TimeCommand(const std::string& command, Timing* out) {
  std::vector<double> clocks, cpus;
  for (int i = 0; i < kRuns; ++i) {
    const double cpu = CpuSeconds(RUSAGE_CHILDREN);
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) return false;
    clocks.push_back(Seconds(start));
    cpus.push_back(CpuSeconds(RUSAGE_CHILDREN) - cpu);
  }
  *out = Timing{Median(clocks), Median(cpus)};
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int32_t shapes = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string dir = argc > 2 ? argv[2] : "/tmp";
  if (shapes < 0) {
    std::fprintf(stderr, "usage: BitmapBench [shapes [directory]]\n");
    return 2;
  }
  const std::string qlx = dir + "/ondara-bitmapbench.qlx", eps = dir + "/ondara-bitmapbench.eps",
                    bmp = dir + "/ondara-bitmapbench.bmp";
  {
    Drawing drawing;
    if (!GenerateDrawing(&drawing, shapes)) {
      std::fprintf(stderr, "could not build a drawing of %d shapes\n", shapes);
      return 1;
    }
    if (!Write(drawing, kExportNative, qlx) || !Write(drawing, kExportEps, eps)) {
      std::fprintf(stderr, "could not write %s or %s\n", qlx.c_str(), eps.c_str());
      return 1;
    }
    std::printf("%d shapes (%d deep) -> %s, %s\n", shapes, CountShapesDeep(drawing.shapes()),
                qlx.c_str(), eps.c_str());
  }

  struct Case {
    int32_t smoothing;
    const char* device;
    std::string output;  // the TIFF device seeks, so it needs a real file as we do
    double target;
  };
  const Case cases[2] = {{1, "-sDEVICE=bitrgb -r72", "/dev/null", 0.5},
                         {4, "-sDEVICE=tiffscaled24 -r288 -dDownScaleFactor=4",
                          dir + "/ondara-bitmapbench-gs.tif", 1.0}};
  int failures = 0;
  for (const Case& c : cases) {
    Timing ours, gs;
    if (!TimeOurs(qlx, bmp, c.smoothing, &ours)) {
      std::fprintf(stderr, "our export failed\n");
      return 1;
    }
    const std::string command = std::string("gs -q -dSAFER -dBATCH -dNOPAUSE ") + c.device +
                                " -sOutputFile='" + c.output + "' '" + eps + "' >/dev/null 2>&1";
    if (!TimeCommand(command, &gs)) {
      std::fprintf(stderr, "gs failed (is it installed?): %s\n", command.c_str());
      return 1;
    }
    const double ratio = ours.cpu / gs.cpu;
    std::printf(
        "smoothing %d: ours median %.3f s clock, %.3f s processor; gs %.3f s clock, "
        "%.3f s processor (%d runs)\n",
        c.smoothing, ours.clock, ours.cpu, gs.clock, gs.cpu, kRuns);
    std::printf("  ours / gs = %.2f by the clock, %.2f by processor time (target %.2f)%s\n",
                ours.clock / gs.clock, ratio, c.target, ratio <= c.target ? "" : "  MISSED");
    failures += ratio > c.target;
  }
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  const double peakMb = double(u.ru_maxrss) / 1024.0;  // kilobytes on Linux
  std::printf("peak resident memory of this process: %.0f MB (target for the 4x export 700 MB)\n",
              peakMb);
  return failures ? 3 : 0;
}
