#include "fonts/Type3Converter.h"

#include <cstdio>

#include "model/DebugLog.h"

namespace {

// Glyphs with more points than this are split into sub-procedures.
constexpr int kSplitPoints = 25;
// Operands one sub-procedure may collect before the next one starts.
constexpr int kProcedureOperands = 100;
// Component nesting beyond this (or a component that leads back to its own glyph) would
// recurse without end in the interpreter; such components are left out.
constexpr int kMaxNesting = 16;
constexpr int kTooDeep = 1 << 20;
// Pairing inner contours with outer ones costs inner contours x outer points; a glyph past
// this budget keeps its contours in file order, which the even-odd fill draws the same.
constexpr uint64_t kPairingBudget = 1u << 22;

// Composite glyph flags (TrueType 'glyf' table).
constexpr unsigned kArgsAreWords = 0x0001;
constexpr unsigned kArgsAreXY = 0x0002;
constexpr unsigned kHaveScale = 0x0008;
constexpr unsigned kMoreComponents = 0x0020;
constexpr unsigned kHaveXYScale = 0x0040;
constexpr unsigned kHaveTwoByTwo = 0x0080;

const char kTrailer[] =
    "\r\n"
    "/BuildGlyph\r\n"
    " {exch begin\r\n"
    " CharStrings exch\r\n"
    " 2 copy known not{pop /.notdef}if\r\n"
    " true 3 1 roll get exec\r\n"
    " end}_d\r\n"
    "\r\n"
    "/BuildChar {\r\n"
    " 1 index /Encoding get exch get\r\n"
    " 1 index /BuildGlyph get exec\r\n"
    "}_d\r\n"
    "\r\n"
    "FontName currentdict end definefont pop\r\n"
    "%%EOF\r\n";

}  // namespace

int32_t Type3Converter::convert(const void* data, size_t length, OutputSink* sink) {
  if (!ReadFontStart(data, length, sink, true)) return 0;
  // The outline tables are checked before anything is written, so a font that cannot be
  // converted leaves nothing behind in the document.
  ByteView hhea;
  if (!GetTable("hhea", &hhea)) return 0;
  if (hhea.n < 36) {
    DebugLog("TrueType font may be corrupt (reason 4)");
    return 0;
  }
  numberOfHMetrics_ = hhea.U16(34);
  if (!GetTable("loca", &loca_) || !GetTable("glyf", &glyf_) || !GetTable("hmtx", &hmtx_)) {
    return 0;
  }
  locaEntries_ = indexToLocFormat_ ? loca_.n / 4 : loca_.n / 2;
  reportedCorrupt_ = false;
  counter_ = 0;

  WriteHeader();
  WriteFontInfo();
  WriteCharStrings();
  Out(kTrailer);
  Flush();
  loca_ = glyf_ = hmtx_ = {};
  return 1;
}

void Type3Converter::WriteHeader() {
  Out("%!PS-Adobe-3.0 Resource-Font\r\n");
  OutF("%%%%Title: %s\r\n", CommentText(fullName_).c_str());
  if (notice_) OutF("%%%%Copyright: %s\r\n", CommentText(*notice_).c_str());
  Out("%%Creator: Converted from TrueType by Ondara Draw\r\n");
  Out("25 dict begin\r\n");
  Out("/_d{bind def}bind def\r\n");
  Out("/_m{moveto}_d\r\n");
  Out("/_l{lineto}_d\r\n");
  Out("/_cl{closepath eofill}_d\r\n");
  Out("/_c{curveto}_d\r\n");
  Out("/_sc{7 -1 roll{setcachedevice}{pop pop pop pop pop pop}ifelse}_d\r\n");
  Out("/_e{exec}_d\r\n");
  OutF("/FontName /%s def\r\n", NameToken(psName_).c_str());
  Out("/PaintType 0 def\r\n");
  Out("/FontMatrix[.001 0 0 .001 0 0]def\r\n");
  OutF("/FontBBox[%d %d %d %d]def\r\n", fontBBox_[0], fontBBox_[1], fontBBox_[2], fontBBox_[3]);
  Out("/FontType 3 def\r\n");
  Out("/Encoding StandardEncoding def\r\n");
}

