// Edit Menus: each row stands for its own record, and selections and
// buttons follow what the user does.
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using Steps = std::function<void(HWND)>;

class RowsTest : public TolvexTest {
protected:
    // Runs `steps` in User Menus with `setups` for the dialogs it opens, then OK.
    static void RunEditMenus(const Steps& steps, const std::vector<std::pair<const char*, Steps>>& setups = {})
    {
        seam::DialogScript script;
        script.On("User Menus", [&](HWND d) {
            steps(d);
            if (g_hwndBar)
                seam::Click(d, IDOK);
            else
                EndDialog(d, IDOK);
        });
        for (const auto& setup : setups)
            script.On(setup.first, setup.second);
        DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_EDITMENUS), g_hwndBar, EditProc, 0);
        EXPECT_TRUE(script.Done());
    }
    static Steps Named(const char* name, int edit)
    {
        return [=](HWND d) {
            seam::SetText(d, edit, name);
            if (edit == IDC_APPNAME)
                seam::SetText(d, IDC_APPPATH, "c:\\x.exe");
            seam::Click(d, IDOK);
        };
    }
};

TEST_F(RowsTest, CommandsActOnTheSelectedRowsOwnRecord)
{
    using seam::SelectRow;
    const struct {
        Steps steps;
        std::vector<std::pair<const char*, Steps>> setups;
        const char* menus;    // afterwards
        int menuRow, appRow;  // selected afterwards
    } cases[] = {
        {[](HWND d) { seam::DoubleClickRow(d, IDC_MENULIST, 1); },
         {{"Menu Setup", Named("&R", IDC_MENUNAME)}},
         "&Dup:a,-------,a|&R:c",
         1,
         -1},
        {[](HWND d) {
             SelectRow(d, IDC_MENULIST, 0);
             seam::DoubleClickRow(d, IDC_APPLIST, 2);
         },
         {{"Application Setup", Named("r", IDC_APPNAME)}},
         "&Dup:a,-------,r|&Dup:c",
         0,
         2},
        {[](HWND d) {
             SelectRow(d, IDC_MENULIST, 0);
             SelectRow(d, IDC_APPLIST, 1);
             seam::Click(d, IDC_DELITEM);
         },
         {},
         "&Dup:a,a|&Dup:c",
         0,
         1},
        {[](HWND d) {
             SelectRow(d, IDC_MENULIST, 1);
             seam::Click(d, IDC_NEWMENU);
             seam::Click(d, IDC_NEWAPP);
         },
         {{"Menu Setup", Named("g", IDC_MENUNAME)}, {"Application Setup", Named("s", IDC_APPNAME)}},
         "&Dup:a,-------,a|&Dup:c|g:s",
         2,
         0},
        {[](HWND d) {
             SelectRow(d, IDC_MENULIST, 0);
             seam::Click(d, IDC_MENUDOWN);
             seam::Click(d, IDC_DELMENU);
         },
         {},
         "&Dup:c",
         0,
         -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menus);
        MakeMenus({{"&Dup", {"a", "-------", "a"}}, {"&Dup", {"c"}}});
        int menuRow = -2, appRow = -2;
        RunEditMenus(
            [&](HWND d) {
                c.steps(d);
                menuRow = seam::SelectedRow(d, IDC_MENULIST);
                appRow = seam::SelectedRow(d, IDC_APPLIST);
            },
            c.setups);
        EXPECT_EQ(DescribeMenus(), c.menus);
        EXPECT_EQ(menuRow, c.menuRow);
        EXPECT_EQ(appRow, c.appRow);
        FreeAllMenus();
    }
}

