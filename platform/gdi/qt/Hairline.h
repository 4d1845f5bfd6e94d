// One-pixel solid lines straight into 32-bit image rows, without a painter: the same pixels as
// the painter's aliased hairline drawing with a flat cap (fixed-point steps along the major
// axis, one pixel a step, the joint pixel between segments drawn once, and a pixel added where
// a turn would leave a gap), so that outlines drawn either way match exactly.
#pragma once

#include <QList>
#include <QPoint>
#include <algorithm>
#include <cstdint>
#include <vector>

class QPainterPath;

namespace gdi {

class Hairline {
 public:
  // Rows of `width` x `height` pixels, `stride` pixels apart; pixels outside are left alone.
  Hairline(uint32_t* pixels, int32_t stride, int32_t width, int32_t height, uint32_t color);

  // Only rows top .. bottom - 1 are written; the steps stay those of the whole image, so a
  // band of the image gets exactly its share of the line.
  void LimitRows(int32_t top, int32_t bottom) {
    top_ = top;
    bottom_ = bottom;
  }

  static constexpr int kMaxDashes = 8;

  // Dashes as the painter's one-pixel pen takes them: alternate on and off lengths in pixels,
  // restarting with each figure; empty (the default) draws solid. False, and solid, when the
  // pattern has more lengths than the line keeps.
  bool SetDashPattern(const QList<qreal>& lengths);

  // The segments between successive points (no repeated neighbours); `closed` adds the segment
  // from the last point back to the first.
  void Polyline(const QPoint* points, int n, bool closed);
  // Each figure of the path, its curves cut into straight pieces by halving; a figure that ends
  // where it starts joins up there.
  void Path(const QPainterPath& path);
  // The same for elements kept as the path keeps them (see HairlinePath).
  struct Element {
    double x, y;
    int type;  // QPainterPath::ElementType
  };
  void Path(const Element* elements, int n);

 private:
  enum Direction { kNone = 0, kDown = 1, kUp = 2, kRight = 4, kLeft = 8 };
  struct Pixel {
    int x, y;
  };
  struct PointF {
    double x, y;
  };
  struct Dasher;
  template <typename At>
  void Figures(int n, const At& at);
  void Cubic(const PointF& p1, const PointF& p2, const PointF& p3, const PointF& p4);
  bool Clip(double& x1, double& y1, double& x2, double& y2);
  // Within the cut lines a point needs no cutting.
  bool Inside(double x, double y) const {
    return x >= xmin_ && x <= xmax_ && y >= ymin_ && y <= ymax_;
  }
  // So far inside the rows and columns written that no pixel of a segment from here to
  // another such point can fall outside (the joints reach a few pixels past the ends).
  template <typename T>
  bool Clear(T x, T y) const {
    constexpr int kMargin = 4;
    return x >= kMargin && x <= width_ - 1 - kMargin && y >= top_ + kMargin &&
           y <= bottom_ - 1 - kMargin;
  }
  void Segment(double x1, double y1, double x2, double y2);
  // The next segment of a figure: unclipped in 26.6 fixed point from the last end (kept
  // converted) when the whole figure lies inside, otherwise cut as it comes.
  void SegmentTo(const PointF& from, const PointF& to);
  // Both ends in 26.6 fixed point, already cut.
  void FixedSegment(int x1, int y1, int x2, int y2);
  // What a segment leaves for the next to join: its last pixel and its direction. A run of
  // segments keeps it in a local, where the pixel stores cannot touch it.
  struct Joint {
    Pixel pixel;
    int dir;
    bool axisAligned;
  };
  [[gnu::always_inline]] inline void Step(Joint& j, int x1, int y1, int x2, int y2);
  [[gnu::always_inline]] inline void SegmentTo(Joint& j, const PointF& from, const PointF& to);
  Joint LoadJoint() const { return {lastPixel_, lastDir_, lastAxisAligned_}; }
  void SaveJoint(const Joint& j) {
    lastPixel_ = j.pixel;
    lastDir_ = j.dir;
    lastAxisAligned_ = j.axisAligned;
  }
  inline void SteepRun(int x, int xinc, int y, int ys);
  inline void ShallowRun(int x, int xs, int y, int yinc);
  void FindLastPixel(double x1, double y1, double x2, double y2);
  void FixedLastPixel(int x1, int y1, int x2, int y2);
  Dasher StartDashes(bool backwards, int pixels);
  // Whether every pixel between the two ends of a straight run (either way round) may be
  // written, so that the run needs no test a pixel.
  bool RunInside(int x1, int x2, int y1, int y2) const {
    return std::min(x1, x2) >= 0 && std::max(x1, x2) < width_ && std::min(y1, y2) >= top_ &&
           std::max(y1, y2) < bottom_;
  }
  void Put(int x, int y) {
    if (x >= 0 && x < width_ && y >= top_ && y < bottom_)
      pixels_[x + intptr_t(stride_) * y] = color_;
  }

  uint32_t* pixels_;
  int32_t stride_, width_;
  int32_t top_ = 0, bottom_;
  uint32_t color_;
  double xmin_, xmax_, ymin_, ymax_;
  bool inside_ = false;      // the figure being drawn lies wholly inside the cut lines
  bool runsInside_ = false;  // and all its points are clear of the edges written
  Pixel at_{0, 0};           // its last end in 26.6 fixed point, while inside
  Pixel lastPixel_{0, 0};
  int lastDir_ = kNone;
  bool lastAxisAligned_ = false;
  // Running ends of the dashes in 1/64 pixel, forwards and for lines drawn backwards; the
  // length is 0 for a solid line.
  int pattern_[kMaxDashes], reversePattern_[kMaxDashes];
  int patternSize_ = 0, patternLength_ = 0, patternOffset_ = 0;
};

// A path's elements built as QPainterPath builds them, without the path object: it starts at
// (0, 0); a move right after a move replaces it; a line to the current point and a curve with
// every point there are dropped; a close returns to the figure's start unless there already,
// and the next piece then starts a new figure at that start.
class HairlinePath {
 public:
  void Clear();
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CubicTo(double x1, double y1, double x2, double y2, double x3, double y3);
  void CloseFigure();
  // Only a move: nothing to draw.
  bool Empty() const { return elements_.size() == 1 && elements_[0].type == 0; }
  const Hairline::Element* data() const { return elements_.data(); }
  int size() const { return int(elements_.size()); }

 private:
  void StartAgain();
  std::vector<Hairline::Element> elements_{{0, 0, 0}};
  size_t start_ = 0;  // the current figure's move
  bool restart_ = false;
};

}  // namespace gdi
