// Edit Menus: each row stands for its own record, and selections and
// buttons follow what the user does.
#include <sstream>

#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using RowsTest = TolvexTest;

// Runs steps in User Menus, then OK: "m1"/"a1" click a menus/applications
// row, "M1"/"A1" double-click it, "f"/"g" press F2 in that list, "#1011"
// clicks a button, "!" makes the next dialog fail to open. Each setup
// dialog in turn, Menu Setup ("M...") or Application Setup ("A..."), gets
// the rest of one of `names` typed into its name and accepts it.
std::string RunUserMenus(const std::string& steps, std::vector<std::string> names = {})
{
    seam::DialogScript script;
    std::string seen;
    script.On("User Menus", [&](HWND d) {
        std::istringstream in(steps);
        for (std::string s; in >> s;) {
            int n = atoi(s.c_str() + 1), list = tolower(s[0]) == 'm' || s[0] == 'f' ? IDC_MENULIST : IDC_APPLIST;
            if (s[0] == 'm' || s[0] == 'a')
                seam::SelectRow(d, list, n);
            else if (s[0] == 'M' || s[0] == 'A')
                seam::DoubleClickRow(d, list, n);
            else if (s[0] == 'f' || s[0] == 'g')
                SendDlgItemMessageA(d, list, WM_KEYDOWN, VK_F2, 0);
            else if (s[0] == '#')
                seam::Click(d, n);
            else
                seam::Fail("DialogBoxParamA");
        }
        for (const seam::Box& box : seam::Boxes())
            EXPECT_EQ(box.owner, d) << box.text;
        seen = std::to_string(seam::SelectedRow(d, IDC_MENULIST)) + "," +
            std::to_string(seam::SelectedRow(d, IDC_APPLIST)) + " ";
        for (int id :
             {IDC_DELMENU, IDC_NEWAPP, IDC_MENUUP, IDC_MENUDOWN, IDC_DELITEM, IDC_SEPARATOR, IDC_APPUP, IDC_APPDOWN})
            seen += seam::Enabled(d, id) ? '1' : '0';
        EndDialog(d, IDOK);
    });
    for (const std::string& name : names) {
        int edit = name[0] == 'M' ? IDC_MENUNAME : IDC_APPNAME;
        script.On(name[0] == 'M' ? "Menu Setup" : "Application Setup", [name, edit](HWND d) {
            // Typing replaces the name only when it is selected.
            SendDlgItemMessageA(d, edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(name.c_str() + 1));
            if (edit == IDC_APPNAME && seam::Text(d, IDC_APPPATH).empty())
                seam::SetText(d, IDC_APPPATH, "c:\\x.exe");
            seam::Click(d, IDOK);
        });
    }
    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_EDITMENUS), g_hwndBar, EditProc, 0);
    return seen;
}

TEST_F(RowsTest, CommandsActOnTheSelectedRowsOwnRecord)
{
    const struct {
        const char* steps;
        std::vector<std::string> names;
        const char* menus;
        const char* seen;  // selected rows, then the buttons' states
    } cases[] = {
        {"", {}, "&Dup:a,-------,a|&Dup:c,d", "-1,-1 00000000"},
        {"M1", {"M&R"}, "&Dup:a,-------,a|&R:c,d", "1,-1 11110000"},
        {"m0 a2 g", {"Ar"}, "&Dup:a,-------,r|&Dup:c,d", "0,2 11111111"},
        {"m0 a1 #1012", {}, "&Dup:a,a|&Dup:c,d", "0,1 11111111"},
        {"m1 a1", {}, "&Dup:a,-------,a|&Dup:c,d", "1,1 11111000"},
        {"m1 f #1007 #1008", {"M&E", "Mg", "As"}, "&Dup:a,-------,a|&E:c,d|g:s", "2,0 11111111"},
        {"m0 #1029 #1029 #1011", {}, "&Dup:c,d", "0,-1 11110000"},
    };
    for (const auto& c : cases) {
        MakeMenus({{"&Dup", {"a", "-------", "a"}}, {"&Dup", {"c", "d"}}});
        g_menuHead->next->firstApp->next->separatorBefore = 1;
        seam::Boxes().clear();
        EXPECT_EQ(RunUserMenus(c.steps, c.names), c.seen) << c.steps;
        EXPECT_EQ(DescribeMenus(), c.menus) << c.steps;
        FreeAllMenus();
    }
}

// A move that would leave an entry without a command id is refused, and a
// setup dialog that cannot open gives its request back.
TEST_F(RowsTest, AMoveKeepsEveryCommandIdAndAFailedOpeningLeaksNothing)
{
    std::vector<MenuSpec> menus(399, MenuSpec{"m", {}});
    menus[397] = {"full", std::vector<std::string>(100, "e")};
    MakeMenus(menus);
    int blocks = seam::LiveHeapBlocks();
    for (const char* steps : {"m397 #1029", "m398 #1028", "m398 ! #1008"}) {
        seam::Boxes().clear();
        RunUserMenus(steps);
        EXPECT_EQ(seam::BoxTexts(),
                  std::vector<std::string>{strchr(steps, '!')
                                               ? "The dialog could not be opened."
                                               : "There is no room for another application in this menu."});
    }
    EXPECT_EQ(seam::LiveHeapBlocks(), blocks);
    EXPECT_EQ(DescribeMenus().find("full"), 397 * 3u);  // "m:|" each before it
    FreeAllMenus();
}

}  // namespace
