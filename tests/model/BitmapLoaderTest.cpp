#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "model/BitmapLoader.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

namespace {

using namespace bmptest;

// 1 when loaded; `img` is checked to be empty otherwise.
int Load(const Bytes& b, ImageData* img) {
  img->width = 7;
  img->pixels.assign(12, 1);
  int ok = LoadBmpFromMemory(b.data(), b.size(), img);
  if (!ok) {
    EXPECT_EQ(img->width, 0);
    EXPECT_EQ(img->height, 0);
    EXPECT_EQ(img->pixels.capacity(), 0u);
  }
  return ok;
}

// Rows top first as 0xRRGGBB.
std::vector<std::vector<uint32_t>> Rows(const ImageData& img) {
  std::vector<std::vector<uint32_t>> rows(size_t(img.height));
  for (int32_t y = 0; y < img.height; ++y) {
    for (int32_t x = 0; x < img.width; ++x) {
      const uint8_t* p = img.PixelAt(x, y);
      rows[y].push_back(uint32_t(p[0]) << 16 | p[1] << 8 | p[2]);
    }
  }
  return rows;
}

TEST(BitmapLoader, PaletteSizeAndOutOfRangeIndices) {
  // biClrUsed entries read from 14 + biSize; larger indices take the last entry.
  Bmp s;
  s.width = 4, s.bits = 8, s.colorsUsed = 2, s.headerSize = 108, s.palette = {0x112233, 0x445566};
  s.pixels = {0, 1, 2, 255};
  ImageData img;
  ASSERT_EQ(Load(Build(s), &img), 1);
  EXPECT_EQ(Rows(img)[0], (std::vector<uint32_t>{0x112233, 0x445566, 0x445566, 0x445566}));
  // With biClrUsed 0 a 4-bit palette has 16 entries, which must all be in the file.
  s.bits = 4, s.colorsUsed = 0, s.headerSize = 40, s.pixels.clear();
  s.palette.assign(16, 0x808080);
  Bytes full = Build(s);
  EXPECT_EQ(Load(full, &img), 0);  // no pixels at all
  s.pixels = {0x01, 0x23, 0, 0};
  full = Build(s);
  ASSERT_EQ(Load(full, &img), 1);
  full.resize(14 + 40 + 15 * 4 + 2);
  Set32(&full, 10, uint32_t(full.size() - 1));
  EXPECT_EQ(Load(full, &img), 0);
}

TEST(BitmapLoader, RefusesBadBitfieldMasks) {
  Bmp s;
  s.width = 4, s.bits = 16, s.compression = 3, s.masks = {0xF800, 0x07E0, 0x001F};
  s.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84};
  ImageData img;
  // Masks cut off by the end of the file.
  Bytes b = Build(s);
  b.resize(14 + 40 + 8);
  Set32(&b, 10, 14 + 40);
  EXPECT_EQ(Load(b, &img), 0);

  // Scattered mask bits, and bitfields at 24 bits, are refused.
  s.headerSize = 56, s.bits = 32, s.pixels = {0, 0, 0, 0};
  s.masks = {0x0F0F, 0xF000, 0xF0};
  EXPECT_EQ(Load(Build(s), &img), 0);
  s.masks = {0xFF0000, 0xFF00, 0xFF}, s.bits = 24, s.pixels = {1, 2, 3, 0};
  EXPECT_EQ(Load(Build(s), &img), 0);
}

