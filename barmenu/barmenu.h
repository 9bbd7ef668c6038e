// The bar's user popups, the command table behind them, and the launcher.
#pragma once
#include "store/store.h"

struct CommandEntry {
    LONG id;
    AppItem* app;
    CommandEntry* next;
};

struct PopupEntry {
    HMENU popup;
    UserMenu* menu;
    PopupEntry* next;
};

extern HMENU g_hBarMenu;
extern CommandEntry* g_commandHead;
extern PopupEntry* g_popupHead;

// The highest number of applications a menu can show with ids of their own.
enum { MAX_APPS_PER_MENU = 100 };

// The command id of application j of menu k, or 0 when that position has
// no id of its own (it would collide with another item or a bar command).
LONG AppCommandId(int k, int j);

BOOL BuildBarMenus();
void ClearBarMenus();
AppItem* FindCommandApp(LONG id);

int LaunchApp(const AppItem* app);
