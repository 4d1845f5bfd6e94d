#include "render/GdiPainter.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <typeinfo>
#include <vector>

#include "fonts/FontFace.h"
#include "fonts/FontManager.h"
#include "model/ImageData.h"
#include "platform/gdi/qt/DeferredDevice.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiRenderer.h"

namespace {

int32_t gDrawTargetMode = kDrawToBuffer;
bool gPrinting = false;

// Device coordinates are clamped here before rounding so the conversion stays defined.
constexpr double kDeviceLimit = 1.0e9;
// The image drawing reads the covered device area into memory; beyond this many pixels it
// gives up rather than ask for gigabytes.
constexpr int64_t kMaxImageArea = int64_t(1) << 26;

int32_t RoundDevice(double v) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(v, -kDeviceLimit, kDeviceLimit) + 0.5);
}

gdi::DevPoint RoundPoint(const Point& p) {
  return gdi::DevPoint{RoundDevice(p.x), RoundDevice(p.y)};
}

bool IsDashed(int32_t dash) { return dash >= 0 && dash <= 3; }

bool HasPattern(int32_t pattern) { return pattern >= 0 && pattern <= 8; }

bool FeedbackTarget() { return !gPrinting && gDrawTargetMode == kDrawFeedback; }

gdi::ColorRef StateColor(const GState& st) {
  return GdiColorOfFractions(st.red, st.green, st.blue);
}

}  // namespace

void SetDrawTargetMode(int32_t mode) { gDrawTargetMode = mode; }
int32_t DrawTargetMode() { return gDrawTargetMode; }
void SetPrintingFlag(bool printing) { gPrinting = printing; }
bool PrintingFlag() { return gPrinting; }

int ColorByte(double percent) {
  if (std::isnan(percent)) return 0;
  // The clamp only keeps the conversion defined; in-range values are untouched.
  double v = std::clamp(percent * 255.0 / 100.0, -1.0e9, 1.0e9);
  return int(int64_t(v) & 255);
}

gdi::ColorRef GdiColor(const Color& color) {
  return gdi::Rgb(ColorByte(color.red), ColorByte(color.green), ColorByte(color.blue));
}

// Straight from the fraction, so 0.999 gives 254 rather than suffering a second rounding on the
// way through percent.
gdi::ColorRef GdiColorOfFractions(double red, double green, double blue) {
  auto byte = [](double f) {
    if (std::isnan(f)) return 0;
    return int(int64_t(std::clamp(f * 255.0, -1.0e9, 1.0e9)) & 255);
  };
  return gdi::Rgb(byte(red), byte(green), byte(blue));
}

uint32_t DashPenStyle(int32_t dash) {
  static const uint32_t kStyles[4] = {gdi::PS_DASH, gdi::PS_DOT, gdi::PS_DASHDOT,
                                      gdi::PS_DASHDOTDOT};
  return IsDashed(dash) ? kStyles[dash] : gdi::PS_SOLID;
}

int32_t PenWidth(double width) {
  double w = std::fabs(width);
  if (!(w < kDeviceLimit)) return w > 0 ? int32_t(kDeviceLimit) : 1;  // NaN gives 1
  return std::max<int32_t>(1, int32_t(w + 0.5));
}

namespace {

// Over the device's own class where it is known, so that the kept calls of a banded redraw are
// made without a virtual call a step.
template <typename Dc>
bool ReplayPathOn(Dc* dc, const GraphicsState& gs) {
  const GrowArray<PathElement>& path = gs.path();
  if (path.Empty()) return false;
  dc->BeginPath();
  for (const PathElement& e : path) {
    switch (e.kind) {
      case kPathMoveTo: {
        gdi::DevPoint p = RoundPoint(e.p[0]);
        dc->MoveToEx(p.x, p.y);
        break;
      }
      case kPathLineTo: {
        gdi::DevPoint p = RoundPoint(e.p[0]);
        dc->LineTo(p.x, p.y);
        break;
      }
      case kPathCurveTo: {
        gdi::DevPoint p[3] = {RoundPoint(e.p[0]), RoundPoint(e.p[1]), RoundPoint(e.p[2])};
        dc->PolyBezierTo(p, 3);
        break;
      }
      case kPathClosePath:
        dc->CloseFigure();
        break;
      default:
        break;
    }
  }
  dc->EndPath();
  return true;
}

}  // namespace

bool ReplayPath(gdi::Device* dc, const GraphicsState& gs) {
  if (dc && typeid(*dc) == typeid(gdi::DeferredDevice))
    return ReplayPathOn(static_cast<gdi::DeferredDevice*>(dc), gs);
  return ReplayPathOn(dc, gs);
}

