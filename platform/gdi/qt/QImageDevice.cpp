#include "platform/gdi/qt/QImageDevice.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cstring>

namespace gdi {

namespace {

constexpr uint32_t kSolidBrush = 0xFFFFFFFF;
constexpr uint32_t kNullBrush = 0xFFFFFFFE;
constexpr uint32_t kPenStyleMask = 0x0F;
constexpr uint32_t kEndCapMask = 0x0F00;
constexpr uint32_t kJoinMask = 0xF000;
constexpr uint32_t kEndCapSquare = 0x100;
constexpr uint32_t kJoinBevel = 0x1000;
// GDI's miter limit is 10 line widths of miter length; Qt counts half as far from the join.
constexpr double kMiterLimit = 5.0;
// Mask pixels beyond a primitive's mathematical bounds that its pen may still touch.
constexpr double kMaskMargin = 2.0;

QColor ToQColor(ColorRef c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

ColorRef FromQRgb(QRgb p) { return Rgb(qRed(p), qGreen(p), qBlue(p)); }

bool IsDashStyle(uint32_t style) { return style >= PS_DASH && style <= PS_DASHDOTDOT; }

// GDI's cosmetic dash lengths in pixels.
QList<qreal> DashPattern(uint32_t style) {
  switch (style) {
    case PS_DASH:
      return {18, 6};
    case PS_DOT:
      return {3, 3};
    case PS_DASHDOT:
      return {9, 6, 3, 6};
    default:
      return {9, 3, 3, 3, 3, 3};
  }
}

QPainterPath PolyPath(const DevPoint* points, const int32_t* counts, int32_t polys, bool closed) {
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);  // GDI's default ALTERNATE fill mode
  for (int32_t k = 0; k < polys; ++k) {
    int32_t n = counts[k];
    if (n <= 0) continue;
    path.moveTo(points[0].x, points[0].y);
    for (int32_t i = 1; i < n; ++i) path.lineTo(points[i].x, points[i].y);
    if (closed) path.closeSubpath();
    points += n;
  }
  return path;
}

bool SumCounts(const int32_t* counts, int32_t polys, int64_t* total) {
  if (!counts || polys < 0) return false;
  *total = 0;
  for (int32_t i = 0; i < polys; ++i) {
    if (counts[i] < 0) return false;
    *total += counts[i];
  }
  return true;
}

// Pixels of a device rectangle inside an image; false when it leaves the image or is empty.
bool AreaInside(const DevRect& a, int32_t w, int32_t h) {
  return a.left >= 0 && a.top >= 0 && a.right <= w && a.bottom <= h && a.left < a.right &&
         a.top < a.bottom;
}

}  // namespace

QImageDevice::QImageDevice(int32_t width, int32_t height) {
  if (width > 0 && height > 0) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (!image_.isNull()) image_.fill(0xFFFFFFFFu);
  }
  attr_.pen = GetStockObject(BLACK_PEN);
  attr_.brush = GetStockObject(WHITE_BRUSH);
}

QImageDevice::~QImageDevice() = default;

// ---- Objects ----

Handle QImageDevice::Add(const Object& object) {
  Handle h = next_++;
  objects_[h] = object;
  return h;
}

const QImageDevice::Object* QImageDevice::Find(Handle h) const {
  auto it = objects_.find(h);
  return it == objects_.end() ? nullptr : &it->second;
}

Handle QImageDevice::CreatePen(uint32_t style, int32_t width, ColorRef color) {
  Object o;
  o.kind = kPen;
  o.style = style & kPenStyleMask;
  o.width = width;
  o.color = color;
  return Add(o);
}

Handle QImageDevice::ExtCreatePen(uint32_t style, int32_t width, ColorRef color) {
  Object o;
  o.kind = kPen;
  o.style = style;
  o.width = width;
  o.color = color;
  o.geometric = (style & PS_GEOMETRIC) != 0;
  return Add(o);
}

Handle QImageDevice::CreateSolidBrush(ColorRef color) {
  Object o;
  o.kind = kBrush;
  o.style = kSolidBrush;
  o.color = color;
  return Add(o);
}

Handle QImageDevice::CreatePatternBrush(int32_t pattern) {
  if (pattern < 0 || pattern > 8) return 0;
  Object o;
  o.kind = kBrush;
  o.style = uint32_t(pattern);
  return Add(o);
}

