#include "app/win32/main_window.h"

#include "app/commands.h"
#include "app/mouse_input.h"
#include "app/paths.h"
#include "app/text_height.h"
#include "app/toolbar_layout.h"
#include "app/window_area.h"
#include "app/win32/camera_dialog_win32.h"
#include "app/win32/dialogs.h"
#include "app/win32/dpi.h"
#include "app/win32/field_card_file.h"
#include "app/win32/gdi_canvas.h"
#include "app/win32/monitor.h"
#include "app/win32/popup_help.h"
#include "app/win32/settings_files_win32.h"
#include "app/win32/wide.h"
#include "app/win32/window_placement.h"
#include "calc/recompute.h"
#include "cameras/settings_file.h"
#include "display/paint.h"
#include "text/title.h"

namespace {

constexpr wchar_t class_name[] = L"Qel";
/// Grows the window to the client size in wParam x lParam (posted by WM_SIZE).
constexpr UINT grow_message = WM_APP + 1;
/// WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX (no maximise
/// box), clipping the toolbars so that painting the columns never draws over them.
constexpr DWORD main_style = 0x90CE0000 | WS_CLIPCHILDREN;

POINT to_point(Point p) { return {p.x, p.y}; }

/// Window size minus client size: the frame and the caption.
SIZE frame_size(HWND window)
{
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    if (client.right > 0 && client.bottom > 0)
        return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, main_style, FALSE, 0);
    return {r.right - r.left - 100, r.bottom - r.top - 100};
}

/// While a menu is shown the keyboard walks the menus as a menu bar: Left and Right close it and
/// open the neighbouring menu, Alt+letter the menu of that letter. The menu loop's message filter
/// (below) notes which menu comes next and ends the loop; show_menu then opens it.
struct MenuWalk {
    MenuAnchor shown = MenuAnchor::Camera;
    Mode mode = Mode::DepthOfField;
    std::optional<MenuAnchor> next;
};
MenuWalk menu_walk;

/// The menu a key pressed in a menu opens instead of it, if any.
std::optional<MenuAnchor> walk_key(const MSG& msg)
{
    if (msg.message == WM_KEYDOWN && (msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT))
        return neighbour_menu(menu_walk.shown, menu_walk.mode, msg.wParam == VK_LEFT ? -1 : 1);
    if (msg.message == WM_SYSKEYDOWN && msg.wParam >= 'A' && msg.wParam <= 'Z') {
        const Key key = msg.wParam == 'C'   ? Key::C
                        : msg.wParam == 'U' ? Key::U
                        : msg.wParam == 'H' ? Key::H
                        : msg.wParam == 'F' ? Key::F
                        : msg.wParam == 'T' ? Key::T
                                            : Key::Other;
        return menu_of_key({key, false, false, true}, menu_walk.mode);
    }
    return std::nullopt;
}

/// The press on a toolbar button opens its menu, and the release of that same click arrives in the
/// menu's own loop. A menu too tall for the room below its anchor (the camera menu with many
/// cameras) is moved up over the button, and that release would choose whatever item lies under
/// the pointer. While a menu is shown, this filter drops the release when it happens over the
/// toolbar that opened the menu; any later click, and a release after dragging onto an item, choose
/// as usual. (A message filter has no user data: the one menu shown at a time is described here.)
struct OpeningClick {
    RECT toolbar{};
    bool pending = false;
};
OpeningClick opening_click;

