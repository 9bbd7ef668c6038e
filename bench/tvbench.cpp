// tvbench: the measuring half of scripts/bench, run under Wine. Each
// subcommand prints key=value lines; the exit code is 0 done, 1 failed,
// 2 bad usage. Times are in milliseconds.
//
// The data file layout is written out here, as in the end-to-end driver,
// rather than taken from the program's headers.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

enum {
    MENU_RECORD = 48,
    MENU_NAME = 30,
    MENU_COUNT_AT = 32,
    APP_RECORD = 232,
    APP_PATH = 80,
    APP_NAME = 30,
    APP_NAME_AT = 190
};

void PutText(unsigned char* field, size_t size, const char* text)
{
    size_t len = strlen(text);
    if (len >= size)
        len = size - 1;
    memcpy(field, text, len);
}

double Ms(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (double)(to.QuadPart - from.QuadPart) / (double)frequency.QuadPart;
}

// A menu's record, of `apps` entries, and an entry's, as apps.tx holds them.
bool WriteMenu(FILE* file, const char* name, LONG apps)
{
    unsigned char menu[MENU_RECORD] = {};
    PutText(menu, MENU_NAME, name);
    memcpy(menu + MENU_COUNT_AT, &apps, 4);
    return fwrite(menu, sizeof menu, 1, file) == 1;
}

bool WriteApp(FILE* file, const char* name, const char* path)
{
    unsigned char app[APP_RECORD] = {};
    PutText(app + APP_NAME_AT, APP_NAME, name);
    PutText(app, APP_PATH, path);
    return fwrite(app, sizeof app, 1, file) == 1;
}

// make-data FILE MENUS APPS: a data file of MENUS menus of APPS entries each,
// too big for write-data's command line.
int MakeData(char** argv)
{
    LONG menus = atol(argv[1]), apps = atol(argv[2]);
    FILE* file = fopen(argv[0], "wb");
    if (!file)
        return 1;
    LONG version = 100;
    bool ok = fwrite(&version, 4, 1, file) == 1;
    for (LONG k = 1; k <= menus && ok; ++k) {
        char text[32];
        snprintf(text, sizeof text, "Menu %ld", (long)k);
        ok = WriteMenu(file, text, apps);
        for (LONG j = 1; j <= apps && ok; ++j) {
            snprintf(text, sizeof text, "Application %ld.%ld", (long)k, (long)j);
            ok = WriteApp(file, text, "C:\\windows\\notepad.exe");
        }
    }
    return fclose(file) == 0 && ok ? 0 : 1;
}

// make-icon-data FILE: one menu of 100 entries, each a program of the system
// folder (the .exe files there, then its .dll files), for the icons' cases.
int MakeIconData(char** argv)
{
    static char paths[100][MAX_PATH];
    int n = 0;
    char folder[MAX_PATH];
    GetSystemDirectoryA(folder, sizeof folder);
    static const char* const PATTERNS[] = {"\\*.exe", "\\*.dll"};
    for (const char* pattern : PATTERNS) {
        char search[MAX_PATH];
        snprintf(search, sizeof search, "%s%s", folder, pattern);
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA(search, &found);
        for (bool more = find != INVALID_HANDLE_VALUE; more && n < 100; more = FindNextFileA(find, &found))
            if (strlen(folder) + 1 + strlen(found.cFileName) < APP_PATH)
                snprintf(paths[n++], MAX_PATH, "%s\\%s", folder, found.cFileName);
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
    }
    FILE* file = fopen(argv[0], "wb");
    if (!file || n < 100)
        return 1;
    LONG version = 100;
    bool ok = fwrite(&version, 4, 1, file) == 1 && WriteMenu(file, "&Icons", 100);
    for (int j = 0; j < 100 && ok; ++j) {
        char text[32];
        snprintf(text, sizeof text, "Program %d", j + 1);
        ok = WriteApp(file, text, paths[j]);
    }
    return fclose(file) == 0 && ok ? 0 : 1;
}

// What the screen shows of the window, as a checksum.
unsigned long long Shown(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    DWORD* pixels = nullptr;
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, (void**)&pixels, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    unsigned long long sum = 1469598103934665603ull;
    for (int i = 0; pixels && i < width * height; i++)
        sum = (sum ^ pixels[i]) * 1099511628211ull;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return sum;
}

