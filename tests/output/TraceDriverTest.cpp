#include "output/TraceDriver.h"

#include <gtest/gtest.h>

#include <string>

#include "output/OutputSink.h"

TEST(TraceDriverTest, SinkModeAndQuoting) {
  struct StringSink : OutputSink {
    std::string text;
    int32_t Open() override { return 1; }
    int32_t Close() override { return 1; }
    int32_t WriteBytes(const void* p, int32_t n) override {
      text.append(static_cast<const char*>(p), size_t(n));
      return 1;
    }
    int32_t WriteString(const char* s) override {
      text += s;
      return 1;
    }
    int32_t Seek(long) override { return 0; }
    long Tell() override { return long(text.size()); }
  } sink;
  TraceDriver t(&sink);
  float rect[4] = {0, 100, 200, -0.0f};
  t.DrawText(nullptr, nullptr, "a\"b\\c\rd\ne\x01\xe9", "Times-Roman", 12, 14, kAlignJustify,
             rect);
  t.EndDocument(nullptr);
  EXPECT_TRUE(t.lines().empty());
  EXPECT_EQ(sink.text,
            "DrawText - - font=\"Times-Roman\" size=12 leading=14 align=3 rect=[0 100 200 0] "
            "text=\"a\\\"b\\\\c\\rd\\ne\\x01\\xe9\"\nEndDocument\n");
}
