// The warning box and the fatal box.
#include "base/report.h"

HINSTANCE g_hInstance = NULL;
HWND g_hwndBar = NULL;

static void (*s_teardown)() = NULL;
bool g_fatalErrorBegun = false;

bool IsDialog(HWND window)
{
    char name[8];
    return GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32770") == 0;
}

// A modal dialog disables its owner, so of the dialogs open on this thread
// only the innermost takes input: the one a warning belongs to.
static BOOL CALLBACK FindInputDialog(HWND window, LPARAM found)
{
    if (!IsWindowVisible(window) || !IsWindowEnabled(window) || !IsDialog(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

void ShowWarning(const char* text)
{
    // Owned by the dialog it concerns, the box keeps that dialog from taking
    // a second press while it is up.
    HWND owner = NULL;
    EnumThreadWindows(GetCurrentThreadId(), FindInputDialog, reinterpret_cast<LPARAM>(&owner));
    MessageBoxA(owner ? owner : g_hwndBar, text, "Tolvex", MB_ICONWARNING);
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
