// The Edit Menus dialog ("User Menus"): the menus in one list, the chosen
// menu's applications in the other. Every change goes straight into the
// menu list; OK, its only way out, saves the file and rebuilds the bar.
#include "dialogs/dialogs.h"

#include <string.h>

#include "barmenu/barmenu.h"
#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"
#include "resources/resource.h"

HWND g_hwndEdit = NULL;

// Rows hold names of at most 29 characters, or the separator label.
enum { ROW_TEXT_SIZE = 32 };

// The menu whose applications the applications list shows, null when it
// shows none. Deleting an entry acts on this menu, whatever the menus list
// shows selected by then.
static UserMenu* s_shownMenu = NULL;

// The arrow pictures, loaded at the first draw and kept for the whole run.
static HICON s_arrows[4];
static bool s_arrowsLoaded = false;

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

static void FillMenuList(HWND dialog)
{
    ListMessage(dialog, IDC_MENULIST, LB_RESETCONTENT);
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next)
        AppendRow(dialog, IDC_MENULIST, menu->name);
}

static void FillAppList(HWND dialog, UserMenu* menu)
{
    ListMessage(dialog, IDC_APPLIST, LB_RESETCONTENT);
    for (const AppItem* app = menu->firstApp; app; app = app->next) {
        if (app->separatorBefore)
            AppendRow(dialog, IDC_APPLIST, SEPARATOR_LABEL);
        AppendRow(dialog, IDC_APPLIST, app->name);
    }
    s_shownMenu = menu;
}

static UserMenu* MenuAtRow(HWND dialog, LRESULT row)
{
    char text[ROW_TEXT_SIZE];
    RowText(dialog, IDC_MENULIST, row, text);
    return FindUserMenu(text);
}

// The menu of the selected row; null (after a warning) when there is none.
static UserMenu* SelectedMenu(HWND dialog, const char* warning)
{
    LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
    if (row == LB_ERR) {
        ShowWarning(warning);
        return NULL;
    }
    return MenuAtRow(dialog, row);
}

// The applications list's selected row; LB_ERR, after a warning, when none is.
static LRESULT SelectedAppRow(HWND dialog, const char* warning)
{
    LRESULT row = ListMessage(dialog, IDC_APPLIST, LB_GETCURSEL);
    if (row == LB_ERR)
        ShowWarning(warning);
    return row;
}

// The entry of an applications-list row; null for a separator row.
static AppItem* AppAtRow(HWND dialog, UserMenu* menu, LRESULT row)
{
    char text[ROW_TEXT_SIZE];
    RowText(dialog, IDC_APPLIST, row, text);
    return FindAppItem(menu->firstApp, text);
}

static int MenuPlace(const UserMenu* menu)
{
    int k = 1;
    for (const UserMenu* m = g_menuHead; m && m != menu; m = m->next)
        k++;
    return k;
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
    DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(templateId), dialog, proc, reinterpret_cast<LPARAM>(request));
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
        EnableWindow(GetDlgItem(dialog, IDC_DELMENU), TRUE);
        LRESULT row = ListMessage(dialog, IDC_MENULIST, LB_GETCURSEL);
        UserMenu* menu = row == LB_ERR ? NULL : MenuAtRow(dialog, row);
        if (menu)
            FillAppList(dialog, menu);
    } else if (notification == LBN_DBLCLK) {
        UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
        if (menu)
            OpenSetup(dialog, IDD_MENUSETUP, MenuProc, NULL, menu, 0);
    }
}

