// The editing dialogs from their real templates, driven inside their loops.
#include "tests/support.h"

#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

class DialogTest : public TolvexTest {
protected:
    // Opens Edit Menus and runs `steps` in it, then OK when the bar is there
    // to take the new menus, else ends it. `more`: the steps of the dialogs
    // it opens.
    static void RunEditMenus(
        const std::function<void(HWND)>& steps,
        const std::function<void(seam::DialogScript&)>& more = [](seam::DialogScript&) {})
    {
        seam::DialogScript script;
        script.On("User Menus", [&](HWND dialog) {
            steps(dialog);
            if (g_hwndBar)
                seam::Click(dialog, IDOK);
            else
                EndDialog(dialog, IDOK);
        });
        more(script);
        EXPECT_EQ(DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_EDITMENUS), g_hwndBar, EditProc, 0), IDOK);
    }
    static std::string Joined(const std::vector<std::string>& rows)
    {
        std::string out;
        for (const std::string& row : rows)
            out += (out.empty() ? "" : "|") + row;
        return out;
    }
};

// Each command that lacks a selection says so once, with or without its
// full stop exactly as the user has always seen it; no setup dialog opens.
TEST_F(DialogTest, EachCommandNamesWhatIsMissingInItsOwnWords)
{
    MakeMenus({{"&Apps", {"a", "b"}}});
    const struct {
        bool menuSelected;
        int id;
        WORD notification;
        const char* warning;
    } cases[] = {
        {false, IDC_MENULIST, LBN_DBLCLK, "Please select a menu first."},
        {false, IDC_APPLIST, LBN_DBLCLK, nullptr},  // no row to look up
        {false, IDC_NEWAPP, 0, "Please select a menu first."},
        {false, IDC_DELMENU, 0, "Please select a menu first."},
        {false, IDC_APPUP, 0, "Please select a menu first."},
        {false, IDC_APPDOWN, 0, "Please select a menu first."},
        {false, IDC_DELITEM, 0, "Please select a menu first"},
        {false, IDC_MENUUP, 0, "Please select a menu first"},
        {false, IDC_MENUDOWN, 0, "Please select a menu first"},
        {false, IDC_SEPARATOR, 0, "Please select a menu first"},
        {false, IDCANCEL, 0, nullptr},
        {true, IDC_APPUP, 0, "Please select an app first."},
        {true, IDC_APPDOWN, 0, "Please select an app first."},
        {true, IDC_DELITEM, 0, "Please select an item first"},
        {true, IDC_SEPARATOR, 0, "Please select an item first"},
        {true, IDC_APPLIST, LBN_DBLCLK, nullptr},
    };
    RunEditMenus([&](HWND dialog) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.id);
            if (c.menuSelected)
                seam::SelectRow(dialog, IDC_MENULIST, 0);
            seam::Boxes().clear();
            seam::Command(dialog, c.id, c.notification);
            EXPECT_EQ(seam::BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        }
    });
    EXPECT_EQ(DescribeMenus(), "&Apps:a,b");
}

