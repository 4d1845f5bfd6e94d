#include "output/WmfReader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/fontsys/Cp1252.h"

namespace {

// Record functions of the Windows Metafile Format that the walk reads.
enum : uint16_t {
  kMetaEof = 0x0000,
  kMetaSaveDC = 0x001E,
  kMetaSetMapMode = 0x0103,
  kMetaRestoreDC = 0x0127,
  kMetaSelectObject = 0x012D,
  kMetaSetTextAlign = 0x012E,
  kMetaDibCreatePatternBrush = 0x0142,
  kMetaDeleteObject = 0x01F0,
  kMetaCreatePatternBrush = 0x01F9,
  kMetaCreatePalette = 0x00F7,
  kMetaSetTextColor = 0x0209,
  kMetaSetWindowOrg = 0x020B,
  kMetaSetWindowExt = 0x020C,
  kMetaSetViewportOrg = 0x020D,
  kMetaSetViewportExt = 0x020E,
  kMetaLineTo = 0x0213,
  kMetaMoveTo = 0x0214,
  kMetaEllipse = 0x0418,
  kMetaRectangle = 0x041B,
  kMetaRoundRect = 0x061C,
  kMetaTextOut = 0x0521,
  kMetaPolygon = 0x0324,
  kMetaPolyline = 0x0325,
  kMetaPolyPolygon = 0x0538,
  kMetaArc = 0x0817,
  kMetaPie = 0x081A,
  kMetaChord = 0x0830,
  kMetaExtTextOut = 0x0A32,
  kMetaCreatePenIndirect = 0x02FA,
  kMetaCreateFontIndirect = 0x02FB,
  kMetaCreateBrushIndirect = 0x02FC,
  kMetaCreateRegion = 0x06FF,
  kMetaFillRegion = 0x0228,
  kMetaFrameRegion = 0x0429,
  kMetaInvertRegion = 0x012A,
  kMetaPaintRegion = 0x012B,
  kMetaBitBlt = 0x0922,
  kMetaStretchBlt = 0x0B23,
  kMetaDibBitBlt = 0x0940,
  kMetaDibStretchBlt = 0x0B41,
  kMetaStretchDib = 0x0F43,
  kMetaSetDibToDev = 0x0D33,
};

// Enhanced metafile record types that the walk reads.
enum : uint32_t {
  kEmrHeader = 1,
  kEmrPolyBezier = 2,
  kEmrPolygon = 3,
  kEmrPolyline = 4,
  kEmrPolyBezierTo = 5,
  kEmrPolylineTo = 6,
  kEmrPolyPolyline = 7,
  kEmrPolyPolygon = 8,
  kEmrSetWindowExtEx = 9,
  kEmrSetWindowOrgEx = 10,
  kEmrSetViewportExtEx = 11,
  kEmrSetViewportOrgEx = 12,
  kEmrEof = 14,
  kEmrSetMapMode = 17,
  kEmrSetTextAlign = 22,
  kEmrSetTextColor = 24,
  kEmrMoveToEx = 27,
  kEmrSaveDC = 33,
  kEmrRestoreDC = 34,
  kEmrSelectObject = 37,
  kEmrCreatePen = 38,
  kEmrCreateBrushIndirect = 39,
  kEmrDeleteObject = 40,
  kEmrSetWorldTransform = 35,
  kEmrModifyWorldTransform = 36,
  kEmrAngleArc = 41,
  kEmrEllipse = 42,
  kEmrRectangle = 43,
  kEmrRoundRect = 44,
  kEmrArc = 45,
  kEmrChord = 46,
  kEmrPie = 47,
  kEmrLineTo = 54,
  kEmrArcTo = 55,
  kEmrPolyDraw = 56,
  kEmrBeginPath = 59,
  kEmrEndPath = 60,
  kEmrCloseFigure = 61,
  kEmrFillPath = 62,
  kEmrStrokeAndFillPath = 63,
  kEmrStrokePath = 64,
  kEmrSelectClipPath = 67,
  kEmrAbortPath = 68,
  kEmrComment = 70,
  kEmrFillRgn = 71,
  kEmrPaintRgn = 74,
  kEmrBitBlt = 76,
  kEmrSetDiBitsToDevice = 80,
  kEmrStretchDiBits = 81,
  kEmrExtCreateFontIndirectW = 82,
  kEmrExtTextOutA = 83,
  kEmrExtTextOutW = 84,
  kEmrPolygon16 = 86,
  kEmrPolyline16 = 87,
  kEmrPolyBezier16 = 85,
  kEmrPolyBezierTo16 = 88,
  kEmrPolylineTo16 = 89,
  kEmrPolyPolyline16 = 90,
  kEmrPolyPolygon16 = 91,
  kEmrPolyDraw16 = 92,
  kEmrCreateMonoBrush = 93,
  kEmrCreateDibPatternBrushPt = 94,
  kEmrExtCreatePen = 95,
  kEmrAlphaBlend = 114,
  kEmrTransparentBlt = 116,
  kEmrGradientFill = 118,
};

constexpr uint32_t kEmfPlusId = 0x2B464D45;  // "EMF+" in a comment
constexpr uint16_t kEmfPlusHeader = 0x4001;
constexpr uint32_t kPsGeometric = 0x00010000;

constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kBsDibPattern = 5;
// The object table of a Windows metafile is indexed by 16-bit values.
constexpr size_t kMaxWmfSlots = 0x10000;

// Little-endian reads from a block that the caller has checked.
uint16_t Get16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Get32(const uint8_t* p) { return uint32_t(Get16(p)) | (uint32_t(Get16(p + 2)) << 16); }

// A bounded view of bytes; every read says whether it fitted.
struct Span {
  const uint8_t* data = nullptr;
  size_t size = 0;
  bool Has(size_t off, size_t n) const { return off <= size && n <= size - off; }
  bool U16(size_t off, uint16_t* v) const {
    if (!Has(off, 2)) return false;
    *v = Get16(data + off);
    return true;
  }
  bool U32(size_t off, uint32_t* v) const {
    if (!Has(off, 4)) return false;
    *v = Get32(data + off);
    return true;
  }
  bool I32(size_t off, int32_t* v) const {
    uint32_t u = 0;
    if (!U32(off, &u)) return false;
    *v = int32_t(u);
    return true;
  }
};

// Text of UTF-16 code units as code page 1252; what the code page lacks becomes "?".
std::string Utf16ToCp1252(const uint8_t* p, size_t units) {
  std::string out;
  out.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = Get16(p + 2 * i);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      uint32_t low = Get16(p + 2 * (i + 1));
      if (low >= 0xDC00 && low <= 0xDFFF) ++i;  // one character outside the code page
      out.push_back('?');
      continue;
    }
    uint8_t b = 0;
    out.push_back(UnicodeToCp1252(c, &b) ? char(b) : '?');
  }
  return out;
}

