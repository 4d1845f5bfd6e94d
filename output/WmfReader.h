// Our own metafile record reader. It walks a Windows metafile (with or without the Aldus
// placeable header) or an enhanced metafile and hands on the records the metafile import uses,
// in one form for both formats, with the meaning of the enhanced-metafile records
// (EMR_SETWINDOWEXTEX, EMR_CREATEPEN, EMR_POLYGON16, EMR_EXTTEXTOUTW and so on).
//
// Every record length, count and offset is checked against the file before it is read; a
// damaged file is refused as a whole before any record is handed on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class MetaKind : int32_t {
  kSetWindowExt,
  kSetWindowOrg,
  kSetViewportExt,
  kSetViewportOrg,
  kSetMapMode,    // value
  kSetTextAlign,  // value
  kSetTextColor,  // color
  kMoveTo,        // x, y
  kLineTo,        // x, y
  kSaveDC,
  kRestoreDC,     // level (negative: relative)
  kCreatePen,     // handle, style, width, color
  kCreateBrush,   // handle, style, color
  kCreateFont,    // handle, font
  kSelectObject,  // handle (kStockObject set for stock objects)
  kDeleteObject,  // handle
  kEllipse,       // box
  kRectangle,     // box
  kRoundRect,     // box
  kArc,           // box, points: start and end of the arc
  kChord,         // box, points
  kPie,           // box, points
  kPolygon,       // points, counts (one entry per polygon)
  kPolyline,      // points, counts
  kTextOut,       // x, y, text (code page 1252)
  kPolyBezier,    // points: the start, then three per segment
  kPolyBezierTo,  // points: three per segment from the current position
  kPolylineTo,    // points from the current position
  kArcTo,         // box, points (as kArc), joined to the current position
  kBeginPath,
  kEndPath,
  kCloseFigure,
  kFillPath,
  kStrokePath,
  kStrokeAndFillPath,
  kAbortPath,
  kSetWorldTransform,     // xform
  kModifyWorldTransform,  // xform, value: 1 identity, 2 left multiply, 3 right multiply, 4 set
  kSkipped,               // a drawing record not understood; text names its kind
};

// The high bit of an enhanced metafile's object handle names a stock object (low bits: which).
inline constexpr uint32_t kStockObject = 0x80000000u;

struct MetaPoint {
  int32_t x = 0;
  int32_t y = 0;
};

struct MetaFont {
  int32_t height = 0;      // negative: character height; positive: cell height
  int32_t escapement = 0;  // tenths of a degree
  int32_t weight = 0;
  int32_t italic = 0;
  std::string faceName;  // code page 1252
};

struct MetaRecord {
  MetaKind kind = MetaKind::kSaveDC;
  int32_t x = 0, y = 0;                              // points, extents and origins
  int32_t left = 0, top = 0, right = 0, bottom = 0;  // box records
  uint32_t value = 0;      // map mode, alignment flags, pen or brush style
  int32_t level = 0;       // RestoreDC
  uint32_t handle = 0;     // object handle
  int32_t width = 0;       // pen width
  bool geometric = false;  // an extended pen drawn at its own width whatever its dash
  // World transform: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy, as m11 m12 m21 m22 dx dy.
  float xform[6] = {1, 0, 0, 1, 0, 0};
  uint32_t color = 0;  // COLORREF
  MetaFont font;
  std::vector<MetaPoint> points;
  std::vector<int32_t> counts;
  std::string text;
};

struct MetafileInfo {
  bool enhanced = false;
  // The placeable header (Windows metafiles) or the enhanced header's frame in device units.
  bool placeable = false;
  double left = 0, top = 0, right = 0, bottom = 0;
  double unitsPerInch = 0;
};

inline constexpr uint32_t kPlaceableKey = 0x9AC6CDD7u;

// Walks the metafile in data[0, size). Returns false (having handed on nothing) when the file is
// not a metafile or any record is damaged; otherwise hands each record to `sink` in file order.
bool ReadMetafile(const uint8_t* data, size_t size, MetafileInfo* info,
                  const std::function<void(const MetaRecord&)>& sink);

// The checksum of a placeable header: the exclusive-or of its first ten 16-bit words.
uint16_t PlaceableChecksum(const uint8_t* header);
// The 22-byte placeable header: key, handle 0, the box, units per inch, reserved 0, checksum.
void MakePlaceableHeader(int16_t left, int16_t top, int16_t right, int16_t bottom,
                         uint16_t unitsPerInch, uint8_t out[22]);
