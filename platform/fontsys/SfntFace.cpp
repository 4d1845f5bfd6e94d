#include "platform/fontsys/SfntFace.h"

#include <cstring>

#include "platform/fontsys/Cp1252.h"

namespace {

// Table lengths the readers accept. The minimums are the fields read; the maximums bound the
// copies (a 'cmap' or 'hmtx' of 65535 glyphs is far below them).
constexpr size_t kMaxSmallTable = 1u << 16;
constexpr size_t kMaxNameTable = 1u << 20;
constexpr size_t kMaxBigTable = 32u << 20;
constexpr size_t kHeadMin = 54;
constexpr size_t kHheaMin = 36;
constexpr size_t kMaxpMin = 6;
constexpr size_t kPostMin = 16;
// OS/2 version 0 as some older Apple fonts ship it: through usLastCharIndex.
constexpr size_t kOs2Min = 68;

constexpr size_t kMaxPostScriptName = 127;  // the original's 128-byte buffer less its NUL
constexpr size_t kMaxFaceName = 63;

constexpr uint16_t kPlatformUnicode = 0;
constexpr uint16_t kPlatformMac = 1;
constexpr uint16_t kPlatformWindows = 3;
constexpr uint16_t kLangUsEnglish = 0x409;
constexpr uint16_t kNameFamily = 1;
constexpr uint16_t kNamePostScript = 6;

// GDI's family bits (tmPitchAndFamily & 0xF0).
constexpr int kFamilyDontCare = 0x00;
constexpr int kFamilyRoman = 0x10;
constexpr int kFamilySwiss = 0x20;
constexpr int kFamilyModern = 0x30;
constexpr int kFamilyScript = 0x40;
constexpr int kFamilyDecorative = 0x50;

struct NameRecord {
  uint16_t platform, encoding, language, nameId;
  size_t offset, length;  // inside the table, checked
};

// The records of a 'name' table whose strings lie inside it.
std::vector<NameRecord> NameRecords(const std::vector<uint8_t>& t) {
  std::vector<NameRecord> out;
  uint16_t count, storage;
  if (!GetU16(t, 2, &count) || !GetU16(t, 4, &storage)) return out;
  for (size_t i = 0; i < count; ++i) {
    size_t at = 6 + i * 12;
    NameRecord r;
    uint16_t len, off;
    if (!GetU16(t, at, &r.platform) || !GetU16(t, at + 2, &r.encoding) ||
        !GetU16(t, at + 4, &r.language) || !GetU16(t, at + 6, &r.nameId) ||
        !GetU16(t, at + 8, &len) || !GetU16(t, at + 10, &off)) {
      break;
    }
    size_t start = size_t(storage) + off;
    if (start > t.size() || len > t.size() - start) continue;
    r.offset = start;
    r.length = len;
    out.push_back(r);
  }
  return out;
}

// UTF-16BE code units to code points; unpaired surrogates become U+FFFD.
std::vector<uint32_t> DecodeUtf16Be(const uint8_t* p, size_t length) {
  std::vector<uint32_t> out;
  size_t n = length / 2;
  for (size_t i = 0; i < n; ++i) {
    uint32_t u = uint32_t(p[2 * i] << 8 | p[2 * i + 1]);
    if (u >= 0xD800 && u < 0xDC00 && i + 1 < n) {
      uint32_t v = uint32_t(p[2 * i + 2] << 8 | p[2 * i + 3]);
      if (v >= 0xDC00 && v < 0xE000) {
        out.push_back(0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    out.push_back(u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
  }
  return out;
}

std::string FaceNameFrom(const std::vector<uint8_t>& t, const NameRecord& r) {
  std::string out;
  if (r.platform == kPlatformMac) {
    for (size_t i = 0; i < r.length; ++i) {
      uint8_t b = t[r.offset + i];
      // Mac Roman agrees with code page 1252 only in ASCII.
      out.push_back(b >= 0x20 && b < 0x7F ? char(b) : '?');
    }
  } else {
    for (uint32_t c : DecodeUtf16Be(t.data() + r.offset, r.length)) {
      uint8_t b = 0;
      out.push_back(c >= 0x20 && UnicodeToCp1252(c, &b) ? char(b) : '?');
    }
  }
  if (out.size() > kMaxFaceName) out.resize(kMaxFaceName);
  return out;
}

int MulDiv(int64_t a, int64_t b, int64_t c) {
  int64_t p = a * b;
  int64_t q = (p >= 0 ? p + c / 2 : p - c / 2) / c;
  return int(q);
}

// A 'cmap' subtable chosen for lookups.
struct Cmap {
  const std::vector<uint8_t>* table = nullptr;
  size_t base = 0;
  uint16_t format = 0;
  uint16_t platform = 0;
  uint16_t encoding = 0;
};

bool SubtableUsable(const std::vector<uint8_t>& t, size_t base, uint16_t* format) {
  if (!GetU16(t, base, format)) return false;
  switch (*format) {
    case 0: {
      uint16_t len;
      return GetU16(t, base + 2, &len) && t.size() - base >= 6 + 256;
    }
    case 4: {
      uint16_t segX2;
      if (!GetU16(t, base + 6, &segX2) || segX2 == 0 || (segX2 & 1)) return false;
      // endCode, pad, startCode, idDelta, idRangeOffset
      return t.size() - base >= 16 + size_t(segX2) * 4;
    }
    case 6: {
      uint16_t count;
      return GetU16(t, base + 8, &count) && t.size() - base >= 10 + size_t(count) * 2;
    }
    case 12: {
      uint32_t groups;
      if (!GetU32(t, base + 12, &groups)) return false;
      return (t.size() - base - 16) / 12 >= groups;
    }
    default:
      return false;
  }
}

// Preference of an encoding record: Unicode full repertoire, Unicode BMP, symbol, Mac Roman.
int CmapRank(uint16_t platform, uint16_t encoding, uint16_t format) {
  if (platform == kPlatformWindows && encoding == 10 && format == 12) return 6;
  if (platform == kPlatformUnicode && format == 12) return 5;
  if (platform == kPlatformWindows && encoding == 1) return 4;
  if (platform == kPlatformUnicode) return 3;
  if (platform == kPlatformWindows && encoding == 0) return 2;
  if (platform == kPlatformMac && encoding == 0) return 1;
  return 0;
}

bool ChooseCmap(const std::vector<uint8_t>& t, Cmap* cmap) {
  uint16_t count;
  if (!GetU16(t, 2, &count)) return false;
  int best = 0;
  for (size_t i = 0; i < count; ++i) {
    uint16_t platform, encoding, format;
    uint32_t off;
    if (!GetU16(t, 4 + i * 8, &platform) || !GetU16(t, 6 + i * 8, &encoding) ||
        !GetU32(t, 8 + i * 8, &off)) {
      return false;
    }
    if (off >= t.size() || !SubtableUsable(t, off, &format)) continue;
    int rank = CmapRank(platform, encoding, format);
    if (rank > best) {
      best = rank;
      *cmap = Cmap{&t, off, format, platform, encoding};
    }
  }
  return best > 0;
}

uint32_t LookupRaw(const Cmap& m, uint32_t code) {
  const std::vector<uint8_t>& t = *m.table;
  size_t b = m.base;
  uint16_t g16 = 0;
  switch (m.format) {
    case 0:
      return code < 256 ? t[b + 6 + code] : 0;
    case 6: {
      uint16_t first, count;
      if (!GetU16(t, b + 6, &first) || !GetU16(t, b + 8, &count)) return 0;
      if (code < first || code - first >= count) return 0;
      return GetU16(t, b + 10 + (code - first) * 2, &g16) ? g16 : 0;
    }
    case 4: {
      if (code > 0xFFFF) return 0;
      uint16_t segX2;
      GetU16(t, b + 6, &segX2);
      size_t ends = b + 14, starts = ends + segX2 + 2, deltas = starts + segX2,
             ranges = deltas + segX2;
      for (size_t s = 0; s < segX2; s += 2) {
        uint16_t end, start, delta, range;
        if (!GetU16(t, ends + s, &end) || code > end) continue;
        if (!GetU16(t, starts + s, &start) || code < start) return 0;
        if (!GetU16(t, deltas + s, &delta) || !GetU16(t, ranges + s, &range)) return 0;
        if (range == 0) return (code + delta) & 0xFFFF;
        size_t at = ranges + s + range + (code - start) * 2;
        if (!GetU16(t, at, &g16) || g16 == 0) return 0;
        return (g16 + delta) & 0xFFFF;
      }
      return 0;
    }
    case 12: {
      uint32_t groups;
      GetU32(t, b + 12, &groups);
      size_t lo = 0, hi = groups;
      while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        uint32_t start, end, glyph;
        size_t at = b + 16 + mid * 12;
        if (!GetU32(t, at, &start) || !GetU32(t, at + 4, &end) || !GetU32(t, at + 8, &glyph)) {
          return 0;
        }
        if (code < start) {
          hi = mid;
        } else if (code > end) {
          lo = mid + 1;
        } else {
          return glyph + (code - start);
        }
      }
      return 0;
    }
    default:
      return 0;
  }
}

// The glyph of a code page 1252 code, as GDI maps an ANSI font's characters.
uint32_t GlyphOfCode(const Cmap& m, uint8_t code) {
  uint32_t u = Cp1252ToUnicode(code);
  if (m.platform == kPlatformWindows && m.encoding == 0) {
    // Symbol fonts put their characters at U+F000 + code.
    uint32_t g = LookupRaw(m, 0xF000 + code);
    return g ? g : LookupRaw(m, code);
  }
  if (m.platform == kPlatformMac) return u < 0x80 ? LookupRaw(m, u) : 0;
  return LookupRaw(m, u);
}

// GDI's family from the OS/2 PANOSE digits, as Windows derives tmPitchAndFamily.
int FamilyBits(const std::vector<uint8_t>& os2, bool fixedPitch) {
  uint8_t familyType = 0, serifStyle = 0, proportion = 0;
  if (os2.empty()) return fixedPitch ? kFamilyModern : kFamilyDontCare;
  GetU8(os2, 32, &familyType);
  GetU8(os2, 33, &serifStyle);
  GetU8(os2, 35, &proportion);
  if (familyType == 3) return kFamilyScript;
  if (familyType == 4) return kFamilyDecorative;
  if (fixedPitch || proportion == 9) return kFamilyModern;
  if (serifStyle >= 2 && serifStyle <= 10) return kFamilyRoman;
  if (serifStyle >= 11 && serifStyle <= 15) return kFamilySwiss;
  return kFamilyDontCare;
}

}  // namespace

int ScaleToThousandths(int value, int unitsPerEm) { return MulDiv(value, 1000, unitsPerEm); }

bool IsValidPostScriptName(const std::string& name) {
  if (name.empty() || name.size() > kMaxPostScriptName) return false;
  for (char c : name) {
    if (c <= ' ' || c > '~' || std::strchr("()<>[]{}/%", c)) return false;
  }
  return true;
}

std::string PostScriptNameFromTable(const std::vector<uint8_t>& t) {
  std::vector<NameRecord> records = NameRecords(t);
  for (const NameRecord& r : records) {
    if (r.platform != kPlatformMac || r.nameId != kNamePostScript) continue;
    if (r.length < 1 || r.length > kMaxPostScriptName) continue;
    std::string name(reinterpret_cast<const char*>(t.data() + r.offset), r.length);
    if (IsValidPostScriptName(name)) return name;
  }
  for (const NameRecord& r : records) {
    if (r.platform != kPlatformWindows || r.nameId != kNamePostScript) continue;
    std::string name;
    for (uint32_t c : DecodeUtf16Be(t.data() + r.offset, r.length)) {
      name.push_back(c < 0x80 ? char(c) : '\0');  // anything else fails the check below
    }
    if (IsValidPostScriptName(name)) return name;
  }
  return "";
}

std::string FamilyNameFromTable(const std::vector<uint8_t>& t) {
  std::vector<NameRecord> records = NameRecords(t);
  const NameRecord* windows = nullptr;
  const NameRecord* english = nullptr;
  const NameRecord* mac = nullptr;
  for (const NameRecord& r : records) {
    if (r.nameId != kNameFamily || r.length == 0) continue;
    if (r.platform == kPlatformWindows) {
      if (!windows) windows = &r;
      if (!english && r.language == kLangUsEnglish) english = &r;
    } else if (r.platform == kPlatformMac && !mac) {
      mac = &r;
    }
  }
  const NameRecord* pick = english ? english : windows ? windows : mac;
  return pick ? FaceNameFrom(t, *pick) : "";
}

bool ReadSfntFace(const ByteSource& src, uint32_t faceIndex, SfntFaceData* face) {
  *face = SfntFaceData();
  SfntDirectory dir;
  if (!ReadSfntDirectory(src, faceIndex, &dir)) return false;
  if (!dir.Find(SfntTag('g', 'l', 'y', 'f')) || !dir.Find(SfntTag('l', 'o', 'c', 'a'))) {
    return false;
  }
  std::vector<uint8_t> head, hhea, maxp, hmtx, cmapTable, name, os2, post;
  if (!ReadSfntTable(src, dir, SfntTag('h', 'e', 'a', 'd'), kMaxSmallTable, &head) ||
      !ReadSfntTable(src, dir, SfntTag('h', 'h', 'e', 'a'), kMaxSmallTable, &hhea) ||
      !ReadSfntTable(src, dir, SfntTag('m', 'a', 'x', 'p'), kMaxSmallTable, &maxp) ||
      !ReadSfntTable(src, dir, SfntTag('h', 'm', 't', 'x'), kMaxBigTable, &hmtx) ||
      !ReadSfntTable(src, dir, SfntTag('c', 'm', 'a', 'p'), kMaxBigTable, &cmapTable) ||
      !ReadSfntTable(src, dir, SfntTag('n', 'a', 'm', 'e'), kMaxNameTable, &name)) {
    return false;
  }
  bool hasOs2 = dir.Find(SfntTag('O', 'S', '/', '2')) != nullptr;
  bool hasPost = dir.Find(SfntTag('p', 'o', 's', 't')) != nullptr;
  if (hasOs2 && (!ReadSfntTable(src, dir, SfntTag('O', 'S', '/', '2'), kMaxSmallTable, &os2) ||
                 os2.size() < kOs2Min)) {
    return false;
  }
  // Only the header of 'post' is read; its glyph names may be long.
  if (hasPost) {
    const SfntTableRecord* p = dir.Find(SfntTag('p', 'o', 's', 't'));
    if (p->length < kPostMin) return false;
    post.resize(kPostMin);
    if (!src.Read(p->offset, kPostMin, post.data())) return false;
  }
  if (head.size() < kHeadMin || hhea.size() < kHheaMin || maxp.size() < kMaxpMin) return false;

  uint16_t unitsPerEm, macStyle, numberOfHMetrics, numGlyphs;
  int16_t xMin, yMin, xMax, yMax, locFormat, ascender, descender;
  GetU16(head, 18, &unitsPerEm);
  GetI16(head, 36, &xMin);
  GetI16(head, 38, &yMin);
  GetI16(head, 40, &xMax);
  GetI16(head, 42, &yMax);
  GetU16(head, 44, &macStyle);
  GetI16(head, 50, &locFormat);
  GetI16(hhea, 4, &ascender);
  GetI16(hhea, 6, &descender);
  GetU16(hhea, 34, &numberOfHMetrics);
  GetU16(maxp, 4, &numGlyphs);
  if (unitsPerEm < 16 || unitsPerEm > 16384 || (locFormat != 0 && locFormat != 1)) return false;
  if (numGlyphs == 0 || numberOfHMetrics == 0 || hmtx.size() / 4 < numberOfHMetrics) {
    return false;
  }
  Cmap cmap;
  if (!ChooseCmap(cmapTable, &cmap)) return false;

  face->familyName = FamilyNameFromTable(name);
  face->postScriptName = PostScriptNameFromTable(name);
  if (hasOs2) {
    uint16_t weight, fsSelection;
    GetU16(os2, 4, &weight);
    GetU16(os2, 62, &fsSelection);
    if (weight >= 1 && weight <= 9) weight = uint16_t(weight * 100);  // the old 1-9 scale
    face->weight = weight ? weight : (macStyle & 1) ? 700 : 400;
    face->italic = fsSelection & 1;
  } else {
    face->weight = (macStyle & 1) ? 700 : 400;
    face->italic = macStyle & 2;
  }

  FaceMetrics& m = face->metrics;
  int em = unitsPerEm;
  m.ascent = ScaleToThousandths(ascender, em);
  m.descent = ScaleToThousandths(descender, em);
  m.bbox[0] = ScaleToThousandths(xMin, em);
  m.bbox[1] = ScaleToThousandths(yMin, em);
  m.bbox[2] = ScaleToThousandths(xMax, em);
  m.bbox[3] = ScaleToThousandths(yMax, em);
  m.capHeight = m.ascent * 8 / 10;
  if (hasPost) {
    uint32_t angle, fixed;
    GetU32(post, 4, &angle);
    GetU32(post, 12, &fixed);
    // 16.16 degrees to tenths, then to whole degrees, both truncated as GDI does.
    int64_t tenths = int64_t(int32_t(angle)) * 10 / 65536;
    m.italicAngle = int(tenths / 10);
    m.fixedPitch = fixed != 0;
  }
  int family = FamilyBits(os2, m.fixedPitch);
  m.serif = family != kFamilySwiss;
  m.script = family == kFamilyScript;

  bool anyGlyph = false;
  for (int c = 0; c < 256; ++c) {
    uint32_t g = GlyphOfCode(cmap, uint8_t(c));
    if (g >= numGlyphs) g = 0;
    size_t entry = g < numberOfHMetrics ? g : numberOfHMetrics - 1u;
    uint16_t advance = 0;
    GetU16(hmtx, entry * 4, &advance);
    m.widths[c] = ScaleToThousandths(advance, em);
    if (g != 0) {
      if (!anyGlyph) m.firstChar = uint8_t(c);
      m.lastChar = uint8_t(c);
      anyGlyph = true;
    }
  }
  int16_t avg = 0;
  if (hasOs2) GetI16(os2, 2, &avg);
  if (avg > 0) {
    m.avgWidth = ScaleToThousandths(avg, em);
  } else {
    int64_t sum = 0;
    int count = 0;
    for (int c = 32; c < 127; ++c) {
      if (m.widths[c] > 0) sum += m.widths[c], ++count;
    }
    m.avgWidth = count ? int(sum / count) : 0;
  }
  return true;
}