static void OnAppList(HWND dialog, WORD notification)
{
    if (notification == LBN_SELCHANGE) {
        EnableWindow(GetDlgItem(dialog, IDC_DELITEM), TRUE);
        EnableWindow(GetDlgItem(dialog, IDC_SEPARATOR), TRUE);
    } else if (notification == LBN_DBLCLK) {
        // A double click on an empty list names no row at all.
        LRESULT row = ListMessage(dialog, IDC_APPLIST, LB_GETCURSEL);
        if (row == LB_ERR)
            return;
        UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
        AppItem* app = menu ? AppAtRow(dialog, menu, row) : NULL;
        if (app)
            OpenSetup(dialog, IDD_APPSETUP, AppProc, app, menu, 0);
    }
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
    if (!menu)
        return;
    AppItem* last = NULL;
    int apps = 0;
    for (AppItem* app = menu->firstApp; app; app = app->next) {
        last = app;
        apps++;
    }
    if (AppCommandId(MenuPlace(menu), apps + 1) == 0) {
        ShowWarning("There is no room for another application in this menu.");
        return;
    }
    OpenSetup(dialog, IDD_APPSETUP, AppProc, last, menu, 1);
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
    ListMessage(dialog, IDC_MENULIST, LB_DELETESTRING, static_cast<WPARAM>(row));
    ListMessage(dialog, IDC_APPLIST, LB_RESETCONTENT);
    s_shownMenu = NULL;
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
    char text[ROW_TEXT_SIZE];
    RowText(dialog, IDC_APPLIST, row, text);
    // A separator row stands for the separator line of the entry below it.
    bool separatorRow = strcmp(text, SEPARATOR_LABEL) == 0;
    if (separatorRow)
        RowText(dialog, IDC_APPLIST, row + 1, text);
    AppItem* app = FindAppItem(menu->firstApp, text);
    if (!app)
        return;
    if (separatorRow) {
        app->separatorBefore = 0;
    } else {
        // The entry's separator goes with it: no row may stand for a line
        // that is no longer there.
        if (app->separatorBefore && row > 0) {
            RowText(dialog, IDC_APPLIST, row - 1, text);
            if (strcmp(text, SEPARATOR_LABEL) == 0) {
                ListMessage(dialog, IDC_APPLIST, LB_DELETESTRING, static_cast<WPARAM>(row - 1));
                row--;
            }
        }
        if (menu->firstApp == app)
            menu->firstApp = app->next;
        FreeAppItem(app);
        menu->count--;
    }
    ListMessage(dialog, IDC_APPLIST, LB_DELETESTRING, static_cast<WPARAM>(row));
}

static void MoveMenu(HWND dialog, int direction)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first");
    if (!menu)
        return;
    MoveUserMenu(menu, direction);
    FillMenuList(dialog);
}

static void MoveApp(HWND dialog, int direction)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first.");
    if (!menu)
        return;
    LRESULT row = SelectedAppRow(dialog, "Please select an app first.");
    AppItem* app = row == LB_ERR ? NULL : AppAtRow(dialog, menu, row);
    if (!app)
        return;
    // The menu's first entry changes when it takes part in the swap.
    if (direction == MOVE_UP && menu->firstApp && menu->firstApp->next == app)
        menu->firstApp = app;
    else if (direction == MOVE_DOWN && menu->firstApp == app && app->next)
        menu->firstApp = app->next;
    MoveAppItem(app, direction);
    FillAppList(dialog, menu);
}

static void AddSeparator(HWND dialog)
{
    UserMenu* menu = SelectedMenu(dialog, "Please select a menu first");
    if (!menu)
        return;
    LRESULT row = SelectedAppRow(dialog, "Please select an item first");
    AppItem* app = row == LB_ERR ? NULL : AppAtRow(dialog, menu, row);
    if (!app || app->separatorBefore)
        return;
    app->separatorBefore = 1;
    ListMessage(dialog, IDC_APPLIST, LB_INSERTSTRING, static_cast<WPARAM>(row),
                reinterpret_cast<LPARAM>(SEPARATOR_LABEL));
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
        AppItem* last = NULL;
        int apps = 0;
        for (AppItem* app = menu->firstApp; app; app = app->next) {
            last = app;
            apps++;
        }
        if (AppCommandId(MenuPlace(menu), apps + 1) == 0) {
            ShowWarning("There is no room for another application in this menu.");
            return;
        }
        AppItem entry;
        if (!DroppedEntry(drop, i, &entry))
            continue;
        AppItem* app = NewAppItem();
        if (!app) {
            ShowWarning("Not enough memory for a new application.");
            return;
        }
        CopyText(app->path, sizeof app->path, entry.path);
        CopyText(app->name, sizeof app->name, entry.name);
        CopyText(app->params, sizeof app->params, entry.params);
        CopyText(app->workDir, sizeof app->workDir, entry.workDir);
        AppendAppItem(menu, last, app);
        AppendRow(dialog, IDC_APPLIST, app->name);
    }
}

