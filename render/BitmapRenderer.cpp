#include "render/BitmapRenderer.h"

#include <QImage>

#include "model/GraphicsState.h"
#include "output/ProgressDialog.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "platform/msgbox/Messages.h"
#include "render/BitmapWriters.h"

namespace {

// The largest bitmap export will allocate (4 bytes a pixel: 1 GB). A page box beyond it, which
// only a damaged drawing can ask for, fails like any other allocation.
constexpr int64_t kMaxBitmapPixels = int64_t(1) << 28;

int32_t ValidFactor(int32_t factor) { return factor == 2 || factor == 4 ? factor : 1; }

// Page box size in points, exchanged for landscape; at least one point each way so that a
// drawing without extent still gives a bitmap.
void PageSize(const PageInfo& page, int64_t* w, int64_t* h) {
  *w = std::max<int64_t>(1, int64_t(page.urx) - page.llx);
  *h = std::max<int64_t>(1, int64_t(page.ury) - page.lly);
  if (page.landscape) std::swap(*w, *h);
}

}  // namespace

BitmapRenderer::BitmapRenderer(OutputSink* sink, int32_t smoothing)
    : GdiRenderer(nullptr, sink), factor_(ValidFactor(smoothing)) {
  SetPixelsPerPoint(float(factor_));
}

BitmapRenderer::~BitmapRenderer() = default;

void BitmapRenderer::ReleaseBitmap() {
  SetDevice(nullptr);
  bitmap_.reset();
}

int32_t BitmapRenderer::BeginDocument(const PageInfo* page, int32_t, ProgressDialog*) {
  ReleaseBitmap();
  if (!page) return 0;
  int64_t w = 0, h = 0;
  PageSize(*page, &w, &h);
  const int64_t bw = w * factor_, bh = h * factor_;
  if (bw <= kMaxBitmapPixels / bh)
    bitmap_ = std::make_unique<gdi::QImageDevice>(int32_t(bw), int32_t(bh));
  if (!bitmap_ || !bitmap_->IsValid()) {
    bitmap_.reset();
    ShowError("Not enough memory\n");
    return 0;
  }
  SetDevice(bitmap_.get());

  // Points to pixels, built as the graphics state builds any matrix: in portrait a page point
  // (x, y) lands at column factor (x - llx), row H - factor (y - lly).
  const double H = double(bh), llx = page->llx, lly = page->lly, f = factor_;
  GraphicsState gs;
  if (page->landscape) {
    gs.rotate(90);
    gs.translate(0, -H);
  }
  gs.scale(1, -1);
  gs.translate(-llx, -lly);
  gs.translate(0, -H);
  if (factor_ != 1) {
    gs.translate(llx, lly);
    gs.scale(f, f);
    gs.translate(-llx, -lly);
  }
  SetDeviceMatrix(ToMatrix(gs.matrix()));
  return 1;
}

void BitmapRenderer::EndDocument(ProgressDialog* progress) {
  if (!bitmap_) return;
  if (factor_ == 1) {
    WriteBmp24(sink(), bitmap_->image());
  } else {
    if (progress) {
      progress->SetText("Allocating memory...");
      progress->SetPosition(0, 100);
    }
    if (!progress || !progress->Cancelled()) {
      QImage reduced = ReduceBitmap(bitmap_->image(), factor_, progress);
      if (!reduced.isNull()) WriteBmp24(sink(), reduced);
    }
  }
  ReleaseBitmap();
}

void BitmapRenderer::DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes,
                               int32_t count, int32_t closed) {
  DrawCurveAsPath(style, m, nodes, count, closed);
}

TiffRenderer::TiffRenderer(OutputSink* sink) : BitmapRenderer(sink, 1) {}
TiffRenderer::~TiffRenderer() = default;

int32_t TiffRenderer::BeginDocument(const PageInfo* page, int32_t embedFonts,
                                    ProgressDialog* progress) {
  if (page) {
    int64_t w = 0, h = 0;
    PageSize(*page, &w, &h);
    width_ = int32_t(std::min<int64_t>(w, INT32_MAX));
    height_ = int32_t(std::min<int64_t>(h, INT32_MAX));
  }
  return BitmapRenderer::BeginDocument(page, embedFonts, progress);
}

void TiffRenderer::EndDocument(ProgressDialog*) {
  if (!Bitmap()) return;
  WriteTiffRgb(sink(), Bitmap()->image());
  ReleaseBitmap();
}
