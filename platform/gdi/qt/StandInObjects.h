// What an image device answers about its objects and attributes, without the device: the
// handles it numbers, the objects selected before, the previous attributes and the save levels.
// The deferred device asks it while keeping calls, once per call, so it holds plain records
// (no pens, brushes or maps) and no pixels. Its rules are those of QImageDevice: new objects
// take handles 100, 101, ... never used twice, stock object n is handle n + 1 once fetched, a
// fresh device has the black pen and the white brush, and selected objects are not deleted.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/Device.h"

namespace gdi {

class StandInObjects {
 public:
  StandInObjects() { Reset(); }
  // As a fresh device, keeping the memory.
  void Reset();

  // `width` is the pen's width as created; pattern brushes outside 0..8 are refused.
  Handle CreatePen(int32_t width) { return Add(kPen, width); }
  Handle CreateBrush() { return Add(kBrush, 0); }
  Handle CreatePatternBrush(int32_t pattern) {
    return pattern < 0 || pattern > 8 ? 0 : Add(kBrush, 0);
  }
  Handle GetStockObject(int32_t which);
  Handle SelectObject(Handle object);
  bool DeleteObject(Handle object);

  int32_t SetROP2(int32_t rop) { return Exchange(attr_.rop, rop); }
  int32_t SetBkMode(int32_t mode) { return Exchange(attr_.bkMode, mode); }
  ColorRef SetTextColor(ColorRef color) { return Exchange(attr_.textColor, color); }
  ColorRef SetBkColor(ColorRef color) { return Exchange(attr_.bkColor, color); }
  int32_t SaveDC();
  bool RestoreDC(int32_t level);

  // Width in pixels the selected pen paints at least: its width, 1 for a thinner or stock pen.
  int32_t PenWidth() const { return attr_.penWidth; }

 private:
  enum Kind : uint8_t { kNone, kPen, kBrush };
  struct Object {
    Kind kind = kNone;  // kNone: deleted, or a stock object not fetched yet
    bool stock = false;
    int32_t width = 1;
  };
  struct Attributes {
    Handle pen = 0, brush = 0;
    int32_t penWidth = 1;
    int32_t rop = R2_COPYPEN;
    int32_t bkMode = OPAQUE;
    ColorRef textColor = Rgb(0, 0, 0);
    ColorRef bkColor = Rgb(255, 255, 255);
  };
  static constexpr Handle kFirstHandle = 100;
  static constexpr int32_t kStockObjects = 9;

  template <typename T>
  static T Exchange(T& slot, T value) {
    const T old = slot;
    slot = value;
    return old;
  }
  Handle Add(Kind kind, int32_t width);
  Object* Find(Handle h);

  Object stock_[kStockObjects];
  std::vector<Object> objects_;  // handle kFirstHandle + i
  Attributes attr_;
  std::vector<Attributes> saved_;
};

// Inline: every shape selects its pens and brushes in and out again.

inline StandInObjects::Object* StandInObjects::Find(Handle h) {
  Object* o = nullptr;
  if (h >= 1 && h <= Handle(kStockObjects)) {
    o = &stock_[h - 1];
  } else if (h >= kFirstHandle && h - kFirstHandle < objects_.size()) {
    o = &objects_[h - kFirstHandle];
  }
  return o && o->kind != kNone ? o : nullptr;
}

inline Handle StandInObjects::SelectObject(Handle object) {
  const Object* o = Find(object);
  if (!o) return 0;
  if (o->kind == kPen) {
    attr_.penWidth = o->width;
    return Exchange(attr_.pen, object);
  }
  return Exchange(attr_.brush, object);
}

}  // namespace gdi
