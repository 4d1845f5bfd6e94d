#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "model/Drawing.h"
#include "model/SimpleShapes.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"
#include "output/OutputSink.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> DirEntries(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FileSinkTest : public testing::Test {
 protected:
  MessageLog log;
};

}  // namespace

TEST_F(FileSinkTest, WritesEverythingAndRenamesOnClose) {
  std::string dir = TestWorkDir("filesink_write");
  std::string path = dir + "/out.qlx";
  mode_t old = umask(022);
  FileSink sink(path);
  EXPECT_EQ(sink.WriteString("lost"), 0);  // not open yet
  ASSERT_EQ(sink.Open(), 1);
  EXPECT_FALSE(std::filesystem::exists(path));  // only the temporary file exists while writing
  EXPECT_EQ(sink.WriteString("abcdef"), 1);
  EXPECT_EQ(sink.Tell(), 6);
  EXPECT_EQ(sink.Seek(2), 0);
  EXPECT_EQ(sink.WriteBytes("X\0Y", 3), 1);  // unformatted: the NUL goes through
  EXPECT_EQ(sink.Seek(6), 0);
  EXPECT_EQ(sink.Printf("%s %d %g\r\n", "n", 42, 1.5), 1);
  std::string big(10000, 'q');
  big[9999] = 'z';
  EXPECT_EQ(sink.Printf("<%s>", big.c_str()), 1);  // no fixed buffer cuts it short
  EXPECT_EQ(sink.Close(), 1);
  umask(old);
  EXPECT_EQ(sink.WriteString("late"), 0);  // closed again
  EXPECT_EQ(ReadFileBytes(path), std::string("abX\0Yfn 42 1.5\r\n", 16) + "<" + big + ">");
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"out.qlx"});
  // As a freshly created file under umask 022.
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0644));
  EXPECT_TRUE(log.texts.empty());
}

TEST_F(FileSinkTest, ExistingTargetIsReplacedOnlyOnSuccess) {
  std::string dir = TestWorkDir("filesink_replace");
  std::string path = dir + "/doc.qlx";
  ASSERT_TRUE(WriteFileBytes(path, "old contents"));
  chmod(path.c_str(), 0640);
  {
    FileSink abandoned(path);
    ASSERT_EQ(abandoned.Open(), 1);
    abandoned.WriteString("half a new file");
    EXPECT_EQ(ReadFileBytes(path), "old contents");
  }  // never closed: the temporary file goes away, the target stays
  EXPECT_EQ(ReadFileBytes(path), "old contents");
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"doc.qlx"});

  FileSink sink(path);
  ASSERT_EQ(sink.Open(), 1);
  sink.WriteString("new contents");
  ASSERT_EQ(sink.Close(), 1);
  EXPECT_EQ(ReadFileBytes(path), "new contents");
  // A saved file keeps its permissions.
  EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"doc.qlx"});
}

TEST_F(FileSinkTest, FullFileSystemLeavesOldFileAndReportsFailure) {
  std::string dir = TestWorkDir("filesink_full");
  std::string path = dir + "/doc.qlx";
  std::string old(3000, 'o');
  ASSERT_TRUE(WriteFileBytes(path, old));
  // The child runs with a file size limit, which fails writes the way a full disk does.
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = {4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &lim) != 0) _exit(10);
    FileSink sink(path);
    if (sink.Open() != 1) _exit(11);
    std::string chunk(1000, 'n');
    for (int i = 0; i < 64; ++i) sink.WriteString(chunk.c_str());
    if (sink.Close() != 0) _exit(12);
    if (log.texts != std::vector<std::string>{"Unable to write to " + path}) _exit(13);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFileBytes(path), old);
  EXPECT_EQ(DirEntries(dir), std::vector<std::string>{"doc.qlx"});
}

TEST_F(FileSinkTest, UnwritableLocationFailsToOpenWithMessage) {
  std::string dir = TestWorkDir("filesink_unwritable");
  std::vector<std::string> paths = {dir + "/missing/doc.qlx", ""};
  // A regular file where a directory should be fails even for root.
  ASSERT_TRUE(WriteFileBytes(dir + "/plain", "x"));
  paths.push_back(dir + "/plain/doc.qlx");
  for (const std::string& path : paths) {
    log.texts.clear();
    FileSink sink(path);
    EXPECT_EQ(sink.Open(), 0) << path;
    EXPECT_FALSE(sink.IsOpen());
    EXPECT_EQ(log.texts, std::vector<std::string>{"Unable to write to " + path});
    EXPECT_EQ(sink.WriteBytes("a", 1), 0);
    EXPECT_EQ(sink.Printf("%d", 1), 0);
    EXPECT_EQ(sink.Close(), 0);
  }
  // A target that cannot be replaced (a directory) fails at Close, leaving nothing behind.
  std::string asDir = dir + "/isdir";
  std::filesystem::create_directory(asDir);
  log.texts.clear();
  FileSink sink(asDir);
  ASSERT_EQ(sink.Open(), 1);
  sink.WriteString("data");
  EXPECT_EQ(sink.Close(), 0);
  EXPECT_EQ(log.texts, std::vector<std::string>{"Unable to write to " + asDir});
  EXPECT_TRUE(std::filesystem::is_directory(asDir));
  EXPECT_EQ(DirEntries(dir), (std::vector<std::string>{"isdir", "plain"}));
}

TEST_F(FileSinkTest, NextSaveRemovesTemporariesOfEndedWritersOnly) {
  std::string dir = TestWorkDir("filesink_stale");
  pid_t ended = fork();
  if (ended == 0) _exit(0);
  ASSERT_EQ(waitpid(ended, nullptr, 0), ended);
  const std::string dead = ".doc.qlx." + std::to_string(ended) + ".Ab12Cd";
  const std::string alive = ".doc.qlx." + std::to_string(getppid()) + ".Ab12Cd";
  for (const std::string& name : {dead, alive, std::string(".doc.qlx.notours")})
    ASSERT_TRUE(WriteFileBytes(dir + "/" + name, "half"));
  FileSink sink(dir + "/doc.qlx");
  ASSERT_EQ(sink.Open(), 1);
  ASSERT_EQ(sink.Close(), 1);
  EXPECT_EQ(DirEntries(dir), (std::vector<std::string>{alive, ".doc.qlx.notours", "doc.qlx"}));
}

TEST_F(FileSinkTest, DrawingWrittenToMemoryIsTheSavedFile) {
  setenv("SOURCE_DATE_EPOCH", "1700000000", 1);  // one creation time for both
  std::string path = TestWorkDir("filesink_memory") + "/doc.qlx";
  Drawing drawing;
  drawing.AddShape(new BoxShape(10, 20, 110, 70));
  ASSERT_EQ(SaveDrawing(drawing, path), 1);
  std::string bytes;
  ASSERT_EQ(WriteDrawingToMemory(drawing, kExportNative, &bytes), 1);
  EXPECT_EQ(bytes, ReadFileBytes(path));

  MemorySink sink;  // the EPS preview header is written over the start afterwards
  sink.Open();
  sink.WriteString("abcdef");
  EXPECT_EQ(sink.Seek(7), -1);
  ASSERT_EQ(sink.Seek(1), 0);
  sink.WriteString("XY");
  EXPECT_EQ(sink.Tell(), 3);
  EXPECT_EQ(sink.bytes(), "aXYdef");
}
