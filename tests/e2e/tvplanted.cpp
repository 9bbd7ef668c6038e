// tvplanted: a DLL that a scenario plants under a system library's name
// beside the bar. Whatever process loads it leaves "<its own path>.loaded",
// holding that process's path.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    char marker[MAX_PATH + 8], process[MAX_PATH];
    DWORD len = GetModuleFileNameA(instance, marker, MAX_PATH);
    DWORD processLen = GetModuleFileNameA(NULL, process, MAX_PATH);
    if (len == 0 || len >= MAX_PATH || processLen >= MAX_PATH)
        return TRUE;
    lstrcatA(marker, ".loaded");
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written;
    WriteFile(file, process, processLen, &written, NULL);
    CloseHandle(file);
    return TRUE;
}