void Type3Converter::WriteCharStrings() {
  int count = numGlyphs_;
  if (PostIsFormat2()) {
    names_ = GlyphNames();
  } else {
    DebugLog("TrueType font does not have a format 2.0 'post' table");
    // Without glyph names only .notdef and the characters the 'cmap' knows can be defined;
    // that keeps the font usable (BuildGlyph falls back to .notdef) instead of failing on
    // the first character.
    count = MaxpGlyphCount();
    names_.assign(size_t(count > 0 ? count : 1), std::string());
    names_[0] = ".notdef";
  }
  std::vector<std::pair<std::string, int>> aliases = CharacterAliases(names_, count);
  std::vector<std::pair<std::string, int>> extra;  // a second name for an already named glyph
  for (auto& alias : aliases) {
    std::string& name = names_[size_t(alias.second)];
    if (name.empty()) {
      name = alias.first;
    } else {
      extra.push_back(alias);
    }
  }
  bool hasNotdef = false;
  size_t entries = extra.size();
  for (const std::string& n : names_) {
    hasNotdef = hasNotdef || n == ".notdef";
    entries += n.empty() ? 0 : 1;
  }
  depthState_.assign(names_.size(), 0);
  depth_.assign(names_.size(), 0);

  OutF("/CharStrings %d dict dup begin\r\n", int(entries) + (hasNotdef ? 0 : 1));
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i].empty()) continue;
    out_ += '/';
    out_ += names_[i];
    out_ += '{';
    WriteGlyph(int(i));
    out_ += "}_d\r\n";
    if (out_.size() >= 16384) Flush();
  }
  for (auto& [name, glyph] : extra) {
    OutF("/%s /%s load def\r\n", name.c_str(), names_[size_t(glyph)].c_str());
  }
  if (!hasNotdef) {
    // BuildGlyph looks up .notdef for every character the font lacks.
    out_ += "/.notdef{";
    WriteGlyph(0);
    out_ += "}_d\r\n";
  }
  Out("end readonly def\r\n");
}

void Type3Converter::ReportCorrupt() {
  if (reportedCorrupt_) return;  // once per font, not once per glyph
  reportedCorrupt_ = true;
  DebugLog("TrueType font \"%s\" may be corrupt (reason 6)", FullName());
}

bool Type3Converter::GlyphData(int glyph, ByteView* out) const {
  *out = {};
  size_t i = size_t(glyph);
  if (i + 1 >= locaEntries_) return false;
  uint64_t start = indexToLocFormat_ ? loca_.U32(4 * i) : 2u * loca_.U16(2 * i);
  uint64_t end = indexToLocFormat_ ? loca_.U32(4 * i + 4) : 2u * loca_.U16(2 * i + 2);
  if (end < start || end > glyf_.n) return false;
  *out = glyf_.Sub(size_t(start), size_t(end - start));
  return true;
}

int Type3Converter::AdvanceWidth(int glyph) const {
  if (numberOfHMetrics_ <= 0) return 0;
  int entry = glyph < numberOfHMetrics_ ? glyph : numberOfHMetrics_ - 1;
  return hmtx_.U16(4 * size_t(entry));
}

void Type3Converter::Num(int v) {
  char buf[16];
  char* end = buf + sizeof buf;
  char* p = end;
  unsigned u = v < 0 ? 0u - unsigned(v) : unsigned(v);
  do {
    *--p = char('0' + u % 10);
    u /= 10;
  } while (u);
  if (v < 0) *--p = '-';
  out_.append(p, size_t(end - p));
}

void Type3Converter::Count(int n) {
  if (!split_) return;
  if (counter_ == 0) {
    out_ += '{';
    counter_ = 1;
  }
  counter_ += n;
  if (counter_ > kProcedureOperands) {
    out_ += "}_e{\r\n";
    counter_ = n + 3;
  }
}