// The bar's first user menu opened from the keyboard (Alt, Right, Down), as
// a user does; milliseconds from the Down to the popup shown and drawn. With
// settle, to its last change on the screen too: icons that came after the
// popup was first drawn.
double OpenFirstMenu(HWND bar, bool settle)
{
    PostMessageA(bar, WM_SYSCOMMAND, SC_KEYMENU, 0);
    PostMessageA(bar, WM_KEYDOWN, VK_RIGHT, 0);
    DWORD_PTR answer;
    SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    PostMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
    HWND popup = nullptr;
    for (int i = 0; i < 30000; ++i) {
        popup = FindWindowA("#32768", nullptr);
        if (popup && IsWindowVisible(popup) && !GetUpdateRect(popup, nullptr, FALSE))
            break;
        popup = nullptr;
        Sleep(0);
    }
    QueryPerformanceCounter(&to);
    // Settled when nothing changed for two seconds (within twenty).
    unsigned long long shown = popup && settle ? Shown(popup) : 0;
    for (DWORD start = GetTickCount(), still = start;
         popup && settle && GetTickCount() - still < 2000 && GetTickCount() - start < 20000;) {
        Sleep(5);
        unsigned long long now = Shown(popup);
        if (now != shown) {
            QueryPerformanceCounter(&to);
            shown = now;
            still = GetTickCount();
        }
    }
    PostMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageTimeoutA(bar, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    for (int i = 0; i < 3000 && FindWindowA("#32768", nullptr) && IsWindowVisible(FindWindowA("#32768", nullptr)); ++i)
        Sleep(1);
    return popup ? Ms(from, to) : -1;
}

// time-popup EXE ARGS CLASS DIR: starts EXE with ARGS in DIR (the bar with
// a file of make-icon-data, or "txbare popup") and prints the milliseconds
// the first popup of its window of CLASS takes to be shown with icons at
// its first and its second opening.
int TimePopup(char** argv)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    char commandLine[2 * MAX_PATH];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", argv[0], argv[1]);
    if (!CreateProcessA(argv[0], commandLine, nullptr, nullptr, FALSE, 0, nullptr, argv[3], &startup, &process))
        return 1;
    HWND bar = nullptr;
    for (int i = 0; i < 30000 && !bar; ++i) {
        bar = FindWindowA(argv[2], nullptr);
        if (!bar || !IsWindowVisible(bar)) {
            bar = nullptr;
            Sleep(1);
        }
    }
    bool ok = bar && WaitForInputIdle(process.hProcess, 30000) == 0;
    double first = ok ? OpenFirstMenu(bar, true) : -1;
    double second = ok ? OpenFirstMenu(bar, false) : -1;
    ok = ok && PostMessageA(bar, WM_CLOSE, 0, 0) && WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    if (!ok)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ok || first < 0 || second < 0)
        return 1;
    printf("first=%.3f\nsecond=%.3f\n", first, second);
    return 0;
}

// rebuilds N: makes the running bar build its menus N times (a display
// change makes it anew) and opens its first popup after each, so that its
// icons are put on the new items; prints the milliseconds per rebuild.
int Rebuilds(char** argv)
{
    long rounds = atol(argv[0]);
    HDC screen = GetDC(nullptr);
    WPARAM bits = (WPARAM)GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    LARGE_INTEGER from, to;
    QueryPerformanceCounter(&from);
    for (long i = 0; i < rounds; ++i) {
        HWND old = FindWindowA("TXClass", nullptr);
        if (!old || !PostMessageA(old, WM_DISPLAYCHANGE, bits, size))
            return 1;
        HWND bar = nullptr;
        for (int t = 0; t < 20000 && !bar; ++t) {
            bar = FindWindowA("TXClass", nullptr);
            if (bar == old || !bar || !IsWindowVisible(bar)) {
                bar = nullptr;
                Sleep(1);
            }
        }
        if (!bar || OpenFirstMenu(bar, false) < 0)
            return 1;
    }
    QueryPerformanceCounter(&to);
    printf("rebuild_ms=%.3f\n", Ms(from, to) / (double)rounds);
    return 0;
}

