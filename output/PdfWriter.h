// PDF 1.0 export: one page, one uncompressed content stream, hexadecimal image XObjects and
// unembedded fonts (PDF Reference 1.0: file structure, content operators, font dictionaries).
// The content stream is written while the shapes arrive; every other object after it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "output/AiWriter.h"

class PdfWriter : public AiWriter {
 public:
  // Object positions come from the sink's Tell. `fonts` as for QlxWriter (optional: fonts are
  // also gathered from the texts as they are written).
  explicit PdfWriter(OutputSink* sink, std::vector<std::string> fonts = {});

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  // Groups and compound paths leave no trace in PDF.
  void BeginGroup() override {}
  void EndGroup() override {}
  void BeginCompound() override {}
  void EndCompound() override {}
  void DrawLine(const PaintStyle* style, const Matrix* m, float x1, float y1, float x2, float y2,
                const Arrowhead* start, const Arrowhead* end) override;
  void DrawPolygon(const PaintStyle* style, const Matrix* m, const Point* points, int32_t count,
                   int32_t closed) override;
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawImage(const Matrix* m, const ImageData* image) override;
  // "b"/"B" fill and stroke (closed/open), "f" fill, "s"/"S" stroke, "n" neither.
  void WritePaintOperator(const PaintStyle* style, int32_t closed) override;

  // The number of objects written so far (the next free number minus one).
  int32_t ObjectCount() const { return int32_t(objects_.size()); }

 protected:
  char LineToOperator() const override { return 'l'; }

 private:
  // The byte offset the next write lands on.
  long long Position();
  // Records the current position for the next object number and returns that number.
  int32_t RecordObject();
  int32_t NextObject() const { return int32_t(objects_.size()) + 1; }
  // The font's number in the font list (from 1), adding it when the texts bring a new one.
  int32_t FontNumber(const char* font);
  void WriteFonts();
  void WriteImage(const ImageData& image, int32_t k, int32_t base);

  std::vector<long long> objects_;  // position of object i + 1
  long long streamStart_ = 0;
  std::vector<std::string> pdfFonts_;
  // Images of the content stream in order; the shapes own them and outlive the export.
  std::vector<const ImageData*> images_;
};

// A PostScript font name as a PDF 1.0 name token: bytes that would end or break the token
// become "_" (PDF 1.0 has no escapes in names); an empty name becomes "Helvetica".
std::string PdfFontName(const std::string& name);
