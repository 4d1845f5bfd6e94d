#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/ContainerShapes.h"
#include "model/Drawing.h"
#include "model/ImageShape.h"
#include "model/PathShapes.h"
#include "model/SimpleShapes.h"
#include "model/TextShape.h"
#include "output/PsReader.h"
#include "output/RoundTripDrawing.h"
#include "support/TestSupport.h"

namespace {

using roundtrip::kHead;
using roundtrip::kTail;

// A reader run over a whole file (or over a body between kHead and kTail), keeping what it read.
struct Result {
  explicit Result(const std::string& file) {
    ok = PsReader().Read(file.data(), file.size(), &shapes, &page, &missing);
  }
  int32_t ok = 0;
  ShapeList shapes;
  PageInfo page;
  std::vector<std::string> missing;
  ~Result() { DestroyShapes(&shapes); }
  Shape* at(int32_t i) const { return i < shapes.Count() ? shapes[i] : nullptr; }
};

std::string Body(const std::string& body) { return kHead + body + kTail; }

// kHead with `from` replaced by `to`.
std::string Head(const char* from, const char* to) {
  std::string head = kHead;
  return head.replace(head.find(from), std::strlen(from), to);
}

template <typename T>
const T& As(const Shape* s) {
  EXPECT_NE(s, nullptr);
  return *static_cast<const T*>(s);
}

}  // namespace

TEST(PsReader, HeaderSetupAndRefusals) {
  Result r(Body(""));
  EXPECT_EQ(V(r.ok, r.shapes.Count()), V(1, 0));  // the page setup's path lines are skipped
  EXPECT_EQ(V(r.page.landscape, r.page.grid[0], r.page.grid[1], r.page.grid[2]), V(0, 6, 7, 1));
  EXPECT_EQ(Result(Head("Portrait", "Landscape") + kTail).page.landscape, 1);
  // Version 1.0 (also written 1.04) is refused; 2.0 is read.
  for (const char* v : {"1.0", "1", "1.04"}) {
    Result o(Head("3.1", v) + "0 0 10 10 [1 0 0 1 0 0] Bx\ns\n" + kTail);
    EXPECT_EQ(V(o.ok, o.shapes.Count()), V(0, 0)) << v;
  }
  EXPECT_EQ(Result(Head("3.1", "2.0") + kTail).ok, 1);
  // Without "%%EndProlog" nothing is read; a file that ends early keeps its shapes.
  Result none("%!PS-Adobe-3.0\n0 0 10 10 [1 0 0 1 0 0] Bx\ns\n");
  EXPECT_EQ(V(none.ok, none.shapes.Count()), V(0, 0));
  Result cut(std::string(kHead) + "0 0 10 10 [1 0 0 1 0 0] Bx\ns\n5 5 1 1 [1 0 0 1 0 0] Ov\n");
  EXPECT_EQ(V(cut.ok, cut.shapes.Count(), Result("").ok), V(0, 1, 0));
}

TEST(PsReader, LineEndsAndLongLines) {
  const std::string file = Body("0.5 0 0 0 k\n20 10 5 5 [1 0 0 1 3 4] Bx\nb\n0 0 m\n5 5 L\nS\n");
  Result lf(file);
  ASSERT_EQ(V(lf.ok, lf.shapes.Count()), V(1, 2));
  for (const char* end : {"\r\n", "\r"}) {
    std::string other;
    for (char c : file) c == '\n' ? other += end : other += c;
    Result r(other);
    EXPECT_EQ(V(r.ok, r.page.grid[0]), V(1, 6));
    EXPECT_EQ(roundtrip::CompareShapeLists(lf.shapes, r.shapes), "") << int(end[1]);
  }
  // Statements of any length: a polygon line padded far beyond 255 characters, a long text.
  const std::string pad(100000, ' ');
  const std::string words(5000, 'w');
  Result r(Body("1" + pad + "2 m\n3 4" + pad + "L\nS\n[1 0 0 1 0 0] e\n(" + words + ") t\nT\n"));
  ASSERT_EQ(r.shapes.Count(), 2);
  const auto& p = As<PolygonShape>(r.at(0));
  ASSERT_EQ(p.points.Count(), 2);
  EXPECT_EQ(p.points[1].x, 3);
  EXPECT_EQ(std::string(As<TextShape>(r.at(1)).text()), words);
}

