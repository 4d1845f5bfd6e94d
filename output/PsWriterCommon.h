// What the PostScript-family writers (native, EPS, print, Illustrator, PDF) share: the cache of
// the paint style in force, number and matrix formatting in the C locale, string escaping and a
// buffered line writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/Geometry.h"

class OutputSink;

// Every line the PostScript family writes ends with CR LF.
inline constexpr std::string_view kLineEnd = "\r\n";

// What the output currently has in force, so that style lines are written only when they
// change. Process-wide: the writers must not run interleaved.
struct PaintStyleCache {
  float lineWidth = 1.0f;  // the effective width (1 for dashed lines)
  Color strokeColor{0, 0, 0};
  Color fillColor{100, 100, 100};
  int32_t pattern = -1;
  int32_t dash = -1;
  std::string fontName;
  float fontSize = -1;
  float leading = -1;
  int32_t align = -1;

  // The default paint style, no font: what the procset and the page setup establish.
  void Reset();
};

PaintStyleCache& ThePaintStyleCache();
void ResetPaintStyleCache();

// Room every formatting routine below needs at `out`.
inline constexpr size_t kNumberChars = 32;

// The bytes of printf "%g" (six significant digits) in the C locale whatever the user's locale;
// a value that is not finite is written as 0 so the output stays valid PostScript. Returns the
// end of the written characters (no NUL).
char* FormatNumber(char* out, double v);
// The same with "%.<precision>g".
char* FormatNumberPrecision(char* out, double v, int precision);
std::string NumberText(double v);
// The same value as FormatNumberPrecision, but never in exponent form (PDF has none): a value that
// "%g" would write with an exponent is written in plain decimals, whole numbers for large values
// and at most kPlainDecimals places for small ones, where what rounds to nothing is written 0.
inline constexpr int kPlainDecimals = 6;
char* FormatPlainNumber(char* out, double v, int precision);

// The six matrix entries with "%.4g" (entries below 0.0001 in magnitude written as 0), joined by
// spaces: "[a b c d tx ty] " (bare 0) or "a b c d tx ty " (bare 1). Both end with one space.
std::string FormatMatrix(const Matrix& m, int32_t bare);
// `plain` writes the entries with FormatPlainNumber.
void AppendMatrix(std::string* out, const Matrix& m, int32_t bare, bool plain = false);

// "(", ")" and backslash get a backslash before them; bytes of 128 and more become a backslash
// and three octal digits ("%3o"); everything else is copied.
std::string EscapePsString(const char* text);
void AppendEscapedPsString(std::string* out, const char* text, size_t length);

// A font name as one PostScript name token: white space, control bytes and the delimiters
// "()<>[]{}/%" are removed, since any of them would end the token and leave the rest to run as
// operators.
std::string PsNameToken(std::string_view name);

// The dash line of a dash index ("[] 0 d" for -1 and any index outside 0..3).
const char* DashLine(int32_t dash);
// Pattern font name of a pattern index 0..8; null otherwise.
const char* PatternName(int32_t index);

// Collects output lines and hands them to the sink in large pieces: writing a line at a time
// through the sink's formatted output is far too slow for big drawings.
class PsLineBuffer {
 public:
  explicit PsLineBuffer(OutputSink* sink) : sink_(sink) {}
  PsLineBuffer(const PsLineBuffer&) = delete;
  PsLineBuffer& operator=(const PsLineBuffer&) = delete;
  ~PsLineBuffer() { Flush(); }

  void Put(std::string_view s) { buf_.append(s); }
  void Put(char c) { buf_.push_back(c); }
  // Numbers in plain decimals only (FormatPlainNumber), for PDF content.
  void SetPlainNumbers(bool plain) { plain_ = plain; }
  // "%g", then one space with NumberSp.
  void Number(double v);
  void NumberSp(double v);
  void Int(int64_t v);
  void IntSp(int64_t v) {
    Int(v);
    buf_.push_back(' ');
  }
  void Matrix(const ::Matrix& m, int32_t bare) { AppendMatrix(&buf_, m, bare, plain_); }
  // Ends the line (CR LF); hands the buffer to the sink once it is large.
  void EndLine() {
    buf_.append(kLineEnd);
    if (buf_.size() >= kFlushSize) Flush();
  }
  void Line(std::string_view s) {
    buf_.append(s);
    EndLine();
  }
  // Writes what is buffered; call before anything else writes to the sink directly.
  void Flush();
  // The text not yet handed to the sink.
  std::string& pending() { return buf_; }
  OutputSink* sink() const { return sink_; }

 private:
  static constexpr size_t kFlushSize = 1 << 16;
  char* Format(char* out, double v) const;

  OutputSink* sink_;
  std::string buf_;
  bool plain_ = false;
};
