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
// Forgets every failure, box, answer, capture and the set time.
void Reset();

// Makes calls `nth` to `nth + times - 1` of `call` (counted from now, by
// its import name: "CreateFileW") fail with `error` as the last error.
// The call must be one the seam knows; an unknown name fails the test.
void Fail(const char* call, int nth = 1, DWORD error = ERROR_ACCESS_DENIED, int times = 1);
// The calls of `call` made since the last Reset.
int Calls(const char* call);

struct Box {
    HWND owner;
    std::string text, caption;
    UINT type;
    // A quit message was waiting: a real box would have ended at once.
    bool quitPending;
};
std::vector<Box>& Boxes();
std::vector<std::string> BoxTexts();
// Answers for the next boxes, in order; once used up, a box gets IDOK or,
// with MB_YESNO, IDYES.
void AnswerBoxes(std::vector<int> answers);
// Runs while a box is "up": what the box's message loop would dispatch.
void OnBox(std::function<void(const Box&)> action);

// GetLocalTime gives this time from now on.
void SetLocalTime(WORD hour, WORD minute, WORD second = 0);

struct Launch {
    HWND owner;
    std::string verb, file, params, dir;
    int show;
};
std::vector<Launch>& Launches();
// What ShellExecuteA returns from now on (42, success, until set), and the
// last error it leaves when `error` is not 0.
void SetShellResult(UINT_PTR result, DWORD error = 0);

struct Sound {
    std::string path;
    DWORD flags;
};
std::vector<Sound>& Sounds();
// What PlaySoundA returns from now on (TRUE until set).
void SetPlayResult(BOOL result);

// Answers the Open dialog; without it, the dialog is cancelled.
void OnOpenDialog(std::function<BOOL(OPENFILENAMEW*)> answer);
int OpenDialogs();

// The desktop toolbar requests, in order; they reach the real shell unless
// an answer is set.
struct AppBarCall {
    DWORD message;
    APPBARDATA data;
};
std::vector<AppBarCall>& AppBarCalls();
void OnAppBar(std::function<UINT_PTR(DWORD, APPBARDATA*)> answer);

// IsWow64Process, as the program looks it up: answers `wow64` when set.
void SetWow64(bool wow64);
// What the shell was asked of SHGetFileInfoA, from any thread (read them
// once that thread is done); it answers after `ms` for a path containing
// `pathPart`, as for a sleeping drive.
struct FileInfoCall {
    std::string path;
    UINT flags;
};
std::vector<FileInfoCall>& FileInfoCalls();
void SlowShell(const std::string& pathPart, DWORD ms);
// COM starts and ends asked for through the lazily loaded ole32, and the
// flags of the last start.
int ComStarts();
int ComEnds();
DWORD ComFlags();

// WriteFile call `nth` from now writes half of what it is given and succeeds,
// as on a full disk.
void ShortWrite(int nth = 1);
// GetWindowsDirectoryA gives `dir` from now on, as the real one would.
void SetWindowsDirectory(const char* dir);
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
