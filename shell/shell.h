// The bar shell: start-up and exit, the bar window, the clock, the maximize
// hook, and the message boxes through which every problem is reported.
#pragma once
#include <windows.h>

enum {
    CLOCK_TIMER_ID = 65244,
    CLOCK_PERIOD_MS = 60000,
    CLOCK_TEXT_SIZE = 10
};

extern const char BAR_CLASS_NAME[];  // "TXClass"
extern const char BAR_TITLE[];       // "Tolvex"
extern const char HOOK_DLL_NAME[];   // "tolvexhk.dll"

extern HINSTANCE g_hInstance;
extern HWND g_hwndBar;
extern HICON g_hIcon;
extern HHOOK g_hHook;
extern int g_newShell;

// Message boxes and teardown.
void ShowWarning(const char* text);
[[noreturn]] void FatalError(const char* text);
void TearDownBar();

// Clock and hourly chime.
void FormatClockText(const SYSTEMTIME& time, char text[CLOCK_TEXT_SIZE]);
int UpdateClock();

// Maximize hook. LoadHookLibrary loads tolvexhk.dll from the folder of
// tolvex.exe (never through the search path) for the rest of the run and
// returns 0 when it cannot; InstallMaximizeHook returns 1 when a hook is
// installed afterwards, 0 when none could be.
int LoadHookLibrary();
int InstallMaximizeHook();
void RemoveMaximizeHook();

// Bar window.
int RegisterBarClass();
DWORD BarExStyle(int stayOnTop, int newShell);
int CreateBar();
LRESULT CALLBACK TolvexWinProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Runs a modal dialog owned by the bar; a display change that arrives while
// it is open is carried out once the last such dialog has closed.
INT_PTR RunBarDialog(int templateId, DLGPROC proc);

// Life cycle.
void ShutDown();
