// apps.tx against the real file system: what cannot be opened or read ends
// the bar before it could save over the file, a save that fails leaves the
// old file whole, and any folder the user may have will do.
#include <random>

#include "tests/support.h"

namespace {

const char OLD_TEXT[] = "Old data file found.  Please\ndelete it and restart Tolvex.";
const char CORRUPT_TEXT[] = "Corrupt APPS.TX file. Please\ndelete it and restart Tolvex.";
const char WRITE_TEXT[] = "Could not open APPS.TX for write.\nPlease check the file.";
const char OPEN_TEXT[] =
    "Could not open APPS.TX. Another program may be using it,\nor its folder may not be reachable.\n"
    "Tolvex will close and leave APPS.TX as it is.";
const char READ_TEXT[] = "Could not read APPS.TX.\nTolvex will close and leave APPS.TX as it is.";
const char MEMORY_TEXT[] = "Not enough memory to load the menus.\nTolvex will close and leave APPS.TX as it is.";
const char DEFAULTS[] = "&Apps:Visual &C++ v4.0,&Word v7.0|&Games:&Minesweeper,&Solitaire";

// The entries "e0" to "e599" fill two of the reader's and the writer's
// buffers and part of a third.
std::vector<std::string> EntryNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < 600; i++)
        names.push_back("e" + std::to_string(i));
    return names;
}

Bytes RandomBytes(size_t n)
{
    std::mt19937 random(15);
    Bytes out(n);
    for (uint8_t& byte : out)
        byte = static_cast<uint8_t>(random());
    return out;
}

// Holds a file open without sharing, as another program may.
class Holder {
public:
    explicit Holder(const char* name)
        : file_(CreateFileA(name, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL))
    {
        EXPECT_NE(INVALID_HANDLE_VALUE, file_) << name;
    }
    ~Holder()
    {
        Release();
    }
    // A thread procedure: lets go of the file after a moment.
    static DWORD WINAPI ReleaseSoon(LPVOID holder)
    {
        Sleep(300);
        static_cast<Holder*>(holder)->Release();
        return 0;
    }
    void Release()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE file_;
};

class DataFileTest : public TolvexTest {
protected:
    static Bytes Image(const std::vector<MenuSpec>& menus)
    {
        return DataFileImage(FileMenus(menus));
    }

    // Loads, expecting the end through the fatal box, with apps.tx as it
    // was, closed, and nothing saved afterwards either.
    void ExpectFatalLoad(const char* text, bool heldHere = false)
    {
        bool existed = FileExists("apps.tx");
        Bytes before = ReadFileBytes("apps.tx");
        g_fatalErrorBegun = false;
        seam::state.boxes.clear();
        EXPECT_EQ(0, seam::RunToExit(LoadMenuList));
        reads_ = seam::Calls("ReadFile");
        allocs_ = seam::Calls("HeapAlloc");
        ASSERT_EQ(1u, seam::state.boxes.size());
        const seam::Box& box = seam::state.boxes[0];
        EXPECT_EQ(text, box.text);
        EXPECT_EQ("Fatal Tolvex Error", box.caption);
        EXPECT_EQ(HWND(NULL), box.owner);
        EXPECT_EQ(UINT(MB_ICONERROR), box.type);
        FreeAllMenus();
        MakeMenus({{"Unsaved", {"x"}}});
        SaveMenuList();
        EXPECT_EQ(existed, FileExists("apps.tx"));
        EXPECT_EQ(before, ReadFileBytes("apps.tx"));
        EXPECT_FALSE(FileExists("apps.tx.tmp"));
        if (existed && !heldHere && !(GetFileAttributesA("apps.tx") & FILE_ATTRIBUTE_DIRECTORY)) {
            Holder closed("apps.tx");  // only when the load let go of it
        }
        FreeAllMenus();
    }
    int reads_ = 0, allocs_ = 0;  // by the last fatal load
};