TEST(PsReader, PolygonsAndCurves) {
  Result r(Body(
      // The writer's closed triangle repeats its first point: "n" drops it, "N" keeps it open.
      "0 0 m\n10 0 L\n10 10 L\n0 0 L\nn\n0 0 m\n10 0 L\n10 10 L\n0 0 L\nN\n"
      // Fewer than three points stay open; a painted path is used up.
      "0 0 m\n5 5 l\nf\nS\n"
      // A closed path from another program that does not repeat its first point keeps them all.
      "0 0 m\n10 0 L\n10 10 L\nf\n"
      // "W" discards the path.
      "0 0 m\n10 0 L\nW\nS\n"
      // The writer's closed curve of three nodes.
      "0 0 m\n1 2 3 4 10 0 c\n11 2 13 4 10 10 C\n9 12 -1 3 0 0 c\nb\n"
      // v and y segments, open.
      "0 0 m\n1 1 5 5 v\n6 6 9 9 Y\n3 3 1 1 V\n2 2 4 4 y\nS\n"
      // v and y need a current point.
      "1 1 5 5 v\n2 2 4 4 y\nS\n"));
  ASSERT_EQ(r.shapes.Count(), 6);
  std::vector<double> polys;
  for (int32_t i = 0; i < 4; ++i) {
    const auto& p = As<PolygonShape>(r.at(i));
    polys.insert(polys.end(), {double(p.closed), double(p.points.Count())});
  }
  EXPECT_EQ(polys, V(1, 3, 0, 4, 0, 2, 1, 3));
  EXPECT_EQ(V(r.at(0)->style().fillOn, r.at(0)->style().strokeOn), V(0, 0));

  const auto& blob = As<CurveShape>(r.at(4));
  ASSERT_EQ(V(blob.closed, blob.nodes.Count()), V(1, 3));
  // The first node's incoming control comes back from the closing segment.
  const CurveNode* b = &blob.nodes[0];
  EXPECT_EQ(V(b[0].inX, b[0].inY, b[0].outX, b[0].outY), V(-1, 3, 1, 2));
  EXPECT_EQ(V(b[1].inX, b[1].outX, b[1].corner, b[2].corner, b[2].outX), V(3, 11, 0, 1, 9));

  const auto& vy = As<CurveShape>(r.at(5));
  ASSERT_EQ(V(vy.closed, vy.nodes.Count()), V(0, 5));
  // "v": the first control on the current point; "Y": the second control on the end point.
  const CurveNode* n = &vy.nodes[0];
  EXPECT_EQ(V(n[0].outX, n[1].inX, n[1].x, n[1].outX, n[2].inX), V(0, 1, 5, 6, 9));
  EXPECT_EQ(V(n[2].corner, n[3].corner, n[3].inX, n[4].corner, n[3].outX), V(1, 1, 3, 0, 2));
}

TEST(PsReader, BadImageSizes) {
  // Sizes that are not positive are skipped and the read goes on.
  Result skipped(Body("[1 0 0 1 0 0] -1 5 img\n[1 0 0 1 0 0] 0 0 img\n0 0 m\n1 1 L\nS\n"));
  ASSERT_EQ(V(skipped.ok, skipped.shapes.Count()), V(1, 1));
  EXPECT_EQ(skipped.at(0)->Kind(), kPolygonShape);
  // An image larger than the file fails the read: its pixel line is not taken for a statement,
  // nor is anything after it; earlier shapes stay.
  Result r(Body("0 0 m\n1 1 L\nS\n[1 0 0 1 0 0] 100 100 img\n0a0b0c\n0 0 m\n2 2 L\nS\n"));
  ASSERT_EQ(V(r.ok, r.shapes.Count()), V(0, 1));
  EXPECT_EQ(r.at(0)->Kind(), kPolygonShape);
}

