#include "platform/gdi/WmfDevice.h"

#include <algorithm>
#include <cmath>

namespace gdi {

namespace {

// A metafile's coordinates are signed 16-bit values.
int16_t Coord(int32_t v) { return int16_t(std::clamp<int32_t>(v, -32768, 32767)); }
uint16_t Word(int32_t v) { return uint16_t(Coord(v)); }
uint16_t Lo(uint32_t v) { return uint16_t(v & 0xFFFF); }
uint16_t Hi(uint32_t v) { return uint16_t(v >> 16); }

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(uint8_t(v & 255));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, Lo(v));
  Put16(out, Hi(v));
}

// Bytes packed into 16-bit parameters, low byte first, padded with a zero to an even length.
void PutBytes(std::vector<uint16_t>& params, const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; i += 2) {
    uint16_t lo = bytes[i];
    uint16_t hi = i + 1 < n ? bytes[i + 1] : 0;
    params.push_back(uint16_t(lo | (hi << 8)));
  }
}

// Curve flattening tolerance: each control point within one device unit of the chord, as the
// renderer flattens; a chord shorter than this (squared) counts as flat.
constexpr double kFlatness = 1.0;
constexpr double kDegenerateChord = 0.001;
// Enough halvings to bring any 32-bit coordinate range within the tolerance.
constexpr int kMaxFlattenDepth = 40;

int32_t RoundCoord(double v) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(v, -1.0e9, 1.0e9) + 0.5);
}

}  // namespace

WmfDevice::WmfDevice() {
  // A fresh device context holds the black pen and the white brush; they are recorded only
  // when selected again, since a player starts with them too.
  attr_.pen = GetStockObject(BLACK_PEN);
  attr_.brush = GetStockObject(WHITE_BRUSH);
}

WmfDevice::~WmfDevice() = default;

Handle WmfDevice::Add(const Object& o) {
  if (finished_) return 0;
  Handle h = next_++;
  objects_[h] = o;
  return h;
}

WmfDevice::Object* WmfDevice::Find(Handle h) {
  auto it = objects_.find(h);
  return it == objects_.end() ? nullptr : &it->second;
}

int32_t WmfDevice::TakeSlot() {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i]) {
      slots_[i] = true;
      return int32_t(i);
    }
  }
  if (slots_.size() >= 0xFFFF) return -1;  // the table's count is a 16-bit value
  slots_.push_back(true);
  return int32_t(slots_.size() - 1);
}

int32_t WmfDevice::UsedSlots() const {
  return int32_t(std::count(slots_.begin(), slots_.end(), true));
}

void WmfDevice::Record(uint16_t function, const std::vector<uint16_t>& params) {
  if (finished_) return;
  const uint32_t words = uint32_t(3 + params.size());
  maxRecordWords_ = std::max(maxRecordWords_, words);
  Put32(records_, words);
  Put16(records_, function);
  for (uint16_t p : params) Put16(records_, p);
}

