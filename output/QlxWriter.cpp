#include "output/QlxWriter.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "fonts/FontManager.h"
#include "model/ImageData.h"
#include "model/PathShapes.h"
#include "model/TextMetrics.h"
#include "output/ExportFile.h"
#include "output/RenderDrawing.h"

namespace {

// Longer font names are left out of the font list.
constexpr size_t kMaxFontName = 64;
// DSC readers accept lines of at most this many characters.
constexpr size_t kMaxDscLine = 255;
// The image procedure reads the pixels in strings of this many bytes.
constexpr size_t kImageChunk = 768;
constexpr int kPixelsPerLine = 12;

// "00" to "ff", lower case.
struct HexPairs {
  char text[256][2];
  constexpr HexPairs() : text() {
    const char* digits = "0123456789abcdef";
    for (int i = 0; i < 256; ++i) {
      text[i][0] = digits[i >> 4];
      text[i][1] = digits[i & 15];
    }
  }
};
constexpr HexPairs kHexPairs;

struct PatternFont {
  const char* name;
  int size;
  const char* body;
};

// Emission order of the page setup (not the index order of the patterns).
const PatternFont kPatternFonts[] = {
    {"rightdiagonal", 15,
     "2 setlinecap 7.5 0 moveto 15 7.5 lineto 0 7.5 moveto 7.5 15 lineto 2 setlinewidth stroke"},
    {"leftdiagonal", 15,
     "2 setlinecap 7.5 0 moveto 0 7.5 lineto 15 7.5 moveto 7.5 15 lineto 2 setlinewidth stroke"},
    {"horizontal", 15, "2 setlinecap 0 7.5 moveto 15 7.5 lineto 2 setlinewidth stroke"},
    {"vertical", 15, "2 setlinecap 7.5 0 moveto 7.5 15 lineto 2 setlinewidth stroke"},
    {"crosshatch", 15,
     "2 setlinecap 0 7.5 moveto 15 7.5 lineto 7.5 0 moveto 7.5 15 lineto 2 setlinewidth stroke"},
    {"brick", 30,
     "2 setlinecap 0 7.5 moveto 30 7.5 lineto 0 22.5 moveto 30 22.5 lineto 7.5 0 moveto 7.5 7.5 "
     "lineto 7.5 22.5 moveto 7.5 30 lineto 22.5 7.5 moveto 22.5 22.5 lineto 1 setlinewidth "
     "stroke"},
    {"crossdiagonal", 30,
     "2 2 scale 2 setlinecap 7.5 0 moveto 15 7.5 lineto 0 7.5 moveto 7.5 15 lineto 7.5 0 moveto 0 "
     "7.5 lineto 15 7.5 moveto 7.5 15 lineto 0.5 setlinewidth stroke"},
    {"fishscale", 30,
     "2 2 scale 1 setlinecap 0 7.5 moveto 0 15 7.5 270 360 arc 7.5 15 moveto 15 15 7.5 180 270 "
     "arc 0 7.5 moveto 7.5 7.5 7.5 180 360 arc 0.5 setlinewidth stroke"},
    {"wave", 30,
     "1 setlinecap 0.5 setlinewidth 7.5 0 10.6 135 45 arcn 22.5 15 10.6 225 315 arc stroke 7.5 "
     "15 10.6 135 45 arcn 22.5 30 10.6 225 315 arc stroke"},
};

// Writes `text` as lines of at most kMaxDscLine characters, broken at spaces (the text holds no
// strings, so any space is a token boundary).
void PutWrapped(PsLineBuffer& out, std::string_view text) {
  while (text.size() > kMaxDscLine) {
    size_t cut = text.rfind(' ', kMaxDscLine);
    if (cut == std::string_view::npos || cut == 0) break;
    out.Line(text.substr(0, cut));
    text.remove_prefix(cut + 1);
  }
  out.Line(text);
}

// Control characters in a file name would end the comment line early.
std::string CommentText(const std::string& text) {
  std::string s = text;
  for (char& c : s) {
    if (static_cast<unsigned char>(c) < 32) c = '?';
  }
  return s;
}

void PutCmyk(PsLineBuffer& out, const Color& color, char op) {
  float cmyk[4];
  ColorToCmyk(color, cmyk);
  for (float v : cmyk) out.NumberSp(v);
  out.Put(op);
  out.EndLine();
}

float EffectiveWidth(const PaintStyle* style) { return style->dash == -1 ? style->lineWidth : 1; }

const Matrix& Identity() {
  static const Matrix identity;
  return identity;
}

}  // namespace