LRESULT CALLBACK drop_opening_release(int code, WPARAM wparam, LPARAM lparam)
{
    if (code == MSGF_MENU) {
        if (const std::optional<MenuAnchor> next = walk_key(*reinterpret_cast<const MSG*>(lparam))) {
            menu_walk.next = next;
            EndMenu();
            return TRUE;
        }
    }
    if (code == MSGF_MENU && opening_click.pending) {
        const MSG* msg = reinterpret_cast<const MSG*>(lparam);
        if (msg->message == WM_LBUTTONUP) {
            opening_click.pending = false;
            if (PtInRect(&opening_click.toolbar, msg->pt)) return TRUE;
        } else if (msg->message == WM_LBUTTONDOWN) {
            opening_click.pending = false;
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

/// Installs the filter for the time a menu opened by a toolbar is shown.
class OpeningReleaseFilter {
public:
    explicit OpeningReleaseFilter(HWND toolbar)
    {
        opening_click.pending = toolbar != nullptr && GetKeyState(VK_LBUTTON) < 0;
        if (opening_click.pending) GetWindowRect(toolbar, &opening_click.toolbar);
        hook_ = SetWindowsHookExW(WH_MSGFILTER, drop_opening_release, nullptr, GetCurrentThreadId());
    }
    OpeningReleaseFilter(const OpeningReleaseFilter&) = delete;
    OpeningReleaseFilter& operator=(const OpeningReleaseFilter&) = delete;
    ~OpeningReleaseFilter()
    {
        if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
        opening_click.pending = false;
    }

private:
    HHOOK hook_;
};

}  // namespace

void AppResources::load(HINSTANCE instance)
{
    app_icon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    // The system's cursors: Windows draws them at the size of the screen they are on.
    arrow_cursor = LoadCursorW(nullptr, IDC_ARROW);
    drag_cursor = LoadCursorW(nullptr, IDC_SIZENS);
}

void AppResources::release()
{
    pictures.release();
    fonts.release();
    if (app_icon != nullptr) DestroyIcon(app_icon);
    app_icon = nullptr;
}

MainWindow::MainWindow(App& app, AppResources& resources) : app_(app), resources_(resources), measure_(resources.fonts)
{
}

void MainWindow::register_class(HINSTANCE instance, HICON icon)
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);
}

HWND MainWindow::create()
{
    // 600 x 600 at 96 dpi, as large again on a denser screen, within the work area of the primary
    // monitor; the frame is the one a window of this style gets on this screen.
    RECT r{0, 0, 100, 100};
    AdjustWindowRectEx(&r, main_style, FALSE, 0);
    frame_ = {r.right - r.left - 100, r.bottom - r.top - 100};
    ScaleGeometry scratch;
    least_ = least_clients(scratch, measure_, app_.dpi);
    const Rect area = work_area_at({100, 100, 101, 101});
    const Rect at = first_window_rect(area, app_.dpi, least_window(area));
    return CreateWindowExW(0, class_name, L"", main_style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                           nullptr, nullptr, app_.instance, this);
}

WindowSize MainWindow::least_window(const Rect& area) const
{
    // The smallest client side by side; and at least the design's least height where the work area
    // has room for it.
    const int design = std::min(minimum_window_height(app_.dpi), area.bottom - area.top);
    return {least_.side.width + frame_.cx, std::max<int>(least_.side.height + frame_.cy, design)};
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    return self->handle(message, wparam, lparam);
}

