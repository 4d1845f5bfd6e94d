// The File menu's commands that go through file dialogs: open, save, import, export, insert
// and printing.
#pragma once

void OpenCommand();  // 102
// Save (103): Save As first when the drawing has no path. True when the file was written.
bool SaveCommand();
bool SaveAsCommand();  // 104
// Save without changing the tool: what the save-changes prompt runs.
bool SaveCurrentDrawing();
void ImportCommand();      // 6053
void ExportCommand();      // 6052
void InsertCommand();      // 6054, one undoable step
void PrintCommand();       // 105
void PrintSetupCommand();  // 106
