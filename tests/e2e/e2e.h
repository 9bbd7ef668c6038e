// The real tolvex.exe driven from another process, as a user or an installer
// would: found by its window, commanded by posted messages, its boxes read
// and answered, its data file and settings read where it keeps them.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/winstate.h"

enum { STEP_MS = 20000 };

// The build's folder (with a trailing backslash), with tolvex.exe and
// tolvexhk.dll; this program and tvplanted.dll are in tests\e2e\ below it.
const std::string& BuildDir();
std::string TestProgramDir();

// Waits until `done` holds, polling; false when `ms` pass first.
template <typename Done>
bool WaitUntil(DWORD ms, Done done)
{
    for (DWORD start = GetTickCount();; Sleep(10)) {
        if (done())
            return true;
        if (GetTickCount() - start >= ms)
            return false;
    }
}

// A process started with `dir` as its current directory, or null.
HANDLE StartProcess(const std::string& exe, const std::string& args, const std::string& dir);
// Its exit code once it has ended within `ms`, else STILL_ACTIVE.
DWORD WaitExit(HANDLE process, DWORD ms = STEP_MS);

// The visible bar window, or null.
HWND FindBar();
// The visible dialog or message box of that caption, or null.
HWND FindBox(const char* caption);
std::string BoxText(HWND box);
// The caption and text of a box of the bar's ("Tolvex" or "Fatal Tolvex
// Error") that shows now, or "" when none does.
std::string ShownBox();
// Presses a button of a dialog or box as a click would; true once it has closed.
bool Close(HWND dialog, int button);
// Posts a command to the bar and waits for the dialog it opens.
HWND OpenDialog(HWND bar, int command, const char* caption);

// The settings, written with no chime, and returned.
Bytes WriteSettings(int32_t stayOnTop);

// Every test: a fresh folder of its own, no settings key, no bar running;
// whatever it started is ended after it.
class E2eTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::string& Folder() const
    {
        return folder_;
    }
    // A process started in the test's folder (or `dir`), ended after the test.
    HANDLE Start(const std::string& exe, const std::string& args = "", const std::string& dir = "");
    HANDLE StartBar(const std::string& exe = BuildDir() + "tolvex.exe")
    {
        return Start(exe);
    }
    // Waits for the bar's window; fails the test on a box or an early end.
    HWND WaitBar(HANDLE process);
    // Exit from the bar's menu: the process ends with 0 and no box showed.
    void ExitBar(HWND bar, HANDLE process);
    // The process of a bar started by someone else, kept to be ended after the test.
    HANDLE ProcessOf(HWND window);

private:
    std::string folder_;
    std::vector<HANDLE> processes_;
};
