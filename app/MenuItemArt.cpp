#include "app/MenuItemArt.h"

#include <QImage>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include "platform/gdi/Device.h"

namespace {

struct PenRow {
  int width;
  Qt::PenStyle style;
  const char16_t* label;
};

// Screen pens of Pen 0..11: the four dashes, then the widths with their labels.
const PenRow kPens[12] = {
    {1, Qt::DashLine, u""},       {1, Qt::DotLine, u""},       {1, Qt::DashDotLine, u""},
    {1, Qt::DashDotDotLine, u""}, {1, Qt::SolidLine, u"¼ pt"}, {1, Qt::SolidLine, u"½ pt"},
    {1, Qt::SolidLine, u"¾ pt"},  {1, Qt::SolidLine, u"1 pt"}, {2, Qt::SolidLine, u"2 pt"},
    {3, Qt::SolidLine, u"3 pt"},  {4, Qt::SolidLine, u"4 pt"}, {5, Qt::SolidLine, u"5 pt"},
};

const char* const kArrowTexts[4] = {"No  Arrows", "Left Arrow", "Right Arrow", "Both Arrows"};

constexpr int kArrowLength = 15;
constexpr int kArrowHalfWidth = 2;

// The pattern as a brush: zero bits in the text colour, one bits in the background.
QBrush PatternBrush(int pattern, const QColor& text, const QColor& background) {
  QImage bits(8, 8, QImage::Format_Mono);
  bits.setColorCount(2);
  bits.setColor(0, text.rgb());
  bits.setColor(1, background.rgb());
  for (int y = 0; y < 8; ++y) *bits.scanLine(y) = gdi::kPatternBits[pattern][y];
  return QBrush(bits);
}

void DrawArrowhead(QPainter* p, int tipX, int y, int direction, const QColor& color) {
  const int baseX = tipX + direction * kArrowLength;
  const QPoint points[3] = {QPoint(tipX, y), QPoint(baseX, y - kArrowHalfWidth),
                            QPoint(baseX, y + kArrowHalfWidth)};
  p->setPen(color);
  p->setBrush(color);
  p->drawPolygon(points, 3);
}

}  // namespace

bool MenuItemArt::RowFor(const QString& text, Row* row) {
  const QString name = text.section('\t', 0, 0);
  for (int i = 0; i < 4; ++i) {
    if (name == QLatin1String(kArrowTexts[i])) {
      *row = Row{kArrow, i};
      return true;
    }
  }
  bool ok = false;
  if (name.startsWith("Pen ")) {
    int n = name.mid(4).toInt(&ok);
    if (ok && n >= 0 && n < 12) {
      *row = Row{kPen, n};
      return true;
    }
  }
  if (name.startsWith("Pattern ")) {
    int n = name.mid(8).toInt(&ok);
    if (ok && n >= 0 && n < 9) {
      *row = Row{kPattern, n};
      return true;
    }
  }
  return false;
}

QSize MenuItemArt::sizeFromContents(ContentsType type, const QStyleOption* option,
                                    const QSize& size, const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  Row row;
  if (type != CT_MenuItem || !item || !RowFor(item->text, &row))
    return QProxyStyle::sizeFromContents(type, option, size, widget);
  // Room for the check mark comes on top of the picture, as for any menu item.
  const int check = pixelMetric(PM_IndicatorWidth, option, widget);
  return row.kind == kPattern ? QSize(128 + check, 30) : QSize(120 + check, 20);
}

void MenuItemArt::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const {
  const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
  Row row;
  if (element != CE_MenuItem || !item || !RowFor(item->text, &row)) {
    QProxyStyle::drawControl(element, option, painter, widget);
    return;
  }
  // The base style paints the item's background and highlight; the picture goes on top.
  QStyleOptionMenuItem blank(*item);
  blank.text.clear();
  blank.icon = QIcon();
  QProxyStyle::drawControl(element, &blank, painter, widget);

  const bool selected = item->state & State_Selected;
  const QColor text =
      item->palette.color(selected ? QPalette::HighlightedText : QPalette::WindowText);
  const QColor background = item->palette.color(selected ? QPalette::Highlight : QPalette::Base);
  const int check = pixelMetric(PM_IndicatorWidth, option, widget);
  const QRect r = item->rect.adjusted(check + 2, 3, -(check + 2), -3);
  const int middle = r.top() + r.height() / 2;

  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  switch (row.kind) {
    case kPattern:
      painter->fillRect(r, PatternBrush(row.value, text, background));
      painter->setPen(text);
      painter->setBrush(Qt::NoBrush);
      painter->drawRect(r.adjusted(0, 0, -1, -1));
      break;
    case kPen: {
      const PenRow& pen = kPens[row.value];
      const QString label = QString::fromUtf16(pen.label);
      // The label sits centred at the top and interrupts the line.
      QRect box;
      if (!label.isEmpty()) {
        const QFontMetrics metrics = painter->fontMetrics();
        const int w = metrics.horizontalAdvance(label) + 4;
        box = QRect(item->rect.center().x() - w / 2, item->rect.top(), w, metrics.height());
      }
      painter->setPen(QPen(text, pen.width, pen.style, Qt::FlatCap));
      if (box.isNull()) {
        painter->drawLine(r.left(), middle, r.right(), middle);
      } else {
        painter->drawLine(r.left(), middle, box.left() - 1, middle);
        painter->drawLine(box.right() + 1, middle, r.right(), middle);
        painter->setPen(text);
        painter->drawText(box, Qt::AlignHCenter | Qt::AlignTop, label);
      }
      break;
    }
    case kArrow:
      painter->setPen(QPen(text, 1));
      painter->drawLine(r.left(), middle, r.right(), middle);
      if (row.value & 1) DrawArrowhead(painter, r.left(), middle, 1, text);
      if (row.value & 2) DrawArrowhead(painter, r.right(), middle, -1, text);
      break;
  }
  painter->restore();
}
