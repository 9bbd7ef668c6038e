// The maximize hook: a window of any program that is being maximized is
// moved to fill the work area of its monitor below the bar instead of
// covering the bar or the taskbar. This runs inside other processes: only
// USER32 is called here.
#include "hook/tolvexhk.h"

// The entry point in place of the C runtime's: the DLL runs inside every
// program on the desktop while the bar stays on top, needs no runtime, and
// has no use for a call at each of their threads' starts and ends.
extern "C" BOOL WINAPI HookDllEntry(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        DisableThreadLibraryCalls(instance);
    return TRUE;
}

static void FitBelowBar(HWND hwnd)
{
    int barBottom = GetSystemMetrics(SM_CYCAPTION) + 5;  // the bar's height
    MONITORINFO info;
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoA(monitor, &info)) {
        info.rcWork.left = 0;
        info.rcWork.top = 0;
        info.rcWork.right = GetSystemMetrics(SM_CXSCREEN);
        info.rcWork.bottom = GetSystemMetrics(SM_CYSCREEN);
        info.dwFlags = MONITORINFOF_PRIMARY;
    }
    // The bar spans the top of the primary monitor only; a monitor beside
    // or above it keeps its whole work area.
    RECT area = info.rcWork;
    if ((info.dwFlags & MONITORINFOF_PRIMARY) && area.top < barBottom)
        area.top = barBottom;
    MoveWindow(hwnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
}

extern "C" LRESULT CALLBACK MaximizeHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (msg->message == WM_SIZE && msg->wParam == SIZE_MAXIMIZED && GetParent(msg->hwnd) == NULL)
            FitBelowBar(msg->hwnd);
    }
    // This runs inside other processes, where the bar's hook handle is not
    // known; the system ignores the handle argument.
    return CallNextHookEx(NULL, code, wParam, lParam);
}
