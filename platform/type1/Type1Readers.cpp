// The file readers of the Type 1 bridge: atm.ini, PFM (Microsoft's Printer Font Metrics), AFM
// (Adobe's Font Metrics, Technical Note 5004) and PFB (segmented Type 1 font program). All take
// untrusted bytes and check every read against the size first.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/type1/Type1Fonts.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr size_t kMaxPostScriptName = 63;

// The name is written into PostScript as a name object, so only printable ASCII without blanks
// or delimiters passes.
bool IsValidName(std::string_view name) {
  if (name.empty() || name.size() > kMaxPostScriptName) return false;
  for (char c : name) {
    if (c <= ' ' || c > '~' || std::strchr("()<>[]{}/%", c)) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Splits text into lines at CR, LF or CR LF.
template <typename Fn>
void ForEachLine(std::string_view text, Fn&& fn) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (!fn(text.substr(pos, end - pos))) return;
    if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') {
      ++end;
    }
    pos = end + 1;
  }
}

// ---- atm.ini ----

struct AtmToken {
  char kind;  // ',' '=' or 'w' for a word
  std::string_view word;
};

// Blanks are skipped; "," and "=" stand alone; anything else up to "," or "=" is a word (its
// trailing blanks dropped, since a path with them would not open).
std::vector<AtmToken> Tokenize(std::string_view line) {
  std::vector<AtmToken> tokens;
  size_t i = 0;
  while (i < line.size()) {
    if (IsBlank(line[i])) {
      ++i;
    } else if (line[i] == ',' || line[i] == '=') {
      tokens.push_back({line[i], {}});
      ++i;
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ',' && line[i] != '=') ++i;
      std::string_view word = line.substr(start, i - start);
      while (!word.empty() && IsBlank(word.back())) word.remove_suffix(1);
      tokens.push_back({'w', word});
    }
  }
  return tokens;
}

bool ParseAtmLine(std::string_view line, AtmIniEntry* entry) {
  std::vector<AtmToken> t = Tokenize(line);
  size_t n = t.size();
  if (n == 0 || t[0].kind != 'w') return false;
  std::string_view face = t[0].word;
  if (face.size() > 2 && face.substr(face.size() - 2) == "MM") return false;
  // face [, style] = metrics , pfb
  size_t i = 1;
  int32_t style = 0;
  if (i < n && t[i].kind == ',') {
    if (i + 1 >= n || t[i + 1].kind != 'w') return false;
    std::string_view word = t[i + 1].word;
    if (word == "BOLD") {
      style = kType1Bold;
    } else if (word == "ITALIC") {
      style = kType1Italic;
    } else if (word == "BOLDITALIC") {
      style = kType1Bold | kType1Italic;
    } else {
      return false;
    }
    i += 2;
  }
  if (n - i != 4 || t[i].kind != '=' || t[i + 1].kind != 'w' || t[i + 2].kind != ',' ||
      t[i + 3].kind != 'w') {
    return false;
  }
  // A face name is 64 bytes with its NUL where the font manager keeps it.
  if (face.size() > 63) return false;
  entry->faceName = std::string(face);
  entry->style = style;
  entry->metricsPath = std::string(t[i + 1].word);
  entry->pfbPath = std::string(t[i + 3].word);
  return true;
}

// ---- numbers ----

bool ParseDouble(std::string_view s, double* out) {
  s = Trim(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  double v = 0;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// Metric values beyond this are nonsense; refusing them keeps every later sum in range.
constexpr double kMaxMetric = 1.0e6;

bool ParseMetric(std::string_view s, int32_t* out, bool round) {
  double v;
  if (!ParseDouble(s, &v) || v > kMaxMetric || v < -kMaxMetric) return false;
  *out = int32_t(round ? (v < 0 ? v - 0.5 : v + 0.5) : v);
  return true;
}

// Splits at blanks.
std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsSpace(s[i])) ++i;
    size_t start = i;
    while (i < s.size() && !IsSpace(s[i])) ++i;
    if (i > start) words.push_back(s.substr(start, i - start));
  }
  return words;
}

