// The installer's request to save and end while dialogs are open.
#include "tests/shell/bar.h"

namespace {

TEST_F(BarTest, AnExitRequestEndsOpenDialogsKeepingWhatUserMenusHoldsAndTheBarSavesAndEnds)
{
    StartBarOver({{"&One", {"a"}}, {"&Two", {"b"}}});
    seam::DialogScript script;
    script
        .On("User Menus",
            [](HWND dialog) {
                seam::SelectRow(dialog, IDC_MENULIST, 0);
                seam::Click(dialog, IDC_MENUDOWN);
                seam::Click(dialog, IDC_NEWMENU);
            })
        .On("Menu Setup", [](HWND dialog) {
            seam::SetText(dialog, IDC_MENUNAME, "&Three");
            Send(g_exitRequestMessage);
        });
    Send(WM_COMMAND, IDM_EDITMENUS);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(seam::BoxTexts().empty());
    LoadMenuList();
    EXPECT_EQ("&Two:b|&One:a", DescribeMenus());
}

TEST_F(BarTest, AnExitRequestEndsOptionsAsTheirCancelAndTheSettingsAreSaved)
{
    StartBarOver();
    seam::DialogScript script;
    script.On("Tolvex Options", [](HWND dialog) {
        seam::Click(dialog, IDC_STAYONTOP);
        Send(g_exitRequestMessage);
    });
    Send(WM_COMMAND, IDM_OPTIONS);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(1, g_userVars.stayOnTop);
    EXPECT_EQ(MemorySettings(), SavedSettings());
}

}  // namespace
