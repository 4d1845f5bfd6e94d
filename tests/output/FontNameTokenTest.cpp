#include <gtest/gtest.h>

#include <string>

#include "fonts/StringSink.h"
#include "model/Drawing.h"
#include "model/TextShape.h"
#include "output/ExportFile.h"
#include "output/OutputDriver.h"
#include "output/PsWriterCommon.h"
#include "support/TestSupport.h"

namespace {

// The native, EPS and Illustrator files of one text in a face whose name has spaces.
std::string TextIn(int32_t kind) {
  Drawing drawing;
  drawing.AddShape(new TextShape("Hi", "Times New Roman", 14, 15.4f, kAlignLeft));
  StringSink sink;
  EXPECT_EQ(ExportFile(drawing, kind, &sink, ExportOptions()), 1) << kind;
  return sink.text;
}

}  // namespace

// A face name with spaces would split the font operand of "z" into three tokens: delimiters and
// spaces are dropped, and every PostScript writer emits one token.
TEST(FontNameToken, EveryPostScriptWriterEmitsOneToken) {
  EXPECT_EQ(PsNameToken("A(b)<c>[d]{e}/f%g\tH") + PsNameToken("Arial-BoldMT"),
            "AbcdefgHArial-BoldMT");
  for (const std::string& out :
       {TextIn(kExportNative), TextIn(kExportEps), TextIn(kExportIllustrator)}) {
    EXPECT_TRUE(Contains(out, "/_TimesNewRoman 14 15.4 0 0 z")) << out;
    EXPECT_FALSE(Contains(out, "Times New")) << out;
  }
}
