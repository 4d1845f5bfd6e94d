#include "fonts/TrueTypeConverter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "model/DebugLog.h"
#include "output/OutputSink.h"
#include "platform/fontsys/SfntFace.h"

namespace {

// The standard Macintosh glyph order of the 'post' table (format 1.0, and indices 0-257 of
// format 2.0).
// clang-format off
const char* const kMacGlyphNames[258] = {
    ".notdef", ".null", "nonmarkingreturn", "space", "exclam", "quotedbl", "numbersign", "dollar",
    "percent", "ampersand", "quotesingle", "parenleft", "parenright", "asterisk", "plus", "comma",
    "hyphen", "period", "slash", "zero", "one", "two", "three", "four", "five", "six", "seven",
    "eight", "nine", "colon", "semicolon", "less", "equal", "greater", "question", "at", "A", "B",
    "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U",
    "V", "W", "X", "Y", "Z", "bracketleft", "backslash", "bracketright", "asciicircum",
    "underscore", "grave", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n",
    "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "braceleft", "bar", "braceright",
    "asciitilde", "Adieresis", "Aring", "Ccedilla", "Eacute", "Ntilde", "Odieresis", "Udieresis",
    "aacute", "agrave", "acircumflex", "adieresis", "atilde", "aring", "ccedilla", "eacute",
    "egrave", "ecircumflex", "edieresis", "iacute", "igrave", "icircumflex", "idieresis", "ntilde",
    "oacute", "ograve", "ocircumflex", "odieresis", "otilde", "uacute", "ugrave", "ucircumflex",
    "udieresis", "dagger", "degree", "cent", "sterling", "section", "bullet", "paragraph",
    "germandbls", "registered", "copyright", "trademark", "acute", "dieresis", "notequal", "AE",
    "Oslash", "infinity", "plusminus", "lessequal", "greaterequal", "yen", "mu", "partialdiff",
    "summation", "product", "pi", "integral", "ordfeminine", "ordmasculine", "Omega", "ae",
    "oslash", "questiondown", "exclamdown", "logicalnot", "radical", "florin", "approxequal",
    "Delta", "guillemotleft", "guillemotright", "ellipsis", "nonbreakingspace", "Agrave", "Atilde",
    "Otilde", "OE", "oe", "endash", "emdash", "quotedblleft", "quotedblright", "quoteleft",
    "quoteright", "divide", "lozenge", "ydieresis", "Ydieresis", "fraction", "currency",
    "guilsinglleft", "guilsinglright", "fi", "fl", "daggerdbl", "periodcentered", "quotesinglbase",
    "quotedblbase", "perthousand", "Acircumflex", "Ecircumflex", "Aacute", "Edieresis", "Egrave",
    "Iacute", "Icircumflex", "Idieresis", "Igrave", "Oacute", "Ocircumflex", "apple", "Ograve",
    "Uacute", "Ucircumflex", "Ugrave", "dotlessi", "circumflex", "tilde", "macron", "breve",
    "dotaccent", "ring", "cedilla", "hungarumlaut", "ogonek", "caron", "Lslash", "lslash", "Scaron",
    "scaron", "Zcaron", "zcaron", "brokenbar", "Eth", "eth", "Yacute", "yacute", "Thorn", "thorn",
    "minus", "multiply", "onesuperior", "twosuperior", "threesuperior", "onehalf", "onequarter",
    "threequarters", "franc", "Gbreve", "gbreve", "Idotaccent", "Scedilla", "scedilla", "Cacute",
    "cacute", "Ccaron", "ccaron", "dcroat",
};
// clang-format on

constexpr size_t kFlushSize = 16384;
constexpr int kMaxColumns = 72;  // hex lines stay within 72 characters
constexpr int kBreakColumn = 70;

uint32_t TagValue(const char* tag) {
  return uint32_t(uint8_t(tag[0])) << 24 | uint32_t(uint8_t(tag[1])) << 16 |
         uint32_t(uint8_t(tag[2])) << 8 | uint8_t(tag[3]);
}

// The bytes up to the first NUL, as the C strings of the name table copies end there.
std::string CString(const uint8_t* p, size_t n) {
  const void* nul = std::memchr(p, 0, n);
  if (nul) n = size_t(static_cast<const uint8_t*>(nul) - p);
  return std::string(reinterpret_cast<const char*>(p), n);
}

// UTF-16BE name text reduced to Latin-1; other characters become '?'.
std::string Utf16Text(const uint8_t* p, size_t n) {
  std::string s;
  for (size_t i = 0; i + 1 < n; i += 2) {
    unsigned c = unsigned(p[i]) << 8 | p[i + 1];
    if (c == 0) break;
    s.push_back(c < 256 ? char(c) : '?');
  }
  return s;
}

}  // namespace

