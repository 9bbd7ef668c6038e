// Menus of the user32 model: bars and popups, positional and by-command
// access (by command reaching into popups), and their destruction.
#include "state.h"

#include <algorithm>
#include <cstddef>

namespace fw {
namespace detail {

static Menu* LiveMenu(HMENU menu)
{
    auto it = S().menus.find(menu);
    if (it == S().menus.end() || it->second.destroyed)
        return nullptr;
    return &it->second;
}

static HMENU NewMenu()
{
    HMENU menu = reinterpret_cast<HMENU>(NewHandleValue());
    S().menus[menu] = Menu();
    return menu;
}

bool DestroyMenuNow(HMENU handle)
{
    Menu* menu = LiveMenu(handle);
    if (menu == nullptr)
        return false;
    menu->destroyed = true;
    std::vector<MenuItem> items;
    items.swap(menu->items);
    for (const MenuItem& item : items)
        if (item.popup != nullptr)
            DestroyMenuNow(item.popup);
    return true;
}

struct Found {
    HMENU menu = nullptr;
    size_t pos = 0;
};

// By command, Windows looks into each popup before testing the popup item
// itself, depth first.
static bool FindByCommand(HMENU handle, UINT id, Found* found, int depth = 0)
{
    Menu* menu = LiveMenu(handle);
    if (menu == nullptr || depth > 32)
        return false;
    for (size_t i = 0; i < menu->items.size(); ++i) {
        const MenuItem& item = menu->items[i];
        if (item.popup != nullptr) {
            if (FindByCommand(item.popup, id, found, depth + 1))
                return true;
            if (static_cast<UINT>(reinterpret_cast<UINT_PTR>(item.popup)) == id) {
                found->menu = handle;
                found->pos = i;
                return true;
            }
        } else if (!(item.flags & MF_SEPARATOR) && static_cast<UINT>(item.id) == id) {
            found->menu = handle;
            found->pos = i;
            return true;
        }
    }
    return false;
}

static bool FindItem(HMENU handle, UINT position, UINT flags, Found* found)
{
    if (flags & MF_BYPOSITION) {
        Menu* menu = LiveMenu(handle);
        if (menu == nullptr || position >= menu->items.size())
            return false;
        found->menu = handle;
        found->pos = position;
        return true;
    }
    return FindByCommand(handle, position, found);
}

static MenuItem& ItemAt(const Found& found)
{
    return S().menus[found.menu].items[found.pos];
}

// The flags an item keeps: those that describe it, not how it was addressed.
static UINT ItemFlags(UINT flags)
{
    return flags & ~static_cast<UINT>(MF_BYPOSITION);
}

static MenuItem MakeItem(UINT flags, UINT_PTR id, LPCSTR text)
{
    MenuItem item;
    item.flags = ItemFlags(flags);
    item.id = id;
    item.popup = (flags & MF_POPUP) ? reinterpret_cast<HMENU>(id) : nullptr;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text != nullptr)
        item.text = text;
    return item;
}

static bool ValidNewItem(UINT flags, UINT_PTR id)
{
    return !(flags & MF_POPUP) || LiveMenu(reinterpret_cast<HMENU>(id)) != nullptr;
}

}  // namespace detail

using namespace detail;

// ---- inspection ----------------------------------------------------------------------

bool MenuExists(HMENU menu)
{
    return LiveMenu(menu) != nullptr;
}

std::vector<MenuItem> MenuItems(HMENU menu)
{
    Menu* m = LiveMenu(menu);
    return m ? m->items : std::vector<MenuItem>();
}

int LiveMenuCount()
{
    int count = 0;
    for (auto& entry : S().menus)
        if (!entry.second.destroyed)
            ++count;
    return count;
}

void SetMenuResource(int id, std::function<HMENU()> factory)
{
    S().menuResources[id] = std::move(factory);
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

HMENU WINAPI GetMenu(HWND hWnd)
{
    if (Call("GetMenu", ERROR_INVALID_WINDOW_HANDLE))
        return nullptr;
    Window* w = LiveWindow(hWnd);
    if (w == nullptr || (w->style & WS_CHILD))
        return nullptr;
    return w->menu;
}

BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu)
{
    if (Call("SetMenu", ERROR_INVALID_MENU_HANDLE))
        return FALSE;
    Window* w = LiveWindow(hWnd);
    if (w == nullptr || (w->style & WS_CHILD)) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    if (hMenu != nullptr && LiveMenu(hMenu) == nullptr) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    // The old menu is not destroyed: it is the caller's again.
    w->menu = hMenu;
    return TRUE;
}

