// The "toolbar" window: a grid of bitmap buttons, 24 pixels at the design size, that keeps the
// pressed look of radio and toggle buttons, shows popup help after the pointer rests on a button
// for a second, and reports every click to its parent as WM_APP (control id, button index).
#pragma once

#include "app/win32/win.h"

#include <array>
#include <string_view>

#include "app/toolbar_logic.h"
#include "app/toolbars.h"
#include "app/win32/popup_help.h"

/// What the toolbars take from the main window: the text style of their popup help, and the
/// button pictures at the size the layout draws them.
class ToolbarOwner {
public:
    virtual ~ToolbarOwner() = default;
    virtual PopupHelpStyle popup_help_style() = 0;
    virtual HBITMAP toolbar_picture(ToolbarBitmap bitmap, int size) = 0;
};

/// Creation data of a toolbar; the toolbar copies it.
struct ToolbarSpec {
    ButtonKind kind = ButtonKind::Push;
    ToolbarMetrics metrics;
    int columns = 1;
    int rows = 1;
    std::array<ToolbarBitmap, max_toolbar_buttons> bitmaps{};
    std::array<const wchar_t*, max_toolbar_buttons> help_texts{};
    ToolbarOwner* owner = nullptr;
};

/// Registers the "toolbar" class.
void register_toolbar_class(HINSTANCE instance);

/// Creates a toolbar as large as its rows and columns of buttons at (x, y) as child `control_id` of `parent`.
HWND create_toolbar(HINSTANCE instance, HWND parent, int control_id, int x, int y, const ToolbarSpec& toolbar);

/// Owner access: the button's picture and pressed state; both repaint the toolbar.
void set_toolbar_bitmap(HWND toolbar, int button, ToolbarBitmap bitmap);
/// Writes `label` on the button in place of its picture (empty: the picture again); repaints.
void set_toolbar_label(HWND toolbar, int button, std::u16string_view label);
/// Moves the toolbar and gives it the sizes of a layout (its buttons grow with the pixel scale).
void place_toolbar(HWND toolbar, int x, int y, const ToolbarMetrics& metrics);
void set_toolbar_button_state(HWND toolbar, int button, int state);
int toolbar_button_state(HWND toolbar, int button);
/// A click on the button from the keyboard: the state changes and the click is reported exactly as
/// for a mouse click.
void click_toolbar_button(HWND toolbar, int button);
