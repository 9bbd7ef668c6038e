// The double's bookkeeping (reset, call log, failure plans) and the small
// kernel32, shell32, ole32 and winmm services.
#include "state.h"

#include <objbase.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace fw {
namespace detail {

static void ApplyDefaults(State& s)
{
    s.time.wYear = 1999;
    s.time.wMonth = 6;
    s.time.wDayOfWeek = 2;  // a Tuesday
    s.time.wDay = 15;
    s.time.wHour = 10;
    s.time.wMinute = 30;
    s.metrics[SM_CXSCREEN] = 1024;
    s.metrics[SM_CYSCREEN] = 768;
    s.metrics[SM_CYCAPTION] = 18;
    s.metrics[SM_CXBORDER] = 1;
    s.metrics[SM_CYBORDER] = 1;
    s.metrics[SM_CXDLGFRAME] = 3;
    s.metrics[SM_CYDLGFRAME] = 3;
    s.metrics[SM_CXICON] = 32;
    s.metrics[SM_CYICON] = 32;
    s.metrics[SM_CYMENU] = 19;
    s.metrics[SM_CXSMICON] = 16;
    s.metrics[SM_CYSMICON] = 16;
    // The system folder's libraries: kernel32, always loaded, and those the
    // program loads when first needed.
    auto proc = [](auto* function) { return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function)); };
    const std::pair<const char*, std::map<std::string, FARPROC>> libraries[] = {
        {"kernel32.dll", {{"IsWow64Process", proc(&IsWow64Process)}}},
        {"ole32.dll", {{"CoInitializeEx", proc(&CoInitializeEx)}, {"CoUninitialize", proc(&CoUninitialize)}}},
        {"shell32.dll", {{"ShellExecuteA", proc(&ShellExecuteA)}, {"SHAppBarMessage", proc(&SHAppBarMessage)}}},
        {"winmm.dll", {{"PlaySoundA", proc(&PlaySoundA)}}},
        {"comdlg32.dll", {{"GetOpenFileNameA", proc(&GetOpenFileNameA)}}},
    };
    for (const auto& [name, exports] : libraries) {
        int refs = strcmp(name, "kernel32.dll") == 0 ? 1 : 0;
        s.modules[reinterpret_cast<HMODULE>(NewHandleValue())] = {SystemDirectory(s) + "\\" + name, exports, refs};
    }
}

std::string SystemDirectory(const State& s)
{
    return s.windowsDir + "\\SYSTEM32";
}

State& S()
{
    static State* state = [] {
        State* fresh = new State();
        ApplyDefaults(*fresh);
        return fresh;
    }();
    return *state;
}

bool Call(const char* api, DWORD error, bool setsError)
{
    State& s = S();
    if (s.internalDepth > 0)
        return false;
    s.counts[api]++;
    s.log.push_back(api);
    auto it = s.fail.find(api);
    if (it == s.fail.end())
        return false;
    FailPlan& plan = it->second;
    if (plan.skip > 0) {
        --plan.skip;
        return false;
    }
    if (plan.times == 0)
        return false;
    if (plan.times > 0)
        --plan.times;
    s.failError = plan.customError ? plan.error : error;
    if (setsError)
        s.lastError = s.failError;
    return true;
}

uintptr_t NewHandleValue()
{
    // Above 0xFFFF so that no handle looks like an integer resource id.
    static uintptr_t next = 0x10000;
    next += 0x10;
    return next;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    return Lower(a) == Lower(b);
}

}  // namespace detail

using namespace detail;

// ---- control ----------------------------------------------------------------

void Reset()
{
    State& s = S();
    for (void* block : s.blocks)
        std::free(block);
    CloseAllFiles();
    s = State();
    ApplyDefaults(s);
}

void FailCalls(const char* api, int skip, int times)
{
    FailPlan plan;
    plan.skip = skip;
    plan.times = times;
    S().fail[api] = plan;
}

void FailCallsWithError(const char* api, DWORD error, int skip, int times)
{
    FailPlan plan;
    plan.skip = skip;
    plan.times = times;
    plan.error = error;
    plan.customError = true;
    S().fail[api] = plan;
}

int CallCount(const char* api)
{
    auto it = S().counts.find(api);
    return it == S().counts.end() ? 0 : it->second;
}

