// Times the Type 42 and Type 3 conversion of a large real font into a sink that discards
// everything, and reports the Type 3 cost per glyph (target: at most 10 us per glyph).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"
#include "model/DebugLog.h"
#include "output/OutputSink.h"

namespace {

class CountingSink : public OutputSink {
 public:
  int32_t Open() override { return 1; }
  int32_t Close() override { return 1; }
  int32_t WriteBytes(const void*, int32_t length) override {
    bytes += size_t(length);
    return 1;
  }
  int32_t WriteString(const char* text) override {
    bytes += std::char_traits<char>::length(text);
    return 1;
  }
  int32_t Seek(long) override { return 0; }
  long Tell() override { return 0; }
  size_t bytes = 0;
};

// numGlyphs from 'maxp', for the per-glyph figure.
int GlyphCount(const std::vector<uint8_t>& f) {
  if (f.size() < 12) return 0;
  size_t tables = size_t(f[4] << 8 | f[5]);
  for (size_t i = 0; i < tables && 12 + 16 * i + 16 <= f.size(); ++i) {
    const uint8_t* e = f.data() + 12 + 16 * i;
    if (std::string(reinterpret_cast<const char*>(e), 4) != "maxp") continue;
    size_t off = size_t(e[8]) << 24 | size_t(e[9]) << 16 | size_t(e[10]) << 8 | e[11];
    if (off + 6 <= f.size()) return f[off + 4] << 8 | f[off + 5];
  }
  return 0;
}

template <typename Converter>
double Run(const std::vector<uint8_t>& font, int rounds, size_t* bytes, int* ok) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    CountingSink sink;
    Converter converter;
    *ok = converter.convert(font.data(), font.size(), &sink);
    *bytes = sink.bytes;
  }
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
  return d.count() / rounds;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::printf("Type42Bench: %s not found, nothing measured\n", path.c_str());
    return 0;
  }
  std::vector<uint8_t> font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  int glyphs = GlyphCount(font);
  const int rounds = 10;
  size_t bytes = 0;
  int ok = 0;

  double t42 = Run<Type42Converter>(font, rounds, &bytes, &ok);
  std::printf("Type 42: %s, %zu bytes in, %zu bytes out, %.2f ms per conversion (result %d)\n",
              path.c_str(), font.size(), bytes, t42 * 1e3, ok);
  double t3 = Run<Type3Converter>(font, rounds, &bytes, &ok);
  double perGlyph = glyphs > 0 ? t3 * 1e6 / glyphs : 0;
  std::printf(
      "Type 3:  %d glyphs, %zu bytes out, %.2f ms per conversion, %.2f us per glyph "
      "(target <= 10) %s (result %d)\n",
      glyphs, bytes, t3 * 1e3, perGlyph, perGlyph <= 10 ? "OK" : "SLOW", ok);
  ClearDebugLog();
  return 0;
}
