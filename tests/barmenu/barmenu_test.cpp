// The user menus on the real bar's menu bar, and the commands behind them.
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using BarMenuTest = TolvexTest;

// The bar menu as text: popups as "[name: item item]", "--" for a line,
// items as "name=id", grayed ones as "(name=id)".
std::string Layout()
{
    HMENU bar = GetMenu(g_hwndBar);
    std::vector<std::string> texts = MenuTexts(bar);
    std::string out;
    for (int i = 0; i < static_cast<int>(texts.size()); i++) {
        out += i ? " " : "";
        HMENU popup = GetSubMenu(bar, i);
        if (!popup) {
            out += GetMenuItemID(bar, i) == IDM_CLOCK ? "clock" : "'" + texts[i] + "'";
            continue;
        }
        out += "[" + texts[i] + ":";
        std::vector<std::string> items = MenuTexts(popup);
        for (int j = 0; j < static_cast<int>(items.size()); j++) {
            UINT state = GetMenuState(popup, j, MF_BYPOSITION);
            std::string item = items[j] + "=" + std::to_string(GetMenuItemID(popup, j));
            out += state & MF_SEPARATOR ? " --" : state & MF_GRAYED ? " (" + item + ")" : " " + item;
        }
        out += "]";
    }
    return out;
}

TEST_F(BarMenuTest, MenusBecomePopupsNumberedByPlace)
{
    StartBar();
    MakeMenus({{"&One", {"a", "b", "c"}}, {"Empty", {}}, {"&Three", {"x", "y"}}});
    AppItem* b = g_menuHead->firstApp->next;
    AppItem* x = g_menuHead->next->next->firstApp;
    b->separatorBefore = x->separatorBefore = 1;
    const std::string user = "[&One: a=101 -- b=102 c=103] [Empty:] [&Three: -- x=301 y=302]";
    for (int build = 1; build <= 2; build++) {
        SCOPED_TRACE(build);  // a second build gives the same bar, with nothing left over
        BuildBarMenus();
        EXPECT_EQ(3, seam::LiveMenus());
        EXPECT_EQ("[\xa7: &Edit Menus...=40004 &Options...=40001 -- &About Tolvex...=40005 E&xit Tolvex=40006] " +
                      user + " '' clock",
                  Layout());
        EXPECT_EQ(b, FindCommandApp(102));
        EXPECT_EQ(x->next, FindCommandApp(302));
        EXPECT_EQ(nullptr, FindCommandApp(201));
        EXPECT_EQ(nullptr, FindCommandApp(104));
    }

    // Moving a menu renumbers at the next build.
    MoveUserMenu(g_menuHead->next->next, MOVE_UP);
    BuildBarMenus();
    EXPECT_STREQ("x", FindCommandApp(201)->name);

    ClearBarMenus();
    EXPECT_EQ(nullptr, g_commandHead);
    EXPECT_EQ(nullptr, g_popupHead);
    EXPECT_EQ(3, GetMenuItemCount(g_hBarMenu));
    EXPECT_EQ(0, seam::LiveMenus());
}

