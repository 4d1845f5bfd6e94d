// TrueType -> Type 3: every glyph outline becomes a PostScript procedure (quadratic splines
// raised to cubic curves), so any PostScript interpreter can draw the font.
#pragma once

#include "fonts/TrueTypeConverter.h"

class Type3Converter : public TrueTypeConverter {
 public:
  int32_t convert(const void* data, size_t length, OutputSink* sink) override;

 private:
  struct Component {
    unsigned flags = 0;
    int glyph = 0;
    int arg1 = 0;
    int arg2 = 0;
    bool transformed = false;
    double m[4] = {1, 0, 0, 1};  // PostScript order: x' = m0 x + m2 y, y' = m1 x + m3 y
  };

  void WriteHeader();
  void WriteCharStrings();
  void WriteGlyph(int glyph);
  bool GlyphData(int glyph, ByteView* out) const;  // false: 'loca' points outside 'glyf'
  bool ParseSimple(ByteView g, int contours);
  bool ParseComponents(ByteView g, std::vector<Component>* out) const;
  int NestingDepth(int glyph, int level);
  void OrderContours(int contours);
  void WriteContour(int s, int e);
  void WriteCurve(int sx, int sy, size_t runStart, size_t runEnd, int ex, int ey);
  void WriteComponents(int glyph, ByteView g);
  int AdvanceWidth(int glyph) const;
  void Count(int n);
  void Num(int v);
  void ReportCorrupt();

  ByteView loca_;
  ByteView glyf_;
  ByteView hmtx_;
  size_t locaEntries_ = 0;
  int numberOfHMetrics_ = 0;
  std::vector<std::string> names_;  // the CharStrings key of each glyph written
  bool reportedCorrupt_ = false;

  // The glyph being written.
  int numPoints_ = 0;
  std::vector<int> ends_;
  std::vector<uint8_t> flags_;
  std::vector<int> x_;
  std::vector<int> y_;
  std::vector<double> areas_;
  std::vector<uint8_t> written_;
  std::vector<int> pair_;
  std::vector<int> order_;
  std::vector<size_t> run_;
  int counter_ = 0;
  bool split_ = false;

  // Component nesting, worked out on demand: 0 unknown, 1 being worked out, 2 known.
  std::vector<uint8_t> depthState_;
  std::vector<int> depth_;
};
