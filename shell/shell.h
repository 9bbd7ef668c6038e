// The bar shell: start-up and exit, the bar window, the maximize hook and
// the teardown.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include "base/report.h"

enum { CLOCK_TIMER_ID = 65244, PLACE_TIMER_ID = 65246 };

extern const char BAR_CLASS_NAME[];    // "TXClass"
extern const char BAR_TITLE[];         // "Tolvex"
extern const wchar_t HOOK_DLL_NAME[];  // "tolvexhk.dll"

extern HICON g_hIcon;
extern HHOOK g_hHook;
extern int g_newShell;

// Unregisters the desktop toolbar, destroys the bar window and the class
// icon, removes the hook, unregisters the class and kills the clock timer;
// shared by Exit and a fatal stop.
void TearDownBar();

// Maximize hook. InstallMaximizeHook loads tolvexhk.dll from the folder of
// tolvex.exe (never through the search path) when first needed, and returns
// 1 when a hook is installed afterwards, 0 when none could be.
int InstallMaximizeHook();
void RemoveMaximizeHook();
// Installs the hook while the bar stays on top where the system keeps no
// room below the bar, removes it otherwise; checked again whenever the bar
// or the work area moves. A refusal is reported once, when it begins.
void UpdateMaximizeHook();

// Application desktop toolbar, while the bar stays on top. The shell's
// notifications come as WM_APPBAR_NOTIFY; g_taskbarCreatedMessage is the
// message a (re)started shell broadcasts, 0 until the bar first registers.
enum { WM_APPBAR_NOTIFY = WM_APP + 1 };
extern UINT g_taskbarCreatedMessage;
void RegisterAppBar();
// Asks the shell for the strip across the top and moves the bar into it.
void PositionAppBar();
bool IsAppBar();
// `remade`: the bar is made again at once, for a display change.
void UnregisterAppBar(bool remade);
// Drops the registration without a word to the shell, which has forgotten it.
void ForgetAppBar();
// Tells the shell of WM_ACTIVATE (ABM_ACTIVATE) or WM_WINDOWPOSCHANGED
// (ABM_WINDOWPOSCHANGED) when hwnd is the registered bar.
void TellAppBar(HWND hwnd, DWORD message);
void OnAppBarNotify(WPARAM code, LPARAM lParam);
void OnTaskbarCreated();

// The message with which another program (the installer) asks the bar to
// save and end even while dialogs are open; 0 until the class is registered.
#define EXIT_REQUEST_MESSAGE "Tolvex.SaveAndExit"
extern UINT g_exitRequestMessage;

// Bar window. Its height: the caption's and a margin.
int BarHeight();
// Sizes the bar, and its strip as a desktop toolbar, to the height now due.
void LayOutBar();
int RegisterBarClass();
DWORD BarExStyle(int stayOnTop, int newShell);
// Makes and shows the bar; it takes its place (PLACE_TIMER_ID) once drawn.
int CreateBar();
// Registers the bar as the desktop toolbar while it stays on top, and puts
// the maximize hook in or out.
void TakeBarPlace();
LRESULT CALLBACK TolvexWinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs a modal dialog owned by the bar; a display change that arrives while
// it is open is carried out once the last such dialog has closed.
INT_PTR RunBarDialog(int templateId, DLGPROC proc);

// A right click on an entry of an open user menu closes the bar's menu and
// shows the entry's own small menu as WM_ENTRY_MENU (lParam: its command id).
enum { WM_ENTRY_MENU = WM_APP + 2 };
void OnMenuRightClick(HMENU menu, UINT position);
void OnEntryMenu(LPARAM id);
// A file dropped on the bar: User Menus adds it to the menu under the drop.
void OnBarDrop(HDROP drop);

// Life cycle.
void ShutDown();