TEST(BitmapLoader, RefusesMalformedHeaders) {
  ImageData img;
  Bmp good;
  good.width = 2, good.pixels = {1, 2, 3, 4, 5, 6, 0, 0};
  const Bytes ok = Build(good);
  ASSERT_EQ(Load(ok, &img), 1);

  EXPECT_EQ(LoadBmpFromMemory(nullptr, 100, &img), 0);
  EXPECT_EQ(LoadBmpFromMemory(ok.data(), ok.size(), nullptr), 0);
  EXPECT_EQ(Load(Bytes(ok.begin(), ok.begin() + 10), &img), 0);
  EXPECT_EQ(Load(Bytes(ok.begin(), ok.begin() + 30), &img), 0);  // header cut short
  Bytes mb = ok;
  mb[0] = 'M', mb[1] = 'B';
  EXPECT_EQ(Load(mb, &img), 0);
  // Pixels at the very end, far past it, inside the header; unknown header sizes.
  const std::pair<size_t, uint32_t> fields[] = {
      {10, uint32_t(ok.size())}, {10, 0xFFFFFFF0u}, {10, 20}, {14, 20}, {14, 0xFFFFFFF0u}};
  for (auto [at, value] : fields) {
    Bytes b = ok;
    Set32(&b, at, value);
    EXPECT_EQ(Load(b, &img), 0) << at << " " << value;
  }
  auto refused = [&](Bmp s) {
    if (s.pixels.empty()) s.pixels.assign(64, 0);
    return Load(Build(s), &img) == 0;
  };
  for (void (*change)(Bmp*) :
       {+[](Bmp* s) { s->width = 0; }, +[](Bmp* s) { s->width = -2; },
        +[](Bmp* s) { s->height = 0; }, +[](Bmp* s) { s->height = INT32_MIN; },
        +[](Bmp* s) { s->bits = 2; }, +[](Bmp* s) { s->compression = 4; } /* JPEG */}) {
    Bmp s = good;
    change(&s);
    EXPECT_TRUE(refused(s));
  }
  Bmp s = good;
  s.compression = 1;  // RLE8 needs 8 bits
  EXPECT_TRUE(refused(s));
  s.bits = 8, s.palette = {0}, s.colorsUsed = 1, s.height = -1, s.pixels = {0, 1};
  EXPECT_TRUE(refused(s));  // compressed rows never run top-down
  s.height = 1;
  EXPECT_FALSE(refused(s));

  // Sizes beyond kMaxBitmapBytes are refused from the header alone, however short the data.
  s = good, s.width = 100000, s.height = 100000, s.pixels = {0};
  EXPECT_TRUE(refused(s));
  s.width = 16000, s.height = 11200;  // 537.6 MB of RGB
  s.bits = 8, s.compression = 1, s.palette = {0}, s.colorsUsed = 1, s.pixels = {0, 1};
  EXPECT_TRUE(refused(s));
  s.width = INT32_MAX, s.height = INT32_MAX, s.bits = 32, s.compression = 0, s.palette.clear();
  EXPECT_TRUE(refused(s));
}

TEST(BitmapLoader, PixelDataLimits) {
  Bmp s;
  s.width = 3, s.height = 2;
  s.pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0, 0};
  const Bytes ok = Build(s);
  ImageData img;
  ImageData expected;
  ASSERT_EQ(Load(ok, &expected), 1);
  // A wrong bfSize (0, short of bfOffBits, past the end) does not stop the load.
  for (uint32_t bfSize : {0u, 20u, uint32_t(ok.size() + 1000), 0xFFFFFFFFu}) {
    Bytes b = ok;
    Set32(&b, 2, bfSize);
    ASSERT_EQ(Load(b, &img), 1) << bfSize;
    EXPECT_EQ(img.pixels, expected.pixels);
  }
  // The last row's padding may be missing, its pixels may not.
  Bytes b(ok.begin(), ok.end() - 3);
  ASSERT_EQ(Load(b, &img), 1);
  EXPECT_EQ(img.pixels, expected.pixels);
  b.pop_back();
  EXPECT_EQ(Load(b, &img), 0);
  // A plausible bfSize limits the pixel data even when the file goes on.
  b = ok;
  Set32(&b, 2, uint32_t(ok.size() - 4));
  EXPECT_EQ(Load(b, &img), 0);
}

TEST(BitmapLoader, RleStreams) {
  Bmp s;
  s.width = 4, s.height = 3, s.bits = 8, s.compression = 1, s.colorsUsed = 8;
  for (uint32_t i = 0; i < 8; ++i) s.palette.push_back(0x100000 * i + 1);
  auto rows = [&](const Bytes& stream, int* ok) {
    s.pixels = stream;
    ImageData img;
    *ok = Load(Build(s), &img);
    return Rows(img);
  };
  auto p = [](uint32_t i) { return 0x100000 * i + 1; };
  int ok = 0;
  // Runs, absolute mode with its padding byte, a delta, end-of-bitmap; skipped pixels get entry 0.
  EXPECT_EQ(rows({3, 1, 1, 2, 0, 0, 0, 3, 3, 4, 5, 0, 0, 2, 0, 1, 1, 6, 0, 1}, &ok),
            (std::vector<std::vector<uint32_t>>{
                {p(0), p(0), p(0), p(6)}, {p(3), p(4), p(5), p(0)}, {p(1), p(1), p(1), p(2)}}));
  EXPECT_EQ(ok, 1);
  rows({0, 0, 0, 0, 0, 0, 1, 1}, &ok);  // what follows the last row is never read
  EXPECT_EQ(ok, 1);
  for (const Bytes& bad : {Bytes{5, 1, 0, 1},              // past the row
                           Bytes{0, 2, 0, 4, 1, 1, 0, 1},  // delta past the top
                           Bytes{0, 2, 5, 0, 1, 1, 0, 1},  // delta past the row
                           Bytes{4, 1, 0, 0, 4, 1},        // stream ends with rows missing
                           Bytes{0, 4, 1, 2, 3},           // absolute run cut short
                           Bytes{0, 2, 0}}) {              // delta cut short
    rows(bad, &ok);
    EXPECT_EQ(ok, 0) << int(bad[0]) << " " << int(bad[1]) << " ... " << bad.size();
  }
  // A 3-wide row is padded to 4 pixels: a run may fill the padding (dropped), not pass it.
  s.width = 3;
  EXPECT_EQ(rows({4, 7, 0, 1}, &ok)[2], (std::vector<uint32_t>{p(7), p(7), p(7)}));
  EXPECT_EQ(ok, 1);
  rows({5, 7, 0, 1}, &ok);
  EXPECT_EQ(ok, 0);

  // RLE4 rows are padded to 16 bits: the padding must be there, runs may not pass it.
  s.width = 5, s.bits = 4, s.compression = 2;
  rows({0, 5, 0x67, 0x12, 0x50}, &ok);
  EXPECT_EQ(ok, 0);
  rows({9, 0x12, 0, 1}, &ok);  // a 5-pixel RLE4 row pads to 8 pixels, no further
  EXPECT_EQ(ok, 0);
}

