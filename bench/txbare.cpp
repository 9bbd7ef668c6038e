// txbare: the yardstick of scripts/bench. A window of the bar's shape with
// a one-item menu bar, and nothing else: what any program of this kind pays
// to show a window, against which tolvex.exe's start-up is held.
//
// "txbare popup" adds a popup of 100 items, each with a 32-bit bitmap of its
// own, of the small icon's size, already on it: what any program pays to show such a
// popup, against which the bar's popup with its programs' icons is held.
#include <windows.h>
#include <string.h>

static LRESULT CALLBACK BareProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// An opaque square of the small icon's size in a colour of its own.
static HBITMAP SquareBitmap(DWORD colour)
{
    int size = GetSystemMetrics(SM_CXSMICON);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD* pixels = NULL;
    HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), NULL, 0);
    for (int i = 0; bitmap && i < size * size; i++)
        pixels[i] = 0xFF000000 | colour;
    return bitmap;
}

static void AddPopup(HMENU menu)
{
    HMENU popup = CreatePopupMenu();
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    for (UINT i = 0; i < 100; i++) {
        char name[32] = "Program ";
        name[8] = static_cast<char>('0' + i / 10);
        name[9] = static_cast<char>('0' + i % 10);
        AppendMenuA(popup, MF_STRING, 100 + i, name);
        item.hbmpItem = SquareBitmap(i * 0x020406);
        SetMenuItemInfoA(popup, i, TRUE, &item);
    }
    AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "&Icons");
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TXBare";
    if (!RegisterClassA(&wc))
        return 1;
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 1, "&Bare");
    if (strcmp(commandLine, "popup") == 0)
        AddPopup(menu);
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
