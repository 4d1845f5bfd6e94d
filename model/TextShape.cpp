#include "model/TextShape.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

#include "model/ContainerShapes.h"
#include "model/GraphicsState.h"
#include "model/HandleMarker.h"
#include "model/TextMetrics.h"
#include "output/OutputDriver.h"

// ---------------------------------------------------------------------------------------------
// TextBuffer

TextBuffer::TextBuffer() {
  data_ = new (std::nothrow) char[kInitialCapacity];
  if (!data_) return;
  data_[0] = '\0';
  capacity_ = kInitialCapacity;
  length_ = 1;
}

TextBuffer::TextBuffer(const TextBuffer& other) {
  if (!other.data_ || other.length_ <= 0) return;
  data_ = new (std::nothrow) char[size_t(other.length_)];
  if (!data_) return;
  std::memcpy(data_, other.data_, size_t(other.length_));
  capacity_ = other.length_;
  length_ = other.length_;
}

TextBuffer::TextBuffer(TextBuffer&& other) noexcept { Swap(other); }

TextBuffer& TextBuffer::operator=(TextBuffer&& other) noexcept {
  if (this != &other) {
    TextBuffer old(std::move(other));
    Swap(old);
  }
  return *this;
}

TextBuffer::~TextBuffer() { delete[] data_; }

void TextBuffer::Swap(TextBuffer& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(capacity_, other.capacity_);
  std::swap(length_, other.length_);
}

bool TextBuffer::Reserve(int32_t n) {
  if (n <= capacity_) return true;
  if (capacity_ <= 0 || n < 0) return false;  // a buffer that never got memory cannot grow
  int64_t cap = std::max(int64_t(capacity_) * 2, int64_t(n));
  if (cap > INT32_MAX) cap = n;
  char* fresh = new (std::nothrow) char[size_t(cap)];
  if (!fresh) return false;
  std::memcpy(fresh, data_, size_t(length_));
  delete[] data_;
  data_ = fresh;
  capacity_ = int32_t(cap);
  return true;
}

bool TextBuffer::Store(const char* text, int32_t n) {
  if (!text || n < 0) n = 0;
  // The drivers and the writers see a NUL-terminated string: the text ends at its first NUL.
  if (n > 0) {
    const void* nul = std::memchr(text, 0, size_t(n));
    if (nul) n = int32_t(static_cast<const char*>(nul) - text);
  }
  if (n == INT32_MAX || !Reserve(n + 1)) return false;
  if (n > 0) std::memmove(data_, text, size_t(n));
  data_[n] = '\0';
  length_ = n + 1;
  return true;
}

bool TextBuffer::Store(const char* text) {
  size_t n = text ? std::strlen(text) : 0;
  if (n >= size_t(INT32_MAX)) return false;
  return Store(text, int32_t(n));
}

bool TextBuffer::Insert(int32_t pos, char c) {
  if (c == '\0' || !data_ || pos < 0 || pos > TextLength()) return false;
  if (length_ == INT32_MAX || !Reserve(length_ + 1)) return false;
  std::memmove(data_ + pos + 1, data_ + pos, size_t(length_ - pos));
  data_[pos] = c;
  ++length_;
  return true;
}

bool TextBuffer::Erase(int32_t pos) {
  if (!data_ || pos < 0 || pos >= TextLength()) return false;
  std::memmove(data_ + pos, data_ + pos + 1, size_t(length_ - pos - 1));
  --length_;
  return true;
}

// ---------------------------------------------------------------------------------------------
// TextShape

struct TextShape::Line {
  int32_t start = 0;
  int32_t length = 0;            // characters before the CR, LF or end
  int32_t drawn = 0;             // the part measured and drawn (at most kMaxLineChars)
  int32_t spaces = 0;            // spaces in the drawn part
  int32_t next = 0;              // where the following line starts
  bool lastOfParagraph = false;  // ends at a CR or at the end of the text
};

TextShape::TextShape() {
  style_.fillOn = 1;
  style_.fillColor = Color{0, 0, 0};
}

TextShape::TextShape(const char* text, const std::string& font, float size, float leading,
                     int32_t alignment)
    : font_(font), size_(size), leading_(leading), alignment_(alignment) {
  style_.fillOn = 1;
  style_.fillColor = Color{0, 0, 0};
  text_.Store(text);
  Layout();
}

TextShape::TextShape(const TextShape& other)
    : Shape(other),
      font_(other.font_),
      size_(other.size_),
      leading_(other.leading_),
      alignment_(other.alignment_),
      frame_(other.frame_),
      text_(other.text_) {}

float TextShape::LeadingForSize(float size) { return size + std::max(std::trunc(size / 10), 1.0f); }

float TextShape::Width(const char* s, int32_t n) const {
  TextMetrics* metrics = CurrentTextMetrics();
  if (!metrics || n <= 0) return 0;
  return metrics->StringWidth(font_.c_str(), s, std::min(n, kMaxLineChars), size_);
}

float TextShape::Ascent() const {
  TextMetrics* metrics = CurrentTextMetrics();
  return metrics ? metrics->Ascent(font_.c_str(), size_) : 0;
}

