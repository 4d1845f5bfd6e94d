// Start-up and exit of the desktop program.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

class Autosaver;
class Drawing;
class MainWindow;
class QLabel;

class Application {
 public:
  // `programDir`: where tips.txt is looked for (the executable's directory).
  explicit Application(std::string programDir);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Everything before the event loop: splash, settings, windows, fonts, the file to open and
  // the first-run tips. `fileToOpen` is the command line's file ("" for none).
  void Start(const std::string& fileToOpen);
  // After the event loop: the settings written, the fonts shut down.
  void Finish();

  MainWindow* window() const { return window_.get(); }
  Drawing& drawing() { return *drawing_; }
  bool splashShown() const { return splash_ != nullptr; }

 private:
  void ShowSplash();
  void CloseSplash();
  void OfferTips();

  std::unique_ptr<Drawing> drawing_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QLabel> splash_;
  std::unique_ptr<Autosaver> autosaver_;
  QTimer splashTimer_;
  bool finished_ = false;
};

int RunApplication(int argc, char** argv, const std::string& fileToOpen);
