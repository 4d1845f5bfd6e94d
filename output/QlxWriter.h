// The native drawing file writer: an Encapsulated PostScript file with the private procset
// "OndaraDraw_ops", which prints by itself and which the reader takes back. The same writer,
// slightly varied, writes PostScript export, EPS export and the PostScript printer stream.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "output/OutputDriver.h"
#include "output/PsWriterCommon.h"

class QlxWriter : public OutputDriver {
 public:
  // `fonts`: the PostScript names of the fonts the drawing's texts use, in first-use order
  // (CollectFonts, gathered before the writer is made).
  explicit QlxWriter(OutputSink* sink, std::vector<std::string> fonts = {});
  ~QlxWriter() override;  // hands buffered lines to the sink

  // Paints the page white under the drawing (the EPS variant with a screen preview).
  void SetFillPageWhite(int32_t on) { fillPageWhite_ = on; }
  int32_t fillPageWhite() const { return fillPageWhite_; }
  // Embedded TrueType fonts as Type 42 (else Type 3).
  void SetType42(int32_t on) { type42_ = on; }
  // TrueType fonts named as standard PostScript fonts, and not embedded.
  void SetSubstitutePsFonts(int32_t on) { substitutePsFonts_ = on; }

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  void BeginGroup() override;
  void EndGroup() override;
  void BeginCompound() override;
  void EndCompound() override;
  void DrawOval(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx,
                float ry) override;
  void DrawArc(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx, float ry,
               float startDeg, float endDeg) override;
  void DrawPie(const PaintStyle* style, const Matrix* m, float cx, float cy, float rx, float ry,
               float startDeg, float endDeg) override;
  void DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* start, const Arrowhead* end) override;
  void DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points, int32_t count,
                   int32_t closed) override;
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawBox(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2,
               float y2) override;
  void DrawImage(const Matrix* m, const ImageData* image) override;

  // Nonzero when a landscape page is rotated into a portrait bounding box (the EPS variant).
  virtual int32_t RotatesLandscape() { return 0; }
  // The style lines that differ from the PaintStyleCache, in order: pattern, fill colour,
  // stroke colour, width, dash; the cache takes the new values.
  virtual void WritePaintStyle(const PaintStyle* style);
  // "b"/"B", "f"/"F", "s"/"S" or "n"/"N" by the fill and stroke flags; lower case when closed.
  virtual void WritePaintOperator(const PaintStyle* style, int32_t closed);

  // The names the output lists, after substitution, and whether each is the Symbol font.
  struct FontListEntry {
    std::string name;
    int32_t isSymbol = 0;
    std::string source;  // the name as the drawing gives it, before substitution
  };
  const std::vector<FontListEntry>& fontList() const { return fontList_; }

 protected:
  // One procedure call of a shape: the style lines, the operands, the matrix, the procedure
  // name and the painting line.
  void WriteShapeCall(const PaintStyle* style, std::initializer_list<float> operands,
                      const Matrix* m, const char* procedure, int32_t closed);
  // The stroke colour, width and dash lines of WritePaintStyle, each only when changed.
  void WriteStrokeStyle(const PaintStyle* style);
  // Path bodies shared with the Illustrator writer: every point mapped through m, "x y m", then
  // "x y L" lines (a polygon) or "x1 y1 x2 y2 x3 y3 c" / "... C" lines (a curve, "C" at corner
  // nodes); closed shapes run back to the first point. No painting line.
  void WritePolygonPath(const Matrix* m, const Point* points, int32_t count, int32_t closed);
  void WriteCurvePath(const Matrix* m, const CurveNode* nodes, int32_t count, int32_t closed);
  // The name a text's font is written under (substituted when substitution is on).
  std::string OutputFontName(const char* font) const;

  PsLineBuffer out_;
  std::vector<std::string> fonts_;  // as the drawing names them
  std::vector<FontListEntry> fontList_;
  int32_t fillPageWhite_ = 0;
  int32_t type42_ = 0;
  int32_t substitutePsFonts_ = 0;

 private:
  void BuildFontList();
  void WriteHeader(const PageInfo& page);
  void WriteProlog(int32_t embedFonts);
  void WriteSetup(const PageInfo& page, int32_t embedFonts);
  void WritePageSetup(const PageInfo& page);
};

// EPS export: rotates a landscape page into a portrait bounding box.
class EpsWriter : public QlxWriter {
 public:
  using QlxWriter::QlxWriter;
  int32_t RotatesLandscape() override { return 1; }
};

// The PostScript stream sent to a PostScript printer (always with fonts embedded).
class QlxPrintWriter : public QlxWriter {
 public:
  using QlxWriter::QlxWriter;
};

// The procset definitions of the prolog, in order, each line ended by CR LF.
const char* QlxProcsetText();
// "%%CreationDate: " text: SOURCE_DATE_EPOCH (as UTC) when set, else the local time, in the
// classic layout "Wed Jun  9 14:05:03 2021", month and day names in English.
std::string CreationDateText();