HMENU WINAPI LoadMenuA(HINSTANCE, LPCSTR lpMenuName)
{
    if (Call("LoadMenuA", ERROR_RESOURCE_NAME_NOT_FOUND))
        return nullptr;
    if (lpMenuName != nullptr && IS_INTRESOURCE(lpMenuName)) {
        auto it = S().menuResources.find(LOWORD(lpMenuName));
        if (it != S().menuResources.end()) {
            // Loading a menu resource is the system's work, not calls of the program.
            auto factory = it->second;
            InternalCalls internal;
            return factory();
        }
    }
    S().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
    return nullptr;
}

HMENU WINAPI CreateMenu(void)
{
    if (Call("CreateMenu", ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    return NewMenu();
}

HMENU WINAPI CreatePopupMenu(void)
{
    if (Call("CreatePopupMenu", ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    return NewMenu();
}

BOOL WINAPI DestroyMenu(HMENU hMenu)
{
    if (Call("DestroyMenu", ERROR_INVALID_MENU_HANDLE))
        return FALSE;
    if (!DestroyMenuNow(hMenu)) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem)
{
    if (Call("AppendMenuA", ERROR_NOT_ENOUGH_MEMORY))
        return FALSE;
    Menu* menu = LiveMenu(hMenu);
    if (menu == nullptr || !ValidNewItem(uFlags, uIDNewItem)) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    menu->items.push_back(MakeItem(uFlags, uIDNewItem, lpNewItem));
    return TRUE;
}

BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem)
{
    if (Call("InsertMenuA", ERROR_NOT_ENOUGH_MEMORY))
        return FALSE;
    if (LiveMenu(hMenu) == nullptr || !ValidNewItem(uFlags, uIDNewItem)) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    Found found;
    if (!FindItem(hMenu, uPosition, uFlags, &found)) {
        if (!(uFlags & MF_BYPOSITION)) {
            S().lastError = ERROR_MENU_ITEM_NOT_FOUND;
            return FALSE;
        }
        // A position past the end (-1 included) appends.
        found.menu = hMenu;
        found.pos = S().menus[hMenu].items.size();
    }
    auto& items = S().menus[found.menu].items;
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(found.pos), MakeItem(uFlags, uIDNewItem, lpNewItem));
    return TRUE;
}

static BOOL RemoveItem(const char* api, HMENU hMenu, UINT uPosition, UINT uFlags, bool destroyPopup)
{
    if (Call(api, ERROR_MENU_ITEM_NOT_FOUND))
        return FALSE;
    if (LiveMenu(hMenu) == nullptr) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    Found found;
    if (!FindItem(hMenu, uPosition, uFlags, &found)) {
        S().lastError = ERROR_MENU_ITEM_NOT_FOUND;
        return FALSE;
    }
    auto& items = S().menus[found.menu].items;
    HMENU popup = items[found.pos].popup;
    items.erase(items.begin() + static_cast<std::ptrdiff_t>(found.pos));
    if (destroyPopup && popup != nullptr)
        DestroyMenuNow(popup);
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    // Deleting an item that opens a popup destroys the popup too.
    return RemoveItem("DeleteMenu", hMenu, uPosition, uFlags, true);
}

BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags)
{
    return RemoveItem("RemoveMenu", hMenu, uPosition, uFlags, false);
}

BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem)
{
    if (Call("ModifyMenuA", ERROR_MENU_ITEM_NOT_FOUND))
        return FALSE;
    if (LiveMenu(hMnu) == nullptr || !ValidNewItem(uFlags, uIDNewItem)) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return FALSE;
    }
    Found found;
    if (!FindItem(hMnu, uPosition, uFlags, &found)) {
        S().lastError = ERROR_MENU_ITEM_NOT_FOUND;
        return FALSE;
    }
    MenuItem replacement = MakeItem(uFlags, uIDNewItem, lpNewItem);
    HMENU oldPopup = ItemAt(found).popup;
    ItemAt(found) = replacement;
    // A popup that the item no longer opens is destroyed.
    if (oldPopup != nullptr && oldPopup != replacement.popup)
        DestroyMenuNow(oldPopup);
    return TRUE;
}

