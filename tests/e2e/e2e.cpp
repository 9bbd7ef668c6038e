#include "tests/e2e/e2e.h"

#include "resources/resource.h"
#include "tests/winstate.h"

std::string TestProgramDir()
{
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof path);
    std::string dir(path, len);
    return dir.substr(0, dir.rfind('\\') + 1);
}

const std::string& BuildDir()
{
    static std::string dir;
    if (dir.empty()) {
        char full[MAX_PATH];
        GetFullPathNameA((TestProgramDir() + "..\\..\\").c_str(), sizeof full, full, NULL);
        dir = full;
    }
    return dir;
}

HANDLE StartProcess(const std::string& exe, const std::string& args, const std::string& dir)
{
    std::wstring command = Wide("\"" + exe + "\"" + (args.empty() ? "" : " " + args));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessW(Wide(exe).c_str(), &command[0], NULL, NULL, FALSE, 0, NULL,
                        dir.empty() ? NULL : Wide(dir).c_str(), &startup, &started))
        return NULL;
    CloseHandle(started.hThread);
    return started.hProcess;
}

DWORD WaitExit(HANDLE process, DWORD ms)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0)
        GetExitCodeProcess(process, &code);
    return code;
}

HWND FindBar()
{
    HWND bar = FindWindowA("TXClass", "Tolvex");
    return bar && IsWindowVisible(bar) ? bar : NULL;
}

HWND FindBox(const char* caption)
{
    HWND box = FindWindowA("#32770", caption);
    return box && IsWindowVisible(box) ? box : NULL;
}

std::string BoxText(HWND box)
{
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // a message box's text
    return text;
}

std::string ShownBox()
{
    for (const char* caption : {"Fatal Tolvex Error", "Tolvex"}) {
        if (HWND box = FindBox(caption))
            return std::string(caption) + ": " + BoxText(box);
    }
    return "";
}

bool Close(HWND dialog, int button)
{
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
    return WaitUntil(STEP_MS, [&] { return !IsWindow(dialog); });
}

HWND OpenDialog(HWND bar, int command, const char* caption)
{
    HWND dialog = NULL;
    PostMessageA(bar, WM_COMMAND, command, 0);
    WaitUntil(STEP_MS, [&] { return (dialog = FindBox(caption)) != NULL; });
    return dialog;
}

Bytes WriteSettings(int32_t stayOnTop)
{
    Bytes record = SettingsRecord(stayOnTop, 0, -1, "");
    EXPECT_TRUE(StoreSettings(record));
    return record;
}

void E2eTest::SetUp()
{
    ASSERT_EQ(NULL, FindWindowA("TXClass", NULL)) << "a bar runs before the test";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    folder_ =
        std::string(temp) + "tolvex-e2e-" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    DeleteTree(folder_);
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), NULL));
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
}

void E2eTest::TearDown()
{
    for (HANDLE process : processes_) {
        if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, STEP_MS);
        }
        CloseHandle(process);
    }
    processes_.clear();
}

HANDLE E2eTest::Start(const std::string& exe, const std::string& args, const std::string& dir)
{
    HANDLE process = StartProcess(exe, args, dir.empty() ? folder_ : dir);
    EXPECT_TRUE(process) << "cannot start " << exe << ": error " << GetLastError();
    if (process)
        processes_.push_back(process);
    return process;
}

HANDLE E2eTest::ProcessOf(HWND window)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
    EXPECT_TRUE(process) << "cannot open the process of window " << window;
    if (process)
        processes_.push_back(process);
    return process;
}

HWND E2eTest::WaitBar(HANDLE process)
{
    HWND bar = NULL;
    std::string box;
    bool ended = false;
    WaitUntil(STEP_MS, [&] {
        bar = FindBar();
        box = ShownBox();
        ended = process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        return bar || !box.empty() || ended;
    });
    EXPECT_EQ("", box) << "a box instead of the bar";
    EXPECT_FALSE(ended) << "tolvex.exe ended before its bar showed";
    EXPECT_TRUE(bar) << "no bar window";
    return bar;
}

void E2eTest::ExitBar(HWND bar, HANDLE process)
{
    EXPECT_EQ("", ShownBox());
    PostMessageA(bar, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(0u, WaitExit(process)) << ShownBox();
}
