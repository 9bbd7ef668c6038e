// The maximize hook: its procedure in tolvexhk.dll called as the system
// would call it, where it is installed, and what it does in the programs it
// runs in. The hook is global: it runs for the test's own windows too.
#include "tests/shell/bar.h"

namespace {

class HookTest : public BarTest {
protected:
    void SetUp() override
    {
        BarTest::SetUp();
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea_, 0);
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
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &workArea_, 0);
        BarTest::TearDown();
    }
    HWND Window(DWORD style, HWND parent, const RECT& at = {10, 10, 300, 200})
    {
        HWND window = CreateWindowExA(0, "Static", "app", style, at.left, at.top, at.right - at.left,
                                      at.bottom - at.top, parent, NULL, g_hInstance, NULL);
        windows_.push_back(window);
        return window;
    }
    HWND MaximizedWindow(WNDPROC proc)
    {
        HWND window = Window(WS_OVERLAPPEDWINDOW, NULL);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
        ShowWindow(window, SW_MAXIMIZE);
        return window;
    }
    RECT After(HWND window, int code, UINT message, WPARAM wParam)
    {
        CWPSTRUCT msg = {0, wParam, message, window};
        proc_(code, 0, reinterpret_cast<LPARAM>(&msg));
        RECT rect;
        GetWindowRect(window, &rect);
        return rect;
    }
    // The work area as a shell with desktop toolbars would keep it.
    static void SetWorkAreaTop(LONG top)
    {
        RECT area = {0, top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    }

    HMODULE dll_ = NULL;
    HOOKPROC proc_ = NULL;
    std::vector<HWND> windows_;
    RECT workArea_;
};

TEST_F(HookTest, OnlyAMaximizedWindowWithoutParentOrOwnerMovesBelowTheBar)
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

// A window that puts itself back to the whole screen whenever it is
// maximized, as some programs do: the hook and it must not fight.
int s_sizes = 0, s_depth = 0, s_deepest = 0;
LRESULT CALLBACK SelfSizing(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && wParam == SIZE_MAXIMIZED) {
        s_sizes++;
        s_deepest = std::max(s_deepest, ++s_depth);
        RECT rect;
        GetWindowRect(hwnd, &rect);
        int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        if (s_depth < 40 && (rect.top != 0 || rect.bottom != cy))
            SetWindowPos(hwnd, NULL, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
        s_depth--;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int s_moves = 0;
LRESULT CALLBACK CountingMoves(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGING)
        s_moves++;
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

TEST_F(HookTest, TheHookIsInstalledOnlyWhereNothingKeepsRoomBelowTheBar)
{
    StartBar();
    EXPECT_NE(nullptr, g_hHook) << "Wine keeps no room for toolbars";
    SetWorkAreaTop(BarRect().bottom);
    Send(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    EXPECT_EQ(nullptr, g_hHook);
    SetWorkAreaTop(0);
    Send(WM_SETTINGCHANGE, SPI_SETWORKAREA);
    EXPECT_NE(nullptr, g_hHook);
    // A bar made again for a new display finds the room kept.
    SetWorkAreaTop(BarRect().bottom);
    Send(WM_DISPLAYCHANGE, 32);
    EXPECT_EQ(nullptr, g_hHook);
    EXPECT_TRUE(seam::BoxTexts().empty());
}

TEST_F(HookTest, AWindowInPlaceIsLeftAloneAndTheHookDoesNotFightAWindowThatSizesItself)
{
    StartBar();
    ASSERT_NE(nullptr, g_hHook);
    HWND window = MaximizedWindow(CountingMoves);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(BelowBar(), rect);
    s_moves = 0;
    SendMessageA(window, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
    EXPECT_EQ(0, s_moves);

    MaximizedWindow(SelfSizing);
    EXPECT_LE(s_deepest, 3) << s_sizes << " sizes";
}

}  // namespace
