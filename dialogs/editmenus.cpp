// The Edit Menus dialog ("User Menus"): the menus in one list, the chosen
// menu's applications in the other. Every change goes straight into the
// menu list; OK, its only way out, saves the file and rebuilds the bar.
#include "dialogs/dialogs.h"

#include "barmenu/barmenu.h"
#include "base/dpi.h"
#include "base/report.h"
#include "base/syslib.h"
#include "resources/resource.h"

HWND g_hwndEdit = NULL;

// Rows hold names of at most 29 characters, or the separator label.
enum { ROW_TEXT_SIZE = 32 };

// The menu whose applications the applications list shows, null when it
// shows none. Deleting an entry acts on this menu, whatever the menus list
// shows selected by then.
static UserMenu* s_shownMenu = NULL;

// The arrow pictures, loaded at the first draw at the size then due and
// kept for the whole run, or until another size is due.
static HICON s_arrows[4];
static int s_arrowSize = 0;

static LRESULT ListMessage(HWND dialog, int list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    return SendDlgItemMessageA(dialog, list, message, wParam, lParam);
}

// The text of a row; empty when the row is not there or would not fit.
static void RowText(HWND dialog, int list, LRESULT row, char text[ROW_TEXT_SIZE])
{
    text[0] = '\0';
    LRESULT len = ListMessage(dialog, list, LB_GETTEXTLEN, static_cast<WPARAM>(row));
    if (len != LB_ERR && len < ROW_TEXT_SIZE)
        ListMessage(dialog, list, LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(text));
}

static void AppendRow(HWND dialog, int list, const char* text)
{
    ListMessage(dialog, list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
}

// Lets the list scroll sideways as far as its widest row, so that long
// names show whole.
static void FitListWidth(HWND dialog, int list)
{
    HWND box = GetDlgItem(dialog, list);
    HDC dc = GetDC(box);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(box, WM_GETFONT, 0, 0)));
    LONG widest = 0;
    LRESULT rows = ListMessage(dialog, list, LB_GETCOUNT);
    for (LRESULT row = 0; row < rows; row++) {
        char text[ROW_TEXT_SIZE];
        RowText(dialog, list, row, text);
        SIZE size;
        if (GetTextExtentPoint32A(dc, text, lstrlenA(text), &size) && size.cx > widest)
            widest = size.cx;
    }
    SelectObject(dc, font);
    ReleaseDC(box, dc);
    // The list draws its rows a few pixels in from its edge.
    ListMessage(dialog, list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 4));
}

static void FillMenuList(HWND dialog)
{
    ListMessage(dialog, IDC_MENULIST, LB_RESETCONTENT);
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next)
        AppendRow(dialog, IDC_MENULIST, menu->name);
    FitListWidth(dialog, IDC_MENULIST);
}

static void FillAppList(HWND dialog, UserMenu* menu)
{
    ListMessage(dialog, IDC_APPLIST, LB_RESETCONTENT);
    for (const AppItem* app = menu ? menu->firstApp : NULL; app; app = app->next) {
        if (app->separatorBefore)
            AppendRow(dialog, IDC_APPLIST, SEPARATOR_LABEL);
        AppendRow(dialog, IDC_APPLIST, app->name);
    }
    FitListWidth(dialog, IDC_APPLIST);
    s_shownMenu = menu;
}

// Rows stand for records by place, not by name: names need not be unique,
// and an entry may be named like the separator label. Row k of the menus
// list is the k-th menu.
static UserMenu* MenuAtRow(LRESULT row)
{
    UserMenu* menu = g_menuHead;
    for (LRESULT k = 0; menu && k < row; k++)
        menu = menu->next;
    if (!menu)
        ShowWarning("Menu not found in linked list!");
    return menu;
}

// The entry behind a row of the applications list, as FillAppList lays the
// rows out; `separatorRow` tells whether the row is the line above it.
static AppItem* EntryAtRow(const UserMenu* menu, LRESULT row, bool* separatorRow)
{
    LRESULT r = 0;
    for (AppItem* app = menu ? menu->firstApp : NULL; app; app = app->next) {
        if (app->separatorBefore && r++ == row) {
            *separatorRow = true;
            return app;
        }
        if (r++ == row) {
            *separatorRow = false;
            return app;
        }
    }
    return NULL;
}

static AppItem* AppAtRow(const UserMenu* menu, LRESULT row, bool* separatorRow)
{
    AppItem* app = EntryAtRow(menu, row, separatorRow);
    if (!app)
        ShowWarning("Application not found in linked list!");
    return app;
}

