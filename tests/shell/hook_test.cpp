#include "tests/support.h"

#include "hook/tolvexhk.h"

#include <tuple>

namespace {

class HookProcTest : public TolvexTest {
protected:
    // Runs the hook for one message and tells whether the window was moved.
    bool Moves(HWND hwnd, int code, UINT message, WPARAM wParam)
    {
        RECT before = fw::GetWindowInfo(hwnd).rect;
        CWPSTRUCT msg = {0, wParam, message, hwnd};
        int calls = fw::CallCount("CallNextHookEx");
        MaximizeHookProc(code, 0, reinterpret_cast<LPARAM>(&msg));
        EXPECT_EQ(fw::CallCount("CallNextHookEx"), calls + 1) << "always passed on";
        RECT after = fw::GetWindowInfo(hwnd).rect;
        return before.left != after.left || before.top != after.top || before.right != after.right ||
            before.bottom != after.bottom;
    }
};

TEST_F(HookProcTest, OnlyAMaximizedWindowWithoutParentOrOwnerIsMovedBelowTheBar)
{
    fw::SetSystemMetric(SM_CXSCREEN, 1280);
    fw::SetSystemMetric(SM_CYSCREEN, 1024);
    fw::SetSystemMetric(SM_CYCAPTION, 19);
    HWND top = fw::CreateTestWindow("App", "app");
    HWND child = fw::CreateTestWindow("App", "child", top, nullptr, WS_CHILD);
    HWND ownedPopup = fw::CreateTestWindow("App", "popup", nullptr, top, WS_POPUP);

    EXPECT_FALSE(Moves(top, -1, WM_SIZE, SIZE_MAXIMIZED));
    EXPECT_FALSE(Moves(top, 0, WM_SIZE, 0));  // restored
    EXPECT_FALSE(Moves(top, 0, WM_SIZE, 1));  // minimized
    EXPECT_FALSE(Moves(top, 0, WM_MOVE, SIZE_MAXIMIZED));
    EXPECT_FALSE(Moves(child, 0, WM_SIZE, SIZE_MAXIMIZED));
    EXPECT_FALSE(Moves(ownedPopup, 0, WM_SIZE, SIZE_MAXIMIZED));

    EXPECT_TRUE(Moves(top, 0, WM_SIZE, SIZE_MAXIMIZED));
    RECT r = fw::GetWindowInfo(top).rect;
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 24);
    EXPECT_EQ(r.right, 1280);
    EXPECT_EQ(r.bottom, 1024);
}

// The work area of the window's monitor, below the bar on the primary one.
TEST_F(HookProcTest, AMaximizedWindowFillsTheWorkAreaOfItsMonitorBelowTheBar)
{
    fw::SetSystemMetric(SM_CXSCREEN, 1280);
    fw::SetSystemMetric(SM_CYSCREEN, 1024);
    fw::SetSystemMetric(SM_CYCAPTION, 19);  // the bar ends at 24
    const RECT primary = {0, 0, 1280, 1024}, right = {1280, 0, 2560, 1024}, above = {0, -768, 1024, 0};
    const struct {
        RECT work, window, fitted;  // work area of the primary monitor
        bool noInfo;
    } cases[] = {
        {{0, 0, 1280, 984}, {10, 10, 300, 200}, {0, 24, 1280, 984}, false},      // taskbar at the bottom
        {{0, 40, 1280, 1024}, {10, 10, 300, 200}, {0, 40, 1280, 1024}, false},   // at the top, taller
        {{60, 0, 1280, 1024}, {10, 10, 300, 200}, {60, 24, 1280, 1024}, false},  // at the left
        {primary, {1300, 10, 1500, 200}, {1280, 0, 2560, 984}, false},           // the monitor at the right
        {primary, {10, -700, 300, -500}, above, false},                          // the monitor above
        {{0, 0, 1280, 984}, {10, 10, 300, 200}, {0, 24, 1280, 1024}, true},      // no monitor information
    };
    for (const auto& c : cases) {
        fw::SetMonitors({{primary, c.work}, {right, {1280, 0, 2560, 984}}, {above, above}});
        HWND hwnd = fw::CreateTestWindow("App", "app");
        MoveWindow(hwnd, c.window.left, c.window.top, c.window.right - c.window.left, c.window.bottom - c.window.top,
                   TRUE);
        if (c.noInfo)
            fw::FailCalls("GetMonitorInfoA");
        EXPECT_TRUE(Moves(hwnd, 0, WM_SIZE, SIZE_MAXIMIZED));
        RECT r = fw::GetWindowInfo(hwnd).rect;
        EXPECT_EQ(std::tie(r.left, r.top, r.right, r.bottom),
                  std::tie(c.fitted.left, c.fitted.top, c.fitted.right, c.fitted.bottom));
    }
}

}  // namespace
