// Recording stand-ins for the painter, handle marker, output driver and text metrics, shared
// by the model tests. Header-only so every test program can use it without a build change.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "model/Shape.h"
#include "model/TextMetrics.h"
#include "output/OutputDriver.h"

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
  int subpaths = 0;
  std::vector<PathElement> path;
  GState state;
};

struct ShownText {
  std::string text;
  float x, y, extra;
  float red;
  double tx;
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
  void ShowText(GraphicsState& gs, const char*, float, const char* text, int32_t length, float x,
                float y, float extra) override {
    shown.push_back(
        ShownText{std::string(text, size_t(length)), x, y, extra, gs.state().red, gs.matrix().tx});
  }

  std::vector<PaintCall> calls;
  std::vector<ShownText> shown;
  int images = 0;
  MatrixD imageCtm;

 private:
  void Record(GraphicsState& gs, bool fill, int mode) {
    PaintCall c;
    c.fill = fill;
    c.mode = mode;
    for (const PathElement& e : gs.path()) {
      c.path.push_back(e);
      c.subpaths += e.kind == kPathMoveTo;
    }
    c.state = gs.state();
    calls.push_back(c);
  }
};

// Logs "H x y selected", "C x y", "K x y" and "G" marks.
class RecordingMarker : public HandleMarker {
 public:
  void Handle(int32_t x, int32_t y, int selected) override {
    log.push_back(Fmt("H %d %d %d", x, y, selected));
  }
  void CentreMark(int32_t x, int32_t y) override { log.push_back(Fmt("C %d %d", x, y)); }
  void ControlMark(int32_t x, int32_t y) override { log.push_back(Fmt("K %d %d", x, y)); }
  void GuideLine(int32_t, int32_t, int32_t, int32_t) override { log.push_back("G"); }
  int Count(char kind) const {
    int n = 0;
    for (const std::string& s : log) n += s[0] == kind;
    return n;
  }
  static std::string Fmt(const char* f, int a, int b, int c = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
  }
  std::vector<std::string> log;
};

// Records each driver call as its name and numbers, and keeps the last style, matrix, points,
// nodes and text it was given.
class RecordingDriver : public OutputDriver {
 public:
  int32_t BeginDocument(const PageInfo*, int32_t, ProgressDialog*) override { return 1; }
  void EndDocument(ProgressDialog*) override {}
  void BeginGroup() override { calls.push_back("BeginGroup"); }
  void EndGroup() override { calls.push_back("EndGroup"); }
  void BeginCompound() override { calls.push_back("BeginCompound"); }
  void EndCompound() override { calls.push_back("EndCompound"); }
  void DrawOval(const PaintStyle* s, const Matrix* m, float cx, float cy, float rx,
                float ry) override {
    Note("DrawOval", s, m, {cx, cy, rx, ry});
  }
  void DrawArc(const PaintStyle* s, const Matrix* m, float cx, float cy, float rx, float ry,
               float a1, float a2) override {
    Note("DrawArc", s, m, {cx, cy, rx, ry, a1, a2});
  }
  void DrawLine(const PaintStyle* s, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* l, const Arrowhead* r) override {
    Note("DrawLine", s, m,
         {x1, y1, x2, y2, float(l->enabled), float(l->kind), float(r->enabled), float(r->kind)});
  }
  void DrawBox(const PaintStyle* s, const Matrix* m, float x1, float y1, float x2,
               float y2) override {
    Note("DrawBox", s, m, {x1, y1, x2, y2});
  }
  void DrawPolygon(const PaintStyle* s, const Matrix* m, const Point* p, int32_t n,
                   int32_t c) override {
    points.assign(p, p + n);
    closed = c;
    Note("DrawPolygon", s, m, {float(n), float(c)});
  }
  void DrawCurve(const PaintStyle* s, const Matrix* m, const CurveNode* p, int32_t n,
                 int32_t c) override {
    nodes.assign(p, p + n);
    closed = c;
    Note("DrawCurve", s, m, {float(n), float(c)});
  }
  void DrawImage(const Matrix* m, const ImageData* image) override {
    Note("DrawImage", nullptr, m, {float(image->width), float(image->height)});
  }
  void DrawText(const PaintStyle* s, const Matrix* m, const char* t, const char* f, float sz,
                float ld, int32_t al, const float* r) override {
    text = t;
    font = f;
    Note("DrawText", s, m, {sz, ld, float(al), r[0], r[1], r[2], r[3]});
  }

  std::vector<std::string> calls;
  PaintStyle style;
  Matrix matrix;
  std::vector<Point> points;
  std::vector<CurveNode> nodes;
  int32_t closed = -1;
  std::string text, font;

 private:
  void Note(const char* name, const PaintStyle* s, const Matrix* m, std::vector<float> v) {
    std::string line = name;
    for (float f : v) {
      char buf[32];
      std::snprintf(buf, sizeof buf, " %g", f);
      line += buf;
    }
    calls.push_back(line);
    if (s) style = *s;
    matrix = *m;
  }
};

// Installs a recording painter, marker and the half-em metrics; checks that every save was
// restored.
class PaintingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    oldMetrics_ = CurrentTextMetrics();
    SetTextMetrics(&metrics);
    TheGraphicsState().Reset();
    SetPathPainter(&painter);
    SetHandleMarker(&marker);
  }
  void TearDown() override {
    EXPECT_EQ(TheGraphicsState().SaveDepth(), 0);
    SetPathPainter(nullptr);
    SetHandleMarker(nullptr);
    SetTextMetrics(oldMetrics_);
  }
  HalfEmMetrics metrics;
  RecordingPainter painter;
  RecordingMarker marker;

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

inline Rect BoundsOf(Shape* s, int32_t includeLine) {
  Rect r;
  s->GetBounds(&r, includeLine);
  return r;
}