static LRESULT EntryRow(const UserMenu* menu, const AppItem* entry)
{
    LRESULT row = 0;
    for (const AppItem* app = menu->firstApp; app && app != entry; app = app->next)
        row += app->separatorBefore ? 2 : 1;
    return entry->separatorBefore ? row + 1 : row;
}

// The menu's row in the menus list.
static int MenuRow(const UserMenu* menu)
{
    int row = 0;
    for (const UserMenu* m = g_menuHead; m && m != menu; m = m->next)
        row++;
    return row;
}

static AppItem* LastEntry(const UserMenu* menu)
{
    AppItem* last = NULL;
    for (AppItem* app = menu->firstApp; app; app = app->next)
        last = app;
    return last;
}

static int EntryCount(const UserMenu* menu)
{
    int n = 0;
    for (const AppItem* app = menu->firstApp; app; app = app->next)
        n++;
    return n;
}

// The menu of the selected row; null (after a warning) when there is none.
static UserMenu* SelectedMenu(HWND dialog, const char* warning)
{
    LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
    if (row == LB_ERR) {
        ShowWarning(warning);
        return NULL;
    }
    return MenuAtRow(row);
}

// The applications list's selected row; LB_ERR, after a warning, when none is.
static LRESULT SelectedAppRow(HWND dialog, const char* warning)
{
    LRESULT row = ListMessage(dialog, IDC_APPLIST, LB_GETCURSEL);
    if (row == LB_ERR)
        ShowWarning(warning);
    return row;
}

static void OpenSetup(HWND dialog, int templateId, DLGPROC proc, AppItem* target, UserMenu* menu, LONG isNew)
{
    DialogRequest* request = static_cast<DialogRequest*>(HeapAlloc(GetProcessHeap(), 0, sizeof(DialogRequest)));
    if (!request) {
        ShowWarning("Not enough memory to open the dialog.");
        return;
    }
    request->targetItem = target;
    request->owningMenu = menu;
    request->isNew = isNew;
    // A dialog that never started never took the block.
    if (DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(templateId), dialog, proc, reinterpret_cast<LPARAM>(request)) ==
        -1) {
        HeapFree(GetProcessHeap(), 0, request);
        ShowWarning("The dialog could not be opened.");
    }
}

// A button stays enabled only while what it acts on is selected; a command
// that arrives anyway still finds the selection missing and warns.
static void EnableButtons(HWND dialog)
{
    bool menu = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL) != LB_ERR;
    LRESULT row = ListMessage(dialog, IDC_APPLIST, LB_GETCURSEL);
    bool separatorRow = false;
    bool entry = row != LB_ERR && EntryAtRow(s_shownMenu, row, &separatorRow) && !separatorRow;
    const struct {
        int id;
        bool enabled;
    } buttons[] = {
        {IDC_DELMENU, menu},          {IDC_NEWAPP, menu},     {IDC_MENUUP, menu}, {IDC_MENUDOWN, menu},
        {IDC_DELITEM, row != LB_ERR}, {IDC_SEPARATOR, entry}, {IDC_APPUP, entry}, {IDC_APPDOWN, entry},
    };
    for (const auto& button : buttons)
        EnableWindow(GetDlgItem(dialog, button.id), button.enabled);
    // The keyboard would be stuck on a button that has just been disabled.
    HWND focus = GetFocus();
    if (focus && !IsWindowEnabled(focus))
        SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_MENULIST)), TRUE);
}

// Selects a row as a click on it would: a menu's row shows its entries.
static void SelectListRow(HWND dialog, int list, LRESULT row)
{
    ListMessage(dialog, list, LB_SETCURSEL, static_cast<WPARAM>(row));
    if (list == IDC_MENULIST)
        FillAppList(dialog, MenuAtRow(row));
}

void SelectEditRow(int list, LRESULT row)
{
    FitListWidth(g_hwndEdit, list);
    SelectListRow(g_hwndEdit, list, row);
}

// After a row has gone, the row now in its place, or the last, is selected.
static void SelectAfterDelete(HWND dialog, int list, LRESULT row)
{
    LRESULT rows = ListMessage(dialog, list, LB_GETCOUNT);
    if (rows > 0)
        SelectListRow(dialog, list, row < rows ? row : rows - 1);
    else if (list == IDC_MENULIST)
        FillAppList(dialog, NULL);
}

