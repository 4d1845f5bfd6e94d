// Illustrator 88 knows neither justified text nor paragraph ends: a justified text comes back
// from an .ai file as one left-aligned text whose every break is a soft one, still rewrapping.
#include <gtest/gtest.h>

#include <string>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/PsReader.h"
#include "output/RoundTripDrawing.h"

TEST(AiJustifiedRoundTrip, ReadsBackAsOneLeftAlignedTextWithLineFeeds) {
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
