#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string TestWorkDir(const std::string& name) {
  // CTest runs tests of one program in parallel processes: each test gets its own directory,
  // so one test's set-up never removes another's files.
  std::string unique = name;
  if (const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info()) {
    unique += std::string("-") + test->test_suite_name() + "." + test->name();
  }
  std::filesystem::path p = std::filesystem::path(ONDARA_TEST_WORK) / unique;
  std::error_code ec;
  std::filesystem::remove_all(p, ec);
  std::filesystem::create_directories(p, ec);
  return p.string();
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return bool(out);
}

int RunCommand(const std::string& command) {
  int status = std::system(command.c_str());
  if (status == -1) return -1;
  return WEXITSTATUS(status);
}

namespace {
std::vector<std::string> gLogged;
bool gErrorsOnly = false;
void LogMessage(MessageKind kind, const std::string& text) {
  if (!gErrorsOnly || kind == MessageKind::kError) gLogged.push_back(text);
}
}  // namespace

MessageLog::MessageLog(bool errorsOnly) : texts(gLogged) {
  gLogged.clear();
  gErrorsOnly = errorsOnly;
  SetMessageHandler(&LogMessage);
}
MessageLog::~MessageLog() { SetMessageHandler(nullptr); }