// ---- commands -----------------------------------------------------------------

static void SaveAndClose(HWND dialog)
{
    SaveMenuList();
    BuildBarMenus();
    g_hwndEdit = NULL;
    s_shownMenu = NULL;
    EndDialog(dialog, 1);
}

static void OnMenuList(HWND dialog, WORD notification)
{
    if (notification == LBN_SELCHANGE) {
        LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
        if (row != LB_ERR)
            FillAppList(dialog, MenuAtRow(row));
    } else if (notification == LBN_DBLCLK) {
        UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
        if (menu)
            OpenSetup(dialog, IDD_MENUSETUP, MenuProc, NULL, menu, 0);
    }
}

static void OnAppList(HWND dialog, WORD notification)
{
    if (notification != LBN_DBLCLK)
        return;
    // A double click on an empty list names no row at all.
    LRESULT row = ListMessage(dialog, IDC_APPLIST, LB_GETCURSEL);
    if (row == LB_ERR)
        return;
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
    bool separatorRow = false;
    AppItem* app = menu ? AppAtRow(menu, row, &separatorRow) : NULL;
    if (app && !separatorRow)
        OpenSetup(dialog, IDD_APPSETUP, AppProc, app, menu, 0);
}

// F2 on a selected row opens its setup dialog, as a double click does.
static INT_PTR OnListKey(HWND dialog, WORD key, HWND list)
{
    if (key != VK_F2)
        return -1;  // the list's own handling
    if (SendMessageA(list, LB_GETCURSEL, 0, 0) != LB_ERR) {
        int id = GetDlgCtrlID(list);
        if (id == IDC_MENULIST)
            OnMenuList(dialog, LBN_DBLCLK);
        else if (id == IDC_APPLIST)
            OnAppList(dialog, LBN_DBLCLK);
        EnableButtons(dialog);
    }
    return -2;
}

static const char NO_ROOM_FOR_APP_TEXT[] = "There is no room for another application in this menu.";

// Whether an entry added at the end of the menu would get a command id;
// false after a warning.
static bool RoomForEntry(const UserMenu* menu)
{
    if (AppCommandId(MenuRow(menu) + 1, EntryCount(menu) + 1) != 0)
        return true;
    ShowWarning(NO_ROOM_FOR_APP_TEXT);
    return false;
}

static void AddMenu(HWND dialog)
{
    UserMenu* last = NULL;
    int menus = 0;
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        last = menu;
        menus++;
    }
    // A menu whose entries could have no command ids is never offered.
    if (AppCommandId(menus + 1, 1) == 0) {
        ShowWarning("There is no room for another menu on the bar.");
        return;
    }
    OpenSetup(dialog, IDD_MENUSETUP, MenuProc, NULL, last, 1);
}

static void AddApp(HWND dialog)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
    if (menu && RoomForEntry(menu))
        OpenSetup(dialog, IDD_APPSETUP, AppProc, LastEntry(menu), menu, 1);
}

static void DeleteMenuAndApps(HWND dialog)
{
    LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
    if (!menu)
        return;
    if (MessageBoxA(dialog, "Are you sure you want to delete\nthis menu and all related apps?", "Confirm Deletion",
                    MB_YESNO) != IDYES)
        return;
    FreeUserMenu(menu);
    s_shownMenu = NULL;
    ListMessage(dialog, IDC_MENULIST, LB_DELETESTRING, static_cast<WPARAM>(row));
    SelectAfterDelete(dialog, IDC_MENULIST, row);
}

static void DeleteAppOrSeparator(HWND dialog)
{
    UserMenu* menu = s_shownMenu;
    if (!menu) {
        ShowWarning("Please select a menu first");
        return;
    }
    LRESULT row = SelectedAppRow(dialog, "Please select an item first");
    if (row == LB_ERR)
        return;
    if (MessageBoxA(dialog, "Are you sure you want to delete this item?", "Confirm Deletion", MB_YESNO) != IDYES)
        return;
    bool separatorRow = false;
    AppItem* app = AppAtRow(menu, row, &separatorRow);
    if (!app)
        return;
    if (separatorRow) {
        app->separatorBefore = 0;
    } else {
        // The entry's separator goes with it: no row may stand for a line
        // that is no longer there.
        if (app->separatorBefore)
            ListMessage(dialog, IDC_APPLIST, LB_DELETESTRING, static_cast<WPARAM>(--row));
        if (menu->firstApp == app)
            menu->firstApp = app->next;
        FreeAppItem(app);
        menu->count--;
    }
    ListMessage(dialog, IDC_APPLIST, LB_DELETESTRING, static_cast<WPARAM>(row));
    SelectAfterDelete(dialog, IDC_APPLIST, row);
}

