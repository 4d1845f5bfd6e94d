#include "render/GdiRenderer.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Arrowhead.h"
#include "model/GraphicsState.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "model/TextShape.h"
#include "render/GdiPainter.h"

namespace {

// Device coordinates are clamped here before conversion so it stays defined.
constexpr double kDeviceLimit = 1.0e9;

int32_t RoundDevice(double v) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(v, -kDeviceLimit, kDeviceLimit) + 0.5);
}

gdi::DevPoint TruncPoint(const Matrix& m, float x, float y) {
  Point p = Transform(m, x, y);
  return gdi::DevPoint{TruncDevice(p.x), TruncDevice(p.y)};
}

gdi::DevPoint RoundPoint(const Matrix& m, float x, float y) {
  Point p = Transform(m, x, y);
  return gdi::DevPoint{RoundDevice(p.x), RoundDevice(p.y)};
}

bool HasPattern(int32_t pattern) { return pattern >= 0 && pattern <= 8; }
bool IsDashed(int32_t dash) { return dash >= 0 && dash <= 3; }

}  // namespace

int32_t TruncDevice(double v) {
  if (std::isnan(v)) return 0;
  return int32_t(std::clamp(v, -kDeviceLimit, kDeviceLimit));
}

GdiRenderer::GdiRenderer(gdi::Device* device, OutputSink* sink) : OutputDriver(sink), dc_(device) {}

GdiRenderer::~GdiRenderer() = default;

int32_t GdiRenderer::BeginDocument(const PageInfo*, int32_t, ProgressDialog*) { return 1; }
void GdiRenderer::EndDocument(ProgressDialog*) {}

Matrix GdiRenderer::Combined(const Matrix* m) const {
  return m ? Multiply(*m, deviceMatrix_) : deviceMatrix_;
}

void GdiRenderer::SelectStyle(const PaintStyle& style) {
  gdi::Device* dc = dc_;
  gdi::ColorRef stroke = GdiColor(style.strokeColor), fill = GdiColor(style.fillColor);
  penMade_ = brushMade_ = coloursChanged_ = false;
  if (style.strokeOn) {
    pen_ = IsDashed(style.dash)
               ? dc->CreatePen(DashPenStyle(style.dash), 1, stroke)
               : dc->CreatePen(gdi::PS_SOLID, PenWidth(double(style.lineWidth) * pixelsPerPoint_),
                               stroke);
    penMade_ = pen_ != 0;
  }
  if (!penMade_) pen_ = dc->GetStockObject(gdi::NULL_PEN);

  if (style.fillOn && HasPattern(style.pattern)) {
    brush_ = dc->CreatePatternBrush(style.pattern);
    brushMade_ = brush_ != 0;
    if (brushMade_) {
      savedTextColor_ = dc->SetTextColor(gdi::Rgb(0, 0, 0));
      savedBkColor_ = dc->SetBkColor(fill);
      coloursChanged_ = true;
    }
  }
  // A pattern index outside the table fills plainly.
  if (style.fillOn && !brushMade_) {
    brush_ = dc->CreateSolidBrush(fill);
    brushMade_ = brush_ != 0;
  }
  if (!brushMade_) brush_ = dc->GetStockObject(gdi::NULL_BRUSH);
  previousPen_ = dc->SelectObject(pen_);
  previousBrush_ = dc->SelectObject(brush_);
}

void GdiRenderer::RestoreStyle() {
  gdi::Device* dc = dc_;
  if (coloursChanged_) {
    dc->SetTextColor(savedTextColor_);
    dc->SetBkColor(savedBkColor_);
  }
  if (previousPen_) dc->SelectObject(previousPen_);
  if (previousBrush_) dc->SelectObject(previousBrush_);
  if (penMade_) dc->DeleteObject(pen_);
  if (brushMade_) dc->DeleteObject(brush_);
  pen_ = brush_ = previousPen_ = previousBrush_ = 0;
  penMade_ = brushMade_ = coloursChanged_ = false;
}

