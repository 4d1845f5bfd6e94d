// The atm.ini reader on arbitrary text: every entry it accepts has the accepted form.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/type1/Type1Fonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<AtmIniEntry> entries;
  bool found = ParseAtmIni(std::string_view(reinterpret_cast<const char*>(data), size), &entries);
  if (!found && !entries.empty()) std::abort();
  for (const AtmIniEntry& e : entries) {
    if (e.faceName.empty() || e.faceName.size() > 63 || e.metricsPath.empty() ||
        e.pfbPath.empty()) {
      std::abort();
    }
    if (e.style != 0 && e.style != kType1Bold && e.style != kType1Italic &&
        e.style != (kType1Bold | kType1Italic)) {
      std::abort();
    }
  }
  return 0;
}
