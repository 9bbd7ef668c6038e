// Start-up, the message loop, and the exit sequence.
#include "shell/shell.h"

#include "barmenu/barmenu.h"
#include "store/store.h"

int g_newShell = 0;

static int IsNewShell()
{
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    // Every system that can still run the program has the new shell.
    if (!GetVersionExA(&version))
        return 1;
    return version.dwMajorVersion >= 4;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    g_hInstance = hInstance;
    SetFatalTeardown(TearDownBar);

    HWND running = FindWindowA(BAR_CLASS_NAME, BAR_TITLE);
    if (running) {
        BringWindowToTop(running);
        return 0;
    }

    g_dataFileVersion = DATAFILE_VERSION;
    g_newShell = IsNewShell();
    LoadUserVars();
    if (!RegisterBarClass())
        return 0;
    LoadMenuList();
    LoadHookLibrary();  // a failure shows when the hook is wanted
    if (!CreateBar())
        return 0;

    MSG msg = {};
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void ShutDown()
{
    SaveMenuList();
    SaveUserVars();
    ClearBarMenus();
    FreeAllMenus();
    TearDownBar();
    EndLaunchCom();
}
