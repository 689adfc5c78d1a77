#include "app/win32/camera_dialog_win32.h"

#include <array>
#include <memory>
#include <string_view>

#include "cameras/camera_dialog.h"

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 text is UTF-16");
static_assert(combo_selection_changed == CBN_SELCHANGE);

// What lives as long as the dialog: the table it edits, the table as the dialog found it (for
// Cancel), the main window whose title it sets, and whether a message box is up (its focus
// changes must not start another check).
struct CameraDialogSession {
    CameraTable* table;
    std::unique_ptr<CameraTable> opened;
    HWND main_window;
    bool showing_error;
};

// Win32 needs zero-terminated text; every text here is shorter than 256 units.
struct WideText {
    std::array<wchar_t, 256> units{};

    explicit WideText(std::u16string_view text)
    {
        const std::size_t n = text.size() < units.size() - 1 ? text.size() : units.size() - 1;
        for (std::size_t i = 0; i < n; ++i)
            units[i] = static_cast<wchar_t>(text[i]);
    }
    const wchar_t* c_str() const { return units.data(); }
};

class Win32CameraDialogView final : public CameraDialogView {
public:
    Win32CameraDialogView(HWND dialog, CameraDialogSession& session) : dialog_(dialog), session_(session) {}

    Text256 get_text(int control_id) override
    {
        Text256 text;
        // 255 units including the terminating zero: a name of at most 254 units.
        const UINT n = GetDlgItemTextW(dialog_, control_id, reinterpret_cast<wchar_t*>(text.data.data()), 255);
        text.length = n;
        return text;
    }

    void set_text(int control_id, std::u16string_view text) override
    {
        // An edit given its own text again would lose its selection: tabbing out of the Type or
        // Focal Length box runs a fill after the dialog selected the next edit's text, and typing
        // would then add to the old value instead of replacing it.
        const WideText shown(text);
        std::array<wchar_t, 256> current{};
        GetDlgItemTextW(dialog_, control_id, current.data(), static_cast<int>(current.size()));
        if (std::wstring_view(current.data()) == std::wstring_view(shown.c_str()))
            return;
        SetDlgItemTextW(dialog_, control_id, shown.c_str());
    }

    void limit_text(int control_id, int units) override
    {
        SendDlgItemMessageW(dialog_, control_id, EM_LIMITTEXT, static_cast<WPARAM>(units), 0);
    }

    void add_item(int combo_id, std::u16string_view item) override
    {
        const WideText text(item);
        SendDlgItemMessageW(dialog_, combo_id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    int get_selection(int combo_id) override
    {
        return static_cast<int>(SendDlgItemMessageW(dialog_, combo_id, CB_GETCURSEL, 0, 0));
    }

    void set_selection(int combo_id, int index) override
    {
        SendDlgItemMessageW(dialog_, combo_id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    void enable(int control_id, bool enabled) override
    {
        EnableWindow(GetDlgItem(dialog_, control_id), enabled ? TRUE : FALSE);
    }

    void show_error(std::u16string_view message) override
    {
        // Owned by the dialog: the dialog cannot be used while the box is up, and it is active
        // again afterwards with the focus back on the control the user was editing (a task-modal
        // box without an owner left no window active, so the keyboard reached nothing).
        session_.showing_error = true;
        MessageBoxW(dialog_, WideText(message).c_str(), L"Error", MB_OK);
        session_.showing_error = false;
    }

    bool ask(std::u16string_view question) override
    {
        session_.showing_error = true;
        const int answer = MessageBoxW(dialog_, WideText(question).c_str(), L"Qel", MB_YESNO | MB_ICONQUESTION);
        session_.showing_error = false;
        return answer == IDYES;
    }

    void select_field(int control_id) override
    {
        // WM_NEXTDLGCTL moves the focus as the dialog manager does (the default button follows);
        // the whole text is selected, so typing replaces it.
        const HWND field = GetDlgItem(dialog_, control_id);
        SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        SendMessageW(field, EM_SETSEL, 0, -1);
    }

    void set_main_title(std::u16string_view title) override
    {
        SetWindowTextW(session_.main_window, WideText(title).c_str());
    }

    void end_dialog() override { EndDialog(dialog_, 0); }

private:
    HWND dialog_;
    CameraDialogSession& session_;
};

INT_PTR on_init_dialog(HWND dialog, LPARAM creation_value)
{
    auto* session = reinterpret_cast<CameraDialogSession*>(creation_value);
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(session));
    Win32CameraDialogView view(dialog, *session);
    camera_dialog_init(*session->table, view, *session->opened);
    return TRUE;  // the focus goes to the name edit
}

INT_PTR on_command(HWND dialog, CameraDialogSession& session, WPARAM wparam)
{
    if (session.showing_error)
        return TRUE;  // the error box's own focus changes
    Win32CameraDialogView view(dialog, session);
    const bool handled = camera_dialog_command(*session.table, *session.opened, view, static_cast<int>(LOWORD(wparam)),
                                               static_cast<int>(HIWORD(wparam)));
    return handled ? TRUE : FALSE;
}

INT_PTR on_close(HWND dialog, CameraDialogSession& session)
{
    if (!session.showing_error) {
        Win32CameraDialogView view(dialog, session);
        camera_dialog_close(*session.table, view);
    }
    return TRUE;
}

INT_PTR CALLBACK camera_dialog_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_INITDIALOG)
        return on_init_dialog(dialog, lparam);
    auto* session = reinterpret_cast<CameraDialogSession*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (session == nullptr)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return on_command(dialog, *session, wparam);
    case WM_CLOSE:
        return on_close(dialog, *session);
    default:
        return FALSE;
    }
}

}  // namespace

void run_camera_dialog(HINSTANCE instance, HWND main_window, CameraTable& table)
{
    CameraDialogSession session{&table, std::make_unique<CameraTable>(), main_window, false};
    DialogBoxParamW(instance, MAKEINTRESOURCEW(camera_dialog_id), main_window, camera_dialog_procedure,
                    reinterpret_cast<LPARAM>(&session));
}
