#include "fonts/FontFace.h"

#include <cmath>
#include <vector>

#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"
#include "model/DebugLog.h"

float FontFace::Ascent(float size) { return float(double(Metrics()->ascent) * size / 1000.0); }

float FontFace::Descent(float size) { return float(double(Metrics()->descent) * size / 1000.0); }

void FontFace::CharAdvances(const char* text, int32_t length, float size, int32_t* out) {
  const int* widths = Metrics()->widths;
  // The exact running sum is recomputed from the summed widths at every step rather than
  // accumulated, so that it carries no rounding of its own.
  int64_t widthSum = 0;
  int64_t intSum = 0;
  for (int32_t i = 0; i < length; ++i) {
    int width = widths[static_cast<uint8_t>(text[i])];
    widthSum += width;
    double exact = double(widthSum) * size / 1000.0;
    int64_t w = int64_t(double(width) * size / 1000.0);
    w += int64_t(exact - double(intSum + w));
    out[i] = int32_t(w);
    intSum += w;
  }
}

float FontFace::StringWidth(const char* text, int32_t length, float size) {
  const int* widths = Metrics()->widths;
  int64_t sum = 0;
  for (int32_t i = 0; i < length; ++i) sum += widths[static_cast<uint8_t>(text[i])];
  return float(double(sum) * size / 1000.0);
}

std::string FontFace::Key() const { return TrueTypeProfileKey(faceName_, style_); }

const char* StyleName(int32_t style) {
  bool bold = style & kStyleBold;
  bool italic = style & kStyleItalic;
  if (bold && italic) return "BoldItalic";
  if (bold) return "Bold";
  return italic ? "Italic" : "Regular";
}

std::string DescribeFace(const FontFace& face) {
  std::string line = face.PostScriptName();
  line += '\t';
  line += face.FaceName();
  line += '\t';
  line += StyleName(face.Style());
  line += '\t';
  line += face.IsTrueType() ? "TrueType" : "Type1";
  return line;
}

TrueTypeFontFace::TrueTypeFontFace(SystemFace face)
    : FontFace(face.faceName, face.postScriptName, face.style), face_(std::move(face)) {}

int32_t TrueTypeFontFace::Download(OutputSink* sink, int32_t type42) {
  std::vector<uint8_t> font;
  if (!LoadFaceSfnt(face_.path, face_.faceIndex, &font)) {
    DebugLog("Can't read font file %s", face_.path.c_str());
    return 0;
  }
  if (type42) {
    Type42Converter converter;
    return converter.convert(font.data(), font.size(), sink);
  }
  Type3Converter converter;
  return converter.convert(font.data(), font.size(), sink);
}

Type1FontFace::Type1FontFace(Type1Face face)
    : FontFace(face.faceName, face.postScriptName, face.style), face_(std::move(face)) {}

const FaceMetrics* Type1FontFace::Metrics() {
  if (metricsLoaded_) return &metrics_;
  // Tried once: a face whose metrics file is unreadable measures as empty rather than being read
  // again at every measurement.
  metricsLoaded_ = true;
  Type1Metrics m;
  if (!ReadType1Metrics(face_, &m)) {
    DebugLog("Can't read the metrics of %s from %s", face_.faceName.c_str(),
             face_.metricsPath.c_str());
    return &metrics_;
  }
  for (int i = 0; i < 256; ++i) metrics_.widths[i] = m.widths[i];
  metrics_.ascent = m.ascent;
  metrics_.descent = m.descent;
  for (int i = 0; i < 4; ++i) metrics_.bbox[i] = m.bbox[i];
  metrics_.italicAngle = m.italicAngle;
  metrics_.capHeight = m.capHeight;
  metrics_.fixedPitch = m.fixedPitch;
  metrics_.serif = m.serif;
  metrics_.script = m.script;
  metrics_.firstChar = m.firstChar;
  metrics_.lastChar = m.lastChar;
  // The mean of the printable ASCII widths, as for a TrueType face without an OS/2 table.
  int64_t sum = 0;
  int count = 0;
  for (int c = 32; c <= 126; ++c) {
    if (m.widths[c] != 0) sum += m.widths[c], ++count;
  }
  metrics_.avgWidth = count ? int(sum / count) : 0;
  return &metrics_;
}

int32_t Type1FontFace::Download(OutputSink* sink, int32_t) {
  // A Type 1 face travels as its own font program whatever the TrueType format chosen.
  return DownloadType1(face_, sink);
}