// counters CLASS: what the process of the window of CLASS holds, counted
// the ways Wine keeps it (its GetGuiResources and GetProcessHandleCount
// give 0): entries of the system handle table, of the process's GDI handle
// table (which its PEB points to), and its private memory.
int Counters(char** argv)
{
    DWORD pid = 0;
    HWND hwnd = FindWindowA(argv[0], nullptr);
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
    if (!process)
        return 1;
    typedef LONG(WINAPI * QuerySystem)(ULONG, void*, ULONG, ULONG*);
    typedef LONG(WINAPI * QueryProcess)(HANDLE, ULONG, void*, ULONG, ULONG*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    auto querySystem = (QuerySystem)(void (*)())GetProcAddress(ntdll, "NtQuerySystemInformation");
    auto queryProcess = (QueryProcess)(void (*)())GetProcAddress(ntdll, "NtQueryInformationProcess");
    struct HandleEntry {
        ULONG pid;
        UCHAR type, flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    long handles = -1;
    for (ULONG size = 1 << 16; handles < 0 && size <= (1u << 26); size *= 2) {
        ULONG* table = (ULONG*)malloc(size);
        LONG status = querySystem(16 /* SystemHandleInformation */, table, size, nullptr);
        if (status == 0) {
            const HandleEntry* entries = (const HandleEntry*)(table + (sizeof(void*) / sizeof(ULONG)));
            handles = 0;
            for (ULONG i = 0; i < table[0]; ++i)
                handles += entries[i].pid == pid;
        }
        free(table);
        if (status != 0 && status != (LONG)0xC0000004)
            break;
    }
    struct GdiEntry {
        ULONGLONG object;
        ULONG owner;
        USHORT unique;
        UCHAR type, flags;
        ULONGLONG user;
    };
    static GdiEntry gdi[0x10000];
    PROCESS_BASIC_INFORMATION basic;
    void* table = nullptr;
    size_t tableAt = sizeof(void*) == 8 ? 0xF8 : 0x94;
    long objects = -1;
    if (queryProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0 &&
        ReadProcessMemory(process, (char*)basic.PebBaseAddress + tableAt, &table, sizeof table, nullptr) && table &&
        ReadProcessMemory(process, table, gdi, sizeof gdi, nullptr)) {
        objects = 0;
        for (const GdiEntry& entry : gdi)
            objects += entry.type != 0;
    }
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    printf("handles=%ld\ngdi=%ld\nmemory=%lu\n", handles, objects, (unsigned long)memory.PagefileUsage);
    return 0;
}

// time-run EXE CLASS DIR: starts EXE in DIR, and prints the milliseconds
// from its start to a visible window of CLASS (polled every millisecond,
// the same for every program), to that window's answer to its first sent
// message (ready), and from a posted WM_CLOSE, once it is idle, to the end
// of its process.
int TimeRun(char** argv)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER started, visible, closing, ended;
    QueryPerformanceCounter(&started);
    if (!CreateProcessA(argv[0], nullptr, nullptr, nullptr, FALSE, 0, nullptr, argv[2], &startup, &process)) {
        fprintf(stderr, "cannot start %s: %lu\n", argv[0], GetLastError());
        return 1;
    }
    HWND hwnd = nullptr;
    for (int i = 0; i < 60000 && !hwnd; ++i) {
        HWND found = FindWindowA(argv[1], nullptr);
        DWORD pid = 0;
        if (found && IsWindowVisible(found) && GetWindowThreadProcessId(found, &pid) && pid == process.dwProcessId)
            hwnd = found;
        else
            Sleep(1);
    }
    QueryPerformanceCounter(&visible);
    DWORD_PTR answer = 0;
    bool done = hwnd && SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &answer);
    LARGE_INTEGER ready;
    QueryPerformanceCounter(&ready);
    done = done && WaitForInputIdle(process.hProcess, 30000) == 0;
    QueryPerformanceCounter(&closing);
    done = done && PostMessageA(hwnd, WM_CLOSE, 0, 0) && WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    QueryPerformanceCounter(&ended);
    if (!done)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!done) {
        fprintf(stderr, "%s showed no window or did not end\n", argv[0]);
        return 1;
    }
    printf("start=%.3f\nready=%.3f\nexit=%.3f\n", Ms(started, visible), Ms(started, ready), Ms(closing, ended));
    return 0;
}

