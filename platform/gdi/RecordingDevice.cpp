#include "platform/gdi/RecordingDevice.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace gdi {

namespace {

constexpr ColorRef kInvalidColor = 0xFFFFFFFF;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
  char buf[256];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buf, sizeof buf, format, args);
  va_end(args);
  if (n < 0) return std::string();
  return std::string(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

std::string Hex(ColorRef c) { return Format("0x%06X", unsigned(c)); }

}  // namespace

RecordingDevice::RecordingDevice(int32_t width, int32_t height) {
  if (width > 0 && height > 0) {
    width_ = width;
    height_ = height;
    canvas_.assign(size_t(width) * size_t(height) * 3, 255);
  }
  for (int32_t which :
       {WHITE_BRUSH, GRAY_BRUSH, BLACK_BRUSH, NULL_BRUSH, WHITE_PEN, BLACK_PEN, NULL_PEN}) {
    StockObjectInfo stock;
    DescribeStockObject(which, &stock);
    Object o;
    o.handle = StockHandle(which);
    o.kind = stock.pen ? kPen : kBrush;
    o.style = stock.pen ? (stock.null ? PS_NULL : PS_SOLID) : kSolidBrushStyle;
    o.width = stock.pen ? 1 : 0;
    o.color = stock.color;
    o.stock = true;
    objects_.push_back(o);
  }
  // A fresh device context starts with the black pen and the white brush.
  attr_.pen = StockHandle(BLACK_PEN);
  attr_.brush = StockHandle(WHITE_BRUSH);
}

const RecordingDevice::Object* RecordingDevice::Find(Handle h) const {
  for (const Object& o : objects_)
    if (o.handle == h) return &o;
  return nullptr;
}

int32_t RecordingDevice::LiveObjects() const {
  int32_t n = 0;
  for (const Object& o : objects_)
    if (!o.stock) ++n;
  return n;
}

Handle RecordingDevice::Add(int kind, uint32_t style, int32_t width, ColorRef color) {
  Object o;
  o.handle = next_++;
  o.kind = kind;
  o.style = style;
  o.width = width;
  o.color = color;
  objects_.push_back(o);
  return o.handle;
}

Handle RecordingDevice::CreatePen(uint32_t style, int32_t width, ColorRef color) {
  Handle h = Add(kPen, style, width, color);
  Record(Format("CreatePen %u %d %s -> %u", style, width, Hex(color).c_str(), h));
  return h;
}

Handle RecordingDevice::ExtCreatePen(uint32_t style, int32_t width, ColorRef color) {
  Handle h = Add(kPen, style, width, color);
  Record(Format("ExtCreatePen 0x%X %d %s -> %u", style, width, Hex(color).c_str(), h));
  return h;
}

Handle RecordingDevice::CreateSolidBrush(ColorRef color) {
  Handle h = Add(kBrush, kSolidBrushStyle, 0, color);
  Record(Format("CreateSolidBrush %s -> %u", Hex(color).c_str(), h));
  return h;
}

Handle RecordingDevice::CreatePatternBrush(int32_t pattern) {
  Handle h = 0;
  if (pattern >= 0 && pattern <= 8) h = Add(kBrush, uint32_t(pattern), 0, 0);
  Record(Format("CreatePatternBrush %d -> %u", pattern, h));
  return h;
}

Handle RecordingDevice::GetStockObject(int32_t which) {
  Handle h = Find(StockHandle(which)) ? StockHandle(which) : 0;
  Record(Format("GetStockObject %d -> %u", which, h));
  return h;
}

Handle RecordingDevice::SelectObject(Handle object) {
  Handle previous = 0;
  if (const Object* o = Find(object)) {
    Handle& slot = o->kind == kPen ? attr_.pen : attr_.brush;
    previous = slot;
    slot = object;
  }
  Record(Format("SelectObject %u -> %u", object, previous));
  return previous;
}

bool RecordingDevice::DeleteObject(Handle object) {
  bool ok = false;
  for (size_t i = 0; i < objects_.size(); ++i) {
    if (objects_[i].handle != object) continue;
    if (objects_[i].stock) {
      ok = true;
    } else if (object != attr_.pen && object != attr_.brush) {
      objects_.erase(objects_.begin() + long(i));
      ok = true;
    }
    break;
  }
  Record(Format("DeleteObject %u -> %d", object, ok ? 1 : 0));
  return ok;
}

int32_t RecordingDevice::SetROP2(int32_t rop) {
  int32_t previous = attr_.rop;
  attr_.rop = rop;
  Record(Format("SetROP2 %d -> %d", rop, previous));
  return previous;
}

