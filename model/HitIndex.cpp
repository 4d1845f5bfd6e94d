#include "model/HitIndex.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/GrowArray.h"
#include "model/PointerMap.h"
#include "model/ShapeQuery.h"

namespace {

// Loose grid levels: at level L a cell is base * 2^L wide, and a shape lives in the one cell of
// the level that fits its larger side, the cell holding its lower-left corner. A query then
// looks at the cells from one cell size below-left of its rectangle to its upper-right corner.
// The last level is a single cell for everything larger (and for bounds that are not finite).
constexpr int32_t kLevels = 10;
constexpr double kBaseCellsAcross = 256;
// Order keys follow list order with room between neighbours for insertions.
constexpr uint64_t kKeyStep = uint64_t(1) << 24;
constexpr uint64_t kFirstKey = uint64_t(1) << 62;
constexpr uint32_t kNone = PointerMap::kNone;
constexpr uint32_t kDescendantBit = 0x80000000u;

struct CellEntry {
  Rect bounds;
  uint64_t key;
  uint32_t slot;
};

struct Candidate {
  uint64_t key;
  uint32_t slot;
};

bool IsFinite(const Rect& r) {
  return std::isfinite(r.x1) && std::isfinite(r.y1) && std::isfinite(r.x2) && std::isfinite(r.y2);
}

bool IsContainer(const Shape* shape) {
  const int32_t kind = shape->Kind();
  return kind == kGroupShape || kind == kCompoundShape;
}

Rect FilterBounds(Shape* shape) {
  Rect b;
  shape->GetBounds(&b, 0);
  return NormalizeRect(b);
}

struct Level {
  double cell = 1;
  int32_t nx = 1;
  int32_t ny = 1;
  int32_t first = 0;  // index of its first cell
};

class HitIndex {
 public:
  const ShapeList* list() const { return list_; }

  void Forget() {
    list_ = nullptr;
    stale_ = true;
    shape_ = GrowArray<Shape*>();
    bounds_ = GrowArray<Rect>();
    key_ = GrowArray<uint64_t>();
    cell_ = GrowArray<uint32_t>();
    place_ = GrowArray<uint32_t>();
    mark_ = GrowArray<uint32_t>();
    free_ = GrowArray<uint32_t>();
    order_ = GrowArray<uint32_t>();
    dirty_ = GrowArray<const Shape*>();
    candidates_ = GrowArray<Candidate>();
    cells_.reset();
    cellCount_ = 0;
    map_.Clear();
  }

  void NoteChanged(const Shape* shape) {
    if (stale_ || !list_) return;
    if (dirty_.Count() >= std::max<int32_t>(4096, order_.Count() / 2) || !dirty_.Append(shape)) {
      // So many changes cost as much as starting over, which also frees the log.
      stale_ = true;
      dirty_ = GrowArray<const Shape*>();
    }
  }

  bool Sync(const ShapeList& list) {
    if (list_ != &list || stale_) return Rebuild(list);
    if (list.ChangedFrom() != INT32_MAX && !Splice(list)) return Rebuild(list);
    if (order_.Count() != list.Count()) return Rebuild(list);
    if (!ApplyDirty()) return Rebuild(list);
    return true;
  }

  // Sync of the served list when that is cheap; a wholesale change waits for the next query.
  void CatchUp(const ShapeList& list) {
    if (list_ != &list || stale_) return;
    if (list.ChangedFrom() == INT32_MAX && dirty_.Empty()) return;
    if (list.ChangedFrom() != INT32_MAX && !Splice(list)) {
      stale_ = true;
      return;
    }
    if (order_.Count() != list.Count() || !ApplyDirty()) stale_ = true;
  }

