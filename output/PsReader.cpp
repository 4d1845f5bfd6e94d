// The PostScript-subset reader. The whole file is held in memory and parsed in place: lines end
// at LF, CR or CR LF (files from other systems), have no length limit, and numbers are read with
// std::from_chars, which is several times faster than per-line sscanf and never rescans the
// rest of the buffer.
#include "output/PsReader.h"

#include <sys/stat.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "fonts/FontManager.h"
#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TabExpansion.h"
#include "model/TextMetrics.h"
#include "model/TextShape.h"
#include "platform/msgbox/Messages.h"

namespace {

// Image rows go out padded to whole strings of the procset's 768-byte buffer.
constexpr int64_t kImageStringBytes = 768;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsOperatorChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '*';
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The operand scan, with scanf's rules: numbers and words skip leading white space, other
// characters of the format must match exactly. Numbers that are not finite, or do not fit a
// float or an int32, fail the scan, so no handler ever sees them.
class Scanner {
 public:
  explicit Scanner(std::string_view s) : p_(s.data()), end_(s.data() + s.size()) {}

  void SkipSpace() {
    while (p_ < end_ && IsSpace(*p_)) ++p_;
  }

  bool Literal(char c) {
    if (p_ >= end_ || *p_ != c) return false;
    ++p_;
    return true;
  }

  bool Float(float* out) {
    SkipSpace();
    if (FastFloat(out)) return true;
    const char* s = p_;
    if (s < end_ && *s == '+') {
      ++s;
      if (s < end_ && *s == '-') return false;
    }
    float v = 0;
    auto r = std::from_chars(s, end_, v);
    if (r.ec == std::errc::result_out_of_range) {
      // Too small for a float (or even a double) reads as zero, as scanf would; too large is
      // refused.
      if (!BelowOne(s, r.ptr)) return false;
      v = *s == '-' ? -0.0f : 0.0f;
    } else if (r.ec != std::errc()) {
      return false;
    }
    if (!std::isfinite(v)) return false;
    *out = v;
    p_ = r.ptr;
    return true;
  }

  bool Floats(float* out, int n) {
    for (int i = 0; i < n; ++i)
      if (!Float(&out[i])) return false;
    return true;
  }

  bool Int(int32_t* out) {
    SkipSpace();
    const char* s = p_;
    if (s < end_ && *s == '+') {
      ++s;
      if (s < end_ && *s == '-') return false;
    }
    int32_t v = 0;
    auto r = std::from_chars(s, end_, v);
    if (r.ec != std::errc()) return false;
    *out = v;
    p_ = r.ptr;
    return true;
  }

  // "%s": a run of non-space characters.
  bool Word(std::string_view* out) {
    SkipSpace();
    const char* s = p_;
    while (p_ < end_ && !IsSpace(*p_)) ++p_;
    if (p_ == s) return false;
    *out = std::string_view(s, size_t(p_ - s));
    return true;
  }

  // "[%g %g %g %g %g %g": the closing bracket is checked only where a conversion follows it.
  bool Matrix(float m[6]) {
    SkipSpace();
    return Literal('[') && Floats(m, 6);
  }

  const char* pos() const { return p_; }

 private:
  // The numbers the writers produce ("%g" without exponent: at most seven digits) take a
  // path that is exact: a mantissa below 2^24 and a power of ten up to 10^10 are both floats,
  // so one correctly rounded division gives what strtof gives. Anything else goes to
  // from_chars.
  bool FastFloat(float* out) {
    static constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                       1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
    const char* s = p_;
    const bool negative = s < end_ && *s == '-';
    if (negative) ++s;
    uint32_t mantissa = 0;
    int digits = 0, fraction = 0;
    for (; s < end_ && uint8_t(*s - '0') < 10 && digits < 9; ++s, ++digits)
      mantissa = mantissa * 10 + uint32_t(*s - '0');
    if (s < end_ && *s == '.') {
      for (++s; s < end_ && uint8_t(*s - '0') < 10 && digits < 9; ++s, ++digits, ++fraction)
        mantissa = mantissa * 10 + uint32_t(*s - '0');
    }
    if (digits == 0 || mantissa > (1u << 24) || fraction > 10) return false;
    // More digits, an exponent or a second point: the general parser decides.
    if (s < end_ && ((uint8_t(*s - '0') < 10) || *s == 'e' || *s == 'E' || *s == '.')) return false;
    const float v = float(mantissa) / kPow10[fraction];
    *out = negative ? -v : v;
    p_ = s;
    return true;
  }

