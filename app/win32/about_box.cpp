#include "app/win32/dialogs.h"

#include "app/win32/monitor.h"
#include "app/window_area.h"

namespace {

/// Puts the dialog in the middle of its owner, kept inside the work area of the owner's monitor.
void centre_on_owner(HWND dialog)
{
    const HWND owner = GetWindow(dialog, GW_OWNER);
    RECT box{}, over{};
    if (owner == nullptr || !GetWindowRect(dialog, &box) || !GetWindowRect(owner, &over))
        return;
    const Rect at = centred_within({box.right - box.left, box.bottom - box.top}, from_rect(over), work_area_of(owner));
    SetWindowPos(dialog, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