bool ContainsNoCase(std::string_view hay, std::string_view needle) {
  if (needle.size() > hay.size()) return false;
  for (size_t i = 0; i + needle.size() <= hay.size(); ++i) {
    size_t k = 0;
    while (k < needle.size()) {
      char a = hay[i + k], b = needle[k];
      if (a >= 'A' && a <= 'Z') a = char(a + 32);
      if (b >= 'A' && b <= 'Z') b = char(b + 32);
      if (a != b) break;
      ++k;
    }
    if (k == needle.size()) return true;
  }
  return false;
}

// ---- AFM ----

// Glyph names of the code page 1252 positions 32-255 as WinAnsiEncoding names them, which is how
// the PDF fonts and the PostScript re-encoding show the text (39 is quotesingle and 96 grave, not
// the quoteright and quoteleft of the standard encoding); alternatives separated by "|", "" for
// the positions the code page leaves undefined.
// clang-format off
const char* const kWinAnsiNames[224] = {
    "space", "exclam", "quotedbl", "numbersign", "dollar", "percent", "ampersand", "quotesingle",
    "parenleft", "parenright", "asterisk", "plus", "comma", "hyphen", "period", "slash", "zero",
    "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "colon", "semicolon",
    "less", "equal", "greater", "question", "at", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J",
    "K", "L", "M", "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "bracketleft",
    "backslash", "bracketright", "asciicircum", "underscore", "grave", "a", "b", "c", "d", "e",
    "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x",
    "y", "z", "braceleft", "bar", "braceright", "asciitilde",
    "",  // 127
    "Euro|uni20AC", "", "quotesinglbase", "florin", "quotedblbase", "ellipsis", "dagger",
    "daggerdbl", "circumflex", "perthousand", "Scaron", "guilsinglleft", "OE", "", "Zcaron", "",
    "", "quoteleft", "quoteright", "quotedblleft", "quotedblright", "bullet", "endash", "emdash",
    "tilde", "trademark", "scaron", "guilsinglright", "oe", "", "zcaron", "Ydieresis",
    "nbspace|uni00A0|space", "exclamdown", "cent", "sterling", "currency", "yen", "brokenbar",
    "section", "dieresis", "copyright", "ordfeminine", "guillemotleft", "logicalnot",
    "sfthyphen|uni00AD|hyphen", "registered", "macron", "degree", "plusminus", "twosuperior",
    "threesuperior", "acute", "mu|uni00B5|mu1", "paragraph", "periodcentered", "cedilla",
    "onesuperior", "ordmasculine", "guillemotright", "onequarter", "onehalf", "threequarters",
    "questiondown", "Agrave", "Aacute", "Acircumflex", "Atilde", "Adieresis", "Aring", "AE",
    "Ccedilla", "Egrave", "Eacute", "Ecircumflex", "Edieresis", "Igrave", "Iacute",
    "Icircumflex", "Idieresis", "Eth", "Ntilde", "Ograve", "Oacute", "Ocircumflex", "Otilde",
    "Odieresis", "multiply", "Oslash", "Ugrave", "Uacute", "Ucircumflex", "Udieresis", "Yacute",
    "Thorn", "germandbls", "agrave", "aacute", "acircumflex", "atilde", "adieresis", "aring",
    "ae", "ccedilla", "egrave", "eacute", "ecircumflex", "edieresis", "igrave", "iacute",
    "icircumflex", "idieresis", "eth", "ntilde", "ograve", "oacute", "ocircumflex", "otilde",
    "odieresis", "divide", "oslash", "ugrave", "uacute", "ucircumflex", "udieresis", "yacute",
    "thorn", "ydieresis"};
// clang-format on

struct AfmGlyph {
  int32_t width = 0;
  bool hasBox = false;
  int32_t box[4] = {};
};