  bool Query(const ShapeList& list, const Rect& q, int32_t flags, ShapeList* out, bool* found) {
    if (!Sync(list)) return false;
    *found = false;
    const bool stopAtFirst = (flags & kQueryStopAtFirst) != 0;
    int32_t ranges[kLevels][4];
    int64_t visits = 0;
    for (int32_t l = 0; l < kLevels; ++l) {
      CellRange(l, q, ranges[l]);
      const Level& level = levels_[l];
      for (int32_t cy = ranges[l][1]; cy <= ranges[l][3]; ++cy)
        for (int32_t cx = ranges[l][0]; cx <= ranges[l][2]; ++cx)
          visits += cells_[level.first + cy * level.nx + cx].Count();
    }
    // A rectangle over much of the drawing is answered faster by walking the bounds in order.
    if (visits > order_.Count() / 4) return WalkBounds(q, flags, out, found);

    candidates_.Clear();
    for (int32_t l = 0; l < kLevels; ++l) {
      const Level& level = levels_[l];
      for (int32_t cy = ranges[l][1]; cy <= ranges[l][3]; ++cy) {
        for (int32_t cx = ranges[l][0]; cx <= ranges[l][2]; ++cx) {
          const GrowArray<CellEntry>& cell = cells_[level.first + cy * level.nx + cx];
          for (const CellEntry& e : cell) {
            if (!RectMeets(e.bounds, q)) continue;
            if (!candidates_.Append(Candidate{e.key, e.slot})) return false;
          }
        }
      }
    }
    auto later = [](const Candidate& a, const Candidate& b) { return a.key > b.key; };
    Candidate* begin = candidates_.Data();
    Candidate* end = begin + candidates_.Count();
    if (stopAtFirst) {
      // The first hit is usually among the first few: a heap avoids sorting the rest.
      std::make_heap(begin, end, later);
      while (begin != end) {
        std::pop_heap(begin, end, later);
        --end;
        Shape* shape = shape_[end->slot];
        if (!ShapeTouchesQuery(shape, q, flags)) continue;
        *found = true;
        out->Append(shape);
        return true;
      }
      return true;
    }
    std::sort(begin, end, [](const Candidate& a, const Candidate& b) { return a.key < b.key; });
    for (Candidate* c = begin; c != end; ++c) {
      Shape* shape = shape_[c->slot];
      if (!ShapeTouchesQuery(shape, q, flags)) continue;
      *found = true;
      if (!out->Append(shape)) return true;
    }
    return true;
  }

 private:
  bool WalkBounds(const Rect& q, int32_t flags, ShapeList* out, bool* found) {
    const bool stopAtFirst = (flags & kQueryStopAtFirst) != 0;
    const int32_t n = order_.Count();
    for (int32_t i = 0; i < n; ++i) {
      const uint32_t slot = order_[i];
      if (!RectMeets(bounds_[slot], q) || !ShapeTouchesQuery(shape_[slot], q, flags)) continue;
      *found = true;
      if (!out->Append(shape_[slot]) || stopAtFirst) return true;
    }
    return true;
  }

  // Cell column or row of a coordinate, clamped to the grid (monotone, so clamping keeps
  // every shape that can meet the query inside the range).
  static int32_t CellOf(double v, double origin, double cell, int32_t count) {
    const double f = std::floor((v - origin) / cell);
    if (!(f >= 0)) return 0;
    if (f >= double(count - 1)) return count - 1;
    return int32_t(f);
  }

  void CellRange(int32_t l, const Rect& q, int32_t r[4]) const {
    const Level& level = levels_[l];
    if (l == kLevels - 1) {
      r[0] = r[1] = 0;
      r[2] = level.nx - 1;
      r[3] = level.ny - 1;
      return;
    }
    // A shape of this level meeting the query starts at most one cell size below-left of it;
    // the margin covers rounding of the coordinates' magnitude.
    const double reach = level.cell * (1 + 1e-6);
    const double x = double(q.x1), y = double(q.y1);
    r[0] = CellOf(x - reach - (std::fabs(x) + std::fabs(ox_)) * 1e-12, ox_, level.cell, level.nx);
    r[1] = CellOf(y - reach - (std::fabs(y) + std::fabs(oy_)) * 1e-12, oy_, level.cell, level.ny);
    r[2] = CellOf(double(q.x2), ox_, level.cell, level.nx);
    r[3] = CellOf(double(q.y2), oy_, level.cell, level.ny);
  }

  uint32_t CellFor(const Rect& b) const {
    if (IsFinite(b)) {
      const double extent = std::max(double(b.x2) - double(b.x1), double(b.y2) - double(b.y1));
      for (int32_t l = 0; l < kLevels - 1; ++l) {
        const Level& level = levels_[l];
        if (extent > level.cell) continue;
        const int32_t cx = CellOf(double(b.x1), ox_, level.cell, level.nx);
        const int32_t cy = CellOf(double(b.y1), oy_, level.cell, level.ny);
        return uint32_t(level.first + cy * level.nx + cx);
      }
    }
    return uint32_t(levels_[kLevels - 1].first);
  }