// The colour a one-bit pattern brush paints its set bits in: the second entry of its colour
// table (a pattern is drawn in black over that colour); black when the bitmap has none.
uint32_t PatternColor(Span dib, uint32_t usage) {
  uint32_t headerSize = 0;
  uint16_t bits = 0;
  if (usage != 0 || !dib.U32(0, &headerSize) || headerSize < 40 || !dib.U16(14, &bits) ||
      bits != 1 || !dib.Has(headerSize, 8)) {
    return 0;
  }
  const uint8_t* q = dib.data + headerSize + 4;  // RGBQUAD: blue, green, red, reserved
  return uint32_t(q[2]) | (uint32_t(q[1]) << 8) | (uint32_t(q[0]) << 16);
}

class WmfWalker {
 public:
  WmfWalker(Span file, size_t start) : file_(file), start_(start) {}

  // One pass over the records; `sink` null only checks them.
  bool Walk(const std::function<void(const MetaRecord&)>* sink);
  bool HasViewport() const { return hasViewport_; }
  void SynthesiseViewport(bool on) { synthesise_ = on; }

 private:
  bool Record(uint16_t function, Span params);
  bool P(size_t i, int32_t* v) const {  // signed parameter i
    uint16_t u = 0;
    if (!params_.U16(2 * i, &u)) return false;
    *v = int16_t(u);
    return true;
  }
  bool U(size_t i, uint32_t* v) const {
    uint16_t u = 0;
    if (!params_.U16(2 * i, &u)) return false;
    *v = u;
    return true;
  }
  bool Color(size_t i, uint32_t* c) const {
    uint32_t lo = 0, hi = 0;
    if (!U(i, &lo) || !U(i + 1, &hi)) return false;
    *c = lo | (hi << 16);
    return true;
  }
  int32_t TakeSlot();
  void Emit(const MetaRecord& r) {
    if (sink_) (*sink_)(r);
  }
  void EmitViewport();

  Span file_;
  size_t start_;
  Span params_;
  const std::function<void(const MetaRecord&)>* sink_ = nullptr;
  std::vector<bool> slots_;
  bool hasViewport_ = false;
  bool synthesise_ = false;
  int32_t windowX_ = 0, windowY_ = 0, windowW_ = 1, windowH_ = 1;
};

int32_t WmfWalker::TakeSlot() {
  for (size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i]) {
      slots_[i] = true;
      return int32_t(i);
    }
  }
  if (slots_.size() >= kMaxWmfSlots) return -1;
  slots_.push_back(true);
  return int32_t(slots_.size() - 1);
}

