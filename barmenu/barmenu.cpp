// The user menus as popups of the bar menu, and the command table that
// maps each application item's command id back to its entry.
#include "barmenu/barmenu.h"

#include "base/report.h"
#include "resources/resource.h"

HMENU g_hBarMenu = NULL;
CommandEntry* g_commandHead = NULL;
PopupEntry* g_popupHead = NULL;

static const char APPEND_FAILED_TEXT[] = "Error appending menus.";

LONG AppCommandId(int k, int j)
{
    // The 101st entry of menu k would take the id of menu k + 1's first,
    // and from menu 400 on the ids reach the bar's own commands.
    if (k < 1 || j < 1 || j > MAX_APPS_PER_MENU || k >= IDM_FIRSTFIXED / 100)
        return 0;
    LONG id = 100 * k + j;
    return id < IDM_FIRSTFIXED ? id : 0;
}

template <typename Entry>
static Entry* NewEntry()
{
    return static_cast<Entry*>(HeapAlloc(GetProcessHeap(), 0, sizeof(Entry)));
}

// Releases the command entries from *from on; *from ends the table then.
static void FreeCommands(CommandEntry** from)
{
    while (*from) {
        CommandEntry* next = (*from)->next;
        HeapFree(GetProcessHeap(), 0, *from);
        *from = next;
    }
}

void ClearBarMenus()
{
    FreeCommands(&g_commandHead);
    while (g_popupHead) {
        PopupEntry* next = g_popupHead->next;
        // The popups stand at positions 1 to N, first menu first. After a
        // display change they went with the old window's menu, and the new
        // one has none of them at position 1: then there is nothing to delete.
        if (GetSubMenu(g_hBarMenu, 1) == g_popupHead->popup)
            DeleteMenu(g_hBarMenu, 1, MF_BYPOSITION);
        HeapFree(GetProcessHeap(), 0, g_popupHead);
        g_popupHead = next;
    }
}

static void AppendAppItems(HMENU popup, const UserMenu* menu, int k, CommandEntry**& commandTail)
{
    int j = 0;
    for (AppItem* app = menu->firstApp; app; app = app->next) {
        j++;
        if (app->separatorBefore && !AppendMenuA(popup, MF_SEPARATOR, 0, NULL))
            ShowWarning(APPEND_FAILED_TEXT);
        LONG id = AppCommandId(k, j);
        CommandEntry* entry = id ? NewEntry<CommandEntry>() : NULL;
        if (!entry) {
            // Shown, but never chosen: it has no command id of its own.
            if (!AppendMenuA(popup, MF_STRING | MF_GRAYED, 0, app->name))
                ShowWarning(APPEND_FAILED_TEXT);
            continue;
        }
        if (!AppendMenuA(popup, MF_STRING, static_cast<UINT_PTR>(id), app->name))
            ShowWarning(APPEND_FAILED_TEXT);
        entry->id = id;
        entry->app = app;
        entry->next = NULL;
        *commandTail = entry;
        commandTail = &entry->next;
    }
}

BOOL BuildBarMenus()
{
    g_hBarMenu = GetMenu(g_hwndBar);
    UpdateClock();
    ClearBarMenus();

    CommandEntry** commandTail = &g_commandHead;
    PopupEntry** popupTail = &g_popupHead;
    int k = 0;
    int inserted = 0;
    bool insertWarned = false;
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        k++;
        HMENU popup = CreateMenu();
        if (!popup)
            FatalError("Could not create menus!");
        PopupEntry* entry = NewEntry<PopupEntry>();
        if (!entry) {
            // A popup the list does not know of could never be taken out again.
            DestroyMenu(popup);
            ShowWarning(APPEND_FAILED_TEXT);
            continue;
        }
        CommandEntry** menuCommands = commandTail;
        AppendAppItems(popup, menu, k, commandTail);
        // The popup list must hold exactly the popups at positions 1 to N:
        // one it counted that is not there would make the next build delete
        // another menu's popup and leave a duplicate on the bar.
        if (!InsertMenuA(g_hBarMenu, static_cast<UINT>(inserted + 1), MF_BYPOSITION | MF_POPUP,
                         reinterpret_cast<UINT_PTR>(popup), menu->name)) {
            DestroyMenu(popup);
            HeapFree(GetProcessHeap(), 0, entry);
            FreeCommands(menuCommands);
            commandTail = menuCommands;
            if (!insertWarned)
                ShowWarning(APPEND_FAILED_TEXT);
            insertWarned = true;
            continue;
        }
        inserted++;
        entry->popup = popup;
        entry->menu = menu;
        entry->iconSize = 0;
        entry->iconsPending = false;
        entry->next = NULL;
        *popupTail = entry;
        popupTail = &entry->next;
    }
    KeepUsedMenuIcons();
    return DrawMenuBar(g_hwndBar);
}

AppItem* FindCommandApp(LONG id)
{
    for (CommandEntry* entry = g_commandHead; entry; entry = entry->next) {
        if (entry->id == id)
            return entry->app;
    }
    return NULL;
}
