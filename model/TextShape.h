// A block of text in one font, size, leading and alignment, wrapped at spaces to the width of
// its frame. The layout stores its line breaks in the text itself (LF in place of a space), so
// the screen, the hit test and every writer break the lines alike.
#pragma once

#include <cstdint>
#include <string>

#include "model/Shape.h"
#include "model/SimpleShapes.h"

// CR ends a paragraph (typed by the user); LF is a soft break the layout wrote over a space.
inline constexpr char kParagraphEnd = 13;
inline constexpr char kSoftBreak = 10;
// At most this many characters of one line are measured or drawn.
inline constexpr int32_t kMaxLineChars = 511;

// The characters of a text (code page 1252), NUL-terminated. Length counts the NUL. A buffer
// whose allocation failed has capacity 0, holds nothing and cannot grow.
class TextBuffer {
 public:
  static constexpr int32_t kInitialCapacity = 32;

  TextBuffer();  // capacity 32, the empty string
  // Allocates exactly length bytes.
  TextBuffer(const TextBuffer& other);
  TextBuffer(TextBuffer&& other) noexcept;
  TextBuffer& operator=(const TextBuffer&) = delete;
  TextBuffer& operator=(TextBuffer&& other) noexcept;
  ~TextBuffer();

  // Replaces the contents with n characters (up to the first NUL among them). Grows to
  // max(2 * capacity, n + 1) when needed; false, with the contents kept, when it cannot.
  bool Store(const char* text, int32_t n);
  bool Store(const char* text);
  // Inserts one character before index pos (0..TextLength()); removes the one at pos.
  bool Insert(int32_t pos, char c);
  bool Erase(int32_t pos);

  const char* c_str() const { return data_ ? data_ : ""; }
  char* data() { return data_; }
  int32_t capacity() const { return capacity_; }
  int32_t length() const { return length_; }  // bytes including the NUL
  int32_t TextLength() const { return length_ > 0 ? length_ - 1 : 0; }
  // False when an allocation of the constructor or of the copy failed.
  bool Valid() const { return data_ != nullptr; }
  void Swap(TextBuffer& other) noexcept;

 private:
  // Room for n bytes by the growth rule; false when it cannot be made.
  bool Reserve(int32_t n);

  char* data_ = nullptr;
  int32_t capacity_ = 0;
  int32_t length_ = 0;
};

class TextShape : public Shape {
 public:
  // Frame (0, 0, 144, -144); fill on in black: text is painted with the fill colour.
  TextShape();
  TextShape(const char* text, const std::string& font, float size, float leading,
            int32_t alignment);
  TextShape(const TextShape& other);  // duplicates the buffer

  int32_t Kind() const override { return kTextShape; }
  void BuildPath() override;  // a text has no path
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  // Null when the copy cannot be allocated.
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  // The hit test of texts: the frame's edges (with frameOption) and the baseline of each
  // laid-out line, all through the matrix.
  int32_t LineTest(float x1, float y1, float x2, float y2, int32_t frameOption);

  // The leading that goes with a size: s + max(trunc(s / 10), 1).
  static float LeadingForSize(float size);

  // Each re-lays out the text except SetAlignment, which changes no line break. SetText keeps
  // the old text when the buffer cannot grow (result false).
  bool SetText(const char* text);
  void SetFontAndSize(const std::string& font, float size);  // the leading follows the size
  void SetLeading(float leading);
  void SetAlignment(int32_t alignment);
  // New frame corners (x1, y1 top-left; x2, y2 bottom-right in the text's own coordinates);
  // the layout then sets x2 (when the text is wider) and y2.
  void SetFrame(float x1, float y1, float x2, float y2);
  // All four text values at once, as an undo puts them back; re-lays out.
  void SetTextStyle(const std::string& font, float size, float leading, int32_t alignment);
  // Exchanges the text with `other` and re-lays out (the edit-text undo).
  void SwapBuffer(TextBuffer& other);

  // Turns every LF back into a space, re-breaks the lines to the frame width and sets the
  // frame's x2 (growth only) and y2 from the measured block.
  void Layout();

  const std::string& font() const { return font_; }
  float size() const { return size_; }
  float leading() const { return leading_; }
  int32_t alignment() const { return alignment_; }
  // Only x1, y1, x2, y2 of the frame are used. Call Layout after changing them.
  BoxShape& frame() { return frame_; }
  const BoxShape& frame() const { return frame_; }
  TextBuffer& buffer() { return text_; }
  const TextBuffer& buffer() const { return text_; }
  const char* text() const { return text_.c_str(); }

 private:
  struct Line;
  // The line that starts at `start`; false past the end of the text.
  bool NextLine(int32_t start, Line* line) const;
  float Width(const char* s, int32_t n) const;
  float Ascent() const;
  float Descent() const;
  // Start x of a line and the extra advance per space, by the alignment; returns its width.
  float PlaceLine(const Line& line, float* x, float* extraPerSpace) const;

  std::string font_;
  float size_ = 12;
  float leading_ = 13;
  int32_t alignment_ = 0;
  BoxShape frame_{0, 0, 144, -144};
  TextBuffer text_;
};

// The first text of the list (looking into groups) whose line test, without the frame
// option, meets the rectangle; null when none does.
TextShape* FindTextTouching(const ShapeList& list, float x1, float y1, float x2, float y2);
