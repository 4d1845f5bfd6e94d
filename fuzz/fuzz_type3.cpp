// libFuzzer target: the TrueType -> Type 3 converter over arbitrary font bytes.
#include <cstddef>
#include <cstdint>

#include "fonts/Type3Converter.h"
#include "output/OutputSink.h"

namespace {

// Takes every write and keeps nothing.
class DiscardSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void*, int32_t) override { return 1; }
  int32_t WriteString(const char*) override { return 1; }
  int32_t Seek(long) override { return 0; }
  long Tell() override { return 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DiscardSink sink;
  Type3Converter converter;
  converter.convert(data, size, &sink);
  return 0;
}
