#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fonts/FontManager.h"
#include "fonts/StringSink.h"
#include "model/ImageData.h"
#include "output/PdfWriter.h"
#include "support/OutputTestSupport.h"

namespace {

std::string WritePdf(const std::function<void(PdfWriter&)>& body,
                     std::vector<std::string> fonts = {}) {
  StringSink sink;
  ResetPaintStyleCache();
  {
    PdfWriter writer(&sink, std::move(fonts));
    PageInfo page{0, 0, 200, 100, "t", 0, {}};
    EXPECT_EQ(writer.BeginDocument(&page, 0, nullptr), 1);
    body(writer);
    writer.EndDocument(nullptr);
  }
  return sink.text;
}

// Checks the file structure a reader relies on: every cross-reference entry is 20 bytes and
// points at its object's header, startxref points at "xref", and /Size counts the objects.
// Returns the number of objects.
int CheckStructure(const std::string& pdf) {
  size_t sx = pdf.rfind("startxref\r\n");
  EXPECT_NE(sx, std::string::npos);
  if (sx == std::string::npos) return 0;
  long long xref = std::atoll(pdf.c_str() + sx + 11);
  EXPECT_EQ(pdf.compare(size_t(xref), 6, "xref\r\n"), 0);
  size_t p = size_t(xref) + 6;
  EXPECT_EQ(pdf.compare(p, 2, "0 "), 0);
  int size = std::atoi(pdf.c_str() + p + 2);
  p = pdf.find("\r\n", p) + 2;
  EXPECT_EQ(pdf.substr(p, 20), "0000000000 65535 f\r\n");
  for (int n = 1; n < size; n++) {
    std::string entry = pdf.substr(p + size_t(n) * 20, 20);
    EXPECT_EQ(entry.substr(10), " 00000 n\r\n") << "entry " << n;
    long long off = std::atoll(entry.c_str());
    std::string header = std::to_string(n) + " 0 obj\r\n";
    EXPECT_EQ(pdf.compare(size_t(off), header.size(), header), 0) << "object " << n;
  }
  EXPECT_TRUE(Contains(pdf, "/Size " + std::to_string(size) + "\r\n"));
  EXPECT_TRUE(pdf.size() >= 7 && pdf.compare(pdf.size() - 7, 7, "%%EOF\r\n") == 0);
  return size - 1;
}

// A stream's data must be exactly as long as the length object says.
void CheckStreamLength(const std::string& pdf, int streamObject, int lengthObject) {
  std::string body = PdfObject(pdf, streamObject);
  size_t start = body.find("stream\r\n");
  size_t end = body.find("endstream\r\n");
  ASSERT_NE(start, std::string::npos);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(std::to_string(end - start - 8) + "\r\n", PdfObject(pdf, lengthObject));
}

// A bold italic TrueType face, every glyph 500 units wide, and the resident Helvetica.
std::unique_ptr<FontManager> FakeFonts() {
  SystemFace fake = testfonts::MakeSystemFace("Fake", "FakeSans-BoldItalic",
                                              kStyleBold | kStyleItalic, 800, -200);
  FaceMetrics& m = fake.metrics;
  m.bbox[0] = -10, m.bbox[1] = -200, m.bbox[2] = 900, m.bbox[3] = 800;
  m.capHeight = 640, m.italicAngle = -12, m.serif = true, m.firstChar = 32, m.lastChar = 65;
  auto fonts = std::make_unique<testfonts::FixedFonts>();
  fonts->Add(std::make_unique<TrueTypeFontFace>(fake))
      .Add(std::make_unique<Type1FontFace>(Type1Face{"Helvetica", "Helvetica", 0, "", ""}));
  return fonts;
}

class PdfWriterFonts : public ::testing::Test {
  testfonts::ScopedFonts fonts_{FakeFonts()};
};

ImageData TestImage(int w, int h) {
  ImageData image;
  image.width = w;
  image.height = h;
  for (int i = 0; i < w * h * 3; i++) image.pixels.push_back(uint8_t(i));
  return image;
}

}  // namespace

TEST(PdfWriter, StandardFontTextAndImageMakeThirteenObjects) {
  ImageData image = TestImage(13, 1);
  Matrix m = MakeMatrix(20, 0, 0, 10, 5, 6);
  PaintStyle style;
  const float rect[4] = {0, 50, 100, 0};
  std::string pdf = WritePdf([&](PdfWriter& w) {
    w.DrawText(&style, nullptr, "Hi", "Helvetica", 12, 14, kAlignLeft, rect);
    w.DrawImage(&m, &image);
  });
  EXPECT_EQ(CheckStructure(pdf), 12);
  EXPECT_EQ(PdfObject(pdf, 9), "<<\r\n/F1 10 0 R\r\n>>\r\n");
  // 13 pixels: a full line of 12, then the last pixel with the end marker.
  EXPECT_TRUE(Contains(PdfObject(pdf, 11), "\r\n242526>\r\nendstream"));
  CheckStreamLength(pdf, 11, 12);
  CheckStreamLength(pdf, 6, 7);
  EXPECT_EQ(PdfObject(pdf, 8), "<<\r\n/Im0 11 0 R\r\n>>\r\n");
  EXPECT_EQ(PdfContent(pdf),
            "0 0 0 0 k\r\nBT\r\n/F1 12 Tf\r\n14 TL\r\n1 0 0 1 0 50 Tm\r\n0 "
            "Tw\r\n(Hi) Tj\r\nET\r\nq\r\n20 0 0 10 5 6 cm\r\n/Im0 Do\r\nQ\r\n");
}

