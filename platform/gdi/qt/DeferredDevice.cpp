#include "platform/gdi/qt/DeferredDevice.h"

#include <algorithm>
#include <climits>

namespace gdi {

DeferredDevice::DeferredDevice(int32_t width, int32_t height) { Reset(width, height); }

void DeferredDevice::Reset(int32_t width, int32_t height) {
  objects_.Reset();
  width_ = width;
  height_ = height;
  bandable_ = true;
  now_.Clear();
  for (size_t i = 0; i < sealed_; ++i) pieces_[i]->Clear();
  sealed_ = 0;
  finished_ = false;
  saved_.clear();
  position_ = DevPoint{};
  inPath_ = pathReady_ = pathSkippable_ = false;
}

DeferredDevice::~DeferredDevice() = default;

void DeferredDevice::Calls::Clear() {
  ops.clear();
  points.clear();
  counts.clear();
  bytes.clear();
  glyphs.clear();
  images.clear();
  imageAreas.clear();
  bandable = true;
}

void DeferredDevice::SealLocked() {
  if (now_.ops.empty()) return;
  if (sealed_ == pieces_.size()) pieces_.push_back(std::make_unique<Calls>());
  // The piece takes the calls; the device keeps on with the piece's emptied memory.
  std::swap(*pieces_[sealed_], now_);
  ++sealed_;
  more_.notify_all();
}

void DeferredDevice::Seal() {
  if (inPath_ || pathReady_) return;  // the bracket's rows are filled in when it is used
  std::lock_guard<std::mutex> hold(mutex_);
  SealLocked();
}

void DeferredDevice::Finish() {
  std::lock_guard<std::mutex> hold(mutex_);
  SealLocked();
  finished_ = true;
  more_.notify_all();
}

// The counts of a poly call, false-safe: a negative count makes the call fail as it would.
uint32_t DeferredDevice::KeepCounts(const int32_t* counts, int32_t polys, int64_t* total) {
  *total = -1;
  if (!counts || polys < 0) return 0;
  int64_t sum = 0;
  for (int32_t i = 0; i < polys; ++i) {
    if (counts[i] < 0) return 0;
    sum += counts[i];
  }
  *total = sum;
  const uint32_t at = uint32_t(now_.counts.size());
  now_.counts.insert(now_.counts.end(), counts, counts + polys);
  return at;
}

void DeferredDevice::SetRows(const DevPoint* points, int64_t count, bool stroke) {
  if (count <= 0) return;
  int32_t top = points[0].y, bottom = top;
  for (int64_t i = 1; i < count; ++i) {
    top = std::min(top, points[i].y);
    bottom = std::max(bottom, points[i].y);
  }
  const int64_t reach = Reach(stroke);
  Op& op = now_.ops.back();
  op.top = int32_t(std::max<int64_t>(INT32_MIN, int64_t(top) - reach));
  op.bottom = int32_t(std::min<int64_t>(INT32_MAX, int64_t(bottom) + reach));
}

void DeferredDevice::UsePath(bool stroke) {
  if (!pathReady_) return;
  pathReady_ = false;
  if (!pathSkippable_) return;
  const int64_t reach = Reach(stroke);
  Op& use = now_.ops.back();
  use.top = int32_t(std::max<int64_t>(INT32_MIN, int64_t(pathTop_) - reach));
  use.bottom = int32_t(std::min<int64_t>(INT32_MAX, int64_t(pathBottom_) + reach));
  Op& begin = now_.ops[pathBegin_];
  begin.top = use.top;
  begin.bottom = use.bottom;
  begin.n = uint32_t(pathEnd_);
}

// ---- Objects and attributes: answered by the stand-in ----

Handle DeferredDevice::CreatePen(uint32_t style, int32_t width, ColorRef color) {
  Keep(kCreatePen, width, int32_t(color), 0, 0, style);
  return objects_.CreatePen(width);
}

Handle DeferredDevice::ExtCreatePen(uint32_t style, int32_t width, ColorRef color) {
  Keep(kExtCreatePen, width, int32_t(color), 0, 0, style);
  return objects_.CreatePen(width);
}

Handle DeferredDevice::CreateSolidBrush(ColorRef color) {
  Keep(kCreateSolidBrush, 0, 0, 0, 0, color);
  return objects_.CreateBrush();
}

Handle DeferredDevice::CreatePatternBrush(int32_t pattern) {
  Keep(kCreatePatternBrush, pattern);
  return objects_.CreatePatternBrush(pattern);
}

Handle DeferredDevice::GetStockObject(int32_t which) {
  Keep(kGetStockObject, which);
  return objects_.GetStockObject(which);
}

Handle DeferredDevice::SelectObject(Handle object) {
  Keep(kSelectObject, 0, 0, 0, 0, object);
  return objects_.SelectObject(object);
}

bool DeferredDevice::DeleteObject(Handle object) {
  Keep(kDeleteObject, 0, 0, 0, 0, object);
  return objects_.DeleteObject(object);
}

int32_t DeferredDevice::SetROP2(int32_t rop) {
  Keep(kSetROP2, rop);
  return objects_.SetROP2(rop);
}

int32_t DeferredDevice::SetBkMode(int32_t mode) {
  Keep(kSetBkMode, mode);
  return objects_.SetBkMode(mode);
}

ColorRef DeferredDevice::SetTextColor(ColorRef color) {
  Keep(kSetTextColor, 0, 0, 0, 0, color);
  return objects_.SetTextColor(color);
}

ColorRef DeferredDevice::SetBkColor(ColorRef color) {
  Keep(kSetBkColor, 0, 0, 0, 0, color);
  return objects_.SetBkColor(color);
}

int32_t DeferredDevice::SaveDC() {
  Keep(kSaveDC);
  saved_.push_back(position_);
  return objects_.SaveDC();
}

bool DeferredDevice::RestoreDC(int32_t level) {
  Keep(kRestoreDC, level);
  if (!objects_.RestoreDC(level)) return false;
  // The same level as the stand-in took back.
  const int64_t depth = int64_t(saved_.size());
  const int64_t target = level < 0 ? depth + level + 1 : level;
  position_ = saved_[size_t(target - 1)];
  saved_.resize(size_t(target - 1));
  return true;
}

// ---- Drawing: kept ----

bool DeferredDevice::Polygon(const DevPoint* points, int32_t count) {
  if (!points || count < 2) return false;
  Keep(kPolygon, count);
  now_.ops.back().at = KeepPoints(points, count);
  SetRows(points, count, true);
  return true;
}

bool DeferredDevice::Polyline(const DevPoint* points, int32_t count) {
  if (!points || count < 2) return false;
  Keep(kPolyline, count);
  now_.ops.back().at = KeepPoints(points, count);
  SetRows(points, count, true);
  return true;
}

bool DeferredDevice::PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  const uint32_t at = KeepCounts(counts, polys, &total);
  if (!points || total < 0 || total > INT32_MAX) return false;
  Keep(kPolyPolyline, polys);
  now_.ops.back().n = at;
  now_.ops.back().at = KeepPoints(points, int32_t(total));
  SetRows(points, total, true);
  return true;
}

