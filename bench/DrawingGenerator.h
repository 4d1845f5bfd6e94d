// Deterministic drawings for the benchmarks: the same count and seed always give the same
// shapes, so figures from different runs and machines compare.
#pragma once

#include <cstdint>

class Drawing;

// splitmix64: small, fast and the same everywhere (std::rand is neither).
class BenchRandom {
 public:
  explicit BenchRandom(uint64_t seed) : state_(seed) {}
  uint64_t Next();
  // Uniform in [0, 1).
  double Unit();
  // Uniform in [lo, hi).
  float Range(float lo, float hi);
  // Uniform in 0 .. n - 1 (n >= 1).
  int32_t Below(int32_t n);

 private:
  uint64_t state_;
};

inline constexpr uint64_t kGeneratorSeed = 0x0dda2a5eedULL;

// A variation of the generated drawing's paint, to find out what a redraw's time goes to. The
// random choices are all made as for the plain drawing and then overridden, so the shapes, their
// places and the other styles stay those of the plain drawing.
struct GeneratorVariant {
  enum class Fill { kAsDrawn, kNone, kOnly };  // kOnly: every shape filled and none stroked
  Fill fill = Fill::kAsDrawn;
  float strokeWidth = -1;  // every outline this wide (points) when not negative
  bool solid = false;      // no dashes
};

// Appends `count` top-level shapes to the drawing, spread over a Letter page (612 x 792): lines,
// boxes, ovals, arcs, polygons, curves, small images, groups (of two to four shapes, sometimes
// a nested group) and compound paths, with varied paint styles and matrices. False when a shape
// could not be added (the drawing keeps what was added before).
bool GenerateDrawing(Drawing* drawing, int32_t count, uint64_t seed = kGeneratorSeed,
                     const GeneratorVariant& variant = {});