  // Whether the decimal number in [s, end) (as from_chars matched it) is below 1 in magnitude,
  // from the place of its first significant digit and its exponent; exact where it matters,
  // for numbers out of a float's range, whose places are far from zero.
  static bool BelowOne(const char* s, const char* end) {
    if (s < end && *s == '-') ++s;
    int64_t place = -1;  // of the first significant digit: 0 for units, -1 for tenths
    bool significant = false;
    for (; s < end && uint8_t(*s - '0') < 10; ++s) {
      significant = significant || *s != '0';
      if (significant) ++place;
    }
    if (s < end && *s == '.') {
      for (++s; s < end && uint8_t(*s - '0') < 10; ++s) {
        if (significant) continue;
        significant = *s != '0';
        if (!significant) --place;
      }
    }
    if (!significant) return true;
    int64_t exponent = 0;
    if (s < end && (*s == 'e' || *s == 'E')) {
      ++s;
      const bool negative = s < end && *s == '-';
      if (s < end && (*s == '-' || *s == '+')) ++s;
      for (; s < end && uint8_t(*s - '0') < 10; ++s)
        exponent = std::min<int64_t>(exponent * 10 + (*s - '0'), int64_t(1) << 40);
      if (negative) exponent = -exponent;
    }
    return place + exponent < 0;
  }

  const char* p_;
  const char* end_;
};

// The lines of a buffer, or of a regular file streamed through a buffer that is reused (a large
// drawing is not copied into fresh memory as a whole). LF, CR and CR LF all end a line; a line
// may be of any length: the buffer grows to hold it, never beyond what the file holds.
class LineReader {
 public:
  LineReader(const char* data, size_t size) : data_(data), size_(size), total_(size) {}
  LineReader(FILE* file, uint64_t fileSize) : file_(file), total_(fileSize), eof_(false) {}

  bool Next(std::string_view* line) {
    for (;;) {
      const size_t end = FindLineEnd(pos_);
      // Complete when its end is in view, with the byte after a CR too (CR LF is one end).
      const bool complete = end < size_ && (data_[end] != '\r' || end + 1 < size_ || eof_);
      if (complete || (eof_ && pos_ < size_)) {
        *line = std::string_view(data_ + pos_, end - pos_);
        pos_ = end;
        if (pos_ < size_) {
          if (data_[pos_] == '\r' && pos_ + 1 < size_ && data_[pos_ + 1] == '\n') ++pos_;
          ++pos_;
        }
        return true;
      }
      if (eof_) return false;
      if (!Refill()) eof_ = true;
    }
  }

  // Bytes not yet read.
  uint64_t Remaining() const { return total_ - (base_ + pos_); }

 private:
  // The first CR or LF at or after `from`, else size_. One pass for both characters, sixteen
  // bytes at a time where SSE2 is there (every x86-64).
  size_t FindLineEnd(size_t from) const {
    size_t i = from;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
    for (; size_ - i >= 16; i += 16) {
      const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data_ + i));
      const int mask =
          _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
      if (mask) return i + size_t(__builtin_ctz(unsigned(mask)));
    }
#endif
    for (; i < size_; ++i)
      if (data_[i] == '\n' || data_[i] == '\r') return i;
    return size_;
  }

  // Moves the unread bytes to the front and reads more; false at the end of the file (or on a
  // read error or when memory runs out, which end the input the same way).
  bool Refill() {
    if (!file_) return false;
    const uint64_t left = total_ - (base_ + pos_);  // unread bytes the file still holds
    const size_t keep = size_ - pos_;
    if (keep == capacity_) {
      const uint64_t want =
          std::min<uint64_t>(capacity_ ? uint64_t(capacity_) * 2 : kStreamBuffer, left);
      if (want <= capacity_ || want > SIZE_MAX) return false;
      std::unique_ptr<char[]> bigger(new (std::nothrow) char[size_t(want)]);
      if (!bigger) return false;
      if (keep) std::memcpy(bigger.get(), data_ + pos_, keep);
      buffer_ = std::move(bigger);
      capacity_ = size_t(want);
    } else if (keep) {
      std::memmove(buffer_.get(), data_ + pos_, keep);
    }
    data_ = buffer_.get();
    base_ += pos_;
    pos_ = 0;
    size_ = keep;
    const size_t room = size_t(std::min<uint64_t>(capacity_ - size_, left - keep));
    if (room == 0) return false;
    const size_t n = std::fread(buffer_.get() + size_, 1, room, file_);
    size_ += n;
    return n > 0;
  }

  static constexpr size_t kStreamBuffer = size_t(1) << 20;

  const char* data_ = nullptr;
  size_t size_ = 0;  // bytes in view at data_
  size_t pos_ = 0;
  FILE* file_ = nullptr;
  uint64_t total_;     // size of the whole input
  uint64_t base_ = 0;  // input offset of data_[0]
  bool eof_ = true;    // nothing more to read beyond data_ + size_
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
};

