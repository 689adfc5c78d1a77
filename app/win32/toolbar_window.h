// The "toolbar" window: a grid of 24-pixel bitmap buttons that keeps the pressed look of radio
// and toggle buttons, shows popup help after the pointer rests on a button for a second, and
// reports every click to its parent as WM_APP (control id, button index).
#pragma once

#include "app/win32/win.h"

#include <array>

#include "app/toolbars.h"
#include "app/win32/popup_help.h"

/// Gives the toolbars the main window's current text style for their popup help.
class PopupHelpStyleSource {
public:
    virtual ~PopupHelpStyleSource() = default;
    virtual PopupHelpStyle popup_help_style() = 0;
};

/// Creation data of a toolbar; the toolbar copies it.
struct ToolbarSpec {
    ButtonKind kind = ButtonKind::Push;
    int button_size = toolbar_button_size;
    int columns = 1;
    int rows = 1;
    std::array<HBITMAP, max_toolbar_buttons> bitmaps{};
    std::array<const wchar_t*, max_toolbar_buttons> help_texts{};
    PopupHelpStyleSource* style = nullptr;
};

/// Registers the "toolbar" class.
void register_toolbar_class(HINSTANCE instance);

/// Creates a toolbar as large as its rows and columns of buttons at (x, y) as child `control_id` of `parent`.
HWND create_toolbar(HINSTANCE instance, HWND parent, int control_id, int x, int y, const ToolbarSpec& toolbar);

/// Owner access: the button's bitmap and pressed state; both repaint the toolbar.
void set_toolbar_bitmap(HWND toolbar, int button, HBITMAP bitmap);
void set_toolbar_button_state(HWND toolbar, int button, int state);
int toolbar_button_state(HWND toolbar, int button);
/// A click on the button from the keyboard: the state changes and the click is reported exactly as
/// for a mouse click.
void click_toolbar_button(HWND toolbar, int button);