// Whether a menu moved from place `from` to place `to` keeps a command id
// for every entry it had one for.
static bool KeepsCommandIds(const UserMenu* menu, int from, int to)
{
    int n = EntryCount(menu);
    return n == 0 || AppCommandId(to, n) != 0 || AppCommandId(from, n) == 0;
}

static void MoveMenu(HWND dialog, int direction)
{
    LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first");
    if (!menu)
        return;
    UserMenu* other = direction == MOVE_UP ? menu->prev : menu->next;
    int place = static_cast<int>(row) + 1;
    int otherPlace = direction == MOVE_UP ? place - 1 : place + 1;
    if (other && (!KeepsCommandIds(menu, place, otherPlace) || !KeepsCommandIds(other, otherPlace, place))) {
        ShowWarning(NO_ROOM_FOR_APP_TEXT);
        return;
    }
    if (MoveUserMenu(menu, direction) && other)
        row = otherPlace - 1;
    FillMenuList(dialog);
    ListMessage(dialog, IDC_MENULIST, LB_SETCURSEL, static_cast<WPARAM>(row));
}

static void MoveApp(HWND dialog, int direction)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
    if (!menu)
        return;
    LRESULT row = SelectedAppRow(dialog, "Please select an app first.");
    bool separatorRow = false;
    AppItem* app = row == LB_ERR ? NULL : AppAtRow(menu, row, &separatorRow);
    if (!app || separatorRow)
        return;
    // The menu's first entry changes when it takes part in the swap.
    if (direction == MOVE_UP && menu->firstApp && menu->firstApp->next == app)
        menu->firstApp = app;
    else if (direction == MOVE_DOWN && menu->firstApp == app && app->next)
        menu->firstApp = app->next;
    MoveAppItem(app, direction);
    FillAppList(dialog, menu);
    ListMessage(dialog, IDC_APPLIST, LB_SETCURSEL, static_cast<WPARAM>(EntryRow(menu, app)));
}

static void AddSeparator(HWND dialog)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first");
    if (!menu)
        return;
    LRESULT row = SelectedAppRow(dialog, "Please select an item first");
    bool separatorRow = false;
    AppItem* app = row == LB_ERR ? NULL : AppAtRow(menu, row, &separatorRow);
    if (!app || separatorRow || app->separatorBefore)
        return;
    app->separatorBefore = 1;
    ListMessage(dialog, IDC_APPLIST, LB_INSERTSTRING, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(SEPARATOR_LABEL));
    // The entry keeps the selection, one row further down.
    ListMessage(dialog, IDC_APPLIST, LB_SETCURSEL, static_cast<WPARAM>(row + 1));
}

// ---- entries from dropped files and from the bar ---------------------------------

// Posted to itself once open: Application Setup for g_editStart's entry.
enum { WM_ADD_PREFILLED = WM_APP + 1 };

// One new entry per file at the end of the menu shown, as New App adds it.
static void AddDroppedFiles(HWND dialog, HDROP drop)
{
    UserMenu* menu = s_shownMenu;
    if (!menu) {
        ShowWarning("Please select a menu first.");
        return;
    }
    auto query = SystemProc<decltype(&DragQueryFileW)>("shell32.dll", "DragQueryFileW");
    UINT files = query ? query(drop, 0xFFFFFFFF, NULL, 0) : 0;
    for (UINT i = 0; i < files; i++) {
        if (!RoomForEntry(menu))
            return;
        AppItem entry;
        if (!DroppedEntry(drop, i, &entry))
            continue;
        AppItem* app = NewAppItem();
        if (!app) {
            ShowWarning("Not enough memory for a new application.");
            return;
        }
        CopyAppTexts(app, &entry);
        AppendAppItem(menu, LastEntry(menu), app);
        AppendRow(dialog, IDC_APPLIST, app->name);
        FitListWidth(dialog, IDC_APPLIST);
    }
}

// Opened on an entry: its menu and its row selected, as a user's clicks would.
static void SelectEntry(HWND dialog, const AppItem* target)
{
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        for (const AppItem* app = menu->firstApp; app; app = app->next) {
            if (app != target)
                continue;
            SelectListRow(dialog, IDC_MENULIST, MenuRow(menu));
            SelectListRow(dialog, IDC_APPLIST, EntryRow(menu, app));
            return;
        }
    }
}

