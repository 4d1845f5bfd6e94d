#include <gtest/gtest.h>

#include "fonts/StringSink.h"
#include "output/TraceDriver.h"

TEST(TraceDriverTest, SinkModeAndQuoting) {
  StringSink sink;
  TraceDriver t(&sink);
  float rect[4] = {0, 100, 200, -0.0f};
  t.DrawText(nullptr, nullptr, "a\"b\\c\rd\ne\x01\xe9", "Times-Roman", 12, 14, kAlignJustify, rect);
  t.EndDocument(nullptr);
  EXPECT_TRUE(t.lines().empty());
  EXPECT_EQ(sink.text,
            "DrawText - - font=\"Times-Roman\" size=12 leading=14 align=3 rect=[0 100 200 0] "
            "text=\"a\\\"b\\\\c\\rd\\ne\\x01\\xe9\"\nEndDocument\n");
}
