#include "tests/support.h"

#include <objbase.h>

#include <algorithm>
#include <tuple>

namespace {

class LaunchTest : public TolvexTest { };

TEST_F(LaunchTest, TheShellOpensThePathWithItsParametersAndDirectory)
{
    g_hwndBar = fw::CreateTestWindow("Bar", "Tolvex");
    AppItem app;
    InitAppItem(&app);
    CopyText(app.path, sizeof app.path, "c:\\tools\\edit.exe");
    EXPECT_EQ(LaunchApp(&app), 1);
    CopyText(app.params, sizeof app.params, "-n file.txt");
    CopyText(app.workDir, sizeof app.workDir, "c:\\work");
    LaunchApp(&app);
    ASSERT_EQ(fw::ShellExecuteCalls().size(), 2u);
    const fw::ShellExecuteCall& empty = fw::ShellExecuteCalls()[0];
    EXPECT_FALSE(empty.paramsNull || empty.dirNull) << "empty texts are passed, not left out";
    const fw::ShellExecuteCall& call = fw::ShellExecuteCalls()[1];
    EXPECT_EQ(call.owner, g_hwndBar);
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "c:\\tools\\edit.exe");
    EXPECT_EQ(call.params, "-n file.txt");
    EXPECT_EQ(call.dir, "c:\\work");
    EXPECT_EQ(call.show, SW_RESTORE);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

TEST_F(LaunchTest, EachFailureGivesOneWarning)
{
    const std::pair<INT_PTR, std::string> cases[] = {
        {2, "File/Executable not found.\nCheck application setup."},
        {3, "Path not found.\nCheck application setup."},
        {8, "Insufficient memory to start application."},
        {31, "ShellExec returned error code: 31"},
        {0, "ShellExec returned error code: 0"},
        {32, "ShellExec returned error code: 32"},
    };
    AppItem app;
    InitAppItem(&app);
    for (const auto& [result, text] : cases) {
        fw::ClearMessageBoxes();
        fw::SetShellExecuteResult(result);
        EXPECT_EQ(LaunchApp(&app), 0) << result;
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{text});
    }
    fw::SetShellExecuteResult(33);
    fw::ClearMessageBoxes();
    EXPECT_EQ(LaunchApp(&app), 1);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

// COM is started once before the first launch, apartment-threaded with OLE1
// DDE off, and ended as often as started; under WOW64 the system folder is
// handed over through its alias, other paths and the entry itself as they are.
TEST_F(LaunchTest, TheShellGetsComAndUnderWow64TheSystemFolderThroughSysnative)
{
    const std::string tool = "C:\\Windows\\System32\\wsl.exe", native = "C:\\WINDOWS\\Sysnative\\wsl.exe";
    const DWORD sta = COINIT_APARTMENTTHREADED, ours = sta | COINIT_DISABLE_OLE1DDE;
    const struct {
        bool comBefore, wow64;
        const char* fails;
        std::string path, handed;
        int depth;
        DWORD flags;
    } cases[] = {
        {false, true, nullptr, tool, native, 1, ours},
        {true, true, nullptr, "c:\\windows\\SYSTEM32\\drivers\\x.exe", "C:\\WINDOWS\\Sysnative\\drivers\\x.exe", 2,
         sta},
        {false, true, "LoadLibraryExA", "C:\\WINDOWS\\System32x\\a.exe", "C:\\WINDOWS\\System32x\\a.exe", 0, 0},
        {false, true, nullptr, "C:\\WINDOWS\\notepad.exe", "C:\\WINDOWS\\notepad.exe", 1, ours},
        {false, false, nullptr, tool, tool, 1, ours},
        {false, true, "GetSystemDirectoryA", tool, tool, 1, ours},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        ResetPlatform();
        fw::SetWow64(c.wow64);
        if (c.comBefore)
            CoInitializeEx(NULL, sta);
        // Loading ole32 is the first load; the shell's library comes after it.
        if (c.fails)
            fw::FailCalls(c.fails, 0, std::string(c.fails) == "LoadLibraryExA" ? 1 : -1);
        AppItem app;
        InitAppItem(&app);
        CopyText(app.path, sizeof app.path, c.path.c_str());
        EXPECT_EQ(LaunchApp(&app) + LaunchApp(&app), 2);
        EXPECT_EQ(std::string(app.path), c.path);
        const std::vector<std::string>& loads = fw::LoadedLibraries();
        EXPECT_EQ(std::count(loads.begin(), loads.end(), "ole32.dll"), 2);  // the first launch only
        for (const fw::ShellExecuteCall& call : fw::ShellExecuteCalls())
            EXPECT_EQ(std::tie(call.file, call.comDepth, call.comFlags), std::tie(c.handed, c.depth, c.flags));
        EndLaunchCom();
        EXPECT_EQ(fw::CallCount("CoUninitialize"), c.depth > 0 ? 1 : 0);
    }
    ResetPlatform();
    fw::SetWow64(true);
    fw::FailCalls("GetProcAddress");  // no IsWow64Process: no WOW64 either
    char out[29];
    const std::pair<size_t, std::string> sizes[] = {{29, tool}, {28 /* one short */, tool}, {29, native}};
    for (const auto& [size, handed] : sizes) {
        ShellPath(tool.c_str(), out, size);
        EXPECT_EQ(out, handed);
    }
}

}  // namespace
