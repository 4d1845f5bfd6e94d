#include "output/MetafileImport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TabExpansion.h"
#include "model/TextMetrics.h"
#include "model/TextShape.h"
#include "output/InsertCommands.h"
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
  void OnRecord(const MetaRecord& r);
  ShapeList& shapes() { return made_; }
  void Normalise(const MetafileInfo& info);
  ~Importer() { DestroyShapes(&made_); }

 private:
  double ScaleX() const { return s_.viewportExtX / s_.windowExtX; }
  double ScaleY() const { return s_.viewportExtY / s_.windowExtY; }
  float MapX(double x) const { return float(ScaleX() * (x - s_.windowOrgX) + s_.viewportOrgX); }
  float MapY(double y) const { return float(ScaleY() * (y - s_.windowOrgY) + s_.viewportOrgY); }
  void Add(Shape* shape);
  void AddWithStyle(Shape* shape) {
    if (!shape) return;
    shape->SetPaintStyle(s_.style);
    Add(shape);
  }
  void Select(uint32_t handle);
  void Polygons(const MetaRecord& r, bool polyline);
  void Text(const MetaRecord& r);

  ImportState s_;
  std::vector<ImportState> saved_;
  size_t overflow_ = 0;
  std::map<uint32_t, Entry> table_;
  ShapeList made_;
};

void Importer::Add(Shape* shape) {
  if (!made_.Append(shape)) delete shape;
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
    if (count >= 2) {
      auto* shape = new PolygonShape;
      bool ok = true;
      for (size_t i = 0; i < count && ok; ++i) {
        const MetaPoint& p = r.points[at + i];
        ok = shape->AddPoint(MapX(p.x), MapY(p.y)) != 0;
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
  shape->SetMatrix(c, -sn, -sn, -c, MapX(at.x), MapY(at.y));
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
      break;
    case MetaKind::kLineTo:
      AddWithStyle(new LineShape(MapX(s_.current.x), MapY(s_.current.y), MapX(r.x), MapY(r.y)));
      s_.current = MetaPoint{r.x, r.y};
      break;
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
      e.width = style == 0 ? float(std::fabs(r.width * ScaleX())) : 1.0f;
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
      e.size = float(r.font.height * std::fabs(ScaleY()));
      table_[r.handle] = e;
      break;
    }
    case MetaKind::kSelectObject:
      Select(r.handle);
      break;
    case MetaKind::kDeleteObject:
      table_.erase(r.handle);
      break;
    case MetaKind::kEllipse: {
      const float x1 = MapX(r.left), y1 = MapY(r.top), x2 = MapX(r.right), y2 = MapY(r.bottom);
      AddWithStyle(new OvalShape((x1 + x2) / 2, (y1 + y2) / 2, std::trunc(std::fabs(x2 - x1) / 2),
                                 std::trunc(std::fabs(y2 - y1) / 2)));
      break;
    }
    case MetaKind::kRectangle:
    case MetaKind::kRoundRect:
      AddWithStyle(new BoxShape(MapX(r.left), MapY(r.top), MapX(r.right), MapY(r.bottom)));
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
      break;
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
    if (std::isfinite(f) && f > 0) ScaleAll(made_, f, f);
    e = BoundsOfList(made_, 0);
    width = e.x2 - e.x1;
    height = e.y2 - e.y1;
  }
  MoveAll(made_, 306 - (width / 2 + e.x1), 396 - (height / 2 + e.y1));
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
  Importer importer;
  MetafileInfo info;
  if (!ReadMetafile(data, size, &info, [&](const MetaRecord& r) { importer.OnRecord(r); })) {
    return 0;
  }
  importer.Normalise(info);
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
