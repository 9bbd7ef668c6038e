// Files dropped on User Menus and on the bar become entries, a shortcut as
// its target; what does not fit is refused by name.
#include "tests/support.h"

#include <objbase.h>
#include <shlobj.h>

#include "base/syslib.h"
#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

using DropTest = TolvexTest;

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

}  // namespace

TEST_F(DropTest, FilesDroppedOnUserMenusJoinTheMenuShownWholeOrNotAtAll)
{
    WriteShortcut(Folder() + "Go Now.lnk", "c:\\bin\\go.exe", "-x", "c:\\work");
    const std::string tooLong = "c:\\" + std::string(80, 'p') + ".exe";
    MakeMenus({{"&One", {}}, {"&Tools", {"a"}}});
    HDROP drop = MakeDrop({"c:\\apps\\7zip.exe", Folder() + "Go Now.lnk", tooLong,
                           "c:\\a\\abcdefghijklmnopqrstuvwxyz0123.txt", "c:\\none.lnk"});
    seam::DialogScript script;
    script.On("User Menus", [&](HWND dialog) {
        seam::SelectRow(dialog, IDC_MENULIST, 1);
        SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ((std::vector<std::string>{"a", "7&zip", "&Go Now", "&abcdefghijklmnopqrstuvwxyz01"}),
                  seam::Rows(dialog, IDC_APPLIST));
        seam::Click(dialog, IDOK);
    });
    StartBar();
    RunBarDialog(IDD_EDITMENUS, EditProc);
    EXPECT_EQ((std::vector<std::string>{
                  tooLong + "\ncannot be added: its path, parameters or working\ndirectory does not fit in an entry.",
                  "c:\\none.lnk\ncannot be added: the shortcut names no file to start."}),
              seam::BoxTexts());
    const AppItem* app = g_menuHead->next->firstApp->next;
    EXPECT_EQ("7&zip|c:\\apps\\7zip.exe||", Entry(app));
    EXPECT_EQ("&Go Now|c:\\bin\\go.exe|-x|c:\\work", Entry(app->next));
    EXPECT_EQ(4, g_menuHead->next->count);
}

TEST_F(DropTest, AFullMenuTakesNoMoreDroppedFiles)
{
    MakeMenus({{"&Full", std::vector<std::string>(MAX_APPS_PER_MENU - 1, "x")}});
    HDROP drop = MakeDrop({"c:\\a.exe", "c:\\b.exe"});
    seam::DialogScript script;
    script.On("User Menus", [&](HWND dialog) {
        seam::SelectRow(dialog, IDC_MENULIST, 0);
        SendMessageA(dialog, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        seam::Click(dialog, IDOK);
    });
    StartBar();
    RunBarDialog(IDD_EDITMENUS, EditProc);
    EXPECT_EQ(MAX_APPS_PER_MENU, g_menuHead->count);
    EXPECT_EQ(std::vector<std::string>{"There is no room for another application in this menu."}, seam::BoxTexts());
}

TEST_F(DropTest, AFileDroppedOnTheBarOpensApplicationSetupForTheMenuUnderIt)
{
    struct Case {
        int item;  // the bar item dropped on; 0 for the clock's place
        std::string menus;
    };
    const Case cases[] = {
        {2, "&One:a|&Two:&tool"},
        {0, "&One:a,&tool|&Two:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        seam::Reset();
        FreeAllMenus();
        MakeMenus({{"&One", {"a"}}, {"&Two", {}}});
        StartBar();
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
        ClearBarMenus();
        TearDownBar();
    }
    FreeAllMenus();
    StartBar();
    SendMessageA(g_hwndBar, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({"c:\\x\\tool.exe"})), 0);
    EXPECT_EQ(
        std::vector<std::string>{"There is no menu to add the file to.\nMake one with New Menu in Edit Menus first."},
        seam::BoxTexts());
}
