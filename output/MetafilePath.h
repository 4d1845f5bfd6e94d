// The figures of a metafile path (and of the curve and arc records drawn outside one), kept in
// mapped coordinates and turned into polygons, curves or a compound path when painted.
#pragma once

#include <cstddef>
#include <vector>

#include "model/PathShapes.h"

struct PathFigure {
  std::vector<CurveNode> nodes;  // corner nodes; a straight segment has controls on its ends
  bool closed = false;
  bool curved = false;
};

class MetaPath {
 public:
  // At most maxNodes nodes in all; further points are dropped (the caller bounds it by the
  // file's size, so a path never outgrows the file that describes it).
  explicit MetaPath(size_t maxNodes) : maxNodes_(maxNodes) {}

  void MoveTo(Point p);
  void LineTo(Point p);
  void BezierTo(Point c1, Point c2, Point p);
  // The figure is closed; the next segment starts a new one at its first point.
  void CloseFigure();
  void Clear();
  bool Empty() const { return figures_.empty(); }
  const std::vector<PathFigure>& figures() const { return figures_; }

  // The figures with two or more nodes as one shape in `style`: a polygon for a straight
  // figure, a curve for one with Beziers, a compound path for several. With closeAll every
  // figure is closed (a fill). Null when nothing remains or memory runs out.
  Shape* MakeShape(const PaintStyle& style, bool closeAll) const;

 private:
  PathFigure* Open();
  size_t maxNodes_;
  size_t count_ = 0;
  bool open_ = false;  // the last figure still takes segments
  Point start_, current_;
  std::vector<PathFigure> figures_;
};

// The Bezier points of an elliptical arc about (cx, cy) with radii rx, ry from angle a1 over
// sweep (radians, either sign): the start, then three points per piece of at most 90 degrees.
std::vector<Point> ArcBezierPoints(double cx, double cy, double rx, double ry, double a1,
                                   double sweep);
