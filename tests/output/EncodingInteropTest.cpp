// Every code page 1252 character in a TrueType face comes back as itself when Ghostscript reads
// our EPS (the font left to the printer, as Type 42 and as Type 3) and our PDF, and when poppler
// reads the PDF: the encoding the files give names the glyph for each code.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fonts/FontManager.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "platform/fontsys/Cp1252.h"
#include "support/OutputTestSupport.h"

namespace {

// Codes 32..255 that code page 1252 defines, sixteen a row, rows ended by CR.
std::vector<std::string> Rows() {
  std::vector<std::string> rows;
  for (int first = 32; first < 256; first += 16) {
    std::string row;
    for (int c = first; c < first + 16; ++c)
      if (c != 127 && c != 129 && c != 141 && c != 143 && c != 144 && c != 157)
        row.push_back(char(c));
    rows.push_back(row);
  }
  return rows;
}

// The non-blank characters of each line of UTF-8 text, blank lines dropped: extraction tools
// differ in how they space glyphs, not in which glyphs they find.
std::vector<std::string> Lines(const std::string& utf8) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i <= utf8.size(); ++i) {
    const char c = i < utf8.size() ? utf8[i] : '\n';
    if (c == '\n' || c == '\r' || c == '\f') {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    } else if (c != ' ') {
      line.push_back(c);
    }
  }
  // Ghostscript names an unembedded font's glyphs by its own reading of the font's cmap, which
  // gives a glyph shared by two characters the later one; these pairs are one glyph each.
  for (std::string& l : lines) {
    for (auto [from, to] : {std::pair{"\xC2\xA0", ""}, {"\xC2\xAD", "-"}, {"\xCD\xBE", ";"}}) {
      for (size_t at; (at = l.find(from)) != std::string::npos;) l.replace(at, 2, to);
    }
  }
  return lines;
}

}  // namespace

TEST(EncodingInterop, EveryCodePageCharacterReadsBack) {
  if (!HaveTool("gs") || !HaveTool("pdftotext")) GTEST_SKIP() << "gs or pdftotext missing";
  testfonts::ScopedSystemFonts systemFonts;
  FontFace* face = TheFontManager() ? TheFontManager()->FindFace("LiberationSans") : nullptr;
  if (!face) GTEST_SKIP() << "Liberation Sans missing";

  std::string text;
  for (const std::string& row : Rows()) text += row + "\r";
  text.pop_back();
  Drawing drawing;
  drawing.path = "/tmp/encoding.qlx";
  auto* shape = new TextShape(text.c_str(), face->PostScriptName(), 12, 20, 0);
  shape->SetFrame(0, 0, 400, -300);
  shape->SetMatrix(1, 0, 0, 1, 72, 700);
  ASSERT_EQ(drawing.AddShape(shape), 1);
  // Soft hyphen and no-break space are drawn as the hyphen and the space, as in the PDF's own
  // WinAnsiEncoding; the rest is the text itself.
  std::string drawn = text;
  for (char& c : drawn) c = c == '\xA0' ? ' ' : c == '\xAD' ? '-' : c;
  const std::vector<std::string> expected = Lines(Cp1252ToUtf8(drawn));

  const std::string dir = TestWorkDir("encoding_interop");
  const struct {
    const char* name;
    int32_t kind, embed, type42;
  } outputs[] = {{"plain.eps", kExportEps, 0, 0},
                 {"type42.eps", kExportEps, 1, 1},
                 {"type3.eps", kExportEps, 1, 0},
                 {"doc.pdf", kExportPdf, 0, 0}};
  for (const auto& o : outputs) {
    const std::string path = dir + "/" + o.name;
    ASSERT_TRUE(
        ExportTo(drawing, o.kind, path, ExportOptions{.includeFonts = o.embed, .type42 = o.type42}))
        << o.name;
    const std::string txt = path + ".txt";
    ExpectGhostscriptClean("-sDEVICE=txtwrite -sOutputFile=" + txt + " " + path, txt + ".log",
                           false);
    EXPECT_EQ(Lines(ReadFileBytes(txt)), expected) << o.name;
  }
  const std::string pdf = dir + "/doc.pdf";
  ASSERT_EQ(RunCommand("pdftotext -enc UTF-8 " + pdf + " " + pdf + ".poppler"), 0);
  EXPECT_EQ(Lines(ReadFileBytes(pdf + ".poppler")), expected);
}
