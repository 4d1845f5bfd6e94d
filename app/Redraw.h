// How a command shows its change on screen: the whole drawing, or only where the selection
// lies. Outside preview mode both redraw the whole drawing at once, since the outline view is
// cheap and its buffers hold the whole page anyway.
#pragma once

#include <functional>

// Preview: the whole window is repainted when the event loop next paints.
void RedrawFull();
// Preview: the area of the selected objects (with their handles) is repainted.
void RedrawSelection();
// Preview: the selection's area before and after `change`, so what moved away is wiped.
void RedrawSelectionAround(const std::function<void()>& change);
