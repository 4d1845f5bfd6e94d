// The one open document: shapes in z-order, the selection, the internal clipboard, page setup,
// grid, the undo history and the Edit and Arrange commands.
#pragma once

#include <string>
#include <vector>

#include "model/Geometry.h"
#include "model/HitIndex.h"
#include "model/Shape.h"
#include "model/UndoStack.h"

enum PageSize : int32_t { kPageLetter = 0, kPageLegal = 1, kPageA4 = 2 };
enum Units : int32_t { kUnitsInches = 0, kUnitsPoints = 1, kUnitsCentimeters = 2 };

struct GridSettings {
  int32_t hSpacing = 12;
  int32_t vSpacing = 12;
  int32_t show = 0;
  int32_t snap = 0;
};

// Options of the rectangle query.
enum QueryFlags : int32_t {
  kQueryStopAtFirst = 1,
  kQueryTextsAndGroupsOnly = 2,
  kQueryTextFrame = 4,
};

// "%d %s" with "object" for exactly 1 and "objects" otherwise, e.g. "%d %s selected".
std::string CountMessage(const char* format, int32_t count);

// The rectangle query answers large lists through a spatial index (model/HitIndex.h) that
// follows each shape's changes and the list's own, so a click after an edit costs no more than
// any other.

class Drawing {
 public:
  Drawing();
  ~Drawing();
  Drawing(const Drawing&) = delete;
  Drawing& operator=(const Drawing&) = delete;

  ShapeList& shapes() { return shapes_; }
  const ShapeList& shapes() const { return shapes_; }
  ShapeList& selection() { return selection_; }
  const ShapeList& selection() const { return selection_; }
  ShapeList& clipboard() { return clipboard_; }
  UndoStack& undo() { return undo_; }

  // Page setup. Width and height are the portrait sizes in whole points.
  PageSize pageSize = kPageLetter;
  int32_t landscape = 0;
  Units units = kUnitsInches;
  GridSettings grid;
  std::string path;  // full path; empty for a new drawing
  int32_t modified = 0;
  PaintStyle defaultStyle;
  int32_t arrowKind = 0;
  // The status line text of the last command ("" to empty it).
  std::string status;

  int32_t PageWidth() const;   // portrait width in points
  int32_t PageHeight() const;  // portrait height in points
  // Title of written files: the name after the last "/", or "Untitled".
  std::string Title() const;

  // Appends a shape (the drawing owns it). Result 1, or 0 when the list cannot grow.
  int32_t AddShape(Shape* shape);
  void SetModified() {
    modified = 1;
    NoteShapesChanged();
    CatchUpHitIndex(shapes_);
  }

  // Selection.
  void SelectAll();
  void ClearSelection();
  int32_t Select(Shape* shape);  // appends to the selection when not selected yet
  bool IsSelected(const Shape* shape) const;
  // Status after a change of selection: "%d %s selected", or "" when nothing is selected.
  void UpdateSelectionStatus();

  // Snaps a point to the grid when the snap flag is set.
  void SnapToGrid(float* x, float* y) const;

  // Edit and Arrange commands.
  void Clear();  // records the delete action
  void Cut();
  void Copy();
  void Paste();
  void BringToFront();
  void SendToBack();
  void Group();
  void Ungroup();
  void Align(int32_t mode);        // records the align action; mode 0..5
  void SpaceEvenly(int32_t mode);  // records the space-evenly action; mode 0..3
  // Menu items pick the mode by orientation (0-based item order as in the menus).
  int32_t AlignModeForItem(int32_t item) const;
  int32_t SpaceModeForItem(int32_t item) const;
  void MoveBy(float first, float second);  // Move by values (landscape exchanges them)
  void ScaleBy(float sx, float sy);
  void RotateBy(float degrees);
  void Reflect(float cx, float cy, float degrees);
  void Skew(float cx, float cy, float b, float c);
  void NewDrawing();
  // Undo and redo with the modified flag.
  void Undo();
  void Redo();

  // Bounds of all shapes without line width (the written bounding box).
  Rect Extent();

 private:
  ShapeList shapes_;
  ShapeList selection_;
  ShapeList clipboard_;
  UndoStack undo_;
};

// Queries over shape lists.
// Shapes of `list` touched by the rectangle, in list order (options: QueryFlags). The result
// list owns nothing; true when anything was found.
bool ShapesTouchedBy(const ShapeList& list, float x1, float y1, float x2, float y2, int32_t flags,
                     ShapeList* out);
int32_t AnyShapeHitAt(const ShapeList& list, float x, float y);
Rect BoundsOfList(const ShapeList& list, int32_t includeLine);
// Draws every shape that is not hidden, in order (optionally only those meeting `area`).
void DrawShapeList(const ShapeList& list, int32_t mode, const Rect* area);
// Whether DrawShapeList draws `shape`.
bool ShapeDrawnIn(Shape& shape, const Rect* area);
// Adds every leaf shape of the list (groups replaced by their children, recursively).
bool CollectLeafShapes(const ShapeList& list, ShapeList* out);
// Number of shapes counting each container once plus its children, recursively.
int32_t CountShapesDeep(const ShapeList& list);
// Appends every font of the texts in the list (looking into containers) that `fonts` does not
// hold yet, in order of first use. False when memory runs out.
bool CollectFonts(const ShapeList& list, std::vector<std::string>* fonts);
