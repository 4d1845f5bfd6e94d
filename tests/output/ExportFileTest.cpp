#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fonts/FontManager.h"
#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/InkBounds.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/OutputSink.h"
#include "support/OutputTestSupport.h"

namespace {

// A face whose download writes a marker (without a final line end) or fails.
class FakeFace : public FontFace {
 public:
  FakeFace(const std::string& psName, int32_t style, bool trueType, bool downloads = true)
      : FontFace(psName, psName, style), trueType_(trueType), downloads_(downloads) {}
  int32_t IsTrueType() const override { return trueType_ ? 1 : 0; }
  const FaceMetrics* Metrics() override { return &metrics_; }
  int32_t Download(OutputSink* sink, int32_t type42) override {
    if (!downloads_) return 0;
    if (std::string(PostScriptName()) == "EofFont") {
      // A font program written as a file of its own.
      sink->WriteString("%!PS-AdobeFont-1.0: EofFont\r\n/x 1 def\r\n%%EOF\r\n");
      return 1;
    }
    sink->WriteString(type42 ? "%font42 " : "%font3 ");
    sink->WriteString(PostScriptName());
    return 1;
  }

 private:
  bool trueType_;
  bool downloads_;
  FaceMetrics metrics_{};
};

// Installs the fake faces (owning them) and the message collector for one test.
std::unique_ptr<FontManager> Owning(const std::vector<FontFace*>& faces) {
  auto fonts = std::make_unique<testfonts::FixedFonts>();
  for (FontFace* f : faces) fonts->Add(std::unique_ptr<FontFace>(f));
  return fonts;
}
struct FontScope : testfonts::ScopedFonts {
  explicit FontScope(const std::vector<FontFace*>& faces) : ScopedFonts(Owning(faces)) {}
  MessageLog log;
};

// The bounding box line grown by b (the border plus one half): of what the drawing paints for
// exports, of the shapes' bounds for the native file.
std::string Box(Drawing& drawing, float b, bool native = false) {
  Rect e = native ? drawing.Extent() : InkBoundsOfList(drawing.shapes());
  return "%%BoundingBox: " + std::to_string(int(e.x1 - b)) + " " + std::to_string(int(e.y1 - b)) +
         " " + std::to_string(int(e.x2 + b)) + " " + std::to_string(int(e.y2 + b)) + "\r\n";
}

}  // namespace

TEST(ExportFile, DownloadFontsSkipsResidentAndSubstitutedFonts) {
  FontScope scope({new FakeFace("Times-Roman", 0, false), new FakeFace("Symbol", 0, true),
                   new FakeFace("Nimbus", 0, false), new FakeFace("Broken", 0, true, false),
                   new FakeFace("EofFont", 0, false)});
  StringSink sink;
  EXPECT_EQ(DownloadFonts(&sink, {"Times-Roman", "Symbol", "Nimbus", "Helvetica"}, 0, 1), 1);
  // A TrueType face named like a resident font is still embedded; a resident Type 1 font and
  // an unknown resident name are not.
  EXPECT_EQ(sink.text,
            "%%BeginResource: font Symbol\r\n%font42 Symbol\r\n%%EndResource\r\n"
            "%%BeginResource: font Nimbus\r\n%font42 Nimbus\r\n%%EndResource\r\n");
  sink.text.clear();
  EXPECT_EQ(DownloadFonts(&sink, {"Symbol", "Nimbus", "Broken"}, 1, 0), 1);
  EXPECT_EQ(sink.text, "%%BeginResource: font Nimbus\r\n%font3 Nimbus\r\n%%EndResource\r\n");
  sink.text.clear();
  EXPECT_EQ(DownloadFonts(&sink, {"Broken", "Missing"}, 0, 0), 0);
  EXPECT_EQ(sink.text,
            "%%BeginResource: font Broken\r\n%%EndResource\r\n"
            "%%BeginResource: font Missing\r\n%%EndResource\r\n");
  EXPECT_EQ(scope.log.texts,
            (std::vector<std::string>{"Error downloading Broken", "Error downloading Missing"}));
  // An "%%EOF" inside the document would end it for spoolers.
  sink.text.clear();
  EXPECT_EQ(DownloadFonts(&sink, {"EofFont"}, 0, 0), 1);
  EXPECT_EQ(sink.text,
            "%%BeginResource: font EofFont\r\n%!PS-AdobeFont-1.0: EofFont\r\n"
            "/x 1 def\r\n%%EndResource\r\n");
}

