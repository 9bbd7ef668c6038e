// The menu list's records and operations, and the data file's bytes to
// records and back. The settings decoder is checked by its fuzz target over
// the seeds (replay_uservars).
#include <gtest/gtest.h>

#include <string.h>

#include "tests/fuzz/native.h"

using namespace native;

namespace {

const Menus DEFAULT_MENUS = DefaultMenus("C:\\WINDOWS\\");

// One menu of 600 entries: two full buffers of the reader and the writer
// and part of a third.
Menus ManyEntries()
{
    Menus menus = {{"Many", {}}};
    for (int i = 0; i < 600; i++)
        menus[0].apps.push_back({"p", "", "", "e" + std::to_string(i), 0});
    return menus;
}

class StoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reset();
    }
    void TearDown() override
    {
        FreeAllMenus();
        EXPECT_EQ(liveBlocks, 0);
    }

    static UserMenu* MenuAt(int i)
    {
        UserMenu* menu = g_menuHead;
        while (i--)
            menu = menu->next;
        return menu;
    }

    // A failed decode must leave nothing behind.
    static DataFileStatus Decode(Source& in)
    {
        DataFileStatus status = DecodeMenuList(DATAFILE_VERSION, ReadSource, &in);
        if (status != DATAFILE_OK) {
            EXPECT_EQ(g_menuHead, nullptr);
            EXPECT_EQ(liveBlocks, 0);
        }
        return status;
    }
    static DataFileStatus Decode(const Bytes& bytes)
    {
        Source in{bytes};
        return Decode(in);
    }
    static Bytes Encode(int* writes = nullptr)
    {
        Sink out;
        EXPECT_EQ(EncodeMenuList(DATAFILE_VERSION, WriteSink, &out), 1);
        if (writes)
            *writes = out.writes;
        return out.bytes;
    }
};

