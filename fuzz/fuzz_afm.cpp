// The AFM reader on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/type1/Type1Fonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string name;
  if (AfmPostScriptName(text, &name) && (name.empty() || name.size() > 63)) std::abort();
  Type1Metrics m;
  if (ParseAfm(text, &m)) {
    if (m.firstChar > m.lastChar || m.descent > 0) std::abort();
  }
  return 0;
}