TEST(ExportFile, ExportKindsFontsAndSubstitution) {
  FontScope scope({new FakeFace("Arial-BoldMT", kStyleBold, true),
                   new FakeFace("OddSans-BoldItalic", 17, true),
                   new FakeFace("Times-Roman", 0, false)});
  Drawing drawing;
  drawing.AddShape(new BoxShape(0, 0, 10, 10));
  drawing.AddShape(new TextShape("a", "Arial-BoldMT", 12, 13, 0));
  drawing.AddShape(new TextShape("b", "OddSans-BoldItalic", 12, 13, 0));

  ExportOptions options;
  options.includeFonts = 1;
  options.substitutePsFonts = 1;
  StringSink ps;
  ASSERT_EQ(ExportFile(drawing, kExportPostScript, &ps, options), 1);
  for (const char* part :
       {"%%DocumentFonts: Helvetica-Bold\r\n%%+ Helvetica-BoldOblique\r\n",
        "WinAnsiEncoding /_Helvetica-Bold /Helvetica-Bold RE\r\n",
        "/_Helvetica-Bold 12 13 0 0 z\r\n", "/_Helvetica-BoldOblique 12 13 0 0 z\r\n"})
    EXPECT_TRUE(Contains(ps.text, part)) << part;
  EXPECT_FALSE(Contains(ps.text, "%%BeginResource: font") || Contains(ps.text, "Arial"));

  // Without substitution the TrueType fonts are embedded in the prolog, before the procset.
  options.substitutePsFonts = 0;
  options.type42 = 1;
  StringSink embedded;
  ASSERT_EQ(ExportFile(drawing, kExportEps, &embedded, options), 1);
  EXPECT_TRUE(Contains(embedded.text,
                       "%%BeginProlog\r\n%%BeginResource: font Arial-BoldMT\r\n"
                       "%font42 Arial-BoldMT\r\n%%EndResource\r\n"));
  EXPECT_FALSE(Contains(embedded.text, "%%IncludeFont"));

  StringSink none;
  EXPECT_EQ(ExportFile(drawing, 2, &none, ExportOptions()), 0);
  EXPECT_EQ(ExportFile(drawing, 7, &none, ExportOptions()), 0);
  EXPECT_TRUE(none.text.empty() && scope.log.texts.empty());
}

TEST(ExportFile, SaveKeepsOldFileAndModifiedFlagOnFailure) {
  FontScope scope({new FakeFace("Arial-BoldMT", kStyleBold, true)});
  std::string dir = TestWorkDir("ExportFileSave");
  Drawing drawing;
  drawing.AddShape(new BoxShape(0, 0, 100, 50));
  drawing.AddShape(new TextShape("a", "Arial-BoldMT", 12, 13, 0));
  drawing.SetModified();
  // Saving never embeds or substitutes fonts and always uses a 9-point border.
  ExportOptions& o = TheExportOptions();
  o.includeFonts = 1, o.substitutePsFonts = 1, o.border = 50;
  std::string path = dir + "/one.qlx";
  ASSERT_EQ(SaveDrawing(drawing, path), 1);
  TheExportOptions() = ExportOptions();
  EXPECT_EQ(drawing.path + std::to_string(drawing.modified), path + "0");
  std::string saved = ReadFileBytes(path);
  for (const std::string& part : {std::string("%%Title: one.qlx\r\n"), Box(drawing, 9.5f, true),
                                  std::string("%%IncludeFont: Arial-BoldMT\r\n")})
    EXPECT_TRUE(Contains(saved, part)) << part;
  EXPECT_FALSE(Contains(saved, "%%BeginResource: font"));

  // A target that cannot be replaced (a directory) and one in a missing directory: the message,
  // the old contents, the old path and the modified flag all stay.
  std::filesystem::create_directory(dir + "/taken.qlx");
  WriteFileBytes(dir + "/taken.qlx/inside", "old");
  drawing.SetModified();
  EXPECT_EQ(SaveDrawing(drawing, dir + "/taken.qlx"), 0);
  EXPECT_EQ(SaveDrawing(drawing, dir + "/missing/two.qlx"), 0);
  EXPECT_EQ(drawing.path + std::to_string(drawing.modified), path + "1");
  EXPECT_EQ(ReadFileBytes(dir + "/taken.qlx/inside"), "old");
  EXPECT_EQ(scope.log.texts,
            (std::vector<std::string>{"Unable to write to " + dir + "/taken.qlx",
                                      "Unable to write to " + dir + "/missing/two.qlx"}));
  std::vector<std::string> left;
  for (auto& e : std::filesystem::directory_iterator(dir)) left.push_back(e.path().filename());
  EXPECT_EQ(left.size(), 2u) << "no temporary file stays behind";

  // Export: EPS takes the options' border (clamped), other kinds 9 points.
  ExportOptions options;
  options.border = 100;
  ASSERT_EQ(ExportDrawing(drawing, kExportEps, dir + "/x.eps", options), 1);
  EXPECT_TRUE(Contains(ReadFileBytes(dir + "/x.eps"), Box(drawing, 72.5f)));
  ASSERT_EQ(ExportDrawing(drawing, kExportPostScript, dir + "/x.ps", options), 1);
  EXPECT_TRUE(Contains(ReadFileBytes(dir + "/x.ps"), Box(drawing, 9.5f)));
  EXPECT_EQ(drawing.modified, 1);  // exporting does not save
}
