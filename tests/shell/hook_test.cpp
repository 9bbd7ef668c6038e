// The hook procedure of tolvexhk.dll, called as the system would call it.
#include "tests/shell/bar.h"

namespace {

class HookProcTest : public BarTest {
protected:
    void SetUp() override
    {
        BarTest::SetUp();
        dll_ = LoadLibraryA("tolvexhk.dll");
        ASSERT_TRUE(dll_);
        proc_ = reinterpret_cast<HOOKPROC>(reinterpret_cast<void (*)()>(GetProcAddress(dll_, "MaximizeHookProc")));
        ASSERT_TRUE(proc_);
    }
    void TearDown() override
    {
        for (HWND window : windows_)
            DestroyWindow(window);
        FreeLibrary(dll_);
        BarTest::TearDown();
    }
    HWND Window(DWORD style, HWND parent, const RECT& at = {10, 10, 300, 200})
    {
        HWND window = CreateWindowExA(0, "Static", "app", style, at.left, at.top, at.right - at.left,
                                      at.bottom - at.top, parent, NULL, g_hInstance, NULL);
        windows_.push_back(window);
        return window;
    }
    // Runs the hook for one message; the window's rectangle afterwards.
    RECT After(HWND window, int code, UINT message, WPARAM wParam)
    {
        CWPSTRUCT msg = {0, wParam, message, window};
        proc_(code, 0, reinterpret_cast<LPARAM>(&msg));
        RECT rect;
        GetWindowRect(window, &rect);
        return rect;
    }

    HMODULE dll_ = NULL;
    HOOKPROC proc_ = NULL;
    std::vector<HWND> windows_;
};

// Only a maximized window without parent or owner moves; it fills the work
// area of its monitor below the bar.
TEST_F(HookProcTest, OnlyAMaximizedWindowWithoutParentOrOwnerMovesBelowTheBar)
{
    const RECT start = {10, 10, 300, 200};
    HWND top = Window(WS_OVERLAPPEDWINDOW, NULL);
    HWND child = Window(WS_CHILD, top, {0, 0, 290, 190});
    HWND owned = Window(WS_POPUP, top);
    RECT childStart;
    GetWindowRect(child, &childStart);
    const struct {
        HWND window;
        int code;
        UINT message;
        WPARAM wParam;
    } untouched[] = {
        {top, -1, WM_SIZE, SIZE_MAXIMIZED}, {top, 0, WM_SIZE, SIZE_RESTORED},    {top, 0, WM_SIZE, SIZE_MINIMIZED},
        {top, 0, WM_MOVE, SIZE_MAXIMIZED},  {child, 0, WM_SIZE, SIZE_MAXIMIZED}, {owned, 0, WM_SIZE, SIZE_MAXIMIZED},
    };
    StartBarOver({});
    for (const auto& c : untouched) {
        SCOPED_TRACE(&c - untouched);
        EXPECT_EQ(After(c.window, c.code, c.message, c.wParam), c.window == child ? childStart : start);
    }
    EXPECT_EQ(After(top, 0, WM_SIZE, SIZE_MAXIMIZED), BelowBar());
    // Its bottom edge is read from the bar's own window.
    SetWindowPos(g_hwndBar, NULL, 0, 0, 400, 50, SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(After(top, 0, WM_SIZE, SIZE_MAXIMIZED).top, 50);
}

}  // namespace
