// The menu list: user menus in bar order, each with its chain of entries.
#include "store/store.h"

#include <string.h>

#include "base/report.h"
#include "base/text.h"

const char SEPARATOR_LABEL[] = "-------";

UserMenu* g_menuHead = NULL;

UserMenu* InitUserMenu(UserMenu* menu)
{
    menu->name[0] = '\0';
    menu->count = 0;
    menu->next = NULL;
    menu->prev = NULL;
    menu->firstApp = NULL;
    return menu;
}

UserMenu* NewUserMenu()
{
    void* block = HeapAlloc(GetProcessHeap(), 0, sizeof(UserMenu));
    return block ? InitUserMenu(static_cast<UserMenu*>(block)) : NULL;
}

AppItem* InitAppItem(AppItem* app)
{
    app->path[0] = '\0';
    app->workDir[0] = '\0';
    app->params[0] = '\0';
    app->name[0] = '\0';
    app->separatorBefore = 0;
    app->next = NULL;
    app->prev = NULL;
    return app;
}

AppItem* NewAppItem()
{
    void* block = HeapAlloc(GetProcessHeap(), 0, sizeof(AppItem));
    return block ? InitAppItem(static_cast<AppItem*>(block)) : NULL;
}

void CopyAppTexts(AppItem* to, const AppItem* from)
{
    CopyText(to->path, sizeof to->path, from->path);
    CopyText(to->workDir, sizeof to->workDir, from->workDir);
    CopyText(to->params, sizeof to->params, from->params);
    CopyText(to->name, sizeof to->name, from->name);
}

void AppendUserMenu(UserMenu* last, UserMenu* menu)
{
    if (last) {
        last->next = menu;
        menu->prev = last;
    } else {
        g_menuHead = menu;
    }
}

void AppendAppItem(UserMenu* menu, AppItem* last, AppItem* app)
{
    if (last) {
        last->next = app;
        app->prev = last;
    } else {
        menu->firstApp = app;
        app->prev = NULL;
    }
    menu->count++;
}

void UnlinkUserMenu(UserMenu* menu)
{
    UserMenu* prev = menu->prev;
    UserMenu* next = menu->next;
    if (prev)
        prev->next = next;
    else
        g_menuHead = next;
    if (next)
        next->prev = prev;
}

void UnlinkAppItem(AppItem* app)
{
    AppItem* prev = app->prev;
    AppItem* next = app->next;
    if (prev)
        prev->next = next;
    if (next)
        next->prev = prev;
}

void FreeAppItem(AppItem* app)
{
    if (!app)
        return;
    UnlinkAppItem(app);
    HeapFree(GetProcessHeap(), 0, app);
}

void FreeUserMenu(UserMenu* menu)
{
    if (!menu)
        return;
    AppItem* app = menu->firstApp;
    while (app) {
        AppItem* next = app->next;
        FreeAppItem(app);
        app = next;
    }
    UnlinkUserMenu(menu);
    HeapFree(GetProcessHeap(), 0, menu);
}

void FreeAllMenus()
{
    UserMenu* menu = g_menuHead;
    while (menu) {
        UserMenu* next = menu->next;
        FreeUserMenu(menu);
        menu = next;
    }
    g_menuHead = NULL;
}

UserMenu* FindUserMenu(const char* name)
{
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        if (strcmp(menu->name, name) == 0)
            return menu;
    }
    ShowWarning("Menu not found in linked list!");
    return NULL;
}

AppItem* FindAppItem(AppItem* start, const char* name)
{
    // A selected separator line names no entry.
    if (strcmp(name, SEPARATOR_LABEL) == 0)
        return NULL;
    for (AppItem* app = start; app; app = app->next) {
        if (strcmp(app->name, name) == 0)
            return app;
    }
    ShowWarning("Application not found in linked list!");
    return NULL;
}

// Both lists swap neighbours the same way; only the menu list has a head.
template <typename Record>
static int SwapWithNeighbour(Record* rec, int direction, Record** head)
{
    if (!rec)
        return 0;
    Record* prev = rec->prev;
    Record* next = rec->next;
    if (direction == MOVE_UP) {
        if (!prev)
            return 0;
        Record* prevPrev = prev->prev;
        if (next)
            next->prev = prev;
        if (prevPrev)
            prevPrev->next = rec;
        else if (head)
            *head = rec;
        prev->next = next;
        rec->next = prev;
        rec->prev = prevPrev;
        prev->prev = rec;
        return 1;
    }
    if (direction == MOVE_DOWN) {
        if (!next)
            return 0;
        Record* nextNext = next->next;
        if (prev)
            prev->next = next;
        else if (head)
            *head = next;
        if (nextNext)
            nextNext->prev = rec;
        next->prev = prev;
        rec->prev = next;
        rec->next = nextNext;
        next->next = rec;
        return 1;
    }
    return 0;
}

int MoveUserMenu(UserMenu* menu, int direction)
{
    return SwapWithNeighbour(menu, direction, &g_menuHead);
}

int MoveAppItem(AppItem* app, int direction)
{
    return SwapWithNeighbour<AppItem>(app, direction, NULL);
}
