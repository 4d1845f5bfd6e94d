#include "output/MetafileImport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "fonts/FontManager.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TabExpansion.h"
#include "model/TextMetrics.h"
#include "model/TextShape.h"
#include "output/InsertCommands.h"
#include "output/MetafilePath.h"
#include "output/OutputDriver.h"
#include "output/PsWriterCommon.h"
#include "output/WmfReader.h"
#include "platform/msgbox/Messages.h"

namespace {

// A metafile larger than this is refused rather than read into memory.
constexpr long kMaxMetafileBytes = 512L << 20;
// Saved states beyond this depth are counted, not kept, so a file of SaveDC records cannot
// exhaust memory; their RestoreDC records still pair up.
constexpr size_t kMaxSavedStates = 4096;

enum EntryKind { kPenEntry = 1, kBrushEntry = 2, kFontEntry = 3 };

// Stock objects of an enhanced metafile's SelectObject.
enum : uint32_t {
  kWhiteBrush = 0,
  kBlackBrush = 4,
  kNullBrush = 5,
  kWhitePen = 6,
  kBlackPen = 7,
  kNullPen = 8,
};

struct Entry {
  int kind = 0;
  int32_t on = 0;
  Color color;
  float width = 1;
  bool mapped = false;  // a pen width in metafile units, which scales with the picture
  int32_t dash = -1;
  MetaFont font;
  float size = 0;  // font: mapped height, sign kept (negative: character height)
};

struct ImportState {
  PaintStyle style;
  Color textColor;
  uint32_t textAlign = 0;
  MetaPoint current;
  double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
  double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
  uint32_t mapMode = 1;
  double world[6] = {1, 0, 0, 1, 0, 0};  // m11 m12 m21 m22 dx dy
  bool widthMapped = false;
  bool hasFont = false;
  Entry font;
};

float Percent(uint32_t component) { return float(int((component & 255) * 100 / 255)); }

Color ColorOf(uint32_t colorRef) {
  return Color{Percent(colorRef), Percent(colorRef >> 8), Percent(colorRef >> 16)};
}

int32_t DashIndex(uint32_t style) {
  switch (style) {
    case 1:
      return 0;
    case 2:
      return 1;
    case 3:
      return 2;
    case 4:
      return 3;
    default:
      return -1;
  }
}

class Importer {
 public:
  explicit Importer(size_t fileSize) : path_(fileSize) {}
  void OnRecord(const MetaRecord& r);
  void LogSkipped() const;
  ShapeList& shapes() { return made_; }
  void Normalise(const MetafileInfo& info);
  ~Importer() { DestroyShapes(&made_); }

 private:
  double ScaleX() const { return s_.viewportExtX / s_.windowExtX; }
  double ScaleY() const { return s_.viewportExtY / s_.windowExtY; }
  float MapX(double x) const { return float(ScaleX() * (x - s_.windowOrgX) + s_.viewportOrgX); }
  float MapY(double y) const { return float(ScaleY() * (y - s_.windowOrgY) + s_.viewportOrgY); }
  // A logical point through the world transform, then the window-to-viewport mapping.
  Point Map(double x, double y) const {
    const double* w = s_.world;
    return Point{MapX(w[0] * x + w[2] * y + w[4]), MapY(w[1] * x + w[3] * y + w[5])};
  }
  Point Map(const MetaPoint& p) const { return Map(p.x, p.y); }
  bool WorldAxisAligned() const { return s_.world[1] == 0 && s_.world[2] == 0; }
  double WorldScale() const {
    const double* w = s_.world;
    return std::sqrt(std::fabs(w[0] * w[3] - w[1] * w[2]));
  }
  void Add(Shape* shape);
  void AddWithStyle(Shape* shape) {
    if (!shape) return;
    shape->SetPaintStyle(s_.style);
    Add(shape);
  }
  void Select(uint32_t handle);
  void Polygons(const MetaRecord& r, bool polyline);
  void Text(const MetaRecord& r);
  void Box(const MetaRecord& r);
  void ArcRecord(const MetaRecord& r);
  void Beziers(const MetaRecord& r);
  void Polyline(const MetaRecord& r);
  void Paint(bool fill, bool stroke);
  void World(const MetaRecord& r);
  // A shape from figures drawn outside a path: stroked only, never filled.
  void AddOpenFigures(const MetaPath& figures);
  void ScaleWidths(float k);
  void FoldTextScale();

