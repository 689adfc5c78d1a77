// The popup help: one small pale yellow window at a time, showing the help text of the toolbar
// button under the pointer, two line heights below the pointer.
#pragma once

#include "app/win32/win.h"

/// What the popup needs of the main window's text: its font, the margin unit and the line height.
struct PopupHelpStyle {
    HFONT font = nullptr;
    int margin = 0;
    int line_height = 0;
};

/// Shows `text` (cut to 255 units) for the toolbar `owner`, replacing a popup already shown.
void show_popup_help(HINSTANCE instance, const wchar_t* text, HWND owner, const PopupHelpStyle& style);
/// Destroys the popup when one is shown.
void hide_popup_help();
/// The popup window, or none.
HWND popup_help_window();