// A Windows metafile carries no viewport of its own unless it sets one: the player chooses it.
// We play it at its own logical size, the window mapped onto a viewport of the same size (a
// window with a negative extent is turned over within that same range).
void WmfWalker::EmitViewport() {
  if (!synthesise_) return;
  MetaRecord ext;
  ext.kind = MetaKind::kSetViewportExt;
  ext.x = std::abs(windowW_);
  ext.y = std::abs(windowH_);
  Emit(ext);
  MetaRecord org;
  org.kind = MetaKind::kSetViewportOrg;
  org.x = windowX_ + std::min(windowW_, 0);
  org.y = windowY_ + std::min(windowH_, 0);
  Emit(org);
}

bool WmfWalker::Walk(const std::function<void(const MetaRecord&)>* sink) {
  sink_ = sink;
  slots_.clear();
  windowX_ = windowY_ = 0;
  windowW_ = windowH_ = 1;
  size_t off = start_;
  for (;;) {
    uint32_t words = 0;
    uint16_t function = 0;
    if (!file_.U32(off, &words) || !file_.U16(off + 4, &function)) return false;  // no META_EOF
    // A record holds at least its size and function; a shorter one would never advance.
    if (words < 3 || words > (file_.size - off) / 2) return false;
    const size_t bytes = size_t(words) * 2;
    if (function == kMetaEof) return true;
    if (!Record(function, Span{file_.data + off + 6, bytes - 6})) return false;
    off += bytes;
  }
}

