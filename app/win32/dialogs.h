// The program's modal dialogs.
#pragma once

#include "app/win32/win.h"

/// Resource id of the About box.
inline constexpr int about_box_id = 5000;

/// Runs the About box, centred on its owner; OK, Enter, Escape and its close box close it.
void show_about_box(HINSTANCE instance, HWND owner);
