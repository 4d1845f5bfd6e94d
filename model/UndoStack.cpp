#include "model/UndoStack.h"

#include "model/Drawing.h"

namespace {

// Destroys every action of a history, newest first, and empties it.
void DestroyHistory(GrowArray<UndoAction*>* history) {
  for (int32_t i = history->Count() - 1; i >= 0; --i) delete (*history)[i];
  history->Clear();
}

// Appends to a history of at most UndoStack::kLimit actions, dropping and destroying its
// oldest one when full. False when the array cannot grow; the caller keeps the action.
bool PushLimited(GrowArray<UndoAction*>* history, UndoAction* action) {
  if (history->Count() >= UndoStack::kLimit) {
    delete (*history)[0];
    history->RemoveAt(0);
  }
  return history->Append(action);
}

}  // namespace

UndoStack::~UndoStack() { Clear(); }

// Every entry point reports a change to caches of derived data: actions change shapes, and
// destroyed actions free shapes whose addresses may be reused.

bool UndoStack::Record(UndoAction* action) {
  if (!action) return false;
  NoteShapesChanged();
  // A new change makes every undone action meaningless.
  DestroyHistory(&redo_);
  if (!PushLimited(&undo_, action)) {
    // The change is made but cannot be undone. Older actions may refer to a state that no
    // longer follows from them (a shape this action destroys), so none may be replayed.
    delete action;
    Clear();
    return false;
  }
  return true;
}

bool UndoStack::Undo() {
  if (undo_.Empty()) return false;
  NoteShapesChanged();
  UndoAction* action = undo_[undo_.Count() - 1];
  undo_.RemoveAt(undo_.Count() - 1);
  action->Undo();
  if (!PushLimited(&redo_, action)) {
    // Later redo entries build on this one and cannot be replayed without it.
    delete action;
    DestroyHistory(&redo_);
  }
  return true;
}

bool UndoStack::Redo() {
  if (redo_.Empty()) return false;
  NoteShapesChanged();
  UndoAction* action = redo_[redo_.Count() - 1];
  redo_.RemoveAt(redo_.Count() - 1);
  action->Do();
  if (!PushLimited(&undo_, action)) {
    // Destroying a done action may destroy shapes (a delete owns them) that older entries
    // still refer to, so no entry may be replayed any more.
    delete action;
    Clear();
  }
  return true;
}

void UndoStack::Clear() {
  NoteShapesChanged();
  DestroyHistory(&undo_);
  DestroyHistory(&redo_);
}