bool TrueTypeConverter::Seek(size_t offset) {
  if (offset >= length_) return false;
  pos_ = offset;
  return true;
}

size_t TrueTypeConverter::Read(uint8_t* out, size_t n) {
  size_t left = pos_ < length_ ? length_ - pos_ : 0;
  if (n > left) n = left;
  if (n) std::memcpy(out, data_ + pos_, n);
  pos_ += n;
  return n;
}

int TrueTypeConverter::ReadByte() {
  if (pos_ >= length_) return -1;
  return data_[pos_++];
}

const TrueTypeConverter::TableEntry* TrueTypeConverter::FindTable(const char* tag) const {
  uint32_t want = TagValue(tag);
  for (const TableEntry& t : tables_) {
    if (t.tag == want) return &t;
  }
  return nullptr;
}

bool TrueTypeConverter::GetTable(const char* tag, ByteView* out) {
  *out = {};
  const TableEntry* t = FindTable(tag);
  if (!t) {
    DebugLog("TrueType font is missing table '%s'", tag);
    return false;
  }
  if (!Seek(t->offset)) {
    DebugLog("TrueType font may be corrupt (reason 3)");
    return false;
  }
  if (t->length > length_ - pos_) {
    DebugLog("TrueType font may be corrupt (reason 4)");
    return false;
  }
  *out = {data_ + t->offset, t->length};
  return true;
}

int32_t TrueTypeConverter::ReadFontStart(const void* data, size_t length, OutputSink* sink,
                                         bool type3Wording) {
  data_ = static_cast<const uint8_t*>(data);
  length_ = data_ ? length : 0;
  pos_ = 0;
  sink_ = sink;
  out_.clear();
  tables_.clear();
  directory_.clear();
  stringBytes_ = 0;
  column_ = 0;
  inString_ = false;

  // Offset table and directory.
  uint8_t offsetTable[12];
  if (Read(offsetTable, 12) < 12) {
    if (type3Wording) {
      DebugLog("TrueType font may be corrupt (reason 1)");
    } else {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 1)", FullName());
    }
    return 0;
  }
  std::memcpy(sfntVersionBytes_, offsetTable, 4);
  sfntVersionInt_ = int16_t(Get16(offsetTable));
  sfntVersionFrac_ = Get16(offsetTable + 2);
  numTables_ = Get16(offsetTable + 4);
  directory_.assign(offsetTable, offsetTable + 12);
  directory_.resize(12 + size_t(numTables_) * 16);
  size_t got = Read(directory_.data() + 12, size_t(numTables_) * 16);
  if (got < size_t(numTables_) * 16) {
    if (type3Wording) {
      DebugLog("TrueType font may be corrupt (reason 2)");
    } else {
      DebugLog("TrueType font \"%s\" may be corrupt (reason 2)", FullName());
    }
    directory_.resize(12 + got);
  }
  for (size_t i = 0; i < got / 16; ++i) {
    const uint8_t* e = directory_.data() + 12 + 16 * i;
    tables_.push_back({Get32(e), Get32(e + 4), Get32(e + 8), Get32(e + 12)});
  }

  // 'head'.
  ByteView head;
  if (!GetTable("head", &head)) return 0;
  if (head.n < 54) {
    DebugLog("TrueType font may be corrupt (reason 4)");
    return 0;
  }
  fontRevisionInt_ = head.S16(4);
  fontRevisionFrac_ = head.U16(6);
  unitsPerEm_ = head.U16(18);
  if (unitsPerEm_ == 0) {
    // Every coordinate is divided by it.
    DebugLog("TrueType font \"%s\" is unusable because unitsPerEm = 0", FullName());
    return 0;
  }
  half_ = unitsPerEm_ / 2;
  for (int i = 0; i < 4; ++i) fontBBox_[i] = Scale(head.S16(36 + 2 * size_t(i)));
  indexToLocFormat_ = head.S16(50);
  if (indexToLocFormat_ != 0 && indexToLocFormat_ != 1) {
    DebugLog("TrueType font \"%s\" is unusable because indexToLocFormat = %d", FullName(),
             indexToLocFormat_);
    return 0;
  }
  if (head.U16(52) != 0) {
    DebugLog("TrueType font \"%s\" is unusable because glyphDataFormat != 0", FullName());
  }

  // 'name'.
  ByteView name;
  if (!GetTable("name", &name)) return 0;
  ReadNames(name);

  // 'post'.
  if (!GetTable("post", &post_)) return 0;
  if (post_.n < 32) {
    DebugLog("TrueType font may be corrupt (reason 4)");
    return 0;
  }
  numGlyphs_ = PostIsFormat2() ? post_.U16(32) : 0;
  return 1;
}

