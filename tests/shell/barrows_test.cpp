// A bar too narrow for its menus grows a row: no menu and no clock is ever
// hidden, and the desktop toolbar's strip follows the bar.
#include "tests/shell/bar.h"

#include "base/dpi.h"

namespace {

class BarRowsTest : public BarTest {
protected:
    // Every item of the bar's menu bar, the clock last among them, lies
    // within the bar, which is no higher than its frame and menu rows.
    static void ExpectAllItemsShown()
    {
        RECT bar = BarRect(), client;
        GetClientRect(g_hwndBar, &client);
        EXPECT_EQ(0, client.bottom);
        int items = GetMenuItemCount(g_hBarMenu);
        for (int i = 0; i < items; i++) {
            RECT item;
            ASSERT_TRUE(GetMenuItemRect(g_hwndBar, g_hBarMenu, static_cast<UINT>(i), &item));
            EXPECT_TRUE(item.left >= bar.left && item.right <= bar.right && item.top >= bar.top &&
                        item.bottom <= bar.bottom)
                << "item " << i << " of " << items;
        }
    }
    static LONG Height()
    {
        return BarRect().bottom - BarRect().top;
    }
};

TEST_F(BarRowsTest, MenusThatDoNotFitAcrossGetARowMoreAndTheStripFollows)
{
    seam::state.appBar = [](DWORD, APPBARDATA*) -> UINT_PTR { return TRUE; };
    StartBarOver({{"&Tools", {"a"}}, {"&Games", {"b"}}});
    LONG oneRow = Height();
    ExpectAllItemsShown();
    auto relayOut = [](const std::vector<MenuSpec>& menus) {  // as User Menus leaves the bar
        FreeAllMenus();
        MakeMenus(menus);
        BuildBarMenus();
        LayOutBar();
    };

    std::vector<MenuSpec> many;
    for (int i = 0; i < 40; i++)
        many.push_back({"Menu with a long name " + std::to_string(i), {"x"}});
    relayOut(many);
    EXPECT_GT(Height(), oneRow + oneRow / 2);
    ExpectAllItemsShown();
    const APPBARDATA* strip = NULL;
    for (const seam::AppBarCall& call : seam::state.appBarCalls)
        if (call.message == ABM_SETPOS)
            strip = &call.data;
    ASSERT_TRUE(strip);
    EXPECT_EQ(Height(), strip->rc.bottom - strip->rc.top);
    const LONG manyRows = Height();
    g_userVars.stayOnTop = 0;  // as high without the toolbar's strip
    ClearBarMenus();
    TearDownBar();
    StartBar();
    EXPECT_EQ(manyRows, Height());

    relayOut({{"&Tools", {"a"}}});
    EXPECT_EQ(oneRow, Height());
}

TEST_F(BarRowsTest, AChangeOfTheCaptionHeightLaysTheBarOutAgain)
{
    g_userVars.stayOnTop = 0;
    StartBar();
    SetWindowPos(g_hwndBar, NULL, 0, 0, 300, 3, SWP_NOZORDER | SWP_NOACTIVATE);
    Send(WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS);
    EXPECT_EQ(BarRect(), (RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), BarHeight()}));
}

// scripts/e2e runs these tests again at 144 DPI (suite dpi144).
TEST_F(BarRowsTest, TheBarIsLaidOutForItsScreensDpi)
{
    DWORD logPixels = USER_DEFAULT_SCREEN_DPI, size = sizeof logPixels;
    RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD, NULL, &logPixels, &size);
    StartBar();
    EXPECT_EQ(logPixels, WindowDpi(g_hwndBar));
    ExpectAllItemsShown();
}

}  // namespace
