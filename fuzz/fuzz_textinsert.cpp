// Text files from anywhere: the conversion into a text's characters must accept exactly the
// sizes the insertion allows and never leave an LF pair, a trailing LF or a NUL behind. Only
// tabs make the text longer than the file: each becomes at most one tab stop of spaces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/TabExpansion.h"
#include "output/InsertCommands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string text, message;
  const int32_t ok = ConvertTextFileBytes(bytes, "fuzz.txt", &text, &message);
  if (ok != (size > 0 && size <= kMaxTextFileBytes ? 1 : 0)) std::abort();
  if (!ok) {
    if (message.empty() || !text.empty()) std::abort();
    return 0;
  }
  if (!message.empty() || text.size() > size * kTabWidth) std::abort();
  if (text.find('\0') != std::string::npos) std::abort();
  if (text.find("\n\n") != std::string::npos) std::abort();
  if (!text.empty() && text.back() == '\n') std::abort();
  return 0;
}
