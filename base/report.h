// How every layer reports a problem to the user: the warning box, after
// which the program goes on, and the fatal box, after which it ends. Also
// the two process-wide handles that the lower layers need to reach the bar.
#pragma once
#include <windows.h>

// The program's module: dialog templates and icons come from it.
extern HINSTANCE g_hInstance;
// The bar window; null until it exists. It owns the warning boxes raised
// while no dialog is open.
extern HWND g_hwndBar;

// The warning box, owned by the dialog that takes input, or else the bar.
void ShowWarning(const char* text);

// A dialog box or message box: a window of the system's dialog class.
bool IsDialog(HWND window);

// Shows the fatal box, takes the bar down without saving anything and ends
// the process with code 0.
[[noreturn]] void FatalError(const char* text);

// What FatalError runs after its box to take the bar down; set by the shell.
void SetFatalTeardown(void (*teardown)());

// Set once a fatal error has begun: from then on nothing may be saved,
// whatever arrives through the fatal box's message loop.
extern bool g_fatalErrorBegun;
