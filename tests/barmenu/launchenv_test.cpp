// What the shell receives for an entry: its variables expanded, the
// administrator's verb with Ctrl+Shift, and the environment of now.
#include "tests/support.h"

namespace {

using LaunchEnvTest = TolvexTest;

void HoldCtrlShift(bool held)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

void SetEntry(AppItem* app, const char* path, const char* params, const char* dir)
{
    CopyText(app->path, sizeof app->path, path);
    CopyText(app->params, sizeof app->params, params);
    CopyText(app->workDir, sizeof app->workDir, dir);
}

}  // namespace

TEST_F(LaunchEnvTest, TheShellGetsTheVariablesValuesAndTheVerbTheKeysAsk)
{
    struct Case {
        const char *path, *params, *dir;
        bool ctrlShift;
        const char *verb, *file, *wantParams, *wantDir;
    };
    const Case cases[] = {
        {"%TX_T%\\x.exe", "-f %TX_T%", "%TX_T%", false, "open", "c:\\t\\x.exe", "-f c:\\t", "c:\\t"},
        {"%TX_NONE%\\y.exe", "%TX_NONE%", "", false, "open", "%TX_NONE%\\y.exe", "%TX_NONE%", ""},
        {"c:\\z.exe", "", "", true, "runas", "c:\\z.exe", "", ""},
    };
    SetEnvironmentVariableA("TX_T", "c:\\t");
    MakeMenus({{"&One", {"a"}}});
    StartBar();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        seam::Reset();
        SetEntry(g_menuHead->firstApp, c.path, c.params, c.dir);
        HoldCtrlShift(c.ctrlShift);
        SendMessageA(g_hwndBar, WM_COMMAND, static_cast<WPARAM>(AppCommandId(1, 1)), 0);
        HoldCtrlShift(false);
        ASSERT_EQ(1u, seam::Launches().size());
        const seam::Launch& launch = seam::Launches()[0];
        EXPECT_EQ(c.verb, launch.verb);
        EXPECT_EQ(c.file, launch.file);
        EXPECT_EQ(c.wantParams, launch.params);
        EXPECT_EQ(c.wantDir, launch.dir);
        // What the user typed stays in the entry.
        EXPECT_STREQ(c.path, g_menuHead->firstApp->path);
    }
    SetEnvironmentVariableA("TX_T", NULL);
}

TEST_F(LaunchEnvTest, AnElevationPromptSaidNoToIsNoFailure)
{
    MakeMenus({{"&One", {"a"}}});
    StartBar();
    seam::SetShellResult(SE_ERR_ACCESSDENIED, ERROR_CANCELLED);
    EXPECT_EQ(0, LaunchApp(g_menuHead->firstApp, true));
    EXPECT_TRUE(seam::BoxTexts().empty());
    seam::SetShellResult(SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED);
    EXPECT_EQ(0, LaunchApp(g_menuHead->firstApp, true));
    EXPECT_EQ(std::vector<std::string>{"ShellExec returned error code: 5"}, seam::BoxTexts());
}

TEST_F(LaunchEnvTest, TheProgramsFolderAndTheUsersNewVariablesReachLaunchedPrograms)
{
    char exe[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    *strrchr(exe, '\\') = '\0';
    SetProgramFolderVariable();
    char dir[MAX_PATH] = "";
    GetEnvironmentVariableA("TOLVEX_DIR", dir, sizeof dir);
    EXPECT_STREQ(exe, dir);

    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Environment", 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
    RegSetValueExA(key, "TX_FRESH", 0, REG_SZ, reinterpret_cast<const BYTE*>("c:\\fresh"), 9);
    MakeMenus({{"&One", {"a"}}});
    StartBar();
    SetEntry(g_menuHead->firstApp, "%TX_FRESH%\\%TOLVEX_DIR%", "", "");
    SendMessageA(g_hwndBar, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
    RegDeleteValueA(key, "TX_FRESH");
    RegCloseKey(key);
    LaunchApp(g_menuHead->firstApp);
    ASSERT_EQ(1u, seam::Launches().size());
    EXPECT_EQ(std::string("c:\\fresh\\") + exe, seam::Launches()[0].file);
}
