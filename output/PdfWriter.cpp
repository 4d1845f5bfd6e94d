#include "output/PdfWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "fonts/FontManager.h"
#include "fonts/StandardFonts.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "model/TextMetrics.h"
#include "output/OutputSink.h"

namespace {

const Matrix& Identity() {
  static const Matrix identity;
  return identity;
}

// Object numbers of the fixed part of the file.
constexpr int32_t kContentLengthObject = 7;
constexpr int32_t kXObjectObject = 8;
constexpr int32_t kFontObject = 9;

constexpr int kWidthsPerLine = 16;
constexpr int kPixelsPerLine = 12;
// Word spacing smaller than this is written as none.
constexpr double kMinWordSpacing = 0.0001;

// FontDescriptor /Flags bits.
constexpr int kFlagFixedPitch = 1;
constexpr int kFlagSerif = 2;
constexpr int kFlagScript = 8;
constexpr int kFlagNonSymbolic = 32;
constexpr int kFlagItalic = 64;

void Lines(PsLineBuffer& out, std::initializer_list<const char*> lines) {
  for (const char* line : lines) out.Line(line);
}

int32_t CountSpaces(const char* text, size_t length) {
  int32_t n = 0;
  for (size_t i = 0; i < length; i++) n += text[i] == ' ' ? 1 : 0;
  return n;
}

const FaceMetrics& NoMetrics() {
  static const FaceMetrics none;
  return none;
}

}  // namespace

std::string PdfFontName(const std::string& name) {
  if (name.empty()) return "Helvetica";
  std::string s = name;
  for (char& c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 32 || u >= 127 || std::strchr("()<>[]{}/%#", c)) c = '_';
  }
  return s;
}

PdfWriter::PdfWriter(OutputSink* sink, std::vector<std::string> fonts)
    : AiWriter(sink, std::move(fonts)) {
  // PDF numbers have no exponent form; everything written through out_ follows.
  out_.SetPlainNumbers(true);
}

long long PdfWriter::Position() {
  long told = sink_ ? sink_->Tell() : 0;
  if (told < 0) told = 0;
  return static_cast<long long>(told) + static_cast<long long>(out_.PendingSize());
}

int32_t PdfWriter::RecordObject() {
  // A vector grows as far as the drawing needs: any number of fonts and images.
  objects_.push_back(Position());
  return int32_t(objects_.size());
}

int32_t PdfWriter::FontNumber(const char* font) {
  std::string name = font ? font : "";
  for (size_t i = 0; i < pdfFonts_.size(); i++) {
    if (pdfFonts_[i] == name) return int32_t(i) + 1;
  }
  pdfFonts_.push_back(name);
  return int32_t(pdfFonts_.size());
}

int32_t PdfWriter::BeginDocument(const PageInfo* page, int32_t /*embedFonts*/,
                                 ProgressDialog* /*progress*/) {
  if (!page) return 0;
  objects_.clear();
  images_.clear();
  pdfFonts_.clear();
  for (const std::string& font : fonts_) FontNumber(font.c_str());
  out_.Line("%PDF-1.0");
  RecordObject();
  Lines(out_,
        {"1 0 obj", "<<", "/Type /Catalog", "/Pages 3 0 R", "/Outlines 2 0 R", ">>", "endobj"});
  RecordObject();
  Lines(out_, {"2 0 obj", "<<", "/Type /Outlines", "/Count 0", ">>", "endobj"});
  RecordObject();
  Lines(out_, {"3 0 obj", "<<", "/Type /Pages", "/Count 1", "/Kids [ 4 0 R ]", ">>", "endobj"});
  RecordObject();
  Lines(out_, {"4 0 obj", "<<", "/Type /Page", "/Parent 3 0 R"});
  out_.Put("/MediaBox [ ");
  out_.IntSp(page->llx);
  out_.IntSp(page->lly);
  out_.IntSp(page->urx);
  out_.IntSp(page->ury);
  out_.Line("]");
  // The screen shows a landscape page turned a quarter clockwise (and the EPS is turned so):
  // viewers turn the page the same way, rather than show the drawing on its side.
  if (page->landscape) out_.Line("/Rotate 90");
  Lines(out_, {"/Resources <<", "/ProcSet 5 0 R", "/XObject 8 0 R", "/Font 9 0 R", ">>",
               "/Contents 6 0 R", ">>", "endobj"});
  RecordObject();
  Lines(out_, {"5 0 obj", "[ /PDF /Text ]", "endobj"});
  RecordObject();
  Lines(out_, {"6 0 obj", "<< /Length 7 0 R >>", "stream"});
  streamStart_ = Position();
  out_.Line("0 0 0 0 k");
  return 1;
}