const std::vector<std::string>& CallLog()
{
    return S().log;
}

// ---- message boxes ------------------------------------------------------------

const std::vector<MessageBoxCall>& MessageBoxes()
{
    return S().boxes;
}

void ClearMessageBoxes()
{
    S().boxes.clear();
}

void QueueMessageBoxAnswer(int answer)
{
    S().boxAnswers.push_back(answer);
}

void OnMessageBox(std::function<void(const MessageBoxCall&)> action)
{
    S().onBox = std::move(action);
}

// ---- system --------------------------------------------------------------------

void SetSystemMetric(int index, int value)
{
    S().metrics[index] = value;
}

void SetVersion(DWORD major, DWORD minor)
{
    SetVersion(major, minor, VER_PLATFORM_WIN32_NT);
}

void SetVersion(DWORD major, DWORD minor, DWORD platform)
{
    S().major = major;
    S().minor = minor;
    S().platform = platform;
}

void SetWindowsDirectory(const std::string& dir)
{
    S().windowsDir = dir;
}

void SetLocalTime(const SYSTEMTIME& time)
{
    S().time = time;
}

void SetLocalTime(WORD hour, WORD minute, WORD second)
{
    S().time.wHour = hour;
    S().time.wMinute = minute;
    S().time.wSecond = second;
    S().time.wMilliseconds = 0;
}

void SetModuleFileName(const std::string& path)
{
    S().modulePath = path;
}

HINSTANCE ExeInstance()
{
    // The usual image base of an executable.
    return reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));
}

void RegisterModule(const std::string& path, const std::map<std::string, FARPROC>& exports)
{
    for (auto& entry : S().modules) {
        if (EqualNoCase(entry.second.path, path)) {
            entry.second.exports = exports;
            return;
        }
    }
    Module module;
    module.path = path;
    module.exports = exports;
    S().modules[reinterpret_cast<HMODULE>(NewHandleValue())] = module;
}

const std::vector<std::string>& LoadedLibraries()
{
    return S().loadedLibraries;
}

int ModuleRefCount(const std::string& path)
{
    for (auto& entry : S().modules)
        if (EqualNoCase(entry.second.path, path))
            return entry.second.refs;
    return 0;
}

int LiveHeapBlocks()
{
    return static_cast<int>(S().blocks.size());
}

const std::vector<PlaySoundCall>& PlaySoundCalls()
{
    return S().sounds;
}

const std::vector<ShellExecuteCall>& ShellExecuteCalls()
{
    return S().shellCalls;
}

void SetShellExecuteResult(INT_PTR result)
{
    S().shellResult = result;
}

const std::vector<AppBarCall>& AppBarCalls()
{
    return S().appBarCalls;
}

std::vector<HWND> AppBars()
{
    return S().appBars;
}

void SetAppBarTopTaken(LONG bottom)
{
    S().appBarTopTaken = bottom;
}

void SetWow64(bool wow64)
{
    S().wow64 = wow64;
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

// ---- kernel32 ----------------------------------------------------------------------

DWORD WINAPI GetLastError(void)
{
    Call("GetLastError");
    return S().lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    Call("SetLastError");
    S().lastError = dwErrCode;
}

void WINAPI ExitProcess(UINT uExitCode)
{
    Call("ExitProcess");
    throw fw::ProcessExit{uExitCode};
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    if (Call("GetVersionExA", ERROR_INVALID_PARAMETER))
        return FALSE;
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        S().lastError = ERROR_INSUFFICIENT_BUFFER;
        return FALSE;
    }
    info->dwMajorVersion = S().major;
    info->dwMinorVersion = S().minor;
    info->dwBuildNumber = S().platform == VER_PLATFORM_WIN32_NT ? 1381 : 950;
    info->dwPlatformId = S().platform;
    memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

static UINT CopyDirectory(const std::string& dir, LPSTR buffer, UINT size)
{
    // Too small: the size needed, terminator included; the buffer is not touched.
    if (buffer == nullptr || dir.size() >= size)
        return static_cast<UINT>(dir.size() + 1);
    memcpy(buffer, dir.c_str(), dir.size() + 1);
    return static_cast<UINT>(dir.size());
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size)
{
    if (Call("GetWindowsDirectoryA", ERROR_PATH_NOT_FOUND))
        return 0;
    return CopyDirectory(S().windowsDir, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    if (Call("GetSystemDirectoryA", ERROR_PATH_NOT_FOUND))
        return 0;
    return CopyDirectory(SystemDirectory(S()), buffer, size);
}

HANDLE WINAPI GetCurrentProcess(void)
{
    Call("GetCurrentProcess");
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));
}

