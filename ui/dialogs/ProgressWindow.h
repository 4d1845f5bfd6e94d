// The modeless progress window of exports ("PROGRESSDLG"): it disables its owner while it lives
// and keeps the program answering during the export, so that its Cancel button works.
#pragma once

#include <QDialog>
#include <QPointer>
#include <cstdint>

#include "output/ProgressDialog.h"

class QLabel;
class QProgressBar;
class QWidget;

class ProgressWindow : public ProgressDialog {
 public:
  explicit ProgressWindow(QWidget* owner);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void Start(int32_t total) override;
  bool Advance() override;
  bool Cancelled() const override { return cancelled_; }
  void SetText(const char* text) override;
  void SetPosition(int32_t position, int32_t max) override;

  // The window while it is shown; null once Cancel has closed it.
  QDialog* window() const { return window_; }

 private:
  void Cancel();
  void Close();

  QPointer<QWidget> owner_;
  QPointer<QWidget> focus_;  // the owner's control with the keyboard, given it back at the end
  QPointer<QDialog> window_;
  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  int32_t position_ = 0;
  int32_t total_ = 0;
  bool cancelled_ = false;
};
