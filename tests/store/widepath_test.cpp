// apps.tx in any folder the user may have, and after a save cut short.
#include "tests/support.h"

using DataFolderTest = TolvexTest;

// A folder whose name the ANSI calls turn into "?"s (on code page 1252, as
// under Wine here). Wine does not hold wide paths to MAX_PATH, so a folder
// that leaves no room for apps.tx.tmp within it shows nothing here.
TEST_F(DataFolderTest, MenusAreLoadedAndSavedInAFolderNamedOutsideTheCodePage)
{
    ASSERT_TRUE(CreateDirectoryW(L"\u041c\u0435\u043d\u044e", NULL));
    ASSERT_TRUE(SetCurrentDirectoryW(L"\u041c\u0435\u043d\u044e"));
    LoadMenuList();
    CopyText(g_menuHead->name, sizeof g_menuHead->name, "&Renamed");
    SaveMenuList();
    EXPECT_TRUE(seam::BoxTexts().empty());
    FreeAllMenus();
    LoadMenuList();
    EXPECT_STREQ("&Renamed", g_menuHead->name);
    SetCurrentDirectoryW(L"..");
}

// A replace that is a delete and a rename, cut between the two: the copy is
// all there is.
TEST_F(DataFolderTest, ACopyWithoutTheFileIsTakenWhenWholeAndKeptWhenCutShort)
{
    Bytes whole;
    PutLE32(whole, DATAFILE_VERSION);
    PutField(whole, "&Saved", 32);
    PutLE32(whole, 0);
    PutField(whole, "", 12);
    struct Case {
        const char* what;
        size_t length;  // of the copy
        bool loads;
    } cases[] = {
        {"whole", whole.size(), true},
        {"cut in its menu record", whole.size() - 5, false},
        {"cut in its version", 2, false},
        {"empty", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes("apps.tx.tmp", Bytes(whole.begin(), whole.begin() + static_cast<ptrdiff_t>(c.length)));
        seam::Reset();
        int exit = seam::RunToExit([] { LoadMenuList(); });
        if (c.loads) {
            EXPECT_EQ(-1, exit);
            EXPECT_EQ("&Saved:", DescribeMenus());
            SaveMenuList();
            EXPECT_EQ(whole, ReadFileBytes("apps.tx"));
            EXPECT_FALSE(FileExists("apps.tx.tmp"));
            DeleteFileA("apps.tx");
        } else {
            EXPECT_EQ(0, exit);
            EXPECT_EQ(std::vector<std::string>{"Corrupt APPS.TX file. Please\ndelete it and restart Tolvex."},
                      seam::BoxTexts());
            EXPECT_EQ(c.length, ReadFileBytes("apps.tx.tmp").size());
        }
        g_menuHead = NULL;  // a load that ended is not freed
        g_fatalErrorBegun = false;
    }
}
