#include "render/WmfWriter.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "fonts/FontManager.h"
#include "model/GraphicsState.h"
#include "model/TextShape.h"
#include "output/OutputSink.h"
#include "output/WmfReader.h"
#include "platform/gdi/WmfDevice.h"
#include "render/GdiPainter.h"

namespace {

// Metafile coordinates are 16-bit: a page box beyond them is clamped.
int16_t Clamp16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }

// Without a font list, text is still placed with these proportions of the size.
constexpr float kFallbackAscent = 0.8f;
constexpr float kFallbackAdvance = 0.5f;

}  // namespace

WmfWriter::WmfWriter(OutputSink* sink) : GdiRenderer(nullptr, sink) {}

WmfWriter::~WmfWriter() = default;

int32_t WmfWriter::BeginDocument(const PageInfo* page, int32_t, ProgressDialog*) {
  if (!page || !sink()) return 0;
  int64_t w = int64_t(page->urx) - page->llx, h = int64_t(page->ury) - page->lly;
  if (page->landscape) std::swap(w, h);
  uint8_t header[22];
  MakePlaceableHeader(0, 0, Clamp16(w), Clamp16(h), 72, header);
  sink()->WriteBytes(header, 22);

  wmf_ = std::make_unique<gdi::WmfDevice>();
  SetDevice(wmf_.get());
  // One metafile unit per point, y down from the top of the page box.
  wmf_->SetMapMode(gdi::MM_ANISOTROPIC);
  wmf_->SetWindowOrg(0, 0);
  wmf_->SetWindowExt(Clamp16(w), Clamp16(h));

  const double H = double(h);
  GraphicsState gs;
  if (page->landscape) {
    gs.rotate(90);
    gs.translate(0, -H);
  }
  gs.scale(1, -1);
  gs.translate(-double(page->llx), -double(page->lly));
  gs.translate(0, -H);
  SetDeviceMatrix(ToMatrix(gs.matrix()));
  return 1;
}

void WmfWriter::EndDocument(ProgressDialog*) {
  if (!wmf_) return;
  const std::vector<uint8_t>& bytes = wmf_->Finish();
  // Written in pieces, as the sink counts bytes in a signed 32-bit length.
  constexpr size_t kPiece = size_t(1) << 30;
  for (size_t at = 0; at < bytes.size(); at += kPiece) {
    sink()->WriteBytes(bytes.data() + at, int32_t(std::min(kPiece, bytes.size() - at)));
  }
  SetDevice(nullptr);
  wmf_.reset();
}

void WmfWriter::TextRun(const Matrix& cm, const char* text, int32_t length, float x, float y) {
  if (length <= 0) return;
  Point p = Transform(cm, x, y);
  wmf_->TextOutA(TruncDevice(p.x), TruncDevice(p.y), text, length);
}

void WmfWriter::DrawText(const PaintStyle* style, const Matrix* m, const char* text,
                         const char* font, float size, float leading, int32_t align,
                         const float* rect) {
  if (!wmf_ || !style || !text || !rect) return;
  FontManager* fonts = TheFontManager();
  FontFace* face = fonts && font ? fonts->FindFace(font) : nullptr;
  if (!face && fonts) face = fonts->DefaultFace();
  auto width = [&](const char* s, int32_t n) {
    return face ? face->StringWidth(s, n, size) : kFallbackAdvance * size * float(n);
  };
  const Matrix cm = Combined(m);

  // The font: the character height at this size through the matrix, turned with the baseline.
  gdi::LogFont lf;
  const double scale = std::sqrt(std::fabs(double(cm.a) * cm.d - double(cm.b) * cm.c));
  lf.height = Clamp16(-int64_t(double(size) * scale + 0.5));
  // Device space has y down, so the baseline's angle on the page is measured against -b.
  const double degrees = std::atan2(-double(cm.b), double(cm.a)) * 180.0 / kPi;
  lf.escapement = lf.orientation = Clamp16(int64_t(std::lround(degrees * 10)));
  lf.weight = face && (face->Style() & kStyleBold) ? 700 : 400;
  lf.italic = face && (face->Style() & kStyleItalic) ? 1 : 0;
  lf.faceName = face ? face->FaceName() : (font ? font : "");

  gdi::Device* dc = device();
  dc->SaveDC();
  const gdi::Handle handle = wmf_->CreateFontIndirect(lf);
  dc->SelectObject(handle);
  dc->SetTextColor(GdiColor(style->fillColor));
  dc->SetBkMode(gdi::TRANSPARENT);
  wmf_->SetTextAlign(gdi::TA_BASELINE | gdi::TA_LEFT);

  const float left = rect[0], right = rect[2];
  float y = rect[1] - (face ? face->Ascent(size) : kFallbackAscent * size);
  const char* p = text;
  for (;;) {
    const char* line = p;
    while (*p && *p != '\r' && *p != '\n') ++p;
    const int32_t length = int32_t(std::min<ptrdiff_t>(p - line, kMaxLineChars));
    const bool lastOfParagraph = *p == '\0' || *p == '\r';
    const float lineWidth = width(line, length);
    const int32_t spaces = int32_t(std::count(line, line + length, ' '));
    if (align == kAlignCentre) {
      TextRun(cm, line, length, (left + right) / 2 - lineWidth / 2, y);
    } else if (align == kAlignRight) {
      TextRun(cm, line, length, right - lineWidth, y);
    } else if (align == kAlignJustify && !lastOfParagraph && spaces > 0) {
      // Word by word, each space widened by an equal share of the room left.
      const float extra = (right - left - lineWidth) / float(spaces);
      const float space = width(" ", 1);
      float x = left;
      for (int32_t i = 0; i < length;) {
        if (line[i] == ' ') {
          x += space + extra;
          ++i;
          continue;
        }
        int32_t j = i;
        while (j < length && line[j] != ' ') ++j;
        TextRun(cm, line + i, j - i, x, y);
        x += width(line + i, j - i);
        i = j;
      }
    } else {
      TextRun(cm, line, length, left, y);
    }
    if (*p == '\0') break;
    ++p;
    y -= leading;
  }
  dc->RestoreDC(-1);
  dc->DeleteObject(handle);
}
