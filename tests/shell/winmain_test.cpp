// Start-up and the end of the program as a whole, WinMain run in-process.
#include "tests/shell/bar.h"

namespace {

class WinMainTest : public BarTest {
protected:
    void SetUp() override
    {
        BarTest::SetUp();
        UnregisterClassA(BAR_CLASS_NAME, g_hInstance);  // as a fresh process has it
    }
    static int Run()
    {
        return WinMain(g_hInstance, NULL, const_cast<LPSTR>("--any arguments"), SW_SHOWMINIMIZED);
    }
    // A timer set once the loop runs comes after the bar's own.
    static void ExitWhenRunning(std::function<void()> look)
    {
        look_ = std::move(look);
        SetTimer(NULL, 0, 0, LookSoon);
    }
    static void CALLBACK LookSoon(HWND, UINT, UINT_PTR timer, DWORD)
    {
        KillTimer(NULL, timer);
        SetTimer(NULL, 0, 0, LookAndExit);
    }
    static void CALLBACK LookAndExit(HWND, UINT, UINT_PTR timer, DWORD)
    {
        KillTimer(NULL, timer);
        look_();
        PostMessageA(g_hwndBar, WM_COMMAND, IDM_EXIT, 0);
    }
    static inline std::function<void()> look_;
};

TEST_F(WinMainTest, AFirstRunStartsInOrderAndExitSavesEverythingThenEndsWithZero)
{
    bool settingsFirst = false;
    seam::state.onBox = [&](const seam::Box&) {  // the first-run box
        settingsFirst = seam::Calls("RegisterClassA") == 0 && seam::Calls("CreateFileW") == 0;
    };
    bool running = false;
    LONG exStyle = 0;
    ExitWhenRunning([&] {
        running = IsWindowVisible(g_hwndBar) && g_hHook;
        exStyle = GetWindowLongA(g_hwndBar, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE;
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(running);
    EXPECT_EQ(exStyle, 0x88 | WS_EX_ACCEPTFILES) << "the system's version gives the tool-window style";
    ASSERT_EQ(seam::state.boxes.size(), 1u);
    EXPECT_TRUE(settingsFirst);
    EXPECT_EQ(seam::state.boxes[0].text.rfind(
                  "Thanks for trying Tolvex!  If you find\nany bugs, please report them to\r\n", 0),
              0u);

    EXPECT_EQ(ReadFileBytes("apps.tx").size(), 1028u);
    EXPECT_EQ(ReadSettings(), MemorySettings());
}

TEST_F(WinMainTest, WithoutTheSystemsVersionTheShellIsTakenForNew)
{
    StoreSettings(Bytes(92, 0));  // no first run
    seam::Fail("GetVersionExA");
    LONG exStyle = 0;
    ExitWhenRunning([&] { exStyle = GetWindowLongA(g_hwndBar, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE; });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(exStyle, 0x80 | WS_EX_ACCEPTFILES);
}

TEST_F(WinMainTest, NoClassOrNoWindowEndsQuietly)
{
    for (const char* call : {"RegisterClassA", "CreateWindowExA"}) {
        SCOPED_TRACE(call);
        StoreSettings(Bytes(92, 0));
        seam::Fail(call);
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(seam::state.boxes.empty());
        EXPECT_FALSE(FileExists("apps.tx"));
        FreeAllMenus();
        UnregisterClassA(BAR_CLASS_NAME, g_hInstance);
    }
}

TEST_F(WinMainTest, AnOldDataFileEndsStartUpWithoutABarOrASave)
{
    const Bytes image = {99, 0, 0, 0};
    WriteFileBytes("apps.tx", image);
    StoreSettings(Bytes(92, 0));
    bool barUnderBox = true;
    seam::state.onBox = [&](const seam::Box&) { barUnderBox = FindWindowA(BAR_CLASS_NAME, NULL) != NULL; };
    EXPECT_EQ(seam::RunToExit([] { Run(); }), 0);
    EXPECT_EQ(seam::BoxTexts(),
              std::vector<std::string>{"Old data file found.  Please\ndelete it and restart Tolvex."});
    EXPECT_FALSE(barUnderBox);
    EXPECT_EQ(ReadFileBytes("apps.tx"), image);
    EXPECT_EQ(ReadSettings(), Bytes(92, 0));
}

// The process may end as soon as WM_ENDSESSION returns, and the open dialog
// still uses the records: everything is saved at once, nothing freed, and
// the process ends. It runs in a process of its own, in this test's folder.
TEST_F(WinMainTest, TheSessionsEndUnderAnOpenDialogSavesAtOnceAndFreesNothing)
{
    char folder[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("TOLVEX_TEST_FOLDER", folder, sizeof folder))  // the child keeps its parent's
        SetEnvironmentVariableA("TOLVEX_TEST_FOLDER", Folder().c_str());
    EXPECT_EXIT(
        {
            GetEnvironmentVariableA("TOLVEX_TEST_FOLDER", folder, sizeof folder);
            SetCurrentDirectoryA(folder);
            ResolveDataFilePath();
            // The toolbar goes after the saves, just before the end. The
            // shell is not told: it would keep the strip of a process that
            // ended under a test.
            int blocks = -1;
            seam::state.appBar = [&blocks](DWORD message, APPBARDATA*) -> UINT_PTR {
                if (message == ABM_REMOVE && (seam::LiveHeapBlocks() != blocks || !g_menuHead))
                    ExitProcess(3);  // something was freed
                return TRUE;
            };
            StartBarOver();
            blocks = seam::LiveHeapBlocks();
            RunFromBar(IDM_ABOUT, "About Tolvex", [](HWND) { Send(WM_ENDSESSION, TRUE); });
            ExitProcess(2);  // the session's end did not end the process
        },
        ::testing::ExitedWithCode(0), "");
    SetEnvironmentVariableA("TOLVEX_TEST_FOLDER", NULL);
    EXPECT_TRUE(FileExists("apps.tx"));
    EXPECT_FALSE(ReadSettings().empty());
}

}  // namespace
