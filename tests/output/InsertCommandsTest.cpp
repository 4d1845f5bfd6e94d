// Open, Import and Insert: the text file rules, bitmap and text placement, drawing insertion and
// the messages of each failure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/InsertCommands.h"
#include "output/RoundTripDrawing.h"
#include "support/BmpBuilder.h"
#include "support/TestSupport.h"

namespace {

// Collects the messages and installs the fixed fonts (every character half an em).
class InsertCommands : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = TestWorkDir("InsertCommands"); }
  std::string File(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }

  roundtrip::ScopedFixedFonts fonts_;
  MessageLog log_;
  std::string dir_;
};

using roundtrip::kHead;
using roundtrip::kTail;
// A box and a text in a font nobody has.
const char kBody[] =
    "0 0 10 10 [1 0 0 1 0 0] Bx\ns\n/_NoSuchFont 10 11 0 1 z\n[1 0 0 1 0 0] e\n(one) t\nT\n";

// A 24-bit bottom-up BMP of w x h pixels, all one colour.
std::string Bmp(int32_t w, int32_t h) {
  bmptest::Bmp plan;
  plan.width = w, plan.height = h, plan.pixels.assign(size_t(((w * 3 + 3) & ~3) * h), 0x40);
  const bmptest::Bytes b = bmptest::Build(plan);
  return std::string(b.begin(), b.end());
}

std::string Convert(const std::string& bytes, std::string* message = nullptr) {
  std::string text, m;
  EXPECT_EQ(ConvertTextFileBytes(bytes, "t.txt", &text, &m), 1) << m;
  if (message) *message = m;
  return text;
}

}  // namespace

TEST_F(InsertCommands, TextFileBytesBecomeParagraphs) {
  EXPECT_EQ(Convert("a\n\nb\n"), "a\r\rb");
  EXPECT_EQ(Convert("a\r\n\r\nb\r\n"), "a\r\rb");  // CR LF reads as LF
  EXPECT_EQ(Convert("one\ntwo\n\n\nthree\n\n"), "one\ntwo\r\r\nthree\r\r");
  EXPECT_EQ(Convert("\n"), "");
  EXPECT_EQ(Convert("a\rb"), "a\rb");  // a lone CR is a paragraph end already
  // Valid UTF-8 becomes code page 1252 (a mark of the encoding dropped, characters the code page
  // lacks a "?"); anything else is taken as code page 1252 bytes as they are.
  EXPECT_EQ(Convert("caf\xC3\xA9 \xE2\x82\xAC\n"), "caf\xE9 \x80");
  EXPECT_EQ(Convert("\xEF\xBB\xBFx \xE4\xB8\xAD"), "x ?");
  EXPECT_EQ(Convert("caf\xE9 \x80\n"), "caf\xE9 \x80");
  EXPECT_EQ(Convert("\xC0\xAF"), "\xC0\xAF");  // an overlong form is not UTF-8
  // A NUL would cut the text short.
  EXPECT_EQ(Convert(std::string("a\0b", 3)), "ab");
}

TEST_F(InsertCommands, TextFileInsertion) {
  Drawing drawing;
  drawing.AddShape(new BoxShape(0, 0, 5, 5));
  drawing.Select(drawing.shapes()[0]);
  const ViewToPage view = PageTopLeftMapping(drawing);
  ASSERT_EQ(InsertTextFile(drawing, File("t.txt", "ab cd\nefgh\n"), view), 1);
  ASSERT_EQ(drawing.shapes().Count(), 2);
  ASSERT_EQ(drawing.shapes()[1]->Kind(), kTextShape);
  const auto* t = static_cast<TextShape*>(drawing.shapes()[1]);
  EXPECT_TRUE(drawing.selection().Count() == 1 && drawing.selection()[0] == t);
  EXPECT_EQ(t->font(), TheFontManager()->DefaultFace()->PostScriptName());
  // As wide as its widest line (5 characters of 12 points), which keeps the file's lines; its
  // top-left 10 points right of and 30 points below the page's top-left corner.
  EXPECT_EQ(std::string(t->text()), "ab cd\nefgh");
  EXPECT_NEAR(t->frame().x2, 60, 1e-3);
  EXPECT_EQ(V(t->size(), t->leading(), t->matrix().tx, t->matrix().ty, drawing.modified),
            V(24, 26, 10, 792 - 30, 1));
  EXPECT_TRUE(log_.texts.empty());

  // Exactly 32000 bytes go in; one more is refused, as are empty and missing files.
  EXPECT_EQ(InsertTextFile(drawing, File("max.txt", std::string(32000, 'x')), view), 1);
  EXPECT_EQ(drawing.shapes().Count(), 3);
  const std::string big = File("big.txt", std::string(32001, 'x'));
  const std::string empty = File("empty.txt", ""), gone = dir_ + "/gone.txt";
  // (A directory has no text to read.)
  for (const std::string& f : {big, empty, gone, dir_})
    EXPECT_EQ(InsertTextFile(drawing, f, view), 0);
  EXPECT_EQ(log_.texts, (std::vector<std::string>{"Text file " + big + " is too large",
                                                  "Text file " + empty + " is empty",
                                                  "Can't access " + gone, "Can't access " + dir_}));
  EXPECT_EQ(drawing.shapes().Count(), 3);
}