// Opened on an entry: its menu and its row selected, as a user's clicks would.
static void SelectEntry(HWND dialog, const AppItem* target)
{
    int menuRow = 0;
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next, menuRow++) {
        int row = 0;
        for (const AppItem* app = menu->firstApp; app; app = app->next, row++) {
            if (app->separatorBefore)
                row++;
            if (app != target)
                continue;
            ListMessage(dialog, IDC_MENULIST, LB_SETCURSEL, static_cast<WPARAM>(menuRow));
            OnMenuList(dialog, LBN_SELCHANGE);
            ListMessage(dialog, IDC_APPLIST, LB_SETCURSEL, static_cast<WPARAM>(row));
            OnAppList(dialog, LBN_SELCHANGE);
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
    ListMessage(dialog, IDC_MENULIST, LB_SETCURSEL, static_cast<WPARAM>(MenuPlace(g_editStart.addTo) - 1));
    OnMenuList(dialog, LBN_SELCHANGE);
    PostMessageA(dialog, WM_ADD_PREFILLED, 0, 0);
}

// ---- the arrow buttons ----------------------------------------------------------

// Each draw paints the whole button from its state, so a focus rectangle
// drawn once is taken away again when the focus leaves.
static void DrawArrow(const DRAWITEMSTRUCT* item)
{
    if (!s_arrowsLoaded) {
        static const int ids[4] = {IDI_UPRAISED, IDI_DOWNRAISED, IDI_DOWNSUNKEN, IDI_UPSUNKEN};
        for (int i = 0; i < 4; i++)
            s_arrows[i] = static_cast<HICON>(LoadImageA(g_hInstance, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, 16, 16, 0));
        s_arrowsLoaded = true;
    }
    bool up = item->CtlID == IDC_MENUUP || item->CtlID == IDC_APPUP;
    bool pressed = (item->itemState & ODS_SELECTED) != 0;
    HICON icon = s_arrows[up ? (pressed ? 3 : 0) : (pressed ? 2 : 1)];
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    DrawIconEx(item->hDC, 0, 0, icon, 16, 16, 0, NULL, DI_NORMAL);
    if (item->itemState & ODS_FOCUS)
        DrawFocusRect(item->hDC, &item->rcItem);
}

// ---- the procedure ---------------------------------------------------------------

static void OnInitDialog(HWND dialog)
{
    g_hwndEdit = dialog;
    s_shownMenu = NULL;
    FillMenuList(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_DELMENU), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_DELITEM), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_SEPARATOR), FALSE);
    auto accept = SystemProc<decltype(&DragAcceptFiles)>("shell32.dll", "DragAcceptFiles");
    if (accept)
        accept(dialog, TRUE);
    StartAsAsked(dialog);
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
        return TRUE;
    case WM_DROPFILES:
        AddDroppedFiles(dialog, reinterpret_cast<HDROP>(wParam));
        FinishDrop(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID == IDC_MENUUP || item->CtlID == IDC_MENUDOWN || item->CtlID == IDC_APPUP ||
            item->CtlID == IDC_APPDOWN)
            DrawArrow(item);
        return FALSE;
    }
    }
    return FALSE;
}
