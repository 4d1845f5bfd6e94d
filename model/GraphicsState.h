// The one PostScript-like drawing state: current path, matrix and state stacks, transforms,
// flattening and the hit tests on the current path. Painting is handed to the current
// PathPainter, which the renderer installs for its draw target.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/GrowArray.h"
#include "platform/gdi/Device.h"

struct ImageData;

enum PathElementKind : int32_t {
  kPathMoveTo = 1,
  kPathLineTo = 2,
  kPathCurveTo = 3,
  kPathClosePath = 4,
};

// Points are in device space, transformed by the matrix current when the element was added.
struct PathElement {
  int32_t kind = 0;
  Point p[3];
};

// The part of the state that gsave and grestore save and restore as a whole.
struct GState {
  float cpx = 0, cpy = 0;  // current point, user space
  int32_t cpDefined = 0;
  float lineWidth = 1;                 // device units
  float red = 0, green = 0, blue = 0;  // 0..1
  int32_t pattern = -1;
  int32_t dash = -1;
  MatrixD ctm;
};

class GraphicsState;

// One step of an arc path in user space: a moveto to p[0], or a curveto through p[0..2].
struct ArcStep {
  int32_t move = 0;
  Point p[3];
};
// A move and two runs of up to eight pieces each.
inline constexpr int kMaxArcSteps = 17;
// The steps arc(cx, cy, r, a1, a2) takes; returns their count.
int ArcSteps(float cx, float cy, float r, float a1, float a2, ArcStep out[kMaxArcSteps]);

// The painting end: what stroke, fill and image drawing do on the current draw target.
class PathPainter {
 public:
  virtual ~PathPainter() = default;
  // mode 1 full rendering, anything else the outline rendering.
  virtual void Stroke(GraphicsState& gs, int mode) = 0;
  virtual void Fill(GraphicsState& gs, int mode) = 0;
  // Pixels of an image whose unit square maps through the current matrix.
  virtual void Image(GraphicsState& gs, const ImageData& image) = 0;
  // One line of text with its baseline starting at user point (x, y) in the current colour;
  // extraPerSpace is added to the advance of every space (justification). Painters that do
  // not draw text keep the empty default.
  virtual void ShowText(GraphicsState& /*gs*/, const char* /*font*/, float /*size*/,
                        const char* /*text*/, int32_t /*length*/, float /*x*/, float /*y*/,
                        float /*extraPerSpace*/) {}
};

class GraphicsState {
 public:
  GraphicsState();

  // State stack. grestore on an empty stack logs "Stack underflow" and returns false.
  void gsave();
  bool grestore();
  // The matrix stack, separate from the state stack.
  void savematrix();
  void pushidentity();  // saves the matrix and makes the identity current
  bool restorematrix();
  void currentmatrix(float out[6]) const;
  void setmatrix(const MatrixD& m);
  const MatrixD& matrix() const { return st_.ctm; }

  // Each pre-multiplies the current matrix (new = op x current); a defined current point keeps
  // its device position.
  void translate(double tx, double ty);
  void scale(double sx, double sy);
  void rotate(double degrees);
  void concat(const MatrixD& m);
  void concat(const Matrix& m);

  Point transform(double x, double y) const;
  Point dtransform(double x, double y) const;
  Point itransform(double x, double y) const;
  Point idtransform(double x, double y) const;

  // Path building (user coordinates).
  void newpath();
  void moveto(float x, float y);
  void lineto(float x, float y);
  void curveto(float x1, float y1, float x2, float y2, float x3, float y3);
  void closepath();
  void rmoveto(float dx, float dy);
  void rlineto(float dx, float dy);
  // Counter-clockwise from a1 to a2 degrees; exactly 0..360 is a circle of four quarters.
  void arc(float cx, float cy, float r, float a1, float a2);
  // The path steps of an arc as ArcSteps gives them, so a shape can keep them between redraws.
  void arcsteps(const ArcStep* steps, int count);
  // Closed rectangle path through the two corners.
  void rectpath(float x1, float y1, float x2, float y2);

  void setlinewidth(float userWidth);
  void setrgbcolor(float r, float g, float b);
  void setpattern(int32_t pattern);
  void setdash(int32_t dash);

  // Hand the path to the current painter, then clear the path and the current point.
  void stroke(int mode);
  void fill(int mode);
  // Draws an image's pixels through the current matrix (unit square placement).
  void image(const ImageData& image);
  // Hands one line of text to the current painter (see PathPainter::ShowText).
  void show(const char* font, float size, const char* text, int32_t length, float x, float y,
            float extraPerSpace);

  // Flattens the current path into integer device polylines (see FlatPoints and FlatCounts).
  bool flatten();
  const GrowArray<gdi::DevPoint>& FlatPoints() const { return flat_; }
  const GrowArray<int32_t>& FlatCounts() const { return flatCounts_; }

  // Even-odd test of a user-space point against the first subpath of the flattened path. With
  // closeOpenSubpath an open subpath counts as closed back to its start (the region a fill
  // paints); otherwise only the edges it has are crossed.
  bool PointInPath(float x, float y, bool closeOpenSubpath = false);
  // Does the first subpath's polyline meet the user-space rectangle?
  bool PathTouchesRect(float x1, float y1, float x2, float y2);

  const GState& state() const { return st_; }
  GState& state() { return st_; }
  const GrowArray<PathElement>& path() const { return path_; }
  // Makes a copy taken from path() the current path again, so one shape's path is built once
  // for its fill and its stroke. False, the path unchanged, when there is no memory.
  bool setpath(const GrowArray<PathElement>& copy) { return path_.CopyFrom(copy); }
  int32_t SaveDepth() const { return saves_.Count(); }

  // Forgets the path and both stacks and resets the state (a fresh drawing pass).
  void Reset();

 private:
  void AddElement(int32_t kind, const Point* pts, int32_t n);
  void ReexpressCurrentPoint(const MatrixD& oldCtm);

  GState st_;
  GrowArray<PathElement> path_;
  GrowArray<gdi::DevPoint> flat_;
  GrowArray<int32_t> flatCounts_;
  GrowArray<GState> saves_;
  GrowArray<MatrixD> matrices_;
};

// The process-wide graphics state.
GraphicsState& TheGraphicsState();

// The painter for stroke, fill and image; null paints nothing.
void SetPathPainter(PathPainter* painter);
PathPainter* CurrentPathPainter();

inline void GraphicsState::show(const char* font, float size, const char* text, int32_t length,
                                float x, float y, float extraPerSpace) {
  if (PathPainter* p = CurrentPathPainter())
    p->ShowText(*this, font, size, text, length, x, y, extraPerSpace);
}

// One Bezier piece of an arc of radius r about (cx, cy) from a1 over da degrees (da <= 90):
// the end points and the two controls.
void ArcPiece(double cx, double cy, double r, double a1, double da, Point out[4]);
// The pieces of an arc from a1 to a2 degrees: both brought into 0..360, the sweep cut into
// pieces of 90 and a smaller last one (a sweep of 0 gives none). Returns the piece count and
// fills up to maxPieces start angles and sweeps.
int ArcPieces(double a1, double a2, double* starts, double* sweeps, int maxPieces);

// Control-point factor of a Bezier quarter circle.
inline constexpr double kQuarterCircle = 0.5522848;
