// A spatial index over one large shape list (in practice the drawing's), so that a click on a
// drawing of a million shapes answers in well under a millisecond, the first click after an
// edit included.
//
// Shapes report their own changes (Shape::InvalidateBounds and the destructor call
// NoteShapeChanged), and the list reports the lowest index its mutators touched
// (GrowArray::ChangedFrom); the index brings itself up to date from those at the next query,
// in time proportional to the change. Only wholesale changes (a new list, more than half of it
// replaced, or more changed shapes than half its length) build it again from scratch.
//
// The answer is exactly that of WalkShapesTouchedBy: the index only rejects shapes whose
// bounds miss the query rectangle, and the survivors take the full rule in list order.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Shape.h"

// Lists shorter than this are walked: building the index would cost more than it saves.
inline constexpr int32_t kIndexedQueryMinShapes = 10000;

// The query through the index (`q` normalised). False when the index cannot serve the list
// (too short, out of memory, a NaN in `q`): the caller walks instead.
bool IndexedShapesTouchedBy(const ShapeList& list, const Rect& q, int32_t flags, ShapeList* out,
                            bool* found);

// Brings the index of `list` up to date now (building it if it serves another list), e.g.
// after an edit while the program waits for input. False when it cannot.
bool UpdateHitIndex(const ShapeList& list);

// Brings the index up to date with the changes of an edit that just ended, so that the next
// click need not; wholesale changes are left to the next query. Cheap when nothing changed or
// when the index serves another list. SetModified and RunAction call it.
void CatchUpHitIndex(const ShapeList& list);

// Drops the index when it serves `list` (the list is about to go away).
void ForgetHitIndexOf(const ShapeList* list);