// One "C n ; WX w ; N name ; B a b c d ;" line. False when it carries no code or width.
bool ParseCharMetrics(std::string_view line, int32_t* code, std::string_view* name,
                      AfmGlyph* glyph) {
  bool hasCode = false, hasWidth = false;
  size_t pos = 0;
  while (pos <= line.size()) {
    size_t end = line.find(';', pos);
    if (end == std::string_view::npos) end = line.size();
    std::vector<std::string_view> w = Words(line.substr(pos, end - pos));
    pos = end + 1;
    if (w.empty()) continue;
    if (w[0] == "C" && w.size() == 2) {
      hasCode = ParseMetric(w[1], code, false);
    } else if (w[0] == "CH" && w.size() == 2 && w[1].size() > 2 && w[1].front() == '<' &&
               w[1].back() == '>') {
      uint32_t v = 0;
      std::string_view hex = w[1].substr(1, w[1].size() - 2);
      auto r = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
      hasCode = r.ec == std::errc() && r.ptr == hex.data() + hex.size() && v <= 0xFFFF;
      *code = int32_t(v);
    } else if ((w[0] == "WX" || w[0] == "W0X") && w.size() == 2) {
      hasWidth = ParseMetric(w[1], &glyph->width, true);
    } else if ((w[0] == "W" || w[0] == "W0") && w.size() == 3) {
      hasWidth = ParseMetric(w[1], &glyph->width, true);
    } else if (w[0] == "N" && w.size() == 2) {
      *name = w[1];
    } else if (w[0] == "B" && w.size() == 5) {
      glyph->hasBox = true;
      for (int k = 0; k < 4; ++k) {
        if (!ParseMetric(w[1 + k], &glyph->box[k], true)) glyph->hasBox = false;
      }
    }
  }
  return hasCode && hasWidth;
}

// ---- PFB ----

constexpr size_t kPfbPiece = 4096;

// Where the PFB bytes come from: memory or a file, read front to back (twice: checked, copied).
class PfbSource {
 public:
  virtual ~PfbSource() = default;
  virtual bool Read(uint8_t* out, size_t n) = 0;  // false on a short read
  virtual bool Skip(uint32_t n) = 0;              // false when fewer bytes remain
  virtual bool Rewind() = 0;
};