void PdfWriter::EndDocument(ProgressDialog* /*progress*/) {
  long long streamEnd = Position();
  Lines(out_, {"endstream", "endobj"});
  RecordObject();
  out_.Line("7 0 obj");
  out_.Int(streamEnd - streamStart_);
  out_.EndLine();
  out_.Line("endobj");
  static_assert(kContentLengthObject == 7);

  // Object 8 is written last, once the image numbers are known.
  objects_.push_back(0);
  // The page always names object 9 as its font dictionary, so object 9 is always written:
  // without fonts it is an empty dictionary, which every reader accepts.
  WriteFonts();

  int32_t base = NextObject();
  for (size_t k = 0; k < images_.size(); k++) WriteImage(*images_[k], int32_t(k), base);

  objects_[kXObjectObject - 1] = Position();
  Lines(out_, {"8 0 obj", "<<"});
  for (size_t k = 0; k < images_.size(); k++) {
    out_.Put("/Im");
    out_.IntSp(int64_t(k));
    out_.IntSp(base + 2 * int64_t(k));
    out_.Line("0 R");
  }
  Lines(out_, {">>", "endobj"});

  long long xref = Position();
  out_.Line("xref");
  out_.Put("0 ");
  out_.Int(NextObject());
  out_.EndLine();
  // Each entry is exactly 20 bytes with its CR LF.
  out_.Line("0000000000 65535 f");
  for (long long pos : objects_) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010lld 00000 n", pos);
    out_.Line(entry);
  }
  Lines(out_, {"trailer", "<<"});
  out_.Put("/Size ");
  out_.Int(NextObject());
  out_.EndLine();
  Lines(out_, {"/Root 1 0 R", ">>", "startxref"});
  out_.Int(xref);
  out_.EndLine();
  out_.Line("%%EOF");
  out_.Flush();
}

void PdfWriter::WriteFonts() {
  int32_t number = RecordObject();
  static_assert(kFontObject == 9);
  out_.IntSp(number);
  out_.Line("0 obj");
  out_.Line("<<");
  // Each font is an object of its own that the dictionary refers to: readers that list fonts
  // by object (pdffonts) fail on fonts written inline.
  for (size_t i = 0; i < pdfFonts_.size(); i++) {
    out_.Put("/F");
    out_.IntSp(int64_t(i) + 1);
    out_.IntSp(number + 1 + int64_t(i));
    out_.Line("0 R");
  }
  Lines(out_, {">>", "endobj"});
  FontManager* manager = TheFontManager();
  struct Descriptor {
    std::string name;
    FontFace* face;
  };
  std::vector<Descriptor> descriptors;
  int32_t nextDescriptor = number + 1 + int32_t(pdfFonts_.size());
  for (size_t i = 0; i < pdfFonts_.size(); i++) {
    FontFace* face = manager ? manager->FindFace(pdfFonts_[i]) : nullptr;
    std::string name = PdfFontName(face ? face->PostScriptName() : pdfFonts_[i]);
    bool trueType = face && face->IsTrueType();
    bool resident = !trueType && IsStandardFontName(name.c_str());
    int32_t f = int32_t(i) + 1;
    out_.IntSp(RecordObject());
    out_.Line("0 obj");
    out_.Line("<<");
    out_.Line("/Type /Font");
    out_.Line(trueType ? "/Subtype /TrueType" : "/Subtype /Type1");
    out_.Put("/Name /F");
    out_.Int(f);
    out_.EndLine();
    out_.Put("/BaseFont /");
    out_.Line(name);
    out_.Line("/Encoding /WinAnsiEncoding");
    if (!resident) {
      // A font this machine lacks keeps its name and is laid out with the default face (the
      // text shape measured it so); its widths and descriptor keep the viewer's substitute
      // from piling the glyphs up.
      FontFace* measured = face ? face : (manager ? manager->DefaultFace() : nullptr);
      const FaceMetrics& metrics = measured ? *measured->Metrics() : NoMetrics();
      int first = metrics.firstChar, last = metrics.lastChar;
      if (last < first) last = first;
      out_.Put("/FirstChar ");
      out_.Int(first);
      out_.EndLine();
      out_.Put("/LastChar ");
      out_.Int(last);
      out_.EndLine();
      out_.Put("/Widths [");
      int inLine = 0;
      for (int c = first; c <= last; c++) {
        out_.Put(' ');
        out_.Int(metrics.widths[c]);
        if (++inLine == kWidthsPerLine) {
          out_.EndLine();
          inLine = 0;
        }
      }
      if (inLine) out_.EndLine();
      out_.Line("]");
      out_.Put("/FontDescriptor ");
      out_.IntSp(nextDescriptor++);
      out_.Line("0 R");
      descriptors.push_back({name, measured});
    }
    Lines(out_, {">>", "endobj"});
  }

  for (const Descriptor& d : descriptors) {
    const FaceMetrics& metrics = d.face ? *d.face->Metrics() : NoMetrics();
    int32_t style = d.face ? d.face->Style() : 0;
    int flags = kFlagNonSymbolic;
    if (style & kStyleItalic) flags += kFlagItalic;
    if (metrics.fixedPitch) flags += kFlagFixedPitch;
    if (metrics.serif) flags += kFlagSerif;
    if (metrics.script) flags += kFlagScript;
    int32_t n = RecordObject();
    out_.IntSp(n);
    out_.Line("0 obj");
    out_.Line("<<");
    out_.Line("/Type /FontDescriptor");
    out_.Put("/FontName /");
    out_.Line(d.name);
    out_.Put("/FontBBox [ ");
    for (int v : metrics.bbox) out_.IntSp(v);
    out_.Line("]");
    const std::pair<const char*, int> numbers[] = {
        {"/Ascent ", metrics.ascent},
        {"/Descent ", metrics.descent},
        {"/CapHeight ", metrics.capHeight},
        // The metrics carry no x-height; 0 is PDF's "unknown".
        {"/XHeight ", 0},
        {"/ItalicAngle ", metrics.italicAngle},
        {"/Flags ", flags},
        {"/StemV ", (style & kStyleBold) ? 120 : 70},
    };
    for (const auto& [key, value] : numbers) {
      out_.Put(key);
      out_.Int(value);
      out_.EndLine();
    }
    Lines(out_, {">>", "endobj"});
  }
}