Handle QImageDevice::GetStockObject(int32_t which) {
  Handle h = Handle(1 + which);
  if (objects_.count(h)) return h;
  StockObjectInfo spec;
  if (!DescribeStockObject(which, &spec)) return 0;
  Object o;
  o.stock = true;
  o.kind = spec.pen ? kPen : kBrush;
  o.color = spec.color;
  if (spec.pen) {
    o.style = spec.null ? PS_NULL : PS_SOLID;
    o.width = spec.null ? 0 : 1;
  } else {
    o.style = spec.null ? kNullBrush : kSolidBrush;
  }
  objects_[h] = o;
  return h;
}

Handle QImageDevice::SelectObject(Handle object) {
  const Object* o = Find(object);
  if (!o) return 0;
  Handle& slot = o->kind == kPen ? attr_.pen : attr_.brush;
  Handle previous = slot;
  slot = object;
  return previous;
}

bool QImageDevice::DeleteObject(Handle object) {
  const Object* o = Find(object);
  if (!o) return false;
  if (o->stock) return true;  // stock objects are never deleted, and saying so is harmless
  // A selected object stays alive, as on Windows.
  if (object == attr_.pen || object == attr_.brush) return false;
  for (const Attributes& a : saved_)
    if (object == a.pen || object == a.brush) return false;
  objects_.erase(object);
  return true;
}

// ---- Attributes ----

int32_t QImageDevice::SetROP2(int32_t rop) { return std::exchange(attr_.rop, rop); }
int32_t QImageDevice::SetBkMode(int32_t mode) { return std::exchange(attr_.bkMode, mode); }
ColorRef QImageDevice::SetTextColor(ColorRef color) {
  return std::exchange(attr_.textColor, color);
}
ColorRef QImageDevice::SetBkColor(ColorRef color) { return std::exchange(attr_.bkColor, color); }

int32_t QImageDevice::SaveDC() {
  saved_.push_back(attr_);
  return int32_t(saved_.size());
}

bool QImageDevice::RestoreDC(int32_t level) {
  int32_t depth = int32_t(saved_.size());
  int32_t target = level < 0 ? depth + level + 1 : level;
  if (target < 1 || target > depth) return false;
  attr_ = saved_[size_t(target - 1)];
  saved_.resize(size_t(target - 1));
  return true;
}

// ---- Pens and brushes ----

int32_t QImageDevice::PenPixels() const {
  const Object* o = Find(attr_.pen);
  if (!o || (o->style & kPenStyleMask) == PS_NULL) return 0;
  return std::max<int32_t>(1, o->width);
}

