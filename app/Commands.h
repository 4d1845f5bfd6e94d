// Every menu item, accelerator and bar button ends here as a command id.
#pragma once

enum CommandId : int {
  kCommandNew = 101,
  kCommandOpen = 102,
  kCommandSave = 103,
  kCommandPrint = 105,
  kCommandUndo = 201,
  kCommandCut = 204,
  kCommandCopy = 205,
  kCommandPaste = 206,
  kCommandRedo = 6076,
  kCommandPreview = 302,
  kCommandFitInWindow = 304,
  kCommandFitWidth = 305,
};

void DispatchCommand(int id);
