#include "base/dpi.h"

typedef UINT(WINAPI* DpiForWindowProc)(HWND);
typedef int(WINAPI* MetricForDpiProc)(int, UINT);

static FARPROC User32Proc(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : NULL;
}

UINT WindowDpi(HWND hwnd)
{
    // void (*)() is the type GCC lets any function pointer pass through.
    auto dpiForWindow = reinterpret_cast<DpiForWindowProc>(reinterpret_cast<void (*)()>(User32Proc("GetDpiForWindow")));
    UINT dpi = dpiForWindow && hwnd ? dpiForWindow(hwnd) : 0;
    if (dpi)
        return dpi;
    HDC screen = GetDC(NULL);
    dpi = screen ? static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY)) : 0;
    ReleaseDC(NULL, screen);
    return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

int MetricForDpi(int index, UINT dpi)
{
    auto metricForDpi =
        reinterpret_cast<MetricForDpiProc>(reinterpret_cast<void (*)()>(User32Proc("GetSystemMetricsForDpi")));
    return metricForDpi ? metricForDpi(index, dpi) : GetSystemMetrics(index);
}
