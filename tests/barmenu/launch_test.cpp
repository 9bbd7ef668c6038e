#include "tests/support.h"

namespace {

class LaunchTest : public TolvexTest {};

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

}  // namespace