TEST(PdfWriter, ObjectTableGrowsBeyond255) {
  ImageData image = TestImage(1, 1);
  ImageData broken = TestImage(2, 2);
  broken.pixels.resize(5);  // shorter than the image: not written at all
  Matrix m;
  std::string pdf = WritePdf([&](PdfWriter& w) {
    w.DrawImage(&m, &broken);
    for (int i = 0; i < 200; i++) w.DrawImage(&m, &image);
  });
  // Objects 1-8, the empty font dictionary 9, then 200 images with their lengths.
  EXPECT_EQ(CheckStructure(pdf), 409);
  EXPECT_EQ(PdfObject(pdf, 9), "<<\r\n>>\r\n");
  CheckStreamLength(pdf, 408, 409);
  EXPECT_NE(PdfObject(pdf, 8).find("/Im199 408 0 R\r\n"), std::string::npos);
  EXPECT_EQ(PdfContent(pdf).find("/Im200"), std::string::npos);
}

TEST_F(PdfWriterFonts, NonResidentFontsGetWidthsAndDescriptors) {
  PaintStyle style;
  const float rect[4] = {0, 100, 100, 0};
  std::string pdf = WritePdf(
      [&](PdfWriter& w) {
        w.DrawText(&style, nullptr, "a", "FakeSans-BoldItalic", 10, 12, kAlignLeft, rect);
        w.DrawText(&style, nullptr, "b", "Helvetica", 10, 12, kAlignLeft, rect);
        // Not in the list given to the writer: added when first used.
        w.DrawText(&style, nullptr, "c", "Unknown-Font", 10, 12, kAlignLeft, rect);
      },
      {"FakeSans-BoldItalic", "Helvetica"});
  // 9 the font dictionary, 10-12 the fonts, 13-14 the two descriptors.
  EXPECT_EQ(CheckStructure(pdf), 14);
  EXPECT_EQ(PdfObject(pdf, 9), "<<\r\n/F1 10 0 R\r\n/F2 11 0 R\r\n/F3 12 0 R\r\n>>\r\n");
  std::string fonts = PdfObject(pdf, 10) + PdfObject(pdf, 11) + PdfObject(pdf, 12);
  std::string widths = "/Widths [";
  for (int i = 0; i < 34; i++) widths += (i == 16 || i == 32) ? "\r\n 500" : " 500";
  EXPECT_TRUE(Contains(fonts,
                       "<<\r\n/Type /Font\r\n/Subtype /TrueType\r\n/Name /F1\r\n/BaseFont "
                       "/FakeSans-BoldItalic\r\n/Encoding /WinAnsiEncoding\r\n/FirstChar "
                       "32\r\n/LastChar 65\r\n" +
                           widths + "\r\n]\r\n/FontDescriptor 13 0 R\r\n>>\r\n"))
      << fonts;
  // The standard Helvetica is resident: no widths. The unknown font gets a descriptor.
  EXPECT_TRUE(Contains(fonts, "/BaseFont /Helvetica\r\n/Encoding /WinAnsiEncoding\r\n>>\r\n"));
  EXPECT_TRUE(Contains(fonts, "/Name /F3"));
  EXPECT_TRUE(Contains(fonts, "/FontDescriptor 14 0 R"));
  EXPECT_EQ(PdfObject(pdf, 13),
            "<<\r\n/Type /FontDescriptor\r\n/FontName /FakeSans-BoldItalic\r\n/FontBBox [ -10 "
            "-200 900 800 ]\r\n/Ascent 800\r\n/Descent -200\r\n/CapHeight 640\r\n/XHeight "
            "0\r\n/ItalicAngle -12\r\n/Flags 98\r\n/StemV 120\r\n>>\r\n");
  EXPECT_NE(PdfContent(pdf).find("/F3 10 Tf"), std::string::npos);
}

TEST(PdfWriter, LineFarBeyondAnyFixedBufferIsWrittenWhole) {
  PaintStyle style;
  const float rect[4] = {0, 100, 100, 0};
  const std::string longLine(3000, 'y');
  std::string pdf = WritePdf([&](PdfWriter& w) {
    w.DrawText(&style, nullptr, longLine.c_str(), "Helvetica", 10, 12, kAlignLeft, rect);
  });
  EXPECT_TRUE(Contains(PdfContent(pdf), "(" + longLine + ") Tj\r\n"));
}
