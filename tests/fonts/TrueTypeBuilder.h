// Builds small TrueType files in memory for the converter tests: tables are given as bytes and
// laid out (sorted by tag, 4-byte aligned) behind a correct offset table and directory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ttb {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, int v) {
  b.push_back(uint8_t(v >> 8));
  b.push_back(uint8_t(v));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, int(v >> 16));
  Put16(b, int(v & 0xFFFF));
}
inline void PutTag(Bytes& b, const std::string& tag) { b.insert(b.end(), tag.begin(), tag.end()); }

struct Point {
  int x;
  int y;
  bool on;
};
using Contour = std::vector<Point>;

struct Component {
  int glyph;
  int dx;
  int dy;
  unsigned flags = 0x0002;  // 0x0002: dx, dy are offsets; 0x0001 and 0x0020 are set here
  int scale = 0;            // F2Dot14 uniform scale when not 0
};

// A simple glyph with 16-bit coordinates and no repeated flags.
inline Bytes SimpleGlyph(const std::vector<Contour>& contours) {
  Bytes g;
  int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  bool first = true;
  for (const Contour& c : contours) {
    for (const Point& p : c) {
      if (first || p.x < xMin) xMin = p.x;
      if (first || p.y < yMin) yMin = p.y;
      if (first || p.x > xMax) xMax = p.x;
      if (first || p.y > yMax) yMax = p.y;
      first = false;
    }
  }
  Put16(g, int(contours.size()));
  Put16(g, xMin);
  Put16(g, yMin);
  Put16(g, xMax);
  Put16(g, yMax);
  int end = -1;
  for (const Contour& c : contours) {
    end += int(c.size());
    Put16(g, end);
  }
  Put16(g, 0);  // no instructions
  for (const Contour& c : contours) {
    for (const Point& p : c) g.push_back(p.on ? 1 : 0);
  }
  int last = 0;
  for (const Contour& c : contours) {
    for (const Point& p : c) {
      Put16(g, p.x - last);
      last = p.x;
    }
  }
  last = 0;
  for (const Contour& c : contours) {
    for (const Point& p : c) {
      Put16(g, p.y - last);
      last = p.y;
    }
  }
  if (g.size() % 2) g.push_back(0);
  return g;
}

inline Bytes CompositeGlyph(const std::vector<Component>& parts) {
  Bytes g;
  Put16(g, -1);
  for (int i = 0; i < 4; ++i) Put16(g, 0);
  for (size_t i = 0; i < parts.size(); ++i) {
    unsigned flags = parts[i].flags | 0x0001;
    if (i + 1 < parts.size()) flags |= 0x0020;
    if (parts[i].scale) flags |= 0x0008;
    Put16(g, int(flags));
    Put16(g, parts[i].glyph);
    Put16(g, parts[i].dx);
    Put16(g, parts[i].dy);
    if (parts[i].scale) Put16(g, parts[i].scale);
  }
  return g;
}

struct FontPlan {
  int unitsPerEm = 1000;
  int bbox[4] = {0, -200, 1000, 800};
  bool longLoca = true;
  int indexToLocFormat = -1;  // -1: from longLoca
  std::vector<Bytes> glyphs;
  std::vector<int> advances;  // hmtx long metrics; glyphs past the end use the last one
  // 'post': format 2.0 with these names (standard Macintosh names become indices), or
  // format 3.0 when postFormat3 is set.
  std::vector<std::string> glyphNames;
  bool postFormat3 = false;
  std::string psName = "TestFont";
  std::string fullName = "Test Font";
  std::string notice;
  std::string trademark;
  bool withHinting = true;  // 'cvt ', 'fpgm' and 'prep'
  uint32_t italicAngle = 0;
  std::map<int, int> cmap;  // character -> glyph, as a (3,1) format 4 'cmap' when not empty
  std::map<std::string, Bytes> extraTables;  // added or replacing the built ones
  std::vector<std::string> dropTables;
};