struct HexTable {
  int8_t value[256];
  HexTable() {
    for (int i = 0; i < 256; ++i) value[i] = -1;
    for (int i = 0; i < 10; ++i) value['0' + i] = int8_t(i);
    for (int i = 0; i < 6; ++i) {
      value['a' + i] = int8_t(10 + i);
      value['A' + i] = int8_t(10 + i);
    }
  }
};
const HexTable kHex;

// A colour component from a fraction 0..1: a whole percentage, rounded (truncation would turn
// the 0.7 that 70% is written as into 69) and kept within 0..100.
float Percent(float fraction) {
  double v = std::trunc(double(fraction) * 100.0 + 0.5);
  if (v < 0) v = 0;
  if (v > 100) v = 100;
  return float(v);
}

// A list of shapes the reader owns until it hands them over; destroys what is left.
struct OwnedList {
  ShapeList list;
  bool compound = false;  // opened by "*u"
  ~OwnedList() { DestroyShapes(&list); }
};

class Parser {
 public:
  Parser(LineReader lines, ShapeList* target, PageInfo* page,
         std::vector<std::string>* missingFonts)
      : lines_(std::move(lines)),
        root_(target),
        target_(target),
        page_(page),
        missing_(missingFonts) {}
  ~Parser();

  int32_t Run();

 private:
  bool ReadHeader();
  void Statement(std::string_view s);

  void FinishPath(std::string_view s, uint8_t arg);
  void Curve(std::string_view s, PsHandler kind, uint8_t arg);
  void Colour(std::string_view s, PsHandler kind, uint8_t arg);
  void MakeShape(std::string_view s, PsHandler kind);
  void Image(std::string_view s);
  bool ReadPixels(ImageData* image);
  void Font(std::string_view s, bool withLeading);
  void TextLine(std::string_view s);
  void TextEnd();
  void BeginList(bool compound);
  void EndList(bool compound);

  // Replaces the pending shape (a shape made earlier without its painting line is dropped).
  void SetPending(Shape* shape);
  void Append(Shape* shape);
  void AppendNode(const CurveNode& node);

  LineReader lines_;
  ShapeList* root_;
  ShapeList* target_;
  PageInfo* page_;
  std::vector<std::string>* missing_;
  // Lists of the groups and compound paths still open, innermost last; target_ is the last
  // one's list, or root_ when none is open.
  std::vector<std::unique_ptr<OwnedList>> open_;

  std::vector<CurveNode> nodes_;
  int32_t pathKind_ = 0;  // 0 polygon, 1 curve, 2 a complete shape waits in pending_
  std::unique_ptr<Shape> pending_;
  PaintStyle style_;
  int32_t arrowType_ = 0;
  float matrix_[6] = {0, 0, 0, 0, 0, 0};
  std::string font_ = "Helvetica";
  float size_ = 24;
  float leading_ = 24;
  int32_t align_ = 0;
  std::string text_;
  float box_[4] = {0, 0, 0, 0};
  bool hasBox_ = false;
  // Set by a handler that cannot go on without misreading what follows (an image whose pixels
  // the file does not hold); the read stops and fails.
  bool failed_ = false;
};

Parser::~Parser() {
  // A file that ends inside groups keeps their shapes: the open groups are closed as if their
  // end marks had been read.
  while (!open_.empty()) EndList(open_.back()->compound);
}

void Parser::Append(Shape* shape) {
  if (!shape) return;
  if (!target_->Append(shape)) delete shape;
}

void Parser::SetPending(Shape* shape) {
  pending_.reset(shape);
  pathKind_ = 2;
}

void Parser::AppendNode(const CurveNode& node) { nodes_.push_back(node); }

int32_t Parser::Run() {
  page_->landscape = 0;
  if (!ReadHeader()) return 0;

  std::string_view line;
  if (!lines_.Next(&line)) return 0;
  if (StartsWith(line, "%%BeginSetup")) {
    for (;;) {
      if (!lines_.Next(&line)) return 0;
      if (StartsWith(line, "%%EndSetup") || EndsWith(line, "%%EndSetup")) break;
      if (StartsWith(line, "%QLX g")) {
        Scanner scan(line.substr(6));
        int32_t grid[4];
        if (scan.Int(&grid[0]) && scan.Int(&grid[1]) && scan.Int(&grid[2]) && scan.Int(&grid[3]))
          for (int i = 0; i < 4; ++i) page_->grid[i] = grid[i];
      }
    }
    if (!lines_.Next(&line)) return 0;
  }
  if (StartsWith(line, "%%Page")) {
    if (!lines_.Next(&line)) return 0;
  }
  if (StartsWith(line, "%%BeginPageSetup")) {
    do {
      if (!lines_.Next(&line)) return 0;
    } while (!StartsWith(line, "%%EndPageSetup"));
    if (!lines_.Next(&line)) return 0;
  }
  for (;;) {
    if (!line.empty() && line[0] == '%' &&
        (StartsWith(line, "%%PageTrailer") || StartsWith(line, "%%Trailer")))
      return 1;
    Statement(line);
    if (failed_ || !lines_.Next(&line)) return 0;
  }
}

