// Where shapes draw their selection handles. The view implements it; tests record it.
// Positions are device pixels.
#pragma once

#include <cstdint>

class HandleMarker {
 public:
  virtual ~HandleMarker() = default;
  // selected 1: the selected (filled) style; 0: the unselected (hollow) style.
  virtual void Handle(int32_t x, int32_t y, int selected) = 0;
  virtual void CentreMark(int32_t x, int32_t y) = 0;
  // A curve's control point.
  virtual void ControlMark(int32_t x, int32_t y) = 0;
  // A hairline from a control point to its anchor.
  virtual void GuideLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
};

void SetHandleMarker(HandleMarker* marker);
HandleMarker* CurrentHandleMarker();
