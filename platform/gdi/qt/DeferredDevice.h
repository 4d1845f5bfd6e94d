// A device that keeps the drawing calls made on it, to be played back later on image devices:
// the shapes are walked once, and the list then paints several bands of one image on several
// threads. The answers drawing code needs at once (handles, previous attributes) come from a
// stand-in that numbers objects as an image device does; every playback device repeats the calls
// one for one, so the handles it gave out name the same objects there.
// The calls may also be handed over in pieces while the shapes are still being walked: a band
// thread plays each piece as it is finished, so the walk and the painting overlap.
#pragma once

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/gdi/qt/QImageDevice.h"
#include "platform/gdi/qt/StandInObjects.h"

namespace gdi {

class DeferredDevice final : public Device {
 public:
  // Calls kept for a device of width x height pixels (its clip box).
  DeferredDevice(int32_t width, int32_t height);
  ~DeferredDevice() override;
  // Forgets every kept call and starts over for a device of the size, keeping the memory.
  void Reset(int32_t width, int32_t height);

  // Paints every kept call on `target`, a fresh device (its handles numbered as a new device
  // numbers them) over an image of the same size. Safe to run for several targets at once,
  // once the calls are all kept.
  void Replay(QImageDevice& target) const;
  // False when a kept call is a block transfer, which reads or rewrites pixels across bands;
  // play back on one device then.
  bool Bandable() const { return bandable_; }

  // Hands the calls kept since the last piece over as a finished piece, when no path bracket
  // is open or waiting to be used (else they go with the next piece). Between shapes.
  void Seal();
  // Hands over the rest and tells the players that no more will come.
  void Finish();
  // Calls kept since the last piece.
  size_t Unsealed() const { return now_.ops.size(); }
  // Plays the pieces on `target` as they are finished, waiting for each, until Finish. False,
  // having stopped, at a piece that holds a block transfer: the bands cannot share that one.
  // Safe to run on other threads while the calls are kept on this one.
  bool Stream(QImageDevice& target) const;

  void DrawNearest(const DevRect& area, const QImageDevice::NearestImage& image);

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

  // Pixels cannot be read before the playback: GetPixel answers kInvalidColor and ReadPixels
  // false.
  ColorRef GetPixel(int32_t x, int32_t y) override;
  ColorRef SetPixel(int32_t x, int32_t y, ColorRef color) override;
  DevRect GetClipBox() override;
  bool ReadPixels(const DevRect& area, uint8_t* rgb) override;
  bool WritePixels(const DevRect& area, const uint8_t* rgb) override;
  bool StretchRgb(const DevRect& dest, int32_t width, int32_t height, const uint8_t* rgb) override;
  // Only within the kept image itself (source this device); false for any other source.
  bool BitBlt(int32_t x, int32_t y, int32_t w, int32_t h, Device* source, int32_t sx, int32_t sy,
              uint32_t rop) override;
  // Kept when an image device could draw it (else false, as it would answer).
  bool DrawGlyphRun(const GlyphRun& run) override;

