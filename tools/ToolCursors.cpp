#include "tools/ToolCursors.h"

#include <QCursor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

namespace {

struct CursorRow {
  const char* resource;  // null: the system cursor
  Qt::CursorShape fallback;
  int hotX, hotY;
};

// The four resources are 32 by 32; a missing one falls back to the nearest system shape.
constexpr CursorRow kCursors[] = {
    {nullptr, Qt::WaitCursor, 0, 0},
    {nullptr, Qt::ArrowCursor, 0, 0},
    {":/res/cursor5002.png", Qt::ForbiddenCursor, 9, 9},
    {":/res/cursor5022.png", Qt::CrossCursor, 15, 15},
    {":/res/cursor5001.png", Qt::ArrowCursor, 1, 1},
    {":/res/cursor5030.png", Qt::OpenHandCursor, 12, 11},
};
constexpr int kCursorCount = sizeof(kCursors) / sizeof(kCursors[0]);

QPointer<QWidget> g_widget;
int g_current = 1;

QCursor MakeCursor(const CursorRow& row) {
  if (row.resource) {
    QPixmap pixmap(row.resource);
    if (!pixmap.isNull()) return QCursor(pixmap, row.hotX, row.hotY);
  }
  return QCursor(row.fallback);
}

}  // namespace

void SetToolCursorWidget(QWidget* widget) { g_widget = widget; }

int SetToolCursor(int n) {
  int previous = g_current;
  if (n < 0 || n >= kCursorCount) return previous;
  g_current = n;
  if (g_widget) g_widget->setCursor(MakeCursor(kCursors[n]));
  return previous;
}

int CurrentToolCursor() { return g_current; }
