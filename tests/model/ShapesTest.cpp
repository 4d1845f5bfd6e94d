#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "output/OutputDriver.h"

namespace {

struct PaintCall {
  bool fill = false;
  int mode = 0;
  std::vector<PathElement> path;
  GState state;
};

class RecordingPainter : public PathPainter {
 public:
  void Stroke(GraphicsState& gs, int mode) override { Record(gs, false, mode); }
  void Fill(GraphicsState& gs, int mode) override { Record(gs, true, mode); }
  void Image(GraphicsState& gs, const ImageData&) override {
    ++images;
    imageCtm = gs.matrix();
  }

  std::vector<PaintCall> calls;
  int images = 0;
  MatrixD imageCtm;

 private:
  void Record(GraphicsState& gs, bool fill, int mode) {
    PaintCall c;
    c.fill = fill;
    c.mode = mode;
    for (const PathElement& e : gs.path()) c.path.push_back(e);
    c.state = gs.state();
    calls.push_back(c);
  }
};

class RecordingMarker : public HandleMarker {
 public:
  void Handle(int32_t x, int32_t y, int selected) override {
    log.push_back(Fmt("H %d %d %d", x, y, selected));
  }
  void CentreMark(int32_t x, int32_t y) override { log.push_back(Fmt("C %d %d", x, y)); }
  void ControlMark(int32_t x, int32_t y) override { log.push_back(Fmt("K %d %d", x, y)); }
  void GuideLine(int32_t, int32_t, int32_t, int32_t) override { log.push_back("G"); }
  static std::string Fmt(const char* f, int a, int b, int c = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, f, a, b, c);
    return buf;
  }
  std::vector<std::string> log;
};

// Records the one driver call a shape makes, with its numbers.
class RecordingDriver : public OutputDriver {
 public:
  int32_t BeginDocument(const PageInfo*, int32_t, ProgressDialog*) override { return 1; }
  void EndDocument(ProgressDialog*) override {}
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
  void DrawPolygon(const PaintStyle* s, const Matrix* m, const Point*, int32_t count,
                   int32_t closed) override {
    Note("DrawPolygon", s, m, {float(count), float(closed)});
  }
  void DrawCurve(const PaintStyle* s, const Matrix* m, const CurveNode*, int32_t count,
                 int32_t closed) override {
    Note("DrawCurve", s, m, {float(count), float(closed)});
  }
  void DrawImage(const Matrix* m, const ImageData* image) override {
    Note("DrawImage", nullptr, m, {float(image->width), float(image->height)});
  }

  std::vector<std::string> calls;
  PaintStyle style;
  Matrix matrix;

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

class ShapeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheGraphicsState().Reset();
    SetPathPainter(&painter);
    SetHandleMarker(&marker);
  }
  void TearDown() override {
    EXPECT_EQ(TheGraphicsState().SaveDepth(), 0);
    SetPathPainter(nullptr);
    SetHandleMarker(nullptr);
  }
  RecordingPainter painter;
  RecordingMarker marker;
};

void ExpectRect(const Rect& r, float x1, float y1, float x2, float y2, float eps = 1e-3f) {
  EXPECT_NEAR(r.x1, x1, eps);
  EXPECT_NEAR(r.y1, y1, eps);
  EXPECT_NEAR(r.x2, x2, eps);
  EXPECT_NEAR(r.y2, y2, eps);
}

Point Map(const Shape& s, float x, float y) { return Transform(s.matrix(), x, y); }

}  // namespace

