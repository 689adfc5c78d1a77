#include "app/win32/toolbar_window.h"

#include <memory>
#include <string>

#include "app/win32/gdi.h"

namespace {

constexpr wchar_t class_name[] = L"toolbar";
constexpr UINT_PTR help_timer = 1000;
constexpr UINT help_delay_ms = 1000;

struct ToolbarCreation {
    const ToolbarSpec* toolbar;
};

class ToolbarWindow {
public:
    ToolbarWindow(HWND window, HINSTANCE instance, int control_id, HWND parent, const ToolbarSpec& toolbar)
        : window_(window), instance_(instance), control_id_(control_id), parent_(parent), toolbar_(toolbar)
    {
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    void set_bitmap(int button, ToolbarBitmap bitmap)
    {
        if (!valid(button)) return;
        toolbar_.bitmaps[button] = bitmap;
        InvalidateRect(window_, nullptr, TRUE);
    }
    void set_label(int button, std::u16string_view label)
    {
        if (!valid(button)) return;
        labels_[button] = label;
        InvalidateRect(window_, nullptr, TRUE);
    }
    void place(int x, int y, const ToolbarMetrics& metrics)
    {
        const bool resized = metrics.button != toolbar_.metrics.button || metrics.pitch != toolbar_.metrics.pitch ||
                             metrics.border != toolbar_.metrics.border;
        toolbar_.metrics = metrics;
        SetWindowPos(window_, nullptr, x, y, width(), height(),
                     SWP_NOZORDER | SWP_NOACTIVATE | (resized ? 0 : SWP_NOSIZE));
        if (resized) InvalidateRect(window_, nullptr, TRUE);
    }
    int width() const { return toolbar_.columns * toolbar_.metrics.pitch + 2 * toolbar_.metrics.border; }
    int height() const { return toolbar_.rows * toolbar_.metrics.pitch + 2 * toolbar_.metrics.border; }
    void set_state(int button, int state)
    {
        if (!valid(button)) return;
        states_[button] = state;
        InvalidateRect(window_, nullptr, TRUE);
    }
    int state(int button) const { return valid(button) ? states_[button] : 0; }
    /// A click on button `index`: its state changes as the kind says and the parent is told.
    void click(int index);

private:
    bool valid(int button) const { return button >= 0 && button < toolbar_.columns * toolbar_.rows && button < max_toolbar_buttons; }

    void on_create();
    void on_paint();
    void draw_label(HDC dc, int index, int x, int y);
    void on_mouse_move(int x, int y);
    void on_timer();
    void on_left_button_down(int x, int y);
    void on_destroy();
    void end_hover();

    HWND window_;
    HINSTANCE instance_;
    int control_id_;
    HWND parent_;
    ToolbarSpec toolbar_;
    int hover_ = -1;
    std::array<int, max_toolbar_buttons> states_{};
    std::array<std::u16string, max_toolbar_buttons> labels_{};
    BackBuffer back_buffer_;
};

void ToolbarWindow::on_create()
{
    hover_ = -1;
    states_.fill(0);
    if (toolbar_.kind == ButtonKind::Radio) {
        states_[0] = 1;
        InvalidateRect(window_, nullptr, TRUE);
    }
}

void ToolbarWindow::on_paint()
{
    PaintScope paint(window_);
    RECT client{};
    GetClientRect(window_, &client);
    // The buttons are composed off screen and copied in one step; the border and the gaps
    // between the buttons are black.
    HDC dc = back_buffer_.prepare(paint.get(), client.right, client.bottom);
    if (dc == nullptr) return;
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    MemoryDc source(dc);
    const ToolbarMetrics& m = toolbar_.metrics;
    for (int r = 0; r < toolbar_.rows; ++r) {
        for (int c = 0; c < toolbar_.columns; ++c) {
            const int index = r * toolbar_.columns + c;
            if (!valid(index) || toolbar_.owner == nullptr) continue;
            const HBITMAP picture = toolbar_.owner->toolbar_picture(toolbar_.bitmaps[index], m.button);
            if (picture == nullptr) continue;
            Selection bitmap(source.get(), picture);
            BitBlt(dc, m.border + c * m.pitch, m.border + r * m.pitch, m.button, m.button, source.get(), 0, 0,
                   states_[index] == 0 ? SRCCOPY : NOTSRCCOPY);
            if (!labels_[index].empty())
                draw_label(dc, index, m.border + c * m.pitch, m.border + r * m.pitch);
        }
    }
    BitBlt(paint.get(), 0, 0, client.right, client.bottom, dc, 0, 0, SRCCOPY);
}

// A label in place of the picture, in the picture's colours: white on black, inverted when pressed.
void ToolbarWindow::draw_label(HDC dc, int index, int x, int y)
{
    const int size = toolbar_.metrics.button;
    const bool pressed = states_[index] != 0;
    RECT cell{x, y, x + size, y + size};
    FillRect(dc, &cell, static_cast<HBRUSH>(GetStockObject(pressed ? WHITE_BRUSH : BLACK_BRUSH)));
    FontHandle font(CreateFontW(-(size * 11 / 24), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Calibri"));
    Selection selected(dc, font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, pressed ? RGB(0, 0, 0) : RGB(255, 255, 255));
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(labels_[index].c_str()), static_cast<int>(labels_[index].size()),
              &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void ToolbarWindow::end_hover()
{
    hide_popup_help();
    KillTimer(window_, help_timer);
    hover_ = -1;
}

void ToolbarWindow::on_mouse_move(int x, int y)
{
    const int cell = hover_cell(x, y, toolbar_.metrics, toolbar_.columns, toolbar_.rows);
    if (cell >= 0 && cell == hover_) return;
    if (cell >= 0) {
        hover_ = cell;
        hide_popup_help();
        SetCapture(window_);
        SetTimer(window_, help_timer, help_delay_ms, nullptr);
        return;
    }
    ReleaseCapture();
    end_hover();
}

void ToolbarWindow::on_timer()
{
    // Only while the pointer still rests on this toolbar: a background window's capture does not
    // follow the pointer out of it, so the move that would have ended the hover may never come.
    POINT pointer{};
    if (!GetCursorPos(&pointer) || WindowFromPoint(pointer) != window_) {
        end_hover();
        return;
    }
    if (hover_ != -1 && valid(hover_)) {
        const PopupHelpStyle style = toolbar_.owner != nullptr ? toolbar_.owner->popup_help_style() : PopupHelpStyle{};
        show_popup_help(instance_, toolbar_.help_texts[hover_], window_, style);
    }
    KillTimer(window_, help_timer);
}

void ToolbarWindow::on_left_button_down(int x, int y)
{
    const int index = hit_button(x, y, toolbar_.metrics, toolbar_.columns, toolbar_.rows);
    if (index < 0) return;
    ReleaseCapture();
    click(index);
}

void ToolbarWindow::click(int index)
{
    if (!valid(index)) return;
    hide_popup_help();
    hover_ = -1;
    const int count = toolbar_.columns * toolbar_.rows;
    if (apply_click(toolbar_.kind, std::span<int>(states_.data(), static_cast<std::size_t>(count)), index)) {
        InvalidateRect(window_, nullptr, TRUE);
    }
    SendMessageW(parent_, WM_APP, static_cast<WPARAM>(control_id_), static_cast<LPARAM>(index));
}

void ToolbarWindow::on_destroy()
{
    KillTimer(window_, help_timer);
    hide_popup_help();
    if (GetCapture() == window_) ReleaseCapture();
}

LRESULT CALLBACK ToolbarWindow::procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
        const auto* creation = static_cast<const ToolbarCreation*>(create->lpCreateParams);
        auto* self = new ToolbarWindow(window, create->hInstance,
                                       static_cast<int>(reinterpret_cast<INT_PTR>(create->hMenu)), create->hwndParent,
                                       *creation->toolbar);
        SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ToolbarWindow*>(GetWindowLongPtrW(window, 0));
    if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    const int x = static_cast<short>(LOWORD(lparam));
    const int y = static_cast<short>(HIWORD(lparam));
    switch (message) {
    case WM_CREATE:
        self->on_create();
        return 0;
    case WM_PAINT:
        self->on_paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the paint covers every pixel
    case WM_MOUSEMOVE:
        self->on_mouse_move(x, y);
        return 0;
    case WM_TIMER:
        self->on_timer();
        return 0;
    case WM_LBUTTONDOWN:
        self->on_left_button_down(x, y);
        return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse (a menu, a dialog, another program): the hover is over.
        if (reinterpret_cast<HWND>(lparam) != window)
            self->end_hover();
        return 0;
    case WM_DESTROY:
        self->on_destroy();
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(window, 0, 0);
        delete self;
        return DefWindowProcW(window, message, wparam, lparam);
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

ToolbarWindow* toolbar_of(HWND toolbar)
{
    return toolbar != nullptr ? reinterpret_cast<ToolbarWindow*>(GetWindowLongPtrW(toolbar, 0)) : nullptr;
}

}  // namespace

void register_toolbar_class(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ToolbarWindow::procedure;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);
}

HWND create_toolbar(HINSTANCE instance, HWND parent, int control_id, int x, int y, const ToolbarSpec& toolbar)
{
    ToolbarCreation creation{&toolbar};
    const ToolbarMetrics& m = toolbar.metrics;
    return CreateWindowExW(0, class_name, L"", WS_CHILD | WS_VISIBLE, x, y, toolbar.columns * m.pitch + 2 * m.border,
                           toolbar.rows * m.pitch + 2 * m.border, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(control_id)), instance, &creation);
}

void set_toolbar_bitmap(HWND toolbar, int button, ToolbarBitmap bitmap)
{
    if (ToolbarWindow* t = toolbar_of(toolbar)) t->set_bitmap(button, bitmap);
}

void set_toolbar_label(HWND toolbar, int button, std::u16string_view label)
{
    if (ToolbarWindow* t = toolbar_of(toolbar)) t->set_label(button, label);
}

void place_toolbar(HWND toolbar, int x, int y, const ToolbarMetrics& metrics)
{
    if (ToolbarWindow* t = toolbar_of(toolbar)) t->place(x, y, metrics);
}

void set_toolbar_button_state(HWND toolbar, int button, int state)
{
    if (ToolbarWindow* t = toolbar_of(toolbar)) t->set_state(button, state);
}

void click_toolbar_button(HWND toolbar, int button)
{
    if (ToolbarWindow* t = toolbar_of(toolbar)) t->click(button);
}

int toolbar_button_state(HWND toolbar, int button)
{
    const ToolbarWindow* t = toolbar_of(toolbar);
    return t != nullptr ? t->state(button) : 0;
}
