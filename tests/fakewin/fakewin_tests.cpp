// Tests of the Win32 double where its behaviour is easy to get wrong: the
// program's tests are only as good as these semantics.
#include "fakewin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

class FakeWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        fw::Reset();
    }
    void TearDown() override
    {
        fw::Reset();
    }
};

// ---- registry -----------------------------------------------------------------

TEST_F(FakeWin, RegQueryValueReportsSizesAsWindowsDoes)
{
    fw::RegSetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "Vars", REG_BINARY, {1, 2, 3, 4});
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\tolvex", 0, KEY_READ, &key));

    BYTE buf[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    DWORD type = 0, size = 2;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(key, "Vars", nullptr, &type, buf, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(9, buf[0]);  // untouched

    size = 77;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExA(key, "Missing", nullptr, &type, buf, &size));
    EXPECT_EQ(77u, size);

    size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "vars", nullptr, &type, nullptr, &size));
    EXPECT_EQ(4u, size);

    size = sizeof buf;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(key, "Vars", nullptr, &type, buf, &size));
    EXPECT_EQ(4u, size);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    EXPECT_EQ(4, buf[3]);
    EXPECT_EQ(9, buf[4]);

    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(0, fw::OpenRegKeyCount());
}

TEST_F(FakeWin, RegCreateKeyReportsDispositionAndRefusals)
{
    HKEY key;
    DWORD disposition = 0;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tolvex", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    EXPECT_TRUE(fw::RegKeyExists(HKEY_CURRENT_USER, "Software"));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "software\\TOLVEX", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    RegCloseKey(key);

    fw::RegDenyAccess(HKEY_LOCAL_MACHINE, "Software\\Locked");
    EXPECT_EQ(ERROR_ACCESS_DENIED,
              RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Locked", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition));
    EXPECT_FALSE(fw::RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Locked"));
    EXPECT_EQ(0, fw::OpenRegKeyCount());
}

// ---- system -------------------------------------------------------------------

TEST_F(FakeWin, GetWindowsDirectoryCountsTheTerminatorOnlyWhenTooSmall)
{
    fw::SetWindowsDirectory("C:\\WIN");  // 6 characters
    char buf[16];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(7u, GetWindowsDirectoryA(buf, 6));
    EXPECT_EQ('x', buf[0]);
    EXPECT_EQ(6u, GetWindowsDirectoryA(buf, 7));
    EXPECT_STREQ("C:\\WIN", buf);
    fw::FailCalls("GetWindowsDirectoryA");
    EXPECT_EQ(0u, GetWindowsDirectoryA(buf, sizeof buf));
}

TEST_F(FakeWin, GetModuleFileNameTruncatesWithoutTerminator)
{
    fw::SetModuleFileName("C:\\T\\A.EXE");  // 10 characters
    char buf[16];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(10u, GetModuleFileNameA(nullptr, buf, sizeof buf));
    EXPECT_STREQ("C:\\T\\A.EXE", buf);
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(10u, GetModuleFileNameA(nullptr, buf, 10));
    EXPECT_EQ('E', buf[9]);
    EXPECT_EQ('x', buf[10]);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
}

TEST_F(FakeWin, FailCallsSkipsThenFailsTheGivenNumberOfTimes)
{
    HANDLE heap = GetProcessHeap();
    fw::FailCalls("HeapAlloc", 1, 2);
    void* a = HeapAlloc(heap, 0, 4);
    EXPECT_NE(nullptr, a);
    EXPECT_EQ(nullptr, HeapAlloc(heap, 0, 4));
    EXPECT_EQ(nullptr, HeapAlloc(heap, 0, 4));
    void* b = HeapAlloc(heap, HEAP_ZERO_MEMORY, 4);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0, static_cast<char*>(b)[3]);
    EXPECT_EQ(4, fw::CallCount("HeapAlloc"));
    EXPECT_EQ(2, fw::LiveHeapBlocks());
    HeapFree(heap, 0, a);
    HeapFree(heap, 0, b);
    EXPECT_EQ(0, fw::LiveHeapBlocks());
}

TEST_F(FakeWin, GlobalHookWithoutModuleIsRefused)
{
    HOOKPROC proc = [](int, WPARAM, LPARAM) -> LRESULT { return 0; };
    EXPECT_EQ(nullptr, SetWindowsHookExA(WH_CALLWNDPROC, proc, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_HOOK_NEEDS_HMOD), GetLastError());
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, fw::ExeInstance(), 0);
    ASSERT_NE(nullptr, hook);
    EXPECT_TRUE(UnhookWindowsHookEx(hook));
    EXPECT_FALSE(UnhookWindowsHookEx(hook));
}

std::vector<std::string>* g_hookTrace;