void GdiRenderer::PaintPolygon(const PaintStyle& style, const gdi::DevPoint* pts, int32_t n,
                               bool closed) {
  if (n <= 0) return;
  SelectStyle(style);
  if (style.fillOn && style.strokeOn && !closed) {
    // The fill closes the outline, the stroke must not: fill without a pen, then the polyline.
    dc_->SaveDC();
    dc_->SelectObject(dc_->GetStockObject(gdi::NULL_PEN));
    dc_->Polygon(pts, n);
    dc_->RestoreDC(-1);
    dc_->Polyline(pts, n);
  } else if (style.fillOn || closed) {
    dc_->Polygon(pts, n);
  } else {
    dc_->Polyline(pts, n);
  }
  RestoreStyle();
}

void GdiRenderer::DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                           float y2, const Arrowhead* start, const Arrowhead* end) {
  if (!dc_ || !style) return;
  Matrix cm = Combined(m);
  gdi::DevPoint p1 = TruncPoint(cm, x1, y1), p2 = TruncPoint(cm, x2, y2);
  SelectStyle(*style);
  dc_->MoveToEx(p1.x, p1.y);
  dc_->LineTo(p2.x, p2.y);
  RestoreStyle();
  // An invisible line shows no arrowheads, as on screen.
  if (!style->strokeOn) return;
  DrawLineArrowheads(*style, x1, y1, x2, y2, start, end,
                     [&](const PaintStyle* s, const Point* points, int32_t count, int32_t closed) {
                       DrawPolygon(s, m, points, count, closed);
                     });
}

void GdiRenderer::DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points,
                              int32_t count, int32_t closed) {
  if (!dc_ || !style || !points || count <= 0) return;
  Matrix cm = Combined(m);
  std::vector<gdi::DevPoint> pts(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) pts[size_t(i)] = TruncPoint(cm, points[i].x, points[i].y);
  PaintPolygon(*style, pts.data(), count, closed != 0);
}

void GdiRenderer::DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                            int32_t count, int32_t closed) {
  if (!dc_ || !style || !nodes || count <= 0) return;
  // The graphics state's flattening: rounded device points, the closing segment when closed.
  GraphicsState gs;
  gs.setmatrix(ToMatrixD(Combined(m)));
  gs.moveto(nodes[0].x, nodes[0].y);
  for (int32_t i = 0; i + 1 < count; ++i) {
    const CurveNode& a = nodes[i];
    const CurveNode& b = nodes[i + 1];
    gs.curveto(a.outX, a.outY, b.inX, b.inY, b.x, b.y);
  }
  if (closed) {
    const CurveNode& a = nodes[count - 1];
    gs.curveto(a.outX, a.outY, nodes[0].inX, nodes[0].inY, nodes[0].x, nodes[0].y);
  }
  if (!gs.flatten() || gs.FlatCounts().Empty()) return;
  PaintPolygon(*style, gs.FlatPoints().Data(), gs.FlatCounts()[0], closed != 0);
}

bool GdiRenderer::AddCurvePath(const Matrix& cm, const CurveNode* nodes, int32_t count,
                               bool closed) {
  dc_->BeginPath();
  gdi::DevPoint start = RoundPoint(cm, nodes[0].x, nodes[0].y);
  dc_->MoveToEx(start.x, start.y);
  auto segment = [&](const CurveNode& a, const CurveNode& b) {
    gdi::DevPoint p[3] = {RoundPoint(cm, a.outX, a.outY), RoundPoint(cm, b.inX, b.inY),
                          RoundPoint(cm, b.x, b.y)};
    dc_->PolyBezierTo(p, 3);
  };
  for (int32_t i = 0; i + 1 < count; ++i) segment(nodes[i], nodes[i + 1]);
  if (closed) {
    segment(nodes[count - 1], nodes[0]);
    dc_->CloseFigure();
  }
  return dc_->EndPath();
}

