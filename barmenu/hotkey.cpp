// The hotkey that opens the bar's menus from any program: the bar has no
// taskbar button and no Alt+Tab entry, so without it the keyboard cannot
// reach the bar at all.
#include "barmenu/barmenu.h"

#include <commctrl.h>

#include "base/report.h"

enum { HOTKEY_ID = 1, KEYS_UP_POLL_MS = 30 };

int RegisterBarHotkey()
{
    UnregisterHotKey(g_hwndBar, HOTKEY_ID);
    if (!g_hotkey)
        return 1;
    UINT key = LOBYTE(g_hotkey);
    BYTE flags = HIBYTE(g_hotkey);
    UINT modifiers = ((flags & HOTKEYF_SHIFT) ? MOD_SHIFT : 0) | ((flags & HOTKEYF_CONTROL) ? MOD_CONTROL : 0) |
        ((flags & HOTKEYF_ALT) ? MOD_ALT : 0);
    // A key held down would open the menus again and again. Systems before
    // Windows 7 refuse the flag: there the hotkey is registered without it.
    if (RegisterHotKey(g_hwndBar, HOTKEY_ID, modifiers | MOD_NOREPEAT, key))
        return 1;
    DWORD error = GetLastError();
    if (error != ERROR_HOTKEY_ALREADY_REGISTERED && RegisterHotKey(g_hwndBar, HOTKEY_ID, modifiers, key))
        return 1;
    if (error == ERROR_HOTKEY_ALREADY_REGISTERED)
        ShowWarning("Another program already uses this hotkey.\n"
                    "Tolvex keeps it and tries it again at its next start.");
    else
        ShowWarning("The hotkey could not be set.\nTolvex keeps it and tries it again at its next start.");
    return 0;
}

void OnHotkey()
{
    // A menu opened while the hotkey's own keys are still down closes at
    // once when they are released: the menu opens once they are up.
    SetForegroundWindow(g_hwndBar);
    SetTimer(g_hwndBar, HOTKEY_TIMER_ID, KEYS_UP_POLL_MS, NULL);
}

void OnHotkeyTimer()
{
    if ((GetAsyncKeyState(VK_SHIFT) | GetAsyncKeyState(VK_CONTROL) | GetAsyncKeyState(VK_MENU) |
         GetAsyncKeyState(VK_LWIN) | GetAsyncKeyState(VK_RWIN)) < 0)
        return;
    KillTimer(g_hwndBar, HOTKEY_TIMER_ID);
    // The menu loop takes the keys queued behind its start as the user's:
    // "§" is highlighted first, the first user menu stands right of it, and
    // the down arrow drops it with the keyboard on it.
    PostMessageA(g_hwndBar, WM_SYSCOMMAND, SC_KEYMENU, 0);
    if (g_popupHead)
        PostMessageA(g_hwndBar, WM_KEYDOWN, VK_RIGHT, 0);
    PostMessageA(g_hwndBar, WM_KEYDOWN, VK_DOWN, 0);
}
