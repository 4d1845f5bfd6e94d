// The desktop program under test: one QApplication for the process (offscreen), a fresh
// settings directory per test, and message boxes answered and recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Prompts.h"

// A drawing from the reader's sample files.
std::string CorpusFile(const std::string& name);
// Starts this test program again as a separate process running only the disabled test `name`
// ("Suite.DISABLED_Test"), with `env` ("NAME=value") added to its environment. Its output goes
// to `log`. The process id, or -1.
int SpawnTestProcess(const std::string& name, const std::vector<std::string>& env,
                     const std::string& log);
// Runs the event loop until `done` answers true or `ms` have passed; the last answer.
bool IdleUntil(const std::function<bool()>& done, int ms);
// Runs the event loop for `ms`, waiting for events as the program does, so its idle work runs.
void IdleFor(int ms);

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Starts the program with its directory `programDir_` and the given file.
  Application& Start(const std::string& file = "");
  // Exit: the window closed and the settings written.
  void Finish();
  // A fixed view for tools tests: `zoom` pixels per point from the page centre, and a grid of
  // `grid` points that snaps, so every window pixel lands back on the point it was meant for.
  void FixView(float zoom, int grid);

  std::string work_;        // this test's directory; holds the settings directory
  std::string programDir_;  // where tips.txt is looked for
  std::unique_ptr<Application> app_;
  Answer answer_ = Answer::kNo;
  std::vector<QString> questions_;  // "title|text" of each question
  std::vector<std::string> errors_;
  std::vector<QString> opened_;
};
