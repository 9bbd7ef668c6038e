// The test seam: the test program patches its own import table, and answers
// GetProcAddress for what the program loads lazily, so that a test can make
// a call fail, answer message boxes without showing them, set the clock,
// and capture the shell, sound, Open dialog and desktop toolbar requests.
// Everything else reaches the real system.
#pragma once
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace seam {

// Patches the import table once; later calls do nothing.
void Install();
// Forgets every failure and count, the state and the set time.
void Reset();

// Makes calls `nth` to `nth + times - 1` of `call` (counted from now, by
// its import name: "CreateFileW") fail with `error` as the last error.
// The call must be one the seam knows; an unknown name fails the test.
void Fail(const char* call, int nth = 1, DWORD error = ERROR_ACCESS_DENIED, int times = 1);
// The calls of `call` made since the last Reset: of a failable one, or of
// CoInitializeEx, CoUninitialize or GetOpenFileNameW.
int Calls(const char* call);

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
    // A quit message was waiting: a real box would have ended at once.
    bool quitPending;
};
struct Launch {
    HWND owner;
    std::string verb, file, params, dir;
    int show;
};
struct Sound {
    std::string path;
    DWORD flags;
};
struct AppBarCall {
    DWORD message;
    APPBARDATA data;
};
struct FileInfoCall {
    std::string path;
    UINT flags;
};

// What the replaced calls were asked, and how they answer, until the next
// Reset. The bar's icon threads add to fileInfoCalls: read it once they are
// done.
struct State {
    // Message boxes, none of them shown. A box takes the next of `answers`;
    // once they are used up, IDOK or, with MB_YESNO, IDYES. While it is "up",
    // onBox runs: what the box's message loop would dispatch.
    std::vector<Box> boxes;
    std::vector<int> answers;
    std::function<void(const Box&)> onBox;
    // ShellExecuteA returns shellResult, and leaves shellError as the last
    // error when that is not 0.
    std::vector<Launch> launches;
    UINT_PTR shellResult = 42;
    DWORD shellError = 0;
    std::vector<Sound> sounds;
    BOOL playResult = TRUE;
    // Answers the Open dialog; without it, the dialog is cancelled.
    std::function<BOOL(OPENFILENAMEW*)> openDialog;
    // The desktop toolbar requests reach the real shell unless appBar
    // answers them.
    std::vector<AppBarCall> appBarCalls;
    std::function<UINT_PTR(DWORD, APPBARDATA*)> appBar;
    // IsWow64Process, as the program looks it up, answers this when not -1.
    int wow64 = -1;
    DWORD comFlags = 0;  // of the last CoInitializeEx
    // SHGetFileInfoA answers after slowMs for a path containing slowPath,
    // as for a sleeping drive.
    std::vector<FileInfoCall> fileInfoCalls;
    std::string slowPath;
    DWORD slowMs = 0;
    // GetWindowsDirectoryA gives this when it is not empty.
    std::string windowsDir;
};
extern State state;

std::vector<std::string> BoxTexts();
// GetLocalTime gives this time from now on.
void SetLocalTime(WORD hour, WORD minute, WORD second = 0);
// WriteFile call `nth` from now writes half of what it is given and succeeds,
// as on a full disk.
void ShortWrite(int nth = 1);
// The menus made with CreateMenu since the last Reset that still exist.
int LiveMenus();

// The handles a failable call that makes them (CreateMenu, CreatePopupMenu,
// CreateWindowExA...) returned since the last Reset.
std::vector<void*> Made(const char* call);
// Blocks the program took with HeapAlloc since the last Reset and has not
// given back.
int LiveHeapBlocks();

// Runs `run` on a thread of its own. An ExitProcess there ends only that
// thread (its windows go with it); the result is the exit code, or -1 when
// `run` returned.
int RunToExit(const std::function<void()>& run);

}  // namespace seam