bool Parser::ReadHeader() {
  std::string_view line;
  static constexpr std::string_view kCreator = "%%Creator: Ondara Draw, Version";
  static constexpr std::string_view kOrientation = "%%Orientation: ";
  for (;;) {
    if (!lines_.Next(&line)) return false;
    if (StartsWith(line, "%%EndProlog")) return true;
    if (StartsWith(line, kCreator)) {
      // Version 1.0 files used a body this reader does not understand.
      Scanner scan(line.substr(kCreator.size()));
      float version = 0;
      if (scan.Float(&version) && std::trunc(double(version) * 10.0) == 10.0) return false;
    } else if (StartsWith(line, kOrientation)) {
      page_->landscape = StartsWith(line.substr(kOrientation.size()), "Landscape") ? 1 : 0;
    }
  }
}

void Parser::Statement(std::string_view s) {
  if (s.empty() || s[0] == '%') return;
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  size_t start = s.size();
  while (start > 0 && IsOperatorChar(s[start - 1])) --start;
  const int32_t index = FindPsOperator(s.substr(start));
  if (index < 0) return;
  const PsOperator& op = PsOperatorTable()[index];
  Scanner scan(s);
  float v[8];
  int32_t n = 0;
  switch (op.handler) {
    case PsHandler::kFinishPath:
      FinishPath(s, op.arg);
      break;
    case PsHandler::kCurveTo:
    case PsHandler::kCurveFromHere:
    case PsHandler::kCurveToEnd:
      Curve(s, op.handler, op.arg);
      break;
    case PsHandler::kMoveTo:
      if (scan.Floats(v, 2)) {
        nodes_.clear();
        AppendNode(MakeCurveNode(v[0], v[1], 0));
        pathKind_ = 0;
      }
      break;
    case PsHandler::kLineTo:
      if (scan.Floats(v, 2)) AppendNode(MakeCurveNode(v[0], v[1], 0));
      break;
    case PsHandler::kDiscardPath:
      nodes_.clear();
      break;
    case PsHandler::kDash: {
      static constexpr std::string_view kDashes[] = {"[] 0 d", "[10 4] 0 d", "[3 3] 0 d",
                                                     "[10 4 3 4] 0 d", "[10 4 3 4 3 4] 0 d"};
      for (int i = 0; i < 5; ++i)
        if (s == kDashes[i]) style_.dash = i - 1;
      break;
    }
    case PsHandler::kLineWidth:
      if (scan.Float(&v[0])) style_.lineWidth = v[0];
      break;
    case PsHandler::kPattern:
      // Only the nine patterns exist; another index would reach past the pattern tables.
      if (scan.Int(&n) && n >= -1 && n <= 8) style_.pattern = n;
      break;
    case PsHandler::kArrowType:
      if (scan.Int(&n) && n >= 0 && n <= 4) arrowType_ = n;
      break;
    case PsHandler::kGrey:
    case PsHandler::kCmyk:
    case PsHandler::kRgb:
      Colour(s, op.handler, op.arg);
      break;
    case PsHandler::kLineShape:
    case PsHandler::kArcShape:
    case PsHandler::kBoxShape:
    case PsHandler::kOvalShape:
      MakeShape(s, op.handler);
      break;
    case PsHandler::kImageShape:
      Image(s);
      break;
    case PsHandler::kTextMatrix:
      text_.clear();
      if (scan.Matrix(v)) std::memcpy(matrix_, v, sizeof matrix_);
      break;
    case PsHandler::kTextMatrixAi:
      if (scan.Floats(v, 7)) std::memcpy(matrix_, v, sizeof matrix_);
      break;
    case PsHandler::kFont:
      Font(s, true);
      break;
    case PsHandler::kFontAndSize:
      Font(s, false);
      break;
    case PsHandler::kTextBox:
      if (scan.Floats(v, 4)) {
        box_[0] = v[2];  // left
        box_[1] = v[3];  // top
        box_[2] = v[0];  // right
        box_[3] = v[1];  // bottom
        hasBox_ = true;
      }
      break;
    case PsHandler::kTextLine:
      TextLine(s);
      break;
    case PsHandler::kTextEnd:
      TextEnd();
      break;
    case PsHandler::kGroupBegin:
      BeginList(false);
      break;
    case PsHandler::kCompoundBegin:
      BeginList(true);
      break;
    case PsHandler::kGroupEnd:
    case PsHandler::kCompoundEnd:
      // Another program's text line may end in these letters.
      if (s[0] == '(') {
        TextLine(s);
      } else {
        EndList(op.handler == PsHandler::kCompoundEnd);
      }
      break;
  }
}