TEST_F(ShapeTest, FlagsAndPaintSettersKeepTheirInvariants) {
  BoxShape box(0, 0, 10, 10);
  box.SetMarker();
  EXPECT_EQ(box.IsMarked(), 1);
  EXPECT_EQ(box.IsHidden(), 0);
  box.Hide();
  box.ClearMarker();
  EXPECT_EQ(box.IsMarked(), 0);
  EXPECT_EQ(box.IsHidden(), 1);
  box.Show();
  EXPECT_EQ(box.flags(), 0u);

  box.SetNoStroke();
  box.SetDash(2);
  EXPECT_EQ(box.style().strokeOn, 1);
  EXPECT_FLOAT_EQ(box.EffectiveLineWidth(), 1.0f);
  box.SetLineWidth(3);  // a dashed shape becomes solid
  EXPECT_EQ(box.style().dash, -1);
  EXPECT_FLOAT_EQ(box.EffectiveLineWidth(), 3.0f);
  box.SetNoStroke();
  EXPECT_EQ(box.style().strokeOn, 0);
  box.SetStrokeColor(Color{100, 0, 0});
  EXPECT_EQ(box.style().strokeOn, 1);

  box.SetFillColor(Color{100, 0, 0});
  EXPECT_EQ(box.style().fillOn, 1);
  box.SetNoFill();
  EXPECT_EQ(box.style().fillOn, 0);
  EXPECT_EQ(box.style().fillColor, (Color{100, 100, 100}));  // red is gone for good
  box.SetPattern(4);
  EXPECT_EQ(box.style().fillOn, 1);
  box.SetNoFill();
  EXPECT_EQ(box.style().pattern, -1);

  Arrowhead l{1, 3}, r{2, 0}, gl, gr;
  box.SetArrows(l, r);
  box.GetArrows(&gl, &gr);
  EXPECT_EQ(gl, l);
  EXPECT_EQ(gr, r);
}

TEST_F(ShapeTest, BoundsGrowByRoundedHalfLineWidthAndFollowTheMatrix) {
  BoxShape box(10, 10, 20, 30);
  Rect r;
  box.SetLineWidth(3);
  box.GetBounds(&r, 1);
  ExpectRect(r, 8, 8, 22, 32);
  box.GetBounds(&r, 0);
  ExpectRect(r, 10, 10, 20, 30);
  box.SetLineWidth(0.25f);
  box.GetBounds(&r, 1);
  ExpectRect(r, 10, 10, 20, 30);
  box.SetLineWidth(5);
  box.SetDash(0);  // dashed: width 1 for the bounds
  box.GetBounds(&r, 1);
  ExpectRect(r, 9, 9, 21, 31);

  // A rotated oval reports its rotated enclosing box, not the tight ellipse.
  OvalShape oval(0, 0, 20, 10);
  BoxShape frame(-20, -10, 20, 10);
  oval.Rotate(5, 5, 45);
  frame.Rotate(5, 5, 45);
  Rect ro, rf;
  oval.GetBounds(&ro, 0);
  frame.GetBounds(&rf, 0);
  ExpectRect(ro, rf.x1, rf.y1, rf.x2, rf.y2);
  EXPECT_NEAR(rf.x2 - rf.x1, 30 * std::sqrt(2.0), 1e-3);

  // The arc's bounds are its Bezier control polygon, cached until the matrix changes.
  ArcShape arc(0, 0, 100, 100, 0, 90);
  arc.GetBounds(&r, 0);
  ExpectRect(r, 0, 0, 100, 100);
  ArcShape half(0, 0, 100, 50, 0, 180);
  half.GetBounds(&r, 0);
  ExpectRect(r, -100, 0, 100, 50);
  arc.Move(10, 0);
  arc.GetBounds(&r, 0);
  ExpectRect(r, 10, 0, 110, 100);
  arc.SetMatrix(2, 0, 0, 2, 0, 0);
  arc.GetBounds(&r, 0);
  ExpectRect(r, 0, 0, 200, 200);
}

TEST_F(ShapeTest, InteriorHitsNeedFillAndFollowTheOutline) {
  BoxShape box(100, 200, 50, 20);
  BoxShape normal(50, 20, 100, 200);
  EXPECT_EQ(box.HitInterior(75, 100), 0);  // fill off: never inside
  box.SetFillColor(Color{0, 0, 100});
  normal.SetFillColor(Color{0, 0, 100});
  for (Point p : {Point{75, 100}, Point{51, 21}, Point{120, 100}, Point{75, 210}}) {
    EXPECT_EQ(box.HitInterior(p.x, p.y), normal.HitInterior(p.x, p.y)) << p.x << "," << p.y;
  }
  EXPECT_EQ(box.HitInterior(75, 100), 1);
  EXPECT_EQ(box.HitInterior(120, 100), 0);
  // Only the outline touches: a rectangle in the middle does not, one across an edge does.
  EXPECT_EQ(box.TouchesRect(70, 90, 80, 110), 0);
  EXPECT_EQ(box.TouchesRect(48, 90, 52, 110), 1);
  EXPECT_EQ(box.TouchesRect(300, 300, 310, 310), 0);

  LineShape line(0, 0, 100, 100);
  line.SetFillColor(Color{0, 0, 0});
  EXPECT_EQ(line.HitInterior(50, 50), 0);
  EXPECT_EQ(line.TouchesRect(48, 48, 52, 52), 1);
  EXPECT_EQ(line.TouchesRect(40, 60, 45, 65), 0);  // inside its bounds, off the segment
  line.Move(0, 20);
  EXPECT_EQ(line.TouchesRect(48, 48, 52, 52), 0);
  EXPECT_EQ(line.TouchesRect(48, 68, 52, 72), 1);

  // A filled quarter arc is the segment between arc and chord, not the pie slice.
  ArcShape arc(0, 0, 100, 100, 0, 90);
  arc.SetFillColor(Color{0, 100, 0});
  EXPECT_EQ(arc.HitInterior(60, 60), 1);
  EXPECT_EQ(arc.HitInterior(20, 20), 0);
  EXPECT_EQ(arc.HitInterior(80, 80), 0);  // outside the circle

  OvalShape oval(0, 0, 50, 20);
  oval.SetPattern(2);
  EXPECT_EQ(oval.HitInterior(45, 0), 1);
  EXPECT_EQ(oval.HitInterior(45, 18), 0);  // inside the box, outside the ellipse
}

