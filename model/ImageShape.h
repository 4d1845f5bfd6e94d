// An inserted bitmap as 24-bit RGB pixels on the unit square, placed by the matrix.
#pragma once

#include <cstdint>

#include "model/ImageData.h"
#include "model/Shape.h"

class ImageShape : public Shape {
 public:
  ImageShape() = default;
  int32_t Kind() const override { return kImageShape; }
  void BuildPath() override;
  void Draw(int32_t mode) override;
  void DrawHandles(int32_t mode) override;
  void Write(OutputDriver& driver) override;
  Shape* Clone() const override;
  void GetBounds(Rect* out, int32_t includeLine) override;
  Tool* Editor() override;
  int32_t TouchesRect(float x1, float y1, float x2, float y2) override;
  int32_t HitInterior(float x, float y) override;

  // Loads a BMP file; 1 on success, 0 on any failure with no pixels kept.
  int32_t LoadFromFile(const char* path);

  ImageData image;
};