  bool Enter(uint32_t slot, const Rect& b) {
    const uint32_t c = CellFor(b);
    GrowArray<CellEntry>& cell = cells_[c];
    if (!cell.Append(CellEntry{b, key_[int32_t(slot)], slot})) return false;
    cell_[slot] = c;
    place_[slot] = uint32_t(cell.Count() - 1);
    return true;
  }

  void Leave(uint32_t slot) {
    GrowArray<CellEntry>& cell = cells_[cell_[slot]];
    const uint32_t i = place_[slot];
    const CellEntry last = cell[cell.Count() - 1];
    cell[int32_t(i)] = last;
    place_[last.slot] = i;
    cell.Truncate(cell.Count() - 1);
  }

  // Members of containers point at their top-level shape, so that a change to a member (which
  // changes the container's bounds) finds its entry.
  bool MapDescendants(Shape* shape, uint32_t slot) {
    if (!IsContainer(shape)) return true;
    const ShapeList* children = static_cast<ContainerShape*>(shape)->children();
    if (!children) return true;
    for (Shape* child : *children) {
      const uint32_t v = map_.Find(child);
      // A shape that is itself in the list keeps its own entry.
      if (v != kNone && (v & kDescendantBit) == 0 && shape_[v] == child) continue;
      if (!map_.Put(child, slot | kDescendantBit) || !MapDescendants(child, slot)) return false;
    }
    return true;
  }

  bool NewSlot(Shape* shape, uint32_t* out) {
    uint32_t slot;
    if (!free_.Empty()) {
      slot = free_[free_.Count() - 1];
      free_.Truncate(free_.Count() - 1);
    } else {
      slot = uint32_t(shape_.Count());
      if (!shape_.Append(nullptr) || !bounds_.Append(Rect{}) || !key_.Append(0) ||
          !cell_.Append(0) || !place_.Append(0) || !mark_.Append(0))
        return false;
    }
    const Rect b = FilterBounds(shape);
    shape_[int32_t(slot)] = shape;
    bounds_[int32_t(slot)] = b;
    if (!Enter(slot, b) || !map_.Put(shape, slot) || !MapDescendants(shape, slot)) return false;
    *out = slot;
    return true;
  }

  void FreeSlot(uint32_t slot) {
    Leave(slot);
    Shape* shape = shape_[int32_t(slot)];
    if (map_.Find(shape) == slot) map_.Erase(shape);
    shape_[int32_t(slot)] = nullptr;
    // A slot that cannot be listed as free merely stays unused.
    if (!free_.Append(slot)) return;
  }

  void SetKey(uint32_t slot, uint64_t key) {
    key_[int32_t(slot)] = key;
    cells_[cell_[slot]][int32_t(place_[slot])].key = key;
  }

  bool Refresh(uint32_t slot) {
    Shape* shape = shape_[int32_t(slot)];
    const Rect b = FilterBounds(shape);
    bounds_[int32_t(slot)] = b;
    if (CellFor(b) == cell_[slot]) {
      cells_[cell_[slot]][int32_t(place_[slot])].bounds = b;
    } else {
      Leave(slot);
      if (!Enter(slot, b)) return false;
    }
    return MapDescendants(shape, slot);
  }

