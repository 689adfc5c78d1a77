// The work area (the monitor less its task bars) that a window or a rectangle is on, in screen
// pixels, for keeping windows where they can be seen.
#pragma once

#include "app/win32/win.h"

#include "display/canvas.h"

inline Rect from_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

/// The work area of the monitor nearest to `r`.
Rect work_area_at(const Rect& r);

/// The work area of the monitor nearest to the window.
Rect work_area_of(HWND window);
