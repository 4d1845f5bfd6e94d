// The desktop clipboard: Copy and Cut offer the selection to other programs (and to other
// running copies of this one); Paste takes a drawing from there when the internal clipboard is
// empty.
#pragma once

class Drawing;

// Puts the drawing's internal clipboard on the desktop clipboard.
void PublishClipboard(Drawing& drawing);
// Fills the internal clipboard from a drawing on the desktop clipboard. True when it did.
bool TakeDesktopClipboard(Drawing& drawing);
// True when Paste has something to paste (internal or desktop).
bool CanPaste(Drawing& drawing);
