// The program icons on the user popups' items: fetched when a popup is
// about to open, kept for the session, never waited on for long.
#include "tests/support.h"

#include "base/dpi.h"

namespace {

class MenuIconsTest : public TolvexTest {
protected:
    static HMENU StartTools(const std::vector<std::string>& paths)
    {
        std::vector<std::string> names;
        for (size_t i = 0; i < paths.size(); i++)
            names.push_back("app" + std::to_string(i));
        MakeMenus({{"&Tools", names}});
        AppItem* app = g_menuHead->firstApp;
        for (const std::string& path : paths) {
            CopyText(app->path, sizeof app->path, path.c_str());
            app = app->next;
        }
        StartBar();
        return GetSubMenu(g_hBarMenu, 1);
    }
    static void Open(HMENU popup)
    {
        SendMessageA(g_hwndBar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 1);
    }
    // Opens the popup and waits for what the shell was still fetching then:
    // a process's first icons take the shell longer than the bar waits.
    static void OpenAndSettle(HMENU popup)
    {
        Open(popup);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 1500;) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
            Pump();
        }
        Open(popup);
    }
};

HBITMAP ItemBitmap(HMENU popup, int position)
{
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    GetMenuItemInfoA(popup, static_cast<UINT>(position), TRUE, &item);
    return item.hbmpItem;
}

// Whether a bitmap is 32-bit, of the small icon size for the bar's DPI, with
// alpha both see-through and opaque.
bool IsIcon(HBITMAP bitmap)
{
    DIBSECTION dib = {};
    int size = MetricForDpi(SM_CXSMICON, WindowDpi(g_hwndBar));
    if (GetObjectA(bitmap, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32 || dib.dsBm.bmWidth != size ||
        dib.dsBm.bmHeight != size)
        return false;
    const DWORD* bits = static_cast<const DWORD*>(dib.dsBm.bmBits);
    bool clear = false, opaque = false;
    for (int i = 0; i < size * size; i++) {
        clear = clear || bits[i] >> 24 == 0;
        opaque = opaque || bits[i] >> 24 == 0xFF;
    }
    return clear && opaque;
}

TEST_F(MenuIconsTest, EachEntryShowsTheIconTheShellShowsForItsPathOnceItsPopupOpens)
{
    StartTools({"c:\\windows\\notepad.exe", "%windir%\\notepad.exe", "c:\\nowhere\\gone.exe"});
    g_menuHead->firstApp->next->separatorBefore = 1;
    BuildBarMenus();
    HMENU popup = GetSubMenu(g_hBarMenu, 1);
    ASSERT_EQ(4, GetMenuItemCount(popup));
    EXPECT_TRUE(seam::state.fileInfoCalls.empty()) << "nothing is fetched before a popup opens";
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(NULL, ItemBitmap(popup, i)) << i;

    OpenAndSettle(popup);
    EXPECT_EQ(NULL, ItemBitmap(popup, 1)) << "the separator line";
    for (int i : {0, 2, 3})
        EXPECT_TRUE(IsIcon(ItemBitmap(popup, i))) << i;
    char windir[MAX_PATH];
    GetEnvironmentVariableA("windir", windir, sizeof windir);
    // The file's own icon; for a file that is not there, its type's. Asked
    // for on several threads at once, in any order.
    std::vector<std::string> asked;
    for (const seam::FileInfoCall& call : seam::state.fileInfoCalls)
        asked.push_back(call.path + ((call.flags & SHGFI_USEFILEATTRIBUTES) ? " by type" : ""));
    std::vector<std::string> expected{"c:\\windows\\notepad.exe", std::string(windir) + "\\notepad.exe",
                                      "c:\\nowhere\\gone.exe", "c:\\nowhere\\gone.exe by type"};
    std::sort(asked.begin(), asked.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, asked);

    HMENU command = GetSubMenu(g_hBarMenu, 0);
    Open(command);
    for (int i = 0; i < GetMenuItemCount(command); i++)
        EXPECT_EQ(NULL, ItemBitmap(command, i)) << "the command popup keeps its look, item " << i;
}

TEST_F(MenuIconsTest, IconsAreKeptForTheSessionWhilePathsStayAndFreedWhenTheyGo)
{
    HMENU popup = StartTools({"c:\\windows\\notepad.exe", "c:\\windows\\regedit.exe"});
    OpenAndSettle(popup);
    HBITMAP kept = ItemBitmap(popup, 0), dropped = ItemBitmap(popup, 1);
    ASSERT_NE(HBITMAP(NULL), kept);
    MENUITEMINFOA none = {};
    none.cbSize = sizeof none;
    none.fMask = MIIM_BITMAP;
    SetMenuItemInfoA(popup, 1, TRUE, &none);
    Open(popup);
    EXPECT_EQ(kept, ItemBitmap(popup, 0));
    EXPECT_EQ(NULL, ItemBitmap(popup, 1)) << "a second opening puts the icons on again";
    EXPECT_EQ(2u, seam::state.fileInfoCalls.size()) << "a second opening fetches again";

    // User Menus changed the second entry's path and rebuilt the bar.
    CopyText(g_menuHead->firstApp->next->path, APP_PATH_SIZE, "c:\\windows\\winhlp32.exe");
    BuildBarMenus();
    EXPECT_EQ(0u, GetObjectType(dropped));
    popup = GetSubMenu(g_hBarMenu, 1);
    Open(popup);
    EXPECT_EQ(kept, ItemBitmap(popup, 0));

    FreeMenuIcons();  // at exit
    EXPECT_EQ(0u, GetObjectType(kept));
}

TEST_F(MenuIconsTest, ASlowPathShowsTheGenericIconUntilItsOwnComes)
{
    seam::state.slowPath = "sleeping";
    seam::state.slowMs = 1000;  // a call, and a path not there takes two
    HMENU popup = StartTools({"d:\\sleeping\\tool.exe"});
    DWORD start = GetTickCount();
    Open(popup);
    EXPECT_LT(GetTickCount() - start, 1000u) << "the bar waited on the shell";
    HBITMAP generic = ItemBitmap(popup, 0);
    EXPECT_TRUE(IsIcon(generic));

    while (ItemBitmap(popup, 0) == generic && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, NULL, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    HBITMAP own = ItemBitmap(popup, 0);
    EXPECT_NE(generic, own);
    EXPECT_TRUE(IsIcon(own));
}

}  // namespace
