// Save, read, save again: the native file carries every shape kind and style field.
#include <gtest/gtest.h>

#include <string>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
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
