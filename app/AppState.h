// The process-wide values of the desktop program: where it runs from, its settings, the one
// drawing and the windows that show it.
#pragma once

#include <string>

#include "app/Settings.h"

class Drawing;
class FontFace;
class DrawingWindow;
class MainWindow;

struct AppState {
  std::string programDir;  // the executable's directory, no trailing "/"
  Settings settings;
  bool firstRun = false;
  Drawing* drawing = nullptr;
  MainWindow* mainWindow = nullptr;
  DrawingWindow* client = nullptr;
  // Font and size that new text takes (the Font command edits them); null: the font
  // manager's default face.
  FontFace* textFont = nullptr;
  float textSize = 12.0f;
};

AppState& App();