// Entry 101 of a menu would take the id of the next menu's first, and from
// menu 400 on the ids would reach the bar's own commands: such entries are
// shown grayed and never chosen.
TEST_F(BarMenuTest, PositionsWithoutAnIdOfTheirOwnAreShownButNeverChosen)
{
    const struct {
        int k, j;
        LONG id;
    } ids[] = {{1, 1, 101}, {1, 100, 200}, {1, 101, 0}, {399, 99, 39999}, {399, 100, 0}, {400, 1, 0}, {0, 1, 0}};
    for (const auto& c : ids)
        EXPECT_EQ(c.id, AppCommandId(c.k, c.j)) << c.k << "," << c.j;

    std::vector<std::string> full;
    for (int i = 1; i <= 101; i++)
        full.push_back("full" + std::to_string(i));
    std::vector<MenuSpec> menus = {{"&Full", full}, {"&Next", {"next1"}}};
    for (int k = 3; k <= 400; k++)
        menus.push_back({"M" + std::to_string(k), {"a", "b", "c", "d", "e", "f"}});
    MakeMenus(menus);
    StartBar();

    HMENU big = GetSubMenu(g_hBarMenu, 1);
    ASSERT_EQ(101, GetMenuItemCount(big));
    EXPECT_EQ(200u, GetMenuItemID(big, 99));
    EXPECT_EQ(0u, GetMenuItemID(big, 100));
    EXPECT_TRUE(GetMenuState(big, 100, MF_BYPOSITION) & MF_GRAYED);
    HMENU last = GetSubMenu(g_hBarMenu, 400);
    ASSERT_EQ(6, GetMenuItemCount(last));
    for (int j = 0; j < 6; j++)
        EXPECT_TRUE(GetMenuItemID(last, j) == 0 && (GetMenuState(last, j, MF_BYPOSITION) & MF_GRAYED)) << j;
    EXPECT_STREQ("f", FindCommandApp(39906)->name);

    // Chosen on the bar: each id starts its own entry, whatever the high word
    // and lParam say; the clock's id is the bar's own, an id of none warns.
    for (WORD id : {101, 200, 201, IDM_CLOCK, 307})
        SendMessageA(g_hwndBar, WM_COMMAND, MAKEWPARAM(id, 1), 77);
    std::vector<std::string> started;
    for (const seam::Launch& launch : seam::state.launches)
        started.push_back(launch.file);
    EXPECT_EQ((std::vector<std::string>{"c:\\full1.exe", "c:\\full100.exe", "c:\\next1.exe"}), started);
    EXPECT_EQ(std::vector<std::string>{"Menu item not found."}, seam::BoxTexts());
}

TEST_F(BarMenuTest, WhatTheBarRefusesIsWarnedOfAndForgotten)
{
    MakeMenus({{"M", {"a", "b"}}, {"N", {"c"}}, {"O", {"d"}}});
    g_menuHead->firstApp->next->separatorBefore = 1;
    StartBar();
    const struct {
        const char* what;
        const char* fails;
        int nth, times;
        size_t warnings;           // "Error appending menus."
        std::string user;          // the user popups
        std::vector<LONG> chosen;  // the ids that start an entry
        int menus;                 // popups alive
    } cases[] = {
        {"no separator and no b", "AppendMenuA", 2, 2, 2, "[M: a=101] [N: c=201] [O: d=301]", {101, 102, 201, 301}, 3},
        {"no record for a", "HeapAlloc", 2, 1, 0, "[M: (a=0) -- b=102] [N: c=201] [O: d=301]", {102, 201, 301}, 3},
        {"no record for M's popup", "HeapAlloc", 1, 1, 1, "[N: c=201] [O: d=301]", {201, 301}, 2},
        {"the bar takes neither M nor N", "InsertMenuA", 1, 2, 1, "[O: d=301]", {301}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        seam::Reset();
        seam::Fail(c.fails, c.nth, ERROR_NOT_ENOUGH_MEMORY, c.times);
        BuildBarMenus();
        EXPECT_EQ(std::vector<std::string>(c.warnings, "Error appending menus."), seam::BoxTexts());
        EXPECT_NE(std::string::npos, Layout().find("40006] " + c.user + " '' clock")) << Layout();
        std::vector<LONG> chosen;
        for (LONG id : {101, 102, 103, 201, 301})
            if (FindCommandApp(id))
                chosen.push_back(id);
        EXPECT_EQ(c.chosen, chosen);
        EXPECT_EQ(c.menus, seam::LiveMenus());

        BuildBarMenus();
        EXPECT_NE(std::string::npos, Layout().find("40006] [M: a=101 -- b=102] [N: c=201] [O: d=301] '' clock"));
        EXPECT_EQ(3, seam::LiveMenus());
    }
}

}  // namespace
