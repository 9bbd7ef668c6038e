#include "tests/support.h"

#include "resources/resource.h"

void TolvexTest::SetUp()
{
    seam::Install();
    seam::Reset();
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    oldDir_ = dir;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    static int serial = 0;
    folder_ = std::string(temp) + "tolvex-test-" + std::to_string(GetCurrentProcessId()) + "-" +
        std::to_string(++serial) + "\\";
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), NULL));
    ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);

    g_hInstance = GetModuleHandleA(NULL);
    g_hwndBar = NULL;
    g_fatalErrorBegun = false;
    SetFatalTeardown(TearDownBar);
    g_newShell = 1;
    g_dataFileVersion = DATAFILE_VERSION;
    g_userVars = UserVars{};
    ResolveDataFilePath();
}

void TolvexTest::TearDown()
{
    // What a test left of the bar goes as at Exit, unsaved.
    ClearBarMenus();
    FreeMenuIcons();
    FreeAllMenus();
    if (g_hwndBar && IsWindow(g_hwndBar))
        TearDownBar();
    RemoveMaximizeHook();
    EndLaunchCom();
    g_hwndBar = NULL;
    g_hBarMenu = NULL;
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        ;  // a quit or a close left for a loop that no longer runs
    seam::Reset();
    SetCurrentDirectoryA(oldDir_.c_str());
    DeleteTree(folder_);
}

void TolvexTest::MakeMenus(const std::vector<MenuSpec>& menus)
{
    ::MakeMenus(FileMenus(menus));
}

void TolvexTest::StartBar()
{
    ASSERT_TRUE(RegisterBarClass() || GetLastError() == ERROR_CLASS_ALREADY_EXISTS);
    ASSERT_TRUE(CreateBar());
    TakeBarPlace();  // without waiting for its timer
    Pump();
}

void TolvexTest::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // for the test to see
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<std::string> MenuTexts(HMENU menu)
{
    std::vector<std::string> texts;
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        char text[256] = "";
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}
