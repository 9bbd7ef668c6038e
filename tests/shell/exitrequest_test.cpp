// The installer's request to save and end while dialogs are open.
#include "resources/resource.h"
#include "tests/support.h"

using ExitRequestTest = TolvexTest;

static bool QuitPosted()
{
    MSG msg;
    return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST_F(ExitRequestTest, OpenDialogsEndKeepingWhatUserMenusHoldsAndTheBarSavesAndEnds)
{
    MakeMenus({{"&One", {"a"}}, {"&Two", {"b"}}});
    StartBar();
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
            SendMessageA(g_hwndBar, g_exitRequestMessage, 0, 0);
        });
    SendMessageA(g_hwndBar, WM_COMMAND, IDM_EDITMENUS, 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(seam::BoxTexts().empty());
    FreeAllMenus();
    LoadMenuList();
    EXPECT_EQ("&Two:b|&One:a", DescribeMenus());
}

TEST_F(ExitRequestTest, OptionsEndAsTheirCancelAndTheSettingsAreSaved)
{
    MakeMenus({{"&One", {"a"}}});
    StartBar();
    seam::DialogScript script;
    script.On("Tolvex Options", [](HWND dialog) {
        seam::Click(dialog, IDC_STAYONTOP);
        SendMessageA(g_hwndBar, g_exitRequestMessage, 0, 0);
    });
    SendMessageA(g_hwndBar, WM_COMMAND, IDM_OPTIONS, 0);
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(0, g_userVars.stayOnTop);
    g_userVars.stayOnTop = 1;
    LoadUserVars();
    EXPECT_EQ(0, g_userVars.stayOnTop);
}
