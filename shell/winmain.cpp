// Start-up, the message loop, and the exit sequence.
#include "shell/shell.h"

#include "barmenu/barmenu.h"
#include "store/store.h"

int g_newShell = 0;

// One bar per session. Taken before anything else: the bar's window appears
// only after the first-run greeting and the load, and two bars on one
// apps.tx would each save over the other's changes.
static const wchar_t INSTANCE_MUTEX_NAME[] = L"Local\\Tolvex.Bar";

// Libraries loaded by bare name (the Open dialog's, a shell extension's)
// come from the system folder, never from the folder the program was
// unpacked in. Looked up: Windows 7 without its update lacks the call.
static void SearchSystemFolderOnly()
{
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesProc)(DWORD);
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    // void (*)() is the type GCC lets any function pointer pass through.
    auto set = kernel32 ? reinterpret_cast<SetDefaultDllDirectoriesProc>(
                              reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                        : NULL;
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

static int IsNewShell()
{
    OSVERSIONINFOA version;
    version.dwOSVersionInfoSize = sizeof version;
    // Every system that can still run the program has the new shell.
    if (!GetVersionExA(&version))
        return 1;
    return version.dwMajorVersion >= 4;
}

static int RunBar(HINSTANCE hInstance)
{
    g_hInstance = hInstance;
    SetFatalTeardown(TearDownBar);
    SearchSystemFolderOnly();
    SetProgramFolderVariable();

    g_dataFileVersion = DATAFILE_VERSION;
    g_newShell = IsNewShell();
    LoadUserVars();
    if (!RegisterBarClass())
        return 0;
    LoadMenuList();
    if (!CreateBar())
        return 0;

    MSG msg = {};
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    HANDLE instance = CreateMutexW(NULL, FALSE, INSTANCE_MUTEX_NAME);
    bool another = instance && GetLastError() == ERROR_ALREADY_EXISTS;
    // The window, for a bar started before this check existed.
    HWND running = FindWindowA(BAR_CLASS_NAME, BAR_TITLE);
    if (another || running) {
        if (running)
            BringWindowToTop(running);
        if (instance)
            CloseHandle(instance);
        return 0;
    }
    int result = RunBar(hInstance);
    CloseHandle(instance);
    return result;
}

// The program's entry, in place of the C runtime's start-up, which would
// add a tenth to its size for nothing it uses: there are no constructors of
// globals to run, no arguments to parse and no thread-local data.
extern "C" void WINAPI TolvexStart()
{
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOWDEFAULT)));
}

void ShutDown()
{
    // The settings first: their write is quick and silent, where the menus'
    // save may wait on a warning until the system ends the process.
    SaveUserVars();
    SaveMenuList();
    ClearBarMenus();
    FreeMenuIcons();
    FreeAllMenus();
    TearDownBar();
    EndLaunchCom();
}