void TrueTypeConverter::ReadNames(ByteView name) {
  psName_.clear();
  fullName_.clear();
  familyName_.clear();
  weight_.clear();
  version_.clear();
  notice_.reset();
  trademark_.reset();
  size_t count = name.U16(2);
  size_t strings = name.U16(4);
  // Macintosh records are the ones used; Windows (Unicode) records fill in a name that has no
  // Macintosh record, as fonts made for Windows only carry those.
  std::optional<std::string> mac[8];
  std::optional<std::string> win[8];
  bool winEnglish[8] = {};
  for (size_t i = 0; i < count; ++i) {
    size_t rec = 6 + 12 * i;
    if (!name.Has(rec, 12)) break;
    unsigned platform = name.U16(rec);
    unsigned encoding = name.U16(rec + 2);
    unsigned language = name.U16(rec + 4);
    unsigned id = name.U16(rec + 6);
    size_t len = name.U16(rec + 8);
    size_t off = strings + name.U16(rec + 10);
    if (id >= 8 || id == 3 || !name.Has(off, len)) continue;
    if (platform == 1) {
      mac[id] = CString(name.p + off, len);
    } else if (platform == 3 && (encoding == 0 || encoding == 1)) {
      bool english = language == 0x409;
      if (win[id] && winEnglish[id] && !english) continue;
      win[id] = Utf16Text(name.p + off, len);
      winEnglish[id] = english;
    }
  }
  std::optional<std::string> names[8];
  for (int id = 0; id < 8; ++id) names[id] = mac[id] ? mac[id] : win[id];
  // The name the font list knows the face by, so that the program defines the font the
  // re-encoding lines and the PDF refer to. A font with no usable name is never listed; for it
  // the record's own text serves (NameToken makes it a valid token).
  psName_ = PostScriptNameFromTable(std::vector<uint8_t>(name.p, name.p + name.n));
  if (psName_.empty() && names[6]) psName_ = *names[6];
  if (names[4]) fullName_ = *names[4];
  if (names[1]) familyName_ = *names[1];
  if (names[2]) weight_ = *names[2];
  if (names[5]) version_ = *names[5];
  notice_ = names[0];
  trademark_ = names[7];
}

std::vector<std::string> TrueTypeConverter::GlyphNames() {
  std::vector<std::string> names;
  if (!PostIsFormat2()) return names;
  names.resize(size_t(numGlyphs_));
  // Offsets of the length-prefixed strings after the index array.
  std::vector<size_t> strings;
  size_t off = 34 + 2 * size_t(numGlyphs_);
  while (off < post_.n) {
    size_t len = post_.U8(off);
    if (!post_.Has(off + 1, len)) break;
    strings.push_back(off);
    off += 1 + len;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    std::string& name = names[i];
    size_t at = 34 + 2 * i;
    if (post_.Has(at, 2)) {
      size_t index = post_.U16(at);
      if (index < 258) {
        name = kMacGlyphNames[index];
      } else if (index - 258 < strings.size()) {
        size_t s = strings[index - 258];
        size_t len = post_.U8(s);
        if (len >= kLongName) {
          DebugLog("TrueType font file contains a very long PostScript name");
        } else {
          name.assign(reinterpret_cast<const char*>(post_.p + s + 1), len);
        }
      }
    }
    bool valid = !name.empty();
    for (char c : name) valid = valid && IsNameChar(uint8_t(c));
    if (!valid) name = "glyph" + std::to_string(i);
  }
  return names;
}