void Parser::Curve(std::string_view s, PsHandler kind, uint8_t arg) {
  Scanner scan(s);
  float v[6];
  const uint8_t corner = (arg & kPsCorner) ? 1 : 0;
  if (kind == PsHandler::kCurveTo) {
    if (!scan.Floats(v, 6)) return;
    if (!nodes_.empty()) {
      nodes_.back().outX = v[0];
      nodes_.back().outY = v[1];
    }
    CurveNode node = MakeCurveNode(v[4], v[5], corner);
    node.inX = v[2];
    node.inY = v[3];
    AppendNode(node);
  } else {
    if (!scan.Floats(v, 4) || nodes_.empty()) return;
    CurveNode& last = nodes_.back();
    CurveNode node = MakeCurveNode(v[2], v[3], corner);
    if (kind == PsHandler::kCurveFromHere) {
      last.outX = last.x;
      last.outY = last.y;
      node.inX = v[0];
      node.inY = v[1];
    } else {
      last.outX = v[0];
      last.outY = v[1];
    }
    AppendNode(node);
  }
  pathKind_ = 1;
}

void Parser::FinishPath(std::string_view, uint8_t arg) {
  const bool close = (arg & kPsClose) != 0;
  const size_t count = nodes_.size();
  Shape* made = nullptr;
  // The writer repeats the first point at the end of a closed path; only that repeated point
  // is dropped, so a closed path from another program keeps all its points.
  const bool repeatsFirst =
      count >= 3 && nodes_.back().x == nodes_.front().x && nodes_.back().y == nodes_.front().y;
  if (pathKind_ == 0 && count >= 2) {
    auto* polygon = new (std::nothrow) PolygonShape();
    if (!polygon) return;
    const bool closed = count >= 3 && close;
    const size_t used = closed && repeatsFirst ? count - 1 : count;
    if (!polygon->points.Reserve(int32_t(std::min<size_t>(used, INT32_MAX)))) {
      delete polygon;
      return;
    }
    for (size_t i = 0; i < used; ++i) polygon->points.Append(MakePoint(nodes_[i].x, nodes_[i].y));
    polygon->closed = closed ? 1 : 0;
    made = polygon;
  } else if (pathKind_ == 1 && count >= 2) {
    auto* curve = new (std::nothrow) CurveShape();
    if (!curve) return;
    const bool closed = count >= 3 && close;
    size_t used = count;
    if (closed && repeatsFirst) {
      // The closing segment ends on a copy of the first node: its incoming control, and the
      // corner flag its letter ("c" or "C") gave, belong to the first node.
      nodes_.front().inX = nodes_.back().inX;
      nodes_.front().inY = nodes_.back().inY;
      nodes_.front().corner = nodes_.back().corner;
      used = count - 1;
    }
    if (!curve->nodes.Reserve(int32_t(std::min<size_t>(used, INT32_MAX)))) {
      delete curve;
      return;
    }
    for (size_t i = 0; i < used; ++i) curve->nodes.Append(nodes_[i]);
    curve->closed = closed ? 1 : 0;
    made = curve;
  }
  if (made) {
    // A painted path is used up, as PostScript's fill and stroke end it.
    nodes_.clear();
    pending_.reset(made);
  } else if (pathKind_ != 2) {
    return;
  }
  if (!pending_) return;
  style_.fillOn = (arg & kPsFill) ? 1 : 0;
  style_.strokeOn = (arg & kPsStroke) ? 1 : 0;
  pending_->SetPaintStyle(style_);
  Append(pending_.release());
}

void Parser::Colour(std::string_view s, PsHandler kind, uint8_t arg) {
  Scanner scan(s);
  float v[4];
  Color c;
  if (kind == PsHandler::kGrey) {
    if (!scan.Float(&v[0])) return;
    c.red = c.green = c.blue = Percent(v[0]);
  } else if (kind == PsHandler::kCmyk) {
    if (!scan.Floats(v, 4)) return;
    c.red = Percent(1 - std::min(1.0f, v[0] + v[3]));
    c.green = Percent(1 - std::min(1.0f, v[1] + v[3]));
    c.blue = Percent(1 - std::min(1.0f, v[2] + v[3]));
  } else {
    if (!scan.Floats(v, 3)) return;
    c.red = Percent(v[0]);
    c.green = Percent(v[1]);
    c.blue = Percent(v[2]);
  }
  if (arg & kPsFill) {
    style_.fillColor = c;
  } else {
    style_.strokeColor = c;
  }
}