LRESULT CALLBACK OlderHook(int code, WPARAM wParam, LPARAM lParam)
{
    g_hookTrace->push_back("older");
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK NewerHook(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    g_hookTrace->push_back("newer " + std::to_string(cwp->message));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(FakeWin, CallWndProcHooksSeeSentMessagesNewestFirst)
{
    std::vector<std::string> trace;
    g_hookTrace = &trace;
    HWND other = fw::CreateTestWindow("Other", "");
    SetWindowsHookExA(WH_CALLWNDPROC, OlderHook, fw::ExeInstance(), 0);
    SetWindowsHookExA(WH_CALLWNDPROC, NewerHook, fw::ExeInstance(), 0);
    SendMessageA(other, WM_SIZE, SIZE_MAXIMIZED, 0);
    EXPECT_EQ((std::vector<std::string>{"newer 5", "older"}), trace);

    // Posted messages pass the hooks by.
    PostMessageA(other, WM_SIZE, SIZE_MAXIMIZED, 0);
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    DispatchMessageA(&msg);
    EXPECT_EQ(2u, trace.size());
}

// ---- menus --------------------------------------------------------------------

TEST_F(FakeWin, DeletingAPopupItemDestroysThePopup)
{
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    HMENU inner = CreatePopupMenu();
    AppendMenuA(inner, MF_STRING, 7, "Seven");
    AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "Inner");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Apps");
    AppendMenuA(bar, MF_STRING, 40006, "Exit");

    ASSERT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION));
    EXPECT_FALSE(IsMenu(popup));
    EXPECT_FALSE(IsMenu(inner));
    EXPECT_EQ(1, GetMenuItemCount(bar));
    EXPECT_EQ(40006u, GetMenuItemID(bar, 0));

    // RemoveMenu leaves it alive.
    HMENU kept = CreatePopupMenu();
    InsertMenuA(bar, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(kept), "Kept");
    ASSERT_TRUE(RemoveMenu(bar, 0, MF_BYPOSITION));
    EXPECT_TRUE(IsMenu(kept));
    DestroyMenu(kept);
    DestroyMenu(bar);
    EXPECT_EQ(0, fw::LiveMenuCount());
}

TEST_F(FakeWin, ByCommandReachesIntoPopupsAndPositionPastEndAppends)
{
    HMENU bar = CreateMenu();
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 11, "Eleven");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "Apps");
    AppendMenuA(bar, MF_STRING, 40008, "10:30");

    ASSERT_TRUE(ModifyMenuA(bar, 11, MF_BYCOMMAND | MF_GRAYED, 11, "Eleven!"));
    char text[8];
    EXPECT_EQ(6, GetMenuStringA(bar, 11, text, sizeof text - 1, MF_BYCOMMAND));
    EXPECT_STREQ("Eleven", text);  // truncated to fit with its terminator
    EXPECT_EQ(static_cast<UINT>(MF_GRAYED), GetMenuState(popup, 0, MF_BYPOSITION));
    EXPECT_EQ((1u << 8) | MF_POPUP, GetMenuState(bar, 0, MF_BYPOSITION));

    EXPECT_FALSE(ModifyMenuA(bar, 99, MF_BYCOMMAND, 99, "x"));
    EXPECT_FALSE(InsertMenuA(bar, 99, MF_BYCOMMAND, 5, "x"));
    ASSERT_TRUE(InsertMenuA(bar, 50, MF_BYPOSITION, 5, "Last"));
    EXPECT_EQ(5u, GetMenuItemID(bar, 2));
    ASSERT_TRUE(InsertMenuA(bar, 40008, MF_BYCOMMAND | MF_SEPARATOR, 0, nullptr));
    EXPECT_EQ(static_cast<UINT>(MF_SEPARATOR), fw::MenuItems(bar)[1].flags);

    ASSERT_TRUE(DeleteMenu(bar, 11, MF_BYCOMMAND));
    EXPECT_EQ(0, GetMenuItemCount(popup));
    DestroyMenu(bar);
}

// ---- windows and messages ----------------------------------------------------------

TEST_F(FakeWin, GetParentGivesTheOwnerOfPopupsOnly)
{
    HWND top = fw::CreateTestWindow("Main", "Main");
    HWND popup = fw::CreateTestWindow("Pop", "", nullptr, top, WS_POPUP);
    HWND overlapped = fw::CreateTestWindow("Over", "", nullptr, top, WS_OVERLAPPEDWINDOW);
    HWND child = fw::CreateTestWindow("Child", "", top, nullptr, WS_CHILD);
    EXPECT_EQ(top, GetParent(popup));
    EXPECT_EQ(nullptr, GetParent(overlapped));
    EXPECT_EQ(top, GetParent(child));
    EXPECT_EQ(nullptr, GetParent(top));
    EXPECT_EQ(top, FindWindowA("main", nullptr));
    EXPECT_EQ(nullptr, FindWindowA("Child", nullptr));
}

std::vector<UINT>* g_seen;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    g_seen->push_back(msg);
    if (msg == WM_DESTROY)
        PostQuitMessage(3);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