void Type3Converter::WriteGlyph(int glyph) {
  ByteView g;
  if (!GlyphData(glyph, &g)) ReportCorrupt();
  int contours = 0;
  int box[4] = {0, 0, 0, 0};
  if (g.n >= 10) {
    contours = g.S16(0);
    for (int k = 0; k < 4; ++k) box[k] = g.S16(2 + 2 * size_t(k));
  } else if (g.n > 0) {
    ReportCorrupt();
  }
  numPoints_ = 0;
  if (contours > 0 && !ParseSimple(g, contours)) numPoints_ = 0;

  split_ = numPoints_ > kSplitPoints;
  counter_ = 0;
  Count(7);
  Num(Scale(AdvanceWidth(glyph)));
  out_ += " 0 ";
  for (int k = 0; k < 4; ++k) {
    Num(Scale(box[k]));
    out_ += ' ';
  }
  out_ += "_sc\r\n";

  if (contours > 0 && numPoints_ > 0) {
    OrderContours(contours);
    for (int c : order_) WriteContour(c == 0 ? 0 : ends_[size_t(c) - 1] + 1, ends_[size_t(c)]);
    Count(1);
    out_ += "_cl\r\n";
  } else if (contours < 0) {
    WriteComponents(glyph, g);
  }
  if (counter_ > 0) out_ += "}_e\r\n";
  counter_ = 0;
}

bool Type3Converter::ParseSimple(ByteView g, int contours) {
  size_t off = 10;
  size_t nc = size_t(contours);
  if (!g.Has(off, 2 * nc + 2)) {
    ReportCorrupt();
    return false;
  }
  ends_.resize(nc);
  for (size_t k = 0; k < nc; ++k) {
    ends_[k] = g.U16(off + 2 * k);
    if (k > 0 && ends_[k] <= ends_[k - 1]) {  // every contour holds at least one point
      ReportCorrupt();
      return false;
    }
  }
  off += 2 * nc;
  int n = ends_[nc - 1] + 1;
  size_t instructions = g.U16(off);
  off += 2;
  if (!g.Has(off, instructions)) {
    ReportCorrupt();
    return false;
  }
  off += instructions;

  flags_.resize(size_t(n));
  for (int x = 0; x < n;) {
    if (off >= g.n) {
      ReportCorrupt();
      return false;
    }
    uint8_t f = g.p[off++];
    flags_[size_t(x++)] = f;
    if (f & 8) {
      if (off >= g.n) {
        ReportCorrupt();
        return false;
      }
      int ct = g.p[off++];
      if (x + ct > n) {
        DebugLog("Error in flags x=%d, ct=%d, num_pts=%d", x, ct, n);
        return false;
      }
      while (ct-- > 0) flags_[size_t(x++)] = f;
    }
  }

  // Coordinates: a short (byte) delta with its sign in the "same" bit, no delta when the
  // "same" bit stands alone, else a signed 16-bit delta.
  auto coords = [&](std::vector<int>& out, uint8_t shortBit, uint8_t sameBit) {
    out.resize(size_t(n));
    int16_t v = 0;
    for (size_t i = 0; i < size_t(n); ++i) {
      uint8_t f = flags_[i];
      if (f & shortBit) {
        if (off >= g.n) return false;
        int d = g.p[off++];
        v = int16_t(v + ((f & sameBit) ? d : -d));
      } else if (!(f & sameBit)) {
        if (!g.Has(off, 2)) return false;
        v = int16_t(v + g.S16(off));
        off += 2;
      }
      out[i] = Scale(v);
    }
    return true;
  };
  if (!coords(x_, 2, 16) || !coords(y_, 4, 32)) {
    ReportCorrupt();
    return false;
  }
  numPoints_ = n;
  return true;
}