  bool Rebuild(const ShapeList& list) {
    Forget();
    const int32_t n = list.Count();
    if (!shape_.Reserve(n) || !bounds_.Reserve(n) || !key_.Reserve(n) || !cell_.Reserve(n) ||
        !place_.Reserve(n) || !mark_.Reserve(n) || !order_.Reserve(n) || !free_.Reserve(n) ||
        !map_.Reserve(uint32_t(n) * 2)) {  // room for members of groups too
      Forget();
      return false;
    }
    Rect world;
    bool any = false;
    GrowArray<uint32_t> containers;
    for (int32_t i = 0; i < n; ++i) {
      const Rect b = FilterBounds(list[i]);
      if (IsContainer(list[i]) && !containers.Append(uint32_t(i))) {
        Forget();
        return false;
      }
      shape_.Append(list[i]);
      bounds_.Append(b);
      key_.Append(kFirstKey + uint64_t(i) * kKeyStep);
      cell_.Append(0);
      place_.Append(0);
      mark_.Append(0);
      order_.Append(uint32_t(i));
      if (!IsFinite(b)) continue;
      world = any ? Rect{std::min(world.x1, b.x1), std::min(world.y1, b.y1),
                         std::max(world.x2, b.x2), std::max(world.y2, b.y2)}
                  : b;
      any = true;
    }
    if (!any) world = Rect{0, 0, 1, 1};
    ox_ = world.x1;
    oy_ = world.y1;
    const double w = std::max(double(world.x2) - world.x1, 1e-3);
    const double h = std::max(double(world.y2) - world.y1, 1e-3);
    double cell = std::max(w, h) / kBaseCellsAcross;
    int32_t total = 0;
    for (int32_t l = 0; l < kLevels; ++l, cell *= 2) {
      Level& level = levels_[l];
      level.cell = cell;
      const bool last = l == kLevels - 1;
      level.nx = last ? 1 : int32_t(std::min(std::ceil(w / cell), kBaseCellsAcross));
      level.ny = last ? 1 : int32_t(std::min(std::ceil(h / cell), kBaseCellsAcross));
      level.nx = std::max(level.nx, 1);
      level.ny = std::max(level.ny, 1);
      level.first = total;
      total += level.nx * level.ny;
    }
    cells_.reset(new (std::nothrow) GrowArray<CellEntry>[size_t(total)]);
    if (!cells_) {
      Forget();
      return false;
    }
    cellCount_ = total;
    // Cells sized before they are filled: a million appends would otherwise regrow them all.
    {
      std::unique_ptr<int32_t[]> sizes(new (std::nothrow) int32_t[size_t(total)]());
      if (!sizes) {
        Forget();
        return false;
      }
      for (int32_t i = 0; i < n; ++i) {
        cell_[i] = CellFor(bounds_[i]);
        ++sizes[cell_[i]];
      }
      for (int32_t c = 0; c < total; ++c) {
        if (!cells_[c].Reserve(sizes[c])) {
          Forget();
          return false;
        }
      }
    }
    for (int32_t i = 0; i < n; ++i) {
      GrowArray<CellEntry>& cell = cells_[cell_[i]];
      place_[i] = uint32_t(cell.Count());
      cell.Append(CellEntry{bounds_[i], key_[i], uint32_t(i)});  // room reserved
      if (!map_.Put(list[i], uint32_t(i))) {
        Forget();
        return false;
      }
    }
    for (uint32_t i : containers) {
      if (!MapDescendants(list[int32_t(i)], i)) {
        Forget();
        return false;
      }
    }
    list_ = &list;
    stale_ = false;
    list.MarkUnchanged();
    return true;
  }

  // Brings the order and the entries up to date with the list's changes since the last sync:
  // the run between the unchanged head (known from the list) and the unchanged tail (found by
  // comparing from the end) is replaced. False asks for a rebuild.
  bool Splice(const ShapeList& list) {
    const int32_t m = order_.Count();
    const int32_t n = list.Count();
    const int32_t lo = std::min({list.ChangedFrom(), m, n});
    int32_t tail = 0;
    while (tail < m - lo && tail < n - lo &&
           shape_[int32_t(order_[m - 1 - tail])] == list[n - 1 - tail])
      ++tail;
    const int32_t oldEnd = m - tail;
    const int32_t newEnd = n - tail;
    const int32_t oldLen = oldEnd - lo;
    const int32_t newLen = newEnd - lo;
    if (std::max(oldLen, newLen) > std::max(n, m) / 2 + 64) return false;

    GrowArray<uint32_t> middle;
    if (!middle.Reserve(newLen)) return false;
    const uint32_t epoch = ++epoch_;
    for (int32_t i = lo; i < oldEnd; ++i) mark_[int32_t(order_[i])] = epoch;
    // Shapes that stay keep their entries; the others leave before new ones come in, so a
    // member of a dissolved group can come in under its own name.
    for (int32_t j = lo; j < newEnd; ++j) {
      uint32_t v = map_.Find(list[j]);
      if (v != kNone && (v & kDescendantBit) == 0 && mark_[int32_t(v)] == epoch) {
        mark_[int32_t(v)] = 0;
      } else {
        v = kNone;
      }
      middle.Append(v);
    }
    for (int32_t i = lo; i < oldEnd; ++i)
      if (mark_[int32_t(order_[i])] == epoch) FreeSlot(order_[i]);
    for (int32_t j = 0; j < newLen; ++j)
      if (middle[j] == kNone && !NewSlot(list[lo + j], &middle[j])) return false;

    // The order: head, the new run, the tail.
    if (newLen > oldLen) {
      for (int32_t k = oldLen; k < newLen; ++k)
        if (!order_.Append(0)) return false;
    }
    uint32_t* order = order_.Data();
    // An empty run or tail may come with null pointers, which memmove and memcpy must not see.
    if (tail > 0) std::memmove(order + newEnd, order + oldEnd, size_t(tail) * sizeof(uint32_t));
    if (newLen < oldLen) order_.Truncate(n);
    if (newLen > 0)
      std::memcpy(order_.Data() + lo, middle.Data(), size_t(newLen) * sizeof(uint32_t));

    // Keys for the new run between its neighbours; renumber all when there is no room.
    const uint64_t before = lo > 0 ? key_[int32_t(order_[lo - 1])] : 0;
    const uint64_t after = tail > 0 ? key_[int32_t(order_[newEnd])] : UINT64_MAX;
    uint64_t step = (after - before) / uint64_t(newLen + 1);
    if (tail == 0) step = std::min(step, kKeyStep);
    if (step == 0) {
      for (int32_t i = 0; i < n; ++i) SetKey(order_[i], kFirstKey + uint64_t(i) * kKeyStep);
    } else {
      for (int32_t j = 0; j < newLen; ++j) SetKey(order_[lo + j], before + step * uint64_t(j + 1));
    }
    list.MarkUnchanged();
    return true;
  }

