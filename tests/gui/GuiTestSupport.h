// The desktop program under test: one QApplication for the process (offscreen), a fresh
// settings directory per test, and message boxes answered and recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Prompts.h"
#include "model/Geometry.h"

class QDialog;

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
// Runs `act` on the next modal dialog once it is up, as a user would once it appears.
void OnModal(std::function<void(QDialog*)> act, int tries = 300);

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

  // The mouse on the drawing window's viewport, at drawing points (or at window pixels).
  static QPoint At(float x, float y);
  static void Press(float x, float y, Qt::KeyboardModifiers m = {});
  static void Move(float x, float y);
  static void Release(float x, float y, Qt::KeyboardModifiers m = {});
  static void Click(float x, float y, Qt::KeyboardModifiers m = {});
  // Press, release, double click, release, as the window sees a double click.
  static void DoubleClick(float x, float y);
  // Press, a move halfway and one to the end, release there.
  static void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = {});
  static void Drag(float x1, float y1, float x2, float y2, Qt::KeyboardModifiers m = {}) {
    Drag(At(x1, y1), At(x2, y2), m);
  }
  static void Click(Point p) { Click(p.x, p.y); }
  static void DoubleClick(Point p) { DoubleClick(p.x, p.y); }
  static void Drag(Point from, Point to) { Drag(from.x, from.y, to.x, to.y); }

  std::string work_;        // this test's directory; holds the settings directory
  std::string programDir_;  // where tips.txt is looked for
  std::unique_ptr<Application> app_;
  Answer answer_ = Answer::kNo;
  std::vector<QString> questions_;  // "title|text" of each question
  std::vector<std::string> errors_;
  std::vector<QString> opened_;
};
