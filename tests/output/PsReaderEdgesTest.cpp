// Reader edges: damaged image data, out-of-range font alignments, numbers beyond a double.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/TextShape.h"
#include "output/PsReader.h"
#include "output/RoundTripDrawing.h"

namespace {

const char kHead[] = "%!PS-Adobe-3.0\n%%EndProlog\n";
const char kTail[] = "%%Trailer\n";

struct Read {
  int32_t ok = 0;
  ShapeList shapes;
  std::vector<std::string> missing;
  explicit Read(const std::string& body) {
    const std::string file = kHead + body + kTail;
    PageInfo page;
    ok = PsReader().Read(file.data(), file.size(), &shapes, &page, &missing);
  }
  ~Read() { DestroyShapes(&shapes); }
};

}  // namespace

TEST(PsReaderEdges, ImageLargerThanTheFileFailsTheRead) {
  // The pixel line is not taken for a statement, nor is anything after it; earlier shapes stay.
  Read r("0 0 m\n1 1 L\nS\n[1 0 0 1 0 0] 100 100 img\n0a0b0c\n0 0 m\n2 2 L\nS\n");
  EXPECT_EQ(r.ok, 0);
  ASSERT_EQ(r.shapes.Count(), 1);
  EXPECT_EQ(r.shapes[0]->Kind(), kPolygonShape);
}

TEST(PsReaderEdges, BadAlignmentKeepsTheFont) {
  roundtrip::ScopedFixedFonts fonts;
  Read r("/_NoSuchFace 12 13 0 2 z\n/_Times-Roman 10 11 0 7 z\n[1 0 0 1 0 0] e\n(a) t\nT\n");
  ASSERT_EQ(r.shapes.Count(), 1);
  const auto* text = static_cast<const TextShape*>(r.shapes[0]);
  EXPECT_EQ(text->size(), 10);
  EXPECT_EQ(text->leading(), 11);
  EXPECT_EQ(text->alignment(), 2);
  EXPECT_EQ(r.missing, (std::vector<std::string>{"Times-Roman"}));
}

TEST(PsReaderEdges, NumbersBeyondADouble) {
  // Too small for a double reads as zero; too large is refused and the width stays 5.
  const struct {
    const char* number;
    float width;
  } kCases[] = {{"1e-400", 0},    {"-1e-400", 0},       {"1e-50", 0},
                {"1e400", 5},     {"0.0000001e400", 5}, {"123456789012345678901234e-430", 0},
                {"0.5e-1", 0.05f}};
  for (const auto& c : kCases) {
    Read r(std::string("5 w\n") + c.number + " w\n0 0 m\n1 1 L\nS\n");
    ASSERT_EQ(r.shapes.Count(), 1) << c.number;
    EXPECT_EQ(r.shapes[0]->style().lineWidth, c.width) << c.number;
  }
}