  ImportState s_;
  MetaPath path_;
  bool inPath_ = false;
  std::vector<char> widthScales_;  // per made shape: its line width is in metafile units
  std::map<std::string, int> skipped_;
  std::vector<ImportState> saved_;
  size_t overflow_ = 0;
  std::map<uint32_t, Entry> table_;
  ShapeList made_;
};

void Importer::Add(Shape* shape) {
  if (!shape) return;
  if (!made_.Append(shape)) {
    delete shape;
    return;
  }
  widthScales_.push_back(s_.widthMapped && shape->Kind() != kTextShape);
}

void Importer::Select(uint32_t handle) {
  if (handle & kStockObject) {
    PaintStyle& st = s_.style;
    switch (handle & ~kStockObject) {
      case kWhiteBrush:
        st.fillOn = 1;
        st.fillColor = Color{100, 100, 100};
        break;
      case kBlackBrush:
        st.fillOn = 1;
        st.fillColor = Color{0, 0, 0};
        break;
      case kNullBrush:
        st.fillOn = 0;
        break;
      case kWhitePen:
      case kBlackPen: {
        const float v = (handle & ~kStockObject) == kWhitePen ? 100 : 0;
        st.strokeOn = 1;
        st.strokeColor = Color{v, v, v};
        st.lineWidth = 1;
        st.dash = -1;
        s_.widthMapped = false;
        break;
      }
      case kNullPen:
        st.strokeOn = 0;
        break;
      default:
        break;
    }
    return;
  }
  auto it = table_.find(handle);
  if (it == table_.end()) return;
  const Entry& e = it->second;
  if (e.kind == kPenEntry) {
    s_.style.strokeOn = e.on;
    s_.style.strokeColor = e.color;
    s_.style.lineWidth = e.width;
    s_.style.dash = e.dash;
    s_.widthMapped = e.mapped;
  } else if (e.kind == kBrushEntry) {
    s_.style.fillOn = e.on;
    s_.style.fillColor = e.color;
  } else if (e.kind == kFontEntry) {
    s_.font = e;
    s_.hasFont = true;
  }
}

void Importer::Polygons(const MetaRecord& r, bool polyline) {
  size_t at = 0;
  for (int32_t n : r.counts) {
    const size_t count = size_t(std::max(n, 0));
    if (count > r.points.size() - at) return;  // the reader keeps these equal; be safe anyway
    if (count >= 2 && inPath_) {
      path_.MoveTo(Map(r.points[at]));
      for (size_t i = 1; i < count; ++i) path_.LineTo(Map(r.points[at + i]));
      if (!polyline) path_.CloseFigure();
    } else if (count >= 2) {
      auto* shape = new PolygonShape;
      bool ok = true;
      for (size_t i = 0; i < count && ok; ++i) {
        const Point p = Map(r.points[at + i]);
        ok = shape->AddPoint(p.x, p.y) != 0;
      }
      if (!ok) {
        delete shape;
        return;
      }
      if (!polyline && count > 2) shape->Close();
      shape->SetPaintStyle(s_.style);
      if (polyline) shape->SetNoFill();
      Add(shape);
    }
    at += count;
  }
}

// The face of a metafile font: its PostScript name when the font list knows it (with its weight
// and slant), else the face name made one PostScript name ("Times New Roman" would split into
// three tokens), which the writers substitute.
std::string FontName(const MetaFont& f) {
  FontManager* fonts = TheFontManager();
  if (fonts && !f.faceName.empty()) {
    const bool bold = f.weight >= 600, italic = f.italic != 0;
    std::string key = f.faceName;
    if (bold || italic) key += bold && italic ? ",BOLDITALIC" : bold ? ",BOLD" : ",ITALIC";
    FontFace* face = fonts->FindFace(key);
    if (!face) face = fonts->FindFace(f.faceName);
    if (face) return face->PostScriptName();
  }
  if (std::string token = PsNameToken(f.faceName); !token.empty()) return token;
  FontFace* face = fonts ? fonts->DefaultFace() : nullptr;
  return face ? face->PostScriptName() : "Helvetica";
}

void Importer::Text(const MetaRecord& r) {
  if (r.text.empty()) return;
  const std::string chars = ExpandTabs(r.text);
  const std::string font = s_.hasFont ? FontName(s_.font.font) : FontName(MetaFont{});
  TextMetrics* metrics = CurrentTextMetrics();
  // A negative height is the character height (the size); a positive one the cell height,
  // ascent plus descent, which is scaled down to the size by the face's proportions.
  float size = 12;
  if (s_.hasFont && s_.font.size != 0) {
    size = std::fabs(s_.font.size);
    if (s_.font.size > 0 && metrics) {
      const float cell = metrics->Ascent(font.c_str(), 1000) - metrics->Descent(font.c_str(), 1000);
      if (cell > 0) size = size * 1000 / cell;
    }
  }
  const float ascent = metrics ? metrics->Ascent(font.c_str(), size) : size * 0.8f;
  const float descent = metrics ? metrics->Descent(font.c_str(), size) : -size * 0.2f;
  const float width =
      metrics ? metrics->StringWidth(font.c_str(), chars.c_str(), int32_t(chars.size()), size) : 0;

  // Horizontal flags give the alignment and where the reference point sits on the line;
  // vertical flags whether it is the top, the baseline or the bottom of the cell.
  int32_t align = kAlignLeft;
  float x1 = 0;
  switch (s_.textAlign & 6) {
    case 2:
      align = kAlignRight;
      x1 = -width;
      break;  // TA_RIGHT
    case 6:
      align = kAlignCentre;
      x1 = -width / 2;
      break;  // TA_CENTER
    default:
      break;
  }
  float y1 = 0;  // TA_TOP: the frame's top is the reference point
  if ((s_.textAlign & 24) == 24) {
    y1 = ascent;  // TA_BASELINE
  } else if (s_.textAlign & 8) {
    y1 = ascent - descent;  // TA_BOTTOM
  }

  auto* shape = new TextShape(chars.c_str(), font, size, size * 1.1f, align);
  shape->SetFrame(x1, y1, x1 + width, y1 - (ascent - descent));
  PaintStyle style = s_.style;
  style.fillOn = 1;
  style.fillColor = s_.textColor;
  shape->SetPaintStyle(style);
  // The text is built upright (y up) and then turned over into the metafile's y-down space,
  // so the final flip of the import brings it back upright; the escapement turns it
  // counter-clockwise on the page.
  const bool useCurrent = (s_.textAlign & 1) != 0;  // TA_UPDATECP
  const MetaPoint at = useCurrent ? s_.current : MetaPoint{r.x, r.y};
  const double radians = (s_.hasFont ? s_.font.font.escapement : 0) / 10.0 * kPi / 180.0;
  const float c = float(std::cos(radians)), sn = float(std::sin(radians));
  const Point origin = Map(at);
  shape->SetMatrix(c, -sn, -sn, -c, origin.x, origin.y);
  if (useCurrent && std::isfinite(width)) {
    // The current position moves on by the text's width (in logical units).
    const double scale = ScaleX();
    if (scale != 0) s_.current.x += int32_t(std::clamp(width / scale, -1.0e9, 1.0e9));
  }
  Add(shape);
}

void Importer::OnRecord(const MetaRecord& r) {
  switch (r.kind) {
    case MetaKind::kSetWindowExt:
      // A zero extent would divide the mapping by zero; Windows refuses it too.
      if (r.x != 0 && r.y != 0) {
        s_.windowExtX = r.x;
        s_.windowExtY = r.y;
      }
      break;
    case MetaKind::kSetWindowOrg:
      s_.windowOrgX = r.x;
      s_.windowOrgY = r.y;
      break;
    case MetaKind::kSetViewportExt:
      if (r.x != 0 && r.y != 0) {
        s_.viewportExtX = r.x;
        s_.viewportExtY = r.y;
      }
      break;
    case MetaKind::kSetViewportOrg:
      s_.viewportOrgX = r.x;
      s_.viewportOrgY = r.y;
      break;
    case MetaKind::kSetMapMode:
      s_.mapMode = r.value;
      break;
    case MetaKind::kSetTextAlign:
      s_.textAlign = r.value;
      break;
    case MetaKind::kSetTextColor:
      s_.textColor = ColorOf(r.color);
      break;
    case MetaKind::kMoveTo:
      s_.current = MetaPoint{r.x, r.y};
      if (inPath_) path_.MoveTo(Map(s_.current));
      break;
    case MetaKind::kLineTo: {
      const Point from = Map(s_.current), to = Map(r.x, r.y);
      // Inside a path bracket a line only adds to the path.
      if (inPath_) {
        path_.LineTo(to);
      } else {
        AddWithStyle(new LineShape(from.x, from.y, to.x, to.y));
      }
      s_.current = MetaPoint{r.x, r.y};
      break;
    }
    case MetaKind::kSaveDC:
      if (saved_.size() < kMaxSavedStates) {
        saved_.push_back(s_);
      } else {
        ++overflow_;
      }
      break;
    case MetaKind::kRestoreDC: {
      // Relative levels count back from the newest state; absolute ones name a depth.
      int64_t pops =
          r.level < 0 ? -int64_t(r.level) : int64_t(saved_.size() + overflow_) - r.level + 1;
      if (pops <= 0 || uint64_t(pops) > saved_.size() + overflow_) break;
      while (pops > 0 && overflow_ > 0) {
        --overflow_;
        --pops;
      }
      if (pops > 0) {
        s_ = saved_[saved_.size() - size_t(pops)];
        saved_.resize(saved_.size() - size_t(pops));
      }
      break;
    }
    case MetaKind::kCreatePen: {
      Entry e;
      e.kind = kPenEntry;
      const uint32_t style = r.value & 0x0F;
      e.on = style != 5;
      e.color = ColorOf(r.color);
      e.mapped = style == 0 || r.geometric;
      e.width = e.mapped ? float(std::fabs(r.width * ScaleX() * WorldScale())) : 1.0f;
      e.dash = DashIndex(style);
      table_[r.handle] = e;
      break;
    }
    case MetaKind::kCreateBrush: {
      Entry e;
      e.kind = kBrushEntry;
      e.on = r.value != 1;
      e.color = ColorOf(r.color);
      table_[r.handle] = e;
      break;
    }
    case MetaKind::kCreateFont: {
      Entry e;
      e.kind = kFontEntry;
      e.font = r.font;
      e.size = float(r.font.height * std::fabs(ScaleY()) * WorldScale());
      table_[r.handle] = e;
      break;
    }
    case MetaKind::kSelectObject:
      Select(r.handle);
      break;
    case MetaKind::kDeleteObject:
      table_.erase(r.handle);
      break;
    case MetaKind::kEllipse:
    case MetaKind::kRectangle:
    case MetaKind::kRoundRect:
      Box(r);
      break;
    case MetaKind::kPolygon:
      Polygons(r, false);
      break;
    case MetaKind::kPolyline:
      Polygons(r, true);
      break;
    case MetaKind::kTextOut:
      Text(r);
      break;
    case MetaKind::kArc:
    case MetaKind::kChord:
    case MetaKind::kPie:
    case MetaKind::kArcTo:
      ArcRecord(r);
      break;
    case MetaKind::kPolyBezier:
    case MetaKind::kPolyBezierTo:
      Beziers(r);
      break;
    case MetaKind::kPolylineTo:
      Polyline(r);
      break;
    case MetaKind::kBeginPath:
      path_.Clear();
      path_.MoveTo(Map(s_.current));
      inPath_ = true;
      break;
    case MetaKind::kEndPath:
      inPath_ = false;
      break;
    case MetaKind::kCloseFigure:
      if (inPath_) path_.CloseFigure();
      break;
    case MetaKind::kFillPath:
      Paint(true, false);
      break;
    case MetaKind::kStrokePath:
      Paint(false, true);
      break;
    case MetaKind::kStrokeAndFillPath:
      Paint(true, true);
      break;
    case MetaKind::kAbortPath:
      path_.Clear();
      inPath_ = false;
      break;
    case MetaKind::kSetWorldTransform:
    case MetaKind::kModifyWorldTransform:
      World(r);
      break;
    case MetaKind::kSkipped:
      // A fixed set of kind names, so the tally stays small.
      ++skipped_[r.text];
      break;
  }
}

void Importer::Box(const MetaRecord& r) {
  const bool ellipse = r.kind == MetaKind::kEllipse;
  if (WorldAxisAligned() && !inPath_) {
    const Point p1 = Map(r.left, r.top), p2 = Map(r.right, r.bottom);
    if (ellipse) {
      AddWithStyle(new OvalShape((p1.x + p2.x) / 2, (p1.y + p2.y) / 2,
                                 std::trunc(std::fabs(p2.x - p1.x) / 2),
                                 std::trunc(std::fabs(p2.y - p1.y) / 2)));
    } else {
      AddWithStyle(new BoxShape(p1.x, p1.y, p2.x, p2.y));
    }
    return;
  }
  // Turned by the world transform, or part of a path: the outline as a figure.
  MetaPath own(16);
  MetaPath& figure = inPath_ ? path_ : own;
  if (ellipse) {
    const std::vector<Point> pts =
        ArcBezierPoints((double(r.left) + r.right) / 2.0, (double(r.top) + r.bottom) / 2.0,
                        std::fabs(double(r.right) - r.left) / 2.0,
                        std::fabs(double(r.bottom) - r.top) / 2.0, 0, 2 * kPi);
    figure.MoveTo(Map(pts[0].x, pts[0].y));
    for (size_t i = 1; i + 2 < pts.size(); i += 3) {
      figure.BezierTo(Map(pts[i].x, pts[i].y), Map(pts[i + 1].x, pts[i + 1].y),
                      Map(pts[i + 2].x, pts[i + 2].y));
    }
  } else {
    figure.MoveTo(Map(r.left, r.top));
    figure.LineTo(Map(r.right, r.top));
    figure.LineTo(Map(r.right, r.bottom));
    figure.LineTo(Map(r.left, r.bottom));
  }
  figure.CloseFigure();
  if (!inPath_) AddWithStyle(own.MakeShape(s_.style, true));
}

// Arcs run counter-clockwise as seen on the page from the radial through the start point to
// the one through the end point (the whole ellipse when they meet).
void Importer::ArcRecord(const MetaRecord& r) {
  if (r.points.size() < 2) return;
  const double cx = (double(r.left) + r.right) / 2.0, cy = (double(r.top) + r.bottom) / 2.0;
  const double rx = std::fabs(double(r.right) - r.left) / 2.0,
               ry = std::fabs(double(r.bottom) - r.top) / 2.0;
  if (rx <= 0 || ry <= 0) return;
  const double ts = std::atan2((r.points[0].y - cy) / ry, (r.points[0].x - cx) / rx);
  const double te = std::atan2((r.points[1].y - cy) / ry, (r.points[1].x - cx) / rx);
  const double* w = s_.world;
  // Metafile space runs y down, so counter-clockwise on the page is a falling angle, unless
  // the mapping mirrors the picture.
  const bool mirrored = ScaleX() * ScaleY() * (w[0] * w[3] - w[1] * w[2]) < 0;
  auto wrap = [](double a) { return a - 2 * kPi * std::floor(a / (2 * kPi)); };
  double sweep = mirrored ? wrap(te - ts) : -wrap(ts - te);
  if (sweep == 0) sweep = mirrored ? 2 * kPi : -2 * kPi;
  const std::vector<Point> pts = ArcBezierPoints(cx, cy, rx, ry, ts, sweep);
  std::vector<Point> mapped;
  for (const Point& p : pts) mapped.push_back(Map(p.x, p.y));
  const Point centre = Map(cx, cy);

  if (r.kind == MetaKind::kArc && !inPath_ && WorldAxisAligned() && std::fabs(sweep) < 2 * kPi) {
    // An open arc: the shape runs with rising angles, so from the end round to the start.
    const double mrx = rx * std::fabs(ScaleX() * w[0]), mry = ry * std::fabs(ScaleY() * w[3]);
    auto degrees = [&](const Point& p) {
      return std::atan2((p.y - centre.y) / mry, (p.x - centre.x) / mrx) * 180 / kPi;
    };
    auto* arc = new ArcShape(centre.x, centre.y, float(mrx), float(mry),
                             float(degrees(mapped.back())), float(degrees(mapped.front())));
    arc->SetPaintStyle(s_.style);
    arc->SetNoFill();
    Add(arc);
    return;
  }
  MetaPath own(pts.size() + 2);
  MetaPath& figure = inPath_ ? path_ : own;
  if (r.kind == MetaKind::kArcTo) {
    // A line from the current position to the arc's start, then the arc.
    if (!inPath_) own.MoveTo(Map(s_.current));
    figure.LineTo(mapped[0]);
  } else if (r.kind == MetaKind::kPie) {
    figure.MoveTo(centre);
    figure.LineTo(mapped[0]);
  } else {
    figure.MoveTo(mapped[0]);
  }
  for (size_t i = 1; i + 2 < mapped.size(); i += 3) {
    figure.BezierTo(mapped[i], mapped[i + 1], mapped[i + 2]);
  }
  if (r.kind == MetaKind::kArcTo) {
    // The current position moves to the arc's end (kept in logical units).
    const Point end = pts.back();
    s_.current = MetaPoint{int32_t(std::lround(std::clamp<double>(end.x, -1e9, 1e9))),
                           int32_t(std::lround(std::clamp<double>(end.y, -1e9, 1e9)))};
  }
  if (inPath_) {
    if (r.kind == MetaKind::kChord || r.kind == MetaKind::kPie) path_.CloseFigure();
    return;
  }
  if (r.kind == MetaKind::kArc || r.kind == MetaKind::kArcTo) {
    AddOpenFigures(own);
  } else {
    own.CloseFigure();
    AddWithStyle(own.MakeShape(s_.style, true));
  }
}

void Importer::AddOpenFigures(const MetaPath& figures) {
  PaintStyle style = s_.style;
  style.fillOn = 0;
  Add(figures.MakeShape(style, false));
}

// A Bezier record: its own start point, or (the "to" form) the current position.
void Importer::Beziers(const MetaRecord& r) {
  const bool to = r.kind == MetaKind::kPolyBezierTo;
  const size_t first = to ? 0 : 1;
  if (r.points.size() < first + 3) return;
  MetaPath own(r.points.size() + 1);
  MetaPath& figure = inPath_ ? path_ : own;
  if (!to) {
    figure.MoveTo(Map(r.points[0]));
  } else if (!inPath_) {
    figure.MoveTo(Map(s_.current));
  }
  size_t i = first;
  for (; i + 2 < r.points.size(); i += 3) {
    figure.BezierTo(Map(r.points[i]), Map(r.points[i + 1]), Map(r.points[i + 2]));
  }
  if (to) s_.current = r.points[i - 1];
  if (!inPath_) AddOpenFigures(own);
}

void Importer::Polyline(const MetaRecord& r) {
  if (r.points.empty()) return;
  MetaPath own(r.points.size() + 1);
  MetaPath& figure = inPath_ ? path_ : own;
  if (!inPath_) figure.MoveTo(Map(s_.current));
  for (const MetaPoint& p : r.points) figure.LineTo(Map(p));
  s_.current = r.points.back();
  if (!inPath_) AddOpenFigures(own);
}

// Filling closes every figure; stroking draws only the closings the path asked for.
void Importer::Paint(bool fill, bool stroke) {
  PaintStyle style = s_.style;
  if (!fill) style.fillOn = 0;
  if (!stroke) style.strokeOn = 0;
  if (style.fillOn || style.strokeOn) Add(path_.MakeShape(style, fill));
  path_.Clear();
  inPath_ = false;
}

void Importer::World(const MetaRecord& r) {
  double x[6];
  for (int i = 0; i < 6; ++i) x[i] = r.xform[i];
  double* w = s_.world;
  // a then b: a point goes through a first.
  auto then = [](const double* a, const double* b, double* out) {
    double o[6] = {a[0] * b[0] + a[1] * b[2],        a[0] * b[1] + a[1] * b[3],
                   a[2] * b[0] + a[3] * b[2],        a[2] * b[1] + a[3] * b[3],
                   a[4] * b[0] + a[5] * b[2] + b[4], a[4] * b[1] + a[5] * b[3] + b[5]};
    std::copy(o, o + 6, out);
  };
  const uint32_t mode = r.kind == MetaKind::kSetWorldTransform ? 4 : r.value;
  switch (mode) {
    case 1: {
      const double identity[6] = {1, 0, 0, 1, 0, 0};
      std::copy(identity, identity + 6, w);
      break;
    }
    case 2:  // left multiply: the new transform acts before the current one
      then(x, w, w);
      break;
    case 3:
      then(w, x, w);
      break;
    case 4:
      std::copy(x, x + 6, w);
      break;
    default:
      break;
  }
}

void Importer::ScaleWidths(float k) {
  for (int32_t i = 0; i < made_.Count() && size_t(i) < widthScales_.size(); ++i) {
    if (!widthScales_[size_t(i)]) continue;
    PaintStyle st;
    made_[i]->GetPaintStyle(&st);
    st.lineWidth *= std::fabs(k);
    made_[i]->SetPaintStyle(st);
  }
}

// Texts arrive scaled by the picture's mapping; the scale goes into the size, the leading and
// the frame, so the text has its real point size and a matrix that only turns and moves.
void Importer::FoldTextScale() {
  for (Shape* shape : made_) {
    if (shape->Kind() != kTextShape) continue;
    auto* text = static_cast<TextShape*>(shape);
    const Matrix m = text->matrix();
    const double k = std::sqrt(std::fabs(double(m.a) * m.d - double(m.b) * m.c));
    if (!std::isfinite(k) || k <= 0 || std::fabs(k - 1) < 1e-6) continue;
    const float f = float(k);
    const BoxShape& frame = text->frame();
    // A hair of slack keeps the scaled line from breaking on rounding.
    const float x1 = frame.x1 * f, y1 = frame.y1 * f, x2 = frame.x2 * f + 1e-3f * text->size() * f,
                y2 = frame.y2 * f;
    text->SetMatrix(m.a / f, m.b / f, m.c / f, m.d / f, m.tx, m.ty);
    text->SetFrame(x1, y1, x2, y2);
    text->SetTextStyle(text->font(), text->size() * f, text->leading() * f, text->alignment());
  }
}

void Importer::LogSkipped() const {
  for (const auto& [kind, count] : skipped_) {
    DebugLog("Metafile import: %d %s records skipped", count, kind.c_str());
  }
}

void MoveAll(ShapeList& list, float dx, float dy) {
  for (int32_t i = 0; i < list.Count(); ++i) list[i]->Move(dx, dy);
}

void ScaleAll(ShapeList& list, float sx, float sy) {
  for (int32_t i = 0; i < list.Count(); ++i) list[i]->Scale(0, 0, sx, sy);
}

void Importer::Normalise(const MetafileInfo& info) {
  if (made_.Count() == 0) return;
  // Pen widths in metafile units scale with the picture, exactly as its coordinates do.
  Rect e = BoundsOfList(made_, 0);
  if (!info.placeable) {
    MoveAll(made_, 0, e.y2 - e.y1);
    ScaleAll(made_, 1, -1);
  } else {
    const double h = info.bottom - info.top;
    const float s = info.unitsPerInch > 0 ? float(72.0 / info.unitsPerInch) : 1.0f;
    MoveAll(made_, float(-info.left), float(-info.top));
    MoveAll(made_, 0, float(-h));
    ScaleAll(made_, s, -s);
    ScaleWidths(s);
    // The aspect correction that follows, a scale by (1, rx / ry) with rx = (picture width +
    // 1) / (right - left + 1) and ry likewise, compares the converted picture's extent with the
    // header's box. Our reader plays the file at its own logical size, so the picture is the
    // box, rx = ry and the correction is the identity. (Measured on the shapes instead, it
    // would stretch any drawing that does not fill its box.)
  }
  e = BoundsOfList(made_, 0);
  float width = e.x2 - e.x1, height = e.y2 - e.y1;
  if (width < 300) {
    float f = height > 0 ? std::min(612 / std::max(width, 1e-6f), 792 / height)
                         : 612 / std::max(width, 1e-6f);
    if (width <= 0 && height <= 0) f = 1;  // a single point has nothing to fill the page with
    if (std::isfinite(f) && f > 0) {
      ScaleAll(made_, f, f);
      ScaleWidths(f);
    }
    e = BoundsOfList(made_, 0);
    width = e.x2 - e.x1;
    height = e.y2 - e.y1;
  }
  MoveAll(made_, 306 - (width / 2 + e.x1), 396 - (height / 2 + e.y1));
  FoldTextScale();
}

bool ReadWhole(const std::string& path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bool ok = std::fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(f) : -1;
  ok = ok && size >= 0 && size <= kMaxMetafileBytes && std::fseek(f, 0, SEEK_SET) == 0;
  if (ok) {
    out->resize(size_t(size));
    ok = size == 0 || std::fread(out->data(), 1, size_t(size), f) == size_t(size);
  }
  std::fclose(f);
  return ok;
}

}  // namespace