TEST(PsReader, TextsAndMissingFonts) {
  roundtrip::ScopedFixedFonts fonts;
  Result r(
      Body("0 1 1 0 k\n/_ArialMT 12 13 0 3 z\n[1 0 0 1 50 60] e\n1 -20 0 10 tbx\n"
           "(a\\(b\\)) t\n(c\\\\d\\351) Tx\n(\\r) TX\n(next\\n) t\n() t\n(x) t\nT\n"
           // Unknown fonts are listed once and kept by name (the default face stands in).
           "/_NoSuchFont 10 11 0 1 z\n[1 0 0 1 0 0] e\n(one) t\nT\n"
           "/NoSuchFont 10 11 0 2 z\n[1 0 0 1 0 0] e\n(two) t\nT\n"
           // An empty accumulator makes nothing; "e" starts a new text.
           "T\n(lost) t\n[1 0 0 1 0 0] e\n(kept) t\nT\n"
           // A statement of a group end mark that starts with "(" is a text line.
           "[1 0 0 1 0 0] e\n(A) U\n(B) *U\nT\n"
           // A bad alignment keeps the one before; the line's font and sizes are taken.
           "/_Times-Roman 14 15 0 7 z\n[1 0 0 1 0 0] e\n(a) t\nT\n"));
  ASSERT_EQ(r.shapes.Count(), 6);
  const auto& t = As<TextShape>(r.at(0));
  // (The frame is narrower than any word, so the layout keeps every break.)
  EXPECT_EQ(std::string(t.text()), "a(b)\nc\\d\xe9\rnext\\n\n\nx");
  EXPECT_EQ(t.font(), "ArialMT");
  EXPECT_EQ(V(t.size(), t.leading(), t.alignment(), t.matrix().tx, t.frame().x1, t.frame().y1),
            V(12, 13, 3, 50, 0, 10));
  EXPECT_EQ(t.style().fillColor, (Color{100, 0, 0}));

  EXPECT_EQ(r.missing, (std::vector<std::string>{"NoSuchFont", "Times-Roman"}));
  EXPECT_EQ(As<TextShape>(r.at(1)).font() + As<TextShape>(r.at(3)).text() + "|" +
                As<TextShape>(r.at(4)).text() + "|" + As<TextShape>(r.at(5)).font(),
            "NoSuchFontkept|A\nB|Times-Roman");
  const auto& bad = As<TextShape>(r.at(5));
  EXPECT_EQ(V(As<TextShape>(r.at(2)).alignment(), bad.size(), bad.leading(), bad.alignment()),
            V(2, 14, 15, 2));

  // An Illustrator text: "Tp" matrix, "Tf" font, no box; its frame is as wide as its widest
  // line, so the layout keeps the file's line breaks.
  Result ai(
      Body("0 1 -1 0 100 200 0 Tp\n/_TimesNewRomanPS-BoldMT 10 Tf\n(aaaa bb) Tj\n(cc dd) Tx\n"
           "(eeeeee) Tx\nTO\n0 1 -1 0 100 200 0 Tp\n(aaaa bb) Tj\n(cc) Tx\n(d) Tx\nTO\n"));
  ASSERT_EQ(ai.shapes.Count(), 2);
  const auto& a = As<TextShape>(ai.at(0));
  EXPECT_EQ(a.font() + "|" + a.text(), "TimesNewRomanPS-BoldMT|aaaa bb\ncc dd\neeeeee");
  // Where no frame width can keep them ("cc d" fits beside "aaaa bb"), the breaks are hard.
  EXPECT_EQ(std::string(As<TextShape>(ai.at(1)).text()), "aaaa bb\rcc\rd");
  EXPECT_EQ(V(a.size(), a.matrix().c, a.matrix().tx), V(10, -1, 100));
  EXPECT_TRUE(ai.missing.empty());
}

