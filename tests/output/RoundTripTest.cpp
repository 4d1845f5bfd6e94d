// Save, read, save again: the native file carries every shape kind and style field; what an
// Illustrator file cannot carry comes back in its nearest form.
#include <gtest/gtest.h>

#include <string>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/PsReader.h"
#include "output/RoundTripDrawing.h"
#include "support/TestSupport.h"

namespace {

std::string Save(Drawing& drawing) {
  StringSink sink;
  EXPECT_EQ(ExportFile(drawing, kExportNative, &sink, ExportOptions()), 1);
  return sink.text;
}

std::string WithoutCreationDate(const std::string& text) {
  const size_t at = text.find("%%CreationDate: ");
  if (at == std::string::npos) return text;
  return text.substr(0, at) + text.substr(text.find("\r\n", at));
}

}  // namespace

TEST(RoundTrip, NativeFileReadsBackToEqualShapesAndTheSameFile) {
  roundtrip::ScopedFixedFonts fonts;
  Drawing original;
  original.path = "/tmp/round trip.qlx";
  original.grid = GridSettings{18, 24, 1, 0};
  original.landscape = 1;
  roundtrip::BuildRoundTripDrawing(&original);
  const std::string first = Save(original);

  Drawing read;
  read.path = original.path;
  std::vector<std::string> missing;
  ASSERT_EQ(ReadDrawingData(first.data(), first.size(), &read, &missing), 1);
  EXPECT_TRUE(missing.empty());
  EXPECT_EQ(
      V(read.landscape, read.grid.hSpacing, read.grid.vSpacing, read.grid.show, read.grid.snap),
      V(1, 18, 24, 1, 0));
  EXPECT_EQ(roundtrip::CompareShapeLists(original.shapes(), read.shapes()), "");

  const std::string second = Save(read);
  EXPECT_EQ(WithoutCreationDate(first), WithoutCreationDate(second));

  // A third generation changes nothing at all, texts included.
  Drawing again;
  ASSERT_EQ(ReadDrawingData(second.data(), second.size(), &again, nullptr), 1);
  EXPECT_EQ(roundtrip::CompareShapeLists(read.shapes(), again.shapes()), "");
}

// Illustrator 88 knows neither justified text nor paragraph ends: a justified text comes back
// from an .ai file as one left-aligned text whose every break is a soft one, still rewrapping.
TEST(RoundTrip, IllustratorJustifiedTextReadsBackLeftAlignedWithLineFeeds) {
  roundtrip::ScopedFixedFonts fonts;
  Drawing original;
  // Five points a character at size 10: a frame 60 wide wraps the paragraph into three lines.
  auto* text =
      new TextShape("alpha beta gamma delta epsilon zeta\rend", "ArialMT", 10, 11, kAlignJustify);
  text->SetFrame(0, 0, 60, -10);
  ASSERT_EQ(std::string(text->text()), "alpha beta\ngamma delta\nepsilon zeta\rend");
  original.AddShape(text);

  StringSink sink;
  ASSERT_EQ(ExportFile(original, kExportIllustrator, &sink, ExportOptions{.border = 0}), 1);
  EXPECT_EQ(sink.text.find("TX"), std::string::npos) << sink.text;
  Drawing read;
  ASSERT_EQ(ReadDrawingData(sink.text.data(), sink.text.size(), &read, nullptr), 1);
  ASSERT_EQ(read.shapes().Count(), 1);
  ASSERT_EQ(read.shapes()[0]->Kind(), kTextShape);
  const auto* back = static_cast<TextShape*>(read.shapes()[0]);
  EXPECT_EQ(back->alignment(), kAlignLeft);
  EXPECT_EQ(std::string(back->text()), "alpha beta\ngamma delta\nepsilon zeta\nend");
}
