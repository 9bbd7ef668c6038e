// The hotkey that opens the menus: set in Options, refused when taken,
// kept in its own registry value, and what it opens.
#include "tests/support.h"

#include <commctrl.h>

#include "resources/resource.h"

namespace {

const DWORD CTRL_ALT_K = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);

class HotkeyTest : public TolvexTest {
protected:
    // Runs the queue until `done`, or fails after 5 s.
    static void PumpUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 500 && !done(); i++) {
            MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
            Pump();
        }
        ASSERT_TRUE(done());
    }

    void TearDown() override
    {
        g_hotkey = 0;
        TolvexTest::TearDown();
    }
};

// Whether the system holds Ctrl+Alt+K for some window: then no other may have it.
bool CtrlAltKTaken()
{
    if (!RegisterHotKey(NULL, 7, MOD_CONTROL | MOD_ALT, 'K'))
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
    UnregisterHotKey(NULL, 7);
    return false;
}

DWORD StoredHotkey()
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Tolvex", "Hotkey", RRF_RT_REG_DWORD, NULL, &value, &size))
        return 0xDEAD;
    return value;
}

// Inside the menu loop: Enter, once a menu has dropped down.
void CALLBACK EnterOnDroppedMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowA("#32768", NULL);
    if (!popup || !IsWindowVisible(popup))
        return;
    KillTimer(NULL, timer);
    PostMessageA(g_hwndBar, WM_KEYDOWN, VK_RETURN, 0);
}

}  // namespace

TEST_F(HotkeyTest, OptionsRegistersTheCombinationAndExitStoresItUnlessAnotherProgramHasIt)
{
    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "taken" : "free");
        seam::Reset();
        StartBar();
        if (taken) {
            ASSERT_TRUE(RegisterHotKey(NULL, 9, MOD_CONTROL | MOD_ALT, 'K'));
        }
        seam::DialogScript script;
        script.On("Tolvex Options", [](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETHOTKEY, CTRL_ALT_K, 0);
            seam::Click(dialog, IDOK);
        });
        SendMessageA(g_hwndBar, WM_COMMAND, IDM_OPTIONS, 0);
        EXPECT_EQ(CTRL_ALT_K, g_hotkey);
        EXPECT_TRUE(CtrlAltKTaken());
        std::vector<std::string> boxes;
        if (taken)
            boxes = {
                "Another program already uses this hotkey.\nTolvex keeps it and tries it again at its next start."};
        EXPECT_EQ(boxes, seam::BoxTexts());
        SaveUserVars();
        EXPECT_EQ(CTRL_ALT_K, StoredHotkey());
        // The next start tries it again, and has it once it is free.
        if (taken)
            UnregisterHotKey(NULL, 9);
        TearDownBar();
        EXPECT_FALSE(CtrlAltKTaken());
        g_hotkey = 0;
        LoadUserVars();
        StartBar();
        EXPECT_TRUE(CtrlAltKTaken());
        TearDownBar();
        // None is no value at all.
        g_hotkey = 0;
        SaveUserVars();
        EXPECT_EQ(0xDEADu, StoredHotkey());
    }
}

TEST_F(HotkeyTest, TheHotkeyDropsTheFirstUserMenuOrTheBarsOwnWithTheKeyboardOnIt)
{
    struct Case {
        std::vector<MenuSpec> menus;
        std::string launched;  // the first entry, chosen with Enter; "" for Edit Menus
    };
    const Case cases[] = {
        {{{"&One", {"a", "b"}}, {"&Two", {"c"}}}, "c:\\a.exe"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.launched);
        seam::Reset();
        FreeAllMenus();
        MakeMenus(c.menus);
        StartBar();
        bool edited = false;
        seam::DialogScript script;
        if (c.launched.empty())
            script.On("User Menus", [&](HWND dialog) {
                edited = true;
                seam::Click(dialog, IDOK);
            });
        SetTimer(NULL, 0, 20, EnterOnDroppedMenu);
        PostMessageA(g_hwndBar, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT, 'K'));
        PumpUntil([&] { return edited || !seam::Launches().empty(); });
        if (!c.launched.empty()) {
            ASSERT_EQ(1u, seam::Launches().size());
            EXPECT_EQ(c.launched, seam::Launches()[0].file);
        }
        ClearBarMenus();
        TearDownBar();
    }
}