TEST_F(RowsTest, ButtonsAreEnabledOnlyWithWhatTheyActOn)
{
    MakeMenus({{"&A", {"a", "b"}}});
    g_menuHead->firstApp->next->separatorBefore = 1;
    const int ids[] = {IDC_DELMENU, IDC_NEWAPP,    IDC_MENUUP, IDC_MENUDOWN,
                       IDC_DELITEM, IDC_SEPARATOR, IDC_APPUP,  IDC_APPDOWN};
    const struct {
        int menuRow, appRow;
        const char* enabled;  // per id above
    } cases[] = {{-1, -1, "00000000"}, {0, -1, "11110000"}, {0, 1, "11111000"}, {0, 2, "11111111"}};
    RunEditMenus([&](HWND d) {
        for (const auto& c : cases) {
            seam::SelectRow(d, IDC_MENULIST, c.menuRow);
            seam::SelectRow(d, IDC_APPLIST, c.appRow);
            std::string enabled;
            for (int id : ids)
                enabled += seam::Enabled(d, id) ? '1' : '0';
            EXPECT_EQ(enabled, c.enabled) << c.menuRow << "," << c.appRow;
        }
    });
}

// F2 opens a row's setup dialog, whose name is selected so that typing
// replaces it; the box of a refused OK belongs to the dialog.
TEST_F(RowsTest, F2OpensTheSetupOfTheSelectedRowWithItsNameSelected)
{
    MakeMenus({{"&More", {"&Calc"}}});
    StartBar();
    std::vector<std::string> seen;
    auto look = [&](int edit) {
        return [&seen, edit](HWND d) {
            DWORD from = 0, to = 0;
            SendDlgItemMessageA(d, edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
            seen.push_back(seam::Text(d, edit) + " " + std::to_string(from) + "-" + std::to_string(to));
            seam::SetText(d, edit, "");
            seam::Click(d, IDOK);
            EXPECT_EQ(seam::Boxes().back().owner, d);
            seam::Click(d, IDCANCEL);
        };
    };
    RunEditMenus(
        [](HWND d) {
            seam::SelectRow(d, IDC_MENULIST, 0);
            SendDlgItemMessageA(d, IDC_MENULIST, WM_KEYDOWN, VK_F2, 0);
            seam::SelectRow(d, IDC_APPLIST, 0);
            SendDlgItemMessageA(d, IDC_APPLIST, WM_KEYDOWN, VK_F2, 0);
            seam::SelectRow(d, IDC_MENULIST, -1);
            seam::Command(d, IDC_NEWAPP);
            EXPECT_EQ(seam::Boxes().back().owner, d);
        },
        {{"Menu Setup", look(IDC_MENUNAME)}, {"Application Setup", look(IDC_APPNAME)}});
    EXPECT_EQ(seen, (std::vector<std::string>{"&More 0-5", "&Calc 0-5"}));
    ShowWarning("none open");
    EXPECT_EQ(seam::Boxes().back().owner, g_hwndBar);
}

// A move that would leave an entry without a command id is refused, and a
// setup dialog that cannot open gives its request back.
TEST_F(RowsTest, AMoveKeepsEveryCommandIdAndAFailedOpeningLeaksNothing)
{
    std::vector<MenuSpec> menus(399, MenuSpec{"m", {}});
    menus[397] = {"full", std::vector<std::string>(100, "e")};
    MakeMenus(menus);
    int blocks = seam::LiveHeapBlocks();
    const struct {
        int row, id;
        const char* warning;
    } cases[] = {
        {397, IDC_MENUDOWN, "There is no room for another application in this menu."},
        {398, IDC_MENUUP, "There is no room for another application in this menu."},
        {398, IDC_NEWAPP, "The dialog could not be opened."},
    };
    RunEditMenus([&](HWND d) {
        for (const auto& c : cases) {
            seam::Boxes().clear();
            seam::SelectRow(d, IDC_MENULIST, c.row);
            if (c.id == IDC_NEWAPP)
                seam::Fail("DialogBoxParamA");
            seam::Click(d, c.id);
            EXPECT_EQ(seam::BoxTexts(), std::vector<std::string>{c.warning});
        }
    });
    EXPECT_EQ(seam::LiveHeapBlocks(), blocks);
    UserMenu* full = g_menuHead;
    for (int k = 0; k < 397; k++)
        full = full->next;
    EXPECT_STREQ(full->name, "full");
    FreeAllMenus();
}

}  // namespace
