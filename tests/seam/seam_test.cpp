// The seam's own checks: what the other tests rely on it for.
#include "tests/support.h"

#include "dialogs/dialogs.h"
#include "resources/resource.h"

using SeamTest = TolvexTest;

TEST_F(SeamTest, AFailedCallFailsOnceAtItsTurnWithItsError)
{
    seam::Fail("GetFileAttributesA", 2, ERROR_SHARING_VIOLATION);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\"));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\"));
    EXPECT_EQ(DWORD(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("C:\\"));
    EXPECT_EQ(3, seam::Calls("GetFileAttributesA"));
}

TEST_F(SeamTest, ABoxIsRecordedAndAnsweredWithoutShowing)
{
    seam::AnswerBoxes({IDNO});
    EXPECT_EQ(IDNO, MessageBoxA(NULL, "first", "T", MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(NULL, "second", "T", MB_OK));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), seam::BoxTexts());
}

TEST_F(SeamTest, TheLocalTimeIsTheOneSet)
{
    seam::SetLocalTime(13, 5);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(13, now.wHour);
    EXPECT_EQ(5, now.wMinute);
}

TEST_F(SeamTest, AnExitEndsOnlyItsThread)
{
    EXPECT_EQ(7, seam::RunToExit([] { ExitProcess(7); }));
    EXPECT_EQ(-1, seam::RunToExit([] {}));
}

TEST_F(SeamTest, ADialogIsDrivenFromInsideItsLoop)
{
    seam::DialogScript script;
    script.On("About Tolvex", [](HWND dialog) { seam::Click(dialog, IDOK); });
    EXPECT_EQ(1, DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_ABOUT), NULL, AboutProc, 0));
}