  bool ApplyDirty() {
    const uint32_t epoch = ++epoch_;
    const uint32_t slots = uint32_t(shape_.Count());
    // Reports made while refreshing (bounds computed lazily) go to a fresh log.
    GrowArray<const Shape*> log;
    log.Swap(dirty_);
    for (const Shape* changed : log) {
      const uint32_t v = map_.Find(changed);
      if (v == kNone) continue;
      const uint32_t slot = v & ~kDescendantBit;
      if (slot >= slots || !shape_[int32_t(slot)] || mark_[int32_t(slot)] == epoch) continue;
      mark_[int32_t(slot)] = epoch;
      if (!Refresh(slot)) return false;
    }
    if (dirty_.Empty()) {
      log.Clear();
      dirty_.Swap(log);  // keeps the allocation
    }
    return true;
  }

  const ShapeList* list_ = nullptr;
  bool stale_ = true;
  // Per slot: the shape, its bounds, its order key, its cell and place in the cell.
  GrowArray<Shape*> shape_;
  GrowArray<Rect> bounds_;
  GrowArray<uint64_t> key_;
  GrowArray<uint32_t> cell_;
  GrowArray<uint32_t> place_;
  GrowArray<uint32_t> mark_;
  GrowArray<uint32_t> free_;
  GrowArray<uint32_t> order_;  // slot at each list index
  GrowArray<const Shape*> dirty_;
  GrowArray<Candidate> candidates_;
  std::unique_ptr<GrowArray<CellEntry>[]> cells_;
  int32_t cellCount_ = 0;
  Level levels_[kLevels];
  double ox_ = 0;
  double oy_ = 0;
  uint32_t epoch_ = 0;
  PointerMap map_;
};

// Never destroyed: shapes of static drawings may report changes after the end of main.
HitIndex* gIndex = nullptr;

HitIndex* TheIndex() {
  if (!gIndex) gIndex = new (std::nothrow) HitIndex;
  return gIndex;
}

}  // namespace

void NoteShapeChanged(const Shape* shape) {
  if (gIndex) gIndex->NoteChanged(shape);
}

bool IndexedShapesTouchedBy(const ShapeList& list, const Rect& q, int32_t flags, ShapeList* out,
                            bool* found) {
  if (list.Count() < kIndexedQueryMinShapes) return false;
  if (std::isnan(q.x1) || std::isnan(q.y1) || std::isnan(q.x2) || std::isnan(q.y2)) return false;
  HitIndex* index = TheIndex();
  return index && index->Query(list, q, flags, out, found);
}

bool UpdateHitIndex(const ShapeList& list) {
  if (list.Count() < kIndexedQueryMinShapes) return false;
  HitIndex* index = TheIndex();
  return index && index->Sync(list);
}

void CatchUpHitIndex(const ShapeList& list) {
  if (gIndex) gIndex->CatchUp(list);
}

void ForgetHitIndexOf(const ShapeList* list) {
  if (gIndex && gIndex->list() == list) gIndex->Forget();
}
