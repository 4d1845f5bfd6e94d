#include "app/Commands.h"

#include "app/AppState.h"
#include "app/Document.h"
#include "app/DrawingWindow.h"
#include "model/DebugLog.h"
#include "tools/Tool.h"

void DispatchCommand(int id) {
  if (IsToolId(id)) {
    SelectTool(id);
    return;
  }
  DrawingWindow* client = App().client;
  switch (id) {
    case kCommandNew:
      NewDrawingCommand();
      return;
    case kCommandPreview:
      if (client) client->TogglePreview();
      return;
    case kCommandFitInWindow:
      if (client) client->FitInWindow();
      return;
    case kCommandFitWidth:
      if (client) client->FitWidth();
      return;
    default:
      DebugLog("Unknown menu command %d", id);
      return;
  }
}