std::string CreationDateText() {
  static const char* const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm tm{};
  bool have = false;
  // Reproducible output: the time the build or test asks for, the same in every time zone.
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    errno = 0;
    long long seconds = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == 0 && errno == 0 && seconds >= 0) {
      std::time_t t = std::time_t(seconds);
      have = gmtime_r(&t, &tm) != nullptr;
    }
  }
  if (!have) {
    std::time_t now = std::time(nullptr);
    if (!localtime_r(&now, &tm)) tm = std::tm{};
  }
  // The asctime layout without its newline; names are not taken from the locale.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s %s %2d %02d:%02d:%02d %d", kDays[(tm.tm_wday % 7 + 7) % 7],
                kMonths[(tm.tm_mon % 12 + 12) % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                tm.tm_year + 1900);
  return buf;
}

QlxWriter::QlxWriter(OutputSink* sink, std::vector<std::string> fonts)
    : OutputDriver(sink), out_(sink), fonts_(std::move(fonts)) {}

QlxWriter::~QlxWriter() { out_.Flush(); }

std::string QlxWriter::OutputFontName(const char* font) const {
  std::string name = font ? font : "";
  if (substitutePsFonts_) {
    FontManager* manager = TheFontManager();
    const FontFace* face = manager ? manager->FindFace(name) : nullptr;
    if (face && face->IsTrueType()) return SubstitutePsFontName(face);
  }
  return PsNameToken(name);
}

void QlxWriter::BuildFontList() {
  fontList_.clear();
  for (const std::string& font : fonts_) {
    FontListEntry entry;
    entry.name = OutputFontName(font.c_str());
    entry.source = font;
    if (entry.name.empty() || entry.name.size() > kMaxFontName) continue;
    // Two TrueType fonts may stand for the same substitute: list it once.
    bool listed = false;
    for (const FontListEntry& e : fontList_) listed = listed || e.name == entry.name;
    if (listed) continue;
    // The printer's Symbol font (a substitute for SymbolMT) needs the symbol encoding as much
    // as SymbolMT does: the Windows encoding would blank its glyphs.
    entry.isSymbol = (entry.name == "SymbolMT" || entry.name == "Symbol") ? 1 : 0;
    fontList_.push_back(std::move(entry));
  }
}

int32_t QlxWriter::BeginDocument(const PageInfo* page, int32_t embedFonts,
                                 ProgressDialog* /*progress*/) {
  if (!page) return 0;
  BuildFontList();
  WriteHeader(*page);
  WriteProlog(embedFonts);
  WriteSetup(*page, embedFonts);
  WritePageSetup(*page);
  return 1;
}

void QlxWriter::WriteHeader(const PageInfo& page) {
  out_.Line("%!PS-Adobe-3.0 EPSF-3.0");
  out_.Line("%%Creator: Ondara Draw, Version 3.1");
  out_.Put("%%Title: ");
  out_.Line(CommentText(page.title));
  out_.Put("%%CreationDate: ");
  out_.Line(CreationDateText());
  // 64-bit sums: a clamped far-away box must not overflow.
  int64_t llx = page.llx, lly = page.lly, urx = page.urx, ury = page.ury;
  if (RotatesLandscape() && page.landscape) {
    int64_t w = urx - llx, h = ury - lly;
    urx = llx + h;
    ury = lly + w;
  }
  out_.Put("%%BoundingBox: ");
  out_.IntSp(llx);
  out_.IntSp(lly);
  out_.IntSp(urx);
  out_.Int(ury);
  out_.EndLine();
  for (size_t i = 0; i < fontList_.size(); i++) {
    out_.Put(i == 0 ? "%%DocumentFonts: " : "%%+ ");
    out_.Line(fontList_[i].name);
  }
  out_.Line(page.landscape ? "%%Orientation: Landscape" : "%%Orientation: Portrait");
  out_.Line("%%EndComments");
}

void QlxWriter::WriteProlog(int32_t embedFonts) {
  out_.Line("%%BeginProlog");
  if (embedFonts) {
    std::vector<std::string> sources;
    for (const FontListEntry& e : fontList_) sources.push_back(e.source);
    out_.Flush();
    DownloadFonts(sink_, sources, substitutePsFonts_, type42_);
  }
  out_.Line("%%BeginResource: procset OndaraDraw_ops");
  out_.Line("%%Version: 2.2");
  out_.Line("%%Copyright: Ondara Draw drawing procedures");
  out_.Line("/QLXDict 100 dict def");
  out_.Line("QLXDict begin");
  out_.Put(QlxProcsetText());
  out_.Line("end");
  out_.Line("%%EndResource");
  out_.Line("%%EndProlog");
}

