// The selection tool's click: which shape lies under the cursor? A query over the whole drawing
// that stops at the first shape touched by the 2-pixel square around the click (2 points at
// zoom 1). Prints the median, 99th percentile and maximum per drawing size: for clicks on an
// unchanged drawing, and for the first click after each kind of edit (the one that pays for
// bringing any index up to date), plus the cost of that update alone after a large move.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

constexpr int kQueries = 201;
constexpr int kEdits = 100;
constexpr int kLargeMove = 1000;
constexpr float kHalfSide = 2;  // 2 pixels at zoom 1

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

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
  auto start = Clock::now();
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
  drawing.ClearSelection();
  const int32_t n = drawing.shapes().Count();
  for (int i = 0; i < count; ++i) drawing.Select(drawing.shapes()[r.Below(n)]);
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

  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    SelectRandom(drawing, r, 1);
    drawing.MoveBy(r.Range(-20, 20), r.Range(-20, 20));
    Click(drawing, r, 0, &ms);
  }
  Print("first click after moving one shape", ms);

  SelectRandom(drawing, r, kLargeMove);
  std::vector<double> move, undo;
  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    auto start = Clock::now();
    drawing.MoveBy(r.Range(-20, 20), r.Range(-20, 20));
    move.push_back(Ms(start));
    Click(drawing, r, 0, &ms);
    drawing.Undo();
    Click(drawing, r, 0, &undo);
    drawing.Redo();
  }
  Print("the move of 1000 shapes itself", move);
  Print("first click after moving 1000 shapes", ms);
  Print("first click after undoing that move", undo);
#ifdef HAVE_HIT_INDEX
  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    drawing.MoveBy(r.Range(-20, 20), r.Range(-20, 20));
    auto start = Clock::now();
    UpdateHitIndex(drawing.shapes());
    ms.push_back(Ms(start));
  }
  Print("index update after moving 1000 shapes", ms);
#endif

  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    float x = r.Range(0, 600), y = r.Range(0, 780);
    drawing.AddShape(new BoxShape(x, y, x + 12, y + 12));
    Click(drawing, r, 0, &ms);
  }
  Print("first click after adding a shape", ms);

  ms.clear();
  for (int i = 0; i < kEdits; ++i) {
    SelectRandom(drawing, r, 1);
    drawing.Clear();
    Click(drawing, r, 0, &ms);
  }
  Print("first click after deleting a shape", ms);
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