// floors FILE: the least that the menus of FILE could add to the bar's start
// and exit, in milliseconds: one read of the whole file; a plain loop that
// builds the same popups; putting them on a bar-shaped window already shown;
// one write and flush of the whole image; the replace of a file of the same
// size; destroying the menus.
int Floors(char** argv)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TVBenchFloor";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "floor", WS_POPUP | WS_DLGFRAME, 0,
                                0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYCAPTION) + 5, nullptr,
                                CreateMenu(), wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_RESTORE);
    UpdateWindow(hwnd);
    char temp[MAX_PATH], target[MAX_PATH];
    snprintf(temp, sizeof temp, "%s.floor.tmp", argv[0]);
    snprintf(target, sizeof target, "%s.floor", argv[0]);
    LARGE_INTEGER t[7];

    QueryPerformanceCounter(&t[0]);
    HANDLE file = CreateFileA(argv[0], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD size = file == INVALID_HANDLE_VALUE ? 0 : GetFileSize(file, nullptr);
    unsigned char* image = (unsigned char*)HeapAlloc(GetProcessHeap(), 0, size + 1);
    DWORD got = 0;
    bool ok = hwnd && image && ReadFile(file, image, size, &got, nullptr) && got == size;
    CloseHandle(file);
    QueryPerformanceCounter(&t[1]);
    if (!ok)
        return 1;

    HMENU bar = CreateMenu();
    size_t at = 4;
    for (int k = 1; size - at >= MENU_RECORD; ++k) {
        const unsigned char* menu = image + at;
        at += MENU_RECORD;
        LONG count;
        memcpy(&count, menu + MENU_COUNT_AT, 4);
        HMENU popup = CreateMenu();
        for (LONG j = 1; j <= count && size - at >= APP_RECORD; ++j, at += APP_RECORD) {
            char name[APP_NAME];
            memcpy(name, image + at + APP_NAME_AT, APP_NAME);
            name[APP_NAME - 1] = '\0';
            AppendMenuA(popup, MF_STRING, 100 * k + j, name);
        }
        char name[MENU_NAME];
        memcpy(name, menu, MENU_NAME);
        name[MENU_NAME - 1] = '\0';
        AppendMenuA(bar, MF_POPUP, (UINT_PTR)popup, name);
    }
    QueryPerformanceCounter(&t[2]);
    HMENU empty = GetMenu(hwnd);
    SetMenu(hwnd, bar);
    UpdateWindow(hwnd);
    QueryPerformanceCounter(&t[3]);

    // The replace, as the bar's, is over a file of the same size.
    CopyFileA(argv[0], target, FALSE);
    file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ok = file != INVALID_HANDLE_VALUE && WriteFile(file, image, size, &written, nullptr) && written == size &&
        FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    QueryPerformanceCounter(&t[4]);
    ok = ok && MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    QueryPerformanceCounter(&t[5]);
    SetMenu(hwnd, empty);
    DestroyMenu(bar);
    QueryPerformanceCounter(&t[6]);
    DestroyWindow(hwnd);
    DeleteFileA(target);
    HeapFree(GetProcessHeap(), 0, image);
    if (!ok)
        return 1;
    const char* names[] = {"read", "build", "draw", "write", "rename", "destroy"};
    for (int i = 0; i < 6; ++i)
        printf("%s=%.3f\n", names[i], Ms(t[i], t[i + 1]));
    return 0;
}

// post CLASS MESSAGE WPARAM LPARAM: posts to the first window of CLASS, as
// scripts/screenshots works the bar.
int Post(char** argv)
{
    HWND hwnd = FindWindowA(argv[0], nullptr);
    return hwnd &&
            PostMessageA(hwnd, (UINT)strtoul(argv[1], nullptr, 0), (WPARAM)strtoul(argv[2], nullptr, 0),
                         (LPARAM)strtol(argv[3], nullptr, 0))
        ? 0
        : 1;
}

struct Subcommand {
    const char* name;
    int args;
    const char* usage;
    int (*run)(char** argv);
};

const Subcommand SUBCOMMANDS[] = {
    {"make-data", 3, "FILE MENUS APPS", MakeData},
    {"time-run", 3, "EXE CLASS DIR", TimeRun},
    {"floors", 1, "FILE", Floors},
    {"post", 4, "CLASS MESSAGE WPARAM LPARAM", Post},
    {"make-icon-data", 1, "FILE", MakeIconData},
    {"time-popup", 4, "EXE ARGS CLASS DIR", TimePopup},
    {"rebuilds", 1, "N", Rebuilds},
    {"counters", 1, "CLASS", Counters},
};

}  // namespace

int main(int argc, char** argv)
{
    // Plain \n line ends, so that scripts see no \r.
    _setmode(_fileno(stdout), _O_BINARY);
    for (const Subcommand& sub : SUBCOMMANDS) {
        if (argc == sub.args + 2 && strcmp(argv[1], sub.name) == 0) {
            int result = sub.run(argv + 2);
            fflush(stdout);
            return result;
        }
    }
    fputs("usage: tvbench SUBCOMMAND ARGS\n", stderr);
    for (const Subcommand& sub : SUBCOMMANDS)
        fprintf(stderr, "  %s %s\n", sub.name, sub.usage);
    return 2;
}
