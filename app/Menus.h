// The main menu "QUILLORY" and its accelerators. Each item is a QAction whose data() is its
// command id; items, keys and bar buttons all end in MainWindow::Command.
#pragma once

class MainWindow;
class QAction;
class QWidget;

// Builds the menu bar on the window, with the pen, pattern and arrow items drawn as pictures.
void BuildMainMenu(MainWindow* window);
// The item of a command id on the window's menu bar, or null.
QAction* MenuAction(QWidget* window, int id);
// Greys and checks the items as the drawing stands now (run whenever a menu opens).
void UpdateMenuStates(QWidget* window);
