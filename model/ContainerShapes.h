// Groups (Arrange menu) and compound paths (read from files): containers that forward paint
// and transform changes to their children. A container owns its children.
#pragma once

#include <memory>

#include "model/Shape.h"

class ContainerShape : public Shape {
 public:
  ContainerShape();
  ContainerShape(const ContainerShape& other);  // clones every child
  ~ContainerShape() override;                   // destroys the children still in the list

  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;
  void SetPaintStyle(const PaintStyle& style) override;
  void GetPaintStyle(PaintStyle* out) const override;
  void SetPattern(int32_t pattern) override;
  void SetDash(int32_t dash) override;
  void SetLineWidth(float width) override;
  void SetFillColor(const Color& color) override;
  void SetStrokeColor(const Color& color) override;
  void SetNoFill() override;
  void SetNoStroke() override;
  void SetArrows(const Arrowhead& left, const Arrowhead& right) override;
  void GetArrows(Arrowhead* left, Arrowhead* right) const override;
  void Move(float dx, float dy) override;
  void Scale(float cx, float cy, float sx, float sy) override;
  void Rotate(float cx, float cy, float degrees) override;
  void Reflect(float cx, float cy, float degrees) override;
  void Skew(float cx, float cy, float b, float c) override;

  // Null only for a default-constructed container that failed to get its list.
  ShapeList* children() { return children_.get(); }
  const ShapeList* children() const { return children_.get(); }
  // Hands the children to the caller (ungroup): the container keeps an empty list.
  void ReleaseChildren();

 protected:
  std::unique_ptr<ShapeList> children_;
};

class GroupShape : public ContainerShape {
 public:
  int32_t Kind() const override { return kGroupShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  Shape* Clone() const override;
  Tool* Editor() override;
};

class CompoundShape : public ContainerShape {
 public:
  int32_t Kind() const override { return kCompoundShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  Shape* Clone() const override;
  Tool* Editor() override;
};
