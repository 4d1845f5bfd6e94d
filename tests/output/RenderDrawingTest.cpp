#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "output/ProgressDialog.h"
#include "output/RenderDrawing.h"
#include "output/TraceDriver.h"
#include "support/TestSupport.h"

namespace {

class FakeProgress : public ProgressDialog {
 public:
  explicit FakeProgress(int cancelAt = -1) : cancelAt_(cancelAt) {}
  void Start(int32_t t) override { total = t, ++starts; }
  bool Advance() override {
    ++advanced;
    if (cancelAt_ >= 0 && advanced >= cancelAt_) cancelled = true;
    return !cancelled;
  }
  bool Cancelled() const override { return cancelled; }

  int32_t total = -1;
  int starts = 0, advanced = 0;
  bool cancelled = false;

 private:
  int cancelAt_;
};

// The first word of every line, joined by spaces: the sequence of driver operations.
std::string Ops(const TraceDriver& t) {
  std::string ops;
  for (const std::string& l : t.lines()) ops += (ops.empty() ? "" : " ") + l.substr(0, l.find(' '));
  return ops;
}

template <typename C>
C* Holding(std::initializer_list<Shape*> children) {
  auto* c = new C;
  for (Shape* s : children) c->children()->Append(s);
  return c;
}

PolygonShape* Triangle() {
  auto* p = new PolygonShape;
  for (Point q : {Point{0, 0}, Point{10, 0}, Point{5, 5}}) p->AddPoint(q.x, q.y);
  return p;
}

// box, group{line, group{oval}}, compound{polygon, polygon}: 8 shapes counted deep.
void AddNestedShapes(Drawing& d) {
  d.AddShape(new BoxShape(0, 0, 10, 10));
  d.AddShape(Holding<GroupShape>(
      {new LineShape(0, 0, 5, 5), Holding<GroupShape>({new OvalShape(5, 5, 2, 2)})}));
  d.AddShape(Holding<CompoundShape>({Triangle(), Triangle()}));
}

}  // namespace

TEST(RenderDrawingTest, WalkBracketsContainersAndCountsProgressDeep) {
  {
    Drawing empty;
    TraceDriver t;
    FakeProgress p;
    EXPECT_EQ(RenderDrawing(empty, &t, 0, 0, &p), 1);
    EXPECT_EQ(Ops(t), "BeginDocument EndDocument");
    EXPECT_EQ(p.total, 0);
  }

  Drawing d;
  AddNestedShapes(d);
  d.shapes()[0]->Hide();  // hidden shapes are still written
  TraceDriver t;
  FakeProgress p;
  EXPECT_EQ(RenderDrawing(d, &t, 1, 0, &p), 1);
  EXPECT_EQ(Ops(t),
            "BeginDocument DrawBox BeginGroup DrawLine BeginGroup DrawOval EndGroup EndGroup "
            "BeginCompound DrawPolygon DrawPolygon EndCompound EndDocument");
  // One step per shape, containers included.
  EXPECT_EQ(V(p.starts, p.total, p.advanced), V(1, 8, 8));
  EXPECT_NE(t.lines()[0].find(" embed=1"), std::string::npos);

  // Without a progress window the walk is the same.
  TraceDriver quiet;
  EXPECT_EQ(RenderDrawing(d, &quiet, 0, 0, nullptr), 1);
  EXPECT_EQ(quiet.lines().size(), t.lines().size());
}

TEST(RenderDrawingTest, CancelStopsTheWalkButTheDocumentIsEnded) {
  Drawing d;
  AddNestedShapes(d);
  // Cancelled on the third step (the line inside the group): nothing more is written, the
  // open group is closed and EndDocument still runs.
  TraceDriver t;
  FakeProgress p(3);
  EXPECT_EQ(RenderDrawing(d, &t, 0, 0, &p), 0);
  EXPECT_EQ(Ops(t), "BeginDocument DrawBox BeginGroup EndGroup EndDocument");
  EXPECT_EQ(p.advanced, 3);

  // Cancelled at once: no shape at all.
  TraceDriver t2;
  FakeProgress p2(1);
  EXPECT_EQ(RenderDrawing(d, &t2, 0, 0, &p2), 0);
  EXPECT_EQ(Ops(t2), "BeginDocument EndDocument");

  // A document that cannot begin gets nothing more.
  TraceDriver refusing;
  refusing.SetBeginResult(0);
  FakeProgress p3;
  EXPECT_EQ(RenderDrawing(d, &refusing, 0, 0, &p3), 0);
  EXPECT_EQ(Ops(refusing), "BeginDocument");
  EXPECT_EQ(p3.advanced, 0);
}