int QImageDevice::PenStrokes(QPen* out) const {
  const Object* o = Find(attr_.pen);
  if (!o) return 0;
  uint32_t base = o->style & kPenStyleMask;
  if (base == PS_NULL) return 0;
  QColor color = ToQColor(o->color);
  if (!o->geometric) {
    // Cosmetic pens: GDI draws dash styles only one pixel wide; a wider dash pen is solid.
    if (IsDashStyle(base) && o->width > 1) base = PS_SOLID;
    if (o->width <= 1) {
      // Width 0 is Qt's one-pixel cosmetic pen; the flat cap leaves out a line's last pixel,
      // as LineTo does.
      QPen pen(color, 0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
      if (!IsDashStyle(base)) {
        out[0] = pen;
        return 1;
      }
      int n = 0;
      if (attr_.bkMode == OPAQUE) {
        QPen gap = pen;
        gap.setColor(ToQColor(attr_.bkColor));
        out[n++] = gap;
      }
      pen.setDashPattern(DashPattern(base));
      out[n++] = pen;
      return n;
    }
    // Wide cosmetic pens have round ends and joins.
    out[0] = QPen(color, o->width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    return 1;
  }
  uint32_t cap = o->style & kEndCapMask, join = o->style & kJoinMask;
  QPen pen(color, std::max<int32_t>(1, o->width), Qt::SolidLine,
           cap == PS_ENDCAP_FLAT  ? Qt::FlatCap
           : cap == kEndCapSquare ? Qt::SquareCap
                                  : Qt::RoundCap,
           join == PS_JOIN_MITER ? Qt::MiterJoin
           : join == kJoinBevel  ? Qt::BevelJoin
                                 : Qt::RoundJoin);
  pen.setMiterLimit(kMiterLimit);
  out[0] = pen;
  return 1;
}

bool QImageDevice::MakeBrush(QBrush* out) const {
  const Object* o = Find(attr_.brush);
  if (!o || o->style == kNullBrush) return false;
  if (o->style == kSolidBrush) {
    *out = QBrush(ToQColor(o->color));
    return true;
  }
  // A zero bit takes the text colour, a one bit the background colour; the cell repeats from
  // the device origin.
  QImage cell(8, 8, QImage::Format_RGB32);
  QRgb zero = ToQColor(attr_.textColor).rgb(), one = ToQColor(attr_.bkColor).rgb();
  for (int y = 0; y < 8; ++y) {
    auto* row = reinterpret_cast<QRgb*>(cell.scanLine(y));
    uint8_t bits = kPatternBits[o->style][y];
    for (int x = 0; x < 8; ++x) row[x] = (bits >> (7 - x)) & 1 ? one : zero;
  }
  *out = QBrush(cell);
  return true;
}

// ---- Painting ----

template <typename Draw>
void QImageDevice::Paint(const QRectF& bounds, const Draw& draw) {
  if (image_.isNull()) return;
  if (attr_.rop == R2_COPYPEN || attr_.rop < R2_BLACK || attr_.rop > 16) {
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing, false);
    draw(p);
    return;
  }
  QRect area = bounds.adjusted(-kMaskMargin, -kMaskMargin, kMaskMargin, kMaskMargin)
                   .toAlignedRect()
                   .intersected(image_.rect());
  if (area.isEmpty()) return;
  QImage mask(area.size(), QImage::Format_ARGB32_Premultiplied);
  if (mask.isNull()) return;
  mask.fill(0);
  {
    QPainter p(&mask);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.translate(-area.left(), -area.top());
    draw(p);
  }
  ApplyRop(mask, area.left(), area.top());
}

void QImageDevice::ApplyRop(const QImage& mask, int32_t left, int32_t top) {
  for (int y = 0; y < mask.height(); ++y) {
    const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(image_.scanLine(top + y)) + left;
    for (int x = 0; x < mask.width(); ++x) {
      if (qAlpha(m[x]) == 0) continue;
      QRgb dst = d[x], src = m[x];
      switch (attr_.rop) {
        case R2_XORPEN:
          dst ^= src & 0x00FFFFFFu;
          break;
        case R2_NOT:
          dst ^= 0x00FFFFFFu;
          break;
        case R2_BLACK:
          dst = 0;
          break;
        default:
          dst = src;
          break;
      }
      d[x] = dst | 0xFF000000u;
    }
  }
}

void QImageDevice::StrokeShape(const QPainterPath& path) {
  QPen pens[2];
  int n = PenStrokes(pens);
  if (n == 0 || path.isEmpty()) return;
  double w = PenPixels();
  QRectF bounds = path.controlPointRect().adjusted(-w, -w, w, w);
  Paint(bounds, [&](QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < n; ++i) p.strokePath(path, pens[i]);
  });
}

void QImageDevice::FillShape(const QPainterPath& path, const QBrush& brush) {
  if (path.isEmpty()) return;
  Paint(path.controlPointRect(), [&](QPainter& p) {
    p.setBrushOrigin(0, 0);
    p.fillPath(path, brush);
  });
}

void QImageDevice::FillShape(const QPainterPath& path) {
  QBrush brush;
  if (MakeBrush(&brush)) FillShape(path, brush);
}

bool QImageDevice::MoveToEx(int32_t x, int32_t y) {
  if (inPath_) path_.push_back({double(x), double(y), 0});
  attr_.position = {x, y};
  return true;
}

bool QImageDevice::LineTo(int32_t x, int32_t y) {
  if (inPath_) {
    path_.push_back({double(x), double(y), 1});
  } else {
    QPainterPath path;
    path.moveTo(attr_.position.x, attr_.position.y);
    path.lineTo(x, y);
    StrokeShape(path);
  }
  attr_.position = {x, y};
  return true;
}

