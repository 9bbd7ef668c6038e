// The bar window: a strip across the top of the screen whose menu bar is
// the whole user interface.
#include "shell/shell.h"

#include <shellapi.h>

#include "barmenu/barmenu.h"
#include "base/dpi.h"
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "store/store.h"

const char BAR_CLASS_NAME[] = "TXClass";
const char BAR_TITLE[] = "Tolvex";

HICON g_hIcon = NULL;

static WNDCLASSA s_barClass;

// Bar dialogs open right now, and whether a display change or a close
// waits for them.
static int s_openDialogs = 0;
static bool s_displayChangePending = false;
static bool s_closePending = false;

UINT g_exitRequestMessage = 0;

int RegisterBarClass()
{
    g_exitRequestMessage = RegisterWindowMessageA(EXIT_REQUEST_MESSAGE);
    s_barClass.style = 0;
    s_barClass.lpfnWndProc = TolvexWinProc;
    s_barClass.cbClsExtra = 0;
    s_barClass.cbWndExtra = 0;
    s_barClass.hInstance = g_hInstance;
    // The icon's images are PNG: read once the bar is drawn (SetClassIcon).
    g_hIcon = NULL;
    s_barClass.hIcon = NULL;
    s_barClass.hCursor = NULL;
    s_barClass.hbrBackground = NULL;
    s_barClass.lpszMenuName = MAKEINTRESOURCEA(IDR_BARMENU);
    s_barClass.lpszClassName = BAR_CLASS_NAME;
    return RegisterClassA(&s_barClass);
}

DWORD BarExStyle(int stayOnTop, int newShell)
{
    DWORD exStyle = 0;
    if (stayOnTop)
        exStyle |= WS_EX_TOPMOST;
    if (newShell)
        exStyle |= WS_EX_TOOLWINDOW;  // keeps the bar off the taskbar
    return exStyle;
}

// Before the menus are in: one row of them in the frame, for the DPI, the
// height the bar most often keeps.
static int FirstBarHeight()
{
    UINT dpi = WindowDpi(NULL);
    return 2 * MetricForDpi(SM_CYDLGFRAME, dpi) + MetricForDpi(SM_CYMENU, dpi);
}

