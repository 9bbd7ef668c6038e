// txbare: the yardstick of scripts/bench. A window of the bar's shape with
// a one-item menu bar, and nothing else: what any program of this kind pays
// to show a window, against which tolvex.exe's start-up is held.
#include <windows.h>

static LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TXBare";
    if (!RegisterClassA(&wc))
        return 1;
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&Bare");
    HWND hwnd =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "Bare", WS_POPUP | WS_DLGFRAME, 0, 0,
                        GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYCAPTION) + 5, NULL, menu, instance, NULL);
    if (!hwnd)
        return 1;
    ShowWindow(hwnd, SW_RESTORE);
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
