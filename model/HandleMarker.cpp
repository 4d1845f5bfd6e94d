#include "model/HandleMarker.h"

namespace {
HandleMarker* gMarker = nullptr;
}  // namespace

void SetHandleMarker(HandleMarker* marker) { gMarker = marker; }

HandleMarker* CurrentHandleMarker() { return gMarker; }
