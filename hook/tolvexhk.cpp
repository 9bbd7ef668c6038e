// The maximize hook: a window of any program that is being maximized is
// moved to fill the work area of its monitor below the bar instead of
// covering the bar or the taskbar. This runs inside other processes: only
// USER32 and KERNEL32 are called here.
#include "hook/tolvexhk.h"

// Set in a thread while the hook moves one of its windows: the move sends
// WM_SIZE again, and a window that sizes itself in WM_SIZE would otherwise
// be moved over and over, ever deeper.
static DWORD s_moving = TLS_OUT_OF_INDEXES;

// The entry point in place of the C runtime's: the DLL runs inside every
// program on the desktop while the bar stays on top, needs no runtime, and
// has no use for a call at each of their threads' starts and ends.
extern "C" BOOL WINAPI HookDllEntry(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        s_moving = TlsAlloc();
    } else if (reason == DLL_PROCESS_DETACH && s_moving != TLS_OUT_OF_INDEXES) {
        TlsFree(s_moving);
    }
    return TRUE;
}

static void FitBelowBar(HWND hwnd)
{
    // The bar's own window says where its bottom edge is, in this program's
    // coordinates, whatever its DPI awareness.
    HWND bar = FindWindowA("TXClass", "Tolvex");
    RECT barRect;
    if (!bar || !GetWindowRect(bar, &barRect))
        return;
    MONITORINFO info;
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return;
    // A monitor beside or below the bar's keeps its whole work area.
    RECT area = info.rcWork;
    if (MonitorFromWindow(bar, MONITOR_DEFAULTTONEAREST) == monitor && area.top < barRect.bottom)
        area.top = barRect.bottom;
    RECT now;
    if (GetWindowRect(hwnd, &now) && EqualRect(&now, &area))
        return;
    TlsSetValue(s_moving, hwnd);
    MoveWindow(hwnd, area.left, area.top, area.right - area.left, area.bottom - area.top, TRUE);
    TlsSetValue(s_moving, NULL);
}

extern "C" LRESULT CALLBACK MaximizeHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0 && s_moving != TLS_OUT_OF_INDEXES && !TlsGetValue(s_moving)) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (msg->message == WM_SIZE && msg->wParam == SIZE_MAXIMIZED && GetParent(msg->hwnd) == NULL)
            FitBelowBar(msg->hwnd);
    }
    // This runs inside other processes, where the bar's hook handle is not
    // known; the system ignores the handle argument.
    return CallNextHookEx(NULL, code, wParam, lParam);
}
