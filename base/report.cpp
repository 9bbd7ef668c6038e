// The warning box and the fatal box.
#include "base/report.h"

HINSTANCE g_hInstance = NULL;
HWND g_hwndBar = NULL;

static void (*s_teardown)() = NULL;
bool g_fatalErrorBegun = false;

void ShowWarning(const char* text)
{
    MessageBoxA(g_hwndBar, text, "Tolvex", MB_ICONWARNING);
}

void SetFatalTeardown(void (*teardown)())
{
    s_teardown = teardown;
}

void FatalError(const char* text)
{
    g_fatalErrorBegun = true;
    // No owner: the bar may not exist yet, or be what went wrong.
    MessageBoxA(NULL, text, "Fatal Tolvex Error", MB_ICONERROR);
    // Every file the program opens is closed by its reader or writer before
    // it can get here, so there is no stream left to close. Nothing is saved.
    if (s_teardown)
        s_teardown();
    ExitProcess(0);
}
