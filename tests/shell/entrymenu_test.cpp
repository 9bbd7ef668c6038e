// The small menu of a right click on an entry of an open user menu.
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using EntryMenuTest = TolvexTest;

int s_phase = 0;
WPARAM s_key = 0;

// Inside the bar's menu loop: a right click on the first menu's third row
// (the entry below the separator); inside the small menu's own: its key.
void CALLBACK RightClickAndChoose(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowA("#32768", NULL);
    if (!popup || !IsWindowVisible(popup))
        return;
    bool barMenu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0)) == GetSubMenu(g_hBarMenu, 1);
    if (s_phase == 0 && barMenu) {
        s_phase = 1;
        SendMessageA(g_hwndBar, WM_MENURBUTTONUP, 2, reinterpret_cast<LPARAM>(GetSubMenu(g_hBarMenu, 1)));
    } else if (s_phase == 1 && !barMenu) {
        s_phase = 2;
        KillTimer(NULL, timer);
        PostMessageA(g_hwndBar, WM_CHAR, s_key, 0);
    }
}

}  // namespace

TEST_F(EntryMenuTest, EachChoiceActsOnTheEntryRightClicked)
{
    struct Case {
        char key;
        const char *verb, *file, *params;  // the launch; null for User Menus
    };
    const std::string path = Folder() + "c.exe";
    const std::string select = "/select,\"" + path + "\"";
    char windows[MAX_PATH];
    const std::string explorer = std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) + "\\explorer.exe";
    const Case cases[] = {
        {'a', "runas", path.c_str(), ""},
        {'l', "open", explorer.c_str(), select.c_str()},
        {'e', NULL, NULL, NULL},
    };
    WriteFileBytes(path, {'M', 'Z'});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        seam::Reset();
        FreeAllMenus();
        MakeMenus({{"&One", {"b", "c"}}});
        AppItem* target = g_menuHead->firstApp->next;
        target->separatorBefore = 1;
        CopyText(target->path, sizeof target->path, path.c_str());
        StartBar();
        bool edited = false;
        seam::DialogScript script;
        if (!c.verb)
            script.On("User Menus", [&](HWND dialog) {
                edited = true;
                EXPECT_EQ(0, seam::SelectedRow(dialog, IDC_MENULIST));
                EXPECT_EQ(2, seam::SelectedRow(dialog, IDC_APPLIST));
                EXPECT_TRUE(seam::Enabled(dialog, IDC_DELITEM));
                seam::Click(dialog, IDOK);
            });
        s_phase = 0;
        s_key = static_cast<WPARAM>(c.key);
        SetTimer(NULL, 0, 20, RightClickAndChoose);
        PostMessageA(g_hwndBar, WM_HOTKEY, 1, 0);
        for (int i = 0; i < 500 && !edited && seam::state.launches.empty(); i++) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        if (c.verb) {
            ASSERT_EQ(1u, seam::state.launches.size());
            EXPECT_EQ(c.verb, seam::state.launches[0].verb);
            EXPECT_EQ(c.file, seam::state.launches[0].file);
            EXPECT_EQ(c.params, seam::state.launches[0].params);
        } else {
            EXPECT_TRUE(edited);
            EXPECT_TRUE(seam::state.launches.empty());
        }
        ClearBarMenus();
        TearDownBar();
    }
}
