#include "tests/support.h"

namespace {

class MenuListTest : public TolvexTest {
protected:
    // Checks that both directions of every chain agree and counts match.
    static void ExpectConsistent()
    {
        UserMenu* prev = NULL;
        for (UserMenu* menu = g_menuHead; menu; prev = menu, menu = menu->next) {
            EXPECT_EQ(menu->prev, prev) << menu->name;
            LONG n = 0;
            AppItem* prevApp = NULL;
            for (AppItem* app = menu->firstApp; app; prevApp = app, app = app->next, n++)
                EXPECT_EQ(app->prev, prevApp) << app->name;
            EXPECT_EQ(menu->count, n) << menu->name;
        }
    }
};

TEST_F(MenuListTest, NewRecordsAreEmptyAndNullWhenTheHeapIsExhausted)
{
    UserMenu* menu = NewUserMenu();
    AppItem* app = NewAppItem();
    EXPECT_STREQ(menu->name, "");
    EXPECT_EQ(menu->count, 0);
    EXPECT_EQ(menu->firstApp, nullptr);
    EXPECT_STREQ(app->path, "");
    EXPECT_EQ(app->separatorBefore, 0u);
    EXPECT_EQ(app->next, nullptr);
    FreeAppItem(app);
    AppendUserMenu(NULL, menu);

    fw::FailCalls("HeapAlloc", 0, 2);
    EXPECT_EQ(NewUserMenu(), nullptr);
    EXPECT_EQ(NewAppItem(), nullptr);
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

TEST_F(MenuListTest, UnlinkKeepsTheListWholeAtEveryPosition)
{
    MakeMenus({{"A", {}}});
    UnlinkUserMenu(g_menuHead);
    EXPECT_EQ(g_menuHead, nullptr);
    FreeUserMenu(nullptr);  // nothing to do

    MakeMenus({{"A", {}}, {"B", {}}, {"C", {}}, {"D", {}}});
    UserMenu* head = g_menuHead;
    FreeUserMenu(head);  // the head
    EXPECT_EQ(DescribeMenus(), "B:|C:|D:");
    EXPECT_EQ(g_menuHead->prev, nullptr);
    FreeUserMenu(g_menuHead->next);  // the middle
    FreeUserMenu(g_menuHead->next);  // the last
    EXPECT_EQ(DescribeMenus(), "B:");
    ExpectConsistent();
}

TEST_F(MenuListTest, UnlinkAppItemLeavesTheOwnerAlone)
{
    MakeMenus({{"M", {"a", "b", "c"}}});
    UserMenu* menu = g_menuHead;
    AppItem* b = menu->firstApp->next;
    FreeAppItem(b);
    EXPECT_EQ(menu->count, 3);  // lowering it is the caller's
    EXPECT_EQ(menu->firstApp->next->prev, menu->firstApp);
    EXPECT_STREQ(menu->firstApp->next->name, "c");
    FreeAppItem(nullptr);
}

TEST_F(MenuListTest, FreeingReleasesEveryRecordOnce)
{
    MakeMenus({{"A", {"a1", "a2"}}, {"Empty", {}}, {"B", {"b1"}}});
    EXPECT_EQ(fw::LiveHeapBlocks(), 6);
    FreeUserMenu(g_menuHead->next);
    EXPECT_EQ(fw::LiveHeapBlocks(), 5);
    FreeAllMenus();
    EXPECT_EQ(g_menuHead, nullptr);
    EXPECT_EQ(fw::LiveHeapBlocks(), 0);
}

TEST_F(MenuListTest, FindsTakeTheFirstMatchAndWarnWhenNoneMatches)
{
    EXPECT_EQ(FindUserMenu("&Apps"), nullptr);
    MakeMenus({{"Twin", {"x", "-------", "x"}}, {"Twin", {}}});
    EXPECT_EQ(FindUserMenu("Twin"), g_menuHead);
    EXPECT_EQ(FindUserMenu("twin"), nullptr);  // case counts
    AppItem* first = g_menuHead->firstApp;
    EXPECT_EQ(FindAppItem(first, "x"), first);
    EXPECT_EQ(FindAppItem(first, "-------"), nullptr);  // the separator label, silently
    EXPECT_EQ(FindAppItem(nullptr, "x"), nullptr);
    EXPECT_EQ(FindAppItem(nullptr, "-------"), nullptr);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::string>{"Menu not found in linked list!", "Menu not found in linked list!",
                                        "Application not found in linked list!"}));
    EXPECT_EQ(fw::MessageBoxes()[0].title, "Tolvex");
    EXPECT_EQ(fw::MessageBoxes()[0].style, static_cast<UINT>(MB_ICONWARNING));
}

TEST_F(MenuListTest, MovingMenusSwapsNeighboursAndStopsAtTheEnds)
{
    MakeMenus({{"A", {}}, {"B", {}}, {"C", {}}, {"D", {}}});
    auto menu = [](int i) {
        UserMenu* m = g_menuHead;
        while (i--)
            m = m->next;
        return m;
    };
    EXPECT_EQ(MoveUserMenu(menu(1), MOVE_UP), 1);
    EXPECT_EQ(DescribeMenus(), "B:|A:|C:|D:");
    EXPECT_EQ(MoveUserMenu(menu(0), MOVE_DOWN), 1);
    EXPECT_EQ(DescribeMenus(), "A:|B:|C:|D:");
    EXPECT_EQ(MoveUserMenu(menu(1), MOVE_DOWN), 1);
    EXPECT_EQ(MoveUserMenu(menu(3), MOVE_UP), 1);
    EXPECT_EQ(DescribeMenus(), "A:|C:|D:|B:");
    EXPECT_EQ(MoveUserMenu(menu(0), MOVE_UP), 0);
    EXPECT_EQ(MoveUserMenu(menu(3), MOVE_DOWN), 0);
    EXPECT_EQ(MoveUserMenu(nullptr, MOVE_UP), 0);
    EXPECT_EQ(DescribeMenus(), "A:|C:|D:|B:");
    ExpectConsistent();
}

TEST_F(MenuListTest, MovingEntriesKeepsTheChainConsistent)
{
    MakeMenus({{"One", {"only"}}, {"M", {"a", "b", "c", "d"}}});
    AppItem* only = g_menuHead->firstApp;
    EXPECT_EQ(MoveAppItem(only, MOVE_UP), 0);
    EXPECT_EQ(MoveAppItem(only, MOVE_DOWN), 0);
    EXPECT_EQ(g_menuHead->firstApp, only);

    UserMenu* m = g_menuHead->next;
    AppItem* b = m->firstApp->next;
    EXPECT_EQ(MoveAppItem(b->next, MOVE_UP), 1);  // c above b
    EXPECT_EQ(MoveAppItem(b, MOVE_DOWN), 1);      // b below d
    EXPECT_EQ(DescribeMenus(), "One:only|M:a,c,d,b");
    EXPECT_EQ(MoveAppItem(nullptr, MOVE_DOWN), 0);
    ExpectConsistent();
}

}  // namespace