float TextShape::Descent() const {
  TextMetrics* metrics = CurrentTextMetrics();
  return metrics ? metrics->Descent(font_.c_str(), size_) : 0;
}

bool TextShape::NextLine(int32_t start, Line* line) const {
  const int32_t n = text_.TextLength();
  if (start > n) return false;
  const char* s = text_.c_str();
  int32_t end = start;
  while (end < n && s[end] != kParagraphEnd && s[end] != kSoftBreak) ++end;
  line->start = start;
  line->length = end - start;
  line->drawn = std::min(line->length, kMaxLineChars);
  line->spaces = int32_t(std::count(s + start, s + start + line->drawn, ' '));
  line->lastOfParagraph = end == n || s[end] == kParagraphEnd;
  line->next = end + 1;  // past the end when the text ends here
  return true;
}

float TextShape::PlaceLine(const Line& line, float* x, float* extraPerSpace) const {
  const float x1 = frame_.x1, x2 = frame_.x2;
  const float w = Width(text_.c_str() + line.start, line.drawn);
  *extraPerSpace = 0;
  switch (alignment_) {
    case kAlignCentre:
      *x = (x1 + x2) / 2 - w / 2;
      break;
    case kAlignRight:
      *x = x2 - w;
      break;
    case kAlignJustify:
      *x = x1;
      // The last line of a paragraph and a line without spaces stay left-aligned.
      if (line.spaces > 0 && !line.lastOfParagraph)
        *extraPerSpace = ((x2 - x1) - w) / float(line.spaces);
      break;
    default:
      *x = x1;
      break;
  }
  return w;
}

void TextShape::Layout() {
  char* s = text_.data();
  const int32_t n = text_.TextLength();
  if (s) {
    for (int32_t i = 0; i < n; ++i)
      if (s[i] == kSoftBreak) s[i] = ' ';
    const float W = frame_.x2 - frame_.x1;
    int32_t lineStart = 0;
    for (int32_t i = 0; i <= n; ++i) {
      const char c = i < n ? s[i] : '\0';
      if (c != ' ' && c != kParagraphEnd && i != n) continue;
      if (Width(s + lineStart, i - lineStart) > W) {
        // Break at the nearest space before this position on the same line; a single word
        // wider than the frame is never broken.
        int32_t j = i - 1;
        while (j > 0 && s[j] != ' ' && s[j] != kParagraphEnd && s[j] != kSoftBreak) --j;
        if (j >= lineStart && j >= 0 && s[j] == ' ') {
          s[j] = kSoftBreak;
          lineStart = j + 1;
        } else if (c == ' ') {
          s[i] = kSoftBreak;
          lineStart = i + 1;
        }
      }
      if (c == kParagraphEnd) lineStart = i + 1;
    }
  }

  // Measure the block from origin x0 = x1 with its first baseline at y1 - ascent.
  const float ascent = Ascent();
  const float descent = Descent();
  const float x0 = frame_.x1;
  const float b0 = frame_.y1 - ascent;
  float left = 0, right = 0, baseline = b0;
  bool first = true;
  Line line;
  for (int32_t start = 0; NextLine(start, &line); start = line.next) {
    if (!first) baseline -= leading_;
    const float w = Width(text_.c_str() + line.start, line.drawn);
    float l = x0, r = x0 + w;
    if (alignment_ == kAlignCentre) {
      l = x0 - w / 2;
      r = x0 + w / 2;
    } else if (alignment_ == kAlignRight) {
      l = x0 - w;
      r = x0;
    }
    left = first ? l : std::min(left, l);
    right = first ? r : std::max(right, r);
    first = false;
  }
  right += 0.001f;
  const float top = b0 + ascent;
  const float bottom = baseline + descent;
  const float blockWidth = right - left;
  if (blockWidth > frame_.x2 - frame_.x1) frame_.x2 = frame_.x1 + blockWidth;
  frame_.y2 = frame_.y1 - (top - bottom);
  InvalidateBounds();
}

bool TextShape::SetText(const char* text) {
  if (!text_.Store(text)) return false;
  Layout();
  return true;
}

void TextShape::SetFontAndSize(const std::string& font, float size) {
  font_ = font;
  size_ = size;
  leading_ = LeadingForSize(size);
  InvalidateBounds();
  Layout();
}

void TextShape::SetLeading(float leading) {
  leading_ = leading;
  InvalidateBounds();
  Layout();
}

void TextShape::SetAlignment(int32_t alignment) {
  alignment_ = alignment;
  InvalidateBounds();
}

void TextShape::SetFrame(float x1, float y1, float x2, float y2) {
  frame_.x1 = x1;
  frame_.y1 = y1;
  frame_.x2 = x2;
  frame_.y2 = y2;
  Layout();
}

void TextShape::SetTextStyle(const std::string& font, float size, float leading,
                             int32_t alignment) {
  font_ = font;
  size_ = size;
  leading_ = leading;
  alignment_ = alignment;
  Layout();
}