int32_t ConvertMetafile(const uint8_t* data, size_t size, ShapeList* out) {
  if (!out) return 0;
  Importer importer(size);
  MetafileInfo info;
  if (!ReadMetafile(data, size, &info, [&](const MetaRecord& r) { importer.OnRecord(r); })) {
    return 0;
  }
  importer.Normalise(info);
  importer.LogSkipped();
  // The list takes the shapes one by one; any it cannot take stay with the importer, which
  // deletes them.
  ShapeList& made = importer.shapes();
  int32_t result = 1;
  for (int32_t i = 0; i < made.Count() && result; ++i) {
    if (out->Append(made[i])) {
      made[i] = nullptr;
    } else {
      result = 0;
    }
  }
  return result;
}

int32_t ImportMetafile(const std::string& path, ShapeList* out) {
  std::vector<uint8_t> bytes;
  if (!ReadWhole(path, &bytes)) return 0;
  return ConvertMetafile(bytes.data(), bytes.size(), out);
}

int32_t ImportMetafileDrawing(Drawing& drawing, const std::string& path) {
  if (!ImportMetafile(path, &drawing.shapes())) {
    ShowError(Format("Can't import %s", path.c_str()));
    drawing.path.clear();
    return 0;
  }
  // The drawing is named after the metafile with the native extension.
  drawing.path = NativeFileName(path);
  drawing.SetModified();
  return 1;
}

int32_t InsertMetafile(Drawing& drawing, const std::string& path) {
  ShapeList list;
  if (!ImportMetafile(path, &list)) {
    ShowError(Format("An error has occurred while inserting drawing file\n%s", path.c_str()));
    return 0;
  }
  drawing.ClearSelection();
  for (int32_t i = 0; i < list.Count(); ++i) {
    if (!drawing.AddShape(list[i])) {
      delete list[i];
      continue;
    }
    drawing.Select(list[i]);
  }
  drawing.SetModified();
  return 1;
}
