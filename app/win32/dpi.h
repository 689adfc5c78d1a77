// The pixels per inch of the screen a window is on: what Windows gives a per-monitor aware
// program, or the system's density on Windows versions before 10 (1607).
#pragma once

#include "app/win32/win.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

/// The window's density (the system's for no window).
int window_dpi(HWND window);
