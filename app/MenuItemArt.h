// The Line and Fill menus show their pens, patterns and arrows as pictures: a style that draws
// those items (found by their text) and leaves every other item to the base style.
#pragma once

#include <QProxyStyle>

class MenuItemArt : public QProxyStyle {
 public:
  // What an item shows: a pen (0..11), a fill pattern (0..8) or arrow ends (bits 1 and 2).
  enum Kind { kPen = 0, kPattern = 1, kArrow = 2 };
  struct Row {
    Kind kind;
    int value;
  };
  // The row of an item text such as "Pen 3"; false for items drawn as text.
  static bool RowFor(const QString& text, Row* row);

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override;
};