int TrueTypeConverter::MaxpGlyphCount() const {
  const TableEntry* maxp = FindTable("maxp");
  if (!maxp || maxp->offset > length_ || 6 > length_ - maxp->offset) return 0;
  return Get16(data_ + maxp->offset + 4);
}

int TrueTypeConverter::CmapGlyph(unsigned c) const {
  const TableEntry* t = FindTable("cmap");
  if (!t || t->offset > length_ || t->length > length_ - t->offset) return -1;
  ByteView cmap{data_ + t->offset, t->length};
  ByteView sub;
  size_t count = cmap.U16(2);
  for (size_t i = 0; i < count && cmap.Has(4 + 8 * i, 8); ++i) {
    unsigned platform = cmap.U16(4 + 8 * i), encoding = cmap.U16(6 + 8 * i);
    if (!((platform == 3 && encoding == 1) || platform == 0)) continue;
    size_t off = cmap.U32(8 + 8 * i);
    if (cmap.U16(off) != 4 || !cmap.Has(off, 14)) continue;
    sub = cmap.Sub(off, cmap.U16(off + 2));
    if (sub.n == 0) sub = cmap.Sub(off, cmap.n - off);  // some fonts leave the length wrong
    break;
  }
  size_t segments = sub.U16(6) / 2;
  size_t ends = 14, starts = 16 + 2 * segments, deltas = starts + 2 * segments;
  size_t ranges = deltas + 2 * segments;
  if (segments == 0 || !sub.Has(ranges, 2 * segments)) return -1;
  for (size_t i = 0; i < segments; ++i) {
    if (sub.U16(ends + 2 * i) < c) continue;
    unsigned start = sub.U16(starts + 2 * i);
    if (start > c) return -1;
    unsigned delta = sub.U16(deltas + 2 * i);
    unsigned range = sub.U16(ranges + 2 * i);
    if (range == 0) return int((c + delta) & 0xFFFF);
    size_t at = ranges + 2 * i + range + 2 * size_t(c - start);
    if (!sub.Has(at, 2)) return -1;
    unsigned g = sub.U16(at);
    return g == 0 ? 0 : int((g + delta) & 0xFFFF);
  }
  return -1;
}

