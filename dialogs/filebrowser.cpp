// The file browser: the system's Open dialog, started at the root of drive
// C:, filling the caller's edit with the chosen file's full path.
#include "dialogs/dialogs.h"

#include <commdlg.h>

#include "base/report.h"
#include "base/syslib.h"
#include "resources/resource.h"

// Pairs of description and patterns, ended by one more NUL.
static const char EXECUTABLE_FILTER[] = "Executables\0*.EXE;*.COM;*.BAT;*.PIF\0All Files\0*.*\0";
static const char WAV_FILTER[] = "WAV Files\0*.WAV\0";

int FindFile(int mode, HWND dialog)
{
    bool wav = mode != FIND_EXECUTABLE;
    auto getOpenFileName = SystemProc<decltype(&GetOpenFileNameA)>("comdlg32.dll", "GetOpenFileNameA");
    // The Open dialog may leave the current directory wherever the user
    // browsed to; it is put back afterwards, whatever its length. Without
    // the dialog's library the browser fails as when it cannot be kept.
    DWORD size = getOpenFileName ? GetCurrentDirectoryA(0, NULL) : 0;
    char* saved = size ? static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, size)) : NULL;
    DWORD len = saved ? GetCurrentDirectoryA(size, saved) : 0;
    if (len == 0 || len >= size) {
        HeapFree(GetProcessHeap(), 0, saved);
        ShowWarning("The file browser could not be opened.");
        return -1;
    }
    SetCurrentDirectoryA("C:\\");

    char file[APP_PATH_SIZE] = "";
    OPENFILENAMEA request = {};
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = dialog;
    request.lpstrFilter = wav ? WAV_FILTER : EXECUTABLE_FILTER;
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    request.lpstrTitle = wav ? "Find WAV File..." : "Find Executable...";
    request.Flags = OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (getOpenFileName(&request)) {
        SetEditText(dialog, wav ? IDC_WAVPATH : IDC_APPPATH, file);
        SetFocus(GetDlgItem(dialog, IDOK));
    }

    int result = SetCurrentDirectoryA(saved) ? 0 : -1;
    HeapFree(GetProcessHeap(), 0, saved);
    return result;
}