bool WmfDevice::Realize(Object& o) {
  if (o.slot >= 0) return true;
  if (finished_) return false;
  const int32_t slot = TakeSlot();
  if (slot < 0) return false;
  std::vector<uint16_t> p;
  switch (o.kind) {
    case kPen:
      // LogPen: style, width as a point (y unused), colour.
      p = {uint16_t(o.style & 0xFFFF), Word(o.width), 0, Lo(o.color), Hi(o.color)};
      Record(META_CREATEPENINDIRECT, p);
      break;
    case kBrush:
      if (o.style == BS_DIBPATTERN) {
        // An 8x8 one-bit DIB, rows bottom first and padded to 32 bits. The colour table holds
        // the text and background colours of the moment, which is how a pattern brush paints.
        std::vector<uint8_t> dib;
        Put32(dib, 40);  // BITMAPINFOHEADER
        Put32(dib, 8);
        Put32(dib, 8);
        Put16(dib, 1);
        Put16(dib, 1);
        Put32(dib, 0);
        Put32(dib, 32);
        Put32(dib, 0);
        Put32(dib, 0);
        Put32(dib, 2);
        Put32(dib, 0);
        for (ColorRef c : {attr_.textColor, attr_.bkColor}) {
          dib.push_back(uint8_t(BlueOf(c)));
          dib.push_back(uint8_t(GreenOf(c)));
          dib.push_back(uint8_t(RedOf(c)));
          dib.push_back(0);
        }
        for (int row = 7; row >= 0; --row) {
          dib.push_back(kPatternBits[o.pattern][row]);
          dib.push_back(0);
          dib.push_back(0);
          dib.push_back(0);
        }
        p = {BS_DIBPATTERN, 0 /* DIB_RGB_COLORS */};
        PutBytes(p, dib.data(), dib.size());
        Record(META_DIBCREATEPATTERNBRUSH, p);
      } else {
        p = {uint16_t(o.style), Lo(o.color), Hi(o.color), 0};
        Record(META_CREATEBRUSHINDIRECT, p);
      }
      break;
    case kFont: {
      const LogFont& f = o.font;
      p = {uint16_t(f.height),
           uint16_t(f.width),
           uint16_t(f.escapement),
           uint16_t(f.orientation),
           uint16_t(f.weight),
           uint16_t(f.italic | (f.underline << 8)),
           uint16_t(f.strikeOut | (f.charSet << 8)),
           uint16_t(f.outPrecision | (f.clipPrecision << 8)),
           uint16_t(f.quality | (f.pitchAndFamily << 8))};
      // The face name is at most 31 bytes and always NUL-terminated.
      std::string face = f.faceName.substr(0, 31);
      std::vector<uint8_t> bytes(face.begin(), face.end());
      bytes.push_back(0);
      PutBytes(p, bytes.data(), bytes.size());
      Record(META_CREATEFONTINDIRECT, p);
      break;
    }
    default:
      slots_[size_t(slot)] = false;
      return false;
  }
  o.slot = slot;
  return true;
}

Handle WmfDevice::CreatePen(uint32_t style, int32_t width, ColorRef color) {
  Object o;
  o.kind = kPen;
  o.style = style & 0xFF;  // the metafile pen holds the cosmetic style only
  o.width = width;
  o.color = color;
  return Add(o);
}

Handle WmfDevice::ExtCreatePen(uint32_t style, int32_t width, ColorRef color) {
  // A metafile pen has no caps or joins; the dash style and width survive.
  return CreatePen(style & 0x0F, width, color);
}

Handle WmfDevice::CreateSolidBrush(ColorRef color) {
  Object o;
  o.kind = kBrush;
  o.style = BS_SOLID;
  o.color = color;
  return Add(o);
}

Handle WmfDevice::CreatePatternBrush(int32_t pattern) {
  if (pattern < 0 || pattern > 8) return 0;
  Object o;
  o.kind = kBrush;
  o.style = BS_DIBPATTERN;
  o.pattern = pattern;
  return Add(o);
}

Handle WmfDevice::CreateFontIndirect(const LogFont& font) {
  Object o;
  o.kind = kFont;
  o.font = font;
  return Add(o);
}

Handle WmfDevice::GetStockObject(int32_t which) {
  const Handle h = Handle(1 + which);
  if (objects_.count(h)) return h;
  StockObjectInfo stock;
  if (!DescribeStockObject(which, &stock)) return 0;
  Object o;
  o.stock = true;
  o.kind = stock.pen ? kPen : kBrush;
  o.color = stock.color;
  if (stock.pen) {
    o.style = stock.null ? PS_NULL : PS_SOLID;
    o.width = 1;
  } else {
    o.style = stock.null ? BS_NULL : BS_SOLID;
  }
  objects_[h] = o;
  return h;
}

Handle WmfDevice::SelectObject(Handle object) {
  Object* o = Find(object);
  if (!o || finished_) return 0;
  Handle* current = o->kind == kPen ? &attr_.pen : o->kind == kBrush ? &attr_.brush : &attr_.font;
  if (!Realize(*o)) return 0;
  Record(META_SELECTOBJECT, {uint16_t(o->slot)});
  Handle previous = *current;
  *current = object;
  return previous;
}

bool WmfDevice::DeleteObject(Handle object) {
  Object* o = Find(object);
  if (!o) return false;
  if (o->stock) return true;
  // As on Windows, an object selected now (or in a saved state) cannot be deleted.
  auto inUse = [object](const Attributes& a) {
    return a.pen == object || a.brush == object || a.font == object;
  };
  if (inUse(attr_) || std::any_of(saved_.begin(), saved_.end(), inUse)) return false;
  if (o->slot >= 0) {
    Record(META_DELETEOBJECT, {uint16_t(o->slot)});
    slots_[size_t(o->slot)] = false;
  }
  objects_.erase(object);
  return true;
}

