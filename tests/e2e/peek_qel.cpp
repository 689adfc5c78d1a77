// qel-peek.exe OUTFILE TITLE: writes to OUTFILE (UTF-8) what the end-to-end tests cannot see in
// pixels: the visible top-level window titled TITLE, each of its controls and the keyboard focus.
//
//   window <enabled 0|1> <left> <top> <right> <bottom>
//   control <id> <class> <enabled 0|1> <left> <top> <right> <bottom> <text>
//   focus <id of the focused control, or 0>
//   foreground <title of the system's foreground window>
//
// Rectangles are screen coordinates (right and bottom exclusive); a drop-down list shows the text
// of its selected item. Exit code 0 when the window was found, 2 when not, 3 when OUTFILE failed.
//
// qel-peek.exe OUTFILE --metrics: the font this system draws popup menus in and the width of their
// check-mark column, so that the tests need not assume one machine's fonts:
//
//   menu_font <face name the menu font resolves to>
//   menu_text_height <its height plus external leading, pixels>
//   menu_check_width <width of the check-mark column at the left of a menu item, pixels>
//   menu_check_height <its height>
#include <windows.h>

#include <string>

namespace {

std::string utf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

std::wstring text_of(HWND window)
{
    const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT got = SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(got));
    for (wchar_t& c : text)
        if (c == L'\n' || c == L'\r' || c == L'\t') c = L' ';
    return text;
}

std::string rect_text(const RECT& r)
{
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
           std::to_string(r.bottom);
}

struct Found {
    const wchar_t* title;
    HWND window;
};

BOOL CALLBACK find_visible(HWND window, LPARAM lparam)
{
    auto* found = reinterpret_cast<Found*>(lparam);
    if (IsWindowVisible(window) && text_of(window) == found->title) {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK list_control(HWND control, LPARAM lparam)
{
    auto* out = reinterpret_cast<std::string*>(lparam);
    wchar_t class_name[64] = {};
    GetClassNameW(control, class_name, 64);
    RECT r{};
    GetWindowRect(control, &r);
    *out += "control " + std::to_string(GetDlgCtrlID(control)) + " " + utf8(class_name) + " " +
            (IsWindowEnabled(control) ? "1 " : "0 ") + rect_text(r) + " " + utf8(text_of(control)) + "\n";
    return TRUE;
}

bool write_file(const wchar_t* path, const std::string& out)
{
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == out.size();
}

int write_metrics(const wchar_t* path)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 2;
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    const std::string out = "menu_font " + utf8(face) + "\nmenu_text_height " +
                            std::to_string(text.tmHeight + text.tmExternalLeading) + "\nmenu_check_width " +
                            std::to_string(GetSystemMetrics(SM_CXMENUCHECK)) + "\nmenu_check_height " +
                            std::to_string(GetSystemMetrics(SM_CYMENUCHECK)) + "\n";
    return write_file(path, out) ? 0 : 3;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return 1;
    if (std::wstring(argv[2]) == L"--metrics") return write_metrics(argv[1]);
    Found found{argv[2], nullptr};
    EnumWindows(find_visible, reinterpret_cast<LPARAM>(&found));
    if (found.window == nullptr) return 2;

    std::string out;
    RECT r{};
    GetWindowRect(found.window, &r);
    out += std::string("window ") + (IsWindowEnabled(found.window) ? "1 " : "0 ") + rect_text(r) + "\n";
    EnumChildWindows(found.window, list_control, reinterpret_cast<LPARAM>(&out));
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    int focus = 0;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(found.window, nullptr), &info) && info.hwndFocus != nullptr &&
        IsChild(found.window, info.hwndFocus)) {
        HWND control = info.hwndFocus;
        // The edit inside a combo box has the focus for the combo box.
        while (GetParent(control) != found.window) control = GetParent(control);
        focus = GetDlgCtrlID(control);
    }
    out += "focus " + std::to_string(focus) + "\n";
    // The active window of the system: whose caption is drawn active and who gets the keys.
    wchar_t title[512] = {};
    const HWND foreground = GetForegroundWindow();
    if (foreground != nullptr)
        GetWindowTextW(foreground, title, 512);
    out += "foreground " + utf8(title) + "\n";

    return write_file(argv[1], out) ? 0 : 3;
}
