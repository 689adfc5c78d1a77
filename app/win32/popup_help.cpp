#include "app/win32/popup_help.h"

#include <cwchar>
#include <memory>

#include "app/win32/gdi.h"

namespace {

constexpr wchar_t class_name[] = L"Popup Help";
constexpr int text_capacity = 256;

struct PopupHelpRecord {
    HWND owner = nullptr;
    wchar_t text[text_capacity] = {};
    HFONT font = nullptr;
};

HWND popup = nullptr;
bool class_registered = false;
// The record the last created popup took over at WM_CREATE (and frees at WM_DESTROY).
const void* adopted_record = nullptr;

void on_paint(HWND window, const PopupHelpRecord& record)
{
    PaintScope paint(window);
    RECT client{};
    GetClientRect(window, &client);
    BrushHandle yellow(CreateSolidBrush(RGB(255, 255, 192)));
    {
        Selection brush(paint.get(), yellow.get());
        Selection pen(paint.get(), GetStockObject(BLACK_PEN));
        Rectangle(paint.get(), client.left, client.top, client.right, client.bottom);
    }
    Selection font(paint.get(), record.font);
    SetTextColor(paint.get(), RGB(0, 0, 0));
    SetBkMode(paint.get(), TRANSPARENT);
    DrawTextW(paint.get(), record.text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

LRESULT CALLBACK popup_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* record = reinterpret_cast<PopupHelpRecord*>(GetWindowLongPtrW(window, 0));
    switch (message) {
    case WM_CREATE:
        popup = window;
        adopted_record = reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams;
        SetWindowLongPtrW(window, 0,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
        InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;  // a click on the popup leaves the active window as it is
    case WM_PAINT:
        if (record != nullptr) {
            on_paint(window, *record);
            return 0;
        }
        break;
    case WM_DESTROY:
        if (popup == window) popup = nullptr;
        SetWindowLongPtrW(window, 0, 0);
        delete record;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void register_class(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = popup_procedure;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);
    class_registered = true;
}

}  // namespace

HWND popup_help_window() { return popup; }

void hide_popup_help()
{
    if (popup != nullptr) DestroyWindow(popup);
    popup = nullptr;
}

void show_popup_help(HINSTANCE instance, const wchar_t* text, HWND owner, const PopupHelpStyle& style)
{
    if (!class_registered) register_class(instance);
    hide_popup_help();

    auto record = std::make_unique<PopupHelpRecord>();
    record->owner = owner;
    record->font = style.font;
    wcsncpy(record->text, text != nullptr ? text : L"", text_capacity - 1);

    SIZE extent{};
    {
        WindowDc screen(nullptr);
        Selection font(screen.get(), style.font);
        GetTextExtentPoint32W(screen.get(), record->text, static_cast<int>(wcslen(record->text)), &extent);
    }
    const int width = extent.cx + 2 * style.margin;
    const int height = style.line_height + 2 * style.margin;
    POINT pointer{};
    GetCursorPos(&pointer);

    // The window owns the record from WM_CREATE on; when creation fails it is freed here.
    // Shown without activation: the main window keeps its active caption and whatever has the
    // keyboard keeps it.
    PopupHelpRecord* raw = record.release();
    const HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, class_name, L"", WS_POPUP, pointer.x,
                                        pointer.y + 2 * style.line_height, width, height, owner, nullptr, instance,
                                        raw);
    if (window == nullptr) {
        if (adopted_record != raw)
            delete raw;
        return;
    }
    ShowWindow(window, SW_SHOWNOACTIVATE);
}
