// The file browser: the system's Open dialog, started at the root of drive
// C:, filling the caller's edit with the chosen file's full path.
#include "dialogs/dialogs.h"

#include <commdlg.h>

#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"
#include "resources/resource.h"

// Pairs of description and patterns, ended by one more NUL.
static const wchar_t EXECUTABLE_FILTER[] = L"Executables\0*.EXE;*.COM;*.BAT;*.PIF\0All Files\0*.*\0";
static const wchar_t WAV_FILTER[] = L"WAV Files\0*.WAV\0";

// Room for any path the dialog may give; what is kept must fit its field.
enum { PICKED_PATH_SIZE = 1024 };

// The picked path in the system's code page, in which the entries and
// settings keep their texts; 0, after a warning, when it cannot be kept
// whole there.
static int KeepablePath(const wchar_t* picked, char* path, size_t size)
{
    BOOL replaced = FALSE;
    int len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, picked, -1, NULL, 0, NULL, &replaced);
    if (len == 0 || replaced) {
        ShowWarning("The path of this file has characters that\nthe system's code page cannot hold.\n"
                    "Tolvex cannot keep it: please choose another file.");
        return 0;
    }
    if (static_cast<size_t>(len) > size) {
        char text[96];
        CopyText(text, sizeof text, "The path of this file is too long.\nTolvex keeps paths of at most ");
        AppendDecimal(text, sizeof text, static_cast<long>(size - 1));
        AppendText(text, sizeof text, " characters.");
        ShowWarning(text);
        return 0;
    }
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, picked, -1, path, static_cast<int>(size), NULL, NULL);
    return 1;
}

int FindFile(int mode, HWND dialog)
{
    bool wav = mode != FIND_EXECUTABLE;
    auto getOpenFileName = SystemProc<decltype(&GetOpenFileNameW)>("comdlg32.dll", "GetOpenFileNameW");
    // The Open dialog may leave the current directory wherever the user
    // browsed to; it is put back afterwards, whatever its length or name.
    // Without the dialog's library the browser fails as when it cannot be kept.
    DWORD size = getOpenFileName ? GetCurrentDirectoryW(0, NULL) : 0;
    wchar_t* saved = size ? static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(wchar_t))) : NULL;
    DWORD len = saved ? GetCurrentDirectoryW(size, saved) : 0;
    if (len == 0 || len >= size) {
        HeapFree(GetProcessHeap(), 0, saved);
        ShowWarning("The file browser could not be opened.");
        return -1;
    }
    SetCurrentDirectoryW(L"C:\\");

    wchar_t picked[PICKED_PATH_SIZE] = L"";
    OPENFILENAMEW request = {};
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = wav ? WAV_FILTER : EXECUTABLE_FILTER;
    request.nFilterIndex = 1;
    request.lpstrFile = picked;
    request.nMaxFile = PICKED_PATH_SIZE;
    request.lpstrTitle = wav ? L"Find WAV File..." : L"Find Executable...";
    request.Flags = OFN_HIDEREADONLY | OFN_SHOWHELP | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    char path[APP_PATH_SIZE];
    static_assert(int(APP_PATH_SIZE) == int(WAV_PATH_SIZE), "one field size for both paths");
    if (getOpenFileName(&request) && KeepablePath(picked, path, sizeof path)) {
        SetEditText(dialog, wav ? IDC_WAVPATH : IDC_APPPATH, path);
        SetFocus(GetDlgItem(dialog, IDOK));
    }

    int result = SetCurrentDirectoryW(saved) ? 0 : -1;
    HeapFree(GetProcessHeap(), 0, saved);
    return result;
}
