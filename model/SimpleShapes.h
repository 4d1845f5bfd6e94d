// Lines, boxes, ovals and arcs: a few floats in local coordinates.
#pragma once

#include "model/GraphicsState.h"
#include "model/Shape.h"

class LineShape : public Shape {
 public:
  LineShape() = default;
  LineShape(float x1, float y1, float x2, float y2);
  int32_t Kind() const override { return kLineShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class OvalShape : public Shape {
 public:
  OvalShape() = default;
  OvalShape(float cx, float cy, float rx, float ry);
  int32_t Kind() const override { return kOvalShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  float cx = 0, cy = 0, rx = 0, ry = 0;
};

class BoxShape : public Shape {
 public:
  BoxShape() = default;
  BoxShape(float x1, float y1, float x2, float y2);
  int32_t Kind() const override { return kBoxShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class ArcShape : public Shape {
 public:
  ArcShape() = default;
  ArcShape(float cx, float cy, float rx, float ry, float startAngle, float endAngle);
  int32_t Kind() const override { return kArcShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  float cx = 0, cy = 0, rx = 0, ry = 0, startAngle = 0, endAngle = 0;

 private:
  // The unit arc's path steps, kept for the angles they were made for: their trigonometry is
  // the dearest part of drawing an arc, and the angles seldom change between redraws.
  static constexpr int kKeptSteps = 9;
  float stepsFrom_ = 0, stepsTo_ = 0;
  int32_t stepCount_ = -1;  // none kept
  ArcStep steps_[kKeptSteps];
};

// The editing tools of each class; the GUI registers them at start-up (null until then).
struct ShapeEditors {
  Tool* line = nullptr;
  Tool* box = nullptr;
  Tool* oval = nullptr;
  Tool* arc = nullptr;
  Tool* polygon = nullptr;
  Tool* curve = nullptr;
  Tool* text = nullptr;
  Tool* image = nullptr;
  Tool* group = nullptr;
  Tool* compound = nullptr;
};
ShapeEditors& TheShapeEditors();