 private:
  enum Code : uint8_t {
    kCreatePen,
    kExtCreatePen,
    kCreateSolidBrush,
    kCreatePatternBrush,
    kGetStockObject,
    kSelectObject,
    kDeleteObject,
    kSetROP2,
    kSetBkMode,
    kSetTextColor,
    kSetBkColor,
    kSaveDC,
    kRestoreDC,
    kMoveToEx,
    kLineTo,
    kPolygon,
    kPolyline,
    kPolyPolyline,
    kPolyPolygon,
    kRectangle,
    kEllipse,
    kBeginPath,
    kEndPath,
    kPolyBezierTo,
    kCloseFigure,
    kStrokePath,
    kFillPath,
    kStrokeAndFillPath,
    kAbortPath,
    kSetPixel,
    kWritePixels,
    kStretchRgb,
    kBitBlt,
    kGlyphRun,
    kNearest,
  };
  struct Op {
    Code code;
    int32_t a = 0, b = 0, c = 0, d = 0;  // arguments, or a range of the pools
    uint32_t u = 0;
    // Points, counts, bytes or record of the call: 32 bits, as no pool grows past 4G entries
    // (WritePixels and StretchRgb refuse more bytes), so that a call takes 40 bytes.
    uint32_t at = 0, n = 0;
    // Rows the call can paint; a band that has none of them skips it. A path bracket's
    // BeginPath carries the rows of the painting that uses the path, the index of its EndPath in
    // n, and the current position after it in c, d.
    int32_t top = INT32_MIN, bottom = INT32_MAX;
  };
  struct Glyphs {
    GlyphRun run;
    std::string font, text;
    std::vector<int32_t> advances;
  };
  // A piece of the calls with the pools they index.
  struct Calls {
    std::vector<Op> ops;
    std::vector<DevPoint> points;
    std::vector<int32_t> counts;
    std::vector<uint8_t> bytes;
    std::vector<Glyphs> glyphs;
    std::vector<QImageDevice::NearestImage> images;
    std::vector<DevRect> imageAreas;
    bool bandable = true;
    void Clear();  // keeping the memory
  };
  static void Play(const Calls& calls, QImageDevice& target);
  void SealLocked();
  // The new call, made in place: a call is kept for nearly every drawing step.
  Op& Keep(Code code, int32_t a = 0, int32_t b = 0, int32_t c = 0, int32_t d = 0, uint32_t u = 0) {
    Op& op = now_.ops.emplace_back();
    op.code = code;
    op.a = a;
    op.b = b;
    op.c = c;
    op.d = d;
    op.u = u;
    return op;
  }
  uint32_t KeepPoints(const DevPoint* points, int32_t count);
  uint32_t KeepCounts(const int32_t* counts, int32_t polys, int64_t* total);
  // Can the byte pool take `size` more and still be indexed by a call?
  bool RoomForBytes(size_t size) const { return size <= UINT32_MAX - now_.bytes.size(); }
  // How far beyond its points' rows a figure may paint: the selected pen's miter (five widths)
  // and a rounding margin; `stroke` false for a fill.
  int64_t Reach(bool stroke) const { return stroke ? int64_t(objects_.PenWidth()) * 5 + 4 : 4; }
  // The rows of the last kept call: those of the points, grown by the reach.
  void SetRows(const DevPoint* points, int64_t count, bool stroke);
  void PathPoints(const DevPoint* points, int32_t count);
  void PathPoint(int32_t x, int32_t y);
  // The rows of a kept PolyBezierTo outside a path bracket.
  void BezierRows(const DevPoint* points, int32_t count);
  // A painting that uses the path bracket just ended.
  void UsePath(bool stroke);

  StandInObjects objects_;
  int32_t width_ = 0, height_ = 0;
  bool bandable_ = true;
  // What the recorded path bracket would leave on the devices that play it back.
  DevPoint position_;
  bool inPath_ = false, pathReady_ = false, pathSkippable_ = false;
  size_t pathBegin_ = 0, pathEnd_ = 0;
  int32_t pathTop_ = 0, pathBottom_ = 0;
  std::vector<DevPoint> saved_;  // positions, as SaveDC keeps them
  Calls now_;                    // kept since the last piece
  // Finished pieces, and spare ones whose memory the next redraw reuses. The pieces before
  // sealed_ are read by the players; the list and the count change under the lock.
  std::vector<std::unique_ptr<Calls>> pieces_;
  size_t sealed_ = 0;
  bool finished_ = false;
  mutable std::mutex mutex_;
  mutable std::condition_variable more_;
};

// The calls every path bracket is made of, inline: the shapes' paths arrive one step at a time.

inline uint32_t DeferredDevice::KeepPoints(const DevPoint* points, int32_t count) {
  const uint32_t at = uint32_t(now_.points.size());
  now_.points.insert(now_.points.end(), points, points + count);
  return at;
}

inline void DeferredDevice::PathPoints(const DevPoint* points, int32_t count) {
  if (count <= 0) return;
  position_.x = points[count - 1].x;
  position_.y = points[count - 1].y;
  if (!inPath_) return;
  for (int32_t i = 0; i < count; ++i) {
    pathTop_ = std::min(pathTop_, points[i].y);
    pathBottom_ = std::max(pathBottom_, points[i].y);
  }
}

// The position is set field by field rather than through a point on the stack: reading a point
// back whole just after writing its halves stalls the processor, once a step.
inline void DeferredDevice::PathPoint(int32_t x, int32_t y) {
  position_.x = x;
  position_.y = y;
  if (!inPath_) return;
  pathTop_ = std::min(pathTop_, y);
  pathBottom_ = std::max(pathBottom_, y);
}

inline bool DeferredDevice::MoveToEx(int32_t x, int32_t y) {
  Keep(kMoveToEx, x, y);
  PathPoint(x, y);
  return true;
}

inline bool DeferredDevice::LineTo(int32_t x, int32_t y) {
  Keep(kLineTo, x, y);
  if (!inPath_) {
    const DevPoint p[2] = {position_, {x, y}};
    SetRows(p, 2, true);
  }
  PathPoint(x, y);
  return true;
}

inline bool DeferredDevice::PolyBezierTo(const DevPoint* points, int32_t count) {
  if (!points || count < 0 || count % 3 != 0) return false;
  Op& op = Keep(kPolyBezierTo, count);
  op.at = KeepPoints(points, count);
  if (!inPath_ && count > 0) BezierRows(points, count);
  PathPoints(points, count);
  return true;
}

inline bool DeferredDevice::CloseFigure() {
  Keep(kCloseFigure);
  return true;
}

}  // namespace gdi
