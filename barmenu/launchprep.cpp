// What the shell of today's Windows expects of a program that launches
// others: COM on the calling thread, and from a 32-bit program on 64-bit
// Windows, tools of the system folder named through the alias that reaches
// the 64-bit one.
#include "barmenu/barmenu.h"

#include <objbase.h>
#include <string.h>

#include "base/syslib.h"
#include "base/text.h"

typedef HRESULT(WINAPI* CoInitializeExProc)(LPVOID reserved, DWORD flags);
typedef void(WINAPI* CoUninitializeProc)();
typedef BOOL(WINAPI* IsWow64ProcessProc)(HANDLE process, PBOOL wow64);

static bool s_comTried = false;
// Set while COM on this thread is ours to end.
static CoUninitializeProc s_coUninitialize = NULL;

// void (*)() is the type GCC lets any function pointer pass through.
template <typename Proc>
static Proc Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void StartLaunchCom()
{
    if (s_comTried)
        return;
    s_comTried = true;
    // Loaded at the first launch rather than linked: a start-up of the bar
    // does not pay for ole32 and what it loads. Without it the shell still
    // starts programs, as on older systems.
    auto init = SystemProc<CoInitializeExProc>("ole32.dll", "CoInitializeEx");
    auto uninit = SystemProc<CoUninitializeProc>("ole32.dll", "CoUninitialize");
    // Shell extensions want a single-threaded apartment; OLE1 DDE stays off.
    if (init && uninit && SUCCEEDED(init(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)))
        s_coUninitialize = uninit;  // S_FALSE is to be balanced too
}

void EndLaunchCom()
{
    if (s_coUninitialize)
        s_coUninitialize();
    s_coUninitialize = NULL;
    s_comTried = false;
}

static bool IsWow64()
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    // A system without IsWow64Process has no WOW64 either.
    IsWow64ProcessProc isWow64 = kernel32 ? Export<IsWow64ProcessProc>(kernel32, "IsWow64Process") : NULL;
    BOOL wow64 = FALSE;
    return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
}

static char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The length of folder when path is that folder or lies in it, else 0.
static size_t FolderPrefix(const char* path, const char* folder)
{
    size_t n = 0;
    for (; folder[n]; n++)
        if (Upper(path[n]) != Upper(folder[n]))
            return 0;
    return path[n] == '\\' || path[n] == '\0' ? n : 0;
}

void ShellPath(const char* path, char* out, size_t size)
{
    CopyText(out, size, path);
    char system[MAX_PATH];
    UINT len = GetSystemDirectoryA(system, sizeof system);
    if (len == 0 || len >= sizeof system)
        return;
    size_t prefix = FolderPrefix(path, system);
    char* slash = strrchr(system, '\\');
    if (!prefix || !slash || !IsWow64())
        return;
    // A 32-bit program sees the 32-bit system folder under the name of the
    // 64-bit one; the alias beside it reaches the real one.
    slash[1] = '\0';
    static const char ALIAS[] = "Sysnative";
    if (strlen(system) + sizeof ALIAS - 1 + strlen(path + prefix) >= size)
        return;  // as it stands rather than cut short
    CopyText(out, size, system);
    AppendText(out, size, ALIAS);
    AppendText(out, size, path + prefix);
}

void SetProgramFolderVariable()
{
    wchar_t folder[PROGRAM_PATH_SIZE];
    DWORD len = ProgramFolder(folder, PROGRAM_PATH_SIZE);
    if (len == 0)
        return;
    // Without its backslash, so that "%TOLVEX_DIR%\tools" reads as a path;
    // a drive's root keeps it.
    if (len > 3)
        folder[len - 1] = L'\0';
    SetEnvironmentVariableW(L"TOLVEX_DIR", folder);
}

typedef BOOL(WINAPI* CreateEnvironmentBlockProc)(LPVOID* block, HANDLE token, BOOL inherit);
typedef BOOL(WINAPI* DestroyEnvironmentBlockProc)(LPVOID block);

void ReloadEnvironment()
{
    auto create = SystemProc<CreateEnvironmentBlockProc>("userenv.dll", "CreateEnvironmentBlock");
    auto destroy = SystemProc<DestroyEnvironmentBlockProc>("userenv.dll", "DestroyEnvironmentBlock");
    HANDLE token;
    if (!create || !destroy || !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token))
        return;
    // The system's and the user's variables as the registry holds them now,
    // in place of those the bar was started with.
    LPVOID block = NULL;
    if (create(&block, token, FALSE)) {
        if (SetEnvironmentStringsW(static_cast<LPWCH>(block)))
            SetProgramFolderVariable();
        destroy(block);
    }
    CloseHandle(token);
}