int32_t RecordingDevice::SetBkMode(int32_t mode) {
  int32_t previous = attr_.bkMode;
  attr_.bkMode = mode;
  Record(Format("SetBkMode %d -> %d", mode, previous));
  return previous;
}

ColorRef RecordingDevice::SetTextColor(ColorRef color) {
  ColorRef previous = attr_.textColor;
  attr_.textColor = color;
  Record("SetTextColor " + Hex(color) + " -> " + Hex(previous));
  return previous;
}

ColorRef RecordingDevice::SetBkColor(ColorRef color) {
  ColorRef previous = attr_.bkColor;
  attr_.bkColor = color;
  Record("SetBkColor " + Hex(color) + " -> " + Hex(previous));
  return previous;
}

int32_t RecordingDevice::SaveDC() {
  saved_.push_back(attr_);
  int32_t level = int32_t(saved_.size());
  Record(Format("SaveDC -> %d", level));
  return level;
}

bool RecordingDevice::RestoreDC(int32_t level) {
  int64_t n = int64_t(saved_.size());
  int64_t target = level < 0 ? n + level + 1 : level;
  bool ok = target >= 1 && target <= n;
  if (ok) {
    attr_ = saved_[size_t(target - 1)];
    saved_.resize(size_t(target - 1));
  }
  Record(Format("RestoreDC %d -> %d", level, ok ? 1 : 0));
  return ok;
}

std::string RecordingDevice::Points(const DevPoint* points, int32_t count) const {
  std::string s;
  for (int32_t i = 0; i < count; ++i) s += Format(" (%d,%d)", points[i].x, points[i].y);
  return s;
}

bool RecordingDevice::MoveToEx(int32_t x, int32_t y) {
  Record(Format("MoveToEx %d %d", x, y));
  return true;
}

bool RecordingDevice::LineTo(int32_t x, int32_t y) {
  Record(Format("LineTo %d %d", x, y));
  return true;
}

bool RecordingDevice::Polygon(const DevPoint* points, int32_t count) {
  Record(Format("Polygon %d", count) + Points(points, count));
  return count >= 2;
}

bool RecordingDevice::Polyline(const DevPoint* points, int32_t count) {
  Record(Format("Polyline %d", count) + Points(points, count));
  return count >= 2;
}

namespace {

std::string PolyLine(const char* name, const DevPoint* points, const int32_t* counts,
                     int32_t polys) {
  std::string s = Format("%s %d [", name, polys);
  int64_t total = 0;
  for (int32_t i = 0; i < polys; ++i) {
    s += Format(i ? " %d" : "%d", counts[i]);
    if (counts[i] > 0) total += counts[i];
  }
  s += "]";
  for (int64_t i = 0; i < total; ++i) s += Format(" (%d,%d)", points[i].x, points[i].y);
  return s;
}

}  // namespace

bool RecordingDevice::PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) {
  Record(PolyLine("PolyPolyline", points, counts, polys));
  return polys > 0;
}

bool RecordingDevice::PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) {
  Record(PolyLine("PolyPolygon", points, counts, polys));
  return polys > 0;
}

bool RecordingDevice::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Record(Format("Rectangle %d %d %d %d", left, top, right, bottom));
  return true;
}

bool RecordingDevice::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Record(Format("Ellipse %d %d %d %d", left, top, right, bottom));
  return true;
}

bool RecordingDevice::BeginPath() {
  Record("BeginPath");
  return true;
}

bool RecordingDevice::EndPath() {
  Record("EndPath");
  return true;
}

bool RecordingDevice::PolyBezierTo(const DevPoint* points, int32_t count) {
  Record(Format("PolyBezierTo %d", count) + Points(points, count));
  return count > 0 && count % 3 == 0;
}

bool RecordingDevice::CloseFigure() {
  Record("CloseFigure");
  return true;
}

bool RecordingDevice::StrokePath() {
  Record("StrokePath");
  return true;
}

bool RecordingDevice::FillPath() {
  Record("FillPath");
  return true;
}

bool RecordingDevice::StrokeAndFillPath() {
  Record("StrokeAndFillPath");
  return true;
}

bool RecordingDevice::AbortPath() {
  Record("AbortPath");
  return true;
}

bool RecordingDevice::InCanvas(int32_t x, int32_t y) const {
  return x >= 0 && y >= 0 && x < width_ && y < height_;
}

bool RecordingDevice::AreaInCanvas(const DevRect& a) const {
  return a.left >= 0 && a.top >= 0 && a.left < a.right && a.top < a.bottom && a.right <= width_ &&
         a.bottom <= height_;
}

ColorRef RecordingDevice::GetPixel(int32_t x, int32_t y) {
  Record(Format("GetPixel %d %d", x, y));
  if (!InCanvas(x, y)) return kInvalidColor;
  const uint8_t* p = &canvas_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
  return Rgb(p[0], p[1], p[2]);
}

