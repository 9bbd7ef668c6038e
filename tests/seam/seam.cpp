#include "tests/seam/seam.h"

#include <gtest/gtest.h>
#include <mmsystem.h>
#include <string.h>

#include <map>
#include <mutex>
#include <set>

namespace seam {

State state;

namespace {

struct Failure {
    int from = 0, to = 0;  // the failing calls, counted from 1
    DWORD error = 0;
};

// What only the seam reads.
struct Private {
    std::map<std::string, int> calls;
    std::map<std::string, Failure> failures;
    // The handles that calls made; HeapAlloc's only while not freed.
    std::map<std::string, std::set<void*>> made;
    bool timeSet = false;
    SYSTEMTIME time = {};
    int shortWrite = 0;  // the WriteFile call, counted from 1, that writes half
};
Private s;
DWORD s_exitThread = 0;  // the thread of RunToExit, 0 when none runs
int s_exitCode = -1;

// The bar's icon threads call through the seam beside the test's thread.
std::mutex s_lock;

// Adds to the call's count; the count.
int Count(const char* call, int add = 1)
{
    std::lock_guard<std::mutex> hold(s_lock);
    return s.calls[call] += add;
}

// Counts the call and tells whether it is to fail now.
bool ShouldFail(const char* call)
{
    std::lock_guard<std::mutex> hold(s_lock);
    int n = ++s.calls[call];
    auto it = s.failures.find(call);
    if (it == s.failures.end() || n < it->second.from || n > it->second.to)
        return false;
    SetLastError(it->second.error);
    return true;
}

std::string Text(const char* text)
{
    return text ? text : "";
}

}  // namespace

// ---- the replaced imports -----------------------------------------------------

// Each failable call: the real one unless a test asked it to fail.
#define SEAM_FAILABLES(X)                                                                                              \
    X(HANDLE, INVALID_HANDLE_VALUE, CreateFileW,                                                                       \
      (LPCWSTR a, DWORD b, DWORD c, LPSECURITY_ATTRIBUTES d, DWORD e, DWORD f, HANDLE g), (a, b, c, d, e, f, g))       \
    X(BOOL, FALSE, ReadFile, (HANDLE a, LPVOID b, DWORD c, LPDWORD d, LPOVERLAPPED e), (a, b, c, d, e))                \
    X(BOOL, FALSE, FlushFileBuffers, (HANDLE a), (a))                                                                  \
    X(BOOL, FALSE, MoveFileExW, (LPCWSTR a, LPCWSTR b, DWORD c), (a, b, c))                                            \
    X(DWORD, INVALID_FILE_ATTRIBUTES, GetFileAttributesA, (LPCSTR a), (a))                                             \
    X(UINT, 0, GetSystemDirectoryA, (LPSTR a, UINT b), (a, b))                                                         \
    X(HMODULE, NULL, LoadLibraryA, (LPCSTR a), (a))                                                                    \
    X(HMODULE, NULL, LoadLibraryExA, (LPCSTR a, HANDLE b, DWORD c), (a, b, c))                                         \
    X(BOOL, FALSE, GetVersionExA, (LPOSVERSIONINFOA a), (a))                                                           \
    X(LPVOID, NULL, HeapAlloc, (HANDLE a, DWORD b, SIZE_T c), (a, b, c))                                               \
    X(ATOM, 0, RegisterClassA, (const WNDCLASSA* a), (a))                                                              \
    X(HWND, NULL, CreateWindowExA,                                                                                     \
      (DWORD a, LPCSTR b, LPCSTR c, DWORD d, int e, int f, int g, int h, HWND i, HMENU j, HINSTANCE k, LPVOID l),      \
      (a, b, c, d, e, f, g, h, i, j, k, l))                                                                            \
    X(HMENU, NULL, CreateMenu, (), ())                                                                                 \
    X(HMENU, NULL, CreatePopupMenu, (), ())                                                                            \
    X(BOOL, FALSE, AppendMenuA, (HMENU a, UINT b, UINT_PTR c, LPCSTR d), (a, b, c, d))                                 \
    X(BOOL, FALSE, InsertMenuA, (HMENU a, UINT b, UINT c, UINT_PTR d, LPCSTR e), (a, b, c, d, e))                      \
    X(BOOL, FALSE, SetWindowPos, (HWND a, HWND b, int c, int d, int e, int f, UINT g), (a, b, c, d, e, f, g))          \
    X(HHOOK, NULL, SetWindowsHookExA, (int a, HOOKPROC b, HINSTANCE c, DWORD d), (a, b, c, d))                         \
    X(INT_PTR, -1, DialogBoxParamA, (HINSTANCE a, LPCSTR b, HWND c, DLGPROC d, LPARAM e), (a, b, c, d, e))             \
    X(LONG, ERROR_ACCESS_DENIED, RegCreateKeyExA,                                                                      \
      (HKEY a, LPCSTR b, DWORD c, LPSTR d, DWORD e, REGSAM f, LPSECURITY_ATTRIBUTES g, PHKEY h, LPDWORD i),            \
      (a, b, c, d, e, f, g, h, i))                                                                                     \
    X(LONG, ERROR_ACCESS_DENIED, RegSetValueExA, (HKEY a, LPCSTR b, DWORD c, DWORD d, const BYTE* e, DWORD f),         \
      (a, b, c, d, e, f))

// A failing registry call reports its error as its result, not as the
// last error: the one given to Fail becomes the result.
template <typename R>
static R FailureResult(R fail)
{
    return fail;
}
template <>
LONG FailureResult<LONG>(LONG)
{
    return static_cast<LONG>(GetLastError());
}

// The handles a call made, for the checks that they are given back. An icon
// thread may give back a block of its own.
template <typename R>
static void NoteMade(const char*, R)
{
}
template <typename T>
static void NoteMade(const char* call, T* handle)
{
    std::lock_guard<std::mutex> hold(s_lock);
    if (handle && handle != INVALID_HANDLE_VALUE)
        s.made[call].insert(handle);
}

#define SEAM_DEFINE(R, fail, name, params, args)                                                                       \
    static R(WINAPI* Real_##name) params = NULL;                                                                       \
    static R WINAPI Seam_##name params                                                                                 \
    {                                                                                                                  \
        if (ShouldFail(#name))                                                                                         \
            return FailureResult<R>(fail);                                                                             \
        R result = Real_##name args;                                                                                   \
        NoteMade(#name, result);                                                                                       \
        return result;                                                                                                 \
    }
SEAM_FAILABLES(SEAM_DEFINE)

static BOOL(WINAPI* Real_HeapFree)(HANDLE, DWORD, LPVOID) = NULL;
static BOOL WINAPI Seam_HeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    {
        std::lock_guard<std::mutex> hold(s_lock);
        s.made["HeapAlloc"].erase(block);
    }
    return Real_HeapFree(heap, flags, block);
}

// Failable too, each with a twist of its own.

static BOOL(WINAPI* Real_WriteFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) = NULL;
static BOOL WINAPI Seam_WriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    if (ShouldFail("WriteFile"))
        return FALSE;
    // A full disk: fewer bytes written than asked, and no error.
    if (Count("WriteFile", 0) == s.shortWrite)
        size /= 2;
    return Real_WriteFile(file, data, size, written, overlapped);
}

// The handle is closed all the same: a failed close must not leave it open.
static BOOL(WINAPI* Real_CloseHandle)(HANDLE) = NULL;
static BOOL WINAPI Seam_CloseHandle(HANDLE handle)
{
    bool fail = ShouldFail("CloseHandle");
    BOOL closed = Real_CloseHandle(handle);
    return fail ? FALSE : closed;
}

static UINT(WINAPI* Real_GetWindowsDirectoryA)(LPSTR, UINT) = NULL;
static UINT WINAPI Seam_GetWindowsDirectoryA(LPSTR dir, UINT size)
{
    if (ShouldFail("GetWindowsDirectoryA"))
        return 0;
    if (state.windowsDir.empty())
        return Real_GetWindowsDirectoryA(dir, size);
    UINT len = static_cast<UINT>(state.windowsDir.size());
    if (len >= size)
        return len + 1;  // the size it needs, and nothing copied
    memcpy(dir, state.windowsDir.c_str(), len + 1);
    return len;
}

static int(WINAPI* Real_MessageBoxA)(HWND, LPCSTR, LPCSTR, UINT) = NULL;
static int WINAPI Seam_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    MSG quit;
    bool quitPending = PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    Box box = {owner, Text(text), Text(caption), type, quitPending};
    state.boxes.push_back(box);
    int answer = (type & MB_TYPEMASK) == MB_YESNO ? IDYES : IDOK;
    if (!state.answers.empty()) {
        answer = state.answers.front();
        state.answers.erase(state.answers.begin());
    }
    if (state.onBox) {
        auto action = state.onBox;  // it may set another one
        action(box);
    }
    return answer;
}

static void(WINAPI* Real_GetLocalTime)(LPSYSTEMTIME) = NULL;
static void WINAPI Seam_GetLocalTime(LPSYSTEMTIME time)
{
    Real_GetLocalTime(time);
    if (s.timeSet) {
        time->wHour = s.time.wHour;
        time->wMinute = s.time.wMinute;
        time->wSecond = s.time.wSecond;
        time->wMilliseconds = 0;
    }
}

static void(WINAPI* Real_ExitProcess)(UINT) = NULL;
static void WINAPI Seam_ExitProcess(UINT code)
{
    if (s_exitThread && GetCurrentThreadId() == s_exitThread) {
        s_exitCode = static_cast<int>(code);
        ExitThread(0);
    }
    Real_ExitProcess(code);
}

// ---- what the program loads lazily, through GetProcAddress ------------------------

static HINSTANCE(WINAPI* Real_ShellExecuteA)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = NULL;
static HINSTANCE WINAPI Seam_ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    state.launches.push_back({owner, Text(verb), Text(file), Text(params), Text(dir), show});
    if (state.shellError)
        SetLastError(state.shellError);
    return reinterpret_cast<HINSTANCE>(state.shellResult);
}

static BOOL(WINAPI* Real_PlaySoundA)(LPCSTR, HMODULE, DWORD) = NULL;
static BOOL WINAPI Seam_PlaySoundA(LPCSTR sound, HMODULE, DWORD flags)
{
    state.sounds.push_back({Text(sound), flags});
    return state.playResult;
}

static BOOL(WINAPI* Real_GetOpenFileNameW)(LPOPENFILENAMEW) = NULL;
static BOOL WINAPI Seam_GetOpenFileNameW(LPOPENFILENAMEW request)
{
    Count("GetOpenFileNameW");
    return state.openDialog ? state.openDialog(request) : FALSE;
}

static UINT_PTR(WINAPI* Real_SHAppBarMessage)(DWORD, PAPPBARDATA) = NULL;
static UINT_PTR WINAPI Seam_SHAppBarMessage(DWORD message, PAPPBARDATA data)
{
    state.appBarCalls.push_back({message, *data});
    return state.appBar ? state.appBar(message, data) : Real_SHAppBarMessage(message, data);
}

static DWORD_PTR(WINAPI* Real_SHGetFileInfoA)(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT) = NULL;
static DWORD_PTR WINAPI Seam_SHGetFileInfoA(LPCSTR path, DWORD attributes, SHFILEINFOA* info, UINT size, UINT flags)
{
    {
        std::lock_guard<std::mutex> hold(s_lock);
        state.fileInfoCalls.push_back({Text(path), flags});
    }
    if (!state.slowPath.empty() && path && strstr(path, state.slowPath.c_str()))
        Sleep(state.slowMs);
    return Real_SHGetFileInfoA(path, attributes, info, size, flags);
}

static HRESULT(WINAPI* Real_CoInitializeEx)(LPVOID, DWORD) = NULL;
static HRESULT WINAPI Seam_CoInitializeEx(LPVOID reserved, DWORD flags)
{
    Count("CoInitializeEx");
    state.comFlags = flags;
    return Real_CoInitializeEx(reserved, flags);
}

static void(WINAPI* Real_CoUninitialize)() = NULL;
static void WINAPI Seam_CoUninitialize()
{
    Count("CoUninitialize");
    Real_CoUninitialize();
}

static BOOL(WINAPI* Real_IsWow64Process)(HANDLE, PBOOL) = NULL;
static BOOL WINAPI Seam_IsWow64Process(HANDLE process, PBOOL wow64)
{
    if (state.wow64 < 0)
        return Real_IsWow64Process(process, wow64);
    *wow64 = state.wow64;
    return TRUE;
}

// ---- patching -------------------------------------------------------------------

namespace {

struct Import {
    const char* name;
    void* replacement;
    void** realSlot;  // filled from the import table or by GetProcAddress
    bool failable;
};

template <typename Proc>
void* Untyped(Proc proc)
{
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(proc));
}

template <typename Proc>
Import MakeImport(const char* name, Proc replacement, Proc* realSlot, bool failable)
{
    return {name, Untyped(replacement), reinterpret_cast<void**>(realSlot), failable};
}

FARPROC(WINAPI* Real_GetProcAddress)(HMODULE, LPCSTR) = NULL;
FARPROC WINAPI Seam_GetProcAddress(HMODULE module, LPCSTR name);

#define SEAM_IMPORT(name, failable) MakeImport(#name, Seam_##name, &Real_##name, failable)
#define SEAM_ENTRY(R, fail, name, params, args) SEAM_IMPORT(name, true),
const Import IMPORTS[] = {
    SEAM_FAILABLES(SEAM_ENTRY) SEAM_IMPORT(GetProcAddress, true),
    SEAM_IMPORT(WriteFile, true),
    SEAM_IMPORT(CloseHandle, true),
    SEAM_IMPORT(GetWindowsDirectoryA, true),
    SEAM_IMPORT(HeapFree, false),
    SEAM_IMPORT(MessageBoxA, false),
    SEAM_IMPORT(GetLocalTime, false),
    SEAM_IMPORT(ExitProcess, false),
    SEAM_IMPORT(ShellExecuteA, false),
    SEAM_IMPORT(PlaySoundA, false),
    SEAM_IMPORT(GetOpenFileNameW, false),
    SEAM_IMPORT(SHAppBarMessage, false),
    SEAM_IMPORT(SHGetFileInfoA, false),
    SEAM_IMPORT(CoInitializeEx, false),
    SEAM_IMPORT(CoUninitialize, false),
    SEAM_IMPORT(IsWow64Process, false),
};

const Import* FindImport(const char* name)
{
    for (const Import& import : IMPORTS)
        if (strcmp(import.name, name) == 0)
            return &import;
    return NULL;
}

// What the program loads lazily gets the seam's version too.
FARPROC WINAPI Seam_GetProcAddress(HMODULE module, LPCSTR name)
{
    if (ShouldFail("GetProcAddress"))
        return NULL;
    FARPROC real = Real_GetProcAddress(module, name);
    const Import* import = real && !IS_INTRESOURCE(name) ? FindImport(name) : NULL;
    if (!import)
        return real;
    *import->realSlot = Untyped(real);
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(import->replacement));
}

}  // namespace

