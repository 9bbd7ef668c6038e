#include "tests/support.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char OLD_TEXT[] = "Old data file found.  Please\ndelete it and restart Tolvex.";
const char CORRUPT_TEXT[] = "Corrupt APPS.TX file. Please\ndelete it and restart Tolvex.";
const char WRITE_TEXT[] = "Could not open APPS.TX for write.\nPlease check the file.";
const char OPEN_TEXT[] =
    "Could not open APPS.TX. Another program may be using it,\nor its folder may not be reachable.\n"
    "Tolvex will close and leave APPS.TX as it is.";
const char READ_TEXT[] = "Could not read APPS.TX.\nTolvex will close and leave APPS.TX as it is.";

struct AppSpec {
    std::string path, workDir, params, name;
    uint32_t separator;
};

void PutMenu(Bytes& out, const std::string& name, uint32_t count)
{
    PutField(out, name, 30);
    out.insert(out.end(), 2, 0);
    PutLE32(out, count);
    out.insert(out.end(), 12, 0);  // link slots
}

void PutApp(Bytes& out, const AppSpec& app)
{
    PutField(out, app.path, 80);
    PutField(out, app.workDir, 80);
    PutField(out, app.params, 30);
    PutField(out, app.name, 30);
    PutLE32(out, app.separator);
    out.insert(out.end(), 8, 0);
}

Bytes Version(uint32_t v = 100)
{
    Bytes out;
    PutLE32(out, v);
    return out;
}

class DataFileTest : public TolvexTest {
protected:
    // Loads, expecting the program to end through the fatal box.
    void ExpectFatalLoad(const std::string& text)
    {
        ExpectProcessEnds(LoadMenuList);
        ASSERT_EQ(fw::MessageBoxes().size(), 1u);
        const fw::MessageBoxCall& box = fw::MessageBoxes()[0];
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.title, "Fatal Tolvex Error");
        EXPECT_EQ(box.owner, nullptr);
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(fw::OpenFileCount(), 0);
    }
};

// One menu of MANY entries "e0", "e1", ...: two full buffers of the reader
// and the writer and part of a third.
const int MANY = 600;
std::vector<std::string> EntryNames(int n)
{
    std::vector<std::string> names;
    for (int i = 0; i < n; i++)
        names.push_back("e" + std::to_string(i));
    return names;
}

Bytes ManyEntriesImage()
{
    Bytes out = Version();
    PutMenu(out, "Many", MANY);
    for (const std::string& name : EntryNames(MANY))
        PutApp(out, {"p", "", "", name, 0});
    return out;
}

Bytes DefaultMenusImage()
{
    Bytes out = Version();
    PutMenu(out, "&Apps", 2);
    PutApp(out, {"c:\\vc40\\bin\\msdev.exe", "", "", "Visual &C++ v4.0", 0});
    PutApp(out, {"c:\\winword\\winword.exe", "", "", "&Word v7.0", 0});
    PutMenu(out, "&Games", 2);
    PutApp(out, {"C:\\WINDOWS\\winmine.exe", "", "", "&Minesweeper", 0});
    PutApp(out, {"C:\\WINDOWS\\sol.exe", "", "", "&Solitaire", 0});
    return out;
}

