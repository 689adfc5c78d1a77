#include "app/win32/monitor.h"

namespace {

Rect work_area(HMONITOR monitor)
{
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info))
        return from_rect(info.rcWork);
    RECT desktop{};
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0))
        return from_rect(desktop);
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

Rect work_area_at(const Rect& r)
{
    const RECT at{r.left, r.top, r.right, r.bottom};
    return work_area(MonitorFromRect(&at, MONITOR_DEFAULTTONEAREST));
}

Rect work_area_of(HWND window) { return work_area(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)); }
