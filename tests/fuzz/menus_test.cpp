// The menu list's records and operations.
#include <gtest/gtest.h>

#include "tests/fuzz/native.h"

using namespace native;

namespace {

class MenuListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Reset();
    }
    void TearDown() override
    {
        FreeAllMenus();
        EXPECT_EQ(LiveBlocks(), 0);
    }

    static UserMenu* MenuAt(int i)
    {
        UserMenu* menu = g_menuHead;
        while (i--)
            menu = menu->next;
        return menu;
    }
};

TEST_F(MenuListTest, NewRecordsAreEmptyAndNullWhenTheHeapIsExhausted)
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

    FailAlloc(0);
    EXPECT_EQ(NewUserMenu(), nullptr);
    FailAlloc(0);
    EXPECT_EQ(NewAppItem(), nullptr);
    EXPECT_TRUE(Warnings().empty());
}

TEST_F(MenuListTest, UnlinkKeepsTheListWholeAtEveryPosition)
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

TEST_F(MenuListTest, UnlinkAppItemLeavesTheOwnerAlone)
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

TEST_F(MenuListTest, FindsTakeTheFirstMatchAndWarnWhenNoneMatches)
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
    EXPECT_EQ(Warnings(),
              (std::vector<std::string>{"Menu not found in linked list!", "Menu not found in linked list!",
                                        "Application not found in linked list!"}));
}

TEST_F(MenuListTest, MovingMenusSwapsNeighboursAndStopsAtTheEnds)
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

TEST_F(MenuListTest, MovingEntriesKeepsTheChainConsistent)
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
