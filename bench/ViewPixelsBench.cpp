// One view redraw of a generated drawing, timed in CPU time (which the machine's load does
// not inflate as it does wall time), with the window images written as PPM files so that two
// builds can be compared pixel for pixel. Also the small workload to profile under callgrind.
// Usage: ViewPixelsBench [shapes (default 10000) [redraws (default 5) [output directory or -
//        [preview | outline | both (default) [variant]]]]]
// The variant, a comma-separated list, repaints the generated drawing to see what its parts
// cost: "nofill" (outlines only), "fillonly" (fills only), "solid" (no dashes), "width=W" (every
// outline W points wide).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "render/View.h"

namespace {

double CpuMillis(clockid_t clock = CLOCK_THREAD_CPUTIME_ID) {
  timespec t{};
  clock_gettime(clock, &t);
  return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// False when a part of the variant is not one of those above.
bool ParseVariant(const std::string& text, GeneratorVariant* v) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(',', at);
    if (end == std::string::npos) end = text.size();
    const std::string part = text.substr(at, end - at);
    at = end + 1;
    char* stop = nullptr;
    if (part == "nofill") {
      v->fill = GeneratorVariant::Fill::kNone;
    } else if (part == "fillonly") {
      v->fill = GeneratorVariant::Fill::kOnly;
    } else if (part == "solid") {
      v->solid = true;
    } else if (part.rfind("width=", 0) == 0) {
      v->strokeWidth = std::strtof(part.c_str() + 6, &stop);
      if (stop == part.c_str() + 6 || *stop || !(v->strokeWidth >= 0)) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool WritePpm(const QImage& image, const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::fprintf(f, "P6\n%d %d\n255\n", image.width(), image.height());
  std::vector<unsigned char> row(size_t(image.width()) * 3);
  for (int y = 0; y < image.height(); ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      row[size_t(x) * 3] = uchar(qRed(s[x]));
      row[size_t(x) * 3 + 1] = uchar(qGreen(s[x]));
      row[size_t(x) * 3 + 2] = uchar(qBlue(s[x]));
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int shapes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string dir = argc > 3 ? argv[3] : "";
  const std::string only = argc > 4 && std::string(argv[4]) != "both" ? argv[4] : "";
  GeneratorVariant variant;
  if (argc > 5 && !ParseVariant(argv[5], &variant)) {
    std::fprintf(stderr, "unknown variant: %s\n", argv[5]);
    return 2;
  }
  Drawing drawing;
  if (!GenerateDrawing(&drawing, shapes, kGeneratorSeed, variant)) return 1;
  View view(&drawing);
  if (!view.Resize(1280, 1024)) return 1;
  view.FitInWindow();
  for (bool preview : {true, false}) {
    if (!only.empty() && only != (preview ? "preview" : "outline")) continue;
    view.preview = preview;
    view.Redraw(nullptr);
    std::vector<double> times, all;
    for (int i = 0; i < runs; ++i) {
      const double start = CpuMillis(), allStart = CpuMillis(CLOCK_PROCESS_CPUTIME_ID);
      view.Redraw(nullptr);
      times.push_back(CpuMillis() - start);
      all.push_back(CpuMillis(CLOCK_PROCESS_CPUTIME_ID) - allStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(all.begin(), all.end());
    // This thread's time, and the process's (bands painted on a helper thread count there).
    std::printf("%s %d shapes: median %.2f ms thread CPU (min %.2f), %.2f ms process CPU\n",
                preview ? "preview" : "outline", shapes, times[times.size() / 2], times[0],
                all[all.size() / 2]);
    if (!dir.empty() && dir != "-" &&
        !WritePpm(view.Window().image(), dir + "/view-" + std::to_string(shapes) +
                                             (preview ? "-preview" : "-outline") + ".ppm"))
      return 1;
  }
  return 0;
}
