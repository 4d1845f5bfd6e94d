// The undoable edits of the drawing. A command builds an action from the current selection,
// runs it once and records it (RunAction); the reshape and edit-nodes actions are recorded
// without running, because their tools have already made the change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Drawing.h"
#include "model/Geometry.h"
#include "model/GrowArray.h"
#include "model/PathShapes.h"
#include "model/TextShape.h"
#include "model/UndoStack.h"

// An action of the drawing. Valid() is false when building it ran out of memory; such an
// action must not run.
class EditAction : public UndoAction {
 public:
  explicit EditAction(Drawing* drawing) : drawing_(drawing) {}
  virtual bool Valid() const { return true; }

 protected:
  Drawing* drawing_;
};

// Runs a fresh action and records it. An invalid action is destroyed without running; the
// result says whether the action ran and was recorded. Takes ownership in every case.
bool RunAction(Drawing* drawing, EditAction* action);

// "C&lear": the selected shapes leave the drawing. While done, the action owns them.
class DeleteShapesAction : public EditAction {
 public:
  explicit DeleteShapesAction(Drawing* drawing);
  ~DeleteShapesAction() override;
  bool Valid() const override { return valid_; }
  void Do() override;
  void Undo() override;

 private:
  ShapeList shapes_;
  GrowArray<int32_t> indices_;  // index each shape had when it was removed, -1 when absent
  int32_t owned_ = 0;
  bool valid_ = false;
};

// A new shape from a drawing tool. The action owns the shape until it is done and again once
// it is undone.
class AddShapeAction : public EditAction {
 public:
  AddShapeAction(Drawing* drawing, Shape* shape);
  ~AddShapeAction() override;
  bool Valid() const override { return shape_ != nullptr; }
  void Do() override;
  void Undo() override;
  Shape* shape() const { return shape_; }

 private:
  Shape* shape_;
  int32_t owned_ = 1;
};

// A handle drag of a line, box, oval or arc: `before` is a copy taken before the edit (the
// action owns it). Do and Undo both exchange the contents of the two.
class ReshapeAction : public EditAction {
 public:
  ReshapeAction(Drawing* drawing, Shape* shape, Shape* before);
  ~ReshapeAction() override;
  bool Valid() const override;
  void Do() override;
  void Undo() override;

 private:
  void Exchange();
  Shape* shape_;
  Shape* before_;
};

// Swaps geometry, matrix, paint style and arrows of two shapes of the same kind (containers
// and texts excepted). False, with nothing changed, for kinds that differ or are not handled.
bool ExchangeShapeContents(Shape* a, Shape* b);

// A node edit of a polygon or curve: the list and closed flag before the edit. Do and Undo
// both exchange them with the shape's.
class EditNodesAction : public EditAction {
 public:
  EditNodesAction(Drawing* drawing, PolygonShape* shape, GrowArray<Point>&& points, int32_t closed);
  EditNodesAction(Drawing* drawing, CurveShape* shape, GrowArray<CurveNode>&& nodes,
                  int32_t closed);
  bool Valid() const override { return polygon_ || curve_; }
  void Do() override;
  void Undo() override;

 private:
  void Exchange();
  PolygonShape* polygon_ = nullptr;
  CurveShape* curve_ = nullptr;
  GrowArray<Point> points_;
  GrowArray<CurveNode> nodes_;
  int32_t closed_ = 0;
};

// A typing session of the text tool: the text as it was before (the action owns it). Do and
// Undo both exchange it with the shape's text and lay the text out again.
class EditTextAction : public EditAction {
 public:
  EditTextAction(Drawing* drawing, TextShape* shape, TextBuffer&& before);
  bool Valid() const override { return shape_ && before_.Valid(); }
  void Do() override;
  void Undo() override;

 private:
  void Exchange();
  TextShape* shape_;
  TextBuffer before_;
};

// Base of the actions that change the selected shapes and restore per-leaf state on Undo.
// The selection and its leaf shapes are copied when the action is built.
class SelectionAction : public EditAction {
 public:
  explicit SelectionAction(Drawing* drawing);
  bool Valid() const override { return valid_; }

 protected:
  ShapeList shapes_;  // the selection, in selection order
  ShapeList leaves_;  // its shapes with every container replaced by its children

 private:
  bool valid_ = false;
};