// A file this program wrote loads as the records it was written from and
// is written again byte for byte, a buffer per system call, not a record.
TEST_F(StoreTest, RecordsLoadAndSaveAgainByteForByte)
{
    Menus tricky = {
        {"&Tools",
         {{"c:\\a.exe", "c:\\work", "-x 1", "&A", 0},
          {"c:\\b.exe", "", "", "B", 1},
          // 0x1A and CR LF must pass untouched, and the records after them stay in step.
          {"c:\\\x1a\r\n.exe", "\r\n", "\x1a", "C\r\n", 0}}},
        {"Empty", {}},
        {"\x1a", {}},
    };
    for (int i = 0; i < 26; i++)
        tricky[2].apps.push_back({"p", "", "", "n" + std::to_string(i), 0});
    const struct {
        const char* what;
        Menus menus;
        int reads, writes;
    } cases[] = {
        {"texts of every kind", tricky, 2, 1},
        {"records across the buffers' edges", ManyEntries(), 4, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Source in{DataFileImage(c.menus)};
        ASSERT_EQ(Decode(in), DATAFILE_OK);
        EXPECT_EQ(ReadMenus(), c.menus);
        EXPECT_EQ(in.reads, c.reads);
        int writes = 0;
        EXPECT_EQ(Encode(&writes), in.bytes);
        EXPECT_EQ(writes, c.writes);
        FreeAllMenus();
    }
}

TEST_F(StoreTest, WhatADecodeComesTo)
{
    Bytes partialMenu = DataFileImage({{"First", {{"c:\\x.exe", "", "", "x", 0}}}, {"Second", {}}});
    Bytes cut;
    PutMenuRecord(cut, "Cut", 5);
    partialMenu.insert(partialMenu.end(), cut.begin(), cut.begin() + 20);
    Bytes shortCount = DataFileImage({});
    PutMenuRecord(shortCount, "M", 3);
    PutEntryRecord(shortCount, {"a", "", "", "a", 0});
    PutEntryRecord(shortCount, {"b", "", "", "b", 0});
    Bytes negative = DataFileImage({});
    PutMenuRecord(negative, "M", 0xFFFFFFFF);
    Bytes huge = DataFileImage({});
    PutMenuRecord(huge, "M", 0x7FFFFFFF);
    Bytes appCut = DataFileImage({});
    PutMenuRecord(appCut, "M", 1);
    appCut.insert(appCut.end(), 100, 'x');
    const struct {
        const char* what;
        Bytes bytes;
        DataFileStatus status;
        const char* menus;
    } cases[] = {
        {"the version only", DataFileImage({}), DATAFILE_OK, ""},
        {"a partial menu record at the end", partialMenu, DATAFILE_OK, "First:x|Second:"},
        {"version 99", DataFileImage({}, 99), DATAFILE_OLD_VERSION, ""},
        {"version 101", DataFileImage({}, 101), DATAFILE_OLD_VERSION, ""},
        {"only two bytes", {100, 0}, DATAFILE_OLD_VERSION, ""},
        {"count 3, two entries", shortCount, DATAFILE_CORRUPT, ""},
        {"negative count", negative, DATAFILE_CORRUPT, ""},
        {"a count far beyond the file", huge, DATAFILE_CORRUPT, ""},
        {"entry cut short", appCut, DATAFILE_CORRUPT, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Decode(c.bytes), c.status);
        EXPECT_EQ(DescribeMenus(), c.menus);
        EXPECT_STREQ(ListFault(), nullptr);
        FreeAllMenus();
    }
}

// A failed read is not the end of the file: taking it for one would load
// part of the menus, and a save would write that part over the whole.
TEST_F(StoreTest, NoMemoryOrAFailedReadWhileDecodingLeavesNothing)
{
    const struct {
        Menus menus;
        int failAlloc, failRead;
        DataFileStatus status;
    } cases[] = {
        {DEFAULT_MENUS, 0, -1, DATAFILE_NO_MEMORY},   {DEFAULT_MENUS, 1, -1, DATAFILE_NO_MEMORY},
        {DEFAULT_MENUS, 2, -1, DATAFILE_NO_MEMORY},   {DEFAULT_MENUS, 3, -1, DATAFILE_NO_MEMORY},
        {DEFAULT_MENUS, 4, -1, DATAFILE_NO_MEMORY},   {DEFAULT_MENUS, 5, -1, DATAFILE_NO_MEMORY},
        {DEFAULT_MENUS, 6, -1, DATAFILE_OK},          {ManyEntries(), -1, 0, DATAFILE_READ_FAILED},
        {ManyEntries(), -1, 1, DATAFILE_READ_FAILED}, {ManyEntries(), -1, 3, DATAFILE_READ_FAILED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "allocation " << c.failAlloc << ", read " << c.failRead);
        Source in{DataFileImage(c.menus), SIZE_MAX, c.failRead};
        allocsToFailure = c.failAlloc;
        EXPECT_EQ(Decode(in), c.status);
        allocsToFailure = -1;
        FreeAllMenus();
    }
}

TEST_F(StoreTest, AFailedWriteEndsTheEncode)
{
    MakeMenus(ManyEntries());
    for (int failAt : {0, 1, 2}) {
        SCOPED_TRACE(failAt);
        Sink out;
        out.failAt = failAt;
        EXPECT_EQ(EncodeMenuList(DATAFILE_VERSION, WriteSink, &out), 0);
        EXPECT_EQ(out.writes, failAt + 1);
    }
}

TEST_F(StoreTest, TextsWithoutTheirNulAreCutAtTheFieldsLastByte)
{
    Bytes image = DataFileImage({});
    Bytes menu(MENU_RECORD_SIZE, 'M');
    std::fill(menu.begin() + 32, menu.end(), 0);
    menu[32] = 1;
    image.insert(image.end(), menu.begin(), menu.end());
    Bytes app(APP_RECORD_SIZE, 'a');
    std::fill(app.begin() + 220, app.end(), 0);
    image.insert(image.end(), app.begin(), app.end());

    ASSERT_EQ(Decode(image), DATAFILE_OK);
    EXPECT_EQ(ReadMenus(),
              (Menus{{std::string(29, 'M'),
                      {{std::string(79, 'a'), std::string(79, 'a'), std::string(29, 'a'), std::string(29, 'a'), 0}}}}));
    EXPECT_STREQ(ListFault(), nullptr);
}

TEST_F(StoreTest, TheCountWrittenIsTheNumberOfEntriesThatFollow)
{
    MakeMenus({{"M", {{"a", "", "", "a", 0}, {"b", "", "", "b", 0}}}, {"N", {{"c", "", "", "c", 0}}}});
    g_menuHead->count = 5;  // out of step with its chain
    Bytes saved = Encode();
    EXPECT_EQ(GetLE32(saved, 4 + 32), 2u);
    FreeAllMenus();
    ASSERT_EQ(Decode(saved), DATAFILE_OK);
    EXPECT_EQ(DescribeMenus(), "M:a,b|N:c");
    EXPECT_EQ(g_menuHead->count, 2);
}

TEST_F(StoreTest, NewRecordsAreEmptyAndNullWhenTheHeapIsExhausted)
{
    UserMenu* menu = NewUserMenu();
    AppItem* app = NewAppItem();
    EXPECT_STREQ(menu->name, "");
    EXPECT_EQ(menu->count, 0);
    EXPECT_EQ(menu->firstApp, nullptr);
    EXPECT_EQ(menu->next, nullptr);
    EXPECT_EQ(menu->prev, nullptr);
    EXPECT_STREQ(app->path, "");
    EXPECT_STREQ(app->workDir, "");
    EXPECT_STREQ(app->params, "");
    EXPECT_STREQ(app->name, "");
    EXPECT_EQ(app->separatorBefore, 0u);
    EXPECT_EQ(app->next, nullptr);
    EXPECT_EQ(app->prev, nullptr);
    FreeAppItem(app);
    AppendUserMenu(NULL, menu);

    allocsToFailure = 0;
    EXPECT_EQ(NewUserMenu(), nullptr);
    allocsToFailure = 0;
    EXPECT_EQ(NewAppItem(), nullptr);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(StoreTest, UnlinkKeepsTheListWholeAtEveryPosition)
{
    MakeMenus(FileMenus({{"A", {}}}));
    UserMenu* only = g_menuHead;
    UnlinkUserMenu(only);
    EXPECT_EQ(g_menuHead, nullptr);
    FreeUserMenu(only);
    FreeUserMenu(nullptr);  // nothing to do

    MakeMenus(FileMenus({{"A", {}}, {"B", {}}, {"C", {}}, {"D", {}}}));
    FreeUserMenu(g_menuHead);  // the head
    EXPECT_EQ(DescribeMenus(), "B:|C:|D:");
    EXPECT_EQ(g_menuHead->prev, nullptr);
    FreeUserMenu(g_menuHead->next);  // the middle
    FreeUserMenu(g_menuHead->next);  // the last
    EXPECT_EQ(DescribeMenus(), "B:");
    EXPECT_STREQ(ListFault(), nullptr);
}

TEST_F(StoreTest, UnlinkAppItemLeavesTheOwnerAlone)
{
    MakeMenus(FileMenus({{"M", {"a", "b", "c"}}}));
    UserMenu* menu = g_menuHead;
    FreeAppItem(menu->firstApp->next);
    EXPECT_EQ(menu->count, 3);  // lowering it is the caller's
    EXPECT_EQ(menu->firstApp->next->prev, menu->firstApp);
    EXPECT_STREQ(menu->firstApp->next->name, "c");
    FreeAppItem(nullptr);
    menu->count = 2;
    EXPECT_STREQ(ListFault(), nullptr);
}

TEST_F(StoreTest, FindsTakeTheFirstMatchAndWarnWhenNoneMatches)
{
    EXPECT_EQ(FindUserMenu("&Apps"), nullptr);
    MakeMenus(FileMenus({{"Twin", {"x", "-------", "x"}}, {"Twin", {}}}));
    EXPECT_EQ(FindUserMenu("Twin"), g_menuHead);
    EXPECT_EQ(FindUserMenu("twin"), nullptr);  // case counts
    AppItem* first = g_menuHead->firstApp;
    EXPECT_EQ(FindAppItem(first->next, "x"), first->next->next);
    EXPECT_EQ(FindAppItem(first, "x"), first);
    EXPECT_EQ(FindAppItem(first, "-------"), nullptr);  // the separator label, silently
    EXPECT_EQ(FindAppItem(nullptr, "x"), nullptr);
    EXPECT_EQ(FindAppItem(nullptr, "-------"), nullptr);
    EXPECT_EQ(warnings,
              (std::vector<std::string>{"Menu not found in linked list!", "Menu not found in linked list!",
                                        "Application not found in linked list!"}));
}

TEST_F(StoreTest, MovingMenusSwapsNeighboursAndStopsAtTheEnds)
{
    MakeMenus(FileMenus({{"A", {}}, {"B", {}}, {"C", {}}, {"D", {}}}));
    const struct {
        int at, direction, moved;
        const char* after;
    } moves[] = {
        {1, MOVE_UP, 1, "B:|A:|C:|D:"}, {0, MOVE_DOWN, 1, "A:|B:|C:|D:"}, {1, MOVE_DOWN, 1, "A:|C:|B:|D:"},
        {3, MOVE_UP, 1, "A:|C:|D:|B:"}, {0, MOVE_UP, 0, "A:|C:|D:|B:"},   {3, MOVE_DOWN, 0, "A:|C:|D:|B:"},
    };
    for (const auto& m : moves) {
        SCOPED_TRACE(m.after);
        EXPECT_EQ(MoveUserMenu(MenuAt(m.at), m.direction), m.moved);
        EXPECT_EQ(DescribeMenus(), m.after);
        EXPECT_STREQ(ListFault(), nullptr);
    }
    EXPECT_EQ(MoveUserMenu(nullptr, MOVE_UP), 0);
}

TEST_F(StoreTest, MovingEntriesKeepsTheChainConsistent)
{
    MakeMenus(FileMenus({{"One", {"only"}}, {"M", {"a", "b", "c", "d"}}}));
    AppItem* only = g_menuHead->firstApp;
    EXPECT_EQ(MoveAppItem(only, MOVE_UP), 0);
    EXPECT_EQ(MoveAppItem(only, MOVE_DOWN), 0);
    EXPECT_EQ(g_menuHead->firstApp, only);

    AppItem* b = MenuAt(1)->firstApp->next;
    EXPECT_EQ(MoveAppItem(b->next, MOVE_UP), 1);  // c above b
    EXPECT_EQ(MoveAppItem(b, MOVE_DOWN), 1);      // b below d
    EXPECT_EQ(DescribeMenus(), "One:only|M:a,c,d,b");
    EXPECT_EQ(MoveAppItem(nullptr, MOVE_DOWN), 0);
    EXPECT_STREQ(ListFault(), nullptr);
}

}  // namespace
