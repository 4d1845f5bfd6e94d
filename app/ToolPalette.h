// The tool palette down the left side: fourteen tool buttons in two columns, the current
// tool's button shown pressed.
#pragma once

#include <QTimer>
#include <QWidget>
#include <vector>

class BarButton;

class ToolPalette : public QWidget {
  Q_OBJECT
 public:
  explicit ToolPalette(QWidget* parent);

  BarButton* button(int id) const;
  void RedrawButton(int id);

 signals:
  void commandRequested(int id);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<BarButton*> buttons_;
  QTimer holdTimer_;  // a button held this long says "Let go"
};