void Parser::MakeShape(std::string_view s, PsHandler kind) {
  Scanner scan(s);
  float v[6];
  float m[6];
  Shape* shape = nullptr;
  switch (kind) {
    case PsHandler::kArcShape:
      if (!scan.Floats(v, 6) || !scan.Matrix(m)) return;
      shape = new (std::nothrow) ArcShape(v[4], v[5], v[2], v[3], v[0], v[1]);
      break;
    case PsHandler::kBoxShape:
      if (!scan.Floats(v, 4) || !scan.Matrix(m)) return;
      shape = new (std::nothrow) BoxShape(v[2], v[3], v[0], v[1]);
      break;
    case PsHandler::kOvalShape:
      if (!scan.Floats(v, 4) || !scan.Matrix(m)) return;
      shape = new (std::nothrow) OvalShape(v[2], v[3], v[0], v[1]);
      break;
    case PsHandler::kLineShape: {
      int32_t bits = 0;
      if (!scan.Int(&bits) || !scan.Floats(v, 4) || !scan.Matrix(m)) return;
      shape = new (std::nothrow) LineShape(v[2], v[3], v[0], v[1]);
      if (!shape) return;
      // The enabled values the Line menu stores: 1 at the start, 2 at the end.
      shape->SetArrows(Arrowhead{(bits & 1) ? 1 : 0, arrowType_},
                       Arrowhead{(bits & 2) ? 2 : 0, arrowType_});
      break;
    }
    default:
      return;
  }
  if (!shape) return;
  shape->SetMatrixFrom(m);
  SetPending(shape);
}

void Parser::Image(std::string_view s) {
  Scanner scan(s);
  float m[6];
  int32_t w = 0, h = 0;
  if (!scan.Literal('[') || !scan.Floats(m, 6) || !scan.Literal(']') || !scan.Int(&w) ||
      !scan.Int(&h))
    return;
  if (w <= 0 || h <= 0) return;
  // Every pixel takes six hexadecimal digits, so a size the rest of the file cannot hold is
  // known to run into its end before anything is allocated. That, like an image that cannot be
  // held, fails the read: skipping it would read its pixel lines as drawing statements.
  failed_ = true;
  const uint64_t pixels = uint64_t(w) * uint64_t(h);
  if (pixels > lines_.Remaining() / 6) return;
  std::unique_ptr<ImageShape> image(new (std::nothrow) ImageShape());
  if (!image) return;
  image->SetMatrixFrom(m);
  image->image.width = w;
  image->image.height = h;
  try {
    image->image.pixels.resize(size_t(pixels) * 3);
  } catch (const std::bad_alloc&) {
    return;
  }
  if (!ReadPixels(&image->image)) return;
  failed_ = false;
  image->InvalidateBounds();
  Append(image.release());
}

bool Parser::ReadPixels(ImageData* image) {
  const int64_t need = int64_t(image->pixels.size());
  const int64_t total = (need + kImageStringBytes - 1) / kImageStringBytes * kImageStringBytes;
  uint8_t* out = image->pixels.data();
  int64_t count = 0;
  std::string_view line;
  while (count < total) {
    if (!lines_.Next(&line)) return false;
    const uint8_t* p = reinterpret_cast<const uint8_t*>(line.data());
    const uint8_t* end = p + line.size();
    // A line ends at its first character that is not part of a hexadecimal pair.
    while (end - p >= 2 && count < total) {
      // The padding after the pixels is written as zeros: skip it eight bytes at a time.
      if (count >= need && total - count >= 8 && end - p >= 16 &&
          std::memcmp(p, "0000000000000000", 16) == 0) {
        count += 8;
        p += 16;
        continue;
      }
      const int hi = kHex.value[p[0]];
      const int lo = kHex.value[p[1]];
      if ((hi | lo) < 0) break;
      if (count < need) out[count] = uint8_t(hi << 4 | lo);
      ++count;
      p += 2;
    }
  }
  return true;
}

// The font name of "z" and "Tf" lines is written "/_Name" (the re-encoded copy) or "/Name".
std::string_view StripFontName(std::string_view word) {
  if (StartsWith(word, "/_")) return word.substr(2);
  if (StartsWith(word, "/")) return word.substr(1);
  return word;
}

void Parser::Font(std::string_view s, bool withLeading) {
  Scanner scan(s);
  std::string_view name;
  float v[3];
  if (withLeading) {
    int32_t align = 0;
    if (!scan.Word(&name) || !scan.Floats(v, 3) || !scan.Int(&align)) return;
    font_.assign(StripFontName(name));
    size_ = v[0];
    leading_ = v[1];
    // Only the four alignments exist (the writers index tables by them); another one keeps the
    // alignment in force.
    if (align >= 0 && align <= 3) align_ = align;
  } else {
    if (!scan.Word(&name) || !scan.Float(&v[0])) return;
    font_.assign(StripFontName(name));
    size_ = v[0];
  }
}