void TextShape::SwapBuffer(TextBuffer& other) {
  text_.Swap(other);
  InvalidateBounds();
  Layout();
}

void TextShape::BuildPath() {}

void TextShape::Draw(int32_t mode) {
  GraphicsState& gs = TheGraphicsState();
  gs.gsave();
  gs.concat(matrix_);
  if (mode == 1) {
    // The fill-on flag is not consulted: a text always shows in its fill colour.
    const Color& c = style_.fillColor;
    gs.setrgbcolor(c.red / 100, c.green / 100, c.blue / 100);
  } else {
    // Outline drawing is black, like the hairlines of the other shapes.
    gs.setrgbcolor(0, 0, 0);
  }
  float y = frame_.y1 - Ascent();
  Line line;
  for (int32_t start = 0; NextLine(start, &line); start = line.next) {
    if (line.drawn > 0) {
      float x = 0, extra = 0;
      PlaceLine(line, &x, &extra);
      gs.show(font_.c_str(), size_, text_.c_str() + line.start, line.drawn, x, y, extra);
    }
    y -= leading_;
  }
  gs.grestore();
}

void TextShape::DrawHandles(int32_t mode) {
  // The frame's corners in the order of the text tool's handles 0..3, through this matrix
  // (the embedded frame's own matrix stays the identity).
  const Point corners[4] = {{frame_.x1, frame_.y1},
                            {frame_.x2, frame_.y1},
                            {frame_.x2, frame_.y2},
                            {frame_.x1, frame_.y2}};
  MarkHandles(corners, 4, mode);
}

void TextShape::Write(OutputDriver& driver) {
  const float rect[4] = {frame_.x1, frame_.y1, frame_.x2, frame_.y2};
  driver.DrawText(&style_, &matrix_, text_.c_str(), font_.c_str(), size_, leading_, alignment_,
                  rect);
}

Shape* TextShape::Clone() const {
  TextShape* copy = new (std::nothrow) TextShape(*this);
  if (copy && text_.Valid() && !copy->text_.Valid()) {
    delete copy;
    return nullptr;
  }
  return copy;
}

void TextShape::GetBounds(Rect* out, int32_t includeLine) {
  if (!boundsValid_) {
    Rect r;
    const float corners[4][2] = {{frame_.x1, frame_.y1},
                                 {frame_.x2, frame_.y1},
                                 {frame_.x2, frame_.y2},
                                 {frame_.x1, frame_.y2}};
    for (const auto& c : corners) {
      Point p = Transform(matrix_, c[0], c[1]);
      AddPointToRect(&r, p.x, p.y);
    }
    cachedBounds_ = r;
    boundsValid_ = 1;
  }
  Rect r = cachedBounds_;
  if (includeLine) GrowByLineWidth(&r);
  *out = r;
}

Tool* TextShape::Editor() { return TheShapeEditors().text; }

int32_t TextShape::TouchesRect(float x1, float y1, float x2, float y2) {
  return LineTest(x1, y1, x2, y2, 0);
}

int32_t TextShape::HitInterior(float, float) { return 0; }

int32_t TextShape::LineTest(float x1, float y1, float x2, float y2, int32_t frameOption) {
  Rect b;
  GetBounds(&b, 0);
  if (RectIsEmpty(b) || !RectsIntersect(b.x1, b.y1, b.x2, b.y2, x1, y1, x2, y2)) return 0;
  const Rect q = NormalizeRect(Rect{x1, y1, x2, y2});
  auto meets = [&](float ax, float ay, float bx, float by) {
    Point p = Transform(matrix_, ax, ay);
    Point e = Transform(matrix_, bx, by);
    return SegmentMeetsRect(p.x, p.y, e.x, e.y, q.x1, q.y1, q.x2, q.y2);
  };
  if (frameOption) {
    const float fx1 = frame_.x1, fy1 = frame_.y1, fx2 = frame_.x2, fy2 = frame_.y2;
    if (meets(fx1, fy1, fx2, fy1) || meets(fx2, fy1, fx2, fy2) || meets(fx2, fy2, fx1, fy2) ||
        meets(fx1, fy2, fx1, fy1))
      return 1;
  }
  float y = frame_.y1 - Ascent();
  Line line;
  for (int32_t start = 0; NextLine(start, &line); start = line.next) {
    if (line.drawn > 0) {
      float x = 0, extra = 0;
      const float w = PlaceLine(line, &x, &extra);
      if (meets(x, y, x + w + extra * float(line.spaces), y)) return 1;
    }
    y -= leading_;
  }
  return 0;
}

TextShape* FindTextTouching(const ShapeList& list, float x1, float y1, float x2, float y2) {
  for (Shape* shape : list) {
    const int32_t kind = shape->Kind();
    if (kind == kTextShape) {
      auto* text = static_cast<TextShape*>(shape);
      if (text->LineTest(x1, y1, x2, y2, 0)) return text;
    } else if (kind == kGroupShape) {
      const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
      if (!children) continue;
      if (TextShape* found = FindTextTouching(*children, x1, y1, x2, y2)) return found;
    }
  }
  return nullptr;
}
