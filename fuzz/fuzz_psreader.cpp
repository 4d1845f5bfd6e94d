// The PostScript-subset reader on arbitrary bytes: it must never read out of bounds, allocate
// without bound or leak, and every image it makes holds all its pixels.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/ImageShape.h"
#include "model/Shape.h"
#include "output/PsReader.h"

namespace {

void Check(const ShapeList& list) {
  for (const Shape* shape : list) {
    if (shape->Kind() == kImageShape) {
      const ImageData& image = static_cast<const ImageShape*>(shape)->image;
      if (image.width <= 0 || image.height <= 0 ||
          image.pixels.size() != size_t(image.width) * size_t(image.height) * 3)
        std::abort();
    } else if (shape->Kind() == kGroupShape || shape->Kind() == kCompoundShape) {
      const ShapeList* children = static_cast<const ContainerShape*>(shape)->children();
      if (!children) std::abort();
      Check(*children);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ShapeList shapes;
  PageInfo page;
  std::vector<std::string> missing;
  PsReader reader;
  const int32_t result =
      reader.Read(reinterpret_cast<const char*>(data), size, &shapes, &page, &missing);
  if (result != 0 && result != 1) std::abort();
  if (page.landscape != 0 && page.landscape != 1) std::abort();
  Check(shapes);
  DestroyShapes(&shapes);
  return 0;
}