gdi::Device* DrawTargetDevice() {
  auto* painter = dynamic_cast<GdiPainter*>(CurrentPathPainter());
  return painter ? painter->TargetDevice() : nullptr;
}

GdiPainter::~GdiPainter() { DeletePens(); }

void GdiPainter::DeletePens() {
  if (window_) {
    if (feedbackPen_) window_->DeleteObject(feedbackPen_);
    if (guidePen_) window_->DeleteObject(guidePen_);
  }
  feedbackPen_ = guidePen_ = 0;
}

void GdiPainter::SetWindowDevice(gdi::Device* device) {
  DeletePens();
  window_ = device;
  if (window_) {
    feedbackPen_ = window_->CreatePen(gdi::PS_SOLID, 1, kFeedbackColor);
    guidePen_ = window_->CreatePen(gdi::PS_DASH, 1, gdi::Rgb(0, 0, 0));
  }
}

gdi::Device* GdiPainter::TargetDevice() const {
  if (gPrinting) return printer_;
  return gDrawTargetMode == kDrawToBuffer ? buffer_ : window_;
}

void GdiPainter::Stroke(GraphicsState& gs, int mode) {
  gdi::Device* dc = TargetDevice();
  if (!dc) return;
  if (mode != 1) {
    OutlineStroke(dc, gs, FeedbackTarget());
    return;
  }
  if (FeedbackTarget()) {
    int32_t oldRop = dc->SetROP2(gdi::R2_NOT);
    FullStroke(dc, gs);
    dc->SetROP2(oldRop);
  } else {
    FullStroke(dc, gs);
  }
}

void GdiPainter::Fill(GraphicsState& gs, int mode) {
  gdi::Device* dc = TargetDevice();
  if (!dc) return;
  if (FeedbackTarget()) {
    int32_t oldRop = dc->SetROP2(gdi::R2_NOT);
    PaintFill(dc, gs, mode == 1);
    dc->SetROP2(oldRop);
  } else {
    PaintFill(dc, gs, mode == 1);
  }
}

void GdiPainter::OutlineStroke(gdi::Device* dc, GraphicsState& gs, bool feedback) {
  if (!gs.flatten() || gs.FlatCounts().Empty()) return;
  const GState& st = gs.state();
  int32_t width = PenWidth(st.lineWidth);
  bool dashed = IsDashed(st.dash);
  // Feedback strokes in colour 0 so that the common 1-pixel case takes the feedback pen.
  gdi::ColorRef color = feedback ? 0 : StateColor(st);

  int32_t oldRop = 0;
  gdi::Handle oldFeedbackPen = 0;
  if (feedback) {
    oldRop = dc->SetROP2(gdi::R2_XORPEN);
    if (feedbackPen_) oldFeedbackPen = dc->SelectObject(feedbackPen_);
  }

  const GrowArray<gdi::DevPoint>& pts = gs.FlatPoints();
  const GrowArray<int32_t>& counts = gs.FlatCounts();
  if (width == 1 && color == 0 && !dashed) {
    dc->PolyPolyline(pts.Data(), counts.Data(), counts.Count());
  } else {
    // A pen XORed in colour 0 would leave the window unchanged, so wide or dashed feedback
    // lines take the feedback colour instead.
    gdi::ColorRef penColor = feedback ? kFeedbackColor : color;
    gdi::Handle pen = dashed ? dc->CreatePen(DashPenStyle(st.dash), 1, penColor)
                             : dc->CreatePen(gdi::PS_SOLID, width, penColor);
    gdi::Handle oldPen = pen ? dc->SelectObject(pen) : 0;
    int32_t oldBk = dc->SetBkMode(gdi::TRANSPARENT);
    dc->PolyPolyline(pts.Data(), counts.Data(), counts.Count());
    dc->SetBkMode(oldBk);
    if (pen) {
      dc->SelectObject(oldPen);
      dc->DeleteObject(pen);
    }
  }

  if (feedback) {
    if (oldFeedbackPen) dc->SelectObject(oldFeedbackPen);
    dc->SetROP2(oldRop);
  }
}

