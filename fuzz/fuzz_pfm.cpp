// The PFM reader and, on the same bytes, the PFB readers (the FontBBox scan and the segment
// copy): the binary files of a Type 1 face.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/type1/Type1Fonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string name;
  if (PfmPostScriptName(data, size, &name) && (name.empty() || name.size() > 63)) std::abort();
  Type1Metrics m;
  if (ParsePfm(data, size, &m) && m.firstChar > m.lastChar) std::abort();

  int32_t box[4];
  ParsePfbFontBBox(data, size, box);
  // A copy that fails has written nothing; one that succeeds wrote only printable lines.
  std::string out;
  int32_t result = CopyPfb(data, size, [&out](const char* d, size_t n) {
    out.append(d, n);
    return true;
  });
  if (result == 0 && !out.empty()) std::abort();
  return 0;
}
