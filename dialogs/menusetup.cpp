// The Menu Setup dialog: names a new menu or renames one. The name is
// checked before it is stored, and a new menu joins the list only when OK
// is accepted, so Cancel always leaves the menu list as it was.
#include "dialogs/dialogs.h"

#include "base/report.h"
#include "base/text.h"
#include "resources/resource.h"

// One Menu Setup dialog is open at a time.
static DialogRequest* s_request = NULL;
static UserMenu* s_menu = NULL;  // the menu renamed, or the new record
static LRESULT s_row = LB_ERR;   // its row in the Edit Menus dialog's menus list

static void EndMenuSetup(HWND dialog)
{
    HeapFree(GetProcessHeap(), 0, s_request);
    s_request = NULL;
    s_menu = NULL;
    EndDialog(dialog, 1);
}

static void OnInitDialog(HWND dialog, DialogRequest* request)
{
    s_request = request;
    s_menu = request->isNew ? NewUserMenu() : request->owningMenu;
    if (!s_menu) {
        ShowWarning("Not enough memory for a new menu.");
        EndMenuSetup(dialog);
        return;
    }
    LimitEditText(dialog, IDC_MENUNAME, sizeof s_menu->name);
    SetFocus(GetDlgItem(dialog, IDC_MENUNAME));
    SetEditText(dialog, IDC_MENUNAME, s_menu->name);
    SelectEditText(dialog, IDC_MENUNAME);
    s_row = SendDlgItemMessageA(g_hwndEdit, IDC_MENULIST, LB_GETCURSEL, 0, 0);
}

static void OnOK(HWND dialog)
{
    char name[MENU_NAME_SIZE];
    ReadEditText(dialog, IDC_MENUNAME, name, sizeof name);
    if (name[0] == '\0') {
        ShowWarning("The menu must have a name!");
        return;
    }
    CopyText(s_menu->name, sizeof s_menu->name, name);
    if (s_request->isNew) {
        // At the end of the list, as it is the last row of the menus list.
        AppendUserMenu(s_request->owningMenu, s_menu);
        LRESULT row = SendDlgItemMessageA(g_hwndEdit, IDC_MENULIST, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>(name));
        // Selected at once, so that New App adds to the new menu.
        SelectEditRow(IDC_MENULIST, row);
    } else if (s_row != LB_ERR) {
        SendDlgItemMessageA(g_hwndEdit, IDC_MENULIST, LB_DELETESTRING, static_cast<WPARAM>(s_row), 0);
        SendDlgItemMessageA(g_hwndEdit, IDC_MENULIST, LB_INSERTSTRING, static_cast<WPARAM>(s_row),
                            reinterpret_cast<LPARAM>(name));
        SelectEditRow(IDC_MENULIST, s_row);
    }
    EndMenuSetup(dialog);
}

static void OnCancel(HWND dialog)
{
    // A new record was never linked: it only goes back to the heap.
    if (s_request->isNew)
        HeapFree(GetProcessHeap(), 0, s_menu);
    EndMenuSetup(dialog);
}

INT_PTR CALLBACK MenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, reinterpret_cast<DialogRequest*>(lParam));
        return FALSE;  // the focus stays on the name
    case WM_COMMAND:
        if (wParam == IDOK) {
            OnOK(dialog);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            OnCancel(dialog);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