TEST_F(FakeWin, ClosingAWindowTakesItsOwnedWindowsMenuAndTimersAlong)
{
    std::vector<UINT> seen;
    g_seen = &seen;
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "Rec";
    wc.lpszMenuName = MAKEINTRESOURCEA(105);
    ASSERT_NE(0, RegisterClassA(&wc));
    EXPECT_EQ(0, RegisterClassA(&wc));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
    fw::SetMenuResource(105, [] {
        HMENU m = CreateMenu();
        AppendMenuA(m, MF_STRING, 40006, "Exit");
        return m;
    });

    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, "Rec", "T", WS_POPUP | WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(nullptr, hwnd);
    HMENU menu = GetMenu(hwnd);
    EXPECT_TRUE(IsMenu(menu));
    EXPECT_EQ((std::vector<UINT>{WM_CREATE, WM_SHOWWINDOW}), seen);
    HWND owned = fw::CreateTestWindow("Other", "", nullptr, hwnd, WS_POPUP);
    SetTimer(hwnd, 1, 1000, nullptr);
    PostMessageA(hwnd, WM_USER, 0, 0);

    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsWindow(owned));
    EXPECT_FALSE(IsMenu(menu));
    EXPECT_TRUE(fw::Timers().empty());
    EXPECT_EQ(WM_DESTROY, seen.back());

    // The message posted to the dead window is gone; the quit request remains.
    MSG msg;
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(3u, msg.wParam);
    EXPECT_THROW(GetMessageA(&msg, nullptr, 0, 0), std::logic_error);
}

TEST_F(FakeWin, QuitComesAfterMessagesAlreadyPosted)
{
    HWND hwnd = fw::CreateTestWindow("W", "");
    PostQuitMessage(0);
    PostMessageA(hwnd, WM_USER, 0, 0);
    fw::OnIdle([] { FAIL() << "idle before the queue was empty"; });
    MSG msg;
    EXPECT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_USER), msg.message);
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
}

INT_PTR CALLBACK InitProc(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG && lParam == 1)
        EndDialog(dialog, 5);  // ends before it is ever shown
    return FALSE;
}

TEST_F(FakeWin, DialogDisablesItsOwnerWhileOpen)
{
    HWND owner = fw::CreateTestWindow("Owner", "");
    bool ownerEnabledInside = true;
    fw::SetDialogDriver(101, [&](HWND dialog) {
        ownerEnabledInside = IsWindowEnabled(owner) != FALSE;
        EXPECT_EQ(owner, fw::GetWindowInfo(dialog).owner);
        EndDialog(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), owner, InitProc, 0));
    EXPECT_FALSE(ownerEnabledInside);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // Ended from WM_INITDIALOG: the driver never runs.
    EXPECT_EQ(5, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), owner, InitProc, 1));

    fw::SetDialogDriver(102, [](HWND) {});
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(102), owner, InitProc, 0));
    EXPECT_EQ(-1, DialogBoxParamA(nullptr, MAKEINTRESOURCEA(103), owner, InitProc, 0));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(1u, fw::TopLevelWindows().size());
}

// ---- files ----------------------------------------------------------------------------

class FakeWinFiles : public FakeWin {
protected:
    void SetUp() override
    {
        FakeWin::SetUp();
        char tmpl[] = "/tmp/fakewin-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(tmpl));
        dir_ = tmpl;
        ASSERT_EQ(0, chdir(dir_.c_str()));
    }
    void TearDown() override
    {
        FakeWin::TearDown();
        ASSERT_EQ(0, chdir("/"));
        std::string cmd = "rm -rf " + dir_;
        ASSERT_EQ(0, std::system(cmd.c_str()));
    }
    std::string dir_;
};

TEST_F(FakeWinFiles, ReadWriteAndReplaceBehaveAsOnWindows)
{
    EXPECT_EQ(INVALID_HANDLE_VALUE,
              CreateFileA("missing.tx", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    HANDLE h = CreateFileA("new.tx", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD done = 99;
    fw::ShortWrites(2);
    EXPECT_TRUE(WriteFile(h, "abcd", 4, &done, nullptr));
    EXPECT_EQ(2u, done);
    fw::FailCalls("WriteFile");
    EXPECT_FALSE(WriteFile(h, "cd", 2, &done, nullptr));
    EXPECT_EQ(0u, done);
    EXPECT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));

    h = CreateFileA("sub\\..\\new.tx", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, h);  // no such folder
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), GetLastError());
    h = CreateFileA("new.tx", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(2u, GetFileSize(h, nullptr));
    char buf[8] = {};
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &done, nullptr));
    EXPECT_EQ(2u, done);
    EXPECT_TRUE(ReadFile(h, buf, sizeof buf, &done, nullptr));  // end of file
    EXPECT_EQ(0u, done);
    CloseHandle(h);
    EXPECT_EQ(0, fw::OpenFileCount());

    h = CreateFileA("old.tx", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(h);
    EXPECT_FALSE(MoveFileExA("new.tx", "old.tx", 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError());
    EXPECT_TRUE(MoveFileExA("new.tx", "old.tx", MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_FALSE(DeleteFileA("new.tx"));
    EXPECT_TRUE(DeleteFileA("old.tx"));
}

}  // namespace
