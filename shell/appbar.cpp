// The bar as an application desktop toolbar on the top edge while it stays
// on top. The system then keeps the work area of every program, 32- or
// 64-bit, below the bar, where the maximize hook reaches only 32-bit ones.
#include "shell/shell.h"

#include <shellapi.h>

#include "base/syslib.h"
#include "store/store.h"

UINT g_taskbarCreatedMessage = 0;

// The window the shell knows as a toolbar; null when none is registered.
static HWND s_appBar = NULL;
// What the shell last said: a full-screen program is in front. It holds for
// a bar made again for a display change, which a game may well cause.
static bool s_fullScreenInFront = false;

static void InitAppBarData(APPBARDATA* data, HWND hwnd)
{
    ZeroMemory(data, sizeof *data);
    data->cbSize = sizeof *data;
    data->hWnd = hwnd;
}

// The shell's one entry point for toolbars, in shell32; without the
// library every request is refused.
static UINT_PTR AppBarMessage(DWORD message, APPBARDATA* data)
{
    // Looked up once: the toolbar hears of every activation and move.
    static decltype(&SHAppBarMessage) appBarMessage = NULL;
    if (!appBarMessage)
        appBarMessage = SystemProc<decltype(&SHAppBarMessage)>("shell32.dll", "SHAppBarMessage");
    return appBarMessage ? appBarMessage(message, data) : 0;
}

static void SetZOrder(HWND after)
{
    SetWindowPos(s_appBar, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Asks for the strip across the top and moves the bar to what is granted:
// another toolbar on the same edge may push it down.
void PositionAppBar()
{
    int height = BarHeight();
    APPBARDATA data;
    InitAppBarData(&data, s_appBar);
    data.uEdge = ABE_TOP;
    data.rc.right = GetSystemMetrics(SM_CXSCREEN);
    data.rc.bottom = height;
    AppBarMessage(ABM_QUERYPOS, &data);
    data.rc.bottom = data.rc.top + height;
    AppBarMessage(ABM_SETPOS, &data);
    MoveWindow(s_appBar, data.rc.left, data.rc.top, data.rc.right - data.rc.left, data.rc.bottom - data.rc.top, TRUE);
}

void RegisterAppBar()
{
    if (s_appBar == g_hwndBar)
        return;
    if (!g_taskbarCreatedMessage)
        g_taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    APPBARDATA data;
    InitAppBarData(&data, g_hwndBar);
    data.uCallbackMessage = WM_APPBAR_NOTIFY;
    // Refused when no shell runs yet: TaskbarCreated says when to try again,
    // and the hook works meanwhile.
    if (!AppBarMessage(ABM_NEW, &data))
        return;
    s_appBar = g_hwndBar;
    PositionAppBar();
    if (s_fullScreenInFront)
        SetZOrder(HWND_BOTTOM);
}

void UnregisterAppBar(bool remade)
{
    if (!remade)
        s_fullScreenInFront = false;  // no longer told when the program leaves
    if (!s_appBar)
        return;
    APPBARDATA data;
    InitAppBarData(&data, s_appBar);
    AppBarMessage(ABM_REMOVE, &data);
    s_appBar = NULL;
}

bool IsAppBar()
{
    return s_appBar != NULL;
}

void ForgetAppBar()
{
    s_appBar = NULL;
    s_fullScreenInFront = false;
}

void TellAppBar(HWND hwnd, DWORD message)
{
    if (hwnd != s_appBar || !s_appBar)
        return;
    APPBARDATA data;
    InitAppBarData(&data, hwnd);
    AppBarMessage(message, &data);
}

void OnAppBarNotify(WPARAM code, LPARAM lParam)
{
    if (!s_appBar)
        return;
    switch (code) {
    case ABN_POSCHANGED:
        PositionAppBar();
        UpdateMaximizeHook();
        return;
    case ABN_FULLSCREENAPP:
        // A video or a game in front comes first; the bar returns after.
        s_fullScreenInFront = lParam != 0;
        SetZOrder(s_fullScreenInFront ? HWND_BOTTOM : HWND_TOPMOST);
        return;
    }
}

void OnTaskbarCreated()
{
    // A new shell knows no toolbars: the bar registers again.
    ForgetAppBar();
    if (g_userVars.stayOnTop)
        RegisterAppBar();
    UpdateMaximizeHook();
}