BOOL WINAPI IsWow64Process(HANDLE, PBOOL wow64)
{
    if (Call("IsWow64Process", ERROR_ACCESS_DENIED))
        return FALSE;
    *wow64 = S().wow64;
    return TRUE;
}

void WINAPI GetLocalTime(LPSYSTEMTIME time)
{
    Call("GetLocalTime");
    *time = S().time;
}

DWORD WINAPI GetTickCount(void)
{
    Call("GetTickCount");
    return static_cast<DWORD>(S().time.wHour * 3600000u + S().time.wMinute * 60000u + S().time.wSecond * 1000u +
                              S().time.wMilliseconds);
}

// Logged, not slept: a test sees how often and never waits.
void WINAPI Sleep(DWORD)
{
    Call("Sleep");
}

DWORD WINAPI GetCurrentThreadId(void)
{
    Call("GetCurrentThreadId");
    return 1;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    if (Call("GetModuleFileNameA", ERROR_MOD_NOT_FOUND))
        return 0;
    std::string path;
    if (module == nullptr || module == ExeInstance()) {
        path = S().modulePath;
    } else {
        auto it = S().modules.find(module);
        if (it == S().modules.end() || it->second.refs == 0) {
            S().lastError = ERROR_MOD_NOT_FOUND;
            return 0;
        }
        path = it->second.path;
    }
    if (path.size() < size) {
        memcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<DWORD>(path.size());
    }
    // Too small: truncated to `size` characters with no terminator (as on
    // Windows XP and under Wine), so the caller must not rely on one.
    memcpy(buffer, path.data(), size);
    S().lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    if (Call("GetModuleHandleA", ERROR_MOD_NOT_FOUND))
        return nullptr;
    if (name == nullptr)
        return ExeInstance();
    // A bare name stands for the file name of a loaded module.
    for (auto& entry : S().modules) {
        const std::string& path = entry.second.path;
        std::string file = strchr(name, '\\') ? path : path.substr(path.rfind('\\') + 1);
        if (entry.second.refs > 0 && EqualNoCase(file, name))
            return entry.first;
    }
    S().lastError = ERROR_MOD_NOT_FOUND;
    return nullptr;
}

static HMODULE LoadModule(const std::string& path)
{
    for (auto& entry : S().modules) {
        if (EqualNoCase(entry.second.path, path)) {
            entry.second.refs++;
            return entry.first;
        }
    }
    S().lastError = ERROR_MOD_NOT_FOUND;
    return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR path)
{
    S().loadedLibraries.push_back(path ? path : "");
    if (Call("LoadLibraryA", ERROR_MOD_NOT_FOUND))
        return nullptr;
    return LoadModule(path ? path : "");
}

// A bare name with LOAD_LIBRARY_SEARCH_SYSTEM32 is looked for in the system
// folder alone; a full path is taken as it is.
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE, DWORD flags)
{
    std::string path = name ? name : "";
    S().loadedLibraries.push_back(path);
    if (Call("LoadLibraryExA", ERROR_MOD_NOT_FOUND))
        return nullptr;
    if ((flags & LOAD_LIBRARY_SEARCH_SYSTEM32) && path.find('\\') == std::string::npos)
        path = SystemDirectory(S()) + "\\" + path;
    return LoadModule(path);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    if (Call("GetProcAddress", ERROR_PROC_NOT_FOUND))
        return nullptr;
    auto it = S().modules.find(module);
    if (it == S().modules.end() || it->second.refs == 0) {
        S().lastError = ERROR_MOD_NOT_FOUND;
        return nullptr;
    }
    if (name != nullptr && !IS_INTRESOURCE(name)) {
        auto exp = it->second.exports.find(name);
        if (exp != it->second.exports.end())
            return exp->second;
    }
    S().lastError = ERROR_PROC_NOT_FOUND;
    return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (Call("FreeLibrary", ERROR_INVALID_HANDLE))
        return FALSE;
    auto it = S().modules.find(module);
    if (it == S().modules.end() || it->second.refs == 0) {
        S().lastError = ERROR_MOD_NOT_FOUND;
        return FALSE;
    }
    it->second.refs--;
    return TRUE;
}

