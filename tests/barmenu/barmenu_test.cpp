#include "tests/support.h"

#include "resources/resource.h"

namespace {

class BarMenuTest : public TolvexTest {
protected:
    void SetUp() override
    {
        TolvexTest::SetUp();
        WNDCLASSA cls = {};
        cls.lpfnWndProc = DefWindowProcA;
        cls.lpszClassName = "BarMenuTest";
        cls.lpszMenuName = MAKEINTRESOURCEA(IDR_BARMENU);
        RegisterClassA(&cls);
        g_hwndBar = CreateWindowExA(0, "BarMenuTest", "Tolvex", WS_POPUP, 0, 0, 640, 23, NULL, NULL, NULL, NULL);
    }

    // The bar menu as text: popups as "[name: item item]", "--" for a line,
    // items as "name=id", grayed ones as "(name)".
    static std::string Layout()
    {
        std::string out;
        for (const fw::MenuItem& item : fw::MenuItems(GetMenu(g_hwndBar))) {
            if (!out.empty())
                out += " ";
            if (!item.popup) {
                out += item.id == IDM_CLOCK ? "clock" : "'" + item.text + "'";
                continue;
            }
            out += "[" + item.text + ":";
            for (const fw::MenuItem& sub : fw::MenuItems(item.popup)) {
                if (sub.flags & MF_SEPARATOR)
                    out += " --";
                else if (sub.flags & MF_GRAYED)
                    out += " (" + sub.text + "=" + std::to_string(sub.id) + ")";
                else
                    out += " " + sub.text + "=" + std::to_string(sub.id);
            }
            out += "]";
        }
        return out;
    }

    static AppItem* App(int menu, int app)
    {
        UserMenu* m = g_menuHead;
        while (--menu)
            m = m->next;
        AppItem* a = m->firstApp;
        while (--app)
            a = a->next;
        return a;
    }
};

TEST_F(BarMenuTest, MenusBecomePopupsNumberedByPlace)
{
    MakeMenus({{"&One", {"a", "b", "c"}}, {"Empty", {}}, {"&Three", {"x", "y"}}});
    App(1, 2)->separatorBefore = 1;
    App(3, 1)->separatorBefore = 1;
    BuildBarMenus();
    EXPECT_EQ(Layout(),
              "[\xA7: &Edit Menus...=40004 &Options...=40001 -- &About Tolvex...=40005 E&xit Tolvex=40006] "
              "[&One: a=101 -- b=102 c=103] [Empty:] [&Three: -- x=301 y=302] '' clock");
    EXPECT_EQ(FindCommandApp(102), App(1, 2));
    EXPECT_EQ(FindCommandApp(302), App(3, 2));
    EXPECT_EQ(FindCommandApp(201), nullptr);
    EXPECT_EQ(FindCommandApp(104), nullptr);

    // A second build gives the same bar, with nothing left over.
    int menus = fw::LiveMenuCount();
    BuildBarMenus();
    EXPECT_EQ(fw::LiveMenuCount(), menus);
    EXPECT_EQ(Layout().find("[&One: a=101 -- b=102 c=103] [Empty:] [&Three"), Layout().find("[&One"));

    // Moving a menu renumbers at the next build.
    MoveUserMenu(g_menuHead->next->next, MOVE_UP);
    BuildBarMenus();
    EXPECT_EQ(FindCommandApp(201), App(2, 1));
    EXPECT_STREQ(FindCommandApp(201)->name, "x");

    ClearBarMenus();
    EXPECT_EQ(g_commandHead, nullptr);
    EXPECT_EQ(g_popupHead, nullptr);
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar)).size(), 3u);
}

TEST_F(BarMenuTest, AnEmptyListLeavesTheTemplateItemsOnly)
{
    fw::SetLocalTime(0, 1);
    BuildBarMenus();
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar)).size(), 3u);
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar))[2].text, "12:01 AM");
    EXPECT_EQ(FindCommandApp(101), nullptr);
}

