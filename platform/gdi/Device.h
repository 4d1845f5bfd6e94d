// The graphics device the drawing paints on: the operations of a Windows device context that
// the renderer, the image drawing and the metafile writer use, under their Windows names and
// with their Windows integer pixel semantics. Implementations: a QImage painter (render), a
// metafile recorder, and a text recorder for tests.
#pragma once

#include <cstdint>

namespace gdi {

// red | green << 8 | blue << 16, as a Windows COLORREF.
using ColorRef = uint32_t;
// Handle of a pen or brush; 0 is no object.
using Handle = uint32_t;

inline constexpr ColorRef Rgb(int r, int g, int b) {
  return ColorRef(r & 255) | (ColorRef(g & 255) << 8) | (ColorRef(b & 255) << 16);
}
inline constexpr int RedOf(ColorRef c) { return int(c & 255); }
inline constexpr int GreenOf(ColorRef c) { return int((c >> 8) & 255); }
inline constexpr int BlueOf(ColorRef c) { return int((c >> 16) & 255); }

// Pen styles (CreatePen, ExtCreatePen).
enum : uint32_t {
  PS_SOLID = 0,
  PS_DASH = 1,
  PS_DOT = 2,
  PS_DASHDOT = 3,
  PS_DASHDOTDOT = 4,
  PS_NULL = 5,
  PS_ENDCAP_FLAT = 0x200,
  PS_JOIN_MITER = 0x2000,
  PS_GEOMETRIC = 0x10000,
};

// Stock objects (GetStockObject).
enum StockObject : int {
  WHITE_BRUSH = 0,
  GRAY_BRUSH = 2,
  BLACK_BRUSH = 4,
  NULL_BRUSH = 5,
  WHITE_PEN = 6,
  BLACK_PEN = 7,
  NULL_PEN = 8,
};

// Raster operations (SetROP2).
enum : int { R2_BLACK = 1, R2_NOT = 6, R2_XORPEN = 7, R2_COPYPEN = 13 };
// Background modes (SetBkMode).
enum : int { TRANSPARENT = 1, OPAQUE = 2 };
// Block transfer operations (BitBlt).
inline constexpr uint32_t SRCCOPY = 0x00CC0020;
inline constexpr uint32_t SRCINVERT = 0x00660046;
inline constexpr uint32_t DSTINVERT = 0x00550009;
// Destination = NOT (source XOR destination); used to take feedback images back out.
inline constexpr uint32_t SRCXNOR = 0x00990066;

struct DevPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// Left, top inclusive; right, bottom exclusive, as Windows rectangles.
struct DevRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// One run of text for DrawGlyphRun, as ExtTextOut draws it under a world transform: glyph space
// (the font at `size` units, y down) is flipped to y up, mapped by the text matrix [a b c d] and
// moved to the origin (x, y); the n-th glyph starts at the sum of the first n advances.
struct GlyphRun {
  const char* fontPath = nullptr;  // TrueType, OpenType or Type 1 (PFB) file
  int32_t faceIndex = 0;           // face inside a collection
  float size = 0;
  ColorRef color = 0;
  double a = 1, b = 0, c = 0, d = 1;
  int32_t x = 0, y = 0;
  const char* text = nullptr;  // code page 1252 bytes
  int32_t length = 0;
  const int32_t* advances = nullptr;  // `length` integer advances in font units of `size`
};

// The nine 8x8 fill patterns, rows top to bottom, most significant bit leftmost. A zero bit is
// painted in the text colour (black while a pattern is used), a one bit in the background
// colour (the fill colour).
extern const uint8_t kPatternBits[9][8];

// What a stock object is, so that every device makes the same ones.
struct StockObjectInfo {
  bool pen = false;   // else a brush
  bool null = false;  // NULL_PEN, NULL_BRUSH
  ColorRef color = 0;
};
// False for a number that names no stock object.
bool DescribeStockObject(int32_t which, StockObjectInfo* out);

class Device {
 public:
  virtual ~Device() = default;

  // Objects. SelectObject returns the object of the same type that was selected before.
  virtual Handle CreatePen(uint32_t style, int32_t width, ColorRef color) = 0;
  // Geometric pen with a solid brush of the colour (style carries cap and join flags).
  virtual Handle ExtCreatePen(uint32_t style, int32_t width, ColorRef color) = 0;
  virtual Handle CreateSolidBrush(ColorRef color) = 0;
  // Brush of the pattern table entry 0..8.
  virtual Handle CreatePatternBrush(int32_t pattern) = 0;
  virtual Handle GetStockObject(int32_t which) = 0;
  virtual Handle SelectObject(Handle object) = 0;
  virtual bool DeleteObject(Handle object) = 0;

  // Attributes; each returns the previous value.
  virtual int32_t SetROP2(int32_t rop) = 0;
  virtual int32_t SetBkMode(int32_t mode) = 0;
  virtual ColorRef SetTextColor(ColorRef color) = 0;
  virtual ColorRef SetBkColor(ColorRef color) = 0;
  // Returns the level to restore to, 0 on failure.
  virtual int32_t SaveDC() = 0;
  // A negative level counts back from the newest save (-1 the last).
  virtual bool RestoreDC(int32_t level) = 0;

  // Immediate drawing.
  virtual bool MoveToEx(int32_t x, int32_t y) = 0;
  virtual bool LineTo(int32_t x, int32_t y) = 0;
  virtual bool Polygon(const DevPoint* points, int32_t count) = 0;
  virtual bool Polyline(const DevPoint* points, int32_t count) = 0;
  virtual bool PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) = 0;
  virtual bool PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) = 0;
  virtual bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;
  virtual bool Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) = 0;

  // Paths.
  virtual bool BeginPath() = 0;
  virtual bool EndPath() = 0;
  // count is a multiple of three: control, control, end point.
  virtual bool PolyBezierTo(const DevPoint* points, int32_t count) = 0;
  virtual bool CloseFigure() = 0;
  virtual bool StrokePath() = 0;
  virtual bool FillPath() = 0;
  virtual bool StrokeAndFillPath() = 0;
  virtual bool AbortPath() = 0;

  // Pixels.
  virtual ColorRef GetPixel(int32_t x, int32_t y) = 0;
  virtual ColorRef SetPixel(int32_t x, int32_t y, ColorRef color) = 0;
  virtual DevRect GetClipBox() = 0;
  // Copies a device area into 24-bit RGB rows (top row first, 3 bytes a pixel, no padding) and
  // back; used by the image drawing, which paints pixel by pixel over what is there.
  virtual bool ReadPixels(const DevRect& area, uint8_t* rgb) = 0;
  virtual bool WritePixels(const DevRect& area, const uint8_t* rgb) = 0;
  // Stretches 24-bit RGB rows (top row first) into a device rectangle (printing).
  virtual bool StretchRgb(const DevRect& dest, int32_t width, int32_t height,
                          const uint8_t* rgb) = 0;
  // Block transfer from another device of the same kind.
  virtual bool BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx,
                      int32_t sy, uint32_t rop) = 0;

  // Text: the glyphs of the run filled in its colour under the current raster operation. Devices
  // that cannot draw glyphs keep this default and draw nothing.
  virtual bool DrawGlyphRun(const GlyphRun& /*run*/) { return false; }
};

}  // namespace gdi
