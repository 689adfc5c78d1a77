#include "app/win32/dpi.h"

#include "app/win32/gdi.h"

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);

DpiForWindow dpi_for_window()
{
    static const DpiForWindow function = [] {
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        return user32 != nullptr ? reinterpret_cast<DpiForWindow>(
                                       reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                                 : nullptr;
    }();
    return function;
}

}  // namespace

int window_dpi(HWND window)
{
    if (window != nullptr) {
        if (const DpiForWindow f = dpi_for_window()) {
            const UINT dpi = f(window);
            if (dpi > 0) return static_cast<int>(dpi);
        }
    }
    WindowDc screen(nullptr);
    const int dpi = screen.get() != nullptr ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}