int BarHeight()
{
    // The system lays the menu bar out for the window's DPI and wraps it into
    // more rows when its items do not fit across: the bar is as high as its
    // frame and all of those rows, so that no menu and no clock is cut off.
    enum { TALL = 0x4000 };
    RECT rect = {0, 0, GetSystemMetrics(SM_CXSCREEN), TALL};
    SendMessageA(g_hwndBar, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    int height = TALL - (rect.bottom - rect.top);
    return height > 0 && height < TALL ? height : FirstBarHeight();
}

static void SizeBar()
{
    // Most often the bar is made at the height it keeps: a move of a window
    // to where it is costs as much as any.
    RECT now, due = {0, 0, GetSystemMetrics(SM_CXSCREEN), BarHeight()};
    if (GetWindowRect(g_hwndBar, &now) && EqualRect(&now, &due))
        return;
    SetWindowPos(g_hwndBar, NULL, due.left, due.top, due.right, due.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
}

int CreateBar()
{
    s_displayChangePending = false;  // the new bar is made for the display as it is now
    // Metrics are read now, so a bar made after a display change fits the new screen.
    // Files dropped from Explorer become entries: the style DragAcceptFiles
    // would set, given at once, with no need of shell32 at start-up.
    g_hwndBar = CreateWindowExA(BarExStyle(g_userVars.stayOnTop, g_newShell) | WS_EX_ACCEPTFILES, BAR_CLASS_NAME,
                                BAR_TITLE, WS_POPUP | WS_DLGFRAME, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                FirstBarHeight(), NULL, NULL, g_hInstance, NULL);
    if (!g_hwndBar)
        return 0;
    BuildBarMenus();
    SizeBar();
    RegisterBarHotkey();
    ShowWindow(g_hwndBar, SW_RESTORE);
    // The toolbar's registration loads the shell's library, and the hook its
    // own: both wait until the bar is drawn and has answered what came first.
    // A timer's message is the last the queue gives.
    SetTimer(g_hwndBar, PLACE_TIMER_ID, 0, NULL);
    return 1;
}

// The class's icon, for whatever lists the program's windows; the class
// outlives a bar made anew, and keeps it.
static void SetClassIcon()
{
    if (g_hIcon)
        return;
    g_hIcon = LoadIconA(g_hInstance, MAKEINTRESOURCEA(IDI_TOLVEX));
    SetClassLongPtrA(g_hwndBar, GCLP_HICON, reinterpret_cast<LONG_PTR>(g_hIcon));
}

static void OnBarDrawn()
{
    TakeBarPlace();
    SetClassIcon();
}

void TakeBarPlace()
{
    KillTimer(g_hwndBar, PLACE_TIMER_ID);
    if (g_userVars.stayOnTop)
        RegisterAppBar();
    UpdateMaximizeHook();
}

void LayOutBar()
{
    if (IsAppBar())
        PositionAppBar();
    else
        SizeBar();
    UpdateMaximizeHook();
    DrawMenuBar(g_hwndBar);
}

void TearDownBar()
{
    // The shell would keep the strip for a toolbar that is gone.
    UnregisterAppBar(false);
    DestroyWindow(g_hwndBar);
    DestroyIcon(g_hIcon);
    RemoveMaximizeHook();
    UnregisterClassA(BAR_CLASS_NAME, g_hInstance);
    KillTimer(g_hwndBar, CLOCK_TIMER_ID);
}

// Moves the bar into or out of the topmost band, with the toolbar
// registration and the hook that keep maximized windows below it.
static void ApplyStayOnTop()
{
    SetWindowPos(g_hwndBar, g_userVars.stayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!g_userVars.stayOnTop)
        UnregisterAppBar(false);
    TakeBarPlace();
}

// Set while the exit sequence runs: a close or the end of the session that
// arrives through a save warning's message loop finds the exit under way.
static bool s_exiting = false;

static void ExitTolvex()
{
    // Once a fatal error has begun, its box decides the end, and nothing saves.
    if (s_exiting || g_fatalErrorBegun)
        return;
    s_exiting = true;
    // The saves come before the quit message: a modal loop that finds it
    // waiting ends at once, so a warning of a failed save would flash away
    // unseen and the failure would look like success.
    ShutDown();
    PostQuitMessage(0);
    s_exiting = false;
}

static void RecreateBar()
{
    // The old window takes its menu, popups and clock timer with it; the hook
    // stays. The new window registers as the toolbar in its place.
    UnregisterAppBar(true);
    DestroyWindow(g_hwndBar);
    if (!CreateBar()) {
        // Without a window nothing could reach the program any more.
        ShowWarning("Could not create the bar for the new display.\n"
                    "Tolvex will save the menus and settings and close.");
        ExitTolvex();
        return;
    }
    // At once: maximized windows would grow into the strip meanwhile.
    TakeBarPlace();
}

namespace {
struct OpenDialogCount {
    OpenDialogCount()
    {
        s_openDialogs++;
    }
    ~OpenDialogCount()
    {
        s_openDialogs--;
    }
};
}  // namespace

INT_PTR RunBarDialog(int templateId, DLGPROC proc)
{
    LONG stayOnTop = g_userVars.stayOnTop;
    INT_PTR result;
    {
        OpenDialogCount open;
        result = DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(templateId), g_hwndBar, proc, 0);
    }
    // A window that owns an open dialog may not enter the topmost band
    // (so under Wine): a change made in the dialog is applied here.
    if (g_userVars.stayOnTop != stayOnTop)
        ApplyStayOnTop();
    // New menus may need a row more, or one less.
    if (templateId == IDD_EDITMENUS && IsWindow(g_hwndBar))
        LayOutBar();
    // Destroying the bar under a dialog would take the dialog with it, past
    // its OK and Cancel handling, and the exit would free the records it
    // still uses: a display change and a close wait until here.
    if (s_openDialogs > 0)
        return result;
    if (s_closePending) {
        s_closePending = false;
        s_displayChangePending = false;
        ExitTolvex();
    } else if (s_displayChangePending) {
        s_displayChangePending = false;
        RecreateBar();
    }
    return result;
}

// The clock changes on the minute: its timer runs to the next minute's
// start and is set again at every tick, so it never drifts behind.
static void SetClockTimer()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    SetTimer(g_hwndBar, CLOCK_TIMER_ID, MsToNextMinute(now), NULL);
}

static void OnShowWindow()
{
    SetClockTimer();
}

static void OnSettingChange(WPARAM action, LPARAM area)
{
    // Programs started from now on see the variables the user has just set.
    if (area && lstrcmpiA(reinterpret_cast<const char*>(area), "Environment") == 0) {
        ReloadEnvironment();
        return;
    }
    // The caption's height sets the bar's; a toolbar of the shell moving
    // changes the work area, and with it whether the hook is needed.
    if (action == SPI_SETNONCLIENTMETRICS)
        LayOutBar();
    else if (action == SPI_SETWORKAREA)
        UpdateMaximizeHook();
}

static void OnDisplayChange()
{
    if (s_openDialogs > 0)
        s_displayChangePending = true;
    else
        RecreateBar();
}

static void OnClose()
{
    if (s_openDialogs > 0)
        s_closePending = true;
    else
        ExitTolvex();
}

