// Recording stand-ins for the painter and text metrics, shared by the model tests. Header-only
// so every test program can use it without a build change.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/GraphicsState.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "model/Shape.h"
#include "model/TextMetrics.h"
#include "support/TestSupport.h"

// Every character is size / 2 wide; ascent 0.75 and descent -0.25 of the size. At size 12 a
// character is 6 wide, the ascent 9 and the descent -3.
class HalfEmMetrics : public TextMetrics {
 public:
  float Ascent(const char*, float size) override { return size * 0.75f; }
  float Descent(const char*, float size) override { return -size * 0.25f; }
  float StringWidth(const char*, const char*, int32_t length, float size) override {
    return float(length) * size / 2;
  }
};

struct PaintCall {
  bool fill = false;
  int mode = 0;
  std::vector<PathElement> path;
};

// Records what reaches the device: one entry per fill or stroke, per image, per text line.
class RecordingPainter : public PathPainter {
 public:
  void Stroke(GraphicsState& gs, int mode) override { Record(gs, false, mode); }
  void Fill(GraphicsState& gs, int mode) override { Record(gs, true, mode); }
  void Image(GraphicsState& gs, const ImageData&) override {
    ++images;
    imageCtm = gs.matrix();
  }
  void ShowText(GraphicsState&, const char*, float, const char* text, int32_t length, float, float,
                float) override {
    shown.emplace_back(text, size_t(length));
  }

  std::vector<PaintCall> calls;
  std::vector<std::string> shown;
  int images = 0;
  MatrixD imageCtm;

 private:
  void Record(GraphicsState& gs, bool fill, int mode) {
    PaintCall c;
    c.fill = fill;
    c.mode = mode;
    for (const PathElement& e : gs.path()) c.path.push_back(e);
    calls.push_back(c);
  }
};

// Installs a recording painter and the half-em metrics; checks that every save was restored.
class PaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldMetrics_ = CurrentTextMetrics();
    SetTextMetrics(&metrics);
    TheGraphicsState().Reset();
    SetPathPainter(&painter);
  }
  void TearDown() override {
    EXPECT_EQ(TheGraphicsState().SaveDepth(), 0);
    SetPathPainter(nullptr);
    SetTextMetrics(oldMetrics_);
  }
  HalfEmMetrics metrics;
  RecordingPainter painter;

 private:
  TextMetrics* oldMetrics_ = nullptr;
};

inline void ExpectRect(const Rect& r, float x1, float y1, float x2, float y2, float eps = 1e-3f) {
  EXPECT_NEAR(r.x1, x1, eps);
  EXPECT_NEAR(r.y1, y1, eps);
  EXPECT_NEAR(r.x2, x2, eps);
  EXPECT_NEAR(r.y2, y2, eps);
}

inline void ExpectPoint(const Point& p, double x, double y, double eps = 1e-4) {
  EXPECT_NEAR(p.x, x, eps);
  EXPECT_NEAR(p.y, y, eps);
}

// The shapes of a list in order, for comparing lists.
inline std::vector<Shape*> Order(const ShapeList& list) { return {list.begin(), list.end()}; }

inline Rect BoundsOf(Shape* s, int32_t includeLine) {
  Rect r;
  s->GetBounds(&r, includeLine);
  return r;
}
