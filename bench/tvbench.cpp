// tvbench: the measuring half of scripts/bench, run under Wine. Each
// subcommand prints key=value lines; the exit code is 0 done, 1 failed,
// 2 bad usage. Times are in milliseconds.
//
// The data file layout is written out here, as in the end-to-end driver,
// rather than taken from the program's headers.
#include <windows.h>

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
        unsigned char menu[MENU_RECORD] = {};
        char text[32];
        snprintf(text, sizeof text, "Menu %ld", (long)k);
        PutText(menu, MENU_NAME, text);
        memcpy(menu + MENU_COUNT_AT, &apps, 4);
        ok = fwrite(menu, sizeof menu, 1, file) == 1;
        for (LONG j = 1; j <= apps && ok; ++j) {
            unsigned char app[APP_RECORD] = {};
            snprintf(text, sizeof text, "Application %ld.%ld", (long)k, (long)j);
            PutText(app + APP_NAME_AT, APP_NAME, text);
            PutText(app, APP_PATH, "C:\\windows\\notepad.exe");
            ok = fwrite(app, sizeof app, 1, file) == 1;
        }
    }
    return fclose(file) == 0 && ok ? 0 : 1;
}

// time-run EXE CLASS DIR: starts EXE in DIR, and prints the milliseconds
// from its start to a visible window of CLASS (polled every millisecond,
// the same for every program) and from a posted WM_CLOSE, once it is idle,
// to the end of its process.
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
    bool done = hwnd && WaitForInputIdle(process.hProcess, 30000) == 0;
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
    printf("start=%.3f\nexit=%.3f\n", Ms(started, visible), Ms(closing, ended));
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