bool WmfWalker::Record(uint16_t function, Span params) {
  params_ = params;
  MetaRecord r;
  switch (function) {
    case kMetaSetWindowOrg:
    case kMetaSetWindowExt:
    case kMetaSetViewportOrg:
    case kMetaSetViewportExt:
    case kMetaMoveTo:
    case kMetaLineTo:
      if (!P(0, &r.y) || !P(1, &r.x)) return false;
      r.kind = function == kMetaSetWindowOrg     ? MetaKind::kSetWindowOrg
               : function == kMetaSetWindowExt   ? MetaKind::kSetWindowExt
               : function == kMetaSetViewportOrg ? MetaKind::kSetViewportOrg
               : function == kMetaSetViewportExt ? MetaKind::kSetViewportExt
               : function == kMetaMoveTo         ? MetaKind::kMoveTo
                                                 : MetaKind::kLineTo;
      if (function == kMetaSetViewportOrg || function == kMetaSetViewportExt) hasViewport_ = true;
      Emit(r);
      if (function == kMetaSetWindowOrg) {
        windowX_ = r.x;
        windowY_ = r.y;
        EmitViewport();
      } else if (function == kMetaSetWindowExt) {
        windowW_ = r.x;
        windowH_ = r.y;
        EmitViewport();
      }
      return true;
    case kMetaSetMapMode:
    case kMetaSetTextAlign:
      if (!U(0, &r.value)) return false;
      r.kind = function == kMetaSetMapMode ? MetaKind::kSetMapMode : MetaKind::kSetTextAlign;
      Emit(r);
      return true;
    case kMetaSetTextColor:
      if (!Color(0, &r.color)) return false;
      r.kind = MetaKind::kSetTextColor;
      Emit(r);
      return true;
    case kMetaSaveDC:
      r.kind = MetaKind::kSaveDC;
      Emit(r);
      return true;
    case kMetaRestoreDC:
      if (!P(0, &r.level)) return false;
      r.kind = MetaKind::kRestoreDC;
      Emit(r);
      return true;
    case kMetaCreatePenIndirect: {
      if (!U(0, &r.value) || !P(1, &r.width) || !Color(3, &r.color)) return false;
      const int32_t slot = TakeSlot();
      if (slot < 0) return false;
      r.kind = MetaKind::kCreatePen;
      r.handle = uint32_t(slot);
      Emit(r);
      return true;
    }
    case kMetaCreateBrushIndirect: {
      if (!U(0, &r.value) || !Color(1, &r.color)) return false;
      const int32_t slot = TakeSlot();
      if (slot < 0) return false;
      r.kind = MetaKind::kCreateBrush;
      r.handle = uint32_t(slot);
      Emit(r);
      return true;
    }
    case kMetaDibCreatePatternBrush: {
      uint32_t usage = 0;
      if (!U(0, &r.value) || !U(1, &usage)) return false;
      const int32_t slot = TakeSlot();
      if (slot < 0) return false;
      r.kind = MetaKind::kCreateBrush;
      r.handle = uint32_t(slot);
      r.value = kBsDibPattern;
      r.color = PatternColor(Span{params.data + 4, params.size - 4}, usage);
      Emit(r);
      return true;
    }
    case kMetaCreateFontIndirect: {
      int32_t italic = 0;
      if (!P(0, &r.font.height) || !P(2, &r.font.escapement) || !P(4, &r.font.weight) ||
          !P(5, &italic)) {
        return false;
      }
      r.font.italic = italic & 0xFF;
      // The face name follows the eighteen bytes of values: at most 32 bytes, NUL-ended.
      for (size_t i = 18; i < params.size && i < 18 + 32 && params.data[i]; ++i) {
        r.font.faceName.push_back(char(params.data[i]));
      }
      const int32_t slot = TakeSlot();
      if (slot < 0) return false;
      r.kind = MetaKind::kCreateFont;
      r.handle = uint32_t(slot);
      Emit(r);
      return true;
    }
    case kMetaCreatePatternBrush:
    case kMetaCreatePalette:
    case kMetaCreateRegion:
      // Objects the import has no use for still take their slot in the table.
      return TakeSlot() >= 0;
    case kMetaSelectObject:
    case kMetaDeleteObject:
      if (!U(0, &r.handle)) return false;
      r.kind = function == kMetaSelectObject ? MetaKind::kSelectObject : MetaKind::kDeleteObject;
      if (function == kMetaDeleteObject && r.handle < slots_.size()) slots_[r.handle] = false;
      Emit(r);
      return true;
    case kMetaEllipse:
    case kMetaRectangle:
    case kMetaRoundRect: {
      const size_t at = function == kMetaRoundRect ? 2 : 0;  // corner size first
      if (!P(at, &r.bottom) || !P(at + 1, &r.right) || !P(at + 2, &r.top) || !P(at + 3, &r.left)) {
        return false;
      }
      r.kind = function == kMetaEllipse     ? MetaKind::kEllipse
               : function == kMetaRectangle ? MetaKind::kRectangle
                                            : MetaKind::kRoundRect;
      Emit(r);
      return true;
    }
    case kMetaArc:
    case kMetaPie:
    case kMetaChord: {
      // End point, start point and box, last to first.
      r.points.resize(2);
      if (!P(0, &r.points[1].y) || !P(1, &r.points[1].x) || !P(2, &r.points[0].y) ||
          !P(3, &r.points[0].x) || !P(4, &r.bottom) || !P(5, &r.right) || !P(6, &r.top) ||
          !P(7, &r.left)) {
        return false;
      }
      r.counts.push_back(2);
      r.kind = function == kMetaArc   ? MetaKind::kArc
               : function == kMetaPie ? MetaKind::kPie
                                      : MetaKind::kChord;
      Emit(r);
      return true;
    }
    case kMetaPolygon:
    case kMetaPolyline: {
      int32_t n = 0;
      if (!P(0, &n) || n < 0 || !params.Has(2, size_t(n) * 4)) return false;
      r.kind = function == kMetaPolygon ? MetaKind::kPolygon : MetaKind::kPolyline;
      r.counts.push_back(n);
      r.points.resize(size_t(n));
      for (int32_t i = 0; i < n; ++i) {
        P(1 + 2 * size_t(i), &r.points[size_t(i)].x);
        P(2 + 2 * size_t(i), &r.points[size_t(i)].y);
      }
      Emit(r);
      return true;
    }
    case kMetaPolyPolygon: {
      int32_t polys = 0;
      if (!P(0, &polys) || polys < 0 || !params.Has(2, size_t(polys) * 2)) return false;
      size_t total = 0;
      for (int32_t i = 0; i < polys; ++i) {
        uint32_t n = 0;
        U(1 + size_t(i), &n);  // unsigned counts
        r.counts.push_back(int32_t(n));
        total += size_t(n);
      }
      const size_t first = 1 + size_t(polys);
      if (!params.Has(first * 2, total * 4)) return false;
      r.kind = MetaKind::kPolygon;
      r.points.resize(total);
      for (size_t i = 0; i < total; ++i) {
        P(first + 2 * i, &r.points[i].x);
        P(first + 2 * i + 1, &r.points[i].y);
      }
      Emit(r);
      return true;
    }
    case kMetaTextOut: {
      int32_t n = 0;
      if (!P(0, &n) || n < 0) return false;
      const size_t words = (size_t(n) + 1) / 2;
      if (!P(1 + words, &r.y) || !P(2 + words, &r.x)) return false;
      r.kind = MetaKind::kTextOut;
      r.text.assign(reinterpret_cast<const char*>(params.data + 2), size_t(n));
      Emit(r);
      return true;
    }
    case kMetaExtTextOut: {
      int32_t n = 0;
      uint32_t options = 0;
      if (!P(0, &r.y) || !P(1, &r.x) || !P(2, &n) || !U(3, &options) || n < 0) return false;
      // ETO_OPAQUE and ETO_CLIPPED bring a rectangle before the string.
      const size_t at = 8 + ((options & 6) ? 8 : 0);
      if (!params.Has(at, size_t(n))) return false;
      r.kind = MetaKind::kTextOut;
      r.text.assign(reinterpret_cast<const char*>(params.data + at), size_t(n));
      Emit(r);
      return true;
    }
    case kMetaFillRegion:
    case kMetaFrameRegion:
    case kMetaInvertRegion:
    case kMetaPaintRegion:
      r.kind = MetaKind::kSkipped;
      r.text = "region";
      Emit(r);
      return true;
    case kMetaBitBlt:
    case kMetaStretchBlt:
    case kMetaDibBitBlt:
    case kMetaDibStretchBlt:
    case kMetaStretchDib:
    case kMetaSetDibToDev:
      r.kind = MetaKind::kSkipped;
      r.text = "bitmap";
      Emit(r);
      return true;
    default:
      return true;  // other records are passed over
  }
}

