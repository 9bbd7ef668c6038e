#include "tests/support.h"

#include <unistd.h>

#include <filesystem>

#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

class DialogTest : public TolvexTest {
protected:
    // Setup dialogs that the user cancels at once.
    void ResetPlatform() override
    {
        TolvexTest::ResetPlatform();
        setupOpened_ = 0;
        for (int id : {IDD_MENUSETUP, IDD_APPSETUP})
            fw::SetDialogDriver(id, [this, id](HWND dialog) {
                setupOpened_ = id;
                fw::SendToDialog(dialog, WM_COMMAND, IDCANCEL, 0);
            });
    }

    // Opens the Edit Menus dialog and runs steps in it, as the user.
    void RunEditMenus(const std::function<void(HWND)>& steps)
    {
        fw::SetDialogDriver(IDD_EDITMENUS, [&](HWND dialog) {
            steps(dialog);
            EndDialog(dialog, 1);
        });
        ASSERT_EQ(DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_EDITMENUS), NULL, EditProc, 0), 1);
    }

    static void Command(HWND dialog, int id, WORD notification = BN_CLICKED)
    {
        fw::SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
    }

    static void Select(HWND dialog, int list, int row)
    {
        SendDlgItemMessageA(dialog, list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
        Command(dialog, list, LBN_SELCHANGE);
    }

    int setupOpened_ = 0;
};

// Each command that lacks a selection says so once, with or without its
// full stop exactly as the user has always seen it.
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
                Select(dialog, IDC_MENULIST, 0);
            fw::ClearMessageBoxes();
            Command(dialog, c.id, c.notification);
            EXPECT_EQ(BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        }
    });
    EXPECT_EQ(setupOpened_, 0);
    EXPECT_EQ(DescribeMenus(), "&Apps:a,b");
}

// No entry is offered that could not have a command id of its own, and
// when memory runs out nothing half-made stays behind.
TEST_F(DialogTest, NewMenusAndAppsStopAtTheIdsAndAtTheEndOfMemory)
{
    const struct {
        int menus, apps;  // the last menu's entries; it is the one selected
        int id;
        int heapFailsAfter;  // -1: none
        const char* warning;
        int opens;
    } cases[] = {
        {399, 0, IDC_NEWMENU, -1, "There is no room for another menu on the bar.", 0},
        {398, 0, IDC_NEWMENU, -1, nullptr, IDD_MENUSETUP},
        {1, 100, IDC_NEWAPP, -1, "There is no room for another application in this menu.", 0},
        {1, 99, IDC_NEWAPP, -1, nullptr, IDD_APPSETUP},
        {399, 99, IDC_NEWAPP, -1, "There is no room for another application in this menu.", 0},
        {1, 0, IDC_NEWMENU, 0, "Not enough memory to open the dialog.", 0},
        {1, 0, IDC_NEWMENU, 1, "Not enough memory for a new menu.", 0},
        {1, 0, IDC_NEWAPP, 1, "Not enough memory for a new application.", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.menus) + " menus, " + std::to_string(c.apps) + " entries");
        ResetPlatform();
        std::vector<MenuSpec> menus(static_cast<size_t>(c.menus), MenuSpec{"m", {}});
        menus.back().apps.assign(static_cast<size_t>(c.apps), "e");
        menus.back().name = "last";
        MakeMenus(menus);
        int blocks = fw::LiveHeapBlocks();
        RunEditMenus([&](HWND dialog) {
            Select(dialog, IDC_MENULIST, c.menus - 1);
            if (c.heapFailsAfter >= 0)
                fw::FailCalls("HeapAlloc", c.heapFailsAfter, 1);
            Command(dialog, c.id);
        });
        EXPECT_EQ(BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        EXPECT_EQ(setupOpened_, c.opens);
        EXPECT_EQ(fw::LiveHeapBlocks(), blocks);
        FreeAllMenus();
    }
}

TEST_F(DialogTest, TheFileBrowserPutsBackACurrentDirectoryOfAnyLength)
{
    std::string deep(".");
    for (int i = 0; i < 12; i++)
        deep += "/" + std::string(40, 'd');
    std::filesystem::create_directories(deep);
    ASSERT_EQ(chdir(deep.c_str()), 0);
    std::string start = std::filesystem::current_path().string();
    ASSERT_GT(start.size(), 500u);

    fw::SetDialogControls(999, {{IDC_APPPATH, "Edit"}, {IDOK, "Button"}});
    for (BOOL chosen : {TRUE, FALSE}) {
        SCOPED_TRACE(chosen);
        OPENFILENAMEA seen = {};
        fw::OnOpenFileDialog([&](OPENFILENAMEA* request) {
            seen = *request;
            EXPECT_EQ(chdir("/"), 0);  // the user browses elsewhere
            strcpy(request->lpstrFile, "C:\\TOOLS\\EDIT.EXE");
            return chosen;
        });
        std::string edit, result;
        HWND focus = NULL, ok = NULL;
        fw::SetDialogDriver(999, [&](HWND dialog) {
            SetEditText(dialog, IDC_APPPATH, "before");
            SetFocus(NULL);
            result = std::to_string(FindFile(FIND_EXECUTABLE, dialog));
            char text[APP_PATH_SIZE];
            ReadEditText(dialog, IDC_APPPATH, text, sizeof text);
            edit = text;
            focus = GetFocus();
            ok = GetDlgItem(dialog, IDOK);
            EndDialog(dialog, 1);
        });
        DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(999), NULL, NULL, 0);
        EXPECT_EQ(result, "0");
        EXPECT_EQ(std::filesystem::current_path().string(), start);
        EXPECT_EQ(edit, chosen ? "C:\\TOOLS\\EDIT.EXE" : "before");
        EXPECT_EQ(focus, chosen ? ok : NULL);
        EXPECT_EQ(seen.lStructSize, 76u);
        EXPECT_EQ(seen.Flags, 0x1814u);
        EXPECT_EQ(seen.nMaxFile, 80u);
        EXPECT_EQ(seen.nFilterIndex, 1u);
        EXPECT_STREQ(seen.lpstrTitle, "Find Executable...");
        static const char filter[] = "Executables\0*.EXE;*.COM;*.BAT;*.PIF\0All Files\0*.*\0";
        EXPECT_EQ(std::string(seen.lpstrFilter, sizeof filter), std::string(filter, sizeof filter));
    }
}

}  // namespace