void QlxWriter::WriteSetup(const PageInfo& page, int32_t embedFonts) {
  out_.Line("%%BeginSetup");
  out_.Put("%QLX g ");
  out_.IntSp(page.grid[0]);
  out_.IntSp(page.grid[1]);
  out_.IntSp(page.grid[2]);
  out_.Int(page.grid[3]);
  out_.EndLine();
  if (!embedFonts) {
    for (const FontListEntry& e : fontList_) {
      out_.Put("%%IncludeFont: ");
      out_.Line(e.name);
    }
  }
  out_.Line("QLXDict begin");
  out_.Line("%%EndSetup");
  out_.Line("%%Page: 1 1");
  out_.Line("%%BeginPageSetup");
}

void QlxWriter::WritePageSetup(const PageInfo& page) {
  out_.Line("/_QLX_savepage save def");
  out_.EndLine();
  for (const PatternFont& p : kPatternFonts) {
    std::string proc = std::to_string(p.size) + " " + std::to_string(p.size) +
                       " [300 72 div 0 0 300 72 div 0 0] { " + p.body + " }";
    std::string define = std::string("bind /") + p.name + " true definepattern pop";
    // A definition too long for one DSC line goes on two, split after the procedure.
    if (proc.size() + 1 + define.size() <= kMaxDscLine) {
      out_.Line(proc + " " + define);
    } else {
      PutWrapped(out_, proc);
      out_.Line(define);
    }
    out_.EndLine();
  }
  for (const FontListEntry& e : fontList_) {
    out_.Put(e.isSymbol ? "SymbolEncoding" : "WinAnsiEncoding");
    out_.Put(" /_");
    out_.Put(e.name);
    out_.Put(" /");
    out_.Put(e.name);
    out_.Line(" RE");
  }
  if (!fontList_.empty()) out_.EndLine();
  out_.Line("newpath 0 setlinecap 0 setlinejoin 10 setmiterlimit");
  out_.Line("1 setlinewidth [] 0 setdash");
  int64_t llx = page.llx, lly = page.lly, urx = page.urx, ury = page.ury;
  if (RotatesLandscape() && page.landscape) {
    out_.IntSp(llx);
    out_.IntSp(lly);
    out_.Line("translate");
    out_.Line("-90 rotate");
    out_.IntSp(-llx);
    out_.IntSp(-lly);
    out_.Line("translate");
    out_.IntSp(-(urx - llx));
    out_.Line("0 translate");
  }
  out_.IntSp(llx);
  out_.IntSp(lly);
  out_.Put("moveto ");
  out_.IntSp(llx);
  out_.IntSp(ury);
  out_.Put("lineto ");
  out_.IntSp(urx);
  out_.IntSp(ury);
  out_.Put("lineto ");
  out_.IntSp(urx);
  out_.IntSp(lly);
  out_.Line("lineto closepath clip");
  out_.Line(fillPageWhite_ ? "1 1 1 setrgbcolor fill" : "newpath");
  out_.Line("%%EndPageSetup");
}

void QlxWriter::EndDocument(ProgressDialog* /*progress*/) {
  out_.Line("%%PageTrailer");
  out_.Line("_QLX_savepage restore");
  out_.Line("%%Trailer");
  out_.Line("end");
  out_.Line("showpage");
  out_.Line("%%EOF");
  out_.Flush();
}

void QlxWriter::BeginGroup() { out_.Line("u"); }
void QlxWriter::EndGroup() { out_.Line("U"); }
void QlxWriter::BeginCompound() { out_.Line("*u"); }
void QlxWriter::EndCompound() { out_.Line("*U"); }

void QlxWriter::WriteStrokeStyle(const PaintStyle* style) {
  PaintStyleCache& cache = ThePaintStyleCache();
  if (style->strokeColor != cache.strokeColor) {
    PutCmyk(out_, style->strokeColor, 'K');
    cache.strokeColor = style->strokeColor;
  }
  float width = EffectiveWidth(style);
  if (width != cache.lineWidth) {
    out_.NumberSp(width);
    out_.Line("w");
    cache.lineWidth = width;
  }
  if (style->dash != cache.dash) {
    out_.Line(DashLine(style->dash));
    cache.dash = style->dash;
  }
}

