// Long use: rebuilds and every dialog give back what they take. Only the
// bar's own objects are counted, so other programs on the machine do not
// move the numbers; after a first round of each, any growth is a leak, so
// a few rounds suffice.
#include "tests/shell/bar.h"

namespace {

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Heap blocks, then the menus and windows the program made. (File handles
// are not counted: the system hands a closed one's value out again.)
std::vector<int> Held()
{
    auto alive = [](std::initializer_list<const char*> calls, BOOL (*live)(void*)) {
        int n = 0;
        for (const char* call : calls)
            for (void* handle : seam::Made(call))
                n += live(handle) ? 1 : 0;
        return n;
    };
    int threadWindows = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&threadWindows));
    return {seam::LiveHeapBlocks(),
            alive({"CreateMenu", "CreatePopupMenu"}, [](void* h) { return IsMenu(static_cast<HMENU>(h)); }),
            alive({"CreateWindowExA"}, [](void* h) { return IsWindow(static_cast<HWND>(h)); }), threadWindows};
}

TEST_F(BarTest, LongUseHoldsNoMoreThanTheFirstRoundDid)
{
    seam::DialogScript script(600000);
    auto cancel = [](HWND dialog) { seam::Click(dialog, IDCANCEL); };
    auto editMenusWithSetups = [](HWND dialog) {
        seam::SelectRow(dialog, IDC_MENULIST, 1);
        seam::DoubleClickRow(dialog, IDC_MENULIST, 1);
        seam::Click(dialog, IDC_NEWMENU);
        seam::Click(dialog, IDC_NEWAPP);
        seam::SelectRow(dialog, IDC_MENULIST, 1);
        seam::Click(dialog, IDC_MENUDOWN);
        seam::Click(dialog, IDOK);
    };
    const struct {
        const char* what;
        int times;
        std::function<void()> run;
    } steps[] = {
        {"reload, rebuild and save", 20,
         [] {
             ClearBarMenus();
             FreeAllMenus();
             LoadMenuList();
             BuildBarMenus();
             SaveMenuList();
         }},
        {"Edit Menus with its setup dialogs", 3,
         [&] {
             script.On("User Menus", editMenusWithSetups)
                 .On("Menu Setup", cancel)
                 .On("Menu Setup", cancel)
                 .On("Application Setup", cancel);
             Send(WM_COMMAND, IDM_EDITMENUS);
         }},
        {"Options, Cancel", 3,
         [&] {
             script.On("Tolvex Options", cancel);
             Send(WM_COMMAND, IDM_OPTIONS);
         }},
        {"About, OK", 3,
         [&] {
             script.On("About Tolvex", [](HWND dialog) { seam::Click(dialog, IDOK); });
             Send(WM_COMMAND, IDM_ABOUT);
         }},
        {"a display change", 5, [] { Send(WM_DISPLAYCHANGE); }},
    };
    seam::SetLocalTime(10, 30);
    StartBarOver({{"&Apps", {"a", "b", "c"}}, {"&Games", {"g"}}, {"&Tools", {}}});
    SaveMenuList();
    for (const auto& step : steps)
        step.run();
    const std::vector<int> first = Held();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        for (int i = 0; i < step.times; i++)
            step.run();
        EXPECT_EQ(Held(), first);
    }
    EXPECT_TRUE(script.Done());
    EXPECT_TRUE(seam::state.boxes.empty());
    EXPECT_EQ(GetMenuItemCount(GetMenu(g_hwndBar)), 6);
    EXPECT_EQ(ClockText(), "10:30 AM");
}

}  // namespace
