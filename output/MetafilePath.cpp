#include "output/MetafilePath.h"

#include <cmath>
#include <memory>

#include "model/ContainerShapes.h"

PathFigure* MetaPath::Open() {
  if (!open_) {
    PathFigure f;
    f.nodes.push_back(MakeCurveNode(current_.x, current_.y, 1));
    figures_.push_back(std::move(f));
    ++count_;
    start_ = current_;
    open_ = true;
  }
  return &figures_.back();
}

void MetaPath::MoveTo(Point p) {
  open_ = false;
  current_ = p;
}

void MetaPath::LineTo(Point p) {
  if (count_ >= maxNodes_) return;
  Open()->nodes.push_back(MakeCurveNode(p.x, p.y, 1));
  ++count_;
  current_ = p;
}

void MetaPath::BezierTo(Point c1, Point c2, Point p) {
  if (count_ >= maxNodes_) return;
  PathFigure* f = Open();
  CurveNode& last = f->nodes.back();
  last.outX = c1.x;
  last.outY = c1.y;
  CurveNode n = MakeCurveNode(p.x, p.y, 1);
  n.inX = c2.x;
  n.inY = c2.y;
  f->nodes.push_back(n);
  f->curved = true;
  ++count_;
  current_ = p;
}

void MetaPath::CloseFigure() {
  if (!open_) return;
  figures_.back().closed = true;
  open_ = false;
  current_ = start_;
}

void MetaPath::Clear() {
  figures_.clear();
  open_ = false;
  count_ = 0;
}

namespace {

// A closed figure whose last node repeats its first has that node folded into the first, so
// the closing segment is not drawn twice.
std::vector<CurveNode> ClosedNodes(const PathFigure& f) {
  std::vector<CurveNode> nodes = f.nodes;
  if (nodes.size() > 2 && nodes.back().x == nodes.front().x && nodes.back().y == nodes.front().y) {
    nodes.front().inX = nodes.back().inX;
    nodes.front().inY = nodes.back().inY;
    nodes.pop_back();
  }
  return nodes;
}

Shape* FigureShape(const PathFigure& f, const PaintStyle& style, bool close) {
  const std::vector<CurveNode> nodes = close ? ClosedNodes(f) : f.nodes;
  std::unique_ptr<Shape> shape;
  if (!f.curved) {
    auto poly = std::make_unique<PolygonShape>();
    for (const CurveNode& n : nodes) {
      if (!poly->AddPoint(n.x, n.y)) return nullptr;
    }
    if (close && nodes.size() > 2) poly->Close();
    shape = std::move(poly);
  } else {
    auto curve = std::make_unique<CurveShape>();
    for (const CurveNode& n : nodes) {
      if (!curve->AddNode(n)) return nullptr;
    }
    if (close) curve->Close();
    shape = std::move(curve);
  }
  shape->SetPaintStyle(style);
  return shape.release();
}

}  // namespace

Shape* MetaPath::MakeShape(const PaintStyle& style, bool closeAll) const {
  std::vector<const PathFigure*> used;
  for (const PathFigure& f : figures_) {
    if (f.nodes.size() >= 2) used.push_back(&f);
  }
  if (used.empty()) return nullptr;
  if (used.size() == 1) return FigureShape(*used[0], style, closeAll || used[0]->closed);
  auto compound = std::make_unique<CompoundShape>();
  if (!compound->children()) return nullptr;
  for (const PathFigure* f : used) {
    Shape* child = FigureShape(*f, style, closeAll || f->closed);
    if (!child) return nullptr;
    if (!compound->children()->Append(child)) {
      delete child;
      return nullptr;
    }
  }
  compound->SetPaintStyle(style);
  return compound.release();
}

std::vector<Point> ArcBezierPoints(double cx, double cy, double rx, double ry, double a1,
                                   double sweep) {
  const int pieces = std::max(1, int(std::ceil(std::fabs(sweep) / (kPi / 2) - 1e-9)));
  const double da = sweep / pieces;
  const double k = 4.0 / 3.0 * std::tan(da / 4);
  auto at = [&](double t, double dx, double dy) {
    return Point{float(cx + rx * (std::cos(t) + dx)), float(cy + ry * (std::sin(t) + dy))};
  };
  std::vector<Point> out;
  out.push_back(at(a1, 0, 0));
  for (int i = 0; i < pieces; ++i) {
    const double t1 = a1 + da * i, t2 = t1 + da;
    out.push_back(at(t1, -k * std::sin(t1), k * std::cos(t1)));
    out.push_back(at(t2, k * std::sin(t2), -k * std::cos(t2)));
    out.push_back(at(t2, 0, 0));
  }
  return out;
}