int32_t WmfDevice::SetROP2(int32_t rop) {
  int32_t previous = attr_.rop;
  attr_.rop = rop;
  Record(META_SETROP2, {uint16_t(rop)});
  return previous;
}

int32_t WmfDevice::SetBkMode(int32_t mode) {
  int32_t previous = attr_.bkMode;
  attr_.bkMode = mode;
  Record(META_SETBKMODE, {uint16_t(mode)});
  return previous;
}

ColorRef WmfDevice::SetTextColor(ColorRef color) {
  ColorRef previous = attr_.textColor;
  attr_.textColor = color;
  Record(META_SETTEXTCOLOR, {Lo(color), Hi(color)});
  return previous;
}

ColorRef WmfDevice::SetBkColor(ColorRef color) {
  ColorRef previous = attr_.bkColor;
  attr_.bkColor = color;
  Record(META_SETBKCOLOR, {Lo(color), Hi(color)});
  return previous;
}

uint32_t WmfDevice::SetTextAlign(uint32_t flags) {
  uint32_t previous = attr_.textAlign;
  attr_.textAlign = flags;
  Record(META_SETTEXTALIGN, {uint16_t(flags)});
  return previous;
}

void WmfDevice::SetMapMode(int32_t mode) { Record(META_SETMAPMODE, {uint16_t(mode)}); }

void WmfDevice::SetWindowOrg(int32_t x, int32_t y) {
  Record(META_SETWINDOWORG, {Word(y), Word(x)});
}

void WmfDevice::SetWindowExt(int32_t width, int32_t height) {
  Record(META_SETWINDOWEXT, {Word(height), Word(width)});
}

int32_t WmfDevice::SaveDC() {
  if (finished_) return 0;
  saved_.push_back(attr_);
  Record(META_SAVEDC, {});
  return int32_t(saved_.size());
}

bool WmfDevice::RestoreDC(int32_t level) {
  // Negative: that many states back; positive: back to the state SaveDC numbered so.
  const int64_t depth = int64_t(saved_.size());
  const int64_t target = level < 0 ? depth + level : int64_t(level) - 1;
  if (level == 0 || target < 0 || target >= depth || finished_) return false;
  attr_ = saved_[size_t(target)];
  saved_.resize(size_t(target));
  Record(META_RESTOREDC, {uint16_t(int16_t(level < 0 ? level : int32_t(target - depth)))});
  return true;
}

bool WmfDevice::MoveToEx(int32_t x, int32_t y) {
  current_ = DevPoint{x, y};
  if (inPath_) {
    path_.push_back(Figure{});
    path_.back().points.push_back(current_);
    return true;
  }
  Record(META_MOVETO, {Word(y), Word(x)});
  return !finished_;
}

void WmfDevice::PathPoint(int32_t x, int32_t y) {
  if (path_.empty()) {
    path_.push_back(Figure{});
    path_.back().points.push_back(current_);
  }
  path_.back().points.push_back(DevPoint{x, y});
  current_ = DevPoint{x, y};
}

bool WmfDevice::LineTo(int32_t x, int32_t y) {
  if (inPath_) {
    PathPoint(x, y);
    return true;
  }
  current_ = DevPoint{x, y};
  Record(META_LINETO, {Word(y), Word(x)});
  return !finished_;
}

void WmfDevice::RecordPoints(uint16_t function, const DevPoint* points, int32_t count) {
  std::vector<uint16_t> p;
  p.reserve(size_t(count) * 2 + 1);
  p.push_back(uint16_t(count));
  for (int32_t i = 0; i < count; ++i) {
    p.push_back(Word(points[i].x));
    p.push_back(Word(points[i].y));
  }
  Record(function, p);
}

