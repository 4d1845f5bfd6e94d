// The graphics device on a QImage: what the screen buffers and the bitmap exports paint on.
// QPainter does the rasterising, always without antialiasing, and the device adds what GDI does
// differently: integer pixel coordinates, cosmetic pens of one pixel whatever the scale, the GDI
// dash lengths, opaque dash gaps, pattern brushes from the 8x8 bit table in the text and
// background colours, and the raster operations XOR and NOT applied once per pixel a primitive
// covers, so that feedback drawn twice disappears without a trace.
// One QPainter stays open on the image between primitives (opening one costs more than drawing
// a small shape); it is closed before any direct pixel access and whenever the image is handed
// out, so that outside readers and copies always see finished pixels.
#pragma once

#include <QBrush>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Device.h"
#include "platform/gdi/qt/Hairline.h"
#include "platform/gdi/qt/HandleTable.h"
#include "platform/gdi/qt/Spans.h"

class QPainter;
class QPainterPath;
class QPen;
class QRectF;

namespace gdi {

class QImageDevice : public Device {
 public:
  // A white image of width x height pixels, 32 bits a pixel. IsValid() is false when the image
  // could not be allocated (every drawing call then does nothing).
  QImageDevice(int32_t width, int32_t height);
  ~QImageDevice() override;
  QImageDevice(const QImageDevice&) = delete;
  QImageDevice& operator=(const QImageDevice&) = delete;

  // A device on rows top .. bottom - 1 of `whole`'s image: it shares the pixels and the
  // coordinates, and draws nothing outside its rows, so that bands of one image can be painted
  // side by side on several threads (aliased drawing gives every pixel the same value whatever
  // the clip); only block transfers are not held to the rows. `whole` must not paint while the
  // band lives. Null when the rows are empty.
  // `scratch`, when given, is memory for the band's scratch image that outlives the band: an
  // image of the whole one's size in Format_ARGB32_Premultiplied.
  static std::unique_ptr<QImageDevice> Band(QImageDevice& whole, int32_t top, int32_t bottom,
                                            QImage* scratch = nullptr);

  bool IsValid() const { return !image_.isNull(); }
  int32_t width() const { return image_.width(); }
  int32_t height() const { return image_.height(); }
  const QImage& image() const;
  // Direct pixel access for the bitmap writers (Format_RGB32).
  QImage& image();

  Handle CreatePen(uint32_t style, int32_t width, ColorRef color) override;
  Handle ExtCreatePen(uint32_t style, int32_t width, ColorRef color) override;
  Handle CreateSolidBrush(ColorRef color) override;
  Handle CreatePatternBrush(int32_t pattern) override;
  Handle GetStockObject(int32_t which) override;
  Handle SelectObject(Handle object) override;
  bool DeleteObject(Handle object) override;

  int32_t SetROP2(int32_t rop) override;
  int32_t SetBkMode(int32_t mode) override;
  ColorRef SetTextColor(ColorRef color) override;
  ColorRef SetBkColor(ColorRef color) override;
  int32_t SaveDC() override;
  bool RestoreDC(int32_t level) override;

