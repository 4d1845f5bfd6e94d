// The settings-file parser and writer on arbitrary bytes: the first two bytes give the lengths
// of a section and a key name taken from the input, the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/profile/ProfileText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t sectionLen = data[0] % 16, keyLen = data[1] % 16;
  std::string rest(reinterpret_cast<const char*>(data + 2), size - 2);
  if (sectionLen + keyLen > rest.size()) return 0;
  std::string section = rest.substr(0, sectionLen);
  std::string key = rest.substr(sectionLen, keyLen);
  std::string text = rest.substr(sectionLen + keyLen);

  std::string value;
  if (FindProfileValue(text, section, key, &value)) ParseProfileInt(value);
  ParseProfileInt(text);

  // Whatever the file holds, a value that was written reads back.
  if (SetProfileValue(&text, section, key, "v=1")) {
    if (!FindProfileValue(text, section, key, &value) || value != "v=1") std::abort();
    if (!SetProfileValue(&text, section, key, "2") ||
        !FindProfileValue(text, section, key, &value) || value != "2") {
      std::abort();
    }
  }
  return 0;
}
