// The warning box, the fatal box, and the teardown shared by exit and a fatal stop.
#include "shell/shell.h"

void ShowWarning(const char* text)
{
    MessageBoxA(g_hwndBar, text, BAR_TITLE, MB_ICONWARNING);
}

void FatalError(const char* text)
{
    // No owner: the bar may not exist yet, or be what went wrong.
    MessageBoxA(NULL, text, "Fatal Tolvex Error", MB_ICONERROR);
    // Every file the program opens is closed by its reader or writer before
    // it can get here, so there is no stream left to close. Nothing is saved.
    TearDownBar();
    ExitProcess(0);
}

void TearDownBar()
{
    DestroyWindow(g_hwndBar);
    DestroyIcon(g_hIcon);
    RemoveMaximizeHook();
    UnregisterClassA(BAR_CLASS_NAME, g_hInstance);
    KillTimer(g_hwndBar, CLOCK_TIMER_ID);
}
