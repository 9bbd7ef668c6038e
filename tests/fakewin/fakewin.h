// Control and inspection of the Win32 test double. Production code never
// includes this; tests use it to script the platform and look at its state.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace fw {

// ExitProcess throws this, so that a test can catch the end of the process.
struct ProcessExit {
    UINT code;
};

// Everything back to a freshly booted machine: no windows, menus, classes,
// timers, hooks, registry keys, message boxes or queued messages; failures
// off; counters zero; default metrics (1024 x 768, caption 18), version 4.0,
// Windows directory "C:\WINDOWS", local time 1999-06-15 10:30:00,
// module path "C:\TOLVEX\TOLVEX.EXE", ShellExecuteA result 42.
void Reset();

// ---- failure on demand ------------------------------------------------
// After `skip` more calls of `api` have succeeded, the next `times` calls
// fail (times < 0: every call from then on), the way Windows fails them
// (documented result, and SetLastError where Windows sets it).
// `api` is the function's name, e.g. "WriteFile", "HeapAlloc".
void FailCalls(const char* api, int skip = 0, int times = 1);
// Calls of `api` since Reset, failed ones included.
int CallCount(const char* api);
// Names of every call made since Reset, in order (for order-of-events tests).
const std::vector<std::string>& CallLog();

// ---- message boxes ------------------------------------------------------
struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string title;
    UINT style;
    // The box's modal loop met a pending quit message: it posted it again and
    // closed at once, returning 0, before the user could read the box.
    bool cutShort;
};
const std::vector<MessageBoxCall>& MessageBoxes();
void ClearMessageBoxes();
// Answers for the next boxes, in order; when none is queued a box answers IDOK.
void QueueMessageBoxAnswer(int answer);
// Runs while a box is open, as its modal loop would run: the test may send
// messages to windows from here. Cleared by Reset.
void OnMessageBox(std::function<void(const MessageBoxCall&)> action);

// ---- registry (HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE) -------------
bool RegKeyExists(HKEY root, const std::string& subkey);
void RegCreateKey(HKEY root, const std::string& subkey);
// Sets a value, creating the key; type e.g. REG_BINARY.
void RegSetValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type,
                 const std::vector<uint8_t>& data);
// True and the value's type and bytes when it exists.
bool RegGetValue(HKEY root, const std::string& subkey, const std::string& name, DWORD* type,
                 std::vector<uint8_t>* data);
// Keys a RegCreateKeyExA / RegOpenKeyExA opened and RegCloseKey has not closed.
int OpenRegKeyCount();
// Makes the key refuse access: RegCreateKeyExA on it fails with ERROR_ACCESS_DENIED.
void RegDenyAccess(HKEY root, const std::string& subkey);

// ---- system -----------------------------------------------------------
void SetSystemMetric(int index, int value);
void SetVersion(DWORD major, DWORD minor);
void SetWindowsDirectory(const std::string& dir);
void SetLocalTime(const SYSTEMTIME& time);
void SetLocalTime(WORD hour, WORD minute, WORD second = 0);
void SetModuleFileName(const std::string& path);
// A DLL that LoadLibraryA finds at this exact path, with its exports.
void RegisterModule(const std::string& path, const std::map<std::string, FARPROC>& exports);
// LoadLibraryA and LoadLibraryExA calls, by name as given. The system folder
// (GetSystemDirectoryA) holds shell32.dll, winmm.dll and comdlg32.dll with
// the double's ShellExecuteA, PlaySoundA and GetOpenFileNameA.
const std::vector<std::string>& LoadedLibraries();

// ---- heap ---------------------------------------------------------------
// Blocks from HeapAlloc not yet released with HeapFree.
int LiveHeapBlocks();

// ---- sound, shell -------------------------------------------------------
struct PlaySoundCall {
    std::string sound;
    HMODULE module;
    DWORD flags;
};
const std::vector<PlaySoundCall>& PlaySoundCalls();

struct ShellExecuteCall {
    HWND owner;
    std::string verb, file, params, dir;
    bool paramsNull, dirNull;
    int show;
    int comDepth;    // CoInitializeEx not yet balanced on the thread at the call
    DWORD comFlags;  // and the COINIT_* flags of the first
};
const std::vector<ShellExecuteCall>& ShellExecuteCalls();
// What the next ShellExecuteA calls return (default 42).
void SetShellExecuteResult(INT_PTR result);

// ---- desktop toolbars, monitors, WOW64 ----------------------------------
struct AppBarCall {
    DWORD message;
    HWND hwnd;
    UINT callback, edge;
    RECT rc;  // as the program proposed it
};
const std::vector<AppBarCall>& AppBarCalls();
std::vector<HWND> AppBars();  // registered with ABM_NEW and not removed
// Another toolbar holds the top edge down to `bottom`: ABM_QUERYPOS and
// ABM_SETPOS move a top edge proposed above it down to it.
void SetAppBarTopTaken(LONG bottom);