// No entry is offered that could not have a command id of its own, and
// when memory runs out nothing half-made stays behind.
TEST_F(DialogTest, NewMenusAndAppsStopAtTheIdsAndAtTheEndOfMemory)
{
    const struct {
        int menus, apps;  // the last menu's entries; it is the one selected
        int id;
        int heapFails;  // the allocation that fails, 0: none
        const char* warning;
        const char* opens;
    } cases[] = {
        {399, 0, IDC_NEWMENU, 0, "There is no room for another menu on the bar.", nullptr},
        {398, 0, IDC_NEWMENU, 0, nullptr, "Menu Setup"},
        {1, 100, IDC_NEWAPP, 0, "There is no room for another application in this menu.", nullptr},
        {1, 99, IDC_NEWAPP, 0, nullptr, "Application Setup"},
        {399, 99, IDC_NEWAPP, 0, "There is no room for another application in this menu.", nullptr},
        {1, 0, IDC_NEWMENU, 1, "Not enough memory to open the dialog.", nullptr},
        {1, 0, IDC_NEWMENU, 2, "Not enough memory for a new menu.", "Menu Setup"},
        {1, 0, IDC_NEWAPP, 2, "Not enough memory for a new application.", "Application Setup"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.menus) + " menus, " + std::to_string(c.apps) + " entries");
        seam::Reset();
        std::vector<MenuSpec> menus(static_cast<size_t>(c.menus), MenuSpec{"m", {}});
        menus.back().apps.assign(static_cast<size_t>(c.apps), "e");
        menus.back().name = "last";
        MakeMenus(menus);
        int blocks = seam::LiveHeapBlocks();
        RunEditMenus(
            [&](HWND dialog) {
                seam::SelectRow(dialog, IDC_MENULIST, c.menus - 1);
                if (c.heapFails)
                    seam::Fail("HeapAlloc", c.heapFails, ERROR_NOT_ENOUGH_MEMORY);
                seam::Click(dialog, c.id);
                seam::Fail("HeapAlloc", 1, 0, 0);  // none after the command
            },
            [&](seam::DialogScript& script) {
                if (c.opens)
                    script.On(c.opens, [](HWND dialog) {
                        if (IsWindow(dialog))  // not ended at its start
                            seam::Click(dialog, IDCANCEL);
                    });
            });
        EXPECT_EQ(seam::BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        EXPECT_EQ(seam::LiveHeapBlocks(), blocks);
        FreeAllMenus();
    }
}