TEST_F(ShapeTest, TransformsComposeInPageSpace) {
  BoxShape box(0, 0, 100, 100);
  box.Scale(50, 50, 2, 3);
  Point c = Map(box, 50, 50);
  EXPECT_NEAR(c.x, 50, 1e-4);
  EXPECT_NEAR(c.y, 50, 1e-4);
  Point o = Map(box, 0, 0);
  EXPECT_NEAR(o.x, -50, 1e-4);
  EXPECT_NEAR(o.y, -100, 1e-4);

  // The new transform applies after the old one: move, then rotate about the origin.
  LineShape line(0, 0, 1, 0);
  line.Move(10, 0);
  line.Rotate(0, 0, 90);
  Point p = Map(line, 0, 0);
  EXPECT_NEAR(p.x, 0, 1e-4);
  EXPECT_NEAR(p.y, 10, 1e-4);

  OvalShape oval(3, 8, 1, 1);
  oval.Reflect(0, 5, 0);  // across y = 5
  Point q = Map(oval, 3, 8);
  EXPECT_NEAR(q.x, 3, 1e-4);
  EXPECT_NEAR(q.y, 2, 1e-4);
  oval.Reflect(0, 5, 0);
  oval.Reflect(10, 20, 30);
  oval.Reflect(10, 20, 30);
  float m[6];
  oval.GetMatrix(m);
  const float id[6] = {1, 0, 0, 1, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(m[i], id[i], 1e-4) << i;
  // A reflection across a 45 degree line swaps the axes about its point.
  oval.Reflect(1, 1, 45);
  Point s = Map(oval, 3, 1);
  EXPECT_NEAR(s.x, 1, 1e-4);
  EXPECT_NEAR(s.y, 3, 1e-4);

  BoxShape skew(0, 0, 1, 1);
  skew.Skew(0, 10, 0, 1);  // x' = x + (y - 10)
  Point k = Map(skew, 0, 20);
  EXPECT_NEAR(k.x, 10, 1e-4);
  EXPECT_NEAR(k.y, 20, 1e-4);
}

TEST_F(ShapeTest, WriteMakesOneDriverCallWithTheStoredGeometry) {
  RecordingDriver d;
  LineShape line(1, 2, 3, 4);
  line.SetArrows(Arrowhead{1, 3}, Arrowhead{0, 4});
  line.SetNoStroke();  // the driver still gets the line and its arrows
  line.Write(d);
  BoxShape box(100, 200, 50, 20);
  box.Move(5, 6);
  box.Write(d);
  OvalShape oval(1, 2, 3, 4);
  oval.SetLineWidth(2);
  oval.Write(d);
  EXPECT_FLOAT_EQ(d.style.lineWidth, 2);
  ArcShape arc(1, 2, 3, 4, 300, 60);
  arc.Write(d);
  std::vector<std::string> want = {"DrawLine 1 2 3 4 1 3 0 4", "DrawBox 100 200 50 20",
                                   "DrawOval 1 2 3 4", "DrawArc 1 2 3 4 300 60"};
  EXPECT_EQ(d.calls, want);
  box.Write(d);
  EXPECT_FLOAT_EQ(d.matrix.tx, 5);
  EXPECT_FLOAT_EQ(d.matrix.ty, 6);
  EXPECT_EQ(d.style.strokeOn, 1);

  ImageShape image;
  image.image.width = 2;
  image.image.height = 1;
  image.image.pixels.assign(6, 7);
  image.SetMatrix(20, 0, 0, 10, 1, 1);
  image.Write(d);
  EXPECT_EQ(d.calls.back(), "DrawImage 2 1");
  EXPECT_FLOAT_EQ(d.matrix.a, 20);
}

TEST_F(ShapeTest, CloneIsDeepAndKeepsEverything) {
  ArcShape arc(1, 2, 3, 4, 10, 20);
  arc.SetFillColor(Color{10, 20, 30});
  arc.SetArrows(Arrowhead{1, 1}, Arrowhead{2, 2});
  arc.Hide();
  arc.Move(7, 8);
  std::unique_ptr<Shape> copy(arc.Clone());
  ASSERT_TRUE(copy);
  ASSERT_EQ(copy->Kind(), kArcShape);
  auto* c = static_cast<ArcShape*>(copy.get());
  EXPECT_EQ(c->endAngle, 20);
  EXPECT_EQ(c->IsHidden(), 1);
  EXPECT_EQ(c->style(), arc.style());
  EXPECT_EQ(c->rightArrow(), (Arrowhead{2, 2}));
  arc.Move(100, 0);
  arc.rx = 50;
  EXPECT_FLOAT_EQ(c->matrix().tx, 7);
  EXPECT_FLOAT_EQ(c->rx, 3);

  ImageShape image;
  image.image.width = 1;
  image.image.height = 1;
  image.image.pixels = {1, 2, 3};
  std::unique_ptr<Shape> ic(image.Clone());
  image.image.pixels[0] = 9;
  EXPECT_EQ(static_cast<ImageShape*>(ic.get())->image.pixels[0], 1);
}

TEST_F(ShapeTest, DrawFillsThenStrokesWithWidthOutsideTheShapeMatrix) {
  BoxShape box(0, 0, 10, 10);
  box.SetFillColor(Color{100, 50, 0});
  box.SetPattern(3);
  box.SetLineWidth(2);
  box.SetStrokeColor(Color{0, 0, 100});
  box.Scale(0, 0, 5, 5);           // the shape's scale must not thicken the line
  TheGraphicsState().scale(2, 2);  // the view's zoom does
  box.Draw(1);
  ASSERT_EQ(painter.calls.size(), 2u);
  const PaintCall& f = painter.calls[0];
  EXPECT_TRUE(f.fill);
  EXPECT_EQ(f.mode, 1);
  EXPECT_FLOAT_EQ(f.state.red, 1);
  EXPECT_FLOAT_EQ(f.state.green, 0.5f);
  EXPECT_EQ(f.state.pattern, 3);
  ASSERT_FALSE(f.path.empty());
  EXPECT_FLOAT_EQ(f.path[2].p[0].x, 100);  // (10, 10) through the shape and the view
  const PaintCall& s = painter.calls[1];
  EXPECT_FALSE(s.fill);
  EXPECT_FLOAT_EQ(s.state.lineWidth, 4);
  EXPECT_FLOAT_EQ(s.state.blue, 1);
  EXPECT_EQ(s.state.dash, -1);

  // Outline view: one black hairline, whatever the style.
  painter.calls.clear();
  box.SetDash(1);
  box.Draw(0);
  ASSERT_EQ(painter.calls.size(), 1u);
  EXPECT_FALSE(painter.calls[0].fill);
  EXPECT_EQ(painter.calls[0].mode, 0);
  EXPECT_FLOAT_EQ(painter.calls[0].state.lineWidth, 0);
  EXPECT_FLOAT_EQ(painter.calls[0].state.red + painter.calls[0].state.blue, 0);
  EXPECT_EQ(painter.calls[0].state.dash, -1);

  painter.calls.clear();
  box.SetNoFill();
  box.SetNoStroke();
  box.Draw(1);
  EXPECT_TRUE(painter.calls.empty());
}

TEST_F(ShapeTest, LineDrawsArrowheadsOnlyWhenStroked) {
  LineShape line(0, 0, 100, 0);
  line.SetArrows(Arrowhead{1, 2}, Arrowhead{2, 1});
  line.SetLineWidth(0.25f);
  line.Draw(1);
  // Line, then the open V at the start (stroked 2 wide), then the filled triangle at the end.
  ASSERT_EQ(painter.calls.size(), 3u);
  EXPECT_FLOAT_EQ(painter.calls[0].state.lineWidth, 0.25f);
  const PaintCall& v = painter.calls[1];
  EXPECT_FALSE(v.fill);
  EXPECT_FLOAT_EQ(v.state.lineWidth, 2);  // size 1, never below
  ASSERT_EQ(v.path.size(), 3u);
  EXPECT_NEAR(v.path[0].p[0].x, 6, 1e-4);  // points away from the far end
  EXPECT_NEAR(v.path[0].p[0].y, 6, 1e-4);
  const PaintCall& t = painter.calls[2];
  EXPECT_TRUE(t.fill);
  ASSERT_GE(t.path.size(), 3u);
  EXPECT_NEAR(t.path[2].p[0].x, 109, 1e-3);  // the tip of kind 1 extends past the end
  EXPECT_NEAR(t.path[2].p[0].y, 0, 1e-3);

  painter.calls.clear();
  line.SetLineWidth(3);
  line.SetStrokeColor(Color{100, 0, 0});
  line.Draw(1);
  ASSERT_EQ(painter.calls.size(), 3u);
  EXPECT_NEAR(painter.calls[2].path[2].p[0].x, 127, 1e-3);
  EXPECT_FLOAT_EQ(painter.calls[2].state.red, 1);

  painter.calls.clear();
  line.SetNoStroke();
  line.Draw(1);
  EXPECT_TRUE(painter.calls.empty());
  line.Draw(0);  // the outline view still shows it, without arrows
  ASSERT_EQ(painter.calls.size(), 1u);
  EXPECT_FLOAT_EQ(painter.calls[0].state.lineWidth, 0);
}

TEST_F(ShapeTest, HandlesMapThroughBothMatrices) {
  BoxShape box(100, 200, 50, 20);
  box.Move(1, 1);
  TheGraphicsState().scale(2, 2);
  box.DrawHandles(1);
  std::vector<std::string> want = {"H 202 402 1", "H 202 42 1", "H 102 42 1", "H 102 402 1"};
  EXPECT_EQ(marker.log, want);

  marker.log.clear();
  TheGraphicsState().Reset();
  ArcShape arc(10, 10, 10, 5, 0, 90);
  arc.DrawHandles(0);
  want = {"C 10 10", "H 20 10 0", "H 10 15 0"};
  EXPECT_EQ(marker.log, want);

  marker.log.clear();
  ImageShape image;
  image.SetMatrix(30, 0, 0, 20, 5, 5);
  image.DrawHandles(1);
  want = {"H 5 5 1", "H 5 25 1", "H 35 25 1", "H 35 5 1"};
  EXPECT_EQ(marker.log, want);
  ASSERT_EQ(painter.calls.size(), 1u);  // the outline first, as a hairline
  EXPECT_EQ(painter.calls[0].mode, 0);

  SetHandleMarker(nullptr);
  box.DrawHandles(1);  // no marker: nothing happens
}

TEST_F(ShapeTest, ImageDrawsPixelsOnlyWhenItHasThemAndHitsItsSquare) {
  ImageShape image;
  image.SetMatrix(0, 40, -20, 0, 100, 100);  // rotated a quarter turn
  image.Draw(1);
  EXPECT_EQ(painter.images, 0);
  image.image.width = image.image.height = 1;
  image.image.pixels = {0, 0, 0};
  image.Draw(1);
  EXPECT_EQ(painter.images, 1);
  EXPECT_DOUBLE_EQ(painter.imageCtm.b, 40);
  EXPECT_EQ(TheGraphicsState().matrix().b, 0);

  Rect r;
  image.GetBounds(&r, 0);
  ExpectRect(r, 80, 100, 100, 140);
  EXPECT_EQ(image.HitInterior(90, 120), 0);  // fill off
  image.SetFillColor(Color{});
  EXPECT_EQ(image.HitInterior(90, 120), 1);
  EXPECT_EQ(image.HitInterior(101, 120), 0);
  EXPECT_EQ(image.TouchesRect(99, 119, 101, 121), 1);
  EXPECT_EQ(image.TouchesRect(89, 119, 91, 121), 0);
  EXPECT_EQ(image.LoadFromFile("/nonexistent/picture.bmp"), 0);
  EXPECT_FALSE(image.image.HasPixels());
}
