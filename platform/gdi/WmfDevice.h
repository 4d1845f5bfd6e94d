// A device that records a Windows metafile: every call that a metafile can hold becomes a WMF
// record, written by our own code to the published Windows Metafile Format. Paths have no WMF
// records; they are flattened into polylines and polygons as the renderer flattens curves.
// Pixel operations and block transfers have no meaning in a metafile and report failure.
//
// Objects are recorded when they are first selected (as a metafile device context does), each
// into the lowest free slot of the metafile's object table; deleting a recorded object frees its
// slot for the next one. Stock objects are recorded on first use and keep their slot.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/Device.h"

namespace gdi {

// Record functions of the Windows Metafile Format (the RecordType enumeration).
enum MetaFunction : uint16_t {
  META_EOF = 0x0000,
  META_SAVEDC = 0x001E,
  META_SETBKMODE = 0x0102,
  META_SETMAPMODE = 0x0103,
  META_SETROP2 = 0x0104,
  META_SETPOLYFILLMODE = 0x0106,
  META_RESTOREDC = 0x0127,
  META_SELECTOBJECT = 0x012D,
  META_SETTEXTALIGN = 0x012E,
  META_DIBCREATEPATTERNBRUSH = 0x0142,
  META_DELETEOBJECT = 0x01F0,
  META_SETBKCOLOR = 0x0201,
  META_SETTEXTCOLOR = 0x0209,
  META_SETWINDOWORG = 0x020B,
  META_SETWINDOWEXT = 0x020C,
  META_SETVIEWPORTORG = 0x020D,
  META_SETVIEWPORTEXT = 0x020E,
  META_LINETO = 0x0213,
  META_MOVETO = 0x0214,
  META_ELLIPSE = 0x0418,
  META_RECTANGLE = 0x041B,
  META_ROUNDRECT = 0x061C,
  META_TEXTOUT = 0x0521,
  META_POLYGON = 0x0324,
  META_POLYLINE = 0x0325,
  META_POLYPOLYGON = 0x0538,
  META_ARC = 0x0817,
  META_PIE = 0x081A,
  META_CHORD = 0x0830,
  META_EXTTEXTOUT = 0x0A32,
  META_CREATEPALETTE = 0x00F7,
  META_CREATEPATTERNBRUSH = 0x01F9,
  META_CREATEPENINDIRECT = 0x02FA,
  META_CREATEFONTINDIRECT = 0x02FB,
  META_CREATEBRUSHINDIRECT = 0x02FC,
  META_CREATEREGION = 0x06FF,
};

// Mapping modes (SetMapMode).
enum : int32_t { MM_TEXT = 1, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8 };
// Text alignment flags (SetTextAlign).
enum : uint32_t {
  TA_UPDATECP = 1,
  TA_LEFT = 0,
  TA_RIGHT = 2,
  TA_CENTER = 6,
  TA_TOP = 0,
  TA_BOTTOM = 8,
  TA_BASELINE = 24,
};
// Brush styles (LOGBRUSH).
enum : uint16_t { BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_DIBPATTERN = 5 };

// The Font object of the format (LOGFONT with a code page 1252 face name of at most 31 bytes).
struct LogFont {
  int16_t height = 0;  // negative: character height; positive: cell height
  int16_t width = 0;
  int16_t escapement = 0;  // tenths of a degree, counter-clockwise
  int16_t orientation = 0;
  int16_t weight = 400;
  uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
  uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
  std::string faceName;
};

// The largest point count of one WMF polygon or polyline (a signed 16-bit count).
inline constexpr int32_t kMaxMetaPoints = 32767;

class WmfDevice : public Device {
 public:
  WmfDevice();
  ~WmfDevice() override;

  // Metafile-only attributes and text.
  void SetMapMode(int32_t mode);
  void SetWindowOrg(int32_t x, int32_t y);
  void SetWindowExt(int32_t width, int32_t height);
  uint32_t SetTextAlign(uint32_t flags);
  Handle CreateFontIndirect(const LogFont& font);
  bool TextOutA(int32_t x, int32_t y, const char* text, int32_t length);

  // Ends the recording with META_EOF and returns the whole metafile (header and records, no
  // placeable header). Later calls record nothing; a second Finish returns the same bytes.
  const std::vector<uint8_t>& Finish();
  bool Finished() const { return finished_; }

  // For tests: slots of the object table in use now, and the most ever in use at once.
  int32_t UsedSlots() const;
  int32_t TableSize() const { return int32_t(slots_.size()); }

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

 private:
  enum Kind { kPen = 1, kBrush = 2, kFont = 3 };
  struct Object {
    int kind = 0;
    bool stock = false;
    uint32_t style = 0;  // pen style, or brush style (BS_*)
    int32_t width = 0;
    ColorRef color = 0;
    int32_t pattern = -1;
    LogFont font;
    int32_t slot = -1;  // object table slot once recorded
  };
  struct Attributes {
    Handle pen = 0, brush = 0, font = 0;
    int32_t rop = R2_COPYPEN;
    int32_t bkMode = OPAQUE;
    ColorRef textColor = Rgb(0, 0, 0);
    ColorRef bkColor = Rgb(255, 255, 255);
    uint32_t textAlign = 0;
  };
  struct Figure {
    std::vector<DevPoint> points;
  };

  Handle Add(const Object& o);
  Object* Find(Handle h);
  // Writes the create record of the object and gives it a slot; false when it cannot be made.
  bool Realize(Object& o);
  int32_t TakeSlot();
  void Record(uint16_t function, const std::vector<uint16_t>& params);
  void RecordPoints(uint16_t function, const DevPoint* points, int32_t count);
  void RecordPolyPolygon(const std::vector<Figure>& figures);
  void FlattenBezier(double x0, double y0, double x1, double y1, double x2, double y2, double x3,
                     double y3, int depth);
  void PathPoint(int32_t x, int32_t y);

  std::vector<uint8_t> records_;
  std::vector<uint8_t> file_;
  uint32_t maxRecordWords_ = 0;
  std::map<Handle, Object> objects_;
  std::vector<bool> slots_;
  std::vector<Attributes> saved_;
  Attributes attr_;
  Handle next_ = 100;
  DevPoint current_;
  bool inPath_ = false;
  bool pathReady_ = false;
  std::vector<Figure> path_;
  bool finished_ = false;
};

}  // namespace gdi
