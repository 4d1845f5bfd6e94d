// Builds small TrueType files in memory for the converter tests: tables are given as bytes and
// laid out (sorted by tag, 4-byte aligned) behind a correct offset table and directory.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace ttb {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, int v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }
inline void Put16s(Bytes& b, std::initializer_list<int> vs) {
  for (int v : vs) Put16(b, v);
}
inline void Put32(Bytes& b, uint32_t v) { Put16s(b, {int(v >> 16), int(v & 0xFFFF)}); }

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
  std::vector<Point> all;
  for (const Contour& c : contours) all.insert(all.end(), c.begin(), c.end());
  int box[4] = {0, 0, 0, 0};
  if (!all.empty()) box[0] = box[2] = all[0].x, box[1] = box[3] = all[0].y;
  for (const Point& p : all) {
    box[0] = std::min(box[0], p.x), box[1] = std::min(box[1], p.y);
    box[2] = std::max(box[2], p.x), box[3] = std::max(box[3], p.y);
  }
  Bytes g;
  Put16s(g, {int(contours.size()), box[0], box[1], box[2], box[3]});
  int end = -1;
  for (const Contour& c : contours) Put16(g, end += int(c.size()));
  Put16(g, 0);  // no instructions
  for (const Point& p : all) g.push_back(p.on ? 1 : 0);
  int last = 0;
  for (const Point& p : all) Put16(g, p.x - last), last = p.x;
  last = 0;
  for (const Point& p : all) Put16(g, p.y - last), last = p.y;
  if (g.size() % 2) g.push_back(0);
  return g;
}

inline Bytes CompositeGlyph(const std::vector<Component>& parts) {
  Bytes g;
  Put16s(g, {-1, 0, 0, 0, 0});
  for (size_t i = 0; i < parts.size(); ++i) {
    const Component& c = parts[i];
    unsigned flags = c.flags | 0x0001 | (i + 1 < parts.size() ? 0x0020 : 0) | (c.scale ? 8 : 0);
    Put16s(g, {int(flags), c.glyph, c.dx, c.dy});
    if (c.scale) Put16(g, c.scale);
  }
  return g;
}

struct FontPlan {
  int unitsPerEm = 1000;
  int bbox[4] = {0, -200, 1000, 800};
  int indexToLocFormat = 1;  // as 'head' says; 'loca' is always written long
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
  std::string windowsPsName;  // with the full name, as Windows English records when not empty
  bool withHinting = true;    // 'cvt ', 'fpgm' and 'prep'
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
  int numGlyphs = int(plan.glyphs.size());
  Bytes glyf, loca;
  for (int i = 0; i <= numGlyphs; ++i) {
    Put32(loca, uint32_t(glyf.size()));
    if (i < numGlyphs) glyf.insert(glyf.end(), plan.glyphs[i].begin(), plan.glyphs[i].end());
  }
  t["glyf"] = glyf;
  t["loca"] = loca;

  Bytes& head = t["head"];  // version, revision, checkSumAdjustment, magic
  Put16s(head, {1, 0, 1, 0, 0, 0, 0x5F0F, 0x3CF5, 0, plan.unitsPerEm, 0, 0, 0, 0, 0, 0, 0, 0});
  for (int v : plan.bbox) Put16(head, v);
  Put16s(head, {0, 8, 2, plan.indexToLocFormat, 0});  // macStyle, lowestRecPPEM, direction, loca

  Bytes& hhea = t["hhea"] = Bytes(34, 0);  // version 1.0, then zeros up to the metrics count
  hhea[1] = 1;
  Put16(hhea, int(plan.advances.size()));

  Bytes& hmtx = t["hmtx"];
  for (int a : plan.advances) Put16s(hmtx, {a, 0});
  for (int i = int(plan.advances.size()); i < numGlyphs; ++i) Put16(hmtx, 0);

  Bytes& maxp = t["maxp"] = Bytes{0, 1, 0, 0};
  Put16(maxp, numGlyphs);
  maxp.resize(32);