void GdiPainter::FullStroke(gdi::Device* dc, GraphicsState& gs) {
  if (!ReplayPath(dc, gs)) return;
  const GState& st = gs.state();
  gdi::ColorRef color = StateColor(st);
  int32_t oldBk = dc->SetBkMode(gdi::TRANSPARENT);
  gdi::Handle pen = IsDashed(st.dash)
                        ? dc->CreatePen(DashPenStyle(st.dash), 1, color)
                        : dc->ExtCreatePen(gdi::PS_GEOMETRIC | gdi::PS_SOLID | gdi::PS_ENDCAP_FLAT |
                                               gdi::PS_JOIN_MITER,
                                           PenWidth(st.lineWidth), color);
  gdi::Handle oldPen = pen ? dc->SelectObject(pen) : 0;
  dc->StrokePath();
  if (pen) {
    dc->SelectObject(oldPen);
    dc->DeleteObject(pen);
  }
  dc->SetBkMode(oldBk);
}

void GdiPainter::PaintFill(gdi::Device* dc, GraphicsState& gs, bool full) {
  if (full) {
    if (!ReplayPath(dc, gs)) return;
  } else if (!gs.flatten() || gs.FlatCounts().Empty()) {
    return;
  }
  const GState& st = gs.state();
  gdi::ColorRef color = StateColor(st);
  bool pattern = HasPattern(st.pattern);

  gdi::Handle oldPen = dc->SelectObject(dc->GetStockObject(gdi::NULL_PEN));
  gdi::Handle brush = pattern ? dc->CreatePatternBrush(st.pattern) : dc->CreateSolidBrush(color);
  gdi::ColorRef oldText = 0, oldBkColor = 0;
  if (pattern) {
    // Zero bits take the text colour, one bits the background colour.
    oldText = dc->SetTextColor(gdi::Rgb(0, 0, 0));
    oldBkColor = dc->SetBkColor(color);
  }
  gdi::Handle oldBrush = brush ? dc->SelectObject(brush) : 0;

  if (full) {
    dc->FillPath();
  } else {
    const GrowArray<gdi::DevPoint>& pts = gs.FlatPoints();
    const GrowArray<int32_t>& counts = gs.FlatCounts();
    dc->PolyPolygon(pts.Data(), counts.Data(), counts.Count());
  }

  if (brush) dc->SelectObject(oldBrush);
  if (pattern) {
    dc->SetTextColor(oldText);
    dc->SetBkColor(oldBkColor);
  }
  if (oldPen) dc->SelectObject(oldPen);
  if (brush) dc->DeleteObject(brush);
}