class EmfWalker {
 public:
  explicit EmfWalker(Span file) : file_(file) {}
  bool Header(MetafileInfo* info);
  bool Walk(const std::function<void(const MetaRecord&)>* sink);

 private:
  bool Record(uint32_t type, Span rec);
  bool Points(Span rec, size_t at, size_t count, bool sixteen, std::vector<MetaPoint>* out);
  void Emit(const MetaRecord& r) {
    if (sink_) (*sink_)(r);
  }
  bool Skip(const char* kind) {
    MetaRecord r;
    r.kind = MetaKind::kSkipped;
    r.text = kind;
    Emit(r);
    return true;
  }
  bool Comment(Span rec);
  Span file_;
  const std::function<void(const MetaRecord&)>* sink_ = nullptr;
  bool emfPlusDual_ = false;  // EMF+ records with GDI records beside them to draw instead
};

// EMF+ records ride in comments. A dual file draws the same picture with GDI records too, so its
// EMF+ records are passed over; in any other file they are drawing that is not understood.
bool EmfWalker::Comment(Span rec) {
  uint32_t bytes = 0, id = 0;
  if (!rec.U32(8, &bytes) || !rec.U32(12, &id) || id != kEmfPlusId) return true;
  uint16_t type = 0, flags = 0;
  if (rec.U16(16, &type) && rec.U16(18, &flags) && type == kEmfPlusHeader) {
    emfPlusDual_ = (flags & 1) != 0;
    return true;
  }
  return emfPlusDual_ ? true : Skip("EMF+");
}

bool EmfWalker::Header(MetafileInfo* info) {
  uint32_t type = 0, size = 0, signature = 0;
  if (!file_.U32(0, &type) || !file_.U32(4, &size) || !file_.U32(40, &signature)) return false;
  if (type != kEmrHeader || signature != kEmfSignature || size < 88 || size > file_.size) {
    return false;
  }
  int32_t frame[4], device[2], mm[2];
  for (int i = 0; i < 4; ++i) file_.I32(24 + 4 * size_t(i), &frame[i]);
  for (int i = 0; i < 2; ++i) {
    file_.I32(72 + 4 * size_t(i), &device[i]);
    file_.I32(80 + 4 * size_t(i), &mm[i]);
  }
  info->enhanced = true;
  // The frame (hundredths of a millimetre) in the reference device's units, which is what the
  // records draw in; it stands in for a placeable header.
  if (device[0] > 0 && device[1] > 0 && mm[0] > 0 && mm[1] > 0) {
    const double px = double(device[0]) / (double(mm[0]) * 100.0);
    const double py = double(device[1]) / (double(mm[1]) * 100.0);
    info->placeable = true;
    info->left = frame[0] * px;
    info->top = frame[1] * py;
    info->right = frame[2] * px;
    info->bottom = frame[3] * py;
    info->unitsPerInch = double(device[0]) * 25.4 / double(mm[0]);
  }
  return true;
}

bool EmfWalker::Walk(const std::function<void(const MetaRecord&)>* sink) {
  sink_ = sink;
  emfPlusDual_ = false;
  size_t off = 0;
  for (;;) {
    uint32_t type = 0, size = 0;
    if (!file_.U32(off, &type) || !file_.U32(off + 4, &size)) return false;  // no EMR_EOF
    if (size < 8 || size % 4 != 0 || size > file_.size - off) return false;
    if (type == kEmrEof) return true;
    if (!Record(type, Span{file_.data + off, size})) return false;
    off += size;
  }
}

