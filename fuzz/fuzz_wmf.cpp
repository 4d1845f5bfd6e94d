// Metafiles from anywhere: the reader must neither read out of bounds nor hand on a record of a
// file it refuses, and the import must turn whatever it accepts into shapes without faults.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "model/Shape.h"
#include "output/MetafileImport.h"
#include "output/WmfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MetafileInfo info;
  size_t records = 0;
  const bool ok = ReadMetafile(data, size, &info, [&](const MetaRecord& r) {
    ++records;
    size_t total = 0;
    for (int32_t n : r.counts) {
      if (n < 0) std::abort();
      total += size_t(n);
    }
    if (total != r.points.size()) std::abort();
  });
  if (!ok && records != 0) std::abort();  // a refused file hands on nothing
  ShapeList shapes;
  const int32_t converted = ConvertMetafile(data, size, &shapes);
  if (converted != (ok ? 1 : 0)) std::abort();
  DestroyShapes(&shapes);
  return 0;
}