bool DeferredDevice::PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) {
  int64_t total = 0;
  const uint32_t at = KeepCounts(counts, polys, &total);
  if (!points || total < 0 || total > INT32_MAX) return false;
  Keep(kPolyPolygon, polys);
  now_.ops.back().n = at;
  now_.ops.back().at = KeepPoints(points, int32_t(total));
  SetRows(points, total, true);
  return true;
}

bool DeferredDevice::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Keep(kRectangle, left, top, right, bottom);
  const DevPoint corners[2] = {{left, top}, {right, bottom}};
  SetRows(corners, 2, true);
  return true;
}

bool DeferredDevice::Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  Keep(kEllipse, left, top, right, bottom);
  const DevPoint corners[2] = {{left, top}, {right, bottom}};
  SetRows(corners, 2, true);
  return true;
}

bool DeferredDevice::BeginPath() {
  // A bracket may be left out by a band only when the devices hold no other path meanwhile.
  pathSkippable_ = !inPath_ && !pathReady_;
  Keep(kBeginPath);
  pathBegin_ = now_.ops.size() - 1;
  inPath_ = true;
  pathReady_ = false;
  pathTop_ = INT32_MAX;
  pathBottom_ = INT32_MIN;
  return true;
}

bool DeferredDevice::EndPath() {
  Keep(kEndPath);
  if (!inPath_) return true;
  inPath_ = false;
  pathReady_ = pathTop_ <= pathBottom_;
  pathEnd_ = now_.ops.size() - 1;
  now_.ops[pathBegin_].c = position_.x;
  now_.ops[pathBegin_].d = position_.y;
  return true;
}

