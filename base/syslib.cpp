#include "base/syslib.h"

#include <string.h>

#include "base/text.h"

FARPROC LoadSystemProc(const char* library, const char* name)
{
    // Once loaded, a library is found again at the cost of a look-up, so
    // nothing is cached here.
    HMODULE module = LoadLibraryExA(library, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        // A system without that flag: the full path, with the library's own
        // imports looked for in its folder first.
        char path[MAX_PATH];
        UINT len = GetSystemDirectoryA(path, sizeof path);
        if (len == 0 || len + 1 + strlen(library) >= sizeof path)
            return NULL;
        AppendText(path, sizeof path, "\\");
        AppendText(path, sizeof path, library);
        module = LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return module ? GetProcAddress(module, name) : NULL;
}

DWORD ProgramFolder(wchar_t* path, DWORD size)
{
    DWORD len = GetModuleFileNameW(NULL, path, size);
    if (len == 0 || len >= size)
        return 0;
    while (len > 0 && path[len - 1] != L'\\')
        len--;
    path[len] = L'\0';
    return len;
}