BOOL WINAPI DisableThreadLibraryCalls(HMODULE)
{
    Call("DisableThreadLibraryCalls");
    return TRUE;
}

// ---- heap --------------------------------------------------------------------------

HANDLE WINAPI GetProcessHeap(void)
{
    if (Call("GetProcessHeap", 0, false))
        return nullptr;
    static int heap;
    return &heap;
}

LPVOID WINAPI HeapAlloc(HANDLE, DWORD flags, SIZE_T bytes)
{
    // HeapAlloc does not set the last error when it fails.
    if (Call("HeapAlloc", 0, false))
        return nullptr;
    size_t size = bytes == 0 ? 1 : bytes;
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr)
        return nullptr;
    if (!(flags & HEAP_ZERO_MEMORY))
        memset(block, 0xCD, size);  // garbage, so that a missing initialisation shows
    S().blocks.insert(block);
    return block;
}

BOOL WINAPI HeapFree(HANDLE, DWORD, LPVOID mem)
{
    if (Call("HeapFree", ERROR_INVALID_PARAMETER))
        return FALSE;
    if (mem == nullptr)
        return TRUE;
    auto it = S().blocks.find(mem);
    if (it == S().blocks.end())
        throw std::logic_error("HeapFree of a block that HeapAlloc did not return, or freed twice");
    S().blocks.erase(it);
    std::free(mem);
    return TRUE;
}

// ---- shell32, winmm --------------------------------------------------------------------

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR verb, LPCSTR file, LPCSTR params, LPCSTR dir, INT show)
{
    ShellExecuteCall call;
    call.owner = hwnd;
    call.verb = verb ? verb : "";
    call.file = file ? file : "";
    call.params = params ? params : "";
    call.dir = dir ? dir : "";
    call.paramsNull = params == nullptr;
    call.dirNull = dir == nullptr;
    call.show = show;
    call.comDepth = S().comDepth;
    call.comFlags = S().comFlags;
    S().shellCalls.push_back(call);
    INT_PTR result = S().shellResult;
    if (Call("ShellExecuteA", ERROR_FILE_NOT_FOUND))
        result = SE_ERR_FNF;
    return reinterpret_cast<HINSTANCE>(result);
}

BOOL WINAPI PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags)
{
    PlaySoundCall call;
    // The pointer may be null (stop), a resource id or a memory image;
    // record a name only when it is text.
    if (sound == nullptr || (flags & SND_RESOURCE) == SND_MEMORY)
        call.sound = "";
    else if (IS_INTRESOURCE(sound))
        call.sound = "#" + std::to_string(reinterpret_cast<uintptr_t>(sound));
    else
        call.sound = sound;
    call.module = module;
    call.flags = flags;
    S().sounds.push_back(call);
    if (Call("PlaySoundA", 0, false))
        return FALSE;
    return TRUE;
}

UINT_PTR WINAPI SHAppBarMessage(DWORD message, PAPPBARDATA data)
{
    State& s = S();
    s.appBarCalls.push_back({message, data->hWnd, data->uCallbackMessage, data->uEdge, data->rc});
    auto bar = std::find(s.appBars.begin(), s.appBars.end(), data->hWnd);
    if (Call("SHAppBarMessage", 0, false))
        return FALSE;  // as when no shell runs
    if (message == ABM_NEW && bar == s.appBars.end())
        s.appBars.push_back(data->hWnd);
    if (message == ABM_REMOVE && bar != s.appBars.end())
        s.appBars.erase(bar);
    if ((message == ABM_QUERYPOS || message == ABM_SETPOS) && data->uEdge == ABE_TOP)
        data->rc.top = std::max(data->rc.top, s.appBarTopTaken);
    return TRUE;
}

HRESULT WINAPI CoInitializeEx(LPVOID, DWORD flags)
{
    Call("CoInitializeEx");
    if (S().comDepth++ > 0)
        return S_FALSE;  // started already: to be balanced all the same
    S().comFlags = flags;
    return S_OK;
}

void WINAPI CoUninitialize(void)
{
    Call("CoUninitialize");
    if (S().comDepth > 0)
        S().comDepth--;
}
