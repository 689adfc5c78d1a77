// The main window: creates the seven toolbars, keeps the title, chooses the text height that fits,
// places the second-row toolbars over their columns, paints the scales off screen, restores and
// stores its placement, and saves the settings when it is destroyed.
#pragma once

#include "app/win32/win.h"

#include <array>

#include "app/app_state.h"
#include "app/command_host.h"
#include "app/host.h"
#include "app/keyboard.h"
#include "app/text_height.h"
#include "app/window_area.h"
#include "app/win32/app_paths.h"
#include "app/win32/gdi.h"
#include "app/win32/gdi_fonts.h"
#include "app/win32/toolbar_pictures.h"
#include "app/win32/toolbar_window.h"
#include "calc/calc_state.h"
#include "cameras/camera.h"
#include "display/drag_context.h"
#include "display/geometry.h"
#include "display/paint_scratch.h"

/// Everything the program works on, created once by start-up.
struct App : AppState {
    HINSTANCE instance = nullptr;
    AppPaths paths;
    int screen_width = 0;
    int screen_height = 0;
    /// The pixels per inch of the screen the main window is on.
    int dpi = 96;
};

/// Icons, cursors and toolbar pictures, loaded once and released with the main window.
struct AppResources {
    HICON app_icon = nullptr;
    HCURSOR arrow_cursor = nullptr;
    HCURSOR drag_cursor = nullptr;
    ToolbarPictures pictures;
    GdiFonts fonts;

    void load(HINSTANCE instance);
    void release();
};

class MainWindow final : public CommandHost, public MouseHost, public ToolbarOwner {
public:
    MainWindow(App& app, AppResources& resources);

    /// Registers the "Qel" class.
    static void register_class(HINSTANCE instance, HICON icon);
    /// Creates the window (at 100, 100, 600 x 600 at 96 dpi, until a stored placement moves it).
    HWND create();

    // CommandHost
    void show_menu(const PopupMenu& menu) override;
    int button_state(int toolbar, int button) override;
    void set_button_bitmap(int toolbar, int button, ToolbarBitmap bitmap) override;
    void set_button_label(int toolbar, int button, std::u16string_view label) override;
    void click_button(int toolbar, int button) override;
    void layout_toolbars() override;
    void recompute(bool rescale) override;
    void repaint() override;
    void update_title() override;
    bool run_camera_dialog() override;
    void run_about_box() override;
    void open_document(HelpDocument document) override;
    void open_field_card(std::u16string_view page) override;

    // MouseHost
    void capture_mouse() override;
    void release_mouse() override;
    void set_cursor(CursorKind cursor) override;
    void invalidate() override;

    // ToolbarOwner
    PopupHelpStyle popup_help_style() override;
    HBITMAP toolbar_picture(ToolbarBitmap bitmap, int size) override;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);

    void on_create();
    void on_size();
    void on_get_min_max_info(MINMAXINFO& info);
    /// A size on its way: grown where only a portrait layout would read at it but the height is short.
    void on_window_pos_changing(WINDOWPOS& pos);
    /// Moves and sizes the window into the work area of its monitor, at least the smallest size.
    void keep_in_work_area();
    /// The smallest window side by side on a work area: the smallest client and the frame, and at
    /// least minimum_window_height where the area has room for it.
    WindowSize least_window(const Rect& area) const;
    void on_paint();
    void on_command(int id);
    void on_toolbar(int toolbar, int button);
    /// A key went down (WM_KEYDOWN or WM_SYSKEYDOWN); false when it is not one of ours.
    bool on_key_down(WPARAM virtual_key);
    void on_mouse_down(bool left, int x, int y);
    void on_mouse_move(int x, int y);
    void on_mouse_up(bool left, int x, int y);
    void on_capture_changed(HWND new_owner);
    /// The wheel turned by `delta` (120 a notch, positive away from the user) at screen (x, y).
    void on_mouse_wheel(int delta, int x, int y);
    /// The window moved to a screen of another density: it takes the size Windows suggests.
    void on_dpi_changed(int dpi, const RECT& suggested);
    void on_end_session(bool ending);
    void on_destroy();
    /// Saves the settings file and the window placement, the first time only: a session that ends
    /// saves them before the window is destroyed, and the backup must still hold the previous file.
    void save_once();

    void create_toolbars();
    void layout_for_text_height(int text_height);
    HWND toolbar(int id) const;
    /// The toolbar whose button opens the menu with this anchor.
    static int menu_toolbar(MenuAnchor anchor);

    App& app_;
    AppResources& resources_;
    HWND window_ = nullptr;
    GdiTextMeasure measure_;
    BackBuffer back_buffer_;
    /// Toolbar handles by control id - 100.
    std::array<HWND, 7> toolbars_{};
    bool saved_ = false;
    /// The smallest clients in which everything is whole, for the screen the window is on.
    LeastClients least_{};
    /// Window size minus client size: the frame and the caption.
    SIZE frame_{};
    /// The client size last laid out.
    ClientSize last_client_{};
    /// Wheel turns not yet worth a row (a fine-grained wheel sends parts of a notch).
    int wheel_rest_ = 0;
    /// Whether the last key that went down was one of ours.
    bool key_handled_ = false;
};
