// Starting an application through the shell's "open".
#include "barmenu/barmenu.h"

#include <shellapi.h>

#include "base/report.h"
#include "base/text.h"

int LaunchApp(const AppItem* app)
{
    StartLaunchCom();
    char file[MAX_PATH];
    ShellPath(app->path, file, sizeof file);
    HINSTANCE result = ShellExecuteA(g_hwndBar, "open", file, app->params, app->workDir, SW_RESTORE);
    UINT_PTR code = reinterpret_cast<UINT_PTR>(result);
    if (code > 32)
        return 1;
    switch (code) {
    case 2:
        ShowWarning("File/Executable not found.\nCheck application setup.");
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
