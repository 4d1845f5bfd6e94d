// The font table readers on arbitrary bytes: directory and collection parsing, names, style
// and metrics, and rebuilding a member as a standalone font, which must read the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/fontsys/Sfnt.h"
#include "platform/fontsys/SfntFace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemorySource src(data, size);
  std::vector<uint8_t> raw(data, data + size);
  PostScriptNameFromTable(raw);
  FamilyNameFromTable(raw);

  uint32_t count = CountSfntFaces(src);
  for (uint32_t i = 0; i < count && i < 4; ++i) {
    SfntFaceData face;
    bool ok = ReadSfntFace(src, i, &face);
    SfntDirectory dir;
    std::vector<uint8_t> sfnt;
    if (!ReadSfntDirectory(src, i, &dir) || !BuildStandaloneSfnt(src, dir, &sfnt)) continue;
    MemorySource alone(sfnt.data(), sfnt.size());
    SfntFaceData again;
    bool okAgain = ReadSfntFace(alone, 0, &again);
    if (ok != okAgain) std::abort();
    if (ok &&
        (face.postScriptName != again.postScriptName || face.familyName != again.familyName ||
         std::memcmp(face.metrics.widths, again.metrics.widths, sizeof face.metrics.widths) != 0)) {
      std::abort();
    }
  }
  return 0;
}
