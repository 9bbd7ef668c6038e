// Launching through the shell: what it receives for an entry, what today's
// shell expects of the launcher, and the system libraries that are loaded
// only when first used.
#include <objbase.h>

#include "base/syslib.h"
#include "dialogs/dialogs.h"
#include "tests/support.h"

namespace {

AppItem Entry(const std::string& path)
{
    AppItem app;
    InitAppItem(&app);
    CopyText(app.path, sizeof app.path, path.c_str());
    return app;
}

void HoldCtrlShift(bool held)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_SHIFT] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

using LaunchTest = TolvexTest;

TEST_F(LaunchTest, TheShellGetsTheVariablesValuesAndTheVerbTheKeysAsk)
{
    struct Case {
        const char *path, *params, *dir;
        bool ctrlShift;
        const char *verb, *file, *wantParams, *wantDir;
    };
    const Case cases[] = {
        {"%TX_T%\\x.exe", "-f \"%TX_T% two\"", "%TX_T%", false, "open", "c:\\t\\x.exe", "-f \"c:\\t two\"", "c:\\t"},
        {"%TX_NONE%\\y.exe", "%TX_NONE%", "", false, "open", "%TX_NONE%\\y.exe", "%TX_NONE%", ""},
        {"c:\\z.exe", "", "", true, "runas", "c:\\z.exe", "", ""},
    };
    SetEnvironmentVariableA("TX_T", "c:\\t");
    MakeMenus({{"&One", {"a"}}});
    StartBar();
    AppItem* app = g_menuHead->firstApp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        seam::Reset();
        CopyText(app->path, sizeof app->path, c.path);
        CopyText(app->params, sizeof app->params, c.params);
        CopyText(app->workDir, sizeof app->workDir, c.dir);
        HoldCtrlShift(c.ctrlShift);
        SendMessageA(g_hwndBar, WM_COMMAND, static_cast<WPARAM>(AppCommandId(1, 1)), 0);
        HoldCtrlShift(false);
        ASSERT_EQ(1u, seam::state.launches.size());
        const seam::Launch& launch = seam::state.launches[0];
        EXPECT_EQ(g_hwndBar, launch.owner);
        EXPECT_EQ(c.verb, launch.verb);
        EXPECT_EQ(c.file, launch.file);
        EXPECT_EQ(c.wantParams, launch.params);
        EXPECT_EQ(c.wantDir, launch.dir);
        EXPECT_EQ(SW_RESTORE, launch.show);
        EXPECT_STREQ(c.path, app->path);
        EXPECT_TRUE(seam::state.boxes.empty());
    }
    SetEnvironmentVariableA("TX_T", NULL);
}

// Under Wine a missing file and a missing folder both give 2. An elevation
// prompt the user said no to is no failure.
TEST_F(LaunchTest, EachFailureGivesOneWarning)
{
    const struct {
        UINT_PTR result;
        DWORD error;
        const char* text;
    } cases[] = {
        {2, 0, "File/Executable not found.\nCheck application setup."},
        {3, 0, "Path not found.\nCheck application setup."},
        {8, 0, "Insufficient memory to start application."},
        {31, 0, "ShellExec returned error code: 31"},
        {0, 0, "ShellExec returned error code: 0"},
        {32, 0, "ShellExec returned error code: 32"},
        {SE_ERR_ACCESSDENIED, ERROR_ACCESS_DENIED, "ShellExec returned error code: 5"},
        {SE_ERR_ACCESSDENIED, ERROR_CANCELLED, nullptr},
        {33, 0, nullptr},
    };
    AppItem app = Entry("c:\\nothere.exe");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.result);
        seam::state.boxes.clear();
        seam::state.shellResult = c.result;
        seam::state.shellError = c.error;
        EXPECT_EQ(c.result > 32 ? 1 : 0, LaunchApp(&app, true));
        EXPECT_EQ(c.text ? std::vector<std::string>{c.text} : std::vector<std::string>{}, seam::BoxTexts());
    }
    SetEnvironmentVariableA("TX_LONG", std::string(MAX_PATH, 'x').c_str());
    app = Entry("%TX_LONG%");
    EXPECT_EQ(0, LaunchApp(&app, false));
    SetEnvironmentVariableA("TX_LONG", NULL);
    EXPECT_EQ(seam::BoxTexts(),
              std::vector<std::string>{"The entry's variables make its path, parameters\nor "
                                       "working directory too long."});
}

