#include "output/PsWriterCommon.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "output/GeneralFormat.h"
#include "output/OutputSink.h"

void PaintStyleCache::Reset() {
  PaintStyle defaults;
  lineWidth = defaults.lineWidth;
  strokeColor = defaults.strokeColor;
  fillColor = defaults.fillColor;
  pattern = defaults.pattern;
  dash = defaults.dash;
  fontName.clear();
  fontSize = -1;
  leading = -1;
  align = -1;
}

PaintStyleCache& ThePaintStyleCache() {
  static PaintStyleCache cache;
  return cache;
}

void ResetPaintStyleCache() { ThePaintStyleCache().Reset(); }

char* FormatNumberPrecision(char* out, double v, int precision) {
  if (!std::isfinite(v)) v = 0;
  return FormatGeneral(out, v, precision);
}

char* FormatNumber(char* out, double v) {
  // Whole numbers of moderate size are the most common and need no float formatting.
  if (v >= -999999.0 && v <= 999999.0) {
    int32_t i = int32_t(v);
    if (double(i) == v && !(i == 0 && std::signbit(v))) {
      auto result = std::to_chars(out, out + kNumberChars, i);
      return result.ptr;
    }
  }
  return FormatNumberPrecision(out, v, 6);
}

namespace {

// Rewrites the "%g" text at out..end in plain decimals when it has an exponent.
char* PlainFromExponent(char* out, char* end) {
  if (std::find(out, end, 'e') == end) return end;
  // Reformat the value as printed, so the plain form says exactly what "%g" said.
  double printed = 0;
  std::from_chars(out, end, printed);
  // An exponent form of a value of 1 or more is a whole number (its exponent is at least the
  // precision); any other is below 0.0001 in magnitude.
  bool large = std::fabs(printed) >= 1;
  auto result = std::to_chars(out, out + kNumberChars, printed, std::chars_format::fixed,
                              large ? 0 : kPlainDecimals);
  // Beyond 1e31 in magnitude (no drawing's number) there is no room: 0 keeps the content valid.
  if (result.ec != std::errc()) {
    *out = '0';
    return out + 1;
  }
  end = result.ptr;
  if (large) return end;
  while (end[-1] == '0') --end;
  if (end[-1] == '.') --end;
  // Nothing left but a zero, maybe signed: too small for the decimals kept.
  if (end[-1] == '0' && (end - out == 1 || (end - out == 2 && out[0] == '-'))) {
    *out = '0';
    return out + 1;
  }
  return end;
}

}  // namespace

char* FormatPlainNumber(char* out, double v, int precision) {
  char* end = precision == 6 ? FormatNumber(out, v) : FormatNumberPrecision(out, v, precision);
  return PlainFromExponent(out, end);
}

std::string NumberText(double v) {
  char buf[kNumberChars];
  return std::string(buf, FormatNumber(buf, v));
}

char* WriteMatrix(char* out, const Matrix& m, int32_t bare, bool plain) {
  const float entries[6] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
  char* p = out;
  if (!bare) *p++ = '[';
  for (int i = 0; i < 6; i++) {
    double v = entries[i];
    if (std::fabs(v) < 0.0001) v = 0;
    p = plain ? FormatPlainNumber(p, v, 4) : FormatNumberPrecision(p, v, 4);
    if (i < 5) *p++ = ' ';
  }
  if (!bare) *p++ = ']';
  *p++ = ' ';
  return p;
}

void AppendMatrix(std::string* out, const Matrix& m, int32_t bare, bool plain) {
  char buf[kMatrixChars];
  out->append(buf, WriteMatrix(buf, m, bare, plain));
}

std::string FormatMatrix(const Matrix& m, int32_t bare) {
  std::string s;
  AppendMatrix(&s, m, bare);
  return s;
}

void AppendEscapedPsString(std::string* out, const char* text, size_t length) {
  if (!text) return;
  size_t start = 0;
  for (size_t i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c != '(' && c != ')' && c != '\\' && c < 128) continue;
    out->append(text + start, i - start);
    start = i + 1;
    out->push_back('\\');
    if (c < 128) {
      out->push_back(char(c));
    } else {
      // "%3o" of a byte of 128 and more always has three digits.
      out->push_back(char('0' + (c >> 6)));
      out->push_back(char('0' + ((c >> 3) & 7)));
      out->push_back(char('0' + (c & 7)));
    }
  }
  out->append(text + start, length - start);
}

std::string EscapePsString(const char* text) {
  std::string s;
  if (text) AppendEscapedPsString(&s, text, std::strlen(text));
  return s;
}

const char* DashLine(int32_t dash) {
  static const char* const kDashes[4] = {"[10 4] 0 d", "[3 3] 0 d", "[10 4 3 4] 0 d",
                                         "[10 4 3 4 3 4] 0 d"};
  if (dash < 0 || dash > 3) return "[] 0 d";
  return kDashes[dash];
}

const char* PatternName(int32_t index) {
  static const char* const kNames[9] = {"leftdiagonal", "rightdiagonal", "crossdiagonal",
                                        "horizontal",   "vertical",      "crosshatch",
                                        "fishscale",    "wave",          "brick"};
  if (index < 0 || index > 8) return nullptr;
  return kNames[index];
}

PsLineBuffer::PsLineBuffer(OutputSink* sink) : sink_(sink) {
  // Room for a full flush size and the longest piece put after it.
  room_.resize(kFlushSize + 4 * kMatrixChars);
}

void PsLineBuffer::Grow(size_t n) {
  // A piece larger than the room left: first hand over what is there, then widen for a very
  // large piece (a long text line).
  Flush();
  if (n > room_.size()) room_.resize(n);
}

void PsLineBuffer::PutEscaped(const char* text, size_t length) {
  if (!text) return;
  char* out = Room(4 * length);
  for (size_t i = 0; i < length; i++) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c != '(' && c != ')' && c != '\\' && c < 128) {
      *out++ = char(c);
      continue;
    }
    *out++ = '\\';
    if (c < 128) {
      *out++ = char(c);
    } else {
      // "%3o" of a byte of 128 and more always has three digits.
      *out++ = char('0' + (c >> 6));
      *out++ = char('0' + ((c >> 3) & 7));
      *out++ = char('0' + (c & 7));
    }
  }
  Wrote(out);
}

void PsLineBuffer::Int(int64_t v) {
  char* at = Room(kNumberChars);
  Wrote(std::to_chars(at, at + kNumberChars, v).ptr);
}

void PsLineBuffer::Matrix(const ::Matrix& m, int32_t bare) {
  Wrote(WriteMatrix(Room(kMatrixChars), m, bare, plain_));
}

void PsLineBuffer::Flush() {
  if (used_ == 0) return;
  if (sink_) {
    // The sink takes int lengths: hand over very large pieces in parts.
    const char* p = room_.data();
    size_t left = used_;
    while (left > 0) {
      size_t n = left < (size_t(1) << 30) ? left : (size_t(1) << 30);
      sink_->WriteBytes(p, int32_t(n));
      p += n;
      left -= n;
    }
  }
  used_ = 0;
}

std::string PsNameToken(std::string_view name) {
  std::string token;
  token.reserve(name.size());
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u <= 32 || u == 127 || std::strchr("()<>[]{}/%", c)) continue;
    token.push_back(c);
  }
  return token;
}