// Only a file that is not there gives the default menus. One that is there
// but cannot be opened or read ends the bar: the defaults, or the menus read
// so far, would be saved over it.
TEST_F(DataFileTest, OnlyAMissingFileGivesTheDefaultsAndAFailedReadIsNoEnd)
{
    const Bytes none, empty, mine = Image({{"Mine", {}}, {"Also mine", {}}}), many = Image({{"Many", EntryNames()}});
    ASSERT_GT(many.size(), 2u * 64 * 1024);  // read 2 is not the last
    const struct {
        const char* what;
        const Bytes& image;  // apps.tx; none when empty and not `empty`
        bool held;
        const char* fails;
        int nth;
        DWORD error;
        const char* fatal;  // null: the default menus
    } cases[] = {
        {"no file", none, false, nullptr, 0, 0, nullptr},
        {"an empty file", empty, false, nullptr, 0, 0, nullptr},
        {"its folder is gone", mine, false, "CreateFileW", 1, ERROR_PATH_NOT_FOUND, nullptr},
        {"held by another program", mine, true, nullptr, 0, 0, OPEN_TEXT},
        {"a folder named apps.tx", none, false, nullptr, 0, 0, OPEN_TEXT},
        {"on a network path that is away", mine, false, "CreateFileW", 1, ERROR_BAD_NETPATH, OPEN_TEXT},
        {"a read fails", many, false, "ReadFile", 2, ERROR_READ_FAULT, READ_TEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (&c.image != &none)
            WriteFileBytes("apps.tx", c.image);
        else if (c.fatal)
            CreateDirectoryA("apps.tx", NULL);
        std::unique_ptr<Holder> holder(c.held ? new Holder("apps.tx") : nullptr);
        if (c.fails)
            seam::Fail(c.fails, c.nth, c.error);
        if (c.fatal) {
            ExpectFatalLoad(c.fatal, c.held);
        } else {
            LoadMenuList();
            EXPECT_EQ(DEFAULTS, DescribeMenus());
            EXPECT_TRUE(seam::state.boxes.empty());
            EXPECT_EQ(c.image, ReadFileBytes("apps.tx"));
        }
        holder.reset();
        FreeAllMenus();
        seam::Reset();
        DeleteFileA("apps.tx");
        RemoveDirectoryA("apps.tx");
    }
}

// Records, or the greater part of a hostile file, cannot be had: the end,
// soon, with the memory taken bounded by the file and not by its counts.
TEST_F(DataFileTest, WhatCannotBeLoadedWholeEndsWithoutSaving)
{
    Bytes noise = RandomBytes(1 << 20), random = {'R', 'A', 'N', 'D'}, huge = DataFileImage({});
    random.insert(random.end(), noise.begin(), noise.end());
    PutMenuRecord(huge, "&Huge", 0x7FFFFFFF);
    huge.insert(huge.end(), noise.begin(), noise.end());
    const struct {
        const char* what;
        Bytes image;  // apps.tx; none when empty
        int failedAlloc;
        const char* fatal;
        int maxReads, maxAllocs;
    } cases[] = {
        {"1 MB of noise", random, 0, OLD_TEXT, 1, 0},
        {"a menu of 2^31 - 1 entries before 1 MB of noise", huge, 0, CORRUPT_TEXT, 18, (1 << 20) / APP_RECORD_SIZE + 2},
        {"no memory for an entry's record", Image({{"M", {"a", "b"}}}), 3, MEMORY_TEXT, 2, 3},
        {"no memory while the defaults are built", {}, 4, MEMORY_TEXT, 0, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        seam::Reset();
        DeleteFileA("apps.tx");
        if (!c.image.empty())
            WriteFileBytes("apps.tx", c.image);
        if (c.failedAlloc)
            seam::Fail("HeapAlloc", c.failedAlloc, ERROR_NOT_ENOUGH_MEMORY);
        ExpectFatalLoad(c.fatal);
        EXPECT_LE(reads_, c.maxReads);
        EXPECT_LE(allocs_, c.maxAllocs);
    }
}

// The games of the default menus are in the Windows directory, or found on
// the shell's search path by their bare names when that path does not fit.
TEST_F(DataFileTest, TheDefaultGamesAreInTheWindowsDirectory)
{
    const std::string fits = "C:\\" + std::string(64, 'w');  // + "\winmine.exe": 79 of 80
    const struct {
        std::string dir;
        bool fails;
        std::string game;
    } cases[] = {
        {fits, false, fits + "\\winmine.exe"},
        {fits + "w", false, "winmine.exe"},  // fits 80, not with the file
        {"", true, "winmine.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dir);
        seam::Reset();
        seam::state.windowsDir = c.dir;
        if (c.fails)
            seam::Fail("GetWindowsDirectoryA", 1, ERROR_ACCESS_DENIED, 2);
        LoadMenuList();
        EXPECT_EQ(c.game, g_menuHead->next->firstApp->path);
        EXPECT_TRUE(seam::state.boxes.empty());
        FreeAllMenus();
    }
}

// The copy beside apps.tx replaces it only once it is whole and flushed.
TEST_F(DataFileTest, AFailedSaveLeavesTheOldFileWholeAndSaysSo)
{
    const Bytes old = Image({{"Old", {}}});
    const struct {
        const char* what;
        std::function<void()> arrange;
        int replaces;   // tries of the replace
        bool leftover;  // a copy stays that the save could not remove
    } cases[] = {
        {"the copy cannot be made", [] { seam::Fail("CreateFileW"); }, 0, false},
        {"a folder stands in the copy's place", [] { CreateDirectoryA("apps.tx.tmp", NULL); }, 0, true},
        {"apps.tx is read-only", [] { SetFileAttributesA("apps.tx", FILE_ATTRIBUTE_READONLY); }, 0, false},
        {"a write fails", [] { seam::Fail("WriteFile", 2); }, 0, false},
        {"the disk fills at the last write", [] { seam::ShortWrite(3); }, 0, false},
        {"the flush fails", [] { seam::Fail("FlushFileBuffers"); }, 0, false},
        {"the close fails", [] { seam::Fail("CloseHandle"); }, 0, false},
        {"the replace finds the disk full", [] { seam::Fail("MoveFileExW", 1, ERROR_DISK_FULL, 100); }, 1, false},
        {"apps.tx is held for good", [] {}, 10, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        seam::Reset();
        WriteFileBytes("apps.tx", old);
        MakeMenus({{"New", {"a", "b"}}, {"Other", EntryNames()}});
        const std::string made = DescribeMenus();
        std::unique_ptr<Holder> holder(c.replaces == 10 ? new Holder("apps.tx") : nullptr);
        c.arrange();
        SaveMenuList();
        holder.reset();
        EXPECT_EQ(old, ReadFileBytes("apps.tx"));
        EXPECT_EQ(c.leftover, FileExists("apps.tx.tmp"));
        ASSERT_EQ(std::vector<std::string>{WRITE_TEXT}, seam::BoxTexts());
        EXPECT_EQ("Tolvex", seam::state.boxes[0].caption);
        EXPECT_EQ(c.replaces, seam::Calls("MoveFileExW"));
        Holder closed("apps.tx");
        EXPECT_EQ(made, DescribeMenus());
        FreeAllMenus();
        SetFileAttributesA("apps.tx", FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesA("apps.tx.tmp", FILE_ATTRIBUTE_NORMAL);
        DeleteFileA("apps.tx.tmp");
        RemoveDirectoryA("apps.tx.tmp");
    }
}

// A copy that an earlier save left behind is written over; a program that
// holds apps.tx for a moment is waited for.
TEST_F(DataFileTest, ASaveGoesThroughALeftoverCopyAndAMomentaryHold)
{
    for (bool held : {false, true}) {
        SCOPED_TRACE(held ? "held for a moment" : "a copy left behind");
        seam::Reset();
        WriteFileBytes("apps.tx", Image({{"Old", {}}}));
        WriteFileBytes("apps.tx.tmp", RandomBytes(300000));
        MakeMenus({{"New", {"a"}}, {"Other", EntryNames()}});
        Holder holder("apps.tx");
        if (!held)
            holder.Release();
        HANDLE release = CreateThread(NULL, 0, Holder::ReleaseSoon, &holder, 0, NULL);
        SaveMenuList();
        WaitForSingleObject(release, INFINITE);
        CloseHandle(release);
        EXPECT_TRUE(seam::state.boxes.empty());
        EXPECT_FALSE(FileExists("apps.tx.tmp"));
        EXPECT_EQ(Image({{"New", {"a"}}, {"Other", EntryNames()}}), ReadFileBytes("apps.tx"));
        EXPECT_EQ(held, seam::Calls("MoveFileExW") > 1);
        FreeAllMenus();
    }
}

TEST_F(DataFileTest, AFileWithTheVersionOnlyIsNeverSaved)
{
    WriteFileBytes("apps.tx", Image({}));
    LoadMenuList();
    EXPECT_EQ(nullptr, g_menuHead);
    int opened = seam::Calls("CreateFileW");
    SaveMenuList();
    EXPECT_EQ(opened, seam::Calls("CreateFileW"));
    EXPECT_EQ(Image({}), ReadFileBytes("apps.tx"));
}

// The file stays in the folder the bar started in, even one whose name the
// ANSI calls turn into "?"s (on code page 1252, as under Wine here). Wine
// does not hold wide paths to MAX_PATH, so a folder that leaves no room for
// apps.tx.tmp within it shows nothing here.
TEST_F(DataFileTest, TheFileStaysInTheStartFolderWhateverItsName)
{
    ASSERT_TRUE(CreateDirectoryW(L"\u041c\u0435\u043d\u044e", NULL));
    ASSERT_TRUE(CreateDirectoryA("elsewhere", NULL));
    ASSERT_TRUE(SetCurrentDirectoryW(L"\u041c\u0435\u043d\u044e"));
    LoadMenuList();
    CopyText(g_menuHead->name, sizeof g_menuHead->name, "&Renamed");
    ASSERT_TRUE(SetCurrentDirectoryA("..\\elsewhere"));  // as an Open dialog may leave it
    SaveMenuList();
    EXPECT_TRUE(seam::BoxTexts().empty());
    EXPECT_FALSE(FileExists("apps.tx"));
    FreeAllMenus();
    ASSERT_TRUE(SetCurrentDirectoryW(L"..\\\u041c\u0435\u043d\u044e"));
    EXPECT_FALSE(FileExists("apps.tx.tmp"));
    LoadMenuList();
    EXPECT_STREQ("&Renamed", g_menuHead->name);
    SetCurrentDirectoryW(L"..");
}

// A replace that is a delete and a rename, cut between the two: the copy is
// all there is.
TEST_F(DataFileTest, ACopyWithoutTheFileIsTakenWhenWholeAndKeptWhenCutShort)
{
    const Bytes whole = Image({{"&Saved", {}}});
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
            EXPECT_EQ(std::vector<std::string>{CORRUPT_TEXT}, seam::BoxTexts());
            EXPECT_EQ(c.length, ReadFileBytes("apps.tx.tmp").size());
        }
        g_menuHead = NULL;  // a load that ended is not freed
        g_fatalErrorBegun = false;
    }
}

}  // namespace
