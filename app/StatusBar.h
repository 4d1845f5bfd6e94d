// The status line at the bottom: the message that tools and commands set, and the pointer
// position in the current units.
#pragma once

#include <QString>
#include <QWidget>

class StatusBar : public QWidget {
  Q_OBJECT
 public:
  explicit StatusBar(QWidget* parent);

  // Shows a drawing position (points) in the drawing's units.
  void ShowCoordinates(float x, float y);
  const QString& coordinates() const { return coordinates_; }

  // The two sunken fields for the current width.
  QRect MessageField() const;
  QRect CoordinateField() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString coordinates_;
};

// "%.2f, %.2f" inches, "%.1f, %.1f" points and centimetres.
QString CoordinateText(int units, float x, float y);