class MemorySource : public PfbSource {
 public:
  MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Read(uint8_t* out, size_t n) override {
    if (n > size_ - pos_) return false;
    if (n) std::memcpy(out, data_ + pos_, n);
    pos_ += n;
    return true;
  }
  bool Skip(uint32_t n) override {
    if (n > size_ - pos_) return false;
    pos_ += n;
    return true;
  }
  bool Rewind() override {
    pos_ = 0;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

class FileSource : public PfbSource {
 public:
  explicit FileSource(FILE* f) : f_(f) {}
  bool Read(uint8_t* out, size_t n) override { return std::fread(out, 1, n, f_) == n; }
  bool Skip(uint32_t n) override {
    // Reading rather than seeking, so that a seek past the end cannot pass for success.
    uint8_t buf[kPfbPiece];
    while (n > 0) {
      size_t k = n < kPfbPiece ? n : kPfbPiece;
      if (std::fread(buf, 1, k, f_) != k) return false;
      n -= uint32_t(k);
    }
    return true;
  }
  bool Rewind() override { return std::fseek(f_, 0, SEEK_SET) == 0; }

 private:
  FILE* f_;
};

// Reads one segment header: type and length. False on a short read or a bad marker. The end
// marker's length is not read: many PFB writers end the file with the two bytes 128, 3.
bool ReadSegmentHeader(PfbSource* src, uint8_t* type, uint32_t* length) {
  uint8_t h[6];
  if (!src->Read(h, 2) || h[0] != 128) return false;
  *type = h[1];
  *length = 0;
  if (*type == 3) return true;
  if (!src->Read(h + 2, 4)) return false;
  *length = Le32(h + 2);
  return *type == 1 || *type == 2;
}

// The whole structure, without writing: every segment whole and a type 3 at the end.
bool CheckPfb(PfbSource* src) {
  for (;;) {
    uint8_t type;
    uint32_t length;
    if (!ReadSegmentHeader(src, &type, &length)) return false;
    if (type == 3) return true;
    if (!src->Skip(length)) return false;
  }
}

int32_t CopySegments(PfbSource* src, const Type1Writer& write) {
  if (!CheckPfb(src) || !src->Rewind()) return 0;
  static const char kHex[] = "0123456789abcdef";
  uint8_t buf[kPfbPiece];
  std::string out;
  for (;;) {
    uint8_t type;
    uint32_t length;
    if (!ReadSegmentHeader(src, &type, &length)) return 0;
    if (type == 3) return 1;
    uint32_t column = 0;   // bytes on the current hex line
    bool afterCr = false;  // an LF right after a CR belongs to the same line end
    while (length > 0) {
      size_t n = length < kPfbPiece ? length : kPfbPiece;
      if (!src->Read(buf, n)) return 0;
      length -= uint32_t(n);
      out.clear();
      if (type == 1) {
        for (size_t i = 0; i < n; ++i) {
          uint8_t c = buf[i];
          if (c == '\r') {
            out += "\r\n";
            afterCr = true;
          } else if (c == '\n') {
            if (!afterCr) out += "\r\n";
            afterCr = false;
          } else {
            out += char(c);
            afterCr = false;
          }
        }
      } else {
        for (size_t i = 0; i < n; ++i) {
          out += kHex[buf[i] >> 4];
          out += kHex[buf[i] & 15];
          if (++column == 32) {
            out += "\r\n";
            column = 0;
          }
        }
        if (length == 0 && column != 0) out += "\r\n";
      }
      if (!out.empty() && !write(out.data(), out.size())) return 0;
    }
  }
}

}  // namespace

bool ParseAtmIni(std::string_view text, std::vector<AtmIniEntry>* entries) {
  bool inSection = false, found = false;
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty() && line[0] == ';') return true;
    if (!inSection) {
      if (line.substr(0, 7) == "[Fonts]") inSection = found = true;
      return true;
    }
    size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return false;
    AtmIniEntry entry;
    if (ParseAtmLine(line, &entry)) entries->push_back(std::move(entry));
    return true;
  });
  return found;
}

bool PfmPostScriptName(const uint8_t* data, size_t size, std::string* name) {
  if (size < 143) return false;
  uint32_t off = Le32(data + 139);
  if (off >= size) return false;
  const uint8_t* p = data + off;
  size_t avail = size - off;
  size_t len = 0;
  while (len < avail && p[len] != 0) {
    if (++len > kMaxPostScriptName) return false;
  }
  if (len == avail) return false;  // the end of the file came before the NUL
  std::string s(reinterpret_cast<const char*>(p), len);
  if (!IsValidName(s)) return false;
  *name = std::move(s);
  return true;
}

bool IsAfm(const uint8_t* data, size_t size) {
  static const char kMagic[] = "StartFontMetrics";
  size_t i = 0;
  while (i < size && IsSpace(char(data[i]))) ++i;
  size_t n = sizeof(kMagic) - 1;
  return n <= size - i && std::memcmp(data + i, kMagic, n) == 0;
}

bool AfmPostScriptName(std::string_view text, std::string* name) {
  bool ok = false;
  ForEachLine(text, [&](std::string_view line) {
    std::vector<std::string_view> w = Words(line);
    if (w.size() == 2 && w[0] == "FontName") {
      ok = IsValidName(w[1]);
      if (ok) *name = std::string(w[1]);
      return false;
    }
    return true;
  });
  return ok;
}

