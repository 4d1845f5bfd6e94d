// The painting end of the graphics state on a gdi::Device: how stroke, fill and image drawing
// turn the current path into device calls on the current draw target.
#pragma once

#include <cstdint>
#include <utility>

#include "model/Geometry.h"
#include "model/GraphicsState.h"
#include "platform/gdi/Device.h"

// Where immediate drawing goes (global, like the graphics state). The printing flag overrides
// the mode: while it is set everything goes to the printer.
enum DrawTarget : int32_t {
  kDrawToBuffer = 0,  // the view's offscreen buffer
  kDrawFeedback = 1,  // the window, XOR feedback
  kDrawToWindow = 2,  // the window directly
};
void SetDrawTargetMode(int32_t mode);
int32_t DrawTargetMode();
void SetPrintingFlag(bool printing);
bool PrintingFlag();

// Colour byte of a percentage: trunc(p * 255 / 100), low eight bits.
int ColorByte(double percent);
// A percent colour as GDI colour.
gdi::ColorRef GdiColor(const Color& color);
// The graphics state's 0..1 colour as GDI colour (1 -> 255, 0.999 -> 254, 0.5 -> 127).
gdi::ColorRef GdiColorOfFractions(double red, double green, double blue);
// GDI pen style of dash index 0..3; PS_SOLID for anything else.
uint32_t DashPenStyle(int32_t dash);
// Pen width for a device line width: trunc(|w| + 0.5), at least 1.
int32_t PenWidth(double width);

inline constexpr gdi::ColorRef kFeedbackColor = 0xC0C0C0;

// Paints on the device of the current draw target. The devices are not owned; each must outlive
// the painter or be replaced (set to null) before it goes away.
class GdiPainter : public PathPainter {
 public:
  GdiPainter() = default;
  ~GdiPainter() override;
  GdiPainter(const GdiPainter&) = delete;
  GdiPainter& operator=(const GdiPainter&) = delete;

  void SetBufferDevice(gdi::Device* device) { buffer_ = device; }
  // Makes the feedback pen (solid, 1 pixel, 0xC0C0C0) and the dashed guide pen (PS_DASH, 1
  // pixel, black) on the window device, deleting those of the previous one.
  void SetWindowDevice(gdi::Device* device);
  // The window device for a while without new pens, for drawing that a device keeps to paint
  // later; returns the previous one to put back.
  gdi::Device* ExchangeWindowDevice(gdi::Device* device) { return std::exchange(window_, device); }
  void SetPrinterDevice(gdi::Device* device) { printer_ = device; }
  gdi::Device* BufferDevice() const { return buffer_; }
  gdi::Device* WindowDevice() const { return window_; }
  gdi::Device* PrinterDevice() const { return printer_; }
  gdi::Handle FeedbackPen() const { return feedbackPen_; }
  gdi::Handle GuidePen() const { return guidePen_; }

  // The printer's while printing; the buffer in mode 0; the window in modes 1 and 2.
  gdi::Device* TargetDevice() const;

  void Stroke(GraphicsState& gs, int mode) override;
  void Fill(GraphicsState& gs, int mode) override;
  void Image(GraphicsState& gs, const ImageData& image) override;
  // Each run at its device position through the current font manager; justified lines word by
  // word with every space widened. Under XOR feedback the text inverts what it covers.
  void ShowText(GraphicsState& gs, const char* font, float size, const char* text, int32_t length,
                float x, float y, float extraPerSpace) override;

 private:
  void OutlineStroke(gdi::Device* dc, GraphicsState& gs, bool feedback);
  void FullStroke(gdi::Device* dc, GraphicsState& gs);
  void PaintFill(gdi::Device* dc, GraphicsState& gs, bool full);
  void DeletePens();

  gdi::Device* buffer_ = nullptr;
  gdi::Device* window_ = nullptr;
  gdi::Device* printer_ = nullptr;
  gdi::Handle feedbackPen_ = 0;
  gdi::Handle guidePen_ = 0;
};

// The device of the current target, when the current path painter is a GdiPainter; else null.
// Text drawing uses it.
gdi::Device* DrawTargetDevice();

// Replays the current path into the device's path bracket (BeginPath ... EndPath), each
// coordinate rounded by adding 0.5 and truncating. False when the path is empty.
bool ReplayPath(gdi::Device* dc, const GraphicsState& gs);
