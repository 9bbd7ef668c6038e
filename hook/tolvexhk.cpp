// The maximize hook: a window of any program that is being maximized is
// moved to fill the screen below the bar instead of covering it.
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

extern "C" LRESULT CALLBACK MaximizeHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code >= 0) {
        const CWPSTRUCT* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (msg->message == WM_SIZE && msg->wParam == SIZE_MAXIMIZED && GetParent(msg->hwnd) == NULL) {
            int top = GetSystemMetrics(SM_CYCAPTION) + 5;  // the bar's height
            MoveWindow(msg->hwnd, 0, top, GetSystemMetrics(SM_CXSCREEN),
                       GetSystemMetrics(SM_CYSCREEN) - top, TRUE);
        }
    }
    // This runs inside other processes, where the bar's hook handle is not
    // known; the system ignores the handle argument.
    return CallNextHookEx(NULL, code, wParam, lParam);
}
