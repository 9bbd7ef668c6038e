// The seam's own checks: what the other tests rely on it for. The set time
// and the dialog script are shown by every clock and dialog test.
#include "tests/support.h"

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
    seam::state.answers = {IDNO};
    EXPECT_EQ(IDNO, MessageBoxA(NULL, "first", "T", MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(NULL, "second", "T", MB_OK));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), seam::BoxTexts());
}

TEST_F(SeamTest, AnExitEndsOnlyItsThread)
{
    EXPECT_EQ(7, seam::RunToExit([] { ExitProcess(7); }));
    EXPECT_EQ(-1, seam::RunToExit([] {}));
}