// What the user sees and does in Edit Menus and its setup dialogs ends up
// in the data file at OK.
TEST_F(DialogTest, EditMenusRenamesAddsMovesAndDeletesThenSaves)
{
    MakeMenus({{"&Tools", {"&Record", "Record &again", "&Missing", "&No folder"}}, {"&More", {}}});
    g_menuHead->firstApp->next->separatorBefore = 1;
    const std::string tools = "&Record|-------|Record &again|&Missing|&No folder";
    auto menus = [](HWND d) { return Joined(seam::Rows(d, IDC_MENULIST)); };
    auto apps = [](HWND d) { return Joined(seam::Rows(d, IDC_APPLIST)); };
    auto name = [](const char* text) {
        return [text](HWND d) {
            seam::SetText(d, IDC_MENUNAME, text);
            seam::Click(d, IDOK);
        };
    };
    std::vector<std::string> seen;
    auto setups = [&](seam::DialogScript& script) {
        script
            .On("Menu Setup",
                [&](HWND d) {
                    seen.push_back(seam::Text(d, IDC_MENUNAME) + " focus " + std::to_string(GetDlgCtrlID(GetFocus())));
                    seam::SetText(d, IDC_MENUNAME, "");
                    seam::Click(d, IDOK);  // refused: no name
                    seam::Click(d, IDCANCEL);
                })
            .On("Menu Setup", name("&Extra menu with a name too long to keep"))
            .On("Menu Setup", name("&New"))
            .On("Application Setup", [&](HWND d) {
                seen.push_back(seam::Text(d, IDC_APPNAME) + seam::Text(d, IDC_APPPATH) + " focus " +
                               std::to_string(GetDlgCtrlID(GetFocus())));
                seam::SetText(d, IDC_APPNAME, "&Rec");
                seam::Click(d, IDOK);  // refused: no file
                seam::Click(d, IDC_FINDEXE);
                seam::SetText(d, IDC_APPPARAMS, "new");
                seam::Click(d, IDOK);
            });
    };
    seam::AnswerBoxes({IDOK, IDOK, IDNO, IDYES, IDNO, IDYES});
    seam::OnOpenDialog([](OPENFILENAMEW* request) {
        lstrcpynW(request->lpstrFile, L"c:\\tvt\\rec.exe", static_cast<int>(request->nMaxFile));
        return TRUE;
    });
    StartBar();
    RunEditMenus(
        [&](HWND d) {
            EXPECT_EQ(menus(d), "&Tools|&More");
            EXPECT_EQ(seam::SelectedRow(d, IDC_MENULIST), -1);
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);
            EXPECT_FALSE(seam::Enabled(d, IDC_DELMENU) || seam::Enabled(d, IDC_DELITEM) ||
                         seam::Enabled(d, IDC_SEPARATOR));
            seam::Command(d, IDCANCEL);  // Esc keeps the dialog
            ASSERT_TRUE(IsWindowVisible(d));
            seam::SelectRow(d, IDC_MENULIST, 0);
            EXPECT_EQ(apps(d), tools);
            EXPECT_TRUE(seam::Enabled(d, IDC_DELMENU) && !seam::Enabled(d, IDC_DELITEM));

            seam::DoubleClickRow(d, IDC_MENULIST, 1);  // renamed to nothing, then cancelled
            EXPECT_EQ(menus(d), "&Tools|&More");
            seam::DoubleClickRow(d, IDC_MENULIST, 1);
            EXPECT_EQ(menus(d), "&Tools|&Extra menu with a name too l");
            EXPECT_EQ(seam::SelectedRow(d, IDC_MENULIST), 1);

            seam::Click(d, IDC_NEWMENU);
            seam::SelectRow(d, IDC_MENULIST, 2);
            EXPECT_EQ(apps(d), "");
            seam::Click(d, IDC_NEWAPP);
            EXPECT_EQ(apps(d), "&Rec");

            // Nothing moves past either end; then a real move each.
            seam::SelectRow(d, IDC_MENULIST, 0);
            seam::Click(d, IDC_MENUUP);
            EXPECT_EQ(menus(d), "&Tools|&Extra menu with a name too l|&New");
            EXPECT_EQ(seam::SelectedRow(d, IDC_MENULIST), 0);
            seam::SelectRow(d, IDC_MENULIST, 2);
            seam::Click(d, IDC_MENUDOWN);
            seam::SelectRow(d, IDC_MENULIST, 2);
            seam::Click(d, IDC_MENUUP);
            EXPECT_EQ(menus(d), "&Tools|&New|&Extra menu with a name too l");
            seam::SelectRow(d, IDC_MENULIST, 0);
            seam::SelectRow(d, IDC_APPLIST, 0);
            seam::Click(d, IDC_APPUP);
            seam::SelectRow(d, IDC_APPLIST, 4);
            seam::Click(d, IDC_APPDOWN);
            EXPECT_EQ(apps(d), tools);
            seam::SelectRow(d, IDC_APPLIST, 2);
            seam::Click(d, IDC_APPUP);
            EXPECT_EQ(apps(d), "-------|Record &again|&Record|&Missing|&No folder");
            EXPECT_EQ(seam::SelectedRow(d, IDC_APPLIST), 1);

            // Deletions ask first; an entry takes its separator row with it.
            seam::SelectRow(d, IDC_APPLIST, 1);
            seam::Click(d, IDC_DELITEM);  // no
            EXPECT_EQ(apps(d), "-------|Record &again|&Record|&Missing|&No folder");
            seam::Click(d, IDC_DELITEM);  // yes
            EXPECT_EQ(apps(d), "&Record|&Missing|&No folder");
            seam::SelectRow(d, IDC_MENULIST, 2);
            seam::Click(d, IDC_DELMENU);  // no
            seam::Click(d, IDC_DELMENU);  // yes
            EXPECT_EQ(menus(d), "&Tools|&New");
            EXPECT_EQ(apps(d), "&Rec");  // the last row is selected in its place
        },
        setups);
    EXPECT_EQ(seen, (std::vector<std::string>{"&More focus 1015", " focus 1010"}));
    EXPECT_EQ(seam::BoxTexts(),
              (std::vector<std::string>{
                  "The menu must have a name!", "The application must have a name\nand associated filename.",
                  "Are you sure you want to delete this item?", "Are you sure you want to delete this item?",
                  "Are you sure you want to delete\nthis menu and all related apps?",
                  "Are you sure you want to delete\nthis menu and all related apps?"}));
    FreeAllMenus();
    LoadMenuList();
    EXPECT_EQ(DescribeMenus(), "&Tools:&Record,&Missing,&No folder|&New:&Rec");
    EXPECT_STREQ(g_menuHead->next->firstApp->path, "c:\\tvt\\rec.exe");
    EXPECT_STREQ(g_menuHead->next->firstApp->params, "new");
}

}  // namespace