// ImageMagick writes (or reads back) each kind of BMP; its own reading is the reference.
class BitmapInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunCommand("convert -version > /dev/null 2>&1") != 0) {
      GTEST_SKIP() << "ImageMagick's convert is not installed";
    }
    dir_ = TestWorkDir(std::string("bitmap_interop_") +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // Odd width so rows need padding at every depth; varied colours.
    std::string ppm = "P6\n37 23\n255\n";
    for (int y = 0; y < 23; ++y) {
      for (int x = 0; x < 37; ++x) {
        ppm += char((x * 7 + y * 3) & 255);
        ppm += char((y * 11 + x * x) & 255);
        ppm += char((x * y * 5 + 17) & 255);
      }
    }
    ASSERT_TRUE(WriteFileBytes(dir_ + "/src.ppm", ppm));
  }

  std::string Path(const std::string& name) const { return dir_ + "/" + name + ".bmp"; }

  // Makes `name` with convert's `args` (ending in the output format) and checks its layout.
  Bytes Make(const std::string& name, const std::string& args, uint32_t headerSize, uint16_t bits,
             uint32_t compression) {
    std::string command = "convert " + dir_ + "/src.ppm " + args + ":" + Path(name);
    EXPECT_EQ(RunCommand(command), 0) << command;
    Bytes b = Read(name);
    if (b.size() < 34) {
      ADD_FAILURE() << command;
      return {};
    }
    EXPECT_EQ(Get32(b, 14), headerSize) << command;
    EXPECT_EQ(b[headerSize == 12 ? 24 : 28], bits) << command;
    if (headerSize != 12) {
      EXPECT_EQ(Get32(b, 30), compression) << command;
    }
    return b;
  }

  Bytes Read(const std::string& name) const {
    std::string s = ReadFileBytes(Path(name));
    return Bytes(s.begin(), s.end());
  }
  void Write(const std::string& name, const Bytes& b) const {
    ASSERT_TRUE(WriteFileBytes(Path(name), std::string(b.begin(), b.end())));
  }

  // Our load of `name` equals ImageMagick's; `fourBitChannels` widens its v * 16 to v * 17.
  void ExpectSame(const std::string& name, bool fourBitChannels = false) {
    SCOPED_TRACE(name);
    std::string raw = dir_ + "/" + name + ".rgb";
    ASSERT_EQ(RunCommand("convert " + Path(name) + " -depth 8 rgb:" + raw), 0);
    std::string want = ReadFileBytes(raw);
    ImageData img;
    ASSERT_EQ(LoadBmpFile(Path(name).c_str(), &img), 1);
    ASSERT_EQ(img.width, 37);
    ASSERT_EQ(img.height, 23);
    ASSERT_EQ(img.pixels.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
      uint8_t v = uint8_t(want[i]);
      if (fourBitChannels) v = uint8_t(v | (v >> 4));
      ASSERT_EQ(img.pixels[i], v) << "byte " << i;
    }
  }

  std::string dir_;
};

struct MadeBy {
  const char* name;
  const char* args;
  uint32_t headerSize;
  uint16_t bits;
  uint32_t compression;
};

TEST_F(BitmapInterop, UncompressedAndOs2) {
  for (const MadeBy& m : {MadeBy{"rgb24", "BMP3", 40, 24, 0},
                          {"pal8", "-type Palette -compress None BMP3", 40, 8, 0},
                          {"pal4", "-colors 16 -type Palette -compress None BMP3", 40, 4, 0},
                          {"bilevel", "-type Bilevel BMP3", 40, 1, 0},
                          {"v5rgb24", "BMP", 124, 24, 0},
                          {"os2rgb24", "BMP2", 12, 24, 0},
                          {"os2pal8", "-type Palette BMP2", 12, 8, 0}}) {
    Make(m.name, m.args, m.headerSize, m.bits, m.compression);
    ExpectSame(m.name);
  }
}

