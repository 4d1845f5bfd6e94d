// Full redraws of the view in a 1280 x 1024 drawing window at the fit-in-window zoom, preview
// and outline, for generated drawings of 10k and 100k shapes, against Ghostscript rendering
// the 10k drawing's EPS at the same pixels per point (-sDEVICE=bitrgb) in the same run.
//   targets: 10k preview median <= 16 ms and <= 0.25 x gs; 100k <= 10 x 10k; outline likewise.
// Usage: ViewBench [redraws (default 9) [directory for the EPS (default /tmp)]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "render/View.h"

namespace {

constexpr int kWidth = 1280, kHeight = 1024;
constexpr int kGsRuns = 3;

using Clock = std::chrono::steady_clock;

double Millis(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// CPU time of this thread, or of the whole process (the preview paints bands on a helper
// thread too): on a loaded machine the wall time also counts the waits for a core.
double CpuMillis(clockid_t clock = CLOCK_THREAD_CPUTIME_ID) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

struct Figures {
  double preview = 0, outline = 0, zoom = 0;
  double previewCpu = 0, outlineCpu = 0;
  double previewAll = 0, outlineAll = 0;  // process CPU
};

bool TimeRedraws(Drawing& drawing, int runs, Figures* out) {
  View view(&drawing);
  if (!view.Resize(kWidth, kHeight)) return false;
  view.FitInWindow();
  out->zoom = view.zoom();
  for (bool preview : {true, false}) {
    view.preview = preview;
    view.Redraw(nullptr);  // warm caches: bounds, allocations
    std::vector<double> times, cpu, all;
    for (int i = 0; i < runs; ++i) {
      const auto start = Clock::now();
      const double cpuStart = CpuMillis(), allStart = CpuMillis(CLOCK_PROCESS_CPUTIME_ID);
      view.Redraw(nullptr);
      cpu.push_back(CpuMillis() - cpuStart);
      all.push_back(CpuMillis(CLOCK_PROCESS_CPUTIME_ID) - allStart);
      times.push_back(Millis(start));
    }
    (preview ? out->preview : out->outline) = Median(times);
    (preview ? out->previewCpu : out->outlineCpu) = Median(cpu);
    (preview ? out->previewAll : out->outlineAll) = Median(all);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
  const std::string dir = argc > 2 ? argv[2] : "/tmp";
  const std::string eps = dir + "/ondara-viewbench.eps";

  Figures small, large;
  {
    Drawing drawing;
    if (!GenerateDrawing(&drawing, 10000) || !TimeRedraws(drawing, runs, &small)) return 1;
    FileSink sink(eps);
    if (!sink.Open() || ExportFile(drawing, kExportEps, &sink, ExportOptions{}) != 1 ||
        sink.Close() != 1) {
      std::fprintf(stderr, "could not write %s\n", eps.c_str());
      return 1;
    }
  }
  {
    Drawing drawing;
    if (!GenerateDrawing(&drawing, 100000) || !TimeRedraws(drawing, runs, &large)) return 1;
  }

  char command[512];
  std::snprintf(command, sizeof command,
                "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=bitrgb -r%.4f -sOutputFile=/dev/null "
                "'%s' >/dev/null 2>&1",
                72.0 * small.zoom, eps.c_str());
  std::vector<double> gsTimes;
  for (int i = 0; i < kGsRuns; ++i) {
    const auto start = Clock::now();
    if (std::system(command) != 0) {
      std::fprintf(stderr, "gs failed (is it installed?): %s\n", command);
      return 1;
    }
    gsTimes.push_back(Millis(start));
  }
  const double gs = Median(gsTimes);

  std::printf("%dx%d window, zoom %.4f, median of %d redraws (gs: %d runs)\n", kWidth, kHeight,
              small.zoom, runs, kGsRuns);
  std::printf(
      "| case | 10k wall ms | 100k wall ms | 100k/10k | 10k/gs | 10k thread CPU | 100k thread "
      "CPU | 10k process CPU | 100k process CPU |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  int missed = 0;
  for (int i = 0; i < 2; ++i) {
    const double a = i == 0 ? small.preview : small.outline;
    const double b = i == 0 ? large.preview : large.outline;
    const bool ok = a <= 16 && a <= 0.25 * gs && b <= 10 * a;
    missed += !ok;
    std::printf("| %s | %.2f | %.2f | %.2f | %.3f | %.2f | %.2f | %.2f | %.2f |%s\n",
                i == 0 ? "preview" : "outline", a, b, b / a, a / gs,
                i == 0 ? small.previewCpu : small.outlineCpu,
                i == 0 ? large.previewCpu : large.outlineCpu,
                i == 0 ? small.previewAll : small.outlineAll,
                i == 0 ? large.previewAll : large.outlineAll, ok ? "" : "  MISSED");
  }
  std::printf("| gs bitrgb | %.2f | | | | | | | |\n", gs);
  return missed ? 3 : 0;
}