bool EmfWalker::Points(Span rec, size_t at, size_t count, bool sixteen,
                       std::vector<MetaPoint>* out) {
  const size_t each = sixteen ? 4 : 8;
  if (count > rec.size / each || !rec.Has(at, count * each)) return false;
  out->resize(count);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = rec.data + at + i * each;
    if (sixteen) {
      (*out)[i] = MetaPoint{int16_t(Get16(p)), int16_t(Get16(p + 2))};
    } else {
      (*out)[i] = MetaPoint{int32_t(Get32(p)), int32_t(Get32(p + 4))};
    }
  }
  return true;
}

bool EmfWalker::Record(uint32_t type, Span rec) {
  MetaRecord r;
  switch (type) {
    case kEmrSetWindowExtEx:
    case kEmrSetWindowOrgEx:
    case kEmrSetViewportExtEx:
    case kEmrSetViewportOrgEx:
    case kEmrMoveToEx:
    case kEmrLineTo:
      if (!rec.I32(8, &r.x) || !rec.I32(12, &r.y)) return false;
      r.kind = type == kEmrSetWindowExtEx     ? MetaKind::kSetWindowExt
               : type == kEmrSetWindowOrgEx   ? MetaKind::kSetWindowOrg
               : type == kEmrSetViewportExtEx ? MetaKind::kSetViewportExt
               : type == kEmrSetViewportOrgEx ? MetaKind::kSetViewportOrg
               : type == kEmrMoveToEx         ? MetaKind::kMoveTo
                                              : MetaKind::kLineTo;
      break;
    case kEmrSetMapMode:
    case kEmrSetTextAlign:
      if (!rec.U32(8, &r.value)) return false;
      r.kind = type == kEmrSetMapMode ? MetaKind::kSetMapMode : MetaKind::kSetTextAlign;
      break;
    case kEmrSetTextColor:
      if (!rec.U32(8, &r.color)) return false;
      r.kind = MetaKind::kSetTextColor;
      break;
    case kEmrSaveDC:
      r.kind = MetaKind::kSaveDC;
      break;
    case kEmrRestoreDC:
      if (!rec.I32(8, &r.level)) return false;
      r.kind = MetaKind::kRestoreDC;
      break;
    case kEmrCreatePen:
      if (!rec.U32(8, &r.handle) || !rec.U32(12, &r.value) || !rec.I32(16, &r.width) ||
          !rec.U32(24, &r.color)) {
        return false;
      }
      r.kind = MetaKind::kCreatePen;
      break;
    case kEmrExtCreatePen: {
      // The same pen in its extended form: the dash style is the low four bits.
      uint32_t width = 0;
      if (!rec.U32(8, &r.handle) || !rec.U32(28, &r.value) || !rec.U32(32, &width) ||
          !rec.U32(40, &r.color)) {
        return false;
      }
      r.geometric = (r.value & kPsGeometric) != 0;
      r.value &= 0x0F;
      r.width = int32_t(std::min<uint32_t>(width, 0x7FFFFFFF));
      r.kind = MetaKind::kCreatePen;
      break;
    }
    case kEmrCreateBrushIndirect:
      if (!rec.U32(8, &r.handle) || !rec.U32(12, &r.value) || !rec.U32(16, &r.color)) {
        return false;
      }
      r.kind = MetaKind::kCreateBrush;
      break;
    case kEmrCreateMonoBrush:
    case kEmrCreateDibPatternBrushPt: {
      uint32_t usage = 0, offBmi = 0, cbBmi = 0;
      if (!rec.U32(8, &r.handle) || !rec.U32(12, &usage) || !rec.U32(16, &offBmi) ||
          !rec.U32(20, &cbBmi) || !rec.Has(offBmi, cbBmi)) {
        return false;
      }
      r.kind = MetaKind::kCreateBrush;
      r.value = kBsDibPattern;
      r.color = PatternColor(Span{rec.data + offBmi, cbBmi}, usage);
      break;
    }
    case kEmrExtCreateFontIndirectW: {
      uint32_t italic = 0;
      if (!rec.U32(8, &r.handle) || !rec.I32(12, &r.font.height) ||
          !rec.I32(20, &r.font.escapement) || !rec.I32(28, &r.font.weight) ||
          !rec.U32(32, &italic) || !rec.Has(40, 64)) {
        return false;
      }
      r.font.italic = int32_t(italic & 0xFF);
      size_t units = 0;
      while (units < 32 && Get16(rec.data + 40 + 2 * units)) ++units;
      r.font.faceName = Utf16ToCp1252(rec.data + 40, units);
      r.kind = MetaKind::kCreateFont;
      break;
    }
    case kEmrSelectObject:
    case kEmrDeleteObject:
      if (!rec.U32(8, &r.handle)) return false;
      r.kind = type == kEmrSelectObject ? MetaKind::kSelectObject : MetaKind::kDeleteObject;
      break;
    case kEmrEllipse:
    case kEmrRectangle:
    case kEmrRoundRect:
      if (!rec.I32(8, &r.left) || !rec.I32(12, &r.top) || !rec.I32(16, &r.right) ||
          !rec.I32(20, &r.bottom)) {
        return false;
      }
      r.kind = type == kEmrEllipse     ? MetaKind::kEllipse
               : type == kEmrRectangle ? MetaKind::kRectangle
                                       : MetaKind::kRoundRect;
      break;
    case kEmrArc:
    case kEmrChord:
    case kEmrPie:
    case kEmrArcTo:
      r.points.resize(2);
      if (!rec.I32(8, &r.left) || !rec.I32(12, &r.top) || !rec.I32(16, &r.right) ||
          !rec.I32(20, &r.bottom) || !rec.I32(24, &r.points[0].x) || !rec.I32(28, &r.points[0].y) ||
          !rec.I32(32, &r.points[1].x) || !rec.I32(36, &r.points[1].y)) {
        return false;
      }
      r.kind = type == kEmrArc     ? MetaKind::kArc
               : type == kEmrChord ? MetaKind::kChord
               : type == kEmrPie   ? MetaKind::kPie
                                   : MetaKind::kArcTo;
      break;
    case kEmrPolyBezier:
    case kEmrPolyBezier16:
    case kEmrPolyBezierTo:
    case kEmrPolyBezierTo16:
    case kEmrPolylineTo:
    case kEmrPolylineTo16: {
      uint32_t n = 0;
      const bool sixteen =
          type == kEmrPolyBezier16 || type == kEmrPolyBezierTo16 || type == kEmrPolylineTo16;
      if (!rec.U32(24, &n) || !Points(rec, 28, n, sixteen, &r.points)) return false;
      r.kind = type == kEmrPolyBezier || type == kEmrPolyBezier16       ? MetaKind::kPolyBezier
               : type == kEmrPolyBezierTo || type == kEmrPolyBezierTo16 ? MetaKind::kPolyBezierTo
                                                                        : MetaKind::kPolylineTo;
      break;
    }
    case kEmrBeginPath:
      r.kind = MetaKind::kBeginPath;
      break;
    case kEmrEndPath:
      r.kind = MetaKind::kEndPath;
      break;
    case kEmrCloseFigure:
      r.kind = MetaKind::kCloseFigure;
      break;
    case kEmrFillPath:
      r.kind = MetaKind::kFillPath;
      break;
    case kEmrStrokePath:
      r.kind = MetaKind::kStrokePath;
      break;
    case kEmrStrokeAndFillPath:
      r.kind = MetaKind::kStrokeAndFillPath;
      break;
    case kEmrAbortPath:
    case kEmrSelectClipPath:  // the path becomes the clip, which the import does not keep
      r.kind = MetaKind::kAbortPath;
      break;
    case kEmrSetWorldTransform:
    case kEmrModifyWorldTransform:
      for (size_t i = 0; i < 6; ++i) {
        uint32_t bits = 0;
        if (!rec.U32(8 + 4 * i, &bits)) return false;
        float f = 0;
        std::memcpy(&f, &bits, 4);
        r.xform[i] = std::isfinite(f) ? f : 0.0f;
      }
      r.kind = MetaKind::kSetWorldTransform;
      if (type == kEmrModifyWorldTransform) {
        if (!rec.U32(32, &r.value)) return false;
        r.kind = MetaKind::kModifyWorldTransform;
      }
      break;
    case kEmrComment:
      return Comment(rec);
    case kEmrFillRgn:
    case kEmrFillRgn + 1:
    case kEmrFillRgn + 2:
    case kEmrPaintRgn:
      return Skip("region");
    case kEmrBitBlt:
    case kEmrBitBlt + 1:
    case kEmrBitBlt + 2:
    case kEmrBitBlt + 3:
    case kEmrSetDiBitsToDevice:
    case kEmrStretchDiBits:
    case kEmrAlphaBlend:
    case kEmrTransparentBlt:
      return Skip("bitmap");
    case kEmrGradientFill:
      return Skip("gradient");
    case kEmrAngleArc:
      return Skip("angle-arc");
    case kEmrPolyDraw:
    case kEmrPolyDraw16:
      return Skip("poly-draw");
    case kEmrPolygon:
    case kEmrPolyline:
    case kEmrPolygon16:
    case kEmrPolyline16: {
      uint32_t n = 0;
      const bool sixteen = type == kEmrPolygon16 || type == kEmrPolyline16;
      if (!rec.U32(24, &n) || !Points(rec, 28, n, sixteen, &r.points)) return false;
      r.counts.push_back(int32_t(n));
      r.kind =
          type == kEmrPolygon || type == kEmrPolygon16 ? MetaKind::kPolygon : MetaKind::kPolyline;
      break;
    }
    case kEmrPolyPolygon:
    case kEmrPolyPolyline:
    case kEmrPolyPolygon16:
    case kEmrPolyPolyline16: {
      uint32_t polys = 0, total = 0;
      if (!rec.U32(24, &polys) || !rec.U32(28, &total)) return false;
      if (polys > rec.size / 4 || !rec.Has(32, size_t(polys) * 4)) return false;
      uint64_t sum = 0;
      for (uint32_t i = 0; i < polys; ++i) {
        const uint32_t n = Get32(rec.data + 32 + 4 * size_t(i));
        if (n > 0x7FFFFFFF) return false;
        sum += n;
        r.counts.push_back(int32_t(n));
      }
      if (sum != total) return false;
      const bool sixteen = type == kEmrPolyPolygon16 || type == kEmrPolyPolyline16;
      if (!Points(rec, 32 + size_t(polys) * 4, total, sixteen, &r.points)) return false;
      r.kind = type == kEmrPolyPolygon || type == kEmrPolyPolygon16 ? MetaKind::kPolygon
                                                                    : MetaKind::kPolyline;
      break;
    }
    case kEmrExtTextOutA:
    case kEmrExtTextOutW: {
      uint32_t n = 0, offString = 0;
      if (!rec.I32(36, &r.x) || !rec.I32(40, &r.y) || !rec.U32(44, &n) ||
          !rec.U32(48, &offString)) {
        return false;
      }
      const bool wide = type == kEmrExtTextOutW;
      if (n > rec.size || !rec.Has(offString, size_t(n) * (wide ? 2 : 1))) return false;
      r.text = wide ? Utf16ToCp1252(rec.data + offString, n)
                    : std::string(reinterpret_cast<const char*>(rec.data + offString), n);
      r.kind = MetaKind::kTextOut;
      break;
    }
    default:
      return true;
  }
  // Arc and Bezier points form one run.
  if (r.counts.empty() && !r.points.empty()) r.counts.push_back(int32_t(r.points.size()));
  Emit(r);
  return true;
}

}  // namespace

