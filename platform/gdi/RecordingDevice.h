// A device that writes every call as one line of text, so tests compare what a renderer did
// with expected lines. It keeps just enough state to answer like a real device context: an
// object table, the selected pen and brush, the attributes and their save stack, and an
// optional RGB canvas for the pixel operations (the drawing calls are recorded, not painted).
//
// Line formats (colours as the COLORREF value, 0xBBGGRR):
//   "CreatePen <style> <width> 0x<color> -> <handle>"    likewise ExtCreatePen
//   "CreateSolidBrush 0x<color> -> <handle>"   "CreatePatternBrush <n> -> <handle>"
//   "GetStockObject <which> -> <handle>"   "SelectObject <h> -> <previous>"
//   "DeleteObject <h> -> <0|1>"   "SetROP2 <rop> -> <previous>"  (also SetBkMode,
//   SetTextColor, SetBkColor)   "SaveDC -> <level>"   "RestoreDC <level> -> <0|1>"
//   "MoveToEx <x> <y>"   "LineTo <x> <y>"   "Polygon <n> (x,y) ..."   "Polyline <n> (x,y) ..."
//   "PolyPolyline <polys> [<count> ...] (x,y) ..."  (also PolyPolygon)
//   "PolyBezierTo <n> (x,y) ..."   "Rectangle <l> <t> <r> <b>"   "Ellipse <l> <t> <r> <b>"
//   "BeginPath" "EndPath" "CloseFigure" "StrokePath" "FillPath" "StrokeAndFillPath" "AbortPath"
//   "GetPixel <x> <y>"   "SetPixel <x> <y> 0x<color>"   "GetClipBox"
//   "ReadPixels <l> <t> <r> <b>"   "WritePixels <l> <t> <r> <b>"
//   "StretchRgb <l> <t> <r> <b> <width> <height>"   "BitBlt <x> <y> <w> <h> <sx> <sy> 0x<rop>"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/Device.h"

namespace gdi {

class RecordingDevice : public Device {
 public:
  enum ObjectKind { kPen = 1, kBrush = 2 };
  static constexpr uint32_t kSolidBrushStyle = 0xFFFFFFFF;
  struct Object {
    Handle handle = 0;
    int kind = 0;
    uint32_t style = 0;  // pen style; for a brush its pattern number or kSolidBrushStyle
    int32_t width = 0;
    ColorRef color = 0;
    bool stock = false;
  };

  // A canvas of width x height white pixels; 0 x 0 has no canvas.
  explicit RecordingDevice(int32_t width = 0, int32_t height = 0);

  // Stock objects have fixed handles: StockHandle(which) = 1 + which.
  static Handle StockHandle(int32_t which) { return Handle(1 + which); }

  const std::vector<std::string>& lines() const { return lines_; }
  void clear() { lines_.clear(); }

  // State queries for tests.
  const Object* Find(Handle h) const;
  // Objects created and not yet deleted (stock objects are not counted). A selected object
  // cannot be deleted, as on Windows.
  int32_t LiveObjects() const;
  Handle SelectedPen() const { return attr_.pen; }
  Handle SelectedBrush() const { return attr_.brush; }
  int32_t Rop() const { return attr_.rop; }
  int32_t BkMode() const { return attr_.bkMode; }
  ColorRef TextColor() const { return attr_.textColor; }
  ColorRef BkColor() const { return attr_.bkColor; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  // The canvas, rows top first, 3 bytes a pixel.
  const std::vector<uint8_t>& pixels() const { return canvas_; }

  Handle CreatePen(uint32_t style, int32_t width, ColorRef color) override;
  Handle ExtCreatePen(uint32_t style, int32_t width, ColorRef color) override;
  Handle CreateSolidBrush(ColorRef color) override;
  Handle CreatePatternBrush(int32_t pattern) override;
  Handle GetStockObject(int32_t which) override;
  Handle SelectObject(Handle object) override;
  bool DeleteObject(Handle object) override;

  int32_t SetROP2(int32_t rop) override;
  int32_t SetBkMode(int32_t mode) override;
  ColorRef SetTextColor(ColorRef color) override;
  ColorRef SetBkColor(ColorRef color) override;
  int32_t SaveDC() override;
  bool RestoreDC(int32_t level) override;

  bool MoveToEx(int32_t x, int32_t y) override;
  bool LineTo(int32_t x, int32_t y) override;
  bool Polygon(const DevPoint* points, int32_t count) override;
  bool Polyline(const DevPoint* points, int32_t count) override;
  bool PolyPolyline(const DevPoint* points, const int32_t* counts, int32_t polys) override;
  bool PolyPolygon(const DevPoint* points, const int32_t* counts, int32_t polys) override;
  bool Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
  bool Ellipse(int32_t left, int32_t top, int32_t right, int32_t bottom) override;

  bool BeginPath() override;
  bool EndPath() override;
  bool PolyBezierTo(const DevPoint* points, int32_t count) override;
  bool CloseFigure() override;
  bool StrokePath() override;
  bool FillPath() override;
  bool StrokeAndFillPath() override;
  bool AbortPath() override;

  ColorRef GetPixel(int32_t x, int32_t y) override;
  ColorRef SetPixel(int32_t x, int32_t y, ColorRef color) override;
  DevRect GetClipBox() override;
  bool ReadPixels(const DevRect& area, uint8_t* rgb) override;
  bool WritePixels(const DevRect& area, const uint8_t* rgb) override;
  bool StretchRgb(const DevRect& dest, int32_t width, int32_t height, const uint8_t* rgb) override;
  bool BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx, int32_t sy,
              uint32_t rop) override;

 private:
  struct Attributes {
    Handle pen = 0;
    Handle brush = 0;
    int32_t rop = R2_COPYPEN;
    int32_t bkMode = OPAQUE;
    ColorRef textColor = Rgb(0, 0, 0);
    ColorRef bkColor = Rgb(255, 255, 255);
  };

  Handle Add(int kind, uint32_t style, int32_t width, ColorRef color);
  void Record(const std::string& line) { lines_.push_back(line); }
  bool InCanvas(int32_t x, int32_t y) const;
  bool AreaInCanvas(const DevRect& area) const;
  std::string Points(const DevPoint* points, int32_t count) const;

  std::vector<std::string> lines_;
  std::vector<Object> objects_;
  std::vector<Attributes> saved_;
  Attributes attr_;
  Handle next_ = 100;
  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint8_t> canvas_;
};

}  // namespace gdi