bool WmfDevice::Polygon(const DevPoint* points, int32_t count) {
  if (!points || count < 2 || finished_) return false;
  if (count <= kMaxMetaPoints) {
    RecordPoints(META_POLYGON, points, count);
    return true;
  }
  // Too many points for one record: keep every k-th so that the outline stays whole.
  const int32_t step = (count + kMaxMetaPoints - 1) / kMaxMetaPoints;
  std::vector<DevPoint> fewer;
  for (int32_t i = 0; i < count; i += step) fewer.push_back(points[i]);
  RecordPoints(META_POLYGON, fewer.data(), int32_t(fewer.size()));
  return true;
}

bool WmfDevice::Polyline(const DevPoint* points, int32_t count) {
  if (!points || count < 2 || finished_) return false;
  // Long polylines go out in pieces that share their end points.
  for (int32_t start = 0; start + 1 < count; start += kMaxMetaPoints - 1) {
    RecordPoints(META_POLYLINE, points + start, std::min(kMaxMetaPoints, count - start));
  }
  return true;
}

bool WmfDevice::PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) {
  if (!points || !counts || polys <= 0) return false;
  int64_t at = 0;
  for (int32_t i = 0; i < polys; ++i) {
    if (counts[i] > 0) Polyline(points + at, counts[i]);
    at += std::max(counts[i], 0);
  }
  return !finished_;
}

void WmfDevice::RecordPolyPolygon(const std::vector<Figure>& figures) {
  std::vector<uint16_t> p;
  std::vector<const Figure*> used;
  for (const Figure& f : figures) {
    if (f.points.size() >= 2 && f.points.size() <= size_t(kMaxMetaPoints)) used.push_back(&f);
  }
  if (used.empty() || used.size() > size_t(kMaxMetaPoints)) return;
  p.push_back(uint16_t(used.size()));
  for (const Figure* f : used) p.push_back(uint16_t(f->points.size()));
  for (const Figure* f : used) {
    for (const DevPoint& pt : f->points) {
      p.push_back(Word(pt.x));
      p.push_back(Word(pt.y));
    }
  }
  Record(META_POLYPOLYGON, p);
}

bool WmfDevice::PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) {
  if (!points || !counts || polys <= 0 || finished_) return false;
  std::vector<Figure> figures(static_cast<size_t>(polys));
  int64_t at = 0;
  for (int32_t i = 0; i < polys; ++i) {
    const int32_t n = std::max(counts[i], 0);
    figures[size_t(i)].points.assign(points + at, points + at + n);
    at += n;
  }
  RecordPolyPolygon(figures);
  return true;
}

bool WmfDevice::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Record(META_RECTANGLE, {Word(bottom), Word(right), Word(top), Word(left)});
  return !finished_;
}

bool WmfDevice::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Record(META_ELLIPSE, {Word(bottom), Word(right), Word(top), Word(left)});
  return !finished_;
}

bool WmfDevice::TextOutA(int32_t x, int32_t y, const char* text, int32_t length) {
  if (!text || length < 0 || finished_) return false;
  length = std::min(length, 32767);
  std::vector<uint16_t> p = {uint16_t(length)};
  PutBytes(p, reinterpret_cast<const uint8_t*>(text), size_t(length));
  p.push_back(Word(y));
  p.push_back(Word(x));
  Record(META_TEXTOUT, p);
  return true;
}

bool WmfDevice::BeginPath() {
  inPath_ = true;
  pathReady_ = false;
  path_.clear();
  return true;
}

bool WmfDevice::EndPath() {
  if (!inPath_) return false;
  inPath_ = false;
  pathReady_ = true;
  return true;
}

void WmfDevice::FlattenBezier(double x0, double y0, double x1, double y1, double x2, double y2,
                              double x3, double y3, int depth) {
  const double dx = x3 - x0, dy = y3 - y0;
  const double chord = dx * dx + dy * dy;
  bool flat = chord < kDegenerateChord || depth >= kMaxFlattenDepth;
  if (!flat) {
    const double c1 = (x1 - x0) * dy - (y1 - y0) * dx;
    const double c2 = (x2 - x0) * dy - (y2 - y0) * dx;
    const double limit = kFlatness * kFlatness * chord;
    flat = c1 * c1 <= limit && c2 * c2 <= limit;
  }
  if (flat) {
    PathPoint(RoundCoord(x3), RoundCoord(y3));
    return;
  }
  const double mx = (x0 + 3 * x1 + 3 * x2 + x3) / 8, my = (y0 + 3 * y1 + 3 * y2 + y3) / 8;
  FlattenBezier(x0, y0, (x0 + x1) / 2, (y0 + y1) / 2, (x0 + 2 * x1 + x2) / 4,
                (y0 + 2 * y1 + y2) / 4, mx, my, depth + 1);
  FlattenBezier(mx, my, (x1 + 2 * x2 + x3) / 4, (y1 + 2 * y2 + y3) / 4, (x2 + x3) / 2,
                (y2 + y3) / 2, x3, y3, depth + 1);
}

