#include "platform/gdi/qt/QImageDevice.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <algorithm>
#include <cstring>

#include "platform/gdi/qt/Hairline.h"
#include "platform/gdi/qt/Spans.h"

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
// Beyond this size the hairline's fixed-point steps could overflow; the painter draws instead.
constexpr int kMaxHairlineImage = 8192;

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

QImageDevice::QImageDevice(int32_t width, int32_t height) : spans_(std::make_unique<Spans>()) {
  if (width > 0 && height > 0) {
    image_ = QImage(width, height, QImage::Format_RGB32);
    if (!image_.isNull()) image_.fill(0xFFFFFFFFu);
  }
  clip_ = image_.rect();
  attr_.pen = GetStockObject(BLACK_PEN);
  attr_.brush = GetStockObject(WHITE_BRUSH);
}

QImageDevice::~QImageDevice() { EndPainting(); }

std::unique_ptr<QImageDevice> QImageDevice::Band(QImageDevice& whole, int32_t top, int32_t bottom,
                                                 QImage* scratch) {
  QImage& image = whole.image();
  top = std::max(top, 0);
  bottom = std::min(bottom, image.height());
  if (image.isNull() || top >= bottom) return nullptr;
  auto band = std::make_unique<QImageDevice>(0, 0);
  // Over the same memory: writes go to the whole image, never to a copy.
  band->image_ =
      QImage(image.bits(), image.width(), image.height(), image.bytesPerLine(), image.format());
  band->clip_ = QRect(0, top, image.width(), bottom - top);
  if (scratch) {
    if (scratch->size() != image.size() || scratch->format() != QImage::Format_ARGB32_Premultiplied)
      *scratch = QImage(image.size(), QImage::Format_ARGB32_Premultiplied);
    if (!scratch->isNull())
      band->scratch_ = QImage(scratch->bits(), scratch->width(), scratch->height(),
                              scratch->bytesPerLine(), scratch->format());
  }
  return band;
}

const QImage& QImageDevice::image() const {
  EndPainting();
  return image_;
}

QImage& QImageDevice::image() {
  EndPainting();
  return image_;
}

QPainter* QImageDevice::ImagePainter() {
  if (image_.isNull()) return nullptr;
  if (!painter_) painter_ = std::make_unique<QPainter>();
  if (!painter_->isActive()) {
    if (!painter_->begin(&image_)) return nullptr;
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setBrushOrigin(0, 0);
  }
  return painter_.get();
}

void QImageDevice::EndPainting() const {
  if (painter_ && painter_->isActive()) painter_->end();
}

// ---- Objects ----

Handle QImageDevice::Add(const Object& object) { return objects_.Add(object); }

const QImageDevice::Object* QImageDevice::Find(Handle h) const { return objects_.Find(h); }

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
  if (objects_.Find(h)) return h;
  StockObjectInfo stock;
  if (!DescribeStockObject(which, &stock)) return 0;
  Object o;
  o.stock = true;
  o.kind = stock.pen ? kPen : kBrush;
  o.color = stock.color;
  if (stock.pen) {
    o.style = stock.null ? PS_NULL : PS_SOLID;
    o.width = stock.null ? 0 : 1;
  } else {
    o.style = stock.null ? kNullBrush : kSolidBrush;
  }
  return objects_.Put(h, o) ? h : 0;
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
  return objects_.Erase(object);
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