void QlxWriter::WritePaintStyle(const PaintStyle* style) {
  if (!style) return;
  PaintStyleCache& cache = ThePaintStyleCache();
  if (style->pattern != cache.pattern) {
    out_.IntSp(style->pattern);
    out_.Line("Pat");
    cache.pattern = style->pattern;
  }
  if (style->fillColor != cache.fillColor) {
    PutCmyk(out_, style->fillColor, 'k');
    cache.fillColor = style->fillColor;
  }
  WriteStrokeStyle(style);
}

void QlxWriter::WritePaintOperator(const PaintStyle* style, int32_t closed) {
  bool fill = style && style->fillOn;
  bool stroke = style && style->strokeOn;
  char op = fill ? (stroke ? 'B' : 'F') : (stroke ? 'S' : 'N');
  if (closed) op = char(op - 'A' + 'a');
  out_.Put(op);
  out_.EndLine();
}

void QlxWriter::WriteShapeCall(const PaintStyle* style, std::initializer_list<float> operands,
                               const Matrix* m, const char* procedure, int32_t closed) {
  WritePaintStyle(style);
  for (float v : operands) out_.NumberSp(v);
  out_.Matrix(m ? *m : Identity(), 0);
  out_.Line(procedure);
  WritePaintOperator(style, closed);
}

void QlxWriter::DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                         float ry) {
  WriteShapeCall(style, {rx, ry, cx, cy}, m, "Ov", 1);
}

void QlxWriter::DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                        float ry, float startDeg, float endDeg) {
  WriteShapeCall(style, {startDeg, endDeg, rx, ry, cx, cy}, m, "Ar", 0);
}

void QlxWriter::DrawPie(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                        float ry, float startDeg, float endDeg) {
  WriteShapeCall(style, {startDeg, endDeg, rx, ry, cx, cy}, m, "Pi", 0);
}

void QlxWriter::DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                        float y2) {
  WriteShapeCall(style, {x2, y2, x1, y1}, m, "Bx", 1);
}

void QlxWriter::DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
                         float y2, const Arrowhead* start, const Arrowhead* end) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  WriteStrokeStyle(style);
  bool startOn = start && start->enabled;
  bool endOn = end && end->enabled;
  if (startOn || endOn) {
    // The procset has one arrow shape for both ends; a line with only its end arrow takes that
    // arrow's shape rather than the unused start's.
    out_.IntSp(startOn ? start->kind : end->kind);
    out_.Line("At");
  }
  out_.IntSp((startOn ? 1 : 0) + (endOn ? 2 : 0));
  out_.NumberSp(x2);
  out_.NumberSp(y2);
  out_.NumberSp(x1);
  out_.NumberSp(y1);
  out_.Matrix(m ? *m : Identity(), 0);
  out_.Line("Ln");
  out_.Line(style->strokeOn ? "S" : "N");
}

void QlxWriter::WritePolygonPath(const Matrix* m, const Point* points, int32_t count,
                                 int32_t closed) {
  const Matrix& mm = m ? *m : Identity();
  for (int32_t i = 0; i < count; i++) {
    Point p = Transform(mm, points[i].x, points[i].y);
    out_.NumberSp(p.x);
    out_.NumberSp(p.y);
    out_.Put(i == 0 ? 'm' : 'L');
    out_.EndLine();
  }
  if (closed && count > 0) {
    Point p = Transform(mm, points[0].x, points[0].y);
    out_.NumberSp(p.x);
    out_.NumberSp(p.y);
    out_.Line("L");
  }
}

void QlxWriter::WriteCurvePath(const Matrix* m, const CurveNode* nodes, int32_t count,
                               int32_t closed) {
  const Matrix& mm = m ? *m : Identity();
  auto segment = [&](const CurveNode& from, const CurveNode& to) {
    Point p1 = Transform(mm, from.outX, from.outY);
    Point p2 = Transform(mm, to.inX, to.inY);
    Point p3 = Transform(mm, to.x, to.y);
    out_.NumberSp(p1.x);
    out_.NumberSp(p1.y);
    out_.NumberSp(p2.x);
    out_.NumberSp(p2.y);
    out_.NumberSp(p3.x);
    out_.NumberSp(p3.y);
    out_.Put((to.corner & 1) ? 'C' : 'c');
    out_.EndLine();
  };
  if (count <= 0) return;
  Point p = Transform(mm, nodes[0].x, nodes[0].y);
  out_.NumberSp(p.x);
  out_.NumberSp(p.y);
  out_.Line("m");
  for (int32_t i = 1; i < count; i++) segment(nodes[i - 1], nodes[i]);
  if (closed) segment(nodes[count - 1], nodes[0]);
}

