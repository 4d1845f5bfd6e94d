// Saving a large drawing against a yardstick: mawk reformatting every field of the saved file
// with "%g". The save must take at most a quarter of the yardstick's time.
//
//   SaveBench [COUNT [PATH]]    default 1000000 shapes into /tmp/ondara_savebench.qlx
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  int32_t count = argc > 1 ? std::atoi(argv[1]) : 1000000;
  std::string path = argc > 2 ? argv[2] : "/tmp/ondara_savebench.qlx";
  if (count <= 0) count = 1000000;

  Drawing drawing;
  auto start = std::chrono::steady_clock::now();
  if (!GenerateDrawing(&drawing, count)) {
    std::fprintf(stderr, "could not generate %d shapes\n", count);
    return 1;
  }
  std::printf("generated %d shapes in %.3f s\n", count, Seconds(start));

  double best = 1e30;
  for (int run = 0; run < 3; run++) {
    start = std::chrono::steady_clock::now();
    if (!SaveDrawing(drawing, path)) {
      std::fprintf(stderr, "save failed\n");
      return 1;
    }
    double t = Seconds(start);
    if (t < best) best = t;
  }
  FILE* f = std::fopen(path.c_str(), "rb");
  long size = 0;
  if (f) {
    std::fseek(f, 0, SEEK_END);
    size = std::ftell(f);
    std::fclose(f);
  }
  std::printf("save: %.3f s (best of 3), %.1f MB\n", best, double(size) / 1e6);

  std::string command =
      "LC_ALL=C mawk '{for(i=1;i<=NF;i++)printf \"%g \",$i; print \"\"}' '" + path + "' >/dev/null";
  start = std::chrono::steady_clock::now();
  int status = std::system(command.c_str());
  double yardstick = Seconds(start);
  if (status != 0) {
    std::fprintf(stderr, "mawk failed (%d)\n", status);
    return 1;
  }
  std::printf("mawk %%g: %.3f s\n", yardstick);
  double ratio = best / yardstick;
  std::printf("ratio save/mawk: %.3f (limit 0.25) %s\n", ratio, ratio <= 0.25 ? "PASS" : "FAIL");
  std::remove(path.c_str());
  return ratio <= 0.25 ? 0 : 2;
}