void DeferredDevice::BezierRows(const DevPoint* points, int32_t count) {
  // Drawn from the current position on.
  std::vector<DevPoint> all(points, points + count);
  all.push_back(position_);
  SetRows(all.data(), int64_t(all.size()), true);
}

bool DeferredDevice::StrokePath() {
  Keep(kStrokePath);
  UsePath(true);
  return true;
}

bool DeferredDevice::FillPath() {
  Keep(kFillPath);
  UsePath(false);
  return true;
}

bool DeferredDevice::StrokeAndFillPath() {
  Keep(kStrokeAndFillPath);
  UsePath(true);
  return true;
}

bool DeferredDevice::AbortPath() {
  Keep(kAbortPath);
  inPath_ = pathReady_ = false;
  return true;
}

ColorRef DeferredDevice::GetPixel(int32_t, int32_t) { return QImageDevice::kInvalidColor; }

ColorRef DeferredDevice::SetPixel(int32_t x, int32_t y, ColorRef color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return QImageDevice::kInvalidColor;
  Keep(kSetPixel, x, y, 0, 0, color);
  now_.ops.back().top = now_.ops.back().bottom = y;
  return color & 0xFFFFFF;
}

DevRect DeferredDevice::GetClipBox() { return DevRect{0, 0, width_, height_}; }

bool DeferredDevice::ReadPixels(const DevRect&, uint8_t*) { return false; }

bool DeferredDevice::WritePixels(const DevRect& area, const uint8_t* rgb) {
  if (!rgb || area.left < 0 || area.top < 0 || area.right > width_ || area.bottom > height_ ||
      area.left >= area.right || area.top >= area.bottom)
    return false;
  const size_t size = size_t(area.right - area.left) * size_t(area.bottom - area.top) * 3;
  if (!RoomForBytes(size)) return false;
  Keep(kWritePixels, area.left, area.top, area.right, area.bottom);
  now_.ops.back().at = uint32_t(now_.bytes.size());
  now_.bytes.insert(now_.bytes.end(), rgb, rgb + size);
  return true;
}

bool DeferredDevice::StretchRgb(const DevRect& dest, int32_t width, int32_t height,
                                const uint8_t* rgb) {
  if (!rgb || width <= 0 || height <= 0 || width > INT32_MAX / 3 ||
      !RoomForBytes(size_t(width) * size_t(height) * 3))
    return false;
  Keep(kStretchRgb, dest.left, dest.top, dest.right, dest.bottom);
  Op& op = now_.ops.back();
  op.u = uint32_t(width);
  op.n = uint32_t(height);
  op.at = uint32_t(now_.bytes.size());
  now_.bytes.insert(now_.bytes.end(), rgb, rgb + size_t(width) * size_t(height) * 3);
  return true;
}

bool DeferredDevice::BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx,
                            int32_t sy, uint32_t rop) {
  if (source != this && rop != DSTINVERT) return false;
  bandable_ = now_.bandable = false;
  Keep(kBitBlt, x, y, w, h, rop);
  Op& op = now_.ops.back();
  op.at = uint32_t(sx);
  op.n = uint32_t(sy);
  return true;
}

bool DeferredDevice::DrawGlyphRun(const GlyphRun& run) {
  // Answered now, as the drawing would: a font that cannot be drawn is reported at once.
  if (!QImageDevice::CanDrawGlyphRun(run)) return false;
  Glyphs g;
  g.run = run;
  g.font = run.fontPath;
  g.text.assign(run.text, size_t(run.length));
  g.advances.assign(run.advances, run.advances + run.length);
  Keep(kGlyphRun);
  now_.ops.back().at = uint32_t(now_.glyphs.size());
  now_.glyphs.push_back(std::move(g));
  return true;
}

void DeferredDevice::DrawNearest(const DevRect& area, const QImageDevice::NearestImage& image) {
  Keep(kNearest);
  now_.ops.back().at = uint32_t(now_.images.size());
  now_.images.push_back(image);
  now_.imageAreas.push_back(area);
}

// ---- Playback ----

void DeferredDevice::Replay(QImageDevice& t) const {
  for (size_t i = 0; i < sealed_; ++i) Play(*pieces_[i], t);
  Play(now_, t);
}

