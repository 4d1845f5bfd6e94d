// What the PostScript-family writers (native, EPS, print, Illustrator, PDF) share: the cache of
// the paint style in force, number and matrix formatting in the C locale, string escaping and a
// buffered line writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
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
// Room the matrix text needs at `out` of WriteMatrix, which returns its end.
inline constexpr size_t kMatrixChars = 6 * kNumberChars + 4;
char* WriteMatrix(char* out, const Matrix& m, int32_t bare, bool plain);

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
// through the sink's formatted output is far too slow for big drawings. Text goes straight
// into a buffer of fixed room, which numbers are formatted into in place: the writers put
// millions of short pieces, and a string's checks and copies per piece cost more than the
// formatting.
class PsLineBuffer {
 public:
  explicit PsLineBuffer(OutputSink* sink);
  PsLineBuffer(const PsLineBuffer&) = delete;
  PsLineBuffer& operator=(const PsLineBuffer&) = delete;
  ~PsLineBuffer() { Flush(); }

  void Put(std::string_view s) {
    char* at = Room(s.size());
    if (!s.empty()) std::memcpy(at, s.data(), s.size());
    used_ += s.size();
  }
  void Put(char c) {
    *Room(1) = c;
    used_++;
  }
  // "(", ")" and backslash escaped, high bytes in octal, as AppendEscapedPsString.
  void PutEscaped(const char* text, size_t length);
  // Numbers in plain decimals only (FormatPlainNumber), for PDF content.
  void SetPlainNumbers(bool plain) { plain_ = plain; }
  // "%g", then one space with NumberSp.
  void Number(double v) { Wrote(Format(Room(kNumberChars), v)); }
  void NumberSp(double v) {
    char* end = Format(Room(kNumberChars + 1), v);
    *end++ = ' ';
    Wrote(end);
  }
  void Int(int64_t v);
  void IntSp(int64_t v) {
    Int(v);
    Put(' ');
  }
  void Matrix(const ::Matrix& m, int32_t bare);
  // Ends the line (CR LF); hands the buffer to the sink once it is large.
  void EndLine() {
    std::memcpy(Room(2), "\r\n", 2);
    used_ += 2;
    if (used_ >= kFlushSize) Flush();
  }
  void Line(std::string_view s) {
    Put(s);
    EndLine();
  }
  // Writes what is buffered; call before anything else writes to the sink directly.
  void Flush();
  // At least `n` characters of room at the returned place; Wrote then says where the text
  // written there ends.
  char* Room(size_t n) {
    if (n > room_.size() - used_) Grow(n);
    return room_.data() + used_;
  }
  void Wrote(const char* end) { used_ = size_t(end - room_.data()); }
  // The length of the text not yet handed to the sink.
  size_t PendingSize() const { return used_; }
  OutputSink* sink() const { return sink_; }

 private:
  static constexpr size_t kFlushSize = 1 << 16;
  char* Format(char* out, double v) const {
    return plain_ ? FormatPlainNumber(out, v, 6) : FormatNumber(out, v);
  }
  void Grow(size_t n);

  OutputSink* sink_;
  std::string room_;  // its whole length is room; used_ of it holds text
  size_t used_ = 0;
  bool plain_ = false;
};
