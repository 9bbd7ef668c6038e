// User Menus from its real template, driven inside its loop: its commands
// on the rows and the records behind them, and files dropped on it or on
// the bar.
#include "tests/support.h"

#include <objbase.h>
#include <shlobj.h>

#include <sstream>

#include "base/syslib.h"
#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

using DialogTest = TolvexTest;

const char NO_ROOM[] = "There is no room for another application in this menu.";

// Opens Edit Menus and runs `steps` in it, then OK when the bar is there
// to take the new menus, else ends it. `more`: the steps of the dialogs
// it opens.
void RunEditMenus(
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

std::string Joined(const std::vector<std::string>& rows)
{
    std::string out;
    for (const std::string& row : rows)
        out += (out.empty() ? "" : "|") + row;
    return out;
}

// Runs steps in User Menus: "m1"/"a1" click a menus/applications row,
// "M1"/"A1" double-click it, "f"/"g" press F2 in that list, "#1011" clicks
// a button, "!" makes the next dialog fail to open. Each setup dialog in
// turn, Menu Setup ("M...") or Application Setup ("A..."), gets the rest of
// one of `names` typed into its name and accepts it. Gives the selected
// rows and the buttons' states then.
std::string RunUserMenus(const std::string& steps, const std::vector<std::string>& names = {})
{
    std::string seen;
    RunEditMenus(
        [&](HWND d) {
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
            for (const seam::Box& box : seam::state.boxes)
                EXPECT_EQ(box.owner, d) << box.text;
            seen = std::to_string(seam::SelectedRow(d, IDC_MENULIST)) + "," +
                std::to_string(seam::SelectedRow(d, IDC_APPLIST)) + " ";
            for (int id : {IDC_DELMENU, IDC_NEWAPP, IDC_MENUUP, IDC_MENUDOWN, IDC_DELITEM, IDC_SEPARATOR, IDC_APPUP,
                           IDC_APPDOWN})
                seen += seam::Enabled(d, id) ? '1' : '0';
        },
        [&](seam::DialogScript& script) {
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
        });
    return seen;
}

// The drop data Explorer hands over: DROPFILES and the wide paths, each
// terminated, the list by an empty one.
HDROP MakeDrop(const std::vector<std::string>& files, POINT at = {0, 0})
{
    std::wstring list;
    for (const std::string& file : files)
        list += std::wstring(file.begin(), file.end()) + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    DROPFILES* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = at;
    drop->fWide = TRUE;
    memcpy(drop + 1, list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

void WriteShortcut(const std::string& file, const char* target, const char* params, const char* dir)
{
    static const GUID SHELL_LINK = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    StartLaunchCom();
    auto create = SystemProc<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    IShellLinkA* link = NULL;
    ASSERT_TRUE(create &&
                SUCCEEDED(create(SHELL_LINK, NULL, CLSCTX_INPROC_SERVER, __uuidof(IShellLinkA),
                                 reinterpret_cast<void**>(&link))));
    link->SetPath(target);
    link->SetArguments(params);
    link->SetWorkingDirectory(dir);
    IPersistFile* persist = NULL;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(__uuidof(IPersistFile), reinterpret_cast<void**>(&persist))));
    std::wstring wide(file.begin(), file.end());
    EXPECT_TRUE(SUCCEEDED(persist->Save(wide.c_str(), TRUE)));
    persist->Release();
    link->Release();
}

std::string Entry(const AppItem* app)
{
    return std::string(app->name) + "|" + app->path + "|" + app->params + "|" + app->workDir;
}

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
            seam::state.boxes.clear();
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
        {1, 100, IDC_NEWAPP, 0, NO_ROOM, nullptr},
        {1, 99, IDC_NEWAPP, 0, nullptr, "Application Setup"},
        {399, 99, IDC_NEWAPP, 0, NO_ROOM, nullptr},
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
    seam::state.answers = {IDOK, IDOK, IDNO, IDYES, IDNO, IDYES};
    seam::state.openDialog = [](OPENFILENAMEW* request) {
        lstrcpynW(request->lpstrFile, L"c:\\tvt\\rec.exe", static_cast<int>(request->nMaxFile));
        return TRUE;
    };
    StartBar();
    RunEditMenus(
        [&](HWND d) {
            EXPECT_EQ(menus(d), "&Tools|&More");
            EXPECT_EQ(GetDlgCtrlID(GetFocus()), IDOK);
            seam::Command(d, IDCANCEL);  // Esc keeps the dialog
            ASSERT_TRUE(IsWindowVisible(d));
            seam::SelectRow(d, IDC_MENULIST, 0);
            EXPECT_EQ(apps(d), tools);

            seam::DoubleClickRow(d, IDC_MENULIST, 1);  // renamed to nothing, then cancelled
            EXPECT_EQ(menus(d), "&Tools|&More");
            seam::DoubleClickRow(d, IDC_MENULIST, 1);
            EXPECT_EQ(menus(d), "&Tools|&Extra menu with a name too l");

            seam::Click(d, IDC_NEWMENU);
            seam::SelectRow(d, IDC_MENULIST, 2);
            seam::Click(d, IDC_NEWAPP);
            EXPECT_EQ(apps(d), "&Rec");

            // Deletions ask first; an entry takes its separator row with it.
            seam::SelectRow(d, IDC_MENULIST, 0);
            seam::SelectRow(d, IDC_APPLIST, 2);
            seam::Click(d, IDC_DELITEM);  // no
            EXPECT_EQ(apps(d), tools);
            seam::Click(d, IDC_DELITEM);  // yes
            EXPECT_EQ(apps(d), "&Record|&Missing|&No folder");
            seam::SelectRow(d, IDC_MENULIST, 1);
            seam::Click(d, IDC_DELMENU);  // no
            seam::Click(d, IDC_DELMENU);  // yes
            EXPECT_EQ(menus(d), "&Tools|&New");
            EXPECT_EQ(apps(d), "&Rec");  // the row now in its place is selected
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

TEST_F(DialogTest, CommandsActOnTheSelectedRowsOwnRecord)
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
        {"m0 #1028", {}, "&Dup:a,-------,a|&Dup:c,d", "0,-1 11110000"},
        {"m1 #1028", {}, "&Dup:c,d|&Dup:a,-------,a", "0,-1 11110000"},
        {"m0 a0 #1030 a2 #1031", {}, "&Dup:a,-------,a|&Dup:c,d", "0,2 11111111"},
        {"m1 a2 #1030", {}, "&Dup:a,-------,a|&Dup:d,c", "1,1 11111111"},
        {"m1 a0 #1031", {}, "&Dup:a,-------,a|&Dup:d,c", "1,2 11111111"},
    };
    for (const auto& c : cases) {
        MakeMenus({{"&Dup", {"a", "-------", "a"}}, {"&Dup", {"c", "d"}}});
        g_menuHead->next->firstApp->next->separatorBefore = 1;
        seam::state.boxes.clear();
        EXPECT_EQ(RunUserMenus(c.steps, c.names), c.seen) << c.steps;
        EXPECT_EQ(DescribeMenus(), c.menus) << c.steps;
        FreeAllMenus();
    }
}

TEST_F(DialogTest, AMoveKeepsEveryCommandIdAndAFailedOpeningLeaksNothing)
{
    std::vector<MenuSpec> menus(399, MenuSpec{"m", {}});
    menus[397] = {"full", std::vector<std::string>(100, "e")};
    MakeMenus(menus);
    int blocks = seam::LiveHeapBlocks();
    for (const char* steps : {"m397 #1029", "m398 #1028", "m398 ! #1008"}) {
        seam::state.boxes.clear();
        RunUserMenus(steps);
        EXPECT_EQ(seam::BoxTexts(),
                  std::vector<std::string>{strchr(steps, '!') ? "The dialog could not be opened." : NO_ROOM});
    }
    EXPECT_EQ(seam::LiveHeapBlocks(), blocks);
    EXPECT_EQ(DescribeMenus().find("full"), 397 * 3u);  // "m:|" each before it
    FreeAllMenus();
}

TEST_F(DialogTest, FilesDroppedOnUserMenusJoinTheMenuShownWholeOrNotAtAll)
{
    WriteShortcut(Folder() + "Go Now.lnk", "c:\\bin\\go.exe", "-x", "c:\\work");
    const std::string tooLong = "c:\\" + std::string(80, 'p') + ".exe";
    MakeMenus({{"&Full", std::vector<std::string>(MAX_APPS_PER_MENU - 1, "x")}, {"&Tools", {"a"}}});
    StartBar();
    RunEditMenus([&](HWND dialog) {
        seam::SelectRow(dialog, IDC_MENULIST, 1);
        HDROP drop = MakeDrop({"c:\\apps\\7zip.exe", Folder() + "Go Now.lnk", tooLong,
                               "c:\\a\\abcdefghijklmnopqrstuvwxyz0123.txt", "c:\\none.lnk"});
        SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ((std::vector<std::string>{"a", "7&zip", "&Go Now", "&abcdefghijklmnopqrstuvwxyz01"}),
                  seam::Rows(dialog, IDC_APPLIST));
        seam::SelectRow(dialog, IDC_MENULIST, 0);
        SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"c:\\a.exe", "c:\\b.exe"})), 0);
    });
    EXPECT_EQ((std::vector<std::string>{
                  tooLong + "\ncannot be added: its path, parameters or working\ndirectory does not fit in an entry.",
                  "c:\\none.lnk\ncannot be added: the shortcut names no file to start.", NO_ROOM}),
              seam::BoxTexts());
    const AppItem* app = g_menuHead->next->firstApp->next;
    EXPECT_EQ("7&zip|c:\\apps\\7zip.exe||", Entry(app));
    EXPECT_EQ("&Go Now|c:\\bin\\go.exe|-x|c:\\work", Entry(app->next));
    EXPECT_EQ(4, g_menuHead->next->count);
    EXPECT_EQ(MAX_APPS_PER_MENU, g_menuHead->count);
}

