#include "app/win32/dialogs.h"

#include <algorithm>

namespace {

/// Puts the dialog in the middle of its owner, kept inside the owner's monitor work area.
void centre_on_owner(HWND dialog)
{
    const HWND owner = GetWindow(dialog, GW_OWNER);
    RECT box{}, over{};
    if (owner == nullptr || !GetWindowRect(dialog, &box) || !GetWindowRect(owner, &over))
        return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    const RECT area = GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)
                          ? monitor.rcWork
                          : over;
    const int width = box.right - box.left;
    const int height = box.bottom - box.top;
    int x = over.left + (over.right - over.left - width) / 2;
    int y = over.top + (over.bottom - over.top - height) / 2;
    x = std::max(std::min(x, static_cast<int>(area.right) - width), static_cast<int>(area.left));
    y = std::max(std::min(y, static_cast<int>(area.bottom) - height), static_cast<int>(area.top));
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK about_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        centre_on_owner(dialog);
        return TRUE;
    case WM_COMMAND:
        // OK, Enter, Escape and the close box (IDCANCEL) all close it.
        if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

void show_about_box(HINSTANCE instance, HWND owner)
{
    DialogBoxParamW(instance, MAKEINTRESOURCEW(about_box_id), owner, about_procedure, 0);
}