TEST_F(DataFileTest, WithoutAFileTheDefaultMenusAreBuiltAndSavedFieldByField)
{
    LoadMenuList();
    EXPECT_EQ(DescribeMenus(), "&Apps:Visual &C++ v4.0,&Word v7.0|&Games:&Minesweeper,&Solitaire");
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_EQ(fw::CallCount("GetWindowsDirectoryA"), 2);

    SaveMenuList();
    Bytes saved = ReadFileBytes("apps.tx");
    EXPECT_EQ(saved.size(), 1028u);
    EXPECT_EQ(saved, DefaultMenusImage());
    EXPECT_FALSE(FileExists("apps.tx.tmp"));
    EXPECT_TRUE(fw::MessageBoxes().empty());

    // An empty file counts as none.
    WriteFileBytes("apps.tx", {});
    FreeAllMenus();
    LoadMenuList();
    EXPECT_EQ(g_menuHead->count, 2);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

// A file that is there but cannot be opened or read ends the program: the
// default menus, or the menus read so far, would be saved over it.
TEST_F(DataFileTest, OnlyAMissingFileGivesTheDefaultsAndAFailedReadIsNoEnd)
{
    const struct {
        const char* api;
        DWORD error;
        int skip;  // reads: three buffers, then the one that finds the end
        const char* fatal;
    } cases[] = {
        {"CreateFileA", ERROR_FILE_NOT_FOUND, 0, nullptr},      {"CreateFileA", ERROR_PATH_NOT_FOUND, 0, nullptr},
        {"CreateFileA", ERROR_SHARING_VIOLATION, 0, OPEN_TEXT}, {"CreateFileA", ERROR_ACCESS_DENIED, 0, OPEN_TEXT},
        {"CreateFileA", ERROR_BAD_NETPATH, 0, OPEN_TEXT},       {"ReadFile", ERROR_READ_FAULT, 0, READ_TEXT},
        {"ReadFile", ERROR_READ_FAULT, 1, READ_TEXT},           {"ReadFile", ERROR_READ_FAULT, 3, READ_TEXT},
    };
    ASSERT_GT(ManyEntriesImage().size(), 2u * 64 * 1024);
    ASSERT_LT(ManyEntriesImage().size(), 3u * 64 * 1024);
    Bytes image = Version();
    PutMenu(image, "Mine", 0);
    PutMenu(image, "Also mine", 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.api) + " " + std::to_string(c.error) + " after " + std::to_string(c.skip));
        fw::Reset();
        Bytes file = c.skip ? ManyEntriesImage() : image;
        WriteFileBytes("apps.tx", file);
        fw::FailCallsWithError(c.api, c.error, c.skip, 1);
        if (c.fatal) {
            ExpectFatalLoad(c.fatal);
        } else {
            LoadMenuList();
            EXPECT_EQ(DescribeMenus(), "&Apps:Visual &C++ v4.0,&Word v7.0|&Games:&Minesweeper,&Solitaire");
            EXPECT_TRUE(fw::MessageBoxes().empty());
        }
        EXPECT_EQ(ReadFileBytes("apps.tx"), file);
        FreeAllMenus();
    }
}

TEST_F(DataFileTest, TheFileStaysWhereTheBarStarted)
{
    ASSERT_EQ(mkdir("start", 0755), 0);
    ASSERT_EQ(mkdir("elsewhere", 0755), 0);
    ASSERT_EQ(chdir("start"), 0);
    LoadMenuList();
    ASSERT_EQ(chdir("../elsewhere"), 0);  // as an Open dialog may leave it
    SaveMenuList();
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_TRUE(FileExists("../start/apps.tx"));
    EXPECT_FALSE(FileExists("../start/apps.tx.tmp"));
}