ColorRef RecordingDevice::SetPixel(int32_t x, int32_t y, ColorRef color) {
  Record(Format("SetPixel %d %d ", x, y) + Hex(color));
  if (!InCanvas(x, y)) return kInvalidColor;
  uint8_t* p = &canvas_[(size_t(y) * size_t(width_) + size_t(x)) * 3];
  p[0] = uint8_t(RedOf(color));
  p[1] = uint8_t(GreenOf(color));
  p[2] = uint8_t(BlueOf(color));
  return color;
}

DevRect RecordingDevice::GetClipBox() {
  Record("GetClipBox");
  return DevRect{0, 0, width_, height_};
}

bool RecordingDevice::ReadPixels(const DevRect& a, uint8_t* rgb) {
  Record(Format("ReadPixels %d %d %d %d", a.left, a.top, a.right, a.bottom));
  if (!AreaInCanvas(a)) return false;
  size_t row = size_t(a.right - a.left) * 3;
  for (int32_t y = a.top; y < a.bottom; ++y) {
    const uint8_t* src = &canvas_[(size_t(y) * size_t(width_) + size_t(a.left)) * 3];
    std::copy(src, src + row, rgb + size_t(y - a.top) * row);
  }
  return true;
}

bool RecordingDevice::WritePixels(const DevRect& a, const uint8_t* rgb) {
  Record(Format("WritePixels %d %d %d %d", a.left, a.top, a.right, a.bottom));
  if (!AreaInCanvas(a)) return false;
  size_t row = size_t(a.right - a.left) * 3;
  for (int32_t y = a.top; y < a.bottom; ++y) {
    const uint8_t* src = rgb + size_t(y - a.top) * row;
    std::copy(src, src + row, &canvas_[(size_t(y) * size_t(width_) + size_t(a.left)) * 3]);
  }
  return true;
}

bool RecordingDevice::StretchRgb(const DevRect& d, int32_t width, int32_t height,
                                 const uint8_t* rgb) {
  Record(Format("StretchRgb %d %d %d %d %d %d", d.left, d.top, d.right, d.bottom, width, height));
  if (width <= 0 || height <= 0 || !rgb || d.right <= d.left || d.bottom <= d.top) return false;
  int64_t dw = int64_t(d.right) - d.left;
  int64_t dh = int64_t(d.bottom) - d.top;
  // Nearest source pixel for every destination pixel that lies on the canvas.
  for (int64_t y = 0; y < dh; ++y) {
    int64_t py = d.top + y;
    if (py < 0 || py >= height_) continue;
    int64_t sy = y * height / dh;
    for (int64_t x = 0; x < dw; ++x) {
      int64_t px = d.left + x;
      if (px < 0 || px >= width_) continue;
      int64_t sx = x * width / dw;
      const uint8_t* s = rgb + (size_t(sy) * size_t(width) + size_t(sx)) * 3;
      std::copy(s, s + 3, &canvas_[(size_t(py) * size_t(width_) + size_t(px)) * 3]);
    }
  }
  return true;
}

bool RecordingDevice::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx,
                             int32_t sy, uint32_t rop) {
  Record(Format("BitBlt %d %d %d %d %d %d 0x%08X", x, y, w, h, sx, sy, rop));
  auto* src = dynamic_cast<RecordingDevice*>(source);
  if (rop != DSTINVERT && !src) return false;
  for (int64_t j = 0; j < h; ++j) {
    for (int64_t i = 0; i < w; ++i) {
      int64_t dx = x + i, dy = y + j;
      if (dx < 0 || dy < 0 || dx >= width_ || dy >= height_) continue;
      uint8_t* d = &canvas_[(size_t(dy) * size_t(width_) + size_t(dx)) * 3];
      const uint8_t* s = nullptr;
      if (src) {
        int64_t qx = sx + i, qy = sy + j;
        if (qx < 0 || qy < 0 || qx >= src->width_ || qy >= src->height_) continue;
        s = &src->canvas_[(size_t(qy) * size_t(src->width_) + size_t(qx)) * 3];
      }
      for (int k = 0; k < 3; ++k) {
        switch (rop) {
          case SRCCOPY:
            d[k] = s[k];
            break;
          case SRCINVERT:
            d[k] = uint8_t(d[k] ^ s[k]);
            break;
          case DSTINVERT:
            d[k] = uint8_t(~d[k]);
            break;
          case SRCXNOR:
            d[k] = uint8_t(~(d[k] ^ s[k]));
            break;
          default:
            break;
        }
      }
    }
  }
  return true;
}

}  // namespace gdi