uint16_t PlaceableChecksum(const uint8_t* header) {
  uint16_t sum = 0;
  for (int i = 0; i < 10; ++i) sum ^= Get16(header + 2 * i);
  return sum;
}

void MakePlaceableHeader(int16_t left, int16_t top, int16_t right, int16_t bottom,
                         uint16_t unitsPerInch, uint8_t out[22]) {
  auto put16 = [out](int at, uint16_t v) {
    out[at] = uint8_t(v & 255);
    out[at + 1] = uint8_t(v >> 8);
  };
  put16(0, uint16_t(kPlaceableKey & 0xFFFF));
  put16(2, uint16_t(kPlaceableKey >> 16));
  put16(4, 0);
  put16(6, uint16_t(left));
  put16(8, uint16_t(top));
  put16(10, uint16_t(right));
  put16(12, uint16_t(bottom));
  put16(14, unitsPerInch);
  put16(16, 0);
  put16(18, 0);
  put16(20, PlaceableChecksum(out));
}

bool ReadMetafile(const uint8_t* data, size_t size, MetafileInfo* info,
                  const std::function<void(const MetaRecord&)>& sink) {
  if (!data || !info) return false;
  *info = MetafileInfo{};
  Span file{data, size};
  uint32_t key = 0;
  if (file.U32(0, &key) && key == 1) {
    EmfWalker emf(file);
    MetafileInfo found;
    if (!emf.Header(&found) || !emf.Walk(nullptr)) return false;
    *info = found;
    return emf.Walk(&sink);
  }
  size_t start = 0;
  MetafileInfo found;
  if (key == kPlaceableKey) {
    if (!file.Has(0, 22)) return false;
    found.placeable = true;
    found.left = int16_t(Get16(data + 6));
    found.top = int16_t(Get16(data + 8));
    found.right = int16_t(Get16(data + 10));
    found.bottom = int16_t(Get16(data + 12));
    found.unitsPerInch = Get16(data + 14);
    start = 22;
  }
  // META_HEADER: type 1 (memory) or 2 (disk), nine words long, version 1.0 or 3.0.
  uint16_t type = 0, headerWords = 0, version = 0;
  if (!file.U16(start, &type) || !file.U16(start + 2, &headerWords) ||
      !file.U16(start + 4, &version) || !file.Has(start, 18)) {
    return false;
  }
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) {
    return false;
  }
  WmfWalker wmf(file, start + 18);
  if (!wmf.Walk(nullptr)) return false;
  wmf.SynthesiseViewport(!wmf.HasViewport());
  *info = found;
  return wmf.Walk(&sink);
}
