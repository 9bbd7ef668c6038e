// The end-to-end tests, or with --show-bar FILE.bmp the headless run of
// scripts/run: tolvex.exe started in the current directory, its first-run
// greeting answered, the screen saved once the bar shows, and the bar ended
// through Exit. Any other box of the bar, or a bar that has not shown and
// ended within a minute, fails that run.
#include <stdio.h>
#include <string.h>

#include "resources/resource.h"
#include "tests/e2e/e2e.h"

namespace {

const DWORD RUN_LIMIT_MS = 60000;

// Answers the first-run greeting; false, having told why, at any other box.
bool OnlyGreeting()
{
    std::string box = ShownBox();
    if (box.empty())
        return true;
    if (box.rfind("Tolvex: Thanks for trying Tolvex!", 0) == 0 && Close(FindBox("Tolvex"), IDOK)) {
        puts("answered the first-run greeting");
        return true;
    }
    fprintf(stderr, "the bar shows a box: %s\n", box.c_str());
    return false;
}

bool SaveScreen(const char* path)
{
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(NULL), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, cx, cy, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, cx, cy, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    DWORD size = static_cast<DWORD>((cx * 3 + 3) & ~3) * static_cast<DWORD>(cy);
    Bytes pixels(size);
    bool ok =
        GetDIBits(memory, bitmap, 0, cy, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == cy;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(NULL, screen);
    const DWORD headers = sizeof(BITMAPFILEHEADER) + sizeof info;
    BITMAPFILEHEADER head = {0x4D42, headers + size, 0, 0, headers};
    Bytes file(reinterpret_cast<uint8_t*>(&head), reinterpret_cast<uint8_t*>(&head) + sizeof head);
    file.insert(file.end(), reinterpret_cast<uint8_t*>(&info), reinterpret_cast<uint8_t*>(&info) + sizeof info);
    file.insert(file.end(), pixels.begin(), pixels.end());
    return ok && WriteFileBytes(path, file);
}

int ShowBar(const char* shot)
{
    HANDLE bar = StartProcess(BuildDir() + "tolvex.exe", "", "");
    if (!bar) {
        fprintf(stderr, "cannot start tolvex.exe: error %lu\n", GetLastError());
        return 1;
    }
    const char* failed = NULL;
    bool exiting = false;
    for (DWORD start = GetTickCount(); !failed && WaitForSingleObject(bar, 50) == WAIT_TIMEOUT;) {
        if (!OnlyGreeting()) {
            failed = "a box";
        } else if (GetTickCount() - start > RUN_LIMIT_MS) {
            failed = exiting ? "the bar did not end within 60 s" : "no bar window showed within 60 s";
        } else if (!exiting && FindBar()) {
            Sleep(1000);  // the menu bar paints
            if (!SaveScreen(shot))
                failed = "cannot save the screen";
            exiting = PostMessageA(FindBar(), WM_COMMAND, IDM_EXIT, 0);
        }
    }
    if (!failed && !exiting)
        failed = "tolvex.exe ended before its bar showed";
    if (failed) {
        fprintf(stderr, "show-bar: %s\n", failed);
        TerminateProcess(bar, 1);
        return 1;
    }
    DWORD code = WaitExit(bar);
    printf("the bar ended through Exit with exit code %lu\n", code);
    return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[1], "--show-bar") == 0)
        return ShowBar(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
