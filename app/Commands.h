// Every menu item, accelerator and bar button ends here as a command id.
#pragma once

enum CommandId : int {
  kCommandNew = 101,
  kCommandOpen = 102,
  kCommandSave = 103,
  kCommandSaveAs = 104,
  kCommandPrint = 105,
  kCommandPrintSetup = 106,
  kCommandExit = 107,
  kCommandUndo = 201,
  kCommandClear = 202,
  kCommandSelectAll = 203,
  kCommandCut = 204,
  kCommandCopy = 205,
  kCommandPaste = 206,
  kCommandGroup = 207,
  kCommandUngroup = 208,
  kCommandBringToFront = 209,
  kCommandSendToBack = 210,
  kCommandRedraw = 301,
  kCommandPreview = 302,
  kCommandGrid = 303,
  kCommandFitInWindow = 304,
  kCommandFitWidth = 305,
  kCommandZoom = 306,
  kCommandMove = 453,
  kCommandFont = 501,
  kCommandPortrait = 504,
  kCommandLandscape = 505,
  kCommandAbout = 601,
  kCommandHelpContents = 6003,
  kCommandHelpSearch = 6004,
  kCommandHelpOnHelp = 6005,
  kCommandOptions = 6008,
  kCommandFillTransparent = 6011,
  kCommandFillBlack = 6012,
  kCommandFillWhite = 6013,
  kCommandPattern0 = 6014,  // to 6022
  kCommandFillColor = 6023,
  kCommandLineInvisible = 6024,
  kCommandPen0 = 6025,      // Pen 0..8 are 6025..6033, Pen 9..11 are 6041..6043
  kCommandNoArrows = 6034,  // to 6037: no, left, right, both
  kCommandArrowsSmall = 6038,
  kCommandArrowsBig = 6039,
  kCommandArrowsFancy = 6040,
  kCommandPen9 = 6041,
  kCommandLineColor = 6044,
  kCommandPickStyle = 6045,
  kCommandApplyStyle = 6046,
  kCommandNoPattern = 6048,
  kCommandLineBlack = 6049,
  kCommandLineWhite = 6051,
  kCommandExport = 6052,
  kCommandImport = 6053,
  kCommandInsert = 6054,
  kCommandLeading = 6055,
  kCommandAlignLeft = 6056,       // to 6059: left, centered, right, justified
  kCommandAlignLeftSides = 6063,  // to 6068
  kCommandSpaceEdgesV = 6070,     // to 6073
  kCommandScale = 6074,
  kCommandRotate = 6075,
  kCommandRedo = 6076,
};

void DispatchCommand(int id);