LRESULT MainWindow::handle(UINT message, WPARAM wparam, LPARAM lparam)
{
    const int x = static_cast<short>(LOWORD(lparam));
    const int y = static_cast<short>(HIWORD(lparam));
    switch (message) {
    case WM_CREATE:
        on_create();
        return 0;
    case WM_SIZE:
        on_size();
        return 0;
    case WM_GETMINMAXINFO:
        on_get_min_max_info(*reinterpret_cast<MINMAXINFO*>(lparam));
        return 0;
    case WM_WINDOWPOSCHANGING: {
        // The default keeps the minimum track size; a size only the portrait layout reads at is
        // made tall enough for it.
        const LRESULT result = DefWindowProcW(window_, message, wparam, lparam);
        on_window_pos_changing(*reinterpret_cast<WINDOWPOS*>(lparam));
        return result;
    }
    case WM_ERASEBKGND:
        return 1;  // the paint covers the whole client area, so nothing flickers
    case WM_PAINT:
        on_paint();
        return 0;
    case WM_COMMAND:
        on_command(LOWORD(wparam));
        return 0;
    case WM_APP:
        on_toolbar(static_cast<int>(wparam), static_cast<int>(lparam));
        return 0;
    case grow_message:
        SetWindowPos(window_, nullptr, 0, 0, static_cast<int>(wparam) + frame_.cx, static_cast<int>(lparam) + frame_.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        key_handled_ = on_key_down(wparam);
        if (key_handled_)
            return 0;
        return DefWindowProcW(window_, message, wparam, lparam);
    case WM_SYSCHAR:
        // The character of an Alt shortcut we acted on: the default would look for a menu-bar item
        // of that letter, find none and beep.
        if (key_handled_)
            return 0;
        return DefWindowProcW(window_, message, wparam, lparam);
    case WM_SYSCOMMAND:
        // Alt pressed and released alone asks for the menu bar's first menu: the toolbars' first.
        if ((wparam & 0xFFF0) == SC_KEYMENU && lparam == 0) {
            key_down({{app_.state, app_.cameras, *this}, app_.keys, ScaleValue::None,
                      app_.drag.drag_state != DragState::Idle, &app_.geometry.details},
                     {Key::F10, false, false, false});
            return 0;
        }
        return DefWindowProcW(window_, message, wparam, lparam);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    // The class asks for double clicks; a second press soon after a first is a press all the same
    // (drag, move back and drag again is how a scale is ratcheted along).
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        on_mouse_down(message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK, x, y);
        return 0;
    case WM_MOUSEMOVE:
        on_mouse_move(x, y);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        on_mouse_up(message == WM_LBUTTONUP, x, y);
        return 0;
    case WM_CAPTURECHANGED:
        on_capture_changed(reinterpret_cast<HWND>(lparam));
        return 0;
    case WM_MOUSEWHEEL:
        on_mouse_wheel(static_cast<short>(HIWORD(wparam)), x, y);
        return 0;
    case WM_DPICHANGED:
        on_dpi_changed(LOWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;  // nothing to ask: everything is saved at once
    case WM_ENDSESSION:
        on_end_session(wparam != FALSE);
        return 0;
    case WM_DESTROY:
        on_destroy();
        return 0;
    default:
        return DefWindowProcW(window_, message, wparam, lparam);
    }
}

HWND MainWindow::toolbar(int id) const
{
    const int i = id - toolbar_id::mode;
    return i >= 0 && i < static_cast<int>(toolbars_.size()) ? toolbars_[static_cast<std::size_t>(i)] : nullptr;
}

void MainWindow::create_toolbars()
{
    const std::array<ToolbarPlace, 7> places = toolbar_places(app_.geometry, app_.state.mode);
    for (const ToolbarDescription& d : toolbar_descriptions()) {
        ToolbarSpec toolbar;
        toolbar.kind = d.kind;
        toolbar.metrics = toolbar_metrics(app_.geometry);
        toolbar.columns = d.columns;
        toolbar.rows = d.rows;
        toolbar.owner = this;
        for (std::size_t i = 0; i < d.buttons.size() && i < toolbar.bitmaps.size(); ++i) {
            toolbar.bitmaps[i] = d.buttons[i].bitmap;
            toolbar.help_texts[i] = wide(d.buttons[i].help);
        }
        const ToolbarPlace& p = places[static_cast<std::size_t>(d.control_id - toolbar_id::mode)];
        const HWND t = create_toolbar(app_.instance, window_, d.control_id, p.x, p.y, toolbar);
        toolbars_[static_cast<std::size_t>(d.control_id - toolbar_id::mode)] = t;
        switch (d.control_id) {
        case toolbar_id::mode:
            for (int b = 0; b < mode_count; ++b) {
                set_toolbar_button_state(t, b, b == static_cast<int>(app_.state.mode) ? 1 : 0);
            }
            break;
        case toolbar_id::units_help:
            refresh_units_button(app_.state, *this);
            break;
        case toolbar_id::snap:
            set_toolbar_button_state(t, 0, app_.state.snap != 0 ? 1 : 0);
            break;
        case toolbar_id::f_stop_increment:
            set_toolbar_button_state(t, 0, 1);
            set_toolbar_bitmap(t, 0, f_stop_increment_bitmap(app_.state));
            break;
        case toolbar_id::teleconverter:
            set_toolbar_button_state(t, 0, 1);
            refresh_teleconverter_button(app_.state, *this);
            break;
        default:
            break;
        }
    }
}

void MainWindow::on_create()
{
    app_.dpi = window_dpi(window_);
    RECT client{};
    GetClientRect(window_, &client);
    choose_text_height(app_.geometry, measure_, client.right, client.bottom, app_.dpi);
    create_toolbars();
    update_title();
    // A stored placement comes back within the work area of its monitor, never smaller than the
    // smallest text needs (a sliver comes back that large) nor larger than the work area.
    frame_ = frame_size(window_);
    restore_window_placement(window_);
    keep_in_work_area();
    ::recompute(app_.state, current_camera(app_.cameras), true);
}

void MainWindow::keep_in_work_area()
{
    RECT now{};
    if (IsIconic(window_) || IsZoomed(window_) || !GetWindowRect(window_, &now))
        return;
    const Rect stored = from_rect(now);
    const Rect area = work_area_at(stored);
    // At least the smallest window side by side, unless the stored size is a portrait one that reads.
    const int width = stored.right - stored.left - frame_.cx;
    const int height = stored.bottom - stored.top - frame_.cy;
    const bool upright = width < least_.side.width && width >= least_.upright.width && height >= least_.upright.height;
    const WindowSize least = upright ? WindowSize{least_.upright.width + frame_.cx, least_.upright.height + frame_.cy}
                                     : least_window(area);
    const Rect at = restored_window_rect(stored, area, least);
    if (!(at == stored))
        SetWindowPos(window_, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::on_window_pos_changing(WINDOWPOS& pos)
{
    if ((pos.flags & SWP_NOSIZE) != 0 || IsIconic(window_) || IsZoomed(window_))
        return;
    RECT now{};
    GetWindowRect(window_, &now);
    const bool width_moves = pos.cx != now.right - now.left && pos.cy == now.bottom - now.top;
    const ClientSize client = readable_client({pos.cx - frame_.cx, pos.cy - frame_.cy}, least_, width_moves);
    pos.cx = client.width + frame_.cx;
    pos.cy = std::max(pos.cy, client.height + static_cast<int>(frame_.cy));
}

void MainWindow::click_button(int toolbar_id, int button) { click_toolbar_button(toolbar(toolbar_id), button); }

void MainWindow::layout_toolbars()
{
    // Every toolbar follows the layout: the first row moves with the margin, all grow with the
    // pixel scale, and the second row stays centred over its columns.
    const ScaleGeometry& g = app_.geometry;
    const std::array<ToolbarPlace, 7> places = toolbar_places(g, app_.state.mode);
    const ToolbarMetrics metrics = toolbar_metrics(g);
    for (const ToolbarDescription& d : toolbar_descriptions()) {
        const ToolbarPlace& p = places[static_cast<std::size_t>(d.control_id - toolbar_id::mode)];
        place_toolbar(toolbar(d.control_id), p.x, p.y, metrics);
        ShowWindow(toolbar(d.control_id), p.shown ? SW_SHOWNA : SW_HIDE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::on_size()
{
    RECT client{};
    GetClientRect(window_, &client);
    // A size that reached the window past WM_WINDOWPOSCHANGING (a window manager's, or Wine's
    // without one) and holds neither layout's readable text grows to one that does, once the
    // change that brought it is over; meanwhile it is laid out as it is.
    const ClientSize now{client.right, client.bottom};
    if (now.width > 0 && now.height > 0 && !IsIconic(window_) && !IsZoomed(window_)) {
        const bool width_moves = now.height == last_client_.height && now.width != last_client_.width;
        const ClientSize readable = readable_client(now, least_, width_moves);
        if (readable.width != now.width || readable.height != now.height)
            PostMessageW(window_, grow_message, static_cast<WPARAM>(readable.width), static_cast<LPARAM>(readable.height));
        last_client_ = now;
    }
    app_.text_height = choose_text_height(app_.geometry, measure_, client.right, client.bottom, app_.dpi);
    layout_toolbars();
}

void MainWindow::layout_for_text_height(int text_height)
{
    RECT client{};
    GetClientRect(window_, &client);
    layout_scales(app_.geometry, measure_, text_height, client.right, client.bottom, app_.dpi);
}

void MainWindow::on_get_min_max_info(MINMAXINFO& info)
{
    layout_for_text_height(app_.text_height);
    // The narrowest window is a portrait one, the lowest one side by side: each of the two is
    // whole at the readable minimum, and a size that neither makes readable is grown on its way
    // (WM_WINDOWPOSCHANGING).
    RECT now{};
    GetWindowRect(window_, &now);
    const WindowSize least = least_window(work_area_at(from_rect(now)));
    info.ptMinTrackSize.x = std::min(least.width, least_.upright.width + static_cast<int>(frame_.cx));
    info.ptMinTrackSize.y = least.height;
}

void MainWindow::on_dpi_changed(int dpi, const RECT& suggested)
{
    app_.dpi = dpi > 0 ? dpi : 96;
    ScaleGeometry scratch;
    least_ = least_clients(scratch, measure_, app_.dpi);
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    frame_ = frame_size(window_);  // the caption and borders of the new density
    // Also when the suggested size is the old one: the layout follows the new density.
    on_size();
}

void MainWindow::on_mouse_wheel(int delta, int x, int y)
{
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0 || lines > 100) lines = 3;  // "a page at a time" scrolls three rows here
    wheel_rest_ += delta * static_cast<int>(lines);
    const int rows = -wheel_rest_ / WHEEL_DELTA;
    wheel_rest_ += rows * WHEEL_DELTA;
    POINT at{x, y};
    ScreenToClient(window_, &at);
    if (rows != 0 && !mouse_wheel(at.x, at.y, rows, app_.geometry, *this))
        wheel_rest_ = 0;
}

void MainWindow::on_paint()
{
    PaintScope scope(window_);
    RECT client{};
    GetClientRect(window_, &client);
    HDC dc = back_buffer_.prepare(scope.get(), client.right, client.bottom);
    if (dc == nullptr) return;
    // paint covers every client pixel exactly once (the panels and the grey around them), so the
    // back buffer needs no clearing first.
    resources_.fonts.use_height(app_.text_height);
    {
        GdiCanvas canvas(dc, resources_.fonts);
        paint(canvas, measure_, app_.state, current_camera(app_.cameras), app_.geometry, app_.scratch,
              focus_cue(app_.keys, app_.state.mode, app_.geometry.details.last_first > 0));
    }
    BitBlt(scope.get(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

void MainWindow::on_command(int id) { menu_command({app_.state, app_.cameras, *this}, id); }

void MainWindow::on_toolbar(int toolbar_id, int button)
{
    toolbar_command({app_.state, app_.cameras, *this}, toolbar_id, button);
}

namespace {

Key key_of(WPARAM virtual_key)
{
    switch (virtual_key) {
    case '1': case VK_NUMPAD1: return Key::Digit1;
    case '2': case VK_NUMPAD2: return Key::Digit2;
    case '3': case VK_NUMPAD3: return Key::Digit3;
    case '4': case VK_NUMPAD4: return Key::Digit4;
    case '5': case VK_NUMPAD5: return Key::Digit5;
    case 'C': return Key::C;
    case 'E': return Key::E;
    case 'F': return Key::F;
    case 'G': return Key::G;
    case 'H': return Key::H;
    case 'P': return Key::P;
    case 'R': return Key::R;
    case 'T': return Key::T;
    case 'U': return Key::U;
    case VK_F1: return Key::F1;
    case VK_F10: return Key::F10;
    case VK_ADD: case VK_OEM_PLUS: return Key::Plus;
    case VK_SUBTRACT: case VK_OEM_MINUS: return Key::Minus;
    case VK_UP: return Key::Up;
    case VK_DOWN: return Key::Down;
    case VK_PRIOR: return Key::PageUp;
    case VK_NEXT: return Key::PageDown;
    case VK_TAB: return Key::Tab;
    case VK_ESCAPE: return Key::Escape;
    case VK_HOME: return Key::Home;
    case VK_END: return Key::End;
    default: return Key::Other;
    }
}

bool key_held(int virtual_key) { return (GetKeyState(virtual_key) & 0x8000) != 0; }

}  // namespace

bool MainWindow::on_key_down(WPARAM virtual_key)
{
    const KeyPress press{key_of(virtual_key), key_held(VK_CONTROL), key_held(VK_SHIFT), key_held(VK_MENU)};
    if (press.key == Key::Other)
        return false;
    // The arrows move the value under the pointer only while the pointer is on this window.
    ScaleValue under_pointer = ScaleValue::None;
    POINT pointer{};
    if (GetCursorPos(&pointer) && WindowFromPoint(pointer) == window_ && ScreenToClient(window_, &pointer))
        under_pointer = scale_value_at(pointer.x, pointer.y, app_.state, app_.geometry);
    return key_down({{app_.state, app_.cameras, *this}, app_.keys, under_pointer,
                     app_.drag.drag_state != DragState::Idle, &app_.geometry.details},
                    press);
}

void MainWindow::on_mouse_down(bool left, int x, int y)
{
    note_press(app_.keys, left ? scale_value_at(x, y, app_.state, app_.geometry) : ScaleValue::None);
    mouse_down(left ? MouseButton::Left : MouseButton::Right, x, y, app_.state, current_camera(app_.cameras),
               app_.geometry, app_.drag, *this);
}

void MainWindow::on_mouse_move(int x, int y)
{
    mouse_move(x, y, app_.state, current_camera(app_.cameras), app_.geometry, app_.drag, *this);
}

void MainWindow::on_mouse_up(bool left, int x, int y)
{
    mouse_up(left ? MouseButton::Left : MouseButton::Right, x, y, app_.state, current_camera(app_.cameras),
             app_.geometry, app_.drag, *this);
}

void MainWindow::on_capture_changed(HWND new_owner)
{
    if (new_owner != window_)
        mouse_capture_lost(app_.state, current_camera(app_.cameras), app_.drag, *this);
}

void MainWindow::save_once()
{
    if (saved_)
        return;
    saved_ = true;
    Win32SettingsFiles files;
    save_settings(app_.paths.settings_path, app_.state, app_.cameras, files);
    store_window_placement(window_);
}

void MainWindow::on_end_session(bool ending)
{
    // Log-off or shut-down: the process may end after this message without a WM_DESTROY.
    if (ending)
        save_once();
}

void MainWindow::on_destroy()
{
    save_once();
    back_buffer_.release();
    resources_.release();
    PostQuitMessage(0);
}

int MainWindow::menu_toolbar(MenuAnchor a)
{
    switch (a) {
    case MenuAnchor::Camera: return toolbar_id::camera;
    case MenuAnchor::Units:
    case MenuAnchor::Help: return toolbar_id::units_help;
    case MenuAnchor::FStopIncrement: return toolbar_id::f_stop_increment;
    case MenuAnchor::Teleconverter: return toolbar_id::teleconverter;
    }
    return toolbar_id::camera;
}

void MainWindow::show_menu(const PopupMenu& first)
{
    PopupMenu walked;
    for (const PopupMenu* menu = &first; menu != nullptr;) {
        MenuHandle handle;
        if (handle.get() == nullptr) return;
        for (const MenuItem& item : menu->items) {
            if (item.separator()) {
                AppendMenuW(handle.get(), MF_SEPARATOR, 0, nullptr);
                continue;
            }
            const std::u16string label = menu_label(item);
            AppendMenuW(handle.get(), MF_STRING | (item.checked ? MF_CHECKED : MF_UNCHECKED),
                        static_cast<UINT_PTR>(item.id), wide(label.c_str()));
        }
        POINT at = to_point(menu_anchor(menu->anchor, app_.geometry, app_.state.mode));
        ClientToScreen(window_, &at);
        const RECT bounds{0, 0, app_.screen_width, app_.screen_height};
        menu_walk = {menu->anchor, app_.state.mode, std::nullopt};
        {
            const OpeningReleaseFilter filter(toolbar(menu_toolbar(menu->anchor)));
            TrackPopupMenu(handle.get(), 0, at.x, at.y, 0, window_, &bounds);
        }
        menu = nullptr;
        if (menu_walk.next) {
            walked = menu_at(*menu_walk.next, app_.state, app_.cameras);
            menu = &walked;
        }
    }
}

int MainWindow::button_state(int toolbar_id, int button) { return toolbar_button_state(toolbar(toolbar_id), button); }

void MainWindow::set_button_bitmap(int toolbar_id, int button, ToolbarBitmap bitmap)
{
    set_toolbar_bitmap(toolbar(toolbar_id), button, bitmap);
}

void MainWindow::set_button_label(int toolbar_id, int button, std::u16string_view label)
{
    set_toolbar_label(toolbar(toolbar_id), button, label);
}

void MainWindow::recompute(bool rescale)
{
    ::recompute(app_.state, current_camera(app_.cameras), rescale);
    InvalidateRect(window_, nullptr, FALSE);
}

void MainWindow::repaint() { InvalidateRect(window_, nullptr, FALSE); }

void MainWindow::update_title() { SetWindowTextW(window_, wide(window_title(app_.cameras).c_str())); }

bool MainWindow::run_camera_dialog()
{
    ::run_camera_dialog(app_.instance, window_, app_.cameras);
    return true;
}

void MainWindow::run_about_box() { show_about_box(app_.instance, window_); }

void MainWindow::open_document(HelpDocument document)
{
    const std::u16string& path =
        document == HelpDocument::QuickStart ? app_.paths.quick_start : app_.paths.reference_manual;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = wide(path.c_str());
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info))
        return;
    const bool exists = GetFileAttributesW(wide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
    const std::u16string message = document_failure_message(path, exists);
    MessageBoxW(window_, wide(message.c_str()), L"Qel", MB_OK | MB_ICONINFORMATION);
}

void MainWindow::open_field_card(std::u16string_view page)
{
    show_field_card(window_, app_.paths.field_card_path, page);
}

void MainWindow::capture_mouse() { SetCapture(window_); }
void MainWindow::release_mouse() { ReleaseCapture(); }

void MainWindow::set_cursor(CursorKind cursor)
{
    SetCursor(cursor == CursorKind::Drag ? resources_.drag_cursor : resources_.arrow_cursor);
}

void MainWindow::invalidate() { InvalidateRect(window_, nullptr, FALSE); }

PopupHelpStyle MainWindow::popup_help_style()
{
    resources_.fonts.use_height(app_.text_height);
    return {resources_.fonts.text_font(), app_.geometry.u, app_.geometry.line_height};
}

HBITMAP MainWindow::toolbar_picture(ToolbarBitmap bitmap, int size) { return resources_.pictures.picture(bitmap, size); }
