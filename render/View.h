// The view of the page in the drawing window: the mapping from page points to window pixels
// (zoom, centring, scrolling, landscape), the scroll bar settings that follow from it, the four
// offscreen buffers and the window image, outline and preview redraws, the page frame, the
// grid and the markers. Buffers hold device pixels; the marker sizes are logical pixels and
// grow with the device pixel ratio.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "model/Geometry.h"
#include "model/HandleMarker.h"
#include "platform/gdi/qt/QImageDevice.h"
#include "render/GdiPainter.h"

class BandedDrawing;
class Drawing;

// One scroll bar as the window applies it: positions 0 .. maximum, a thumb of `page`.
struct ScrollBarSetting {
  int32_t maximum = 0;
  int32_t page = 0;
  int32_t position = 0;
};

// Fit modes of the drawing window.
enum FitMode : int32_t { kFitWidth = 0, kFitPage = 1, kFitNone = 2 };

inline constexpr float kMinZoom = 0.25f;
inline constexpr float kMaxZoom = 8.0f;
// Line and page scrolling move the view by this many points.
inline constexpr int32_t kScrollStep = 18;

float ClampZoom(float zoom);

class View : public HandleMarker {
 public:
  explicit View(Drawing* drawing);
  ~View() override;
  View(const View&) = delete;
  View& operator=(const View&) = delete;

  // Client size in logical pixels. Re-makes the buffers and the window image at the device
  // size (cleared to white) and recomputes the mapping. False when a buffer could not be made.
  bool Resize(int32_t width, int32_t height, double devicePixelRatio = 1.0);
  int32_t ClientWidth() const { return width_; }
  int32_t ClientHeight() const { return height_; }
  double DevicePixelRatio() const { return ratio_; }
  // Whole device pixels per logical pixel for the marker sizes (at least 1).
  int32_t MarkerScale() const { return scale_; }

  float zoom() const { return zoom_; }
  void SetZoom(float zoom);  // clamped; recomputes the mapping
  float ScrollX() const { return scrollX_; }
  float ScrollY() const { return scrollY_; }
  void SetScroll(float x, float y);
  int32_t fitMode = kFitPage;
  bool Landscape() const;
  bool preview = true;

  // Fit in window (both offsets 0) and fit width (the offset across 0); each sets the fit mode.
  void FitInWindow();
  void FitWidth();
  float FitPageZoom() const;
  // After a change of page size or orientation the mapping follows the drawing.
  void UpdateMapping();

  // Page points to device pixels and back.
  const MatrixD& matrix() const { return matrix_; }
  Point Transform(float x, float y) const;
  Point ITransform(float x, float y) const;

  ScrollBarSetting HorizontalBar() const;
  ScrollBarSetting VerticalBar() const;
  // A thumb released at p becomes the offset it shows.
  void HorizontalThumb(int32_t p);
  void VerticalThumb(int32_t p);
  // One line or page step (direction -1 left/up, +1 right/down). False when the view is
  // already at the end; otherwise the window content moves and the uncovered strip is white.
  bool HorizontalStep(int32_t direction);
  bool VerticalStep(int32_t direction);
  // Moves the content by (dx, dy) points: the offsets change by the opposite, the window image
  // moves by whole pixels and the uncovered strips are white until a later redraw.
  void ScrollBy(int32_t dx, int32_t dy);

  // The buffers and the window image (device pixels).
  gdi::QImageDevice& Clean() { return *clean_; }
  gdi::QImageDevice& Working() { return *working_; }
  gdi::QImageDevice& Overlay() { return *overlay_; }
  gdi::QImageDevice& Spare() { return *spare_; }
  gdi::QImageDevice& Window() { return *window_; }
  GdiPainter& painter() { return painter_; }

  // Installs the view's painter, handle marker and mapping on the graphics state for tool
  // drawing; EndDrawing restores the graphics state.
  void BeginDrawing();
  void EndDrawing();
  // DrawTargetMode 0 (buffer), 1 (XOR feedback on the window) or 2 (the window).
  void SetDrawTarget(int32_t mode);
  gdi::Device* TargetDevice();
  // The page frame, and the grid when `grid`, on `dc` (a band's device on its own thread).
  void DrawUnderlay(gdi::Device* dc, bool grid) const;

  // Redraws the page area (page coordinates), or everything for null.
  void Redraw(const Rect* area);
  // After a change of selection: the handles anew and the selection status line.
  void SelectRedraw();
  void DrawPageFrame(gdi::Device* dc) const;
  // False when the grid is off, or too dense to show (which the status line then says).
  bool GridShown() const;
  void DrawGrid(gdi::Device* dc) const;

  // Blits; each rectangle is in device pixels with right and bottom inclusive, null for all.
  void WorkingToWindow(const gdi::DevRect* r = nullptr);
  void WorkingXnorWindow(const gdi::DevRect* r = nullptr);
  void OverlayXnorWindow(const gdi::DevRect* r = nullptr);
  void OverlayXnorWorking(const gdi::DevRect* r = nullptr);
  void CleanToWindow(const gdi::DevRect* r = nullptr);
  void WindowToClean(const gdi::DevRect* r = nullptr);
  void CleanToWorking(const gdi::DevRect* r = nullptr);
  void WorkingToClean(const gdi::DevRect* r = nullptr);

  // Asks for a redraw of the device rectangle (inclusive; null: all), through the callback the
  // window sets. The callback receives a rectangle with exclusive right and bottom.
  void Invalidate(const gdi::DevRect* r = nullptr);
  std::function<void(const gdi::DevRect&)> onInvalidate;
  // The window image changed in the rectangle (exclusive): the window shows it again.
  void WindowChanged(const gdi::DevRect* r = nullptr);
  std::function<void(const gdi::DevRect&)> onWindowChanged;

  // Markers on the current target (the window unless DrawTargetMode is 0), device pixels.
  void Handle(int32_t x, int32_t y, int selected) override;
  void CentreMark(int32_t x, int32_t y) override;
  void ControlMark(int32_t x, int32_t y) override;  // node dot
  void GuideLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
  void GridDot(int32_t x, int32_t y);
  void GridDot(gdi::Device* dc, int32_t x, int32_t y) const;
  // Horizontal or vertical only.
  void DottedLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void BoldLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
  void ShadowBar(gdi::Device* dc, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                 int32_t thickness) const;

 private:
  void Blit(gdi::QImageDevice& to, gdi::QImageDevice& from, uint32_t rop, const gdi::DevRect* r);
  void DrawHandles();
  // Black and white as a monochrome bitmap shows the outline rendering.
  // Rows top .. bottom - 1 of the image.
  static void MakeMonochrome(QImage& image, int32_t top, int32_t bottom);
  void FillBox(gdi::Device* dc, int32_t l, int32_t t, int32_t r, int32_t b, int32_t brush) const;
  int32_t PageW() const;
  int32_t PageH() const;

  Drawing* drawing_;
  GdiPainter painter_;
  std::unique_ptr<BandedDrawing> banded_;
  std::unique_ptr<gdi::QImageDevice> clean_, working_, overlay_, spare_, window_;
  int32_t width_ = 0, height_ = 0;
  double ratio_ = 1.0;
  int32_t scale_ = 1;
  float zoom_ = 0;
  float scrollX_ = 0, scrollY_ = 0;
  MatrixD matrix_;
  MatrixD inverse_;
  int32_t drawingDepth_ = 0;
  PathPainter* savedPainter_ = nullptr;
  HandleMarker* savedMarker_ = nullptr;
};
