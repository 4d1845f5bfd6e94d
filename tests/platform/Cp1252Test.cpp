#include <gtest/gtest.h>

#include "platform/fontsys/Cp1252.h"

namespace {

TEST(Cp1252Test, EveryByteRoundTripsAndUtf8Converts) {
  for (int b = 0; b < 256; ++b) {
    uint8_t back = 0;
    ASSERT_TRUE(UnicodeToCp1252(Cp1252ToUnicode(uint8_t(b)), &back)) << b;
    EXPECT_EQ(back, b);
  }
  EXPECT_EQ(Cp1252ToUnicode(0x80), 0x20ACu);
  EXPECT_EQ(Cp1252ToUnicode(0x9F), 0x0178u);
  EXPECT_EQ(Cp1252ToUnicode(0x8D), 0x008Du);  // undefined: the C1 control, as Windows has it
  uint8_t b = 0;
  EXPECT_FALSE(UnicodeToCp1252(0x0080, &b));  // C1 controls other than the undefined five
  EXPECT_FALSE(UnicodeToCp1252(0x4E00, &b));

  EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80"), "caf\xC3\xA9 \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\x80"), "caf\xE9 \x80 ?");
  // Overlong, truncated and surrogate sequences are replaced byte by byte, never read past.
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF|\xE2\x82|\xED\xA0\x80"), "??|??|???");
}

}  // namespace