bool DeferredDevice::Stream(QImageDevice& t) const {
  for (size_t k = 0;; ++k) {
    const Calls* piece;
    {
      std::unique_lock<std::mutex> hold(mutex_);
      more_.wait(hold, [&] { return k < sealed_ || finished_; });
      if (k >= sealed_) return true;
      piece = pieces_[k].get();
    }
    if (!piece->bandable) return false;
    Play(*piece, t);
  }
}

void DeferredDevice::Play(const Calls& c, QImageDevice& t) {
  const DevRect rows = t.GetClipBox();
  for (size_t i = 0; i < c.ops.size(); ++i) {
    const Op& op = c.ops[i];
    if (op.bottom < rows.top || op.top >= rows.bottom) {
      if (op.code == kBeginPath) {
        i = op.n;  // the whole bracket, leaving the position where it ends
        t.MoveToEx(op.c, op.d);
      }
      continue;
    }
    const DevPoint* pts = c.points.data() + std::min<size_t>(op.at, c.points.size());
    switch (op.code) {
      case kCreatePen:
        t.CreatePen(op.u, op.a, ColorRef(op.b));
        break;
      case kExtCreatePen:
        t.ExtCreatePen(op.u, op.a, ColorRef(op.b));
        break;
      case kCreateSolidBrush:
        t.CreateSolidBrush(op.u);
        break;
      case kCreatePatternBrush:
        t.CreatePatternBrush(op.a);
        break;
      case kGetStockObject:
        t.GetStockObject(op.a);
        break;
      case kSelectObject:
        t.SelectObject(op.u);
        break;
      case kDeleteObject:
        t.DeleteObject(op.u);
        break;
      case kSetROP2:
        t.SetROP2(op.a);
        break;
      case kSetBkMode:
        t.SetBkMode(op.a);
        break;
      case kSetTextColor:
        t.SetTextColor(op.u);
        break;
      case kSetBkColor:
        t.SetBkColor(op.u);
        break;
      case kSaveDC:
        t.SaveDC();
        break;
      case kRestoreDC:
        t.RestoreDC(op.a);
        break;
      case kMoveToEx:
        t.MoveToEx(op.a, op.b);
        break;
      case kLineTo:
        t.LineTo(op.a, op.b);
        break;
      case kPolygon:
        t.Polygon(pts, op.a);
        break;
      case kPolyline:
        t.Polyline(pts, op.a);
        break;
      case kPolyPolyline:
        t.PolyPolyline(pts, c.counts.data() + op.n, op.a);
        break;
      case kPolyPolygon:
        t.PolyPolygon(pts, c.counts.data() + op.n, op.a);
        break;
      case kRectangle:
        t.Rectangle(op.a, op.b, op.c, op.d);
        break;
      case kEllipse:
        t.Ellipse(op.a, op.b, op.c, op.d);
        break;
      case kBeginPath:
        t.BeginPath();
        break;
      case kEndPath:
        t.EndPath();
        break;
      case kPolyBezierTo:
        t.PolyBezierTo(pts, op.a);
        break;
      case kCloseFigure:
        t.CloseFigure();
        break;
      case kStrokePath:
        t.StrokePath();
        break;
      case kFillPath:
        t.FillPath();
        break;
      case kStrokeAndFillPath:
        t.StrokeAndFillPath();
        break;
      case kAbortPath:
        t.AbortPath();
        break;
      case kSetPixel:
        t.SetPixel(op.a, op.b, op.u);
        break;
      case kWritePixels:
        t.WritePixels(DevRect{op.a, op.b, op.c, op.d}, c.bytes.data() + op.at);
        break;
      case kStretchRgb:
        t.StretchRgb(DevRect{op.a, op.b, op.c, op.d}, int32_t(op.u), int32_t(op.n),
                     c.bytes.data() + op.at);
        break;
      case kBitBlt:
        t.BitBlt(op.a, op.b, op.c, op.d, &t, int32_t(op.at), int32_t(op.n), op.u);
        break;
      case kGlyphRun: {
        const Glyphs& g = c.glyphs[op.at];
        GlyphRun run = g.run;
        run.fontPath = g.font.c_str();
        run.text = g.text.data();
        run.advances = g.advances.data();
        t.DrawGlyphRun(run);
        break;
      }
      case kNearest:
        t.DrawNearest(c.imageAreas[op.at], c.images[op.at]);
        break;
    }
  }
}

}  // namespace gdi