void Parser::TextLine(std::string_view s) {
  const size_t open = s.find('(');
  const size_t close = s.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close <= open) return;
  const std::string_view body = s.substr(open + 1, close - open - 1);
  std::string piece;
  piece.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '\\' && i + 1 < body.size()) {
      const char next = body[i + 1];
      if (next == '(' || next == ')' || next == '\\') {
        c = next;
        ++i;
      } else if (next == 'r') {
        c = kParagraphEnd;
        ++i;
      } else if (next >= '0' && next <= '7') {
        int value = 0;
        size_t j = i + 1;
        for (int k = 0; k < 3 && j < body.size() && body[j] >= '0' && body[j] <= '7'; ++k, ++j)
          value = value * 8 + (body[j] - '0');
        i = j - 1;
        c = char(value & 0xFF);
        // A NUL would end the text buffer and cut off everything after it.
        if (c == '\0') continue;
      }
    }
    piece.push_back(c);
  }
  if (!text_.empty() && text_.back() != kParagraphEnd &&
      (piece.empty() || piece[0] != kParagraphEnd))
    text_.push_back(kSoftBreak);
  text_ += piece;
}

void Parser::TextEnd() {
  if (text_.empty()) return;
  std::string font = font_;
  if (FontManager* fonts = TheFontManager()) {
    if (FontFace* face = fonts->FindFace(font_)) {
      font = face->PostScriptName();
    } else {
      if (missing_) {
        bool listed = false;
        for (const std::string& name : *missing_) listed = listed || name == font_;
        if (!listed) missing_->push_back(font_);
      }
      // The text keeps the font it asks for, so that saving on a machine that merely lacks it
      // loses nothing; measuring and drawing use the default face in its place. Only a text
      // without any font name takes the default's.
      FontFace* fallback = font_.empty() ? fonts->DefaultFace() : nullptr;
      if (fallback) font = fallback->PostScriptName();
    }
  }
  // Files written before tabs were expanded on the way in may still hold them.
  std::string content = ExpandTabs(text_);
  text_.clear();
  std::unique_ptr<TextShape> text(new (std::nothrow)
                                      TextShape(content.c_str(), font, size_, leading_, align_));
  if (!text || !text->buffer().Valid()) return;
  text->SetPaintStyle(style_);
  text->SetMatrixFrom(matrix_);
  if (hasBox_) {
    text->SetFrame(box_[0], box_[1], box_[2], box_[3]);
    hasBox_ = false;
  } else {
    // No box (Illustrator files): the frame is made as wide as the widest line, placed by the
    // alignment around the text origin, so the layout keeps the file's line breaks.
    TextMetrics* metrics = CurrentTextMetrics();
    // Measured on the text as read: the constructor's layout has already re-broken its copy.
    float widest = 0;
    for (const char* p = content.c_str();;) {
      const char* e = p;
      while (*e && *e != kParagraphEnd && *e != kSoftBreak) ++e;
      const int32_t n = int32_t(std::min<ptrdiff_t>(e - p, kMaxLineChars));
      if (metrics && n > 0)
        widest = std::max(widest, metrics->StringWidth(font.c_str(), p, n, size_));
      if (!*e) break;
      p = e + 1;
    }
    const float ascent = metrics ? metrics->Ascent(font.c_str(), size_) : 0;
    float left = 0;
    if (align_ == kAlignCentre) left = -widest / 2;
    if (align_ == kAlignRight) left = -widest;
    text->SetFrame(left, ascent, left + widest, ascent);
    if (content != text->text()) {
      // A short line took the next line's first word: no frame width keeps these breaks, so
      // they become paragraph ends.
      for (char& c : content)
        if (c == kSoftBreak) c = kParagraphEnd;
      text->SetText(content.c_str());
    }
  }
  Append(text.release());
}

void Parser::BeginList(bool compound) {
  auto list = std::make_unique<OwnedList>();
  list->compound = compound;
  open_.push_back(std::move(list));
  target_ = &open_.back()->list;
}

void Parser::EndList(bool compound) {
  // An end mark without its begin is ignored, so the shapes read so far stay where they are.
  if (open_.empty()) return;
  std::unique_ptr<OwnedList> list = std::move(open_.back());
  open_.pop_back();
  target_ = open_.empty() ? root_ : &open_.back()->list;
  if (compound && list->list.Empty()) return;
  ContainerShape* container = compound
                                  ? static_cast<ContainerShape*>(new (std::nothrow) CompoundShape())
                                  : new (std::nothrow) GroupShape();
  if (!container || !container->children()) {
    delete container;
    return;
  }
  container->children()->Swap(list->list);
  Append(container);
}

}  // namespace

