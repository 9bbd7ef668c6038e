#include "tests/shell/bartest.h"

#include <chrono>

#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

// What the bar holds of the platform: records and table entries, menus,
// icons, windows, open files and keys, timers and hooks.
std::vector<int> Held()
{
    return {fw::LiveHeapBlocks(),
            fw::LiveMenuCount(),
            fw::LiveIconCount(),
            static_cast<int>(fw::TopLevelWindows().size()),
            fw::OpenFileCount(),
            fw::OpenRegKeyCount(),
            static_cast<int>(fw::Timers().size()),
            static_cast<int>(fw::Hooks().size())};
}

void Press(HWND dialog, int id, WORD notification = BN_CLICKED)
{
    fw::SendToDialog(dialog, WM_COMMAND, MAKEWPARAM(id, notification), 0);
}

// One run of the bar through many reloads, rebuilds and dialogs gives back
// everything each of them takes: after the first round, nothing grows.
TEST_F(BarTest, LongUseHoldsNoMoreThanTheFirstRoundDid)
{
    for (int id : {IDD_MENUSETUP, IDD_APPSETUP, IDD_OPTIONS})
        fw::SetDialogDriver(id, [](HWND dialog) { Press(dialog, IDCANCEL); });
    fw::SetDialogDriver(IDD_ABOUT, [](HWND dialog) { Press(dialog, IDOK); });
    bool withSetups = false;
    fw::SetDialogDriver(IDD_EDITMENUS, [&](HWND dialog) {
        if (withSetups) {
            SendDlgItemMessageA(dialog, IDC_MENULIST, LB_SETCURSEL, 1, 0);
            Press(dialog, IDC_MENULIST, LBN_SELCHANGE);
            Press(dialog, IDC_MENULIST, LBN_DBLCLK);
            Press(dialog, IDC_NEWMENU);
            Press(dialog, IDC_NEWAPP);
            Press(dialog, IDC_MENUDOWN);
        }
        Press(dialog, IDOK);
    });

    const struct {
        const char* what;
        int times;
        std::function<void()> run;
    } steps[] = {
        {"reload, rebuild and save", 300,
         [] {
             ClearBarMenus();
             FreeAllMenus();
             LoadMenuList();
             BuildBarMenus();
             SaveMenuList();
         }},
        {"Edit Menus, OK", 100, [&] { withSetups = false, Send(WM_COMMAND, IDM_EDITMENUS); }},
        {"Edit Menus with its setup dialogs", 25, [&] { withSetups = true, Send(WM_COMMAND, IDM_EDITMENUS); }},
        {"Options, Cancel", 25, [] { Send(WM_COMMAND, IDM_OPTIONS); }},
        {"About, OK", 25, [] { Send(WM_COMMAND, IDM_ABOUT); }},
        {"a display change", 25, [] { Send(WM_DISPLAYCHANGE); }},
    };
    StartBar({{"&Apps", {"a", "b", "c"}}, {"&Games", {"g"}}, {"&Tools", {}}});
    SaveMenuList();
    for (const auto& step : steps)
        step.run();
    const std::vector<int> first = Held();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        auto started = std::chrono::steady_clock::now();
        for (int i = 0; i < step.times; i++)
            step.run();
        EXPECT_EQ(Held(), first);
        RecordProperty(step.what,
                       static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                            std::chrono::steady_clock::now() - started)
                                            .count()));
    }
    EXPECT_EQ(DescribeMenus(), "&Apps:a,b,c|&Games:g|&Tools:");
    EXPECT_TRUE(fw::MessageBoxes().empty());
    EXPECT_EQ(BarLayout(), (std::vector<std::string>{"[\xA7]", "[&Apps]", "[&Games]", "[&Tools]", "", "10:30 AM"}));
}

}  // namespace