void Type3Converter::OrderContours(int contours) {
  size_t nc = size_t(contours);
  auto first = [this](size_t c) { return c == 0 ? 0 : ends_[c - 1] + 1; };
  areas_.assign(nc, 0.0);
  pair_.assign(nc, -1);
  written_.assign(nc, 0);
  order_.clear();

  // Shoelace sums: TrueType outer contours run clockwise, so theirs are negative.
  uint64_t outerPoints = 0;
  uint64_t inner = 0;
  for (size_t c = 0; c < nc; ++c) {
    int s = first(c), e = ends_[c];
    double sum = 0;
    for (int j = s; j <= e; ++j) {
      int k = j == e ? s : j + 1;
      sum += double(x_[size_t(j)]) * y_[size_t(k)] - double(x_[size_t(k)]) * y_[size_t(j)];
    }
    areas_[c] = sum;
    if (sum < 0) {
      outerPoints += uint64_t(e - s + 1);
    } else {
      ++inner;
    }
  }

  // Each inner contour belongs to the outer contour around its first point: the one whose
  // nearest point turns most gently to the right as seen from it.
  if (inner * outerPoints <= kPairingBudget) {
    for (size_t c = 0; c < nc; ++c) {
      if (areas_[c] < 0) continue;
      double px = x_[size_t(first(c))], py = y_[size_t(first(c))];
      double bestValue = 0;
      for (size_t o = 0; o < nc; ++o) {
        if (areas_[o] >= 0) continue;
        int s = first(o), e = ends_[o];
        int q = s;
        double bestDist = -1;
        for (int j = s; j <= e; ++j) {
          double dx = x_[size_t(j)] - px, dy = y_[size_t(j)] - py;
          double d = dx * dx + dy * dy;
          if (bestDist < 0 || d < bestDist) {
            bestDist = d;
            q = j;
          }
        }
        int before = q == s ? e : q - 1;
        int after = q == e ? s : q + 1;
        double ax = x_[size_t(before)] - px, ay = y_[size_t(before)] - py;
        double bx = x_[size_t(after)] - px, by = y_[size_t(after)] - py;
        double value = ax * by - bx * ay;
        if (value < 0 && (pair_[c] < 0 || value > bestValue)) {
          pair_[c] = int(o);
          bestValue = value;
        }
      }
    }
  }

  auto emit = [this](size_t c) {
    written_[c] = 1;
    order_.push_back(int(c));
  };
  emit(0);
  int current = areas_[0] < 0 ? 0 : pair_[0];
  size_t nextOuter = 0;
  for (;;) {
    if (current >= 0) {
      for (size_t c = 0; c < nc; ++c) {
        if (!written_[c] && areas_[c] >= 0 && pair_[c] == current) emit(c);
      }
    }
    while (nextOuter < nc && (written_[nextOuter] || areas_[nextOuter] >= 0)) ++nextOuter;
    if (nextOuter >= nc) break;
    emit(nextOuter);
    current = int(nextOuter);
  }
  // Inner contours that belong to no outer contour (or fonts with reversed contours) are
  // still part of the glyph.
  for (size_t c = 0; c < nc; ++c) {
    if (!written_[c]) emit(c);
  }
}

void Type3Converter::WriteContour(int s, int e) {
  auto point = [this](int i, const char* op) {
    Num(x_[size_t(i)]);
    out_ += ' ';
    Num(y_[size_t(i)]);
    out_ += op;
  };
  Count(3);
  point(s, " _m\r\n");
  int prevX = x_[size_t(s)], prevY = y_[size_t(s)];
  run_.clear();
  for (int i = s + 1; i <= e; ++i) {
    if (!(flags_[size_t(i)] & 1)) {
      run_.push_back(size_t(i));
      continue;
    }
    if (!run_.empty()) {
      WriteCurve(prevX, prevY, 0, run_.size(), x_[size_t(i)], y_[size_t(i)]);
      run_.clear();
    } else {
      Count(3);
      point(i, " _l\r\n");
    }
    prevX = x_[size_t(i)];
    prevY = y_[size_t(i)];
  }
  if (!run_.empty()) {
    WriteCurve(prevX, prevY, 0, run_.size(), x_[size_t(s)], y_[size_t(s)]);
    run_.clear();
  } else {
    Count(3);
    point(s, " _l\r\n");
  }
}

void Type3Converter::WriteCurve(int sx, int sy, size_t runStart, size_t runEnd, int ex, int ey) {
  for (size_t k = runStart; k < runEnd; ++k) {
    int qx = x_[run_[k]], qy = y_[run_[k]];
    int tx = ex, ty = ey;
    if (k + 1 < runEnd) {
      tx = (qx + x_[run_[k + 1]]) / 2;
      ty = (qy + y_[run_[k + 1]]) / 2;
    }
    // The quadratic segment S-Q-T raised to a cubic.
    int c1x = int((sx + 2.0 * qx) / 3), c1y = int((sy + 2.0 * qy) / 3);
    int c2x = int((tx + 2.0 * qx) / 3), c2y = int((ty + 2.0 * qy) / 3);
    Count(7);
    Num(c1x);
    out_ += ' ';
    Num(c1y);
    out_ += ' ';
    Num(c2x);
    out_ += ' ';
    Num(c2y);
    out_ += ' ';
    Num(tx);
    out_ += ' ';
    Num(ty);
    out_ += " _c\r\n";
    sx = tx;
    sy = ty;
  }
}