inline int MacIndex(const std::string& name) {
  static const char* const kSome[] = {".notdef", ".null", "nonmarkingreturn", "space"};
  for (int i = 0; i < 4; ++i) {
    if (name == kSome[i]) return i;
  }
  if (name.size() == 1 && name[0] >= 'A' && name[0] <= 'Z') return 36 + (name[0] - 'A');
  if (name.size() == 1 && name[0] >= 'a' && name[0] <= 'z') return 68 + (name[0] - 'a');
  return -1;
}

inline void BuildTables(const FontPlan& plan, std::map<std::string, Bytes>* tables) {
  std::map<std::string, Bytes>& t = *tables;
  size_t numGlyphs = plan.glyphs.size();
  // glyf and loca
  Bytes glyf, loca;
  for (size_t i = 0; i <= numGlyphs; ++i) {
    if (plan.longLoca) {
      Put32(loca, uint32_t(glyf.size()));
    } else {
      Put16(loca, int(glyf.size() / 2));
    }
    if (i < numGlyphs) glyf.insert(glyf.end(), plan.glyphs[i].begin(), plan.glyphs[i].end());
  }
  t["glyf"] = glyf;
  t["loca"] = loca;

  Bytes head;
  Put32(head, 0x00010000);
  Put32(head, 0x00010000);  // fontRevision 1.0
  Put32(head, 0);           // checkSumAdjustment
  Put32(head, 0x5F0F3CF5);
  Put16(head, 0);  // flags
  Put16(head, plan.unitsPerEm);
  for (int i = 0; i < 16; ++i) head.push_back(0);  // created, modified
  for (int v : plan.bbox) Put16(head, v);
  Put16(head, 0);  // macStyle
  Put16(head, 8);  // lowestRecPPEM
  Put16(head, 2);  // fontDirectionHint
  Put16(head, plan.indexToLocFormat >= 0 ? plan.indexToLocFormat : plan.longLoca ? 1 : 0);
  Put16(head, 0);  // glyphDataFormat
  t["head"] = head;

  Bytes hhea;
  Put32(hhea, 0x00010000);
  for (int i = 0; i < 15; ++i) Put16(hhea, 0);
  Put16(hhea, int(plan.advances.size()));
  t["hhea"] = hhea;

  Bytes hmtx;
  for (int a : plan.advances) {
    Put16(hmtx, a);
    Put16(hmtx, 0);
  }
  for (size_t i = plan.advances.size(); i < numGlyphs; ++i) Put16(hmtx, 0);
  t["hmtx"] = hmtx;

  Bytes maxp;
  Put32(maxp, 0x00010000);
  Put16(maxp, int(numGlyphs));
  for (int i = 0; i < 13; ++i) Put16(maxp, 0);
  t["maxp"] = maxp;

  Bytes post;
  Put32(post, plan.postFormat3 ? 0x00030000 : 0x00020000);
  Put32(post, plan.italicAngle);
  Put16(post, -100);  // underlinePosition
  Put16(post, 50);    // underlineThickness
  Put32(post, 0);     // isFixedPitch
  for (int i = 0; i < 4; ++i) Put32(post, 0);
  if (!plan.postFormat3) {
    Put16(post, int(numGlyphs));
    Bytes strings;
    int custom = 0;
    for (size_t i = 0; i < numGlyphs; ++i) {
      std::string name = i < plan.glyphNames.size() ? plan.glyphNames[i] : ".notdef";
      int mac = MacIndex(name);
      if (mac >= 0) {
        Put16(post, mac);
      } else {
        Put16(post, 258 + custom++);
        strings.push_back(uint8_t(name.size()));
        strings.insert(strings.end(), name.begin(), name.end());
      }
    }
    post.insert(post.end(), strings.begin(), strings.end());
  }
  t["post"] = post;

  // 'name': Macintosh records only.
  std::vector<std::pair<int, std::string>> names = {
      {1, plan.fullName}, {2, "Regular"}, {4, plan.fullName}, {5, "Version 1.0"}, {6, plan.psName}};
  if (!plan.notice.empty()) names.insert(names.begin(), {0, plan.notice});
  if (!plan.trademark.empty()) names.push_back({7, plan.trademark});
  Bytes name, strings;
  Put16(name, 0);
  Put16(name, int(names.size()));
  Put16(name, int(6 + 12 * names.size()));
  for (auto& [id, text] : names) {
    Put16(name, 1);
    Put16(name, 0);
    Put16(name, 0);
    Put16(name, id);
    Put16(name, int(text.size()));
    Put16(name, int(strings.size()));
    strings.insert(strings.end(), text.begin(), text.end());
  }
  name.insert(name.end(), strings.begin(), strings.end());
  t["name"] = name;

  if (!plan.cmap.empty()) {
    // One segment per character (idDelta maps it), then the closing 0xFFFF segment.
    std::vector<std::pair<int, int>> segs(plan.cmap.begin(), plan.cmap.end());
    segs.push_back({0xFFFF, 0});
    int n = int(segs.size());
    Bytes sub;
    Put16(sub, 4);
    Put16(sub, 16 + 8 * n);
    Put16(sub, 0);
    Put16(sub, 2 * n);
    Put16(sub, 0);
    Put16(sub, 0);
    Put16(sub, 0);
    for (auto& [c, g] : segs) Put16(sub, c);
    Put16(sub, 0);
    for (auto& [c, g] : segs) Put16(sub, c);
    for (auto& [c, g] : segs) Put16(sub, c == 0xFFFF ? 1 : (g - c) & 0xFFFF);
    for (int i = 0; i < n; ++i) Put16(sub, 0);
    Bytes cmap;
    Put16(cmap, 0);
    Put16(cmap, 1);
    Put16(cmap, 3);
    Put16(cmap, 1);
    Put32(cmap, 12);
    cmap.insert(cmap.end(), sub.begin(), sub.end());
    t["cmap"] = cmap;
  }
  if (plan.withHinting) {
    t["cvt "] = Bytes{0, 10, 0, 20};
    t["fpgm"] = Bytes{0xB0, 0x00};
    t["prep"] = Bytes{0xB0, 0x01, 0x00};
  }
  for (auto& [tag, bytes] : plan.extraTables) t[tag] = bytes;
  for (const std::string& tag : plan.dropTables) t.erase(tag);
}

