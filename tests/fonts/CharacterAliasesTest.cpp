// A font that names its euro sign and carons other than the drawing files' encoding does still
// shows them: both font programs add the encoding's names for the glyphs its 'cmap' gives.
#include <gtest/gtest.h>

#include "fonts/ConverterTestSupport.h"
#include "fonts/Type3Converter.h"
#include "fonts/Type42Converter.h"

TEST(CharacterAliases, EncodingNamesForCodePageGlyphsFromCmap) {
  ttb::FontPlan plan = ttb::SmallFont();
  plan.glyphNames = {".notdef", "uni20AC", "Zcaron"};
  plan.cmap = {{0x20AC, 1}, {0x017D, 2}, {0x017E, 7}};
  convtest::Result t42 = convtest::Convert<Type42Converter>(ttb::BuildFont(plan));
  ASSERT_EQ(t42.ok, 1) << t42.log;
  EXPECT_NE(t42.text.find("/Zcaron 2 def\r\n/Euro 1 def\r\nend readonly def\r\n"),
            std::string::npos);
  EXPECT_EQ(t42.text.find("/zcaron"), std::string::npos);  // its glyph is past the font
  convtest::Result t3 = convtest::Convert<Type3Converter>(ttb::BuildFont(plan));
  ASSERT_EQ(t3.ok, 1) << t3.log;
  EXPECT_NE(t3.text.find("}_d\r\n/Euro /uni20AC load def\r\nend readonly def\r\n"),
            std::string::npos);
}
