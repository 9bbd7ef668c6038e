// Starting an application through the shell.
#include "barmenu/barmenu.h"

#include <shellapi.h>

#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"

static const char NOT_FOUND_TEXT[] = "File/Executable not found.\nCheck application setup.";

bool ExpandVariables(const char* text, char* out, DWORD size)
{
    DWORD len = ExpandEnvironmentStringsA(text, out, size);
    return len != 0 && len <= size;
}

static UINT_PTR RunShell(const char* verb, const char* file, const char* params, const char* dir, int show)
{
    auto shellExecute = SystemProc<decltype(&ShellExecuteA)>("shell32.dll", "ShellExecuteA");
    // Without the shell library the launch fails as the shell does when a
    // library it needs is missing.
    if (!shellExecute)
        return SE_ERR_DLLNOTFOUND;
    SetLastError(ERROR_SUCCESS);
    return reinterpret_cast<UINT_PTR>(shellExecute(g_hwndBar, verb, file, params, dir, show));
}

int LaunchApp(const AppItem* app, bool elevated)
{
    StartLaunchCom();
    char path[MAX_PATH];
    char params[1024];
    char workDir[MAX_PATH];
    if (!ExpandVariables(app->path, path, sizeof path) || !ExpandVariables(app->params, params, sizeof params) ||
        !ExpandVariables(app->workDir, workDir, sizeof workDir)) {
        ShowWarning("The entry's variables make its path, parameters\nor working directory too long.");
        return 0;
    }
    char file[MAX_PATH];
    ShellPath(path, file, sizeof file);
    UINT_PTR code = RunShell(elevated ? "runas" : "open", file, params, workDir, SW_RESTORE);
    if (code > 32)
        return 1;
    // The user said no to the elevation prompt: nothing to warn of.
    if (GetLastError() == ERROR_CANCELLED)
        return 0;
    switch (code) {
    case 2:
        ShowWarning(NOT_FOUND_TEXT);
        break;
    case 3:
        ShowWarning("Path not found.\nCheck application setup.");
        break;
    case 8:
        ShowWarning("Insufficient memory to start application.");
        break;
    default: {
        char text[48];
        CopyText(text, sizeof text, "ShellExec returned error code: ");
        AppendDecimal(text, sizeof text, static_cast<long>(code));
        ShowWarning(text);
        break;
    }
    }
    return 0;
}

int ShowAppLocation(const AppItem* app)
{
    char path[MAX_PATH];
    DWORD attributes =
        ExpandVariables(app->path, path, sizeof path) ? GetFileAttributesA(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        ShowWarning(NOT_FOUND_TEXT);
        return 0;
    }
    // Explorer of the Windows folder, never one planted in the current directory.
    char explorer[MAX_PATH];
    UINT len = GetWindowsDirectoryA(explorer, sizeof explorer);
    if (len == 0 || len >= sizeof explorer)
        return 0;
    AppendText(explorer, sizeof explorer, "\\explorer.exe");
    char params[MAX_PATH + 16];
    CopyText(params, sizeof params, "/select,\"");
    AppendText(params, sizeof params, path);
    AppendText(params, sizeof params, "\"");
    StartLaunchCom();
    if (RunShell("open", explorer, params, NULL, SW_SHOWNORMAL) > 32)
        return 1;
    ShowWarning(NOT_FOUND_TEXT);
    return 0;
}