void PdfWriter::WriteImage(const ImageData& image, int32_t k, int32_t base) {
  RecordObject();
  out_.IntSp(base + 2 * int64_t(k));
  out_.Line("0 obj");
  Lines(out_, {"<<", "/Type /XObject", "/Subtype /Image"});
  out_.Put("/Name /Im");
  out_.Int(k);
  out_.EndLine();
  out_.Line("/Filter /ASCIIHexDecode");
  out_.Put("/Width ");
  out_.Int(image.width);
  out_.EndLine();
  out_.Put("/Height ");
  out_.Int(image.height);
  out_.EndLine();
  Lines(out_, {"/BitsPerComponent 8", "/ColorSpace /DeviceRGB"});
  out_.Put("/Length ");
  out_.IntSp(base + 2 * int64_t(k) + 1);
  out_.Line("0 R");
  Lines(out_, {">>", "stream"});
  long long start = Position();
  static const char kHex[] = "0123456789abcdef";
  const uint8_t* data = image.pixels.data();
  size_t pixels = size_t(image.width) * size_t(image.height);
  int inLine = 0;
  for (size_t i = 0; i < pixels; i++) {
    char group[6];
    for (int c = 0; c < 3; c++) {
      uint8_t v = data[i * 3 + size_t(c)];
      group[2 * c] = kHex[v >> 4];
      group[2 * c + 1] = kHex[v & 15];
    }
    out_.Put(std::string_view(group, 6));
    if (++inLine == kPixelsPerLine) {
      out_.EndLine();
      inLine = 0;
    }
  }
  out_.Line(">");
  long long length = Position() - start;
  Lines(out_, {"endstream", "endobj"});
  RecordObject();
  out_.IntSp(base + 2 * int64_t(k) + 1);
  out_.Line("0 obj");
  out_.Int(length);
  out_.EndLine();
  out_.Line("endobj");
}

void PdfWriter::WritePaintOperator(const PaintStyle* style, int32_t closed) {
  bool fill = style && style->fillOn;
  bool stroke = style && style->strokeOn;
  if (fill && stroke)
    out_.Line(closed ? "b" : "B");
  else if (fill)
    out_.Line("f");
  else if (stroke)
    out_.Line(closed ? "s" : "S");
  else
    out_.Line("n");
}

void PdfWriter::DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                         float y2, const Arrowhead* start, const Arrowhead* end) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  const Matrix& mm = m ? *m : Identity();
  WriteStrokeStyle(style);
  PutPoint(mm, x1, y1, 'm');
  PutPoint(mm, x2, y2, 'l');
  out_.Line(style->strokeOn ? "S" : "n");
  WriteArrowheads(style, m, x1, y1, x2, y2, start, end);
}