inline uint32_t Checksum(const Bytes& b) {
  uint32_t sum = 0;
  for (size_t i = 0; i < b.size(); i += 4) {
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v = v << 8 | (i + k < b.size() ? b[i + k] : 0);
    sum += v;
  }
  return sum;
}

// The whole font file; `tables` (optional) receives the table bytes as laid out.
inline Bytes BuildFont(const FontPlan& plan, std::map<std::string, Bytes>* tablesOut = nullptr) {
  std::map<std::string, Bytes> tables;
  BuildTables(plan, &tables);
  Bytes font;
  Put32(font, 0x00010000);
  int n = int(tables.size());
  int power = 1, selector = 0;
  while (power * 2 <= n) {
    power *= 2;
    ++selector;
  }
  Put16(font, n);
  Put16(font, 16 * power);
  Put16(font, selector);
  Put16(font, 16 * n - 16 * power);
  uint32_t offset = uint32_t(12 + 16 * n);
  for (auto& [tag, bytes] : tables) {
    PutTag(font, tag);
    Put32(font, Checksum(bytes));
    Put32(font, offset);
    Put32(font, uint32_t(bytes.size()));
    offset += uint32_t((bytes.size() + 3) & ~size_t(3));
  }
  for (auto& [tag, bytes] : tables) {
    font.insert(font.end(), bytes.begin(), bytes.end());
    while (font.size() % 4) font.push_back(0);
  }
  if (tablesOut) *tablesOut = tables;
  return font;
}

// Two glyphs (.notdef empty, "A" a triangle) and an empty "space".
inline FontPlan SmallFont() {
  FontPlan plan;
  plan.glyphs.push_back({});
  plan.glyphs.push_back(SimpleGlyph({{{0, 0, true}, {250, 700, true}, {500, 0, true}}}));
  plan.glyphs.push_back({});
  plan.glyphNames = {".notdef", "A", "space"};
  plan.advances = {500, 600, 250};
  return plan;
}

}  // namespace ttb
