#include "tests/shell/bartest.h"

#include <algorithm>

#include "resources/resource.h"

namespace {

class WinMainTest : public BarTest {
protected:
    int Run(const char* commandLine = "")
    {
        return WinMain(g_hInstance, NULL, const_cast<LPSTR>(commandLine), SW_SHOWMINIMIZED);
    }
    // Exits through the command popup as soon as the loop waits for input,
    // after running `look` on the running bar.
    void ExitWhenIdle(std::function<void()> look = [] {})
    {
        fw::OnIdle([look] {
            look();
            PostMessageA(g_hwndBar, WM_COMMAND, IDM_EXIT, 0);
        });
    }
    static size_t Position(const std::string& call, size_t from = 0)
    {
        const std::vector<std::string>& log = fw::CallLog();
        return static_cast<size_t>(std::find(log.begin() + static_cast<long>(from), log.end(), call) - log.begin());
    }
};

TEST_F(WinMainTest, ASecondStartBringsTheRunningBarUpAndDoesNothingElse)
{
    HWND running = fw::CreateTestWindow("TXClass", "Tolvex");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(fw::BringToTopCount(running), 1);
    EXPECT_EQ(fw::CallCount("RegCreateKeyExA"), 0);
    EXPECT_EQ(fw::CallCount("CreateFileA"), 0);
    EXPECT_TRUE(fw::MessageBoxes().empty());
    EXPECT_EQ(fw::TopLevelWindows().size(), 1u);
}

TEST_F(WinMainTest, AFirstRunStartsInOrderAndExitSavesEverythingThenEndsWithZero)
{
    fw::SetLocalTime(12, 0);
    bool running = false;
    ExitWhenIdle([&] { running = fw::WindowExists(g_hwndBar) && fw::GetWindowInfo(g_hwndBar).visible; });
    EXPECT_EQ(Run("--any arguments"), 0);
    EXPECT_TRUE(running);

    // Start-up order, then the saves: the data file before the settings.
    size_t find = Position("FindWindowA"), version = Position("GetVersionExA"), settings = Position("RegCreateKeyExA"),
           cls = Position("RegisterClassA"), data = Position("CreateFileA"), window = Position("CreateWindowExA"),
           dataSaved = Position("MoveFileExA"), settingsSaved = Position("RegSetValueExA", dataSaved),
           teardown = Position("DestroyWindow", settingsSaved);
    EXPECT_LT(find, version);
    EXPECT_LT(version, settings);
    EXPECT_LT(settings, cls);
    EXPECT_LT(cls, data);
    EXPECT_LT(data, window);
    EXPECT_LT(window, dataSaved);
    EXPECT_LT(dataSaved, settingsSaved);
    EXPECT_LT(settingsSaved, teardown);
    EXPECT_LT(teardown, fw::CallLog().size());

    EXPECT_EQ(ReadFileBytes("apps.tx").size(), 1028u);
    EXPECT_EQ(BoxTexts().size(), 1u);  // the first-run box
    EXPECT_TRUE(fw::TopLevelWindows().empty());
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_TRUE(fw::Timers().empty());
    EXPECT_EQ(fw::LiveHeapBlocks(), 0);
    EXPECT_EQ(fw::LiveMenuCount(), 0);
    EXPECT_NE(RegisterBarClass(), 0) << "the class was unregistered";
}

TEST_F(WinMainTest, TheSystemVersionDecidesTheToolWindowStyle)
{
    const struct {
        DWORD major;
        bool fail;
        DWORD exStyle;
    } cases[] = {{3, false, 0x08}, {4, false, 0x88}, {10, false, 0x88}, {3, true, 0x88}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.major);
        fw::Reset();
        fw::SetMenuResource(IDR_BARMENU, MakeBarMenuTemplate);
        fw::SetVersion(c.major, 0);
        if (c.fail)
            fw::FailCalls("GetVersionExA");
        DWORD exStyle = 0;
        ExitWhenIdle([&] { exStyle = fw::GetWindowInfo(g_hwndBar).exStyle; });
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(exStyle, c.exStyle);
    }
}

TEST_F(WinMainTest, NoClassOrNoWindowEndsQuietly)
{
    for (const char* api : {"RegisterClassA", "CreateWindowExA"}) {
        SCOPED_TRACE(api);
        fw::Reset();
        fw::SetMenuResource(IDR_BARMENU, MakeBarMenuTemplate);
        fw::RegSetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars", REG_BINARY, Bytes(92, 0));
        fw::FailCalls(api);
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(fw::MessageBoxes().empty());
        EXPECT_TRUE(fw::TopLevelWindows().empty());
        EXPECT_FALSE(FileExists("apps.tx"));
        FreeAllMenus();
    }
}

TEST_F(WinMainTest, AnOldDataFileEndsStartUpWithoutABarOrASave)
{
    Bytes image = {99, 0, 0, 0};
    WriteFileBytes("apps.tx", image);
    Bytes settings(92, 0);
    fw::RegSetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars", REG_BINARY, settings);
    ExpectProcessEnds([this] { Run(); });
    ASSERT_EQ(fw::MessageBoxes().size(), 1u);
    EXPECT_EQ(fw::MessageBoxes()[0].owner, nullptr);
    EXPECT_EQ(fw::MessageBoxes()[0].title, "Fatal Tolvex Error");
    EXPECT_TRUE(fw::TopLevelWindows().empty());
    EXPECT_EQ(ReadFileBytes("apps.tx"), image);
    EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);
    EXPECT_NE(RegisterBarClass(), 0) << "the class was unregistered";
}

}  // namespace
