// Installing and removing the maximize hook. The hook procedure lives in
// tolvexhk.dll: a hook for every thread of the desktop is granted only with
// the module handle of a DLL that the system can load into other processes.
#include "shell/shell.h"

#include <string.h>

#include "base/text.h"

const char HOOK_DLL_NAME[] = "tolvexhk.dll";

HHOOK g_hHook = NULL;

static HMODULE s_hookDll = NULL;
static HOOKPROC s_hookProc = NULL;

int LoadHookLibrary()
{
    s_hookDll = NULL;
    s_hookProc = NULL;
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(g_hInstance, path, sizeof path);
    if (len == 0 || len >= sizeof path)
        return 0;
    const char* slash = strrchr(path, '\\');
    if (!slash)
        return 0;
    size_t dirLen = static_cast<size_t>(slash + 1 - path);
    if (dirLen + sizeof HOOK_DLL_NAME > sizeof path)
        return 0;
    CopyText(path + dirLen, sizeof path - dirLen, HOOK_DLL_NAME);
    s_hookDll = LoadLibraryA(path);
    if (!s_hookDll)
        return 0;
    // void (*)() is the type GCC lets any function pointer pass through.
    s_hookProc =
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(s_hookDll, "MaximizeHookProc")));
    return s_hookProc != NULL;
}

int InstallMaximizeHook()
{
    if (g_hHook)
        return 1;
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