TEST_F(DataFileTest, AWindowsDirectoryThatDoesNotFitGivesTheBareFileName)
{
    std::string dir64 = "C:\\" + std::string(61, 'w');  // 64 + "\winmine.exe" = 76
    fw::SetWindowsDirectory(dir64);
    LoadMenuList();
    EXPECT_EQ(std::string(g_menuHead->next->firstApp->path), dir64 + "\\winmine.exe");
    FreeAllMenus();

    fw::SetWindowsDirectory("C:\\" + std::string(70, 'w'));  // fits 80, not with the file name
    LoadMenuList();
    EXPECT_STREQ(g_menuHead->next->firstApp->path, "winmine.exe");
    FreeAllMenus();

    fw::SetWindowsDirectory("C:\\" + std::string(100, 'w'));  // longer than the buffer
    LoadMenuList();
    EXPECT_STREQ(g_menuHead->next->firstApp->next->path, "sol.exe");
    FreeAllMenus();

    fw::SetWindowsDirectory("C:\\WINDOWS");
    fw::FailCalls("GetWindowsDirectoryA", 0, -1);
    LoadMenuList();
    EXPECT_STREQ(g_menuHead->next->firstApp->path, "winmine.exe");
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

TEST_F(DataFileTest, SavedMenusLoadAgainByteForByte)
{
    Bytes image = Version();
    PutMenu(image, "&Tools", 3);
    PutApp(image, {"c:\\a.exe", "c:\\work", "-x 1", "&A", 0});
    PutApp(image, {"c:\\b.exe", "", "", "B", 1});
    // 0x1A and CR LF must pass untouched, and the records after them stay in step.
    PutApp(image, {"c:\\\x1a\r\n.exe", "\r\n", "\x1a", "C\r\n", 0});
    PutMenu(image, "Empty", 0);
    PutMenu(image, "\x1a", 26);
    for (int i = 0; i < 26; i++)
        PutApp(image, {"p", "", "", "n" + std::to_string(i), 0});
    WriteFileBytes("apps.tx", image);

    LoadMenuList();
    EXPECT_TRUE(fw::MessageBoxes().empty());
    ASSERT_NE(g_menuHead, nullptr);
    EXPECT_EQ(g_menuHead->count, 3);
    EXPECT_EQ(g_menuHead->firstApp->next->separatorBefore, 1u);
    EXPECT_STREQ(g_menuHead->firstApp->params, "-x 1");
    EXPECT_EQ(g_menuHead->next->count, 0);
    EXPECT_EQ(g_menuHead->next->firstApp, nullptr);
    EXPECT_EQ(g_menuHead->next->next->count, 26);

    std::remove("apps.tx");
    SaveMenuList();
    EXPECT_EQ(ReadFileBytes("apps.tx"), image);
    FreeAllMenus();

    // Records across the buffers' edges; a buffer per system call, not a record.
    fw::Reset();
    WriteFileBytes("apps.tx", ManyEntriesImage());
    LoadMenuList();
    EXPECT_EQ(g_menuHead->count, MANY);
    std::vector<std::string> names;
    for (AppItem* app = g_menuHead->firstApp; app; app = app->next)
        names.push_back(app->name);
    EXPECT_EQ(names, EntryNames(MANY));
    EXPECT_EQ(fw::CallCount("ReadFile"), 4);
    std::remove("apps.tx");
    SaveMenuList();
    EXPECT_EQ(ReadFileBytes("apps.tx"), ManyEntriesImage());
    EXPECT_EQ(fw::CallCount("WriteFile"), 3);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

TEST_F(DataFileTest, AFileWithTheVersionOnlyGivesAnEmptyListThatIsNeverSaved)
{
    WriteFileBytes("apps.tx", Version());
    LoadMenuList();
    EXPECT_EQ(g_menuHead, nullptr);
    SaveMenuList();
    EXPECT_EQ(ReadFileBytes("apps.tx"), Version());
    EXPECT_EQ(fw::CallCount("CreateFileA"), 1);  // the load only
}

TEST_F(DataFileTest, APartialMenuRecordAtTheEndIsDropped)
{
    Bytes image = Version();
    PutMenu(image, "First", 1);
    PutApp(image, {"c:\\x.exe", "", "", "x", 0});
    PutMenu(image, "Second", 0);
    Bytes partial;
    PutMenu(partial, "Cut", 5);
    image.insert(image.end(), partial.begin(), partial.begin() + 20);
    WriteFileBytes("apps.tx", image);

    LoadMenuList();
    EXPECT_EQ(DescribeMenus(), "First:x|Second:");
    EXPECT_EQ(g_menuHead->next->next, nullptr);
    EXPECT_TRUE(fw::MessageBoxes().empty());
    EXPECT_EQ(fw::LiveHeapBlocks(), 3);
}

TEST_F(DataFileTest, FilesThisProgramDidNotWriteEndThroughTheFatalBox)
{
    struct Case {
        const char* what;
        Bytes image;
        const char* text;
    };
    Bytes shortCount = Version();
    PutMenu(shortCount, "M", 3);
    PutApp(shortCount, {"a", "", "", "a", 0});
    PutApp(shortCount, {"b", "", "", "b", 0});
    Bytes negative = Version();
    PutMenu(negative, "M", 0xFFFFFFFF);
    Bytes truncatedApp = Version();
    PutMenu(truncatedApp, "M", 1);
    truncatedApp.insert(truncatedApp.end(), 100, 'x');
    const Case cases[] = {
        {"version 99", Version(99), OLD_TEXT},      {"version 101", Version(101), OLD_TEXT},
        {"only two bytes", {100, 0}, OLD_TEXT},     {"count 3, two entries", shortCount, CORRUPT_TEXT},
        {"negative count", negative, CORRUPT_TEXT}, {"entry cut short", truncatedApp, CORRUPT_TEXT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::Reset();
        fw::RegSetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars", REG_BINARY, Bytes(92, 7));
        WriteFileBytes("apps.tx", c.image);
        ExpectFatalLoad(c.text);
        // Nothing is saved: the file and the settings are as they were.
        EXPECT_EQ(ReadFileBytes("apps.tx"), c.image);
        EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);
        EXPECT_EQ(fw::CallCount("WriteFile"), 0);
        FreeAllMenus();  // the process would have ended; free what it had read
    }
}

TEST_F(DataFileTest, TextsWithoutTheirNulAreCutAtTheFieldsLastByte)
{
    Bytes image = Version();
    Bytes menu(48, 'M');
    for (int i = 32; i < 48; i++)
        menu[i] = i == 32 ? 1 : 0;
    image.insert(image.end(), menu.begin(), menu.end());
    Bytes app(232, 'a');
    for (int i = 220; i < 232; i++)
        app[i] = 0;
    image.insert(image.end(), app.begin(), app.end());
    WriteFileBytes("apps.tx", image);

    LoadMenuList();
    EXPECT_EQ(std::string(g_menuHead->name), std::string(29, 'M'));
    AppItem* a = g_menuHead->firstApp;
    EXPECT_EQ(std::string(a->path), std::string(79, 'a'));
    EXPECT_EQ(std::string(a->workDir), std::string(79, 'a'));
    EXPECT_EQ(std::string(a->params), std::string(29, 'a'));
    EXPECT_EQ(std::string(a->name), std::string(29, 'a'));
}

TEST_F(DataFileTest, RunningOutOfMemoryWhileLoadingEndsWithoutSaving)
{
    WriteFileBytes("apps.tx", DefaultMenusImage());
    for (int skip = 0; skip < 6; skip++) {
        SCOPED_TRACE(skip);
        fw::Reset();
        fw::FailCalls("HeapAlloc", skip, 1);
        ExpectFatalLoad("Not enough memory to load the menus.\nTolvex will close and leave APPS.TX as it is.");
        EXPECT_EQ(ReadFileBytes("apps.tx"), DefaultMenusImage());
        FreeAllMenus();
    }
    // The same when the default menus are being built.
    std::remove("apps.tx");
    fw::Reset();
    fw::FailCalls("HeapAlloc", 3, 1);
    ExpectFatalLoad("Not enough memory to load the menus.\nTolvex will close and leave APPS.TX as it is.");
    EXPECT_FALSE(FileExists("apps.tx"));
    FreeAllMenus();
}

TEST_F(DataFileTest, AFailedSaveLeavesTheOldFileWholeAndSaysSo)
{
    Bytes old = Version();
    PutMenu(old, "Old", 0);
    struct Step {
        const char* api;
        int skip;
        int times;
    };
    // Writes: the first buffer, a middle one, the last. The replace is tried
    // again while the file may be held, so it fails for good.
    const Step steps[] = {{"CreateFileA", 0, 1},  {"WriteFile", 0, 1},        {"WriteFile", 1, 1},
                          {"WriteFile", 2, 1},    {"FlushFileBuffers", 0, 1}, {"CloseHandle", 0, 1},
                          {"MoveFileExA", 0, -1}, {"short write", 2, 1}};
    std::string many;
    for (const std::string& name : EntryNames(MANY))
        many += (many.empty() ? "" : ",") + name;
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.api) + " after " + std::to_string(step.skip));
        fw::Reset();
        WriteFileBytes("apps.tx", old);
        MakeMenus({{"New", {"a", "b"}}, {"Other", EntryNames(MANY)}});
        if (std::string(step.api) == "short write")
            fw::ShortWrites(10, step.skip, 1);  // a full disk: fewer bytes written than asked
        else
            fw::FailCalls(step.api, step.skip, step.times);
        SaveMenuList();
        EXPECT_EQ(ReadFileBytes("apps.tx"), old);
        EXPECT_FALSE(FileExists("apps.tx.tmp"));
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{WRITE_TEXT});
        EXPECT_EQ(fw::MessageBoxes()[0].title, "Tolvex");
        EXPECT_EQ(fw::OpenFileCount(), 0);
        EXPECT_EQ(DescribeMenus(), "New:a,b|Other:" + many);  // memory unchanged
        FreeAllMenus();
    }
    EXPECT_EQ(fw::CallCount("Sleep"), 0);  // a full disk is not waited for

    // Held by a scanner for a moment: the save waits briefly and succeeds;
    // held for good: it gives up after a bounded wait.
    for (int times : {3, -1}) {
        SCOPED_TRACE(times);
        fw::Reset();
        MakeMenus({{"New", {"a"}}});
        fw::FailCallsWithError("MoveFileExA", ERROR_SHARING_VIOLATION, 0, times);
        SaveMenuList();
        EXPECT_EQ(ReadFileBytes("apps.tx").size() == 4 + 48 + 232, times > 0);
        EXPECT_EQ(fw::MessageBoxes().size(), times > 0 ? 0u : 1u);
        EXPECT_EQ(fw::CallCount("Sleep"), times > 0 ? times : 9);
        FreeAllMenus();
        std::remove("apps.tx");
    }
}

