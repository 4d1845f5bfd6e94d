// Bitmap export: the drawing rendered into an offscreen bitmap of the page box and written as a
// 24-bit BMP (optionally supersampled by 2 or 4 and box-filtered down) or as an RGB TIFF, which
// is also the screen preview inside EPS files.
#pragma once

#include <cstdint>
#include <memory>

#include "render/GdiRenderer.h"

namespace gdi {
class QImageDevice;
}

class BitmapRenderer : public GdiRenderer {
 public:
  // Writes into `sink` (not owned) at `smoothing` 1 ("Off"), 2 ("Normal") or 4 ("Maximum");
  // other values count as 1.
  explicit BitmapRenderer(OutputSink* sink, int32_t smoothing = 1);
  ~BitmapRenderer() override;

  // Makes the white bitmap of (box width x factor) by (box height x factor) pixels, width and
  // height exchanged for a landscape page, and the device matrix onto it. 0 after "Not enough
  // memory\n" when the bitmap cannot be made.
  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  // Writes the BMP (reduced first when smoothing) and releases the bitmap.
  void EndDocument(ProgressDialog* progress) override;
  // A device path of Bezier pieces rather than flattened polygons.
  void DrawCurve(const PaintStyle* style, const Matrix* m, const CurveNode* nodes, int32_t count,
                 int32_t closed) override;

  int32_t Smoothing() const { return factor_; }
  // The bitmap between BeginDocument and EndDocument; null otherwise.
  gdi::QImageDevice* Bitmap() const { return bitmap_.get(); }

 protected:
  // Releases the bitmap; the renderer then draws nowhere.
  void ReleaseBitmap();

 private:
  int32_t factor_;
  std::unique_ptr<gdi::QImageDevice> bitmap_;
};

class TiffRenderer : public BitmapRenderer {
 public:
  // Always one pixel per point.
  explicit TiffRenderer(OutputSink* sink);
  ~TiffRenderer() override;

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  // Writes the TIFF at the sink's current position and releases the bitmap.
  void EndDocument(ProgressDialog* progress) override;

  // The page box in points (exchanged for landscape): the TIFF's size in pixels.
  int32_t WidthPoints() const { return width_; }
  int32_t HeightPoints() const { return height_; }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
};