// COM is started once before the first launch, apartment-threaded with OLE1
// DDE off, and ended as often as started. Under WOW64 the system folder is
// handed over through its alias; other paths, and the entry, stay as they are.
TEST_F(LaunchTest, TheShellGetsComAndUnderWow64TheSystemFolderThroughSysnative)
{
    char dir[MAX_PATH];
    GetSystemDirectoryA(dir, sizeof dir);
    const std::string system = dir, windows = system.substr(0, system.rfind('\\'));
    const std::string tool = system + "\\wsl.exe", native = windows + "\\Sysnative\\wsl.exe";
    const struct {
        const char* what;
        bool wow64;
        const char* fails;
        int failures;
        std::string path, handed;
        int comStarts;
    } cases[] = {
        {"a tool of the system folder", true, nullptr, 0, tool, native, 1},
        {"its subfolder in other case", true, nullptr, 0, windows + "\\SYSTEM32\\drivers\\x.exe",
         windows + "\\Sysnative\\drivers\\x.exe", 1},
        {"a folder of a longer name; ole32 not loaded", true, "LoadLibraryExA", 1, system + "x\\a.exe",
         system + "x\\a.exe", 0},
        {"the Windows folder", true, nullptr, 0, windows + "\\notepad.exe", windows + "\\notepad.exe", 1},
        {"no WOW64", false, nullptr, 0, tool, tool, 1},
        {"no system folder", true, "GetSystemDirectoryA", 2, tool, tool, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        seam::Reset();
        seam::state.wow64 = c.wow64;
        if (c.fails)
            seam::Fail(c.fails, 1, ERROR_MOD_NOT_FOUND, c.failures);
        AppItem app = Entry(c.path);
        EXPECT_EQ(2, LaunchApp(&app) + LaunchApp(&app));
        EXPECT_EQ(c.path, app.path);
        ASSERT_EQ(2u, seam::state.launches.size());
        EXPECT_EQ(c.handed, seam::state.launches[0].file);
        EXPECT_EQ(c.comStarts, seam::Calls("CoInitializeEx"));
        EXPECT_EQ(c.comStarts ? DWORD(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE) : 0u, seam::state.comFlags);
        EndLaunchCom();
        EXPECT_EQ(c.comStarts, seam::Calls("CoUninitialize"));
    }

    // COM already started on the thread is balanced all the same.
    seam::Reset();
    auto init = SystemProc<decltype(&CoInitializeEx)>("ole32.dll", "CoInitializeEx");
    auto uninit = SystemProc<decltype(&CoUninitialize)>("ole32.dll", "CoUninitialize");
    ASSERT_TRUE(SUCCEEDED(init(NULL, COINIT_APARTMENTTHREADED)));
    AppItem app = Entry(tool);
    LaunchApp(&app);
    EndLaunchCom();
    EXPECT_EQ(2, seam::Calls("CoInitializeEx"));
    EXPECT_EQ(1, seam::Calls("CoUninitialize"));
    uninit();

    // The alias is handed over only when it fits whole.
    seam::state.wow64 = true;
    char out[MAX_PATH];
    for (size_t size : {native.size() + 1, native.size()}) {
        ShellPath(tool.c_str(), out, size);
        EXPECT_EQ(size > native.size() ? native : tool, out);
    }
}

// A library that start-up does not load is loaded from the system folder only.
TEST_F(LaunchTest, ALibraryThatCannotBeLoadedGivesItsCallersWarning)
{
    StartBar();
    StartLaunchCom();  // COM's own loads are another test's
    WriteFileBytes("gong.wav", Bytes(44, 0));
    const struct {
        const char* library;
        std::function<void()> use;
        std::function<size_t()> reached;
        const char* warning;
    } uses[] = {
        {"shell32",
         [] {
             AppItem app = Entry("c:\\x.exe");
             LaunchApp(&app);
         },
         [] { return seam::state.launches.size(); }, "ShellExec returned error code: 32"},
        {"winmm",
         [] {
             g_userVars.chime = 1;
             CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "gong.wav");
             seam::SetLocalTime(9, 0);
             EXPECT_EQ(1, UpdateClock());
         },
         [] { return seam::state.sounds.size(); }, "Error playing WAV file.\nCheck path and filename."},
        {"comdlg32", [] { FindFile(FIND_EXECUTABLE, NULL); },
         [] { return static_cast<size_t>(seam::Calls("GetOpenFileNameW")); }, "The file browser could not be opened."},
    };
    const struct {
        const char* fails;
        DWORD error;
        bool reached;
        int loads;  // by name, then by full path
    } ways[] = {
        {nullptr, 0, true, 1},
        {"LoadLibraryExA", ERROR_MOD_NOT_FOUND, false, 1},
        {"GetProcAddress", ERROR_PROC_NOT_FOUND, false, 1},
        // A system that does not know the flag: the full path instead.
        {"LoadLibraryExA", ERROR_INVALID_PARAMETER, true, 2},
    };
    char dir[MAX_PATH];
    GetCurrentDirectoryA(sizeof dir, dir);
    for (const auto& use : uses) {
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(use.library) + " " + (way.fails ? way.fails : "loads") + " " +
                         std::to_string(way.error));
            seam::Reset();
            if (way.fails)
                seam::Fail(way.fails, 1, way.error);
            use.use();
            EXPECT_EQ(way.reached ? 1u : 0u, use.reached());
            EXPECT_EQ(way.reached ? std::vector<std::string>{} : std::vector<std::string>{use.warning},
                      seam::BoxTexts());
            EXPECT_EQ(way.loads, seam::Calls("LoadLibraryExA"));
            EXPECT_EQ(0, seam::Calls("LoadLibraryA"));
            char now[MAX_PATH];
            GetCurrentDirectoryA(sizeof now, now);
            EXPECT_STREQ(dir, now);
        }
    }
}

TEST_F(LaunchTest, TheProgramsFolderAndTheUsersNewVariablesReachLaunchedPrograms)
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
    LPWCH before = GetEnvironmentStringsW();  // for the later tests: Wine's shell fails in a sign-in's
    StartBar();
    SendMessageA(g_hwndBar, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>("Environment"));
    RegDeleteValueA(key, "TX_FRESH");
    RegCloseKey(key);
    AppItem app = Entry("%TX_FRESH%\\%TOLVEX_DIR%");
    LaunchApp(&app);
    SetEnvironmentStringsW(before);
    FreeEnvironmentStringsW(before);
    ASSERT_EQ(1u, seam::state.launches.size());
    EXPECT_EQ(std::string("c:\\fresh\\") + exe, seam::state.launches[0].file);
}

}  // namespace