bool Type3Converter::ParseComponents(ByteView g, std::vector<Component>* out) const {
  out->clear();
  size_t off = 10;
  unsigned flags = 0;
  do {
    if (!g.Has(off, 4)) return false;
    Component c;
    flags = g.U16(off);
    c.flags = flags;
    c.glyph = g.U16(off + 2);
    off += 4;
    if (flags & kArgsAreWords) {
      if (!g.Has(off, 4)) return false;
      c.arg1 = g.S16(off);
      c.arg2 = g.S16(off + 2);
      off += 4;
    } else {
      if (!g.Has(off, 2)) return false;
      c.arg1 = int8_t(g.U8(off));
      c.arg2 = int8_t(g.U8(off + 1));
      off += 2;
    }
    auto f2dot14 = [&g](size_t at) { return g.S16(at) / 16384.0; };
    if (flags & kHaveScale) {
      if (!g.Has(off, 2)) return false;
      c.m[0] = c.m[3] = f2dot14(off);
      off += 2;
    } else if (flags & kHaveXYScale) {
      if (!g.Has(off, 4)) return false;
      c.m[0] = f2dot14(off);
      c.m[3] = f2dot14(off + 2);
      off += 4;
    } else if (flags & kHaveTwoByTwo) {
      if (!g.Has(off, 8)) return false;
      for (size_t k = 0; k < 4; ++k) c.m[k] = f2dot14(off + 2 * k);
      off += 8;
    }
    c.transformed = c.m[0] != 1 || c.m[1] != 0 || c.m[2] != 0 || c.m[3] != 1;
    out->push_back(c);
  } while (flags & kMoreComponents);
  return true;
}

int Type3Converter::NestingDepth(int glyph, int level) {
  if (level > kMaxNesting) return kTooDeep;
  size_t i = size_t(glyph);
  if (depthState_[i] == 2) return depth_[i];
  if (depthState_[i] == 1) return kTooDeep;  // leads back to itself
  depthState_[i] = 1;
  int depth = 0;
  ByteView g;
  std::vector<Component> parts;
  if (GlyphData(glyph, &g) && g.n >= 10 && g.S16(0) < 0) {
    ParseComponents(g, &parts);
    for (const Component& c : parts) {
      if (size_t(c.glyph) >= names_.size() || names_[size_t(c.glyph)].empty()) continue;
      int d = NestingDepth(c.glyph, level + 1);
      if (d + 1 > depth) depth = d >= kTooDeep ? kTooDeep : d + 1;
    }
  }
  depth_[i] = depth;
  depthState_[i] = 2;
  return depth;
}

void Type3Converter::WriteComponents(int glyph, ByteView g) {
  std::vector<Component> parts;
  if (!ParseComponents(g, &parts)) ReportCorrupt();
  for (const Component& c : parts) {
    // Only glyphs defined in CharStrings can be called, and none that calls this glyph back.
    if (size_t(c.glyph) >= names_.size() || names_[size_t(c.glyph)].empty() || c.glyph == glyph ||
        NestingDepth(c.glyph, 0) >= kMaxNesting) {
      continue;
    }
    bool saved = false;
    if (!(c.flags & kArgsAreXY)) {
      out_ += "% unimplemented shift, arg1=";
      Num(c.arg1);
      out_ += ", arg2=";
      Num(c.arg2);
      out_ += "\r\n";
    } else if (c.arg1 != 0 || c.arg2 != 0) {
      out_ += "gsave ";
      Num(Scale(c.arg1));
      out_ += ' ';
      Num(Scale(c.arg2));
      out_ += " translate\r\n";
      saved = true;
    }
    if (c.transformed) {
      // The component's own scale or 2x2 transform, applied beneath the offset as TrueType
      // does.
      char buf[96];
      std::snprintf(buf, sizeof buf, "[%.6g %.6g %.6g %.6g 0 0] concat\r\n", c.m[0], c.m[1], c.m[2],
                    c.m[3]);
      if (!saved) out_ += "gsave\r\n";
      out_ += buf;
      saved = true;
    }
    out_ += "false CharStrings /";
    out_ += names_[size_t(c.glyph)];
    out_ += " get exec\r\n";
    if (saved) out_ += "grestore\r\n";
  }
}