  Bytes& post = t["post"];
  Put32(post, plan.postFormat3 ? 0x00030000 : 0x00020000);
  Put32(post, plan.italicAngle);
  Put16s(post, {-100, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // underline, fixed pitch, memory
  if (!plan.postFormat3) {
    Put16(post, numGlyphs);
    Bytes strings;
    int custom = 0;
    for (int i = 0; i < numGlyphs; ++i) {
      std::string name = size_t(i) < plan.glyphNames.size() ? plan.glyphNames[i] : ".notdef";
      int mac = MacIndex(name);
      Put16(post, mac >= 0 ? mac : 258 + custom++);
      if (mac >= 0) continue;
      strings.push_back(uint8_t(name.size()));
      strings.insert(strings.end(), name.begin(), name.end());
    }
    post.insert(post.end(), strings.begin(), strings.end());
  }

  // 'name': Macintosh records, then any Windows ones (UTF-16BE).
  std::vector<std::tuple<int, int, std::string>> names = {{1, 1, plan.fullName},
                                                          {1, 2, "Regular"},
                                                          {1, 4, plan.fullName},
                                                          {1, 5, "Version 1.0"},
                                                          {1, 6, plan.psName}};
  if (!plan.notice.empty()) names.insert(names.begin(), {1, 0, plan.notice});
  if (!plan.trademark.empty()) names.push_back({1, 7, plan.trademark});
  if (!plan.windowsPsName.empty())
    names.insert(names.end(), {{3, 1, plan.fullName}, {3, 6, plan.windowsPsName}});
  Bytes& name = t["name"];
  Bytes strings;
  Put16s(name, {0, int(names.size()), int(6 + 12 * names.size())});
  for (auto& [platform, id, text] : names) {
    const bool wide = platform == 3;
    Put16s(name, {platform, wide ? 1 : 0, wide ? 0x409 : 0, id, int(text.size()) * (wide ? 2 : 1),
                  int(strings.size())});
    for (char c : text) wide ? Put16(strings, uint8_t(c)) : strings.push_back(uint8_t(c));
  }
  name.insert(name.end(), strings.begin(), strings.end());

  if (!plan.cmap.empty()) {
    // One segment per character (idDelta maps it), then the closing 0xFFFF segment.
    std::vector<std::pair<int, int>> segs(plan.cmap.begin(), plan.cmap.end());
    segs.push_back({0xFFFF, 0});
    int n = int(segs.size());
    Bytes& cmap = t["cmap"];
    Put16s(cmap, {0, 1, 3, 1, 0, 12, 4, 16 + 8 * n, 0, 2 * n, 0, 0, 0});
    for (auto& [c, g] : segs) Put16(cmap, c);
    Put16(cmap, 0);
    for (auto& [c, g] : segs) Put16(cmap, c);
    for (auto& [c, g] : segs) Put16(cmap, c == 0xFFFF ? 1 : (g - c) & 0xFFFF);
    for (int i = 0; i < n; ++i) Put16(cmap, 0);
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
  int n = int(tables.size()), power = 1, selector = 0;
  while (power * 2 <= n) power *= 2, ++selector;
  Bytes font;
  Put32(font, 0x00010000);
  Put16s(font, {n, 16 * power, selector, 16 * n - 16 * power});
  uint32_t offset = uint32_t(12 + 16 * n);
  for (auto& [tag, bytes] : tables) {
    font.insert(font.end(), tag.begin(), tag.end());
    Put32(font, Checksum(bytes));
    Put32(font, offset);
    Put32(font, uint32_t(bytes.size()));
    offset += uint32_t((bytes.size() + 3) & ~size_t(3));
  }
  for (auto& [tag, bytes] : tables) {
    font.insert(font.end(), bytes.begin(), bytes.end());
    font.resize((font.size() + 3) & ~size_t(3), 0);
  }
  if (tablesOut) *tablesOut = tables;
  return font;
}

// Two glyphs (.notdef empty, "A" a triangle) and an empty "space".
inline FontPlan SmallFont() {
  FontPlan plan;
  plan.glyphs = {{}, SimpleGlyph({{{0, 0, true}, {250, 700, true}, {500, 0, true}}}), {}};
  plan.glyphNames = {".notdef", "A", "space"};
  plan.advances = {500, 600, 250};
  return plan;
}

// The small font with one change made to its plan, built.
inline Bytes SmallFontWith(void (*change)(FontPlan&)) {
  FontPlan plan = SmallFont();
  change(plan);
  return BuildFont(plan);
}

}  // namespace ttb
