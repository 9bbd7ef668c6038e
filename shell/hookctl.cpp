// Installing and removing the maximize hook. The hook procedure lives in
// tolvexhk.dll: a hook for every thread of the desktop is granted only with
// the module handle of a DLL that the system can load into other processes.
#include "shell/shell.h"

#include "base/syslib.h"
#include "store/store.h"

const wchar_t HOOK_DLL_NAME[] = L"tolvexhk.dll";

HHOOK g_hHook = NULL;

static HMODULE s_hookDll = NULL;
static HOOKPROC s_hookProc = NULL;

static void LoadHookLibrary()
{
    // Beside tolvex.exe, by its full path: never one planted elsewhere on
    // the search path.
    wchar_t path[PROGRAM_PATH_SIZE];
    DWORD dirLen = ProgramFolder(path, PROGRAM_PATH_SIZE);
    if (dirLen == 0 || dirLen + sizeof HOOK_DLL_NAME / sizeof(wchar_t) > PROGRAM_PATH_SIZE)
        return;
    lstrcpyW(path + dirLen, HOOK_DLL_NAME);
    s_hookDll = LoadLibraryExW(path, NULL, 0);
    if (!s_hookDll)
        return;
    // void (*)() is the type GCC lets any function pointer pass through.
    s_hookProc =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(s_hookDll, "MaximizeHookProc")));
    if (!s_hookProc) {
        FreeLibrary(s_hookDll);
        s_hookDll = NULL;
    }
}

int InstallMaximizeHook()
{
    if (g_hHook)
        return 1;
    if (!s_hookProc)
        LoadHookLibrary();
    if (!s_hookProc)
        return 0;
    g_hHook = SetWindowsHookExA(WH_CALLWNDPROC, s_hookProc, s_hookDll, 0);
    return g_hHook != NULL;
}

void RemoveMaximizeHook()
{
    UnhookWindowsHookEx(g_hHook);
    g_hHook = NULL;
}

// The system keeps the work area below the bar, as a shell does for a
// desktop toolbar: maximized windows then need no hook. The bar spans the
// primary monitor, whose work area this is.
static bool RoomKeptBelowBar()
{
    RECT bar, work;
    return GetWindowRect(g_hwndBar, &bar) && SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0) &&
        work.top >= bar.bottom;
}

// Set while the hook is wanted and needed but was refused, so that a refusal
// is reported once, not at every check.
static bool s_refused = false;

static const char HOOK_REFUSED_TEXT[] =
    "Error installing system hook.\nTolvex will not be able to resize\nmaximizing applications.";

void UpdateMaximizeHook()
{
    // A 32-bit hook is run for 64-bit programs on the bar's own thread, where
    // every message they send would wait on the bar: only where nothing else
    // keeps maximized windows below the bar.
    bool needed = g_userVars.stayOnTop && !RoomKeptBelowBar();
    if (!needed)
        RemoveMaximizeHook();
    bool refused = needed && !InstallMaximizeHook();
    if (refused && !s_refused)
        ShowWarning(HOOK_REFUSED_TEXT);
    s_refused = refused;
}