bool ParsePfm(const uint8_t* data, size_t size, Type1Metrics* metrics) {
  if (size < 147) return false;
  Type1Metrics m;
  uint8_t first = data[95], last = data[96];
  if (last < first) return false;
  uint32_t extent = Le32(data + 123);
  size_t count = size_t(last - first) + 1;
  if (extent != 0) {
    if (extent > size || count * 2 > size - extent) return false;
    for (size_t i = 0; i < count; ++i) m.widths[first + i] = Le16(data + extent + 2 * i);
  } else {
    // Fixed-pitch PFMs may carry no extent table: every character has dfPixWidth.
    for (size_t i = 0; i < count; ++i) m.widths[first + i] = Le16(data + 86);
  }
  m.firstChar = first;
  m.lastChar = last;
  int32_t dfAscent = Le16(data + 74), dfPixHeight = Le16(data + 88);
  m.ascent = dfAscent;
  m.descent = dfAscent - dfPixHeight;
  if (m.descent > 0) m.descent = 0;
  m.capHeight = m.ascent * 8 / 10;
  uint32_t etm = Le32(data + 119);
  constexpr size_t kEtmSize = 52;
  if (etm != 0) {
    if (etm > size || kEtmSize > size - etm) return false;
    const uint8_t* e = data + etm;
    int32_t capHeight = int16_t(Le16(e + 14));
    int32_t lowerAscent = int16_t(Le16(e + 18));
    int32_t lowerDescent = int16_t(Le16(e + 20));
    int32_t slant = int16_t(Le16(e + 22));
    if (lowerAscent > 0) m.ascent = lowerAscent;
    if (lowerDescent != 0) m.descent = -std::abs(lowerDescent);
    m.capHeight = capHeight > 0 ? capHeight : m.ascent * 8 / 10;
    m.italicAngle = slant / 10;
  }
  uint8_t pitchAndFamily = data[90];
  m.fixedPitch = (pitchAndFamily & 1) == 0;
  m.serif = (pitchAndFamily & 0xF0) != 0x20;   // FF_SWISS
  m.script = (pitchAndFamily & 0xF0) == 0x40;  // FF_SCRIPT
  *metrics = m;
  return true;
}

bool ParseAfm(std::string_view text, Type1Metrics* metrics) {
  if (!IsAfm(reinterpret_cast<const uint8_t*>(text.data()), text.size())) return false;
  Type1Metrics m;
  bool hasAscender = false, hasDescender = false, hasCapHeight = false, fontSpecific = false;
  bool inChars = false;
  std::string names;
  AfmGlyph byCode[256];
  bool hasCode[256] = {};
  std::unordered_map<std::string_view, AfmGlyph> byName;
  ForEachLine(text, [&](std::string_view line) {
    std::vector<std::string_view> w = Words(line);
    if (w.empty()) return true;
    if (inChars) {
      if (w[0] == "EndCharMetrics") {
        inChars = false;
        return true;
      }
      int32_t code = -1;
      std::string_view name;
      AfmGlyph glyph;
      if (!ParseCharMetrics(line, &code, &name, &glyph)) return true;
      if (code >= 0 && code <= 255 && !hasCode[code]) {
        byCode[code] = glyph;
        hasCode[code] = true;
      }
      if (!name.empty()) byName.emplace(name, glyph);
      return true;
    }
    if (w[0] == "StartCharMetrics") {
      inChars = true;
    } else if (w[0] == "FontName" || w[0] == "FamilyName" || w[0] == "FullName") {
      names.append(line);
      names += ' ';
    } else if (w[0] == "EncodingScheme" && w.size() >= 2) {
      fontSpecific = w[1] == "FontSpecific";
    } else if (w[0] == "Ascender" && w.size() == 2) {
      hasAscender = ParseMetric(w[1], &m.ascent, true) && m.ascent != 0;
    } else if (w[0] == "Descender" && w.size() == 2) {
      hasDescender = ParseMetric(w[1], &m.descent, true) && m.descent != 0;
    } else if (w[0] == "CapHeight" && w.size() == 2) {
      hasCapHeight = ParseMetric(w[1], &m.capHeight, true);
    } else if (w[0] == "ItalicAngle" && w.size() == 2) {
      if (!ParseMetric(w[1], &m.italicAngle, false)) m.italicAngle = 0;
    } else if (w[0] == "IsFixedPitch" && w.size() == 2) {
      m.fixedPitch = w[1] == "true";
    } else if (w[0] == "FontBBox" && w.size() == 5) {
      m.hasBBox = true;
      for (int k = 0; k < 4; ++k) {
        if (!ParseMetric(w[1 + k], &m.bbox[k], true)) m.hasBBox = false;
      }
      if (!m.hasBBox) std::memset(m.bbox, 0, sizeof(m.bbox));
    }
    return true;
  });
  bool any = false;
  // Widths go by glyph name through the code page; only a symbol font, or an AFM that names no
  // glyphs, keeps its own codes.
  bool byCodes = fontSpecific || byName.empty();
  for (int code = 0; code < 256; ++code) {
    const AfmGlyph* g = hasCode[code] ? &byCode[code] : nullptr;
    if (!byCodes) {
      g = nullptr;
      std::string_view alts = code < 32 ? "" : kWinAnsiNames[code - 32];
      while (!alts.empty() && !g) {
        size_t bar = alts.find('|');
        auto it = byName.find(alts.substr(0, bar));
        if (it != byName.end()) g = &it->second;
        alts = bar == std::string_view::npos ? std::string_view() : alts.substr(bar + 1);
      }
    }
    if (!g) continue;
    m.widths[code] = g->width;
    if (!any) m.firstChar = uint8_t(code);
    m.lastChar = uint8_t(code);
    any = true;
  }
  if (!any && byName.empty()) return false;
  auto glyphBox = [&](const char* name, int k, int32_t* out) {
    auto it = byName.find(name);
    if (it == byName.end() || !it->second.hasBox) return false;
    *out = it->second.box[k];
    return true;
  };
  if (!hasAscender && !glyphBox("d", 3, &m.ascent)) m.ascent = m.hasBBox ? m.bbox[3] : 0;
  if (!hasDescender && !glyphBox("p", 1, &m.descent)) m.descent = m.hasBBox ? m.bbox[1] : 0;
  if (m.descent > 0) m.descent = -m.descent;
  if (!hasCapHeight && !glyphBox("H", 3, &m.capHeight)) m.capHeight = m.ascent * 8 / 10;
  m.serif = !(ContainsNoCase(names, "sans") || ContainsNoCase(names, "gothic") ||
              ContainsNoCase(names, "helvetica") || ContainsNoCase(names, "arial"));
  m.script = ContainsNoCase(names, "script") || ContainsNoCase(names, "chancery");
  *metrics = m;
  return true;
}

