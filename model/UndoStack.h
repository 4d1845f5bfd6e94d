// Undoable edits: each action knows how to do and undo itself; two histories of at most 25.
#pragma once

#include "model/GrowArray.h"

class UndoAction {
 public:
  virtual ~UndoAction() = default;
  virtual void Do() = 0;
  virtual void Undo() = 0;
};

class UndoStack {
 public:
  static constexpr int32_t kLimit = 25;

  UndoStack() = default;
  ~UndoStack();
  UndoStack(const UndoStack&) = delete;
  UndoStack& operator=(const UndoStack&) = delete;

  // Takes ownership. Appends to the undo history (dropping and destroying its oldest action
  // when full) and clears the redo history. False (and the action destroyed) when the history
  // cannot grow.
  bool Record(UndoAction* action);
  // Nothing happens on an empty history; result says whether an action ran.
  bool Undo();
  bool Redo();
  // Destroys every action of both histories, newest first.
  void Clear();

  int32_t UndoCount() const { return undo_.Count(); }
  int32_t RedoCount() const { return redo_.Count(); }

 private:
  GrowArray<UndoAction*> undo_;
  GrowArray<UndoAction*> redo_;
};
