// Where windows go on the screen: the main window's first rectangle and a restored one, kept in the
// work area of their monitor, and a dialog in the middle of its owner, kept there too. Rectangles
// are in screen pixels; the platform supplies the work area (the monitor less its task bars).
#pragma once

#include "display/canvas.h"

struct WindowSize {
    int width = 0;
    int height = 0;
};

/// `r` moved, without changing its size, the least distance that puts it inside `area`; where it
/// is wider or taller than the area, its left or top edge goes to the area's (its caption and
/// system menu stay reachable).
Rect keep_within(Rect r, const Rect& area);

/// A dialog of `size` in the middle of its owner's rectangle, kept within the work area.
Rect centred_within(WindowSize size, const Rect& owner, const Rect& area);

/// The main window's size and place when no placement is stored: 600 x 600 pixels at 96 dpi, in
/// proportion on a denser screen, 100 x 100 from the work area's top-left corner, but never larger
/// than the work area (and never smaller than `least`, the smallest window), and moved into it.
Rect first_window_rect(const Rect& area, int dpi, WindowSize least);

/// A stored rectangle brought back: at least `least`, at most the work area's size (where the area
/// holds `least`), and moved into the work area.
Rect restored_window_rect(Rect stored, const Rect& area, WindowSize least);
