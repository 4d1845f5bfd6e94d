// The graphics-device output driver: every shape drawn with direct device calls, its points
// taken through the shape's matrix and then the renderer's device matrix (points to pixels).
// The bitmap exports derive from it; it also draws a drawing on a printer that speaks no
// PostScript.
#pragma once

#include <cstdint>

#include "output/OutputDriver.h"
#include "platform/gdi/Device.h"

class FontFace;

class GdiRenderer : public OutputDriver {
 public:
  // Draws on `device` (not owned; a subclass may supply it in BeginDocument).
  explicit GdiRenderer(gdi::Device* device = nullptr, OutputSink* sink = nullptr);
  ~GdiRenderer() override;

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  // DrawOval and DrawArc are the base's Bezier nodes through DrawCurve.
  void DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* start, const Arrowhead* end) override;
  void DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points, int32_t count,
                   int32_t closed) override;
  // Flattened to integer polylines, then drawn as a polygon.
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
               float y2) override;
  void DrawImage(const Matrix* m, const ImageData* image) override;

  gdi::Device* device() const { return dc_; }
  const Matrix& DeviceMatrix() const { return deviceMatrix_; }
  void SetDeviceMatrix(const Matrix& m) { deviceMatrix_ = m; }
  float PixelsPerPoint() const { return pixelsPerPoint_; }
  void SetPixelsPerPoint(float pixels) { pixelsPerPoint_ = pixels; }

 protected:
  void SetDevice(gdi::Device* device) { dc_ = device; }
  // The shape's matrix followed by the device matrix.
  Matrix Combined(const Matrix* m) const;
  // Selects the pen and brush of a shape (and the pattern colours); RestoreStyle selects the
  // previous ones again and deletes what SelectStyle made.
  void SelectStyle(const PaintStyle& style);
  void RestoreStyle();
  // Polygon or polyline of device points by the fill, stroke and closed rules.
  void PaintPolygon(const PaintStyle& style, const gdi::DevPoint* points, int32_t count,
                    bool closed);
  // The curve as a device path of Bezier pieces (the bitmap drivers' DrawCurve).
  void DrawCurveAsPath(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                       int32_t count, int32_t closed);

 private:
  void DrawRun(const Matrix& cm, FontFace* face, const PaintStyle& style, const char* text,
               int32_t length, float size, float x, float y);
  bool AddCurvePath(const Matrix& cm, const CurveNode* nodes, int32_t count, bool closed);

  gdi::Device* dc_;
  gdi::Handle pen_ = 0, previousPen_ = 0;
  gdi::Handle brush_ = 0, previousBrush_ = 0;
  bool penMade_ = false, brushMade_ = false;
  gdi::ColorRef savedTextColor_ = 0, savedBkColor_ = 0;
  bool coloursChanged_ = false;
  Matrix deviceMatrix_;
  float pixelsPerPoint_ = 1.0f;
};

// Device pixel of a device-space value: truncated toward zero (NaN and absurd values clamped so
// that the conversion stays defined).
int32_t TruncDevice(double v);