void Install()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(NULL));
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; d++) {
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; names++, slots++) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const Import* import = FindImport(reinterpret_cast<const char*>(byName->Name));
            if (!import)
                continue;
            *import->realSlot = reinterpret_cast<void*>(slots->u1.Function);
            DWORD old;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(import->replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
        }
    }
}

void Reset()
{
    std::lock_guard<std::mutex> hold(s_lock);
    s = Private();
    state = State();
}

void Fail(const char* call, int nth, DWORD error, int times)
{
    const Import* import = FindImport(call);
    ASSERT_TRUE(import && import->failable && *import->realSlot) << call << " is not a failable import of the program";
    std::lock_guard<std::mutex> hold(s_lock);
    int done = s.calls[call];
    s.failures[call] = {done + nth, done + nth + times - 1, error};
}

int Calls(const char* call)
{
    return Count(call, 0);
}

std::vector<std::string> BoxTexts()
{
    std::vector<std::string> texts;
    for (const Box& box : state.boxes)
        texts.push_back(box.text);
    return texts;
}

void SetLocalTime(WORD hour, WORD minute, WORD second)
{
    s.timeSet = true;
    s.time.wHour = hour;
    s.time.wMinute = minute;
    s.time.wSecond = second;
}

void ShortWrite(int nth)
{
    s.shortWrite = Count("WriteFile", 0) + nth;
}

int LiveMenus()
{
    int live = 0;
    for (void* menu : s.made["CreateMenu"])
        live += IsMenu(static_cast<HMENU>(menu)) ? 1 : 0;
    return live;
}

std::vector<void*> Made(const char* call)
{
    const std::set<void*>& made = s.made[call];
    return std::vector<void*>(made.begin(), made.end());
}

int LiveHeapBlocks()
{
    return static_cast<int>(s.made["HeapAlloc"].size());
}

int RunToExit(const std::function<void()>& run)
{
    s_exitCode = -1;
    // A lambda converts to a thread procedure only where WINAPI is the
    // default calling convention, which it is not on i686.
    struct Body {
        static DWORD WINAPI Run(LPVOID param)
        {
            (*static_cast<const std::function<void()>*>(param))();
            return 0;
        }
    };
    HANDLE thread =
        CreateThread(NULL, 0, Body::Run, const_cast<std::function<void()>*>(&run), CREATE_SUSPENDED, &s_exitThread);
    if (!thread) {
        ADD_FAILURE() << "no thread";
        return -1;
    }
    ResumeThread(thread);
    // The thread may send messages to this one's windows (the bar's).
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread);
    s_exitThread = 0;
    return s_exitCode;
}

}  // namespace seam