TEST_F(BitmapInterop, BitfieldsAndAlpha) {
  // ImageMagick widens 4-bit fields as v * 16 (15 -> 240); we repeat the bits (15 -> 255).
  for (const MadeBy& m :
       {MadeBy{"rgb565", "-define bmp:subtype=RGB565 BMP", 124, 16, 3},
        {"rgb555", "-define bmp:subtype=RGB555 BMP", 124, 16, 3},
        {"argb1555", "-alpha set -define bmp:subtype=ARGB1555 BMP", 124, 16, 3},
        {"argb4444", "-alpha set -define bmp:subtype=ARGB4444 BMP", 124, 16, 3},
        {"argb32v5", "-alpha set -channel A -fx i/w +channel BMP", 124, 32, 3},
        {"argb32v4", "-intent Undefined -alpha set -define bmp:format=bmp4 BMP", 108, 32, 3},
        {"argb32v3", "-alpha set -define bmp3:alpha=true BMP3", 40, 32, 0}}) {
    Make(m.name, m.args, m.headerSize, m.bits, m.compression);
    ExpectSame(m.name, m.bits == 16 && Contains(m.name, "4444"));
  }

  // Hand-made from the 5-6-5 file: masks after a 40-byte header, and 52- and 56-byte headers.
  Bytes v5 = Read("rgb565");
  ASSERT_GT(v5.size(), 138u);
  Bytes pixels(v5.begin() + Get32(v5, 10), v5.end());
  for (uint32_t size : {40u, 52u, 56u}) {
    // A V5 header holds the masks at the same place as a 40-byte header followed by masks.
    Bytes b(v5.begin(), v5.begin() + 14 + std::max(size, 52u));
    Set32(&b, 14, size);
    Set32(&b, 10, uint32_t(b.size()));
    b.insert(b.end(), pixels.begin(), pixels.end());
    Set32(&b, 2, uint32_t(b.size()));
    Write("masks" + std::to_string(size), b);
    ExpectSame("masks" + std::to_string(size));
  }
}

TEST_F(BitmapInterop, RleAndTopDown) {
  Make("rle8", "-type Palette -compress RLE BMP3", 40, 8, 1);
  ExpectSame("rle8");

  // This ImageMagick writes no RLE4, so the 4-bit file is encoded here and ImageMagick reads it.
  Bytes pal4 = Make("pal4", "-colors 16 -type Palette -compress None BMP3", 40, 4, 0);
  ASSERT_GT(pal4.size(), 118u);
  // Odd rows in absolute mode (19 bytes of 37 nibbles, padded to 16 bits), even rows as runs
  // of two pixels and then the last one alone.
  Bytes rle4(pal4.begin(), pal4.begin() + Get32(pal4, 10));
  Set32(&rle4, 30, 2);
  for (size_t row = 0; row < 23; ++row) {
    const uint8_t* r = pal4.data() + Get32(pal4, 10) + row * 20;
    if (row % 2) {
      rle4.insert(rle4.end(), {0, 37});
      rle4.insert(rle4.end(), r, r + 19);
      rle4.push_back(0);
    } else {
      for (size_t x = 0; x < 36; x += 2) rle4.insert(rle4.end(), {2, r[x / 2]});
      rle4.insert(rle4.end(), {1, r[18]});
    }
    rle4.insert(rle4.end(), {0, 0});
  }
  rle4.insert(rle4.end(), {0, 1});
  Set32(&rle4, 2, uint32_t(rle4.size()));
  Write("rle4", rle4);
  ExpectSame("rle4");
  ExpectSame("pal4");  // the same pixels, so the encoding above is sound

  // Top-down copies of ImageMagick's bottom-up files read as ImageMagick reads them.
  Make("rgb24", "BMP3", 40, 24, 0);
  Make("pal8", "-type Palette -compress None BMP3", 40, 8, 0);
  for (std::string name : {"rgb24", "pal8"}) {
    Bytes up = Read(name);
    ASSERT_GT(up.size(), 54u);
    size_t off = Get32(up, 10), rowBytes = (up.size() - off) / 23;
    Bytes down(up.begin(), up.begin() + off);
    for (size_t r = 23; r-- > 0;)
      down.insert(down.end(), up.begin() + off + r * rowBytes,
                  up.begin() + off + (r + 1) * rowBytes);
    Set32(&down, 22, uint32_t(-23));
    Write(name + "_topdown", down);
    ExpectSame(name + "_topdown");
  }
}

}  // namespace