TEST(RenderDrawingTest, PageInfoBoxTitleLandscapeAndGrid) {
  Drawing d;
  d.AddShape(new BoxShape(50, 50, 150, 100));  // 100 points wide
  auto* thick = new BoxShape(60, 60, 70, 70);
  thick->SetLineWidth(20);  // line width never widens the box
  d.AddShape(thick);

  // Borders that would turn the box inside out (-1000, or -40 for the 50-point height) count
  // as 0; 10 grows it by 10.5, truncated; a small negative one shrinks it.
  for (auto [border, box] : {std::pair{-1000.0f, std::array{50, 50, 150, 100}},
                             {-40.0f, std::array{50, 50, 150, 100}},
                             {10.0f, std::array{39, 39, 160, 110}},
                             {-3.0f, std::array{52, 52, 147, 97}}}) {
    PageInfo p = MakePageInfo(d, border);
    EXPECT_EQ((std::array{p.llx, p.lly, p.urx, p.ury}), box) << border;
  }
  PageInfo p = MakePageInfo(d, 0);
  EXPECT_EQ(p.title + std::to_string(p.landscape), "Untitled0");

  Drawing neg;
  neg.AddShape(new BoxShape(-20.2f, -30, 10, 10));
  p = MakePageInfo(neg, 0);  // -20.7 truncates toward zero
  EXPECT_EQ((std::array{p.llx, p.lly, p.urx}), (std::array{-20, -30, 10}));

  std::string longName(400, 'n');
  d.path = "/home/user/drawings/" + longName + ".qlx";
  d.landscape = 1;
  d.grid.hSpacing = 18, d.grid.vSpacing = 9, d.grid.show = 1, d.grid.snap = 0;
  p = MakePageInfo(d, 0);
  EXPECT_EQ(p.title + std::to_string(p.landscape), longName + ".qlx1");  // carried whole
  EXPECT_EQ((std::vector<int32_t>(p.grid, p.grid + 4)), (std::vector<int32_t>{18, 9, 1, 0}));

  d.path = "/tmp/plan.qlx";
  TraceDriver t;
  RenderDrawing(d, &t, 0, 10, nullptr);
  EXPECT_EQ(t.lines()[0],
            "BeginDocument bbox=[39 39 160 110] title=\"plan.qlx\" landscape=1 grid=[18 9 1 0] "
            "embed=0");
}

TEST(RenderDrawingTest, EveryShapeKindWritesItsGeometryMatrixAndStyle) {
  PaintStyle style;
  style.lineWidth = 2.5f, style.fillOn = 1, style.pattern = 3, style.dash = 1;
  style.strokeColor = Color{10, 20, 30}, style.fillColor = Color{40, 50, 60};
  const std::string st = "{lw=2.5 S=1:10,20,30 F=1:40,50,60 pat=3 dash=1}";
  const std::string mx = "[2 0 0.5 1 10 -20]";
  auto place = [&](Shape* s) {
    s->SetPaintStyle(style);
    s->SetMatrix(2, 0, 0.5f, 1, 10, -20);
    return s;
  };

  Drawing d;
  auto* line = static_cast<LineShape*>(place(new LineShape(1, 2, 3, 4)));
  line->SetArrows(Arrowhead{1, 2}, Arrowhead{2, 0});
  d.AddShape(line);
  d.AddShape(place(new BoxShape(0, 1, 10, 20)));
  d.AddShape(place(new OvalShape(50, 60, 10, 5)));
  d.AddShape(place(new ArcShape(5, 6, 7, 8, 30, 300)));
  auto* poly = static_cast<PolygonShape*>(place(Triangle()));
  poly->Close();
  d.AddShape(poly);
  auto* curve = new CurveShape;
  curve->AddNode(MakeCurveNode(0, 0, 1));
  curve->AddNode(CurveNode{10, 0, 8, -2, 12, 2, 0});
  d.AddShape(place(curve));
  auto* image = new ImageShape;
  image->image.width = 2, image->image.height = 1;
  image->image.pixels = {255, 0, 0, 0, 0, 255};
  image->SetMatrix(40, 0, 0, 20, 100, 200);
  d.AddShape(image);

  TraceDriver t;
  ASSERT_EQ(RenderDrawing(d, &t, 0, 0, nullptr), 1);
  TraceDriver expectImage;
  Matrix im = MakeMatrix(40, 0, 0, 20, 100, 200);
  expectImage.DrawImage(&im, &image->image);
  std::vector<std::string> expected = {
      "DrawLine " + st + " " + mx + " 1 2 3 4 1:2 2:0",
      "DrawBox " + st + " " + mx + " 0 1 10 20",
      "DrawOval " + st + " " + mx + " 50 60 10 5",
      "DrawArc " + st + " " + mx + " 5 6 7 8 30 300",
      "DrawPolygon " + st + " " + mx + " n=3 closed=1 (0 0) (10 0) (5 5)",
      "DrawCurve " + st + " " + mx + " n=2 closed=0 (0 0; 0 0; 0 0; 1) (10 0; 8 -2; 12 2; 0)",
      expectImage.lines()[0],
  };
  ASSERT_EQ(t.lines().size(), expected.size() + 2);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(t.lines()[i + 1], expected[i]);
  EXPECT_EQ(expectImage.lines()[0].rfind("DrawImage [40 0 0 20 100 200] 2x1 fnv=", 0), 0u);
}