// One Line or Fill menu change.
struct PaintChange {
  enum Kind : int32_t {
    kWholeStyle,
    kFillColor,
    kStrokeColor,
    kPattern,
    kDash,
    kLineWidth,
    kNoFill,    // "&Transparent"
    kNoStroke,  // "&Invisible"
  };
  Kind kind = kWholeStyle;
  PaintStyle style;
  Color color;
  int32_t index = -1;
  float width = 1.0f;

  static PaintChange WholeStyle(const PaintStyle& style);
  static PaintChange FillColor(const Color& color);
  static PaintChange StrokeColor(const Color& color);
  static PaintChange Pattern(int32_t pattern);
  static PaintChange Dash(int32_t dash);
  static PaintChange LineWidth(float width);
  static PaintChange NoFill();
  static PaintChange NoStroke();
};

// An action that saves the paint style of every leaf shape before its change and puts them back
// on undo: a container's setter reaches all of its children, each of which had its own style.
class LeafStyleAction : public SelectionAction {
 public:
  explicit LeafStyleAction(Drawing* drawing);
  bool Valid() const override;
  void Undo() override;

 protected:
  void SaveLeafStyles();

 private:
  GrowArray<PaintStyle> saved_;
};

class PaintStyleAction : public LeafStyleAction {
 public:
  PaintStyleAction(Drawing* drawing, const PaintChange& change);
  void Do() override;

 private:
  PaintChange change_;
};

// The text colour commands: the fill colour of every text in the selection, groups included.
class TextColorAction : public LeafStyleAction {
 public:
  TextColorAction(Drawing* drawing, const Color& color);
  void Do() override;

 private:
  Color color_;
};

// One change of "&Font...", "&Leading..." or the Alignment items.
struct TextStyleChange {
  enum Kind : int32_t { kFontAndSize, kLeading, kAlignment };
  Kind kind = kFontAndSize;
  std::string font;
  float size = 12;
  float leading = 13;
  int32_t alignment = 0;

  // An empty font keeps each text's own font.
  static TextStyleChange FontAndSize(const std::string& font, float size);
  static TextStyleChange Leading(float leading);
  static TextStyleChange Alignment(int32_t alignment);
};

class TextStyleAction : public SelectionAction {
 public:
  TextStyleAction(Drawing* drawing, const TextStyleChange& change);
  bool Valid() const override { return SelectionAction::Valid() && ready_; }
  void Do() override;
  void Undo() override;

 private:
  struct Saved {
    TextShape* text;
    std::string font;
    float size;
    float leading;
    int32_t alignment;
  };
  TextStyleChange change_;
  std::vector<Saved> saved_;  // one per text among the leaves
  bool ready_ = false;
};

// Actions that save every leaf matrix, move the selection, and put the matrices back.
class MatrixAction : public SelectionAction {
 public:
  explicit MatrixAction(Drawing* drawing);
  bool Valid() const override;
  void Do() override;
  void Undo() override;

 protected:
  virtual void Apply() = 0;

 private:
  GrowArray<Matrix> saved_;
};

class TransformAction : public MatrixAction {
 public:
  enum Kind : int32_t { kMove, kScale, kRotate, kReflect, kSkew };
  static TransformAction* Move(Drawing* drawing, float dx, float dy);
  static TransformAction* Scale(Drawing* drawing, float cx, float cy, float sx, float sy);
  static TransformAction* Rotate(Drawing* drawing, float cx, float cy, float degrees);
  static TransformAction* Reflect(Drawing* drawing, float cx, float cy, float degrees);
  static TransformAction* Skew(Drawing* drawing, float cx, float cy, float b, float c);

 protected:
  void Apply() override;

 private:
  TransformAction(Drawing* drawing, Kind kind, float p0, float p1, float p2, float p3);
  Kind kind_;
  float p_[4];
};

// Align (modes 0..5) and space evenly (modes 0..3) of the Arrange menu.
class AlignAction : public MatrixAction {
 public:
  AlignAction(Drawing* drawing, int32_t mode) : MatrixAction(drawing), mode_(mode) {}

 protected:
  void Apply() override;

 private:
  int32_t mode_;
};

class SpaceEvenlyAction : public MatrixAction {
 public:
  SpaceEvenlyAction(Drawing* drawing, int32_t mode) : MatrixAction(drawing), mode_(mode) {}

 protected:
  void Apply() override;

 private:
  int32_t mode_;
};

// The two arrangements on a list; bounds include line width. Results are false only when
// memory runs out (nothing moved then).
bool AlignShapes(const ShapeList& shapes, int32_t mode);
// Fewer than three shapes move nothing.
bool SpaceShapesEvenly(const ShapeList& shapes, int32_t mode);
