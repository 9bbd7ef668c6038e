#include "tests/support.h"

#include "hook/tolvexhk.h"

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

}  // namespace
