// Placeholders until the file dialogs are built.
#include "app/FileCommands.h"

void OpenCommand() {}
bool SaveCommand() { return false; }
bool SaveAsCommand() { return false; }
void ImportCommand() {}
void ExportCommand() {}
void InsertCommand() {}
void PrintCommand() {}
void PrintSetupCommand() {}