int32_t PsReader::Read(const char* data, size_t size, ShapeList* target, PageInfo* page,
                       std::vector<std::string>* missingFonts) {
  if (!target || !page || (!data && size)) return 0;
  try {
    Parser parser(LineReader(data, size), target, page, missingFonts);
    return parser.Run();
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

namespace {

// The whole file, bounded by its size (a pipe or device grows the buffer as it delivers); false
// with errno set when it cannot be read.
bool LoadFile(const char* path, std::unique_ptr<char[]>* buffer, size_t* size) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  bool ok = true;
  size_t capacity = 0, used = 0, first = 65536;
  struct stat st;
  if (fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
      uint64_t(st.st_size) < SIZE_MAX)
    first = size_t(st.st_size);
  for (;;) {
    if (used == capacity) {
      // A regular file is read in one piece and this probe finds its end; anything else, or a
      // file that grew, is read in doubling steps.
      const int probe = capacity ? std::fgetc(f) : 0;
      if (probe == EOF) {
        ok = !std::ferror(f);
        break;
      }
      const size_t grown = capacity ? (capacity > SIZE_MAX / 2 ? 0 : capacity * 2) : first;
      std::unique_ptr<char[]> bigger(grown ? new (std::nothrow) char[grown] : nullptr);
      if (!bigger) {
        errno = ENOMEM;
        ok = false;
        break;
      }
      if (used) std::memcpy(bigger.get(), buffer->get(), used);
      *buffer = std::move(bigger);
      if (capacity) (*buffer)[used++] = char(probe);
      capacity = grown;
    }
    const size_t n = std::fread(buffer->get() + used, 1, capacity - used, f);
    used += n;
    if (n == 0) {
      ok = !std::ferror(f);
      break;
    }
  }
  *size = used;
  const int saved = errno;
  std::fclose(f);
  errno = saved;
  return ok;
}

}  // namespace

int32_t PsReader::ReadFile(const char* path, ShapeList* target, PageInfo* page,
                           std::vector<std::string>* missingFonts) {
  if (!target || !page) return 0;
  FILE* f = std::fopen(path, "rb");
  struct stat st;
  if (f && fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode)) {
    int32_t result = 0;
    try {
      Parser parser(LineReader(f, uint64_t(std::max<off_t>(st.st_size, 0))), target, page,
                    missingFonts);
      result = parser.Run();
    } catch (const std::bad_alloc&) {
      result = 0;
    }
    std::fclose(f);
    return result;
  }
  if (f) std::fclose(f);
  // A pipe or device: read what it delivers, then parse it.
  std::unique_ptr<char[]> data;
  size_t size = 0;
  if (!LoadFile(path, &data, &size)) {
    ShowError(Format("Unable to open %s\n%s", path, std::strerror(errno)));
    return 0;
  }
  return Read(data.get(), size, target, page, missingFonts);
}

namespace {

int32_t FinishDrawingRead(int32_t result, const PageInfo& page, Drawing* drawing) {
  drawing->landscape = page.landscape;
  drawing->grid.hSpacing = page.grid[0];
  drawing->grid.vSpacing = page.grid[1];
  drawing->grid.show = page.grid[2];
  drawing->grid.snap = page.grid[3];
  NoteShapesChanged();
  return result;
}

PageInfo PageOf(const Drawing& drawing) {
  PageInfo page;
  page.landscape = drawing.landscape;
  page.grid[0] = drawing.grid.hSpacing;
  page.grid[1] = drawing.grid.vSpacing;
  page.grid[2] = drawing.grid.show;
  page.grid[3] = drawing.grid.snap;
  return page;
}

}  // namespace

int32_t ReadDrawingFile(const char* path, Drawing* drawing,
                        std::vector<std::string>* missingFonts) {
  PageInfo page = PageOf(*drawing);
  PsReader reader;
  const int32_t result = reader.ReadFile(path, &drawing->shapes(), &page, missingFonts);
  return FinishDrawingRead(result, page, drawing);
}

int32_t ReadDrawingData(const char* data, size_t size, Drawing* drawing,
                        std::vector<std::string>* missingFonts) {
  PageInfo page = PageOf(*drawing);
  PsReader reader;
  const int32_t result = reader.Read(data, size, &drawing->shapes(), &page, missingFonts);
  return FinishDrawingRead(result, page, drawing);
}

void ReportMissingFonts(const std::vector<std::string>& names) {
  for (const std::string& name : names)
    ShowWarning(
        Format("Can't find font \"%-.64s\"\nAnother font will be substituted.", name.c_str()));
}

int32_t OpenDrawingFile(const char* path, Drawing* drawing) {
  std::vector<std::string> missing;
  const int32_t result = ReadDrawingFile(path, drawing, &missing);
  if (!result) ShowError(Format("An error has occurred while opening\n%s", path));
  ReportMissingFonts(missing);
  return result;
}