TEST_F(BarMenuTest, PositionsWithoutAnIdOfTheirOwnAreShownButNeverChosen)
{
    EXPECT_EQ(AppCommandId(1, 100), 200);
    EXPECT_EQ(AppCommandId(1, 101), 0);
    EXPECT_EQ(AppCommandId(399, 99), 39999);
    EXPECT_EQ(AppCommandId(399, 100), 0);
    EXPECT_EQ(AppCommandId(400, 1), 0);

    std::vector<std::string> many;
    for (int i = 1; i <= 101; i++)
        many.push_back("n" + std::to_string(i));
    std::vector<MenuSpec> menus = {{"Big", many}, {"Next", {"first"}}};
    for (int k = 3; k <= 400; k++)
        menus.push_back({"M" + std::to_string(k), {"a", "b", "c", "d", "e", "f"}});
    MakeMenus(menus);
    BuildBarMenus();

    std::vector<fw::MenuItem> big = fw::MenuItems(fw::MenuItems(GetMenu(g_hwndBar))[1].popup);
    ASSERT_EQ(big.size(), 101u);
    EXPECT_EQ(big[99].id, 200u);
    EXPECT_EQ(big[100].id, 0u);
    EXPECT_TRUE(big[100].flags & MF_GRAYED);
    EXPECT_STREQ(FindCommandApp(201)->name, "first");

    std::vector<fw::MenuItem> last = fw::MenuItems(fw::MenuItems(GetMenu(g_hwndBar))[400].popup);
    ASSERT_EQ(last.size(), 6u);
    for (const fw::MenuItem& item : last)
        EXPECT_TRUE(item.id == 0 && (item.flags & MF_GRAYED)) << item.text;
    for (LONG id : {40001, 40004, 40005, 40006})
        EXPECT_EQ(FindCommandApp(id), nullptr);
    EXPECT_STREQ(FindCommandApp(39906)->name, "f");
}

TEST_F(BarMenuTest, FailedAppendsWarnAndKeepTheCommand)
{
    MakeMenus({{"M", {"a", "b"}}});
    App(1, 2)->separatorBefore = 1;
    fw::FailCalls("AppendMenuA", 1, 2);  // the separator and "b"
    BuildBarMenus();
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Error appending menus.", "Error appending menus."}));
    EXPECT_EQ(FindCommandApp(102), App(1, 2));
}

TEST_F(BarMenuTest, EntriesThatCannotBeRecordedAreNotOffered)
{
    MakeMenus({{"M", {"a"}}, {"N", {"b"}}});
    fw::FailCalls("HeapAlloc", 1, 1);  // the command entry of "a"
    BuildBarMenus();
    EXPECT_EQ(FindCommandApp(101), nullptr);
    EXPECT_EQ(fw::MenuItems(fw::MenuItems(GetMenu(g_hwndBar))[1].popup)[0].flags & MF_GRAYED,
              static_cast<UINT>(MF_GRAYED));

    fw::FailCalls("HeapAlloc", 0, 1);  // the popup entry of "M"
    BuildBarMenus();
    EXPECT_EQ(BoxTexts().back(), "Error appending menus.");
    EXPECT_EQ(Layout().find("[M:"), std::string::npos);
    EXPECT_NE(Layout().find("[N: b=201]"), std::string::npos);
    int menus = fw::LiveMenuCount();
    BuildBarMenus();
    EXPECT_EQ(fw::LiveMenuCount(), menus + 1);  // "M" is back, nothing else
}

TEST_F(BarMenuTest, PopupsTheBarRefusesAreForgottenWithTheirCommands)
{
    MakeMenus({{"M", {"a"}}, {"N", {"b"}}, {"O", {"c"}}});
    fw::FailCalls("InsertMenuA", 0, 2);
    int menus = fw::LiveMenuCount();
    BuildBarMenus();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error appending menus."});
    EXPECT_EQ(fw::LiveMenuCount(), menus + 1);
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar))[1].text, "O");  // right after the command popup
    EXPECT_EQ(FindCommandApp(101), nullptr);
    EXPECT_EQ(FindCommandApp(201), nullptr);
    EXPECT_EQ(FindCommandApp(301), App(3, 1));

    BuildBarMenus();
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar)).size(), 6u);  // each menu once
    EXPECT_EQ(fw::LiveMenuCount(), menus + 3);
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar))[1].text, "M");
}

TEST_F(BarMenuTest, PopupsOfADestroyedMenuAreOnlyForgotten)
{
    MakeMenus({{"M", {"a"}}});
    BuildBarMenus();
    DestroyWindow(g_hwndBar);
    g_hwndBar = CreateWindowExA(0, "BarMenuTest", "Tolvex", WS_POPUP, 0, 0, 640, 23, NULL, NULL, NULL, NULL);
    BuildBarMenus();
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar)).size(), 4u);
    EXPECT_EQ(fw::MenuItems(GetMenu(g_hwndBar))[0].text, "\xA7");
}

TEST_F(BarMenuTest, APopupThatCannotBeMadeIsFatal)
{
    MakeMenus({{"M", {"a"}}});
    fw::FailCalls("CreateMenu");
    EXPECT_THROW(BuildBarMenus(), fw::ProcessExit);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not create menus!"});
}

}  // namespace
