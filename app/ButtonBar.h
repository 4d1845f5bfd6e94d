// The standard bar and the style bar across the top of the main window.
#pragma once

#include <QWidget>
#include <vector>

class BarButton;

struct ButtonRow {
  int advance;  // pixels from the previous button's left edge
  int id;
  const char* bitmap;
  const char* tooltip;
};

class ButtonBar : public QWidget {
  Q_OBJECT
 public:
  // objectName "quillory_standardBar" or "quillory_styleBar".
  static ButtonBar* MakeStandardBar(QWidget* parent);
  static ButtonBar* MakeStyleBar(QWidget* parent);

  BarButton* button(int id) const;

 signals:
  void commandRequested(int id);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ButtonBar(const char* name, const ButtonRow* rows, int count, QWidget* parent);
  std::vector<BarButton*> buttons_;
};
