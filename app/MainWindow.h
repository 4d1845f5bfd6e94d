// The main window (quillory_frame): the two bars across the top, the tool palette, the drawing
// window, the status line and two hidden rulers, placed by hand on every resize.
#pragma once

#include <QMainWindow>

class ButtonBar;
class Drawing;
class DrawingWindow;
class StatusBar;
class ToolPalette;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(Drawing* drawing);
  ~MainWindow() override;

  DrawingWindow* client() const { return client_; }
  ButtonBar* standardBar() const { return standardBar_; }
  ButtonBar* styleBar() const { return styleBar_; }
  ToolPalette* palette() const { return palette_; }
  StatusBar* statusBar() const { return statusBar_; }

  // A command from a button: the status message is redrawn, then the command runs.
  void Command(int id);
  // Enables Undo, Redo, Cut, Copy and Paste as the drawing allows; run whenever the event
  // loop is about to wait.
  void UpdateStandardBar();
  // Places the children for a client area of w by h.
  void LayOut(int w, int h);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void ForwardKey(QKeyEvent* event);

  Drawing* drawing_;
  ButtonBar* standardBar_ = nullptr;
  ButtonBar* styleBar_ = nullptr;
  ToolPalette* palette_ = nullptr;
  StatusBar* statusBar_ = nullptr;
  QWidget* rulers_[2] = {nullptr, nullptr};
  DrawingWindow* client_ = nullptr;
  bool forwardingKey_ = false;
};
