// Quicker ways to an entry than User Menus: the small menu a right click
// on an entry of an open user menu shows, and a file dropped on the bar.
#include "shell/shell.h"

#include "barmenu/barmenu.h"
#include "base/syslib.h"
#include "dialogs/dialogs.h"
#include "resources/resource.h"

enum { ENTRY_RUN_AS_ADMIN = 1, ENTRY_OPEN_LOCATION, ENTRY_EDIT };

void OnMenuRightClick(HMENU menu, UINT position)
{
    UINT id = GetMenuItemID(menu, static_cast<int>(position));
    if (id == static_cast<UINT>(-1) || !FindCommandApp(static_cast<LONG>(id)))
        return;
    // The small menu opens once the bar's has closed: a menu opened inside
    // another's loop is not safe on every system, and Edit... may not open
    // User Menus inside it either.
    EndMenu();
    PostMessageA(g_hwndBar, WM_ENTRY_MENU, 0, static_cast<LPARAM>(id));
}

void OnEntryMenu(LPARAM id)
{
    AppItem* app = FindCommandApp(static_cast<LONG>(id));
    HMENU popup = app ? CreatePopupMenu() : NULL;
    if (!popup)
        return;
    AppendMenuA(popup, MF_STRING, ENTRY_RUN_AS_ADMIN, "Run as &administrator");
    AppendMenuA(popup, MF_STRING, ENTRY_OPEN_LOCATION, "Open file &location");
    AppendMenuA(popup, MF_STRING, ENTRY_EDIT, "&Edit...");
    POINT at;
    GetCursorPos(&at);
    SetForegroundWindow(g_hwndBar);  // so that a click elsewhere closes it
    BOOL choice = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, g_hwndBar, NULL);
    DestroyMenu(popup);
    switch (choice) {
    case ENTRY_RUN_AS_ADMIN:
        LaunchApp(app, true);
        break;
    case ENTRY_OPEN_LOCATION:
        ShowAppLocation(app);
        break;
    case ENTRY_EDIT:
        g_editStart.select = app;
        RunBarDialog(IDD_EDITMENUS, EditProc);
        break;
    }
}

// The menu of the bar item under a point of the screen; the first menu
// when the point is on none.
static UserMenu* MenuAt(POINT at)
{
    int position = MenuItemFromPoint(g_hwndBar, g_hBarMenu, at);
    int k = 1;
    for (PopupEntry* entry = g_popupHead; entry; entry = entry->next, k++)
        if (k == position)
            return entry->menu;
    return g_menuHead;
}

void OnBarDrop(HDROP drop)
{
    // The drop's point is in the bar's client coordinates; the menus lie above them.
    auto queryPoint = SystemProc<decltype(&DragQueryPoint)>("shell32.dll", "DragQueryPoint");
    POINT at = {0, 0};
    if (queryPoint)
        queryPoint(drop, &at);
    ClientToScreen(g_hwndBar, &at);
    UserMenu* menu = MenuAt(at);
    bool made = menu && DroppedEntry(drop, 0, &g_editStart.prefill);
    FinishDrop(drop);
    if (!menu) {
        ShowWarning("There is no menu to add the file to.\nMake one with New Menu in Edit Menus first.");
        return;
    }
    if (!made)
        return;
    g_editStart.addTo = menu;
    RunBarDialog(IDD_EDITMENUS, EditProc);
}