bool QImageDevice::Polygon(const DevPoint* points, int32_t count) {
  if (!points || count < 2) return false;
  QPainterPath path = PolyPath(points, &count, 1, true);
  FillShape(path);
  StrokeShape(path);
  return true;
}

bool QImageDevice::Polyline(const DevPoint* points, int32_t count) {
  if (!points || count < 2) return false;
  StrokeShape(PolyPath(points, &count, 1, false));
  return true;
}

bool QImageDevice::PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  if (!points || !SumCounts(counts, polys, &total)) return false;
  StrokeShape(PolyPath(points, counts, polys, false));
  return true;
}

bool QImageDevice::PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  if (!points || !SumCounts(counts, polys, &total)) return false;
  QPainterPath path = PolyPath(points, counts, polys, true);
  FillShape(path);
  StrokeShape(path);
  return true;
}

// The pen runs along the inside of right - 1, bottom - 1, as GDI's rectangle covers pixels left
// to right - 1.
bool QImageDevice::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  QPainterPath fill;
  fill.addRect(left, top, right - left, bottom - top);
  QPainterPath outline;
  outline.addRect(left, top, right - left - 1, bottom - top - 1);
  FillShape(fill);
  StrokeShape(outline);
  return true;
}

bool QImageDevice::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  QPainterPath path;
  path.addEllipse(left, top, right - left - 1, bottom - top - 1);
  FillShape(path);
  StrokeShape(path);
  return true;
}

// ---- Paths ----

bool QImageDevice::BeginPath() {
  path_.clear();
  inPath_ = true;
  pathReady_ = false;
  return true;
}

bool QImageDevice::EndPath() {
  if (!inPath_) return false;
  inPath_ = false;
  pathReady_ = true;
  return true;
}

bool QImageDevice::PolyBezierTo(const DevPoint* points, int32_t count) {
  if (!points || count < 0 || count % 3 != 0) return false;
  if (inPath_) {
    for (int32_t i = 0; i < count; ++i)
      path_.push_back({double(points[i].x), double(points[i].y), i % 3 == 2 ? 3 : 2});
  } else if (count > 0) {
    QPainterPath path;
    path.moveTo(attr_.position.x, attr_.position.y);
    for (int32_t i = 0; i + 2 < count; i += 3)
      path.cubicTo(points[i].x, points[i].y, points[i + 1].x, points[i + 1].y, points[i + 2].x,
                   points[i + 2].y);
    StrokeShape(path);
  }
  if (count > 0) attr_.position = points[count - 1];
  return true;
}

bool QImageDevice::CloseFigure() {
  if (!inPath_) return false;
  path_.push_back({0, 0, 4});
  return true;
}

bool QImageDevice::AbortPath() {
  path_.clear();
  inPath_ = pathReady_ = false;
  return true;
}

// The recorded path as a QPainterPath, forgotten afterwards as GDI forgets a used path.
bool QImageDevice::TakePath(QPainterPath* out) {
  if (!pathReady_) return false;
  QPainterPath path;
  path.setFillRule(Qt::OddEvenFill);
  for (size_t i = 0; i < path_.size(); ++i) {
    const PathPoint& p = path_[i];
    switch (p.kind) {
      case 0:
        path.moveTo(p.x, p.y);
        break;
      case 1:
        path.lineTo(p.x, p.y);
        break;
      case 2:
        if (i + 2 < path_.size()) {
          path.cubicTo(p.x, p.y, path_[i + 1].x, path_[i + 1].y, path_[i + 2].x, path_[i + 2].y);
          i += 2;
        }
        break;
      case 4:
        path.closeSubpath();
        break;
      default:
        break;
    }
  }
  path_.clear();
  pathReady_ = false;
  *out = path;
  return true;
}

bool QImageDevice::StrokePath() {
  QPainterPath path;
  if (!TakePath(&path)) return false;
  StrokeShape(path);
  return true;
}

bool QImageDevice::FillPath() {
  QPainterPath path;
  if (!TakePath(&path)) return false;
  FillShape(path);
  return true;
}

bool QImageDevice::StrokeAndFillPath() {
  QPainterPath path;
  if (!TakePath(&path)) return false;
  FillShape(path);
  StrokeShape(path);
  return true;
}

// ---- Pixels ----

ColorRef QImageDevice::GetPixel(int32_t x, int32_t y) {
  if (!image_.valid(x, y)) return kInvalidColor;
  return FromQRgb(reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x]);
}