TEST_F(InsertCommands, BitmapInsertion) {
  Drawing drawing;
  const std::string bmp = File("p.bmp", Bmp(3, 2));
  ASSERT_EQ(InsertBitmapFile(drawing, bmp, PageTopLeftMapping(drawing)), 1);
  ASSERT_EQ(drawing.shapes().Count(), 1);
  EXPECT_EQ(V(drawing.shapes()[0]->Kind(), drawing.selection().Count()), V(kImageShape, 1));
  // A point per pixel; the top-left corner 10 points in from the page's top-left corner.
  const Matrix& m = drawing.shapes()[0]->matrix();
  EXPECT_EQ(V(m.a, m.b, m.c, m.d, m.tx, m.ty), V(3, 0, 0, 2, 10, 792 - 10 - 2));

  const std::string bad = File("bad.bmp", "BMnot really");
  EXPECT_EQ(InsertBitmapFile(drawing, bad, PageTopLeftMapping(drawing)), 0);
  EXPECT_EQ(log_.texts, std::vector<std::string>{"Can't insert bitmap " + bad});
  EXPECT_EQ(drawing.shapes().Count(), 1);
}

TEST_F(InsertCommands, DrawingInsertionSelectsWithoutFontReports) {
  Drawing drawing;
  drawing.landscape = 1;
  drawing.grid.hSpacing = 20;
  drawing.AddShape(new BoxShape(0, 0, 5, 5));
  drawing.Select(drawing.shapes()[0]);
  const std::string path = File("in.qlx", kHead + std::string(kBody) + kTail);
  ASSERT_EQ(InsertDrawingFile(drawing, path), 1);
  ASSERT_EQ(V(drawing.shapes().Count(), drawing.selection().Count()), V(3, 2));
  EXPECT_EQ(drawing.shapes()[2]->Kind(), kTextShape);
  EXPECT_TRUE(drawing.selection()[0] == drawing.shapes()[1] &&
              drawing.selection()[1] == drawing.shapes()[2]);
  EXPECT_EQ(drawing.status, "2 objects selected");
  EXPECT_TRUE(log_.texts.empty());  // the missing font is not reported
  // The drawing keeps its own page setup.
  EXPECT_EQ(V(drawing.landscape, drawing.grid.hSpacing), V(1, 20));

  // A file cut short: the message, and nothing of it is inserted.
  const std::string cut = File("cut.qlx", kHead + std::string(kBody));
  EXPECT_EQ(InsertDrawingFile(drawing, cut), 0);
  EXPECT_EQ(log_.texts,
            std::vector<std::string>{"An error has occurred while inserting drawing file\n" + cut});
  EXPECT_EQ(V(drawing.shapes().Count(), drawing.selection().Count()), V(3, 2));
}

TEST_F(InsertCommands, OpenAndImport) {
  const std::string path = File("in.qlx", kHead + std::string(kBody) + kTail);
  Drawing drawing;
  drawing.AddShape(new BoxShape(0, 0, 5, 5));
  drawing.Select(drawing.shapes()[0]);
  drawing.Align(0);  // something in the undo history
  drawing.defaultStyle.lineWidth = 7;
  ASSERT_EQ(drawing.undo().UndoCount(), 1);
  ASSERT_EQ(OpenDrawing(drawing, path), 1);
  EXPECT_EQ(V(drawing.shapes().Count(), drawing.selection().Count(), drawing.undo().UndoCount(),
              drawing.defaultStyle.lineWidth, drawing.modified, drawing.grid.snap),
            V(2, 0, 0, 1, 0, 1));
  EXPECT_EQ(drawing.path, path);
  EXPECT_EQ(log_.texts, std::vector<std::string>{
                            "Can't find font \"NoSuchFont\"\nAnother font will be substituted."});

  // A failed read keeps what was read and forgets the name.
  log_.texts.clear();
  const std::string cut = File("cut.qlx", kHead + std::string(kBody));
  EXPECT_EQ(OpenDrawing(drawing, cut), 0);
  EXPECT_EQ(drawing.shapes().Count(), 2);
  EXPECT_EQ(drawing.path + "|" + log_.texts.at(0), "|An error has occurred while opening\n" + cut);

  // Import names the drawing after the file with the native extension and marks it modified.
  const std::string ai = File("art.v1.ai", kHead + std::string(kBody) + kTail);
  ASSERT_EQ(ImportDrawing(drawing, ai), 1);
  EXPECT_EQ(drawing.path, dir_ + "/art.v1.QLX");
  EXPECT_EQ(V(drawing.modified, drawing.shapes().Count()), V(1, 2));
  EXPECT_EQ(ImportDrawing(drawing, ai, kFileBitmap), 0);  // not an import kind
  EXPECT_EQ(drawing.path + std::to_string(drawing.shapes().Count()), "0");
  // The dot of a directory is no extension.
  EXPECT_EQ(NativeFileName("/a/x.wmf") + NativeFileName("/a.d/x") + NativeFileName("x"),
            "/a/x.QLX/a.d/x.QLXx.QLX");
}
