// The selection tool's click: which shape lies under the cursor? A query over the whole drawing
// that stops at the first shape touched by the 2-pixel square around the click (2 points at
// zoom 1). Prints the median, 99th percentile and maximum per drawing size: for clicks on an
// unchanged drawing, and for the first click after each kind of edit (the one that pays for
// bringing any index up to date), plus the cost of that update alone after a large move.
// Times are the thread's CPU time, so that other work on a busy machine does not count.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "bench/DrawingGenerator.h"
#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#if __has_include("model/HitIndex.h")
#include "model/HitIndex.h"
#define HAVE_HIT_INDEX 1
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct CpuClock {
  using time_point = double;  // milliseconds
  static double now() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
  }
};

constexpr int kQueries = 201;
constexpr int kEdits = 100;
constexpr int kLargeMove = 1000;
constexpr float kHalfSide = 2;  // 2 pixels at zoom 1

double Ms(double since) { return CpuClock::now() - since; }

double Percentile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  size_t i = size_t(q * double(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void Print(const char* what, const std::vector<double>& ms) {
  std::printf("  %-40s p50 %8.3f ms  p99 %8.3f ms  max %8.3f ms\n", what, Percentile(ms, 0.5),
              Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end()));
}

// One click at a random place on the page (shifted by `offset`); true when it hit.
bool Click(Drawing& drawing, BenchRandom& r, float offset, std::vector<double>* ms) {
  float x = r.Range(0, 612) + offset, y = r.Range(0, 792);
  ShapeList hits;
  auto start = CpuClock::now();
  ShapesTouchedBy(drawing.shapes(), x - kHalfSide, y - kHalfSide, x + kHalfSide, y + kHalfSide,
                  kQueryStopAtFirst, &hits);
  ms->push_back(Ms(start));
  return !hits.Empty();
}

void Clicks(Drawing& drawing, const char* what, float offset) {
  BenchRandom r(201);
  std::vector<double> ms;
  int found = 0;
  for (int i = 0; i < kQueries; ++i) found += Click(drawing, r, offset, &ms) ? 1 : 0;
  Print(what, ms);
  std::printf("  %-40s %d/%d hit\n", "", found, kQueries);
}

void SelectRandom(Drawing& drawing, BenchRandom& r, int count) {
  // Read through a const list: an element reached through a writable list counts as changed.
  const ShapeList& shapes = drawing.shapes();
  drawing.ClearSelection();
  for (int i = 0; i < count; ++i) drawing.Select(shapes[r.Below(shapes.Count())]);
}

bool Run(int32_t shapes) {
  auto t0 = Clock::now();
  Drawing drawing;
  if (!GenerateDrawing(&drawing, shapes)) {
    std::fprintf(stderr, "could not build a drawing of %d shapes\n", shapes);
    return false;
  }
  double build = std::chrono::duration<double>(Clock::now() - t0).count();
  std::printf("%8d shapes (%d deep), built in %.2f s\n", shapes, CountShapesDeep(drawing.shapes()),
              build);
  BenchRandom r(7);
  std::vector<double> ms;
  Click(drawing, r, 0, &ms);
  std::printf("  %-40s %8.3f ms\n", "first click after building", ms[0]);

  // Clicks on the page usually stop early; beside it every candidate is rejected.
  Clicks(drawing, "click on the page", 0);
  Clicks(drawing, "click beside the page (no hit)", 2000);

  // Each edit is followed by one click, on the page or, in a second round, beside it (where a
  // query that has to rebuild anything pays for all of it).
  auto afterEdits = [&](const char* what, auto edit) {
    for (float offset : {0.0f, 2000.0f}) {
      std::vector<double> clicks;
      for (int i = 0; i < kEdits; ++i) {
        edit();
        Click(drawing, r, offset, &clicks);
      }
      char label[96];
      std::snprintf(label, sizeof label, "click %s after %s", offset == 0 ? "on page" : "beside",
                    what);
      Print(label, clicks);
    }
  };
  afterEdits("moving 1 shape", [&] {
    SelectRandom(drawing, r, 1);
    drawing.MoveBy(r.Range(-20, 20), r.Range(-20, 20));
  });
  SelectRandom(drawing, r, kLargeMove);
  std::vector<double> move;
  afterEdits("moving 1000", [&] {
    auto start = CpuClock::now();
    drawing.MoveBy(r.Range(-20, 20), r.Range(-20, 20));
    move.push_back(Ms(start));
  });
  Print("the move of 1000 shapes (with the update)", move);
  int undos = 0;
  afterEdits("undo/redo 1000", [&] {
    if (undos++ % 2 == 0) {
      drawing.Undo();
    } else {
      drawing.Redo();
    }
  });
#ifdef HAVE_HIT_INDEX
  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    // Moved shape by shape, without the catching up that the move command does, to time the
    // update alone.
    float dx = r.Range(-20, 20), dy = r.Range(-20, 20);
    for (Shape* shape : drawing.selection()) shape->Move(dx, dy);
    auto start = CpuClock::now();
    UpdateHitIndex(drawing.shapes());
    ms.push_back(Ms(start));
  }
  Print("index update after moving 1000 shapes", ms);
#endif
  afterEdits("adding a shape", [&] {
    float x = r.Range(0, 600), y = r.Range(0, 780);
    drawing.AddShape(new BoxShape(x, y, x + 12, y + 12));
  });
  afterEdits("deleting a shape", [&] {
    SelectRandom(drawing, r, 1);
    drawing.Clear();
  });
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
