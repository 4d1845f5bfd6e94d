#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "fonts/StringSink.h"
#include "output/AiWriter.h"
#include "output/PsWriterCommon.h"
#include "output/QlxWriter.h"
#include "support/TestSupport.h"

namespace {

template <typename Writer>
std::string TextIn(const char* font) {
  StringSink sink;
  ResetPaintStyleCache();
  {
    Writer writer(&sink, {font});
    PageInfo page{0, 0, 200, 100, "t", 0, {}};
    writer.BeginDocument(&page, 0, nullptr);
    PaintStyle style;
    const float rect[4] = {0, 50, 100, 0};
    writer.DrawText(&style, nullptr, "Hi", font, 14, 15.4f, kAlignLeft, rect);
    writer.EndDocument(nullptr);
  }
  return sink.text;
}

}  // namespace

TEST(FontNameToken, DelimitersAndSpacesAreDropped) {
  EXPECT_EQ(PsNameToken("Times New Roman"), "TimesNewRoman");
  EXPECT_EQ(PsNameToken("A(b)<c>[d]{e}/f%g\tH"), "AbcdefgH");
  EXPECT_EQ(PsNameToken("Arial-BoldMT"), "Arial-BoldMT");
}

// A face name with spaces would split the font operand of "z" into three tokens.
TEST(FontNameToken, EveryPostScriptWriterEmitsOneToken) {
  for (const std::string& out :
       {TextIn<QlxWriter>("Times New Roman"), TextIn<EpsWriter>("Times New Roman"),
        TextIn<AiWriter>("Times New Roman")}) {
    EXPECT_TRUE(Contains(out, "/_TimesNewRoman 14 15.4 0 0 z")) << out;
    EXPECT_FALSE(Contains(out, "Times New")) << out;
  }
}
