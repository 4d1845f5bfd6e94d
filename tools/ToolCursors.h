// The drawing window's cursors, chosen by index: 0 wait, 1 arrow, 2 "no" circle, 3 thin cross,
// 4 arrow of the tools, 5 open hand.
#pragma once

class QWidget;

// The widget whose cursor the tools set (the drawing window's viewport).
void SetToolCursorWidget(QWidget* widget);
// Sets cursor `n` (0..5; others are ignored) at once and returns the previous index.
int SetToolCursor(int n);
int CurrentToolCursor();