static void StartAsAsked(HWND dialog)
{
    if (g_editStart.select)
        SelectEntry(dialog, g_editStart.select);
    g_editStart.select = NULL;
    if (!g_editStart.addTo)
        return;
    SelectListRow(dialog, IDC_MENULIST, MenuRow(g_editStart.addTo));
    PostMessageA(dialog, WM_ADD_PREFILLED, 0, 0);
}

// ---- the arrow buttons ----------------------------------------------------------

// Each draw paints the whole button from its state, so a focus rectangle
// drawn once is taken away again when the focus leaves.
static void DrawArrow(const DRAWITEMSTRUCT* item)
{
    // A small icon for the DPI, no larger than the button, in its middle.
    const RECT& rect = item->rcItem;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    int size = MetricForDpi(SM_CXSMICON, WindowDpi(item->hwndItem));
    size = size < width ? size : width;
    size = size < height ? size : height;
    if (size != s_arrowSize) {
        static const int ids[4] = {IDI_UPRAISED, IDI_DOWNRAISED, IDI_DOWNSUNKEN, IDI_UPSUNKEN};
        for (int i = 0; i < 4; i++) {
            if (s_arrows[i])
                DestroyIcon(s_arrows[i]);
            s_arrows[i] =
                static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, size, size, 0));
        }
        s_arrowSize = size;
    }
    bool up = item->CtlID == IDC_MENUUP || item->CtlID == IDC_APPUP;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    HICON icon = s_arrows[up ? (pressed ? 3 : 0) : (pressed ? 2 : 1)];
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(item->hDC, rect.left + (width - size) / 2, rect.top + (height - size) / 2, icon, size, size, 0, NULL,
               DI_NORMAL);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
}

// ---- the procedure ---------------------------------------------------------------

static void OnInitDialog(HWND dialog)
{
    g_hwndEdit = dialog;
    s_shownMenu = NULL;
    FillMenuList(dialog);
    ListMessage(dialog, IDC_APPLIST, LB_RESETCONTENT);
    auto accept = SystemProc<decltype(&DragAcceptFiles)>("shell32.dll", "DragAcceptFiles");
    if (accept)
        accept(dialog, TRUE);
    StartAsAsked(dialog);
    EnableButtons(dialog);
}

static void OnCommand(HWND dialog, WORD id, WORD notification)
{
    switch (id) {
    case IDOK:
        SaveAndClose(dialog);
        break;
    case IDC_MENULIST:
        OnMenuList(dialog, notification);
        break;
    case IDC_APPLIST:
        OnAppList(dialog, notification);
        break;
    case IDC_NEWMENU:
        AddMenu(dialog);
        break;
    case IDC_NEWAPP:
        AddApp(dialog);
        break;
    case IDC_DELMENU:
        DeleteMenuAndApps(dialog);
        break;
    case IDC_DELITEM:
        DeleteAppOrSeparator(dialog);
        break;
    case IDC_MENUUP:
        MoveMenu(dialog, MOVE_UP);
        break;
    case IDC_MENUDOWN:
        MoveMenu(dialog, MOVE_DOWN);
        break;
    case IDC_APPUP:
        MoveApp(dialog, MOVE_UP);
        break;
    case IDC_APPDOWN:
        MoveApp(dialog, MOVE_DOWN);
        break;
    case IDC_SEPARATOR:
        AddSeparator(dialog);
        break;
    }
    // Anything else, Esc (IDCANCEL) among it, leaves the dialog open.
    if (id != IDOK)
        EnableButtons(dialog);
}

INT_PTR CALLBACK EditProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_ADD_PREFILLED:
        AddApp(dialog);
        g_editStart.addTo = NULL;  // taken by Application Setup, or refused
        EnableButtons(dialog);
        return TRUE;
    case WM_DROPFILES:
        AddDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
        FinishDrop(reinterpret_cast<HDROP>(wParam));
        EnableButtons(dialog);
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_MENUUP || item->CtlID == IDC_MENUDOWN || item->CtlID == IDC_APPUP ||
            item->CtlID == IDC_APPDOWN)
            DrawArrow(item);
        return FALSE;
    }
    case WM_VKEYTOITEM:
        return OnListKey(dialog, LOWORD(wParam), reinterpret_cast<HWND>(lParam));
    }
    return FALSE;
}