namespace {

// The glyph names the drawing files' WinAnsiEncoding gives codes 128-255 (no-break space and
// soft hyphen show as space and hyphen), with the Unicode characters they stand for.
struct NamedCharacter {
  unsigned c;
  const char* name;
};
constexpr NamedCharacter kUpperWinAnsiNames[] = {
    {0x20AC, "Euro"},
    {0x201A, "quotesinglbase"},
    {0x0192, "florin"},
    {0x201E, "quotedblbase"},
    {0x2026, "ellipsis"},
    {0x2020, "dagger"},
    {0x2021, "daggerdbl"},
    {0x02C6, "circumflex"},
    {0x2030, "perthousand"},
    {0x0160, "Scaron"},
    {0x2039, "guilsinglleft"},
    {0x0152, "OE"},
    {0x017D, "Zcaron"},
    {0x2018, "quoteleft"},
    {0x2019, "quoteright"},
    {0x201C, "quotedblleft"},
    {0x201D, "quotedblright"},
    {0x2022, "bullet"},
    {0x2013, "endash"},
    {0x2014, "emdash"},
    {0x02DC, "tilde"},
    {0x2122, "trademark"},
    {0x0161, "scaron"},
    {0x203A, "guilsinglright"},
    {0x0153, "oe"},
    {0x017E, "zcaron"},
    {0x0178, "Ydieresis"},
    {0xA1, "exclamdown"},
    {0xA2, "cent"},
    {0xA3, "sterling"},
    {0xA4, "currency"},
    {0xA5, "yen"},
    {0xA6, "brokenbar"},
    {0xA7, "section"},
    {0xA8, "dieresis"},
    {0xA9, "copyright"},
    {0xAA, "ordfeminine"},
    {0xAB, "guillemotleft"},
    {0xAC, "logicalnot"},
    {0xAE, "registered"},
    {0xAF, "macron"},
    {0xB0, "degree"},
    {0xB1, "plusminus"},
    {0xB2, "twosuperior"},
    {0xB3, "threesuperior"},
    {0xB4, "acute"},
    {0xB5, "mu"},
    {0xB6, "paragraph"},
    {0xB7, "periodcentered"},
    {0xB8, "cedilla"},
    {0xB9, "onesuperior"},
    {0xBA, "ordmasculine"},
    {0xBB, "guillemotright"},
    {0xBC, "onequarter"},
    {0xBD, "onehalf"},
    {0xBE, "threequarters"},
    {0xBF, "questiondown"},
    {0xC0, "Agrave"},
    {0xC1, "Aacute"},
    {0xC2, "Acircumflex"},
    {0xC3, "Atilde"},
    {0xC4, "Adieresis"},
    {0xC5, "Aring"},
    {0xC6, "AE"},
    {0xC7, "Ccedilla"},
    {0xC8, "Egrave"},
    {0xC9, "Eacute"},
    {0xCA, "Ecircumflex"},
    {0xCB, "Edieresis"},
    {0xCC, "Igrave"},
    {0xCD, "Iacute"},
    {0xCE, "Icircumflex"},
    {0xCF, "Idieresis"},
    {0xD0, "Eth"},
    {0xD1, "Ntilde"},
    {0xD2, "Ograve"},
    {0xD3, "Oacute"},
    {0xD4, "Ocircumflex"},
    {0xD5, "Otilde"},
    {0xD6, "Odieresis"},
    {0xD7, "multiply"},
    {0xD8, "Oslash"},
    {0xD9, "Ugrave"},
    {0xDA, "Uacute"},
    {0xDB, "Ucircumflex"},
    {0xDC, "Udieresis"},
    {0xDD, "Yacute"},
    {0xDE, "Thorn"},
    {0xDF, "germandbls"},
    {0xE0, "agrave"},
    {0xE1, "aacute"},
    {0xE2, "acircumflex"},
    {0xE3, "atilde"},
    {0xE4, "adieresis"},
    {0xE5, "aring"},
    {0xE6, "ae"},
    {0xE7, "ccedilla"},
    {0xE8, "egrave"},
    {0xE9, "eacute"},
    {0xEA, "ecircumflex"},
    {0xEB, "edieresis"},
    {0xEC, "igrave"},
    {0xED, "iacute"},
    {0xEE, "icircumflex"},
    {0xEF, "idieresis"},
    {0xF0, "eth"},
    {0xF1, "ntilde"},
    {0xF2, "ograve"},
    {0xF3, "oacute"},
    {0xF4, "ocircumflex"},
    {0xF5, "otilde"},
    {0xF6, "odieresis"},
    {0xF7, "divide"},
    {0xF8, "oslash"},
    {0xF9, "ugrave"},
    {0xFA, "uacute"},
    {0xFB, "ucircumflex"},
    {0xFC, "udieresis"},
    {0xFD, "yacute"},
    {0xFE, "thorn"},
    {0xFF, "ydieresis"},
};

}  // namespace

std::vector<std::pair<std::string, int>> TrueTypeConverter::CharacterAliases(
    const std::vector<std::string>& names, int glyphCount) const {
  std::vector<std::pair<std::string, int>> aliases;
  if (!FindTable("cmap")) return aliases;
  std::unordered_set<std::string> present(names.begin(), names.end());
  auto add = [&](unsigned c, const char* name) {
    if (present.count(name)) return;
    int glyph = CmapGlyph(c);
    if (glyph > 0 && glyph < glyphCount) aliases.push_back({name, glyph});
  };
  // The Macintosh names 3 ("space") to 97 ("asciitilde") are those of the characters 32-126.
  for (unsigned c = 0x20; c <= 0x7E; ++c) add(c, kMacGlyphNames[c - 29]);
  for (const auto& [c, name] : kUpperWinAnsiNames) add(c, name);
  return aliases;
}

void TrueTypeConverter::Out(const char* text) {
  out_ += text;
  if (out_.size() >= kFlushSize) Flush();
}