void GdiRenderer::DrawCurveAsPath(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                                  int32_t count, int32_t closed) {
  if (!dc_ || !style || !nodes || count <= 0) return;
  Matrix cm = Combined(m);
  SelectStyle(*style);
  AddCurvePath(cm, nodes, count, closed != 0);
  if (style->fillOn && style->strokeOn) {
    if (closed) {
      dc_->StrokeAndFillPath();
    } else {
      dc_->SaveDC();
      dc_->SelectObject(dc_->GetStockObject(gdi::NULL_PEN));
      dc_->FillPath();
      dc_->RestoreDC(-1);
      // Filling used the path up; the outline needs it again.
      AddCurvePath(cm, nodes, count, false);
      dc_->StrokePath();
    }
  } else if (style->fillOn) {
    dc_->FillPath();
  } else {
    dc_->StrokePath();
  }
  RestoreStyle();
}

void GdiRenderer::DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                          float y2) {
  if (!dc_ || !style) return;
  Matrix cm = Combined(m);
  gdi::DevPoint pts[4] = {TruncPoint(cm, x1, y1), TruncPoint(cm, x2, y1), TruncPoint(cm, x2, y2),
                          TruncPoint(cm, x1, y2)};
  SelectStyle(*style);
  dc_->Polygon(pts, 4);
  RestoreStyle();
}

void GdiRenderer::DrawImage(const Matrix* m, const ImageData* image) {
  if (!dc_ || !image) return;
  // The image shape's own drawing, on this device, through the combined matrix.
  GraphicsState gs;
  gs.setmatrix(ToMatrixD(Combined(m)));
  GdiPainter painter;
  painter.SetBufferDevice(dc_);
  painter.SetPrinterDevice(dc_);
  int32_t mode = DrawTargetMode();
  SetDrawTargetMode(kDrawToBuffer);
  painter.Image(gs, *image);
  SetDrawTargetMode(mode);
}

void GdiRenderer::DrawRun(const Matrix& cm, FontFace* face, const PaintStyle& style,
                          const char* text, int32_t length, float size, float x, float y) {
  FontManager* fonts = TheFontManager();
  if (!fonts || length <= 0) return;
  Point p = Transform(cm, x, y);
  // Text is painted in the fill colour.
  fonts->DrawTextRun(dc_, TruncDevice(p.x), TruncDevice(p.y), face, size, style.fillColor.red,
                     style.fillColor.green, style.fillColor.blue, cm.a, cm.b, cm.c, cm.d, text,
                     length);
}

void GdiRenderer::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                           const char* font, float size, float leading, int32_t align,
                           const float* rect) {
  FontManager* fonts = TheFontManager();
  if (!dc_ || !style || !text || !rect || !fonts) return;
  FontFace* face = font ? fonts->FindFace(font) : nullptr;
  if (!face) face = fonts->DefaultFace();
  if (!face) return;
  Matrix cm = Combined(m);
  const float left = rect[0], right = rect[2];
  float y = rect[1] - face->Ascent(size);
  const char* p = text;
  for (;;) {
    const char* line = p;
    while (*p && *p != '\r' && *p != '\n') ++p;
    const int32_t length = int32_t(std::min<ptrdiff_t>(p - line, kMaxLineChars));
    const bool lastOfParagraph = *p == '\0' || *p == '\r';
    const float width = face->StringWidth(line, length, size);
    int32_t spaces = int32_t(std::count(line, line + length, ' '));
    switch (align) {
      case kAlignCentre:
        DrawRun(cm, face, *style, line, length, size, (left + right) / 2 - width / 2, y);
        break;
      case kAlignRight:
        DrawRun(cm, face, *style, line, length, size, right - width, y);
        break;
      case kAlignJustify:
        if (!lastOfParagraph && spaces > 0) {
          // Word by word, each space widened by an equal share of the room left.
          const float extra = (right - left - width) / float(spaces);
          const float space = face->StringWidth(" ", 1, size);
          float x = left;
          for (int32_t i = 0; i < length;) {
            if (line[i] == ' ') {
              x += space + extra;
              ++i;
              continue;
            }
            int32_t j = i;
            while (j < length && line[j] != ' ') ++j;
            DrawRun(cm, face, *style, line + i, j - i, size, x, y);
            x += face->StringWidth(line + i, j - i, size);
            i = j;
          }
          break;
        }
        [[fallthrough]];
      default:
        DrawRun(cm, face, *style, line, length, size, left, y);
        break;
    }
    if (*p == '\0') break;
    ++p;
    y -= leading;
  }
}