  bool MoveToEx(int32_t x, int32_t y) override;
  bool LineTo(int32_t x, int32_t y) override;
  bool Polygon(const DevPoint* points, int32_t count) override;
  bool Polyline(const DevPoint* points, int32_t count) override;
  bool PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) override;
  bool PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) override;
  bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  bool Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

  bool BeginPath() override;
  bool EndPath() override;
  bool PolyBezierTo(const DevPoint* points, int32_t count) override;
  bool CloseFigure() override;
  bool StrokePath() override;
  bool FillPath() override;
  bool StrokeAndFillPath() override;
  bool AbortPath() override;

  ColorRef GetPixel(int32_t x, int32_t y) override;
  ColorRef SetPixel(int32_t x, int32_t y, ColorRef color) override;
  DevRect GetClipBox() override;
  bool ReadPixels(const DevRect& area, uint8_t* rgb) override;
  bool WritePixels(const DevRect& area, const uint8_t* rgb) override;
  bool StretchRgb(const DevRect& dest, int32_t width, int32_t height, const uint8_t* rgb) override;
  bool BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx, int32_t sy,
              uint32_t rop) override;

  // An RGB image sampled nearest-neighbour at each device pixel's centre over `area` (inside the
  // clip box), written straight into the rows; pixels whose centre falls outside the image keep
  // what is there. Column u and row v of a device point (x, y) are ua x + uc y + ut and
  // va x + vc y + vt.
  struct NearestImage {
    const uint8_t* rgb = nullptr;  // rows top first, 3 bytes a pixel, no padding
    int32_t width = 0, height = 0;
    double ua = 0, uc = 0, ut = 0, va = 0, vc = 0, vt = 0;
  };
  void DrawNearest(const DevRect& area, const NearestImage& image);

  // Needs a QGuiApplication (QRawFont does); without one, or when the font file cannot be
  // loaded, nothing is drawn and the result is false.
  bool DrawGlyphRun(const GlyphRun& run) override;
  // DrawGlyphRun's answer for an image, without drawing.
  static bool CanDrawGlyphRun(const GlyphRun& run);

  // GetPixel's answer outside the image, as Windows' CLR_INVALID.
  static constexpr ColorRef kInvalidColor = 0xFFFFFFFF;

 private:
  enum ObjectKind { kPen = 1, kBrush = 2 };
  struct Object {
    int kind = 0;
    uint32_t style = 0;  // pen style; for brushes the pattern number, or -1 solid, -2 null
    int32_t width = 0;
    ColorRef color = 0;
    bool geometric = false;
    bool stock = false;
  };
  struct Attributes {
    Handle pen = 0;
    Handle brush = 0;
    int32_t rop = R2_COPYPEN;
    int32_t bkMode = OPAQUE;
    ColorRef textColor = Rgb(0, 0, 0);
    ColorRef bkColor = Rgb(255, 255, 255);
    DevPoint position;
  };

  Handle Add(const Object& object);
  const Object* Find(Handle h) const;
  // The selected pen as QPens to stroke with, in order (an opaque gap pen first for dashes);
  // empty for the null pen.
  int PenStrokes(QPen* out) const;
  int32_t PenPixels() const;
  // The selected brush; false for the null brush.
  bool MakeBrush(QBrush* out);
  bool HairlinePen(const QPen& pen) const;
  // True when the rectangle, grown by `reach` and a pixel's rounding, lies wholly off the image
  // (off the band's rows for a band).
  bool OffImage(const QRectF& bounds, double reach) const;
  // The same for integer points, a figure of them drawn with a pen of `reach` pixels.
  // Their bounding box goes to `bounds` when given.
  bool PointsOffImage(const DevPoint* points, int64_t n, double reach,
                      QRectF* bounds = nullptr) const;
  // True on a band when a figure of these bounds and reach may touch rows of another band.
  bool AcrossBand(const QRectF& bounds, double reach) const;
  Hairline HairlineOf(QRgb color);
  // The selected pen when the one-pixel line drawing draws it (solid, at most a pixel wide, a
  // geometric one with flat ends), without making it a QPen.
  bool HairlineObject(QRgb* color) const;
  void StrokeShape(const QPainterPath& path);
  void FillShape(const QPainterPath& path, const QBrush& brush);
  void FillShape(const QPainterPath& path);
  // An upright run painted over the pixels, from the rasterizer's hinted glyph bitmaps; false,
  // having drawn nothing, when the run takes the outlines. With the face cache locked.
  bool DrawGlyphBits(const GlyphRun& run, const QTransform& world, const uint32_t* glyphs,
                     int count);
  // Integer polygons and polylines straight from device points, without a QPainterPath.
  int LoadPoints(const DevPoint* points, int32_t n, bool closed);
  void FillPolys(const DevPoint* points, const int32_t* counts, int32_t polys);
  void StrokePolys(const DevPoint* points, const int32_t* counts, int32_t polys, bool closed);
  // The open painter on the image (begun on first use); null for a null image.
  QPainter* ImagePainter();
  // Closes the painter so that the pixels may be read or written directly.
  void EndPainting() const;
  // Paints through `draw` a figure within `bounds` grown by `reach`: straight into the image
  // under R2_COPYPEN, else into a coverage mask over `bounds` whose covered pixels then take the
  // raster operation once each.
  template <typename Draw>
  void Paint(const QRectF& bounds, double reach, const Draw& draw);
  template <typename Draw>
  void PaintAcross(const QRectF& bounds, double reach, const Draw& draw);
  void ApplyRop(const QImage& mask, int32_t left, int32_t top);
  // Span conversion: only under the copy operation, which paints every pixel of a figure the
  // same whatever else is there.
  bool CopyRop() const;
  // The selected brush as a pixel value or an 8 x 8 cell; false for the null brush.
  bool BrushSpans(uint32_t* color, const uint32_t** cell);
  // The selected pen when it is a wide geometric one with flat ends and miter joins.
  bool SpanPen(int32_t* width, uint32_t* color) const;
  void LoadSpans(const DevPoint* points, const int32_t* counts, int32_t polys, bool closed);
  void LoadSpans();  // the recorded path
  // The recorded path's steps into anything with Clear, MoveTo, LineTo, CubicTo, CloseFigure.
  template <typename Sink>
  void ReplayRecordedPath(Sink& sink) const;
  // Points_[0 .. m - 1], as LoadPoints left them, through the line writer.
  void HairlinePolyline(Hairline& line, int m) const;
  // The image's rows for span painting (only a band's own rows).
  Spans::Target SpanTarget();
  bool TakePath(QPainterPath* out);
  bool TakePolygon(std::vector<DevPoint>* out, bool* closed);
  bool PaintPath(bool fill, bool stroke);

  QImage image_;
  QRect clip_;  // the whole image, or a band's rows
  mutable std::unique_ptr<QPainter> painter_;
  // A band's full-size scratch image for figures across its edges, and its open painter.
  QImage scratch_;
  std::unique_ptr<QPainter> scratchPainter_;
  // The last pattern brush made, reused while pattern and colours stay.
  QBrush patternBrush_;
  int32_t patternOf_ = -1;
  ColorRef patternText_ = 0, patternBack_ = 0;
  std::unique_ptr<Spans> spans_;
  HairlinePath hairPath_;  // a recorded path as the painter would hold it, for one-pixel lines
  // The last pattern cell made for span filling, reused while pattern and colours stay.
  uint32_t cell_[64] = {};
  int32_t cellOf_ = -1;
  ColorRef cellText_ = 0, cellBack_ = 0;
  std::vector<QPoint> points_;  // reused for every polygon
  std::vector<DevPoint> polygon_;
  HandleTable<Object> objects_;
  Attributes attr_;
  std::vector<Attributes> saved_;
  // The path bracket. inPath_ between BeginPath and EndPath; pathReady_ after EndPath until the
  // path is used or abandoned. Stored as figures of (point, kind) to build a QPainterPath late.
  struct PathPoint {
    double x, y;
    int kind;  // 0 move, 1 line, 2 Bezier control, 3 Bezier end, 4 close
    bool operator==(const PathPoint&) const = default;
  };
  std::vector<PathPoint> path_;
  // The recorded path the span converter holds, when it holds one: a shape that is filled and
  // outlined records the same path for each, and its curves are flattened once.
  std::vector<PathPoint> spansPath_;
  bool spansHoldPath_ = false;
  bool inPath_ = false;
  bool pathReady_ = false;
};

}  // namespace gdi
