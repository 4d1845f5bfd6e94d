#include "model/ImageShape.h"

#include <new>

#include "model/BitmapLoader.h"
#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/SimpleShapes.h"
#include "output/OutputDriver.h"

namespace {

// The image's local outline: the unit square, closed.
void UnitSquarePath(GraphicsState& gs, const Matrix& m) {
  gs.gsave();
  gs.concat(m);
  gs.moveto(0, 0);
  gs.lineto(0, 1);
  gs.lineto(1, 1);
  gs.lineto(1, 0);
  gs.lineto(0, 0);
  gs.grestore();
}

}  // namespace

// An image has no path of its own: its pixels are drawn, not filled or stroked.
void ImageShape::BuildPath() {}

void ImageShape::Draw(int32_t mode) {
  GraphicsState& gs = TheGraphicsState();
  if (mode == 1) {
    if (!image.HasPixels()) return;
    gs.gsave();
    gs.concat(matrix_);
    gs.image(image);
    gs.grestore();
    return;
  }
  gs.gsave();
  gs.newpath();
  UnitSquarePath(gs, matrix_);
  gs.setlinewidth(0);
  gs.setrgbcolor(0, 0, 0);
  gs.setpattern(-1);
  gs.setdash(-1);
  gs.stroke(mode);
  gs.grestore();
}

void ImageShape::DrawHandles(int32_t mode) {
  Draw(0);
  static const Point kCorners[4] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  MarkHandles(kCorners, 4, mode);
}

void ImageShape::Write(OutputDriver& driver) { driver.DrawImage(&matrix_, &image); }

Shape* ImageShape::Clone() const {
  // The pixel copy is the one allocation here that can fail.
  try {
    return new ImageShape(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ImageShape::GetBounds(Rect* out, int32_t includeLine) {
  Rect r;
  static const float kCorners[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
  for (const auto& c : kCorners) {
    Point p = Transform(matrix_, c[0], c[1]);
    AddPointToRect(&r, p.x, p.y);
  }
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* ImageShape::Editor() { return TheShapeEditors().image; }

int32_t ImageShape::TouchesRect(float x1, float y1, float x2, float y2) {
  Rect b;
  GetBounds(&b, 0);
  if (!RectsIntersect(b.x1, b.y1, b.x2, b.y2, x1, y1, x2, y2)) return 0;
  GraphicsState& gs = TheGraphicsState();
  gs.newpath();
  UnitSquarePath(gs, matrix_);
  int32_t hit = gs.PathTouchesRect(x1, y1, x2, y2) ? 1 : 0;
  gs.newpath();
  return hit;
}

// Inside the square on the page is inside the unit square in image coordinates. A matrix that
// collapses the image inverts to far-away values, so nothing is inside it.
int32_t ImageShape::HitInterior(float x, float y) {
  if (!style_.fillOn) return 0;
  Rect b;
  GetBounds(&b, 0);
  if (x < b.x1 || x > b.x2 || y < b.y1 || y > b.y2) return 0;
  Point u = ITransform(matrix_, x, y);
  return (u.x >= 0 && u.x <= 1 && u.y >= 0 && u.y <= 1) ? 1 : 0;
}

int32_t ImageShape::LoadFromFile(const char* path) { return LoadBmpFile(path, &image); }
