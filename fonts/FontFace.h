// One font face as the program uses it: names, style, metrics in thousandths of an em, and its
// embedding in PostScript output. TrueType faces come from the system's font files; Type 1 faces
// from the Type 1 bridge.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/fontsys/SystemFonts.h"
#include "platform/type1/Type1Fonts.h"

class OutputSink;

class FontFace {
 public:
  virtual ~FontFace() = default;

  // 1 for a TrueType face, 0 for a Type 1 face.
  virtual int32_t IsTrueType() const = 0;
  // Height above the baseline at `size` points: ascent x size / 1000.
  virtual float Ascent(float size);
  // Depth below the baseline, negative: descent x size / 1000.
  virtual float Descent(float size);
  // Integer advances of `length` characters at `size` points into `out` (room for `length`),
  // kept from drifting: each advance is corrected so that the integer running sum follows the
  // exact running sum truncated.
  virtual void CharAdvances(const char* text, int32_t length, float size, int32_t* out);
  // The widths of `length` characters summed in 64 bits, x size / 1000.
  virtual float StringWidth(const char* text, int32_t length, float size);
  virtual const char* PostScriptName() const { return postScriptName_.c_str(); }
  virtual const char* FaceName() const { return faceName_.c_str(); }
  // kStyleBold | kStyleItalic.
  virtual int32_t Style() const { return style_; }
  // The metric record, read on first use. Never null: a face whose metrics cannot be read
  // measures as empty (all zero), after one DebugLog line.
  virtual const FaceMetrics* Metrics() = 0;
  // Writes the face's font program into `sink`: a TrueType face as Type 42 when `type42` is
  // set, else as Type 3; a Type 1 face from its PFB file. 1 written, 0 failed.
  virtual int32_t Download(OutputSink* sink, int32_t type42) = 0;

  // "Face,BOLD", "Face,ITALIC", "Face,BOLDITALIC" or "Face": the face's key in the settings
  // file's font name caches, also accepted by FontManager::FindFace.
  std::string Key() const;

 protected:
  FontFace(std::string faceName, std::string postScriptName, int32_t style)
      : faceName_(std::move(faceName)), postScriptName_(std::move(postScriptName)), style_(style) {}

  std::string faceName_;
  std::string postScriptName_;
  int32_t style_ = 0;
};

// "Regular", "Bold", "Italic" or "BoldItalic".
const char* StyleName(int32_t style);
// One line of `ondara-draw --list-fonts`: PostScript name, face name, style and "TrueType" or
// "Type1", separated by tabs, without a line end.
std::string DescribeFace(const FontFace& face);

// A system TrueType face. Its metrics come with it from the system font list.
class TrueTypeFontFace : public FontFace {
 public:
  explicit TrueTypeFontFace(SystemFace face);

  int32_t IsTrueType() const override { return 1; }
  const FaceMetrics* Metrics() override { return &face_.metrics; }
  int32_t Download(OutputSink* sink, int32_t type42) override;

  // Thousandths of an em.
  int32_t AverageWidth() const { return face_.metrics.avgWidth; }
  const std::string& Path() const { return face_.path; }
  int32_t FaceIndex() const { return face_.faceIndex; }

 private:
  SystemFace face_;
};

// A Type 1 face of the Type 1 bridge. Its metrics are read from its PFM or AFM file on first use.
class Type1FontFace : public FontFace {
 public:
  explicit Type1FontFace(Type1Face face);

  int32_t IsTrueType() const override { return 0; }
  const FaceMetrics* Metrics() override;
  int32_t Download(OutputSink* sink, int32_t type42) override;

  const Type1Face& Files() const { return face_; }

 private:
  Type1Face face_;
  bool metricsLoaded_ = false;
  FaceMetrics metrics_;
};