BOOL WINAPI DrawMenuBar(HWND hWnd)
{
    if (Call("DrawMenuBar", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = LiveWindow(hWnd);
    if (w == nullptr) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    w->drawMenuBar++;
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU hMenu)
{
    if (Call("GetMenuItemCount", ERROR_INVALID_MENU_HANDLE))
        return -1;
    Menu* menu = LiveMenu(hMenu);
    if (menu == nullptr) {
        S().lastError = ERROR_INVALID_MENU_HANDLE;
        return -1;
    }
    return static_cast<int>(menu->items.size());
}

UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos)
{
    if (Call("GetMenuItemID", ERROR_MENU_ITEM_NOT_FOUND))
        return static_cast<UINT>(-1);
    Menu* menu = LiveMenu(hMenu);
    if (menu == nullptr || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size())
        return static_cast<UINT>(-1);
    const MenuItem& item = menu->items[static_cast<size_t>(nPos)];
    if (item.popup != nullptr)
        return static_cast<UINT>(-1);
    return static_cast<UINT>(item.id);
}

HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos)
{
    if (Call("GetSubMenu", ERROR_MENU_ITEM_NOT_FOUND))
        return nullptr;
    Menu* menu = LiveMenu(hMenu);
    if (menu == nullptr || nPos < 0 || static_cast<size_t>(nPos) >= menu->items.size())
        return nullptr;
    return menu->items[static_cast<size_t>(nPos)].popup;
}

int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags)
{
    bool fail = Call("GetMenuStringA", ERROR_MENU_ITEM_NOT_FOUND);
    Found found;
    if (fail || !FindItem(hMenu, uIDItem, flags, &found)) {
        if (lpString != nullptr && cchMax > 0)
            lpString[0] = '\0';
        return 0;
    }
    const std::string& text = ItemAt(found).text;
    if (lpString == nullptr || cchMax <= 0)
        return static_cast<int>(text.size());
    size_t n = std::min(text.size(), static_cast<size_t>(cchMax - 1));
    memcpy(lpString, text.data(), n);
    lpString[n] = '\0';
    return static_cast<int>(n);
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags)
{
    if (Call("GetMenuState", ERROR_MENU_ITEM_NOT_FOUND))
        return static_cast<UINT>(-1);
    Found found;
    if (!FindItem(hMenu, uId, uFlags, &found))
        return static_cast<UINT>(-1);
    const MenuItem& item = ItemAt(found);
    // For a popup the high byte holds its item count.
    if (item.popup != nullptr) {
        Menu* sub = LiveMenu(item.popup);
        UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
        return (count << 8) | (item.flags & 0xFF);
    }
    return item.flags;
}

DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck)
{
    if (Call("CheckMenuItem", ERROR_MENU_ITEM_NOT_FOUND))
        return static_cast<DWORD>(-1);
    Found found;
    if (!FindItem(hMenu, uIDCheckItem, uCheck, &found))
        return static_cast<DWORD>(-1);
    MenuItem& item = ItemAt(found);
    DWORD previous = item.flags & MF_CHECKED;
    item.flags = (item.flags & ~static_cast<UINT>(MF_CHECKED)) | (uCheck & MF_CHECKED);
    return previous;
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable)
{
    if (Call("EnableMenuItem", ERROR_MENU_ITEM_NOT_FOUND))
        return -1;
    Found found;
    if (!FindItem(hMenu, uIDEnableItem, uEnable, &found))
        return -1;
    MenuItem& item = ItemAt(found);
    UINT mask = MF_GRAYED | MF_DISABLED;
    BOOL previous = static_cast<BOOL>(item.flags & mask);
    item.flags = (item.flags & ~mask) | (uEnable & mask);
    return previous;
}

BOOL WINAPI IsMenu(HMENU hMenu)
{
    Call("IsMenu");
    return LiveMenu(hMenu) != nullptr;
}
