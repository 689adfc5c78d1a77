// What the commands ask of the window they run in. The Windows main window implements it;
// tests record the calls.
#pragma once

#include "app/menus.h"
#include "app/toolbars.h"

enum class HelpDocument { QuickStart, ReferenceManual };

class CommandHost {
public:
    virtual ~CommandHost() = default;
    /// Shows a popup menu at its anchor; the choice arrives later as a separate command.
    virtual void show_menu(const PopupMenu& menu) = 0;
    /// The pressed state a toolbar button has now (the toolbar flips toggles before it reports).
    virtual int button_state(int toolbar, int button) = 0;
    virtual void set_button_bitmap(int toolbar, int button, ToolbarBitmap bitmap) = 0;
    /// Writes `label` on the button in place of its picture; an empty label shows the picture.
    virtual void set_button_label(int toolbar, int button, std::u16string_view label) = 0;
    /// Clicks a toolbar button for the keyboard: its state changes as a mouse click's would and the
    /// click comes back as a toolbar command.
    virtual void click_button(int toolbar, int button) = 0;
    /// Places the second-row toolbars over their columns and shows or hides them for the mode.
    virtual void layout_toolbars() = 0;
    /// Derives every result (re-centring the scale windows when `rescale`) and repaints.
    virtual void recompute(bool rescale) = 0;
    /// Repaints without recomputing.
    virtual void repaint() = 0;
    /// Sets the window title from the current camera.
    virtual void update_title() = 0;
    /// Runs the camera properties dialog; returns true once it has been closed, false when there was
    /// none to run or when it stays open after this returns (the host then calls
    /// camera_dialog_closed when it closes).
    virtual bool run_camera_dialog() = 0;
    virtual void run_about_box() = 0;
    /// Opens a help document with its default application; says so, and where Qel looked, when
    /// that fails.
    virtual void open_document(HelpDocument document) = 0;
    /// Shows a field card, a printable HTML page, in the user's browser; says so when that fails.
    virtual void open_field_card(std::u16string_view page) = 0;
};
