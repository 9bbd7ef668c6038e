// The hotkey: set in Options, refused while another program has it, kept
// in its own registry value and taken again at the next start. What it
// opens is shown by entrymenu_test.cpp, which starts from it.
#include <commctrl.h>

#include "tests/shell/bar.h"

using HotkeyTest = TolvexTest;

// Whether some window holds Ctrl+Alt+K: then no other may have it.
static bool CtrlAltKTaken()
{
    if (!RegisterHotKey(NULL, 7, MOD_CONTROL | MOD_ALT, 'K'))
        return GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED;
    UnregisterHotKey(NULL, 7);
    return false;
}

TEST_F(HotkeyTest, OptionsRegistersItExitStoresItAndTheNextStartTakesItOnceFree)
{
    const DWORD ctrlAltK = MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT);
    for (bool taken : {false, true}) {
        SCOPED_TRACE(taken ? "taken" : "free");
        seam::Reset();
        g_hotkey = 0;
        StartBar();
        EXPECT_EQ(taken, taken && RegisterHotKey(NULL, 9, MOD_CONTROL | MOD_ALT, 'K'));
        RunFromBar(IDM_OPTIONS, "Tolvex Options", [&](HWND dialog) {
            SendDlgItemMessageA(dialog, IDC_HOTKEY, HKM_SETHOTKEY, ctrlAltK, 0);
            seam::Click(dialog, IDOK);
        });
        EXPECT_TRUE(CtrlAltKTaken());
        std::vector<std::string> boxes;
        if (taken)
            boxes = {
                "Another program already uses this hotkey.\nTolvex keeps it and tries it again at its next start."};
        EXPECT_EQ(boxes, seam::BoxTexts());
        SaveUserVars();
        UnregisterHotKey(NULL, 9);
        TearDownBar();
        EXPECT_FALSE(CtrlAltKTaken());
        LoadUserVars();
        EXPECT_EQ(ctrlAltK, g_hotkey);
        StartBar();
        EXPECT_TRUE(CtrlAltKTaken());
        TearDownBar();
    }
    g_hotkey = 0;
    SaveUserVars();
    DWORD size = 0;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegGetValueA(HKEY_CURRENT_USER, "Software\\Tolvex", "Hotkey", RRF_RT_ANY, NULL, NULL, &size))
        << "no hotkey is no value";
}