// Ends an open dialog of the bar the way that keeps what the user meant:
// a setup dialog or Options as its Cancel would, User Menus as its OK,
// which keeps what it already holds, a box and About as their OK.
static BOOL CALLBACK EndOpenDialog(HWND window, LPARAM)
{
    if (!IsDialog(window))
        return TRUE;
    DLGPROC proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(window, DWLP_DLGPROC));
    bool setup = proc == MenuProc || proc == AppProc || proc == OptionsProc;
    // The innermost dialog comes first and ends first: its loop takes no
    // further message once it has ended.
    PostMessageA(window, WM_COMMAND, setup ? IDCANCEL : IDOK, 0);
    return TRUE;
}

// Another program (the installer) asks the bar to save and end now, even
// with dialogs open, which a close would wait for.
static void OnExitRequest()
{
    if (s_openDialogs == 0) {
        ExitTolvex();
        return;
    }
    s_closePending = true;
    EnumThreadWindows(GetCurrentThreadId(), EndOpenDialog, 0);
}

static void OnEndSession()
{
    if (s_openDialogs == 0) {
        ExitTolvex();
        return;
    }
    // The process may be ended as soon as this returns, and the open dialogs
    // still use the records: save now, free nothing, and end here.
    if (g_fatalErrorBegun)
        return;
    SaveUserVars();
    SaveMenuList();
    TearDownBar();
    ExitProcess(0);
}

static void OnCommand(UINT id)
{
    switch (id) {
    case IDM_EDITMENUS:
        RunBarDialog(IDD_EDITMENUS, EditProc);
        return;
    case IDM_OPTIONS:
        RunBarDialog(IDD_OPTIONS, OptionsProc);
        return;
    case IDM_ABOUT:
        RunBarDialog(IDD_ABOUT, AboutProc);
        return;
    case IDM_EXIT:
        ExitTolvex();
        return;
    case IDM_CLOCK:
        return;  // disabled, never chosen
    }
    AppItem* app = FindCommandApp(static_cast<LONG>(id));
    // Chosen with Ctrl+Shift held: as administrator, as the shell does.
    bool elevated = GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_SHIFT) < 0;
    if (app)
        LaunchApp(app, elevated);
    else
        ShowWarning("Menu item not found.");
}

static void RefreshClock()
{
    SetClockTimer();
    if (!UpdateClock())
        ShowWarning("Error modifying time!");
}

static void OnTimer(WPARAM id)
{
    if (id == CLOCK_TIMER_ID)
        RefreshClock();
    else if (id == HOTKEY_TIMER_ID)
        OnHotkeyTimer();
    else if (id == PLACE_TIMER_ID)
        OnBarDrawn();
}

LRESULT CALLBACK TolvexWinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == g_taskbarCreatedMessage && message != 0) {
        OnTaskbarCreated();
        return 0;
    }
    if (message == g_exitRequestMessage && message != 0) {
        OnExitRequest();
        return 0;
    }
    switch (message) {
    case WM_SHOWWINDOW:
        OnShowWindow();
        return 0;
    case WM_DISPLAYCHANGE:
        OnDisplayChange();
        return 0;
    case WM_SETTINGCHANGE:
        OnSettingChange(wParam, lParam);
        break;
    case WM_DPICHANGED:
        // Moved to a monitor of another scale: the system has resized the
        // menu bar's font; the bar, its strip and the clock follow.
        LayOutBar();
        return 0;
    case WM_INITMENUPOPUP:
        ShowMenuIcons(reinterpret_cast<HMENU>(wParam));
        break;
    case WM_MENUICONS_FETCHED:
        OnMenuIconsFetched(lParam);
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(wParam);
        return 0;
    case WM_TIMECHANGE:
        RefreshClock();
        return 0;
    case WM_POWERBROADCAST:
        // The timer slept with the system: its minute may be long past.
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND)
            RefreshClock();
        break;
    case WM_CLOSE:
        // Closed by another route than Exit (a task manager, a script):
        // end the same way, so that nothing is lost and no process lingers.
        OnClose();
        return 0;
    case WM_ENDSESSION:
        if (wParam)
            OnEndSession();
        return 0;
    case WM_HOTKEY:
        // With a dialog of the bar open, the menus would act under it.
        if (s_openDialogs > 0)
            SetForegroundWindow(GetLastActivePopup(hwnd));
        else
            OnHotkey();
        return 0;
    case WM_MENURBUTTONUP:
        OnMenuRightClick(reinterpret_cast<HMENU>(lParam), static_cast<UINT>(wParam));
        return 0;
    case WM_ENTRY_MENU:
        OnEntryMenu(lParam);
        return 0;
    case WM_DROPFILES:
        OnBarDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_APPBAR_NOTIFY:
        OnAppBarNotify(wParam, lParam);
        return 0;
    case WM_ACTIVATE:
        TellAppBar(hwnd, ABM_ACTIVATE);
        break;
    case WM_WINDOWPOSCHANGED:
        TellAppBar(hwnd, ABM_WINDOWPOSCHANGED);
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