// A read-only apps.tx stays as it is, without a wait; a copy that an
// earlier save left behind is written over, unless it is read-only itself.
TEST_F(DataFileTest, AReadOnlyFileIsKeptAndALeftoverCopyIsWrittenOver)
{
    Bytes old = Version();
    PutMenu(old, "Old", 0);
    const struct {
        const char* what;
        mode_t dataMode;
        size_t leftover;  // bytes of apps.tx.tmp before the save; 0: none
        mode_t leftoverMode;
        bool saved;
    } cases[] = {
        {"read-only apps.tx", 0444, 0, 0, false},
        {"read-only apps.tx, a copy left behind", 0444, 3000, 0644, false},
        {"a copy left behind", 0644, 3000, 0644, true},
        {"a read-only copy left behind", 0644, 3000, 0444, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fw::Reset();
        std::remove("apps.tx.tmp");
        WriteFileBytes("apps.tx", old);
        ASSERT_EQ(chmod("apps.tx", c.dataMode), 0);
        if (c.leftover) {
            WriteFileBytes("apps.tx.tmp", Bytes(c.leftover, 0xEE));
            ASSERT_EQ(chmod("apps.tx.tmp", c.leftoverMode), 0);
        }
        MakeMenus({{"New", {"a"}}});
        SaveMenuList();
        Bytes saved = ReadFileBytes("apps.tx");
        EXPECT_EQ(saved.size(), c.saved ? 4u + 48 + 232 : old.size());
        EXPECT_EQ(BoxTexts(), c.saved ? std::vector<std::string>{} : std::vector<std::string>{WRITE_TEXT});
        EXPECT_EQ(FileExists("apps.tx.tmp"), c.leftover && !c.saved);
        EXPECT_EQ(fw::CallCount("Sleep"), 0);
        EXPECT_EQ(fw::OpenFileCount(), 0);
        FreeAllMenus();
        std::remove("apps.tx");
        std::remove("apps.tx.tmp");
    }
}

TEST_F(DataFileTest, TheCountWrittenIsTheNumberOfEntriesThatFollow)
{
    MakeMenus({{"M", {"a", "b"}}, {"N", {"c"}}});
    g_menuHead->count = 5;  // out of step with its chain
    SaveMenuList();
    FreeAllMenus();
    LoadMenuList();
    EXPECT_EQ(DescribeMenus(), "M:a,b|N:c");
    EXPECT_EQ(g_menuHead->count, 2);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

}  // namespace