void GdiPainter::Image(GraphicsState& gs, const ImageData& image) {
  gdi::Device* dc = TargetDevice();
  if (!dc || !image.HasPixels()) return;
  const size_t w = size_t(image.width), h = size_t(image.height);
  if (w > image.pixels.size() / 3 / h) return;  // fewer bytes than the size promises

  const MatrixD& m = gs.matrix();
  const double cx[4] = {m.tx, m.a + m.tx, m.c + m.tx, m.a + m.c + m.tx};
  const double cy[4] = {m.ty, m.b + m.ty, m.d + m.ty, m.b + m.d + m.ty};
  double x1 = *std::min_element(cx, cx + 4), x2 = *std::max_element(cx, cx + 4);
  double y1 = *std::min_element(cy, cy + 4), y2 = *std::max_element(cy, cy + 4);
  if (!std::isfinite(x1 + x2 + y1 + y2)) return;

  if (gPrinting) {
    gdi::DevRect dest{RoundDevice(x1), RoundDevice(y1), RoundDevice(x2), RoundDevice(y2)};
    dc->StretchRgb(dest, image.width, image.height, image.pixels.data());
    return;
  }

  // The device box rounded outward, then clipped.
  gdi::DevRect clip = dc->GetClipBox();
  gdi::DevRect area;
  auto within = [](double v, int32_t lo, int32_t hi) {
    return int32_t(std::clamp(v, double(lo), double(std::max(lo, hi))));
  };
  area.left = within(std::floor(x1), clip.left, clip.right);
  area.top = within(std::floor(y1), clip.top, clip.bottom);
  area.right = within(std::ceil(x2), clip.left, clip.right);
  area.bottom = within(std::ceil(y2), clip.top, clip.bottom);
  if (area.left >= area.right || area.top >= area.bottom) return;

  // Each device pixel samples at its centre, nearest image pixel. The image column u and row v
  // of a device point are linear in it; along a device row only the x term changes.
  const MatrixD inv = Invert(m);
  const double iw = double(image.width), ih = double(image.height);
  const double ua = inv.a * iw, uc = inv.c * iw, ut = inv.tx * iw;
  const double va = -inv.b * ih, vc = -inv.d * ih, vt = (1.0 - inv.ty) * ih;
  const gdi::QImageDevice::NearestImage nearest{
      image.pixels.data(), image.width, image.height, ua, uc, ut, va, vc, vt};
  if (auto* direct = dynamic_cast<gdi::QImageDevice*>(dc)) {
    direct->DrawNearest(area, nearest);
    return;
  }
  if (auto* kept = dynamic_cast<gdi::DeferredDevice*>(dc)) {
    kept->DrawNearest(area, nearest);
    return;
  }
  int64_t aw = int64_t(area.right) - area.left, ah = int64_t(area.bottom) - area.top;
  if (aw > kMaxImageArea / ah) return;
  std::unique_ptr<uint8_t[]> buf(new (std::nothrow) uint8_t[size_t(aw * ah * 3)]);
  if (!buf || !dc->ReadPixels(area, buf.get())) return;

  const uint8_t* pixels = image.pixels.data();
  if (va == 0 && uc == 0) {
    // Upright and unrotated, as placed images mostly are: the column depends on x alone and the
    // row on y alone, so the columns are found once.
    std::vector<int64_t> columns(size_t(aw), -1);
    for (int64_t x = 0; x < aw; ++x) {
      const double u = ua * (double(area.left + x) + 0.5) + ut;
      if (u >= 0 && u < iw) columns[size_t(x)] = int64_t(u);
    }
    for (int64_t y = 0; y < ah; ++y) {
      const double v = vc * (double(area.top + y) + 0.5) + vt;
      if (!(v >= 0 && v < ih)) continue;
      const uint8_t* row = pixels + size_t(v) * w * 3;
      uint8_t* out = &buf[size_t(y * aw * 3)];
      for (int64_t x = 0; x < aw; ++x) {
        const int64_t col = columns[size_t(x)];
        if (col < 0) continue;
        out[x * 3] = row[col * 3];
        out[x * 3 + 1] = row[col * 3 + 1];
        out[x * 3 + 2] = row[col * 3 + 2];
      }
    }
    dc->WritePixels(area, buf.get());
    return;
  }
  for (int64_t y = 0; y < ah; ++y) {
    const double py = double(area.top + y) + 0.5;
    const double u0 = uc * py + ut, v0 = vc * py + vt;
    uint8_t* out = &buf[size_t(y * aw * 3)];
    for (int64_t x = 0; x < aw; ++x) {
      const double px = double(area.left + x) + 0.5;
      const double u = ua * px + u0, v = va * px + v0;
      // Also false for a NaN; inside, truncation is the floor, as both are not negative.
      if (!(u >= 0 && u < iw && v >= 0 && v < ih)) continue;
      const uint8_t* s = pixels + (size_t(v) * w + size_t(u)) * 3;
      out[x * 3] = s[0];
      out[x * 3 + 1] = s[1];
      out[x * 3 + 2] = s[2];
    }
  }
  dc->WritePixels(area, buf.get());
}

void GdiPainter::ShowText(GraphicsState& gs, const char* font, float size, const char* text,
                          int32_t length, float x, float y, float extraPerSpace) {
  FontManager* fonts = TheFontManager();
  gdi::Device* dc = TargetDevice();
  if (!fonts || !dc || !text || length <= 0) return;
  FontFace* face = font ? fonts->FindFace(font) : nullptr;
  if (!face) face = fonts->DefaultFace();
  if (!face) return;
  const GState& st = gs.state();
  const MatrixD& m = st.ctm;
  const bool xor_ = !PrintingFlag() && DrawTargetMode() == 1;
  int32_t oldRop = xor_ ? dc->SetROP2(gdi::R2_NOT) : 0;
  auto run = [&](const char* s, int32_t n, float at) {
    Point p = gs.transform(at, y);
    fonts->DrawTextRun(dc, TruncDevice(p.x), TruncDevice(p.y), face, size, st.red * 100,
                       st.green * 100, st.blue * 100, float(m.a), float(m.b), float(m.c),
                       float(m.d), s, n);
  };
  if (extraPerSpace == 0) {
    run(text, length, x);
  } else {
    const float space = face->StringWidth(" ", 1, size) + extraPerSpace;
    for (int32_t i = 0; i < length;) {
      if (text[i] == ' ') {
        x += space;
        ++i;
        continue;
      }
      int32_t j = i;
      while (j < length && text[j] != ' ') ++j;
      run(text + i, j - i, x);
      x += face->StringWidth(text + i, j - i, size);
      i = j;
    }
  }
  if (xor_) dc->SetROP2(oldRop);
}