struct Monitor {
    RECT monitor, work;
};
// The displays, the first one primary. Until set: one display, the screen
// of the metrics, all of it work area.
void SetMonitors(const std::vector<Monitor>& monitors);
void SetWow64(bool wow64);

// ---- menus --------------------------------------------------------------
struct MenuItem {
    UINT flags;   // MF_* as given (MF_POPUP, MF_SEPARATOR, MF_GRAYED, MF_DISABLED, MF_HELP, ...)
    UINT_PTR id;  // command id, or the popup handle for MF_POPUP
    std::string text;
    HMENU popup;  // null unless MF_POPUP
};
bool MenuExists(HMENU menu);
std::vector<MenuItem> MenuItems(HMENU menu);
int LiveMenuCount();  // menus created and not destroyed
// Menu template for LoadMenuA and for a window class's lpszMenuName: the
// factory builds it with CreateMenu/AppendMenuA and returns it.
void SetMenuResource(int id, std::function<HMENU()> factory);
int DrawMenuBarCount(HWND hwnd);

// ---- windows -------------------------------------------------------------
struct WindowInfo {
    std::string className, title;
    DWORD style, exStyle;  // style without WS_VISIBLE/WS_DISABLED: see visible, enabled
    RECT rect;
    HWND parent, owner;
    HMENU menu;
    bool visible, enabled, destroyed;
};
bool WindowExists(HWND hwnd);         // created and not destroyed
WindowInfo GetWindowInfo(HWND hwnd);  // also for destroyed windows
std::vector<HWND> TopLevelWindows();  // live ones, in creation order
// A window of a class registered by the test, e.g. another program's.
HWND CreateTestWindow(const std::string& className, const std::string& title, HWND parent = nullptr,
                      HWND owner = nullptr, DWORD style = WS_OVERLAPPEDWINDOW);
int BringToTopCount(HWND hwnd);

// Posted messages waiting for GetMessageA, in order.
std::vector<MSG> QueuedMessages();
// Called by GetMessageA when the queue is empty, so that a test can post
// what the user would do next. When it posts nothing GetMessageA throws
// std::logic_error: the program would wait forever.
void OnIdle(std::function<void()> action);

// ---- timers, hooks --------------------------------------------------------
struct TimerInfo {
    HWND hwnd;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
};
std::vector<TimerInfo> Timers();  // live timers

struct HookInfo {
    HHOOK handle;
    int idHook;
    HOOKPROC proc;
    HINSTANCE module;
    DWORD threadId;
};
std::vector<HookInfo> Hooks();  // installed hooks

// ---- dialogs --------------------------------------------------------------
// DialogBoxParamA(template id) creates the dialog window (owner disabled),
// sends WM_INITDIALOG with the param, then runs this driver in place of
// the user until EndDialog; a driver that returns without EndDialog fails
// the call (-1). Without a driver the call fails with -1.
void SetDialogDriver(int templateId, std::function<void(HWND dialog)> driver);
// The controls DialogBoxParamA makes for a template before WM_INITDIALOG,
// as (id, class): "ListBox" (unsorted, single selection), "Button" or "Edit".
void SetDialogControls(int templateId, const std::vector<std::pair<int, std::string>>& controls);
std::vector<std::string> ListBoxRows(HWND list);
// Stands in for the user in the Open dialog: fills the request and says
// whether a file was chosen. Without one the dialog is cancelled.
void OnOpenFileDialog(std::function<BOOL(OPENFILENAMEA*)> action);
// Sends a message to a dialog's procedure, as the platform would.
LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ---- files --------------------------------------------------------------
// CreateFileA handles not yet closed.
int OpenFileCount();

// ---- further controls ------------------------------------------------------
// As FailCalls, with `error` as the last error instead of the usual one.
void FailCallsWithError(const char* api, DWORD error, int skip = 0, int times = 1);
// After `skip` more WriteFile calls, the next `times` write at most `maxBytes`
// bytes each and still return TRUE, reporting the short count.
void ShortWrites(DWORD maxBytes, int skip = 0, int times = 1);
// Version with an explicit platform (VER_PLATFORM_WIN32_NT by default).
void SetVersion(DWORD major, DWORD minor, DWORD platform);
// The program's own module: what GetModuleHandleA(NULL) returns, and the
// handle for which GetModuleFileNameA gives the module path. Pass it to WinMain.
HINSTANCE ExeInstance();
// References LoadLibraryA holds on the module registered at `path` (0 when freed).
int ModuleRefCount(const std::string& path);
// Icons from LoadIconA not yet destroyed.
int LiveIconCount();

}  // namespace fw