bool ParsePfbFontBBox(const uint8_t* data, size_t size, int32_t bbox[4]) {
  static const char kKey[] = "/FontBBox";
  constexpr size_t kKeyLen = sizeof(kKey) - 1;
  if (size > 16384) size = 16384;
  std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t at = text.find(std::string_view(kKey, kKeyLen));
  if (at == std::string_view::npos) return false;
  size_t i = at + kKeyLen;
  while (i < size && IsSpace(text[i])) ++i;
  // PostScript allows the box as an array too; both are accepted.
  if (i >= size || (text[i] != '{' && text[i] != '[')) return false;
  ++i;
  int32_t v[4];
  for (int k = 0; k < 4; ++k) {
    while (i < size && IsSpace(text[i])) ++i;
    size_t start = i;
    if (i < size && (text[i] == '-' || text[i] == '+')) ++i;
    while (i < size && text[i] >= '0' && text[i] <= '9') ++i;
    std::string_view num = text.substr(start, i - start);
    if (!num.empty() && num.front() == '+') num.remove_prefix(1);
    if (num.empty() || num == "-") return false;
    auto r = std::from_chars(num.data(), num.data() + num.size(), v[k]);
    if (r.ec != std::errc()) return false;
  }
  for (int k = 0; k < 4; ++k) bbox[k] = v[k];
  return true;
}

int32_t CopyPfb(const uint8_t* data, size_t size, const Type1Writer& write) {
  MemorySource src(data, size);
  return CopySegments(&src, write);
}

int32_t CopyPfbFile(const std::string& path, const Type1Writer& write) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  FileSource src(f);
  int32_t result = CopySegments(&src, write);
  std::fclose(f);
  return result;
}
