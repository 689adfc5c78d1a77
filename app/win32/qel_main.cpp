// The program's entry point: prepares the state, the resources and the window classes, creates
// the main window and runs the message loop.
#include "app/win32/win.h"

#include <memory>

#include "app/win32/dpi.h"
#include "app/win32/main_window.h"
#include "app/win32/toolbar_window.h"
#include "app/win32/settings_files_win32.h"
#include "app/win32/wide.h"
#include "cameras/camera.h"
#include "cameras/settings_file.h"
#include "calc/recompute.h"
#include "text/format.h"

namespace {

constexpr wchar_t dummy_class[] = L"dummy";

LRESULT CALLBACK dummy_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    return DefMDIChildProcW(window, message, wparam, lparam);
}

void register_dummy_class(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = dummy_procedure;
    wc.hInstance = instance;
    wc.lpszClassName = dummy_class;
    RegisterClassW(&wc);
}

void read_decimal_point()
{
    wchar_t separator[255] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 255) > 0 && separator[0] != 0) {
        set_decimal_point(static_cast<char16_t>(separator[0]));
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR, int)
{
    // The state holds the table of 1000 cameras: it lives on the heap, once, for the whole run.
    auto app = std::make_unique<App>();
    auto resources = std::make_unique<AppResources>();
    app->instance = instance;
    resources->load(instance);

    if (previous == nullptr) {
        MainWindow::register_class(instance, resources->app_icon);
        register_dummy_class(instance);
    }
    read_decimal_point();
    app->paths = locate_files();
    register_toolbar_class(instance);

    Win32SettingsFiles files;
    load_settings(app->paths.settings_path, app->state, app->cameras, files);
    derive_camera_values(app->cameras);

    app->screen_width = GetSystemMetrics(SM_CXSCREEN);
    app->screen_height = GetSystemMetrics(SM_CYSCREEN);
    app->dpi = window_dpi(nullptr);

    GdiTextMeasure measure(resources->fonts);
    layout_scales(app->geometry, measure, 0, 0, 0, app->dpi);
    SetCursor(resources->arrow_cursor);
    recompute(app->state, current_camera(app->cameras), true);

    MainWindow main_window(*app, *resources);
    const HWND window = main_window.create();
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNORMAL);

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