void PdfWriter::DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points,
                            int32_t count, int32_t closed) {
  // A path needs a first point; an empty polygon paints nothing.
  if (!points || count <= 0) return;
  const Matrix& mm = m ? *m : Identity();
  WritePaintStyle(style);
  for (int32_t i = 0; i < count; i++) PutPoint(mm, points[i].x, points[i].y, i == 0 ? 'm' : 'l');
  if (closed) PutPoint(mm, points[0].x, points[0].y, 'l');
  WritePaintOperator(style, closed);
}

void PdfWriter::DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                          int32_t count, int32_t closed) {
  if (!nodes || count <= 0) return;
  const Matrix& mm = m ? *m : Identity();
  auto segment = [&](const CurveNode& from, const CurveNode& to) {
    const Point p[3] = {Transform(mm, from.outX, from.outY), Transform(mm, to.inX, to.inY),
                        Transform(mm, to.x, to.y)};
    for (const Point& q : p) {
      out_.NumberSp(q.x);
      out_.NumberSp(q.y);
    }
    out_.Line("c");
  };
  WritePaintStyle(style);
  PutPoint(mm, nodes[0].x, nodes[0].y, 'm');
  for (int32_t i = 1; i < count; i++) segment(nodes[i - 1], nodes[i]);
  if (closed) segment(nodes[count - 1], nodes[0]);
  WritePaintOperator(style, closed);
}

void PdfWriter::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                         const char* font, float size, float leading, int32_t align,
                         const float* rect) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  if (!font) font = "";
  static const float kNoRect[4] = {0, 0, 0, 0};
  if (!rect) rect = kNoRect;
  WriteFillColor(style->fillColor);
  out_.Line("BT");
  out_.Put("/F");
  out_.Int(FontNumber(font));
  out_.Put(' ');
  out_.NumberSp(size);
  out_.Line("Tf");
  out_.NumberSp(leading);
  out_.Line("TL");

  const float x1 = rect[0], x2 = rect[2];
  TextMetrics* metrics = CurrentTextMetrics();
  Matrix placed = TextAnchorMatrix(m, font, size, align, rect);
  out_.Matrix(placed, 1);
  out_.Line("Tm");
  if (align != kAlignJustify) out_.Line("0 Tw");

  auto width = [&](const TextLine& line) {
    return metrics ? double(metrics->StringWidth(font, line.text, int32_t(line.length), size))
                   : 0.0;
  };
  auto putString = [&](const TextLine& line) {
    out_.Put('(');
    out_.PutEscaped(line.text, line.length);
    out_.Put(')');
  };
  double px = 0, py = 0;
  double y = 0;
  bool first = true;
  for (const TextLine& line : SplitTextLines(text)) {
    if (align == kAlignCentre || align == kAlignRight) {
      double w = width(line);
      double x = align == kAlignCentre ? -w / 2 : -w;
      out_.NumberSp(x - px);
      out_.NumberSp(y - py);
      out_.Line("Td");
      putString(line);
      out_.Line(" Tj");
      px = x;
      py = y;
    } else if (align == kAlignJustify) {
      double spacing = 0;
      int32_t spaces = CountSpaces(line.text, line.length);
      if (!line.paragraphEnd && spaces > 0) {
        spacing = (double(x2) - x1 - width(line)) / spaces;
        if (std::fabs(spacing) < kMinWordSpacing) spacing = 0;
      }
      if (first) {
        out_.NumberSp(spacing);
        out_.Line("Tw");
        putString(line);
        out_.Line(" Tj");
      } else {
        out_.NumberSp(spacing);
        out_.Put("0 ");
        putString(line);
        out_.Line(" \"");
      }
    } else {
      putString(line);
      out_.Line(first ? " Tj" : " '");
    }
    first = false;
    y -= leading;
  }
  out_.Line("ET");
}

void PdfWriter::DrawImage(const Matrix* m, const ImageData* image) {
  if (!image || image->width <= 0 || image->height <= 0) return;
  // Pixel data that does not cover the image (a broken image) is not written: its XObject
  // would be read past the end of the pixels.
  size_t pixels = size_t(image->width) * size_t(image->height);
  if (image->pixels.size() / 3 < pixels) return;
  out_.Line("q");
  out_.Matrix(m ? *m : Identity(), 1);
  out_.Line("cm");
  out_.Put("/Im");
  out_.Int(int64_t(images_.size()));
  out_.Line(" Do");
  out_.Line("Q");
  images_.push_back(image);
}
