// Tabs in text from outside become spaces to the next stop of eight: on the way in from a text
// file, a metafile and an older drawing file, so no output is handed a tab to show.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "model/Drawing.h"
#include "model/TabExpansion.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/InsertCommands.h"
#include "output/MetafileImport.h"
#include "output/PsReader.h"
#include "output/RoundTripDrawing.h"
#include "platform/gdi/WmfDevice.h"
#include "render/RegisterRender.h"
#include "support/OutputTestSupport.h"

namespace {

std::string Spaces(size_t n) { return std::string(n, ' '); }

}  // namespace

TEST(TabExpansion, StopsEveryEightColumnsFromEachLineStart) {
  const struct {
    const char* in;
    std::string out;
  } cases[] = {
      {"\t", Spaces(8)},
      {"a\tb", "a" + Spaces(7) + "b"},
      {"1234567\t8", "1234567 8"},
      {"12345678\t9", "12345678" + Spaces(8) + "9"},
      {"a\t\tb", "a" + Spaces(15) + "b"},
      {"abc\r\tx\n12\ty", "abc\r" + Spaces(8) + "x\n12" + Spaces(6) + "y"},
      {"no tabs", "no tabs"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandTabs(c.in), c.out) << c.in;
}

TEST(TabExpansion, TextFileMetafileAndOlderDrawingFile) {
  std::string text, message;
  ASSERT_EQ(ConvertTextFileBytes("Price:\t12 \xE2\x82\xAC\r\n\tZ\r\n", "t.txt", &text, &message),
            1);
  EXPECT_EQ(text, "Price:  12 \x80\n" + Spaces(8) + "Z");

  gdi::WmfDevice dc;
  dc.TextOutA(0, 0, "a\tb", 3);
  const std::string wmf = Placeable(dc, 1000, 1000, 72);
  ShapeList shapes;
  ASSERT_EQ(ConvertMetafile(reinterpret_cast<const uint8_t*>(wmf.data()), wmf.size(), &shapes), 1);
  ASSERT_EQ(shapes.Count(), 1);
  EXPECT_EQ(std::string(static_cast<TextShape*>(shapes[0])->text()), "a" + Spaces(7) + "b");
  DestroyShapes(&shapes);

  roundtrip::ScopedFixedFonts fonts;
  const std::string file = roundtrip::kHead +
                           std::string(
                               "/_ArialMT 12 13 0 0 z\n[1 0 0 1 0 0] e\n0 0 1000 -20 tbx\n"
                               "(x\ty\\r) t\n(\tz) t\nT\n") +
                           roundtrip::kTail;
  PsReader reader;
  PageInfo page;
  std::vector<std::string> missing;
  ASSERT_EQ(reader.Read(file.data(), file.size(), &shapes, &page, &missing), 1);
  ASSERT_EQ(shapes.Count(), 1);
  // (The layout may break the narrow frame at the new spaces; soft breaks stand for spaces.)
  std::string read = static_cast<TextShape*>(shapes[0])->text();
  std::replace(read.begin(), read.end(), '\n', ' ');
  EXPECT_EQ(read, "x" + Spaces(7) + "y\r" + Spaces(8) + "z");
  DestroyShapes(&shapes);
}

// A text file with tabs, inserted and exported: the EPS, PDF and metafile show its text with
// the tabs as spaces.
TEST(TabExpansionInterop, ExportsCarryTheSpacesNotTabs) {
  testfonts::ScopedSystemFonts systemFonts;
  RegisterRender();
  std::string text, message;
  ASSERT_EQ(ConvertTextFileBytes("Price:\t12\nSum\t34\n", "t.txt", &text, &message), 1);
  Drawing drawing;
  drawing.path = "/tmp/tabs.qlx";
  FontFace* face = TheFontManager() ? TheFontManager()->DefaultFace() : nullptr;
  ASSERT_NE(face, nullptr);
  auto* shape = new TextShape(text.c_str(), face->PostScriptName(), 12, 13, 0);
  shape->SetFrame(0, 0, 400, -100);
  shape->SetMatrix(1, 0, 0, 1, 72, 700);
  ASSERT_EQ(drawing.AddShape(shape), 1);
  const std::string dir = TestWorkDir("tab_exports");
  for (int32_t kind : {kExportEps, kExportPdf, kExportWmf}) {
    const std::string path = dir + "/tabs." + std::to_string(kind);
    ASSERT_TRUE(ExportTo(drawing, kind, path)) << kind;
    const std::string bytes = ReadFileBytes(path);
    EXPECT_NE(bytes.find("Price:  12"), std::string::npos) << kind;
    EXPECT_NE(bytes.find("Sum     34"), std::string::npos) << kind;
    EXPECT_EQ(bytes.find("Price:\t"), std::string::npos) << kind;
  }
}
