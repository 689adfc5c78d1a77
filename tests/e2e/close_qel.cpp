// qel-close.exe: posts WM_CLOSE to the Qel main window, as the close box would, and waits
// until that window is gone (at most about ten seconds). Exit code 0 when it closed.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    HWND window = FindWindowW(L"Qel", nullptr);
    if (window == nullptr) return 2;
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (int i = 0; i < 1000 && IsWindow(window); ++i) Sleep(10);
    return IsWindow(window) ? 1 : 0;
}
