#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "output/PrinterSink.h"
#include "platform/spooler/Spooler.h"
#include "support/TestSupport.h"

namespace {

// Records every call; sends can be made to fail from a given call on.
class FakeSpooler : public Spooler {
 public:
  std::string DefaultQueue() override { return defaultQueue; }
  bool IsPostScriptQueue(const std::string& queue) override { return queue == psQueue; }
  bool StartJob(const std::string& queue, const std::string& name,
                const PrintJobOptions& asked) override {
    log.push_back("start " + queue + " " + name);
    options = asked;
    return acceptJobs;
  }
  bool Send(const void* data, size_t length) override {
    sends.push_back(length);
    if (failSendsFrom >= 0 && int(sends.size()) > failSendsFrom) return false;
    received.append(static_cast<const char*>(data), length);
    return true;
  }
  bool FinishJob() override {
    log.push_back("finish");
    return true;
  }
  void CancelJob() override { log.push_back("cancel"); }

  std::string defaultQueue = "laser";
  std::string psQueue = "laser";
  bool acceptJobs = true;
  int failSendsFrom = -1;
  std::vector<std::string> log;
  std::vector<size_t> sends;
  std::string received;
  PrintJobOptions options;
};

TEST(PrinterSinkTest, BufferFlushesOnlyWhenAWriteDoesNotFit) {
  FakeSpooler spooler;
  PrinterSink sink(&spooler);
  sink.SetJobOptions({3, "A4"});
  ASSERT_EQ(sink.Open(), 1);
  EXPECT_EQ(sink.queue(), "laser");  // the default queue when none was chosen
  EXPECT_TRUE(sink.IsPostScript());
  EXPECT_EQ(spooler.log, std::vector<std::string>{"start laser Ondara Draw Drawing"});
  EXPECT_EQ(std::to_string(spooler.options.copies) + " " + spooler.options.media, "3 A4");

  std::string head(100, 'a');
  std::string exact(PrinterSink::kBufferSize - 100, 'b');
  EXPECT_EQ(sink.WriteString(head.c_str()), 1);
  EXPECT_EQ(sink.WriteBytes(exact.data(), int32_t(exact.size())), 1);
  EXPECT_TRUE(spooler.sends.empty()) << "exactly the free space fits without a flush";
  EXPECT_EQ(sink.Filled(), PrinterSink::kBufferSize);

  EXPECT_EQ(sink.WriteBytes("c", 1), 1);
  EXPECT_EQ(V(spooler.sends.size(), spooler.sends[0], sink.Filled()),
            V(1, PrinterSink::kBufferSize, 1));

  // One byte more than the free space: the filled part goes first.
  std::string fill(PrinterSink::kBufferSize - 1, 'd');
  EXPECT_EQ(sink.WriteBytes(fill.data(), int32_t(fill.size())), 1);
  EXPECT_EQ(spooler.sends.size(), 1u);
  EXPECT_EQ(sink.WriteBytes("e", 1), 1);
  EXPECT_EQ(spooler.sends.size(), 2u);

  EXPECT_EQ(sink.Seek(10), 0);
  EXPECT_EQ(sink.Tell(), 0);
  EXPECT_EQ(sink.Close(), 1);
  EXPECT_EQ(spooler.log.back(), "finish");
  EXPECT_EQ(spooler.received, head + exact + "c" + fill + "e");
  EXPECT_EQ(sink.WriteBytes("x", 1), 0) << "a closed sink takes nothing";
}

TEST(PrinterSinkTest, FailuresAreReportedAndTheBrokenJobWithdrawn) {
  {
    FakeSpooler spooler;  // a queue that does not speak PostScript takes no bytes
    spooler.psQueue = "other";
    PrinterSink sink(&spooler);
    ASSERT_EQ(sink.Open(), 1);
    EXPECT_FALSE(sink.IsPostScript());
    EXPECT_EQ(sink.WriteString("x"), 0);
    EXPECT_EQ(sink.Close(), 1);
    EXPECT_TRUE(spooler.log.empty());
  }
  {
    FakeSpooler spooler;  // no printer at all, and a refused job
    spooler.defaultQueue = "";
    PrinterSink sink(&spooler);
    EXPECT_EQ(sink.Open(), 0);
    spooler.acceptJobs = false;
    sink.SetQueue("laser");
    EXPECT_EQ(sink.Open(), 0);
    EXPECT_EQ(sink.WriteString("x"), 0);
  }
  {
    FakeSpooler spooler;  // the spooler stops taking data half way
    spooler.failSendsFrom = 0;
    PrinterSink sink(&spooler);
    ASSERT_EQ(sink.Open(), 1);
    std::string block(PrinterSink::kBufferSize, 'q');
    EXPECT_EQ(sink.WriteBytes(block.data(), int32_t(block.size())), 1);  // buffered
    EXPECT_EQ(sink.WriteBytes("r", 1), 0);
    EXPECT_EQ(sink.WriteBytes("s", 1), 0) << "nothing more after a lost block";
    EXPECT_EQ(sink.Close(), 0);
    EXPECT_EQ(spooler.log.back(), "cancel");
  }
  {
    FakeSpooler spooler;  // a sink destroyed while open withdraws its job
    {
      PrinterSink sink(&spooler);
      ASSERT_EQ(sink.Open(), 1);
      sink.WriteString("partial");
    }
    EXPECT_EQ(spooler.log.back(), "cancel");
  }
}

TEST(PrinterSinkTest, PpdLanguageLevelMakesAPostScriptQueue) {
  EXPECT_TRUE(PpdDeclaresPostScript("*PPD-Adobe: \"4.3\"\n*LanguageLevel: \"3\"\n"));
  EXPECT_TRUE(PpdDeclaresPostScript("*PPD-Adobe: \"4.3\"\r*PSVersion: \"(3010.000) 0\"\r"));
  EXPECT_FALSE(PpdDeclaresPostScript("*PPD-Adobe: \"4.3\"\n*cupsFilter2: \"x\"\n"));
  EXPECT_FALSE(PpdDeclaresPostScript("*% *LanguageLevel: \"3\"\n*LanguageLevelX: \"2\"\n"));
  EXPECT_FALSE(PpdDeclaresPostScript("*Foo: \"*PSVersion: 1\"\n*PSVersion"));
  EXPECT_FALSE(PpdDeclaresPostScript(""));
}

}  // namespace