bool QImageDevice::MakeBrush(QBrush* out) {
  const Object* o = Find(attr_.brush);
  if (!o || o->style == kNullBrush) return false;
  if (o->style == kSolidBrush) {
    *out = QBrush(ToQColor(o->color));
    return true;
  }
  if (int32_t(o->style) == patternOf_ && attr_.textColor == patternText_ &&
      attr_.bkColor == patternBack_) {
    *out = patternBrush_;
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
  patternBrush_ = QBrush(cell);
  patternOf_ = int32_t(o->style);
  patternText_ = attr_.textColor;
  patternBack_ = attr_.bkColor;
  *out = patternBrush_;
  return true;
}

// ---- Painting ----

bool QImageDevice::CopyRop() const {
  return attr_.rop == R2_COPYPEN || attr_.rop < R2_BLACK || attr_.rop > 16;
}

bool QImageDevice::BrushSpans(uint32_t* color, const uint32_t** cell) {
  const Object* o = Find(attr_.brush);
  if (!o || o->style == kNullBrush) return false;
  if (o->style == kSolidBrush) {
    *color = ToQColor(o->color).rgb();
    *cell = nullptr;
    return true;
  }
  if (int32_t(o->style) != cellOf_ || attr_.textColor != cellText_ || attr_.bkColor != cellBack_) {
    const QRgb zero = ToQColor(attr_.textColor).rgb(), one = ToQColor(attr_.bkColor).rgb();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        cell_[y * 8 + x] = (kPatternBits[o->style][y] >> (7 - x)) & 1 ? one : zero;
    cellOf_ = int32_t(o->style);
    cellText_ = attr_.textColor;
    cellBack_ = attr_.bkColor;
  }
  *color = 0;
  *cell = cell_;
  return true;
}

bool QImageDevice::SpanPen(int32_t* width, uint32_t* color) const {
  const Object* o = Find(attr_.pen);
  if (!o || !o->geometric || image_.isNull() || o->width <= 1) return false;
  if ((o->style & kPenStyleMask) != PS_SOLID || (o->style & kEndCapMask) != PS_ENDCAP_FLAT ||
      (o->style & kJoinMask) != PS_JOIN_MITER)
    return false;
  *width = o->width;
  *color = ToQColor(o->color).rgb();
  return true;
}

Spans::Target QImageDevice::SpanTarget() {
  return Spans::Target{reinterpret_cast<uint32_t*>(image_.bits()),
                       int64_t(image_.bytesPerLine() / 4), image_.width(), clip_.top(),
                       clip_.bottom() + 1};
}

void QImageDevice::LoadSpans(const DevPoint* points, const int32_t* counts, int32_t polys,
                             bool closed) {
  spansHoldPath_ = false;
  spans_->Clear();
  for (int32_t k = 0; k < polys; ++k) {
    const int32_t n = counts[k];
    if (n <= 0) continue;
    spans_->MoveTo(points[0].x, points[0].y);
    for (int32_t i = 1; i < n; ++i) spans_->LineTo(points[i].x, points[i].y);
    if (closed) spans_->CloseFigure();
    points += n;
  }
}

template <typename Sink>
void QImageDevice::ReplayRecordedPath(Sink& sink) const {
  sink.Clear();
  for (size_t i = 0; i < path_.size(); ++i) {
    const PathPoint& p = path_[i];
    switch (p.kind) {
      case 0:
        sink.MoveTo(p.x, p.y);
        break;
      case 1:
        sink.LineTo(p.x, p.y);
        break;
      case 2:
        if (i + 2 < path_.size()) {
          sink.CubicTo(p.x, p.y, path_[i + 1].x, path_[i + 1].y, path_[i + 2].x, path_[i + 2].y);
          i += 2;
        }
        break;
      case 4:
        sink.CloseFigure();
        break;
      default:
        break;
    }
  }
}

void QImageDevice::LoadSpans() {
  if (spansHoldPath_ && spansPath_ == path_) return;
  ReplayRecordedPath(*spans_);
  spansPath_ = path_;
  spansHoldPath_ = true;
}

template <typename Draw>
void QImageDevice::Paint(const QRectF& bounds, double reach, const Draw& draw) {
  if (image_.isNull()) return;
  if (attr_.rop == R2_COPYPEN || attr_.rop < R2_BLACK || attr_.rop > 16) {
    if (!AcrossBand(bounds, reach)) {
      if (QPainter* p = ImagePainter()) draw(*p);
    } else {
      PaintAcross(bounds, reach, draw);
    }
    return;
  }
  // The mask covers the figure whole even on a band, so its edges cut nothing a band shows.
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

bool QImageDevice::AcrossBand(const QRectF& bounds, double reach) const {
  if (clip_ == image_.rect()) return false;
  const double m = reach + kMaskMargin;
  return (clip_.top() > 0 && bounds.top() - m < clip_.top()) ||
         (clip_.bottom() < image_.height() - 1 && bounds.bottom() + m >= clip_.bottom() + 1);
}

// A painter clip would cut lines and outlines at the band's edge, which moves their pixels a
// little. So a figure across the edge is painted whole on a scratch image of the full size, with
// the same coordinates, and the band takes the pixels of its rows that the figure covered.
template <typename Draw>
void QImageDevice::PaintAcross(const QRectF& bounds, double reach, const Draw& draw) {
  const double m = reach + kMaskMargin;
  const QRect area = bounds.adjusted(-m, -m, m, m).toAlignedRect().intersected(image_.rect());
  if (area.isEmpty()) return;
  if (scratch_.isNull()) {
    scratch_ = QImage(image_.size(), QImage::Format_ARGB32_Premultiplied);
    if (scratch_.isNull()) return;
  }
  if (!scratchPainter_) scratchPainter_ = std::make_unique<QPainter>();
  if (!scratchPainter_->isActive()) {
    if (!scratchPainter_->begin(&scratch_)) return;
    scratchPainter_->setRenderHint(QPainter::Antialiasing, false);
    scratchPainter_->setBrushOrigin(0, 0);
  }
  // Only the band's rows are read back, so only they are cleared: untouched pixels stay
  // transparent, and every colour drawn is opaque.
  const int x = area.left(), w = area.width();
  const int top = std::max(area.top(), clip_.top());
  const int bottom = std::min(area.bottom(), clip_.bottom());
  for (int y = top; y <= bottom; ++y)
    std::memset(reinterpret_cast<QRgb*>(scratch_.scanLine(y)) + x, 0, size_t(w) * 4);
  draw(*scratchPainter_);
  for (int y = top; y <= bottom; ++y) {
    const auto* s = reinterpret_cast<const QRgb*>(scratch_.constScanLine(y)) + x;
    auto* d = reinterpret_cast<QRgb*>(image_.scanLine(y)) + x;
    for (int i = 0; i < w; ++i) d[i] = s[i] >> 24 ? s[i] | 0xFF000000u : d[i];
  }
}

void QImageDevice::ApplyRop(const QImage& mask, int32_t left, int32_t top) {
  const int w = mask.width(), h = mask.height();
  for (int y = 0; y < h; ++y) {
    if (top + y < clip_.top() || top + y > clip_.bottom()) continue;  // another band's row
    const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
    auto* d = reinterpret_cast<QRgb*>(image_.scanLine(top + y)) + left;
    for (int x = 0; x < w; ++x) {
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
  // One-pixel pens, dashed ones too (after their gap pen), are drawn directly.
  if (attr_.rop == R2_COPYPEN && HairlinePen(pens[0]) && (n == 1 || HairlinePen(pens[1]))) {
    if (OffImage(path.controlPointRect(), 1)) return;
    for (int i = 0; i < n; ++i) {
      Hairline line = HairlineOf(pens[i].color().rgb());
      line.SetDashPattern(pens[i].dashPattern());
      line.Path(path);
    }
    return;
  }
  double w = PenPixels();
  QRectF bounds = path.controlPointRect().adjusted(-w, -w, w, w);
  // Nothing of a figure well off the image can show (a miter reaches furthest), so the painter
  // is spared the outlining.
  if (OffImage(bounds, w * kMiterLimit)) return;
  Paint(bounds, w * kMiterLimit, [&](QPainter& p) {
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < n; ++i) p.strokePath(path, pens[i]);
  });
}

void QImageDevice::FillShape(const QPainterPath& path, const QBrush& brush) {
  if (path.isEmpty() || OffImage(path.controlPointRect(), 0)) return;
  Paint(path.controlPointRect(), 0, [&](QPainter& p) { p.fillPath(path, brush); });
}

void QImageDevice::FillShape(const QPainterPath& path) {
  QBrush brush;
  if (MakeBrush(&brush)) FillShape(path, brush);
}

// Under R2_COPYPEN the painter draws one integer polygon or polyline directly, without building a
// QPainterPath; everything else keeps the path.
// The points as the path would keep them: a repeated point dropped, as QPainterPath::lineTo
// drops it, and a closed figure brought back to its start unless it ends there.
int QImageDevice::LoadPoints(const DevPoint* points, int32_t n, bool closed) {
  points_.resize(size_t(n) + 1);
  int m = 0;
  for (int32_t i = 0; i < n; ++i) {
    const QPoint q(points[i].x, points[i].y);
    if (m == 0 || q != points_[size_t(m - 1)]) points_[size_t(m++)] = q;
  }
  if (closed && m > 1 && points_[0] != points_[size_t(m - 1)]) points_[size_t(m++)] = points_[0];
  return m;
}

void QImageDevice::FillPolys(const DevPoint* points, const int32_t* counts, int32_t polys) {
  uint32_t color = 0;
  const uint32_t* cell = nullptr;
  if (CopyRop() && !image_.isNull()) {
    if (!BrushSpans(&color, &cell)) return;
    LoadSpans(points, counts, polys, true);
    if (spans_->Within()) {
      spans_->FillPath(SpanTarget(), false, color, cell);
      return;
    }
  }
  QBrush brush;
  if (!MakeBrush(&brush)) return;
  int32_t n = polys == 1 ? counts[0] : 0;
  if (attr_.rop != R2_COPYPEN || n <= 0 || image_.isNull()) {
    FillShape(PolyPath(points, counts, polys, true), brush);
    return;
  }
  QRectF bounds;
  if (PointsOffImage(points, n, 0, &bounds)) return;
  const int m = LoadPoints(points, n, false);
  if (m < 2) return;  // a path of one point is empty
  Paint(bounds, 0, [&](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(brush);
    p.drawPolygon(points_.data(), m, Qt::OddEvenFill);
    p.setBrush(Qt::NoBrush);
  });
}

bool QImageDevice::OffImage(const QRectF& bounds, double reach) const {
  const double m = reach + kMaskMargin;
  return !bounds.adjusted(-m, -m, m, m).intersects(QRectF(clip_));
}

bool QImageDevice::PointsOffImage(const DevPoint* points, int64_t n, double reach,
                                  QRectF* bounds) const {
  if (n <= 0) return true;
  int32_t x1 = points[0].x, x2 = x1, y1 = points[0].y, y2 = y1;
  for (int64_t i = 1; i < n; ++i) {
    x1 = std::min(x1, points[i].x);
    x2 = std::max(x2, points[i].x);
    y1 = std::min(y1, points[i].y);
    y2 = std::max(y2, points[i].y);
  }
  const QRectF box(x1, y1, double(x2) - x1, double(y2) - y1);
  if (bounds) *bounds = box;
  return OffImage(box, reach);
}

Hairline QImageDevice::HairlineOf(QRgb color) {
  Hairline line(reinterpret_cast<uint32_t*>(image_.bits()), int32_t(image_.bytesPerLine() / 4),
                image_.width(), image_.height(), color);
  line.LimitRows(clip_.top(), clip_.bottom() + 1);
  return line;
}

// A pen the painter would draw as a one-pixel line, solid or dashed, without end caps, on an
// image small enough for the direct line drawing.
bool QImageDevice::HairlinePen(const QPen& pen) const {
  const bool dashed =
      pen.style() == Qt::CustomDashLine && pen.dashPattern().size() <= Hairline::kMaxDashes;
  return !image_.isNull() && (pen.style() == Qt::SolidLine || dashed) && pen.widthF() <= 1 &&
         pen.capStyle() == Qt::FlatCap && image_.width() <= kMaxHairlineImage &&
         image_.height() <= kMaxHairlineImage;
}

bool QImageDevice::HairlineObject(QRgb* color) const {
  const Object* o = Find(attr_.pen);
  if (!o || image_.isNull() || image_.width() > kMaxHairlineImage ||
      image_.height() > kMaxHairlineImage || o->width > 1)
    return false;
  const uint32_t base = o->style & kPenStyleMask;
  if (base == PS_NULL) return false;
  // Geometric pens ignore the dash styles; cosmetic ones dash.
  if (o->geometric ? (o->style & kEndCapMask) != PS_ENDCAP_FLAT : IsDashStyle(base)) return false;
  *color = ToQColor(o->color).rgb();
  return true;
}

// A figure that comes back to its start is a closed outline to the line drawing (no end pixel
// left out), as an implicitly closed polygon is; a figure of one point draws nothing.
void QImageDevice::HairlinePolyline(Hairline& line, int m) const {
  if (m > 2 && points_[0] == points_[size_t(m - 1)]) {
    line.Polyline(points_.data(), m - 1, true);
  } else if (m > 1) {
    line.Polyline(points_.data(), m, false);
  }
}

void QImageDevice::StrokePolys(const DevPoint* points, const int32_t* counts, int32_t polys,
                               bool closed) {
  QRgb hair = 0;
  if (polys == 1 && attr_.rop == R2_COPYPEN && HairlineObject(&hair)) {
    // The painter's own hairline pixels, set directly: the painter writes straight into the
    // same rows, so the order of drawing stays as it is. It cuts off-image segments itself.
    Hairline line = HairlineOf(hair);
    HairlinePolyline(line, LoadPoints(points, counts[0], closed));
    return;
  }
  // Wide pens with flat ends and miters are converted before any QPen is made.
  int32_t width = 0;
  uint32_t color = 0;
  if (CopyRop() && SpanPen(&width, &color)) {
    LoadSpans(points, counts, polys, closed);
    if (spans_->Within(width * (kMiterLimit + 1))) {
      spans_->Stroke(SpanTarget(), width, kMiterLimit, color);
      return;
    }
  }
  QPen pens[2];
  int strokes = PenStrokes(pens);
  if (strokes == 0) return;
  int64_t total = 0;
  for (int32_t k = 0; k < polys; ++k) total += counts[k];
  QRectF bounds;
  if (PointsOffImage(points, total, PenPixels() * kMiterLimit, &bounds)) return;
  // One dashed figure (after its gap pen) straight into the rows, dashed as its path would be.
  if (polys == 1 && attr_.rop == R2_COPYPEN && HairlinePen(pens[0]) &&
      (strokes == 1 || HairlinePen(pens[1]))) {
    const int m = LoadPoints(points, counts[0], closed);
    for (int i = 0; i < strokes; ++i) {
      Hairline line = HairlineOf(pens[i].color().rgb());
      line.SetDashPattern(pens[i].dashPattern());
      HairlinePolyline(line, m);
    }
    return;
  }
  // Only the one-pixel line drawing gives the same pixels this way: wide pens outline the
  // figure differently, and several figures in one path share the line drawing's end pixels.
  if (attr_.rop != R2_COPYPEN || strokes != 1 || pens[0].style() != Qt::SolidLine ||
      pens[0].widthF() > 1 || polys != 1 || image_.isNull()) {
    StrokeShape(PolyPath(points, counts, polys, closed));
    return;
  }
  const int m = LoadPoints(points, counts[0], closed);
  Paint(bounds, 1, [&](QPainter& p) {
    p.setPen(pens[0]);
    p.setBrush(Qt::NoBrush);
    // A path of one point is empty. One that comes back to its start is a closed outline to the
    // line drawing (no end pixel left out), as an implicitly closed polygon is.
    if (m > 2 && points_[0] == points_[size_t(m - 1)]) {
      p.drawPolygon(points_.data(), m - 1, Qt::OddEvenFill);
    } else if (m > 1) {
      p.drawPolyline(points_.data(), m);
    }
  });
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
  FillPolys(points, &count, 1);
  StrokePolys(points, &count, 1, true);
  return true;
}

bool QImageDevice::Polyline(const DevPoint* points, int32_t count) {
  if (!points || count < 2) return false;
  StrokePolys(points, &count, 1, false);
  return true;
}

bool QImageDevice::PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  if (!points || !SumCounts(counts, polys, &total)) return false;
  StrokePolys(points, counts, polys, false);
  return true;
}

bool QImageDevice::PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  if (!points || !SumCounts(counts, polys, &total)) return false;
  FillPolys(points, counts, polys);
  StrokePolys(points, counts, polys, true);
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

// A recorded path of one straight figure (a move, lines, perhaps a close) as integer points,
// forgotten afterwards like TakePath's; false, leaving the path, for anything else.
bool QImageDevice::TakePolygon(std::vector<DevPoint>* out, bool* closed) {
  if (!pathReady_ || path_.size() < 2 || path_[0].kind != 0) return false;
  size_t end = path_.size();
  *closed = path_[end - 1].kind == 4;
  if (*closed) --end;
  out->clear();
  for (size_t i = 0; i < end; ++i) {
    if (i > 0 && path_[i].kind != 1) return false;
    out->push_back({int32_t(path_[i].x), int32_t(path_[i].y)});
  }
  path_.clear();
  pathReady_ = false;
  return true;
}

bool QImageDevice::PaintPath(bool fill, bool stroke) {
  bool closed = false;
  if (TakePolygon(&polygon_, &closed)) {
    const int32_t n = int32_t(polygon_.size());
    if (fill) FillPolys(polygon_.data(), &n, 1);
    if (stroke) StrokePolys(polygon_.data(), &n, 1, closed);
    return true;
  }
  if (!pathReady_) return false;
  // Fills and wide outlines are converted straight from the recorded points; one-pixel and
  // dashed outlines and the raster operations keep the painter's path.
  bool loaded = false;
  uint32_t color = 0;
  const uint32_t* cell = nullptr;
  int32_t width = 0;
  // Figures reaching too far out keep the painter, which clips them first.
  if (fill && CopyRop() && !image_.isNull()) {
    if (!BrushSpans(&color, &cell)) {
      fill = false;
    } else {
      LoadSpans();
      loaded = true;
      if (spans_->Within()) {
        spans_->FillPath(SpanTarget(), false, color, cell);
        fill = false;
      }
    }
  }
  if (stroke && CopyRop() && SpanPen(&width, &color)) {
    if (!loaded) LoadSpans();
    if (spans_->Within(width * (kMiterLimit + 1))) {
      spans_->Stroke(SpanTarget(), width, kMiterLimit, color);
      stroke = false;
    }
  }
  // A solid one-pixel outline goes to the line writer from the recorded points, built into the
  // elements the painter's path would hold.
  QRgb hair = 0;
  if (stroke && attr_.rop == R2_COPYPEN && HairlineObject(&hair)) {
    stroke = false;
    ReplayRecordedPath(hairPath_);
    if (!hairPath_.Empty()) HairlineOf(hair).Path(hairPath_.data(), hairPath_.size());
  }
  if (!fill && !stroke) {
    path_.clear();
    pathReady_ = false;
    return true;
  }
  QPainterPath path;
  if (!TakePath(&path)) return false;
  if (fill) FillShape(path);
  if (stroke) StrokeShape(path);
  return true;
}

bool QImageDevice::StrokePath() { return PaintPath(false, true); }

bool QImageDevice::FillPath() { return PaintPath(true, false); }

bool QImageDevice::StrokeAndFillPath() { return PaintPath(true, true); }

// ---- Pixels ----

ColorRef QImageDevice::GetPixel(int32_t x, int32_t y) {
  if (!image_.valid(x, y)) return kInvalidColor;
  return FromQRgb(reinterpret_cast<const QRgb*>(image_.constScanLine(y))[x]);
}

ColorRef QImageDevice::SetPixel(int32_t x, int32_t y, ColorRef color) {
  if (!image_.valid(x, y)) return kInvalidColor;
  if (!clip_.contains(x, y)) return color & 0xFFFFFF;
  reinterpret_cast<QRgb*>(image_.scanLine(y))[x] = ToQColor(color).rgb();
  return color & 0xFFFFFF;
}

DevRect QImageDevice::GetClipBox() {
  return DevRect{clip_.left(), clip_.top(), clip_.right() + 1, clip_.bottom() + 1};
}

bool QImageDevice::ReadPixels(const DevRect& area, uint8_t* rgb) {
  if (!rgb || !AreaInside(area, image_.width(), image_.height())) return false;
  const uchar* bits = image_.constBits();
  const qsizetype stride = image_.bytesPerLine();
  for (int32_t y = area.top; y < area.bottom; ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(bits + y * stride);
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
  uchar* bits = image_.bits();
  const qsizetype stride = image_.bytesPerLine();
  const size_t rowBytes = size_t(area.right - area.left) * 3;
  // A band writes only its own rows of the area.
  const int32_t top = std::max(area.top, clip_.top());
  const int32_t bottom = std::min(area.bottom, clip_.bottom() + 1);
  rgb += size_t(std::max(0, top - area.top)) * rowBytes;
  for (int32_t y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
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
  // The picture is copied whatever the raster operation.
  const int32_t rop = std::exchange(attr_.rop, R2_COPYPEN);
  Paint(QRectF(target), 0, [&](QPainter& p) {
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(target, source);
  });
  attr_.rop = rop;
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
  // Within one image, a copy of the source rows first, so the transfer reads what was there.
  QImage copy;
  const int64_t srcX = x0 - x + sx, srcY = y0 - y + sy;
  if (src == this) copy = image_.copy(int(srcX), int(srcY), int(x1 - x0), int(y1 - y0));
  const int n = int(x1 - x0);
  uchar* dbits = image_.bits();
  const qsizetype dstride = image_.bytesPerLine();
  for (int64_t row = y0; row < y1; ++row) {
    auto* d = reinterpret_cast<QRgb*>(dbits + row * dstride) + x0;
    const QRgb* s = nullptr;
    if (src == this) {
      s = reinterpret_cast<const QRgb*>(copy.constScanLine(int(row - y0)));
    } else if (src) {
      s = reinterpret_cast<const QRgb*>(src->image_.constScanLine(int(row - y0 + srcY))) + srcX;
    }
    // One loop per operation, so that each is a plain pass over the row.
    if (rop == DSTINVERT || !s) {
      if (rop == DSTINVERT)
        for (int i = 0; i < n; ++i) d[i] = ~d[i] | 0xFF000000u;
    } else if (rop == SRCINVERT) {
      for (int i = 0; i < n; ++i) d[i] = (d[i] ^ s[i]) | 0xFF000000u;
    } else if (rop == SRCXNOR) {
      for (int i = 0; i < n; ++i) d[i] = ~(d[i] ^ s[i]) | 0xFF000000u;
    } else {
      for (int i = 0; i < n; ++i) d[i] = s[i] | 0xFF000000u;
    }
  }
  return true;
}

}  // namespace gdi
