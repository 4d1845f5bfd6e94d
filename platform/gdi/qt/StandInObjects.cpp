#include "platform/gdi/qt/StandInObjects.h"

#include <algorithm>

namespace gdi {

void StandInObjects::Reset() {
  for (Object& o : stock_) o = Object();
  objects_.clear();
  saved_.clear();
  attr_ = Attributes();
  attr_.pen = GetStockObject(BLACK_PEN);
  attr_.brush = GetStockObject(WHITE_BRUSH);
}

Handle StandInObjects::Add(Kind kind, int32_t width) {
  objects_.push_back(Object{kind, false, std::max(1, width)});
  return kFirstHandle + Handle(objects_.size() - 1);
}

Handle StandInObjects::GetStockObject(int32_t which) {
  StockObjectInfo stock;
  if (which < 0 || which >= kStockObjects || !DescribeStockObject(which, &stock)) return 0;
  Object& o = stock_[which];
  o.kind = stock.pen ? kPen : kBrush;
  o.stock = true;
  o.width = 1;
  return Handle(which + 1);
}

bool StandInObjects::DeleteObject(Handle object) {
  Object* o = Find(object);
  if (!o) return false;
  if (o->stock) return true;
  if (object == attr_.pen || object == attr_.brush) return false;
  for (const Attributes& a : saved_)
    if (object == a.pen || object == a.brush) return false;
  o->kind = kNone;
  return true;
}

int32_t StandInObjects::SaveDC() {
  saved_.push_back(attr_);
  return int32_t(saved_.size());
}

bool StandInObjects::RestoreDC(int32_t level) {
  const int32_t depth = int32_t(saved_.size());
  const int32_t target = level < 0 ? depth + level + 1 : level;
  if (target < 1 || target > depth) return false;
  attr_ = saved_[size_t(target - 1)];
  saved_.resize(size_t(target - 1));
  return true;
}

}  // namespace gdi