void QlxWriter::DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points,
                            int32_t count, int32_t closed) {
  // A path needs a first point; an empty polygon paints nothing.
  if (!points || count <= 0) return;
  WritePaintStyle(style);
  WritePolygonPath(m, points, count, closed);
  WritePaintOperator(style, closed);
}

void QlxWriter::DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                          int32_t count, int32_t closed) {
  if (!nodes || count <= 0) return;
  WritePaintStyle(style);
  WriteCurvePath(m, nodes, count, closed);
  WritePaintOperator(style, closed);
}

void QlxWriter::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                         const char* font, float size, float leading, int32_t align,
                         const float* rect) {
  PaintStyle defaults;
  if (!style) style = &defaults;
  if (!text) text = "";
  if (!font) font = "";
  static const float kNoRect[4] = {0, 0, 0, 0};
  if (!rect) rect = kNoRect;
  PaintStyleCache& cache = ThePaintStyleCache();
  if (style->fillColor != cache.fillColor) {
    PutCmyk(out_, style->fillColor, 'k');
    cache.fillColor = style->fillColor;
  }
  std::string name = OutputFontName(font);
  if (name != cache.fontName || size != cache.fontSize || leading != cache.leading ||
      align != cache.align) {
    out_.Put("/_");
    out_.Put(name);
    out_.Put(' ');
    out_.NumberSp(size);
    out_.NumberSp(leading);
    out_.Put("0 ");
    out_.Int(align);
    out_.Line(" z");
    cache.fontName = name;
    cache.fontSize = size;
    cache.leading = leading;
    cache.align = align;
  }
  float x1 = rect[0], y1 = rect[1], x2 = rect[2], y2 = rect[3];
  float ax = x1;
  if (align == kAlignCentre) ax = (x1 + x2) / 2;
  if (align == kAlignRight) ax = x2;
  TextMetrics* metrics = CurrentTextMetrics();
  float ascent = metrics ? metrics->Ascent(font, size) : 0;
  float ay = y1 - ascent;
  Matrix placed = m ? *m : Identity();
  Point anchor = Transform(placed, ax, ay);
  placed.tx = anchor.x;
  placed.ty = anchor.y;
  out_.Matrix(placed, 0);
  out_.Line("e");
  out_.NumberSp(x2 - ax);
  out_.NumberSp(ascent + y2 - y1);
  out_.NumberSp(x1 - ax);
  out_.NumberSp(ascent);
  out_.Line("tbx");
  const char* p = text;
  for (;;) {
    size_t n = std::strcspn(p, "\r\n");
    char cut = p[n];
    bool lastOfParagraph = cut != '\n';
    out_.Put('(');
    out_.PutEscaped(p, n);
    out_.Line(align == kAlignJustify && lastOfParagraph ? ") Tx" : ") t");
    if (cut == '\r') out_.Line("(\\r) TX");
    if (cut == 0) break;
    p += n + 1;
  }
  out_.Line("T");
}

void QlxWriter::DrawImage(const Matrix* m, const ImageData* image) {
  if (!image || image->width <= 0 || image->height <= 0) return;
  size_t pixels = size_t(image->width) * size_t(image->height);
  // Pixel data that does not cover the image (a broken image) is not written at all: the
  // procedure would read the following lines as pixels.
  if (image->pixels.size() / 3 < pixels) return;
  out_.Matrix(m ? *m : Identity(), 0);
  out_.IntSp(image->width);
  out_.IntSp(image->height);
  out_.Line("img");
  // Lines of 12 pixels, the last pixels padded with black to a multiple of the chunk the
  // procedure reads; each line written in place.
  const uint8_t* data = image->pixels.data();
  const size_t bytes = pixels * 3;
  const size_t total = (bytes + kImageChunk - 1) / kImageChunk * kImageChunk;
  constexpr size_t kLineBytes = 3 * kPixelsPerLine;
  for (size_t at = 0; at < total; at += kLineBytes) {
    const size_t line = std::min(kLineBytes, total - at);
    const size_t real = at < bytes ? std::min(line, bytes - at) : 0;
    char* out = out_.Room(2 * line);
    for (size_t k = 0; k < real; k++) std::memcpy(out + 2 * k, kHexPairs.text[data[at + k]], 2);
    std::memset(out + 2 * real, '0', 2 * (line - real));
    out_.Wrote(out + 2 * line);
    out_.EndLine();
  }
}