TEST_F(DialogTest, AFileDroppedOnTheBarOpensApplicationSetupForTheMenuUnderIt)
{
    MakeMenus({{"&One", {"a"}}, {"&Two", {}}});
    StartBar();
    const struct {
        int item;  // the bar item dropped on; 0 for the clock's place
        const char* menus;
    } cases[] = {{2, "&One:a|&Two:&tool"}, {0, "&One:a,&tool|&Two:&tool"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.item);
        RECT item;
        GetMenuItemRect(g_hwndBar, g_hBarMenu, static_cast<UINT>(c.item ? c.item : GetMenuItemCount(g_hBarMenu) - 1),
                        &item);
        POINT at = {(item.left + item.right) / 2, (item.top + item.bottom) / 2};
        ScreenToClient(g_hwndBar, &at);
        seam::DialogScript script;
        script.On("User Menus", [](HWND) {}).On("Application Setup", [](HWND dialog) {
            EXPECT_EQ("&tool", seam::Text(dialog, IDC_APPNAME));
            EXPECT_EQ("c:\\x\\tool.exe", seam::Text(dialog, IDC_APPPATH));
            seam::Click(dialog, IDOK);
            PostMessageA(g_hwndEdit, WM_COMMAND, IDOK, 0);
        });
        SendMessageA(g_hwndBar, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"c:\\x\\tool.exe"}, at)), 0);
        EXPECT_EQ(c.menus, DescribeMenus());
    }
    ClearBarMenus();
    FreeAllMenus();
    SendMessageA(g_hwndBar, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"c:\\x\\tool.exe"})), 0);
    EXPECT_EQ(
        std::vector<std::string>{"There is no menu to add the file to.\nMake one with New Menu in Edit Menus first."},
        seam::BoxTexts());
}

}  // namespace
