// Times the Type 42 and Type 3 conversion of a large real font into a sink that discards
// everything, and reports the Type 3 cost per glyph (target: at most 10 us per glyph). When
// lcdf-typetools' ttftotype42 is installed, the same file is converted by it in the same run and
// the Type 42 time is reported as a ratio (target: at most 0.5).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// Median wall time of a shell command over a few runs; negative when it failed.
double TimeCommand(const std::string& command, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) return -1;
    std::chrono::duration<double> d = std::chrono::steady_clock::now() - start;
    times.push_back(d.count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Our side of the comparison reads the file too, as the command does.
double ReadAndConvert(const std::string& path, int rounds) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < rounds; ++i) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> font((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    CountingSink sink;
    Type42Converter converter;
    converter.convert(font.data(), font.size(), &sink);
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
  if (std::system("command -v ttftotype42 >/dev/null 2>&1") == 0) {
    double ours = ReadAndConvert(path, rounds);
    double theirs = TimeCommand("ttftotype42 '" + path + "' /dev/null", 5);
    if (theirs > 0) {
      std::printf(
          "Type 42 with reading the file: %.2f ms; ttftotype42: %.2f ms; ratio %.3f "
          "(target <= 0.5) %s\n",
          ours * 1e3, theirs * 1e3, ours / theirs, ours / theirs <= 0.5 ? "OK" : "SLOW");
    }
  }
  ClearDebugLog();
  return 0;
}