bool WmfDevice::PolyBezierTo(const DevPoint* points, int32_t count) {
  if (!points || count < 3 || count % 3 != 0) return false;
  if (!inPath_) {
    // Outside a path the curve is drawn at once, as a polyline of its flattened form.
    std::vector<Figure> keep;
    keep.swap(path_);
    inPath_ = true;
    path_.push_back(Figure{});
    path_.back().points.push_back(current_);
    bool ok = PolyBezierTo(points, count);
    inPath_ = false;
    if (ok) Polyline(path_.back().points.data(), int32_t(path_.back().points.size()));
    path_.swap(keep);
    return ok;
  }
  for (int32_t i = 0; i < count; i += 3) {
    FlattenBezier(current_.x, current_.y, points[i].x, points[i].y, points[i + 1].x,
                  points[i + 1].y, points[i + 2].x, points[i + 2].y, 0);
    current_ = points[i + 2];
  }
  return true;
}

bool WmfDevice::CloseFigure() {
  if (!inPath_ || path_.empty() || path_.back().points.empty()) return false;
  DevPoint first = path_.back().points.front();
  path_.back().points.push_back(first);
  current_ = first;
  return true;
}

bool WmfDevice::StrokePath() {
  if (!pathReady_) return false;
  for (const Figure& f : path_) {
    if (f.points.size() >= 2) Polyline(f.points.data(), int32_t(f.points.size()));
  }
  return AbortPath();
}

bool WmfDevice::FillPath() {
  if (!pathReady_) return false;
  // A fill has no outline: the polygons go out under the null pen.
  SaveDC();
  SelectObject(GetStockObject(NULL_PEN));
  RecordPolyPolygon(path_);
  RestoreDC(-1);
  return AbortPath();
}

bool WmfDevice::StrokeAndFillPath() {
  if (!pathReady_) return false;
  RecordPolyPolygon(path_);
  return AbortPath();
}

bool WmfDevice::AbortPath() {
  inPath_ = false;
  pathReady_ = false;
  path_.clear();
  return true;
}

// Pixels have no place in a metafile: Windows answers CLR_INVALID and failure here too.
ColorRef WmfDevice::GetPixel(int32_t, int32_t) { return 0xFFFFFFFF; }
ColorRef WmfDevice::SetPixel(int32_t, int32_t, ColorRef) { return 0xFFFFFFFF; }
DevRect WmfDevice::GetClipBox() { return DevRect{}; }
bool WmfDevice::ReadPixels(const DevRect&, uint8_t*) { return false; }
bool WmfDevice::WritePixels(const DevRect&, const uint8_t*) { return false; }
bool WmfDevice::StretchRgb(const DevRect&, int32_t, int32_t, const uint8_t*) { return false; }
bool WmfDevice::BitBlt(int32_t, int32_t, int32_t, int32_t, Device*, int32_t, int32_t, uint32_t) {
  return false;
}

const std::vector<uint8_t>& WmfDevice::Finish() {
  if (finished_) return file_;
  Record(META_EOF, {});
  finished_ = true;
  // The header (META_HEADER): memory metafile, 9 header words, version 3.0, total size in
  // words, object table size, largest record in words, no parameters.
  const uint32_t totalWords = uint32_t(9 + records_.size() / 2);
  file_.clear();
  file_.reserve(18 + records_.size());
  Put16(file_, 1);
  Put16(file_, 9);
  Put16(file_, 0x0300);
  Put32(file_, totalWords);
  Put16(file_, uint16_t(slots_.size()));
  Put32(file_, maxRecordWords_);
  Put16(file_, 0);
  file_.insert(file_.end(), records_.begin(), records_.end());
  records_.clear();
  records_.shrink_to_fit();
  return file_;
}

}  // namespace gdi