ColorRef QImageDevice::SetPixel(int32_t x, int32_t y, ColorRef color) {
  if (!image_.valid(x, y)) return kInvalidColor;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = ToQColor(color).rgb();
  return color & 0xFFFFFF;
}

DevRect QImageDevice::GetClipBox() { return DevRect{0, 0, image_.width(), image_.height()}; }

bool QImageDevice::ReadPixels(const DevRect& area, uint8_t* rgb) {
  if (!rgb || !AreaInside(area, image_.width(), image_.height())) return false;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image_.constScanLine(y));
    for (int32_t x = area.left; x < area.right; ++x) {
      *rgb++ = uint8_t(qRed(row[x]));
      *rgb++ = uint8_t(qGreen(row[x]));
      *rgb++ = uint8_t(qBlue(row[x]));
    }
  }
  return true;
}

bool QImageDevice::WritePixels(const DevRect& area, const uint8_t* rgb) {
  if (!rgb || !AreaInside(area, image_.width(), image_.height())) return false;
  for (int32_t y = area.top; y < area.bottom; ++y) {
    auto* row = reinterpret_cast<QRgb*>(image_.scanLine(y));
    for (int32_t x = area.left; x < area.right; ++x, rgb += 3)
      row[x] = qRgb(rgb[0], rgb[1], rgb[2]);
  }
  return true;
}

bool QImageDevice::StretchRgb(const DevRect& dest, int32_t width, int32_t height,
                              const uint8_t* rgb) {
  if (image_.isNull() || !rgb || width <= 0 || height <= 0) return false;
  if (width > (INT32_MAX / 3)) return false;
  // QImage over the caller's rows (no padding); only read while it lives.
  QImage source(rgb, width, height, width * 3, QImage::Format_RGB888);
  QRect target(QPoint(std::min(dest.left, dest.right), std::min(dest.top, dest.bottom)),
               QSize(std::abs(dest.right - dest.left), std::abs(dest.bottom - dest.top)));
  if (target.isEmpty()) return false;
  QPainter p(&image_);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(target, source);
  return true;
}

bool QImageDevice::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx,
                          int32_t sy, uint32_t rop) {
  auto* src = dynamic_cast<QImageDevice*>(source);
  if (image_.isNull() || w <= 0 || h <= 0) return false;
  if (rop != DSTINVERT && (!src || src->image_.isNull())) return false;
  // Clip to both images, in 64 bits so that no sum overflows.
  int64_t x0 = std::max<int64_t>({0, x, src ? int64_t(x) - sx : int64_t(x)});
  int64_t y0 = std::max<int64_t>({0, y, src ? int64_t(y) - sy : int64_t(y)});
  int64_t x1 = std::min<int64_t>(int64_t(x) + w, image_.width());
  int64_t y1 = std::min<int64_t>(int64_t(y) + h, image_.height());
  if (src) {
    x1 = std::min<int64_t>(x1, int64_t(x) - sx + src->image_.width());
    y1 = std::min<int64_t>(y1, int64_t(y) - sy + src->image_.height());
  }
  if (x0 >= x1 || y0 >= y1) return true;
  // A copy of the source rows first, so a transfer within one image reads what was there.
  QImage copy;
  if (src) copy = src->image_.copy(int(x0 - x + sx), int(y0 - y + sy), int(x1 - x0), int(y1 - y0));
  for (int64_t row = y0; row < y1; ++row) {
    auto* d = reinterpret_cast<QRgb*>(image_.scanLine(int(row)));
    const QRgb* s =
        src ? reinterpret_cast<const QRgb*>(copy.constScanLine(int(row - y0))) : nullptr;
    for (int64_t col = x0; col < x1; ++col) {
      QRgb v = d[col];
      switch (rop) {
        case SRCCOPY:
          v = s[col - x0];
          break;
        case SRCINVERT:
          v ^= s[col - x0];
          break;
        case SRCXNOR:
          v = ~(v ^ s[col - x0]);
          break;
        case DSTINVERT:
          v = ~v;
          break;
        default:
          if (s) v = s[col - x0];
          break;
      }
      d[col] = v | 0xFF000000u;
    }
  }
  return true;
}

}  // namespace gdi