TEST(PsReader, GroupsAndCompoundPaths) {
  const std::string box = "0 0 1 1 [1 0 0 1 0 0] Bx\ns\n";
  // An end mark without its begin loses nothing: the shapes around it stay in the list.
  Result unbalanced(kHead + box + "U\n*U\n" + box + kTail);
  EXPECT_EQ(V(unbalanced.ok, unbalanced.shapes.Count()), V(1, 2));
  // A file that ends inside a group keeps the group's shapes.
  Result cut(kHead + box + "u\n" + box + "*u\n" + box);
  ASSERT_EQ(V(cut.ok, cut.shapes.Count()), V(0, 2));
  const auto& open = As<GroupShape>(cut.at(1));
  ASSERT_EQ(open.children()->Count(), 2);
  EXPECT_EQ((*open.children())[1]->Kind(), kCompoundShape);
}

TEST(PsReader, MissingFontNamesAreCutForTheMessage) {
  MessageLog log;
  ReportMissingFonts({"Short", std::string(80, 'F')});
  EXPECT_EQ(log.texts, (std::vector<std::string>{
                           "Can't find font \"Short\"\nAnother font will be substituted.",
                           "Can't find font \"" + std::string(64, 'F') +
                               "\"\nAnother font will be substituted."}));
}

TEST(PsReader, StreamedFileReadsAsTheSameBytesInMemory) {
  // The file reader streams through a 1 MiB buffer: a CR LF split by the buffer's end, a line
  // longer than the buffer and an image behind it must read exactly as from memory.
  const std::string shape = "0 0 m\r\n1 1 L\r\nS\r\n";
  std::string file = kHead;
  while (file.size() < 1000000) file += shape;
  file += "%" + std::string((size_t(1) << 20) - 1 - file.size() - 1, 'x') + "\r\n";
  // The CR is the buffer's last byte, its LF the next buffer's first.
  EXPECT_EQ(file[(size_t(1) << 20) - 1], '\r');
  file += "[1 0 0 1 0 0] e\r\n(" + std::string(2500000, 'w') + ") t\r\nT\r\n";
  file += "[1 0 0 1 0 0] 1 1 img\r\n0a0b0c" + std::string(1530, '0') + "\r\n" + shape + kTail;
  const std::string path = TestWorkDir("PsReaderStream") + "/big.qlx";
  ASSERT_TRUE(WriteFileBytes(path, file));

  Result memory(file), streamed(""), cut("");
  PsReader reader;
  streamed.ok = reader.ReadFile(path.c_str(), &streamed.shapes, &streamed.page, nullptr);
  EXPECT_EQ(V(memory.ok, streamed.ok), V(1, 1));
  ASSERT_GT(memory.shapes.Count(), 1000);
  EXPECT_EQ(roundtrip::CompareShapeLists(memory.shapes, streamed.shapes), "");
  const Shape* image = streamed.at(streamed.shapes.Count() - 2);
  ASSERT_EQ(image->Kind(), kImageShape);
  EXPECT_EQ(static_cast<const ImageShape*>(image)->image.pixels[2], 0x0c);

  // Cut inside the long line: the shapes before it stay, nothing past the end is read.
  ASSERT_TRUE(WriteFileBytes(path, file.substr(0, 2000000)));
  cut.ok = reader.ReadFile(path.c_str(), &cut.shapes, &cut.page, nullptr);
  EXPECT_EQ(V(cut.ok, cut.shapes.Count()), V(0, memory.shapes.Count() - 3));
}

TEST(PsReader, NumbersBeyondADouble) {
  // Too small for a double reads as zero; too large is refused and the width stays 5.
  const struct {
    const char* number;
    float width;
  } kCases[] = {{"1e-400", 0},    {"-1e-400", 0},       {"1e-50", 0},
                {"1e400", 5},     {"0.0000001e400", 5}, {"123456789012345678901234e-430", 0},
                {"0.5e-1", 0.05f}};
  for (const auto& c : kCases) {
    Result r(Body(std::string("5 w\n") + c.number + " w\n0 0 m\n1 1 L\nS\n"));
    ASSERT_EQ(r.shapes.Count(), 1) << c.number;
    EXPECT_EQ(r.at(0)->style().lineWidth, c.width) << c.number;
  }
}
