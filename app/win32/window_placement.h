// The main window's placement in the registry: HKEY_CURRENT_USER "Software\Orvanne\Qel\State",
// binary value "windowPlacement" holding the 44-byte WINDOWPLACEMENT record.
#pragma once

#include "app/win32/win.h"

/// Applies the stored placement when the value exists, is binary and exactly 44 bytes long: a
/// minimised window comes back normal (the caller then keeps it within the work area).
void restore_window_placement(HWND window);
/// Stores the window's placement, creating the key when needed. Failures are ignored.
void store_window_placement(HWND window);
