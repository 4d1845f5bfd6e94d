// The modeless "Diagnostics" window: the internal problem lines logged from start-up on, shown
// as they come, until the user closes it; after that nothing more is shown for the run.
#pragma once

class QWidget;

// Start-up: lines from now on go to the window, made over `owner` with the first line.
void InstallDiagnosticsWindow(QWidget* owner);
// Exit: no more lines are shown and the window goes.
void RemoveDiagnosticsWindow();
// The window; null before the first line and once closed.
QWidget* DiagnosticsWindow();