void TrueTypeConverter::OutF(const char* format, ...) {
  char small[256];
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n >= 0 && size_t(n) < sizeof small) {
    out_.append(small, size_t(n));
  } else if (n > 0) {
    std::vector<char> big(size_t(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    out_.append(big.data(), size_t(n));
  }
  va_end(again);
  if (out_.size() >= kFlushSize) Flush();
}

void TrueTypeConverter::Flush() {
  if (!out_.empty() && sink_) sink_->WriteString(out_.c_str());
  out_.clear();
}

void TrueTypeConverter::WriteFontInfo() {
  Out("/FontInfo 10 dict dup begin\r\n");
  OutF("/FamilyName (%s) def\r\n", PsString(familyName_).c_str());
  OutF("/FullName (%s) def\r\n", PsString(fullName_).c_str());
  if (notice_ || trademark_) {
    OutF("/Notice (%s", notice_ ? PsString(*notice_).c_str() : "");
    OutF("%s%s) def\r\n", trademark_ ? " " : "", trademark_ ? PsString(*trademark_).c_str() : "");
  }
  OutF("/Weight (%s) def\r\n", PsString(weight_).c_str());
  OutF("/Version (%s) def\r\n", PsString(version_).c_str());
  OutF("/ItalicAngle %s def\r\n", FixedText(post_.U32(4)).c_str());
  OutF("/isFixedPitch %s def\r\n", post_.U32(12) != 0 ? "true" : "false");
  OutF("/UnderlinePosition %d def\r\n", post_.S16(8));
  OutF("/UnderlineThickness %d def\r\n", post_.S16(10));
  Out("end readonly def\r\n");
}

void TrueTypeConverter::HexText(const char* text) {
  int len = int(std::strlen(text));
  if (column_ > 0 && column_ + len > kMaxColumns) {
    Out("\r\n");
    column_ = 0;
  }
  Out(text);
  column_ += len;
}

void TrueTypeConverter::HexByte(uint8_t b) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (!inString_) {
    HexText("<");
    inString_ = true;
    stringBytes_ = 0;
  }
  if (column_ + 2 > kMaxColumns) {
    out_ += "\r\n";
    column_ = 0;
  }
  out_ += kDigits[b >> 4];
  out_ += kDigits[b & 15];
  ++stringBytes_;
  column_ += 2;
  if (column_ > kBreakColumn) {
    out_ += "\r\n";
    column_ = 0;
    if (out_.size() >= kFlushSize) Flush();
  }
}

void TrueTypeConverter::HexZeros(size_t n) {
  while (n > 0) {
    if (inString_ && stringBytes_ >= kStringLimit) HexClose();
    size_t room = inString_ ? kStringLimit - stringBytes_ : kStringLimit;
    size_t chunk = n < room ? n : room;
    for (size_t i = 0; i < chunk; ++i) HexByte(0);
    n -= chunk;
  }
}

void TrueTypeConverter::HexBreak(size_t n) {
  if (inString_ && stringBytes_ > 0 && n > kStringLimit - stringBytes_) HexClose();
}

void TrueTypeConverter::HexClose() {
  if (!inString_) return;
  HexByte(0);  // the odd closing byte the interpreter drops
  HexText(">");
  inString_ = false;
  stringBytes_ = 0;
}

bool TrueTypeConverter::IsNameChar(uint8_t c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  return std::strchr("()<>[]{}/%", c) == nullptr;
}

std::string TrueTypeConverter::PsString(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (unsigned char c : s) {
    if (c == '(' || c == ')' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20 || c == 0x7F) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\%03o", c);
      out += esc;
    } else {
      out += char(c);
    }
  }
  return out;
}

std::string TrueTypeConverter::CommentText(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (uint8_t(c) < 0x20) c = ' ';  // a line break would end the comment early
  }
  return out;
}

std::string TrueTypeConverter::NameToken(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (!IsNameChar(uint8_t(c))) c = '_';
  }
  return out;
}

std::string TrueTypeConverter::FixedText(uint32_t v) {
  char buf[32];
  if ((v & 0xFFFF) == 0) {
    std::snprintf(buf, sizeof buf, "%d.0", int(int16_t(uint16_t(v >> 16))));
    return buf;
  }
  std::snprintf(buf, sizeof buf, "%.4f", double(int32_t(v)) / 65536.0);
  std::string s = buf;
  while (s.size() > 1 && s.back() == '0' && s[s.size() - 2] != '.') s.pop_back();
  return s;
}
