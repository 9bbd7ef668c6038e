// Where the maximize hook is installed, and what it does in the programs it
// runs in. The hook is global: it runs for the test's own windows too.
#include "tests/support.h"

#include "resources/resource.h"

namespace {

class HookPlaceTest : public TolvexTest {
protected:
    void SetUp() override
    {
        TolvexTest::SetUp();
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea_, 0);
    }
    void TearDown() override
    {
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &workArea_, 0);
        TolvexTest::TearDown();
    }
    // The work area as a shell with desktop toolbars would keep it.
    static void SetWorkAreaTop(LONG top)
    {
        RECT area = {0, top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoA(SPI_SETWORKAREA, 0, &area, 0);
    }
    static RECT BarRect()
    {
        RECT rect;
        GetWindowRect(g_hwndBar, &rect);
        return rect;
    }
    RECT workArea_;
};

// A window that sets its own size whenever it is sized, as some programs do.
int s_sizes = 0, s_depth = 0, s_deepest = 0;
LRESULT CALLBACK SelfSizing(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SIZE && wParam == SIZE_MAXIMIZED) {
        s_sizes++;
        s_deepest = std::max(s_deepest, ++s_depth);
        RECT rect;
        GetWindowRect(hwnd, &rect);
        if (s_depth < 40)
            SetWindowPos(hwnd, NULL, 0, 0, rect.right - rect.left, rect.bottom - rect.top - 1,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        s_depth--;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace

TEST_F(HookPlaceTest, TheHookIsInstalledOnlyWhereNothingKeepsRoomBelowTheBar)
{
    g_userVars.stayOnTop = 1;
    StartBar();
    EXPECT_NE(nullptr, g_hHook) << "Wine keeps no room for toolbars";
    SetWorkAreaTop(BarRect().bottom);
    SendMessageA(g_hwndBar, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(nullptr, g_hHook);
    SetWorkAreaTop(0);
    SendMessageA(g_hwndBar, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_NE(nullptr, g_hHook);
    // A bar made again for a new display finds the room kept.
    SetWorkAreaTop(BarRect().bottom);
    SendMessageA(g_hwndBar, WM_DISPLAYCHANGE, 32, 0);
    EXPECT_EQ(nullptr, g_hHook);
    EXPECT_TRUE(seam::BoxTexts().empty());
}

TEST_F(HookPlaceTest, AChangeOfTheCaptionHeightLaysTheBarOutAgain)
{
    StartBar();
    SetWindowPos(g_hwndBar, NULL, 0, 0, 300, 3, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageA(g_hwndBar, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    RECT bar = BarRect();
    EXPECT_EQ(BarHeight(), bar.bottom - bar.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), bar.right - bar.left);
}

TEST_F(HookPlaceTest, AMaximizedWindowIsMovedBelowTheBarOnceAndNotAgainFromItsOwnSizing)
{
    g_userVars.stayOnTop = 1;
    StartBar();
    ASSERT_NE(nullptr, g_hHook);
    WNDCLASSA cls = {};
    cls.lpfnWndProc = SelfSizing;
    cls.hInstance = g_hInstance;
    cls.lpszClassName = "SelfSizing";
    RegisterClassA(&cls);
    HWND window =
        CreateWindowExA(0, "SelfSizing", "", WS_OVERLAPPEDWINDOW, 10, 10, 200, 200, NULL, NULL, g_hInstance, NULL);
    ShowWindow(window, SW_MAXIMIZE);
    Pump();
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(BarRect().bottom, rect.top);
    EXPECT_LE(s_deepest, 3) << s_sizes << " sizes";
    DestroyWindow(window);
    UnregisterClassA("SelfSizing", g_hInstance);
}

TEST_F(HookPlaceTest, TheSettingsAreWrittenBeforeTheMenusSaveCanWait)
{
    StartBar();
    WriteFileBytes("apps.tx", {});
    SetFileAttributesA("apps.tx", FILE_ATTRIBUTE_READONLY);
    g_userVars.stayOnTop = 1;
    LONG stored = -1;
    seam::OnBox([&](const seam::Box&) {
        // The system may end the process while the warning waits.
        HKEY key;
        UserVars record = {};
        DWORD size = sizeof record;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tolvex", 0, KEY_READ, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, "User_Vars", NULL, NULL, reinterpret_cast<BYTE*>(&record), &size);
            RegCloseKey(key);
            stored = record.stayOnTop;
        }
    });
    EXPECT_EQ(0, seam::RunToExit([] { SendMessageA(g_hwndBar, WM_ENDSESSION, TRUE, 0); }));
    EXPECT_EQ(std::vector<std::string>{"Could not open APPS.TX for write.\nPlease check the file."}, seam::BoxTexts());
    EXPECT_EQ(1, stored);
    SetFileAttributesA("apps.tx", FILE_ATTRIBUTE_NORMAL);
}
