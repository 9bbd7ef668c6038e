// The Application Setup dialog: one entry of a menu, new or edited. The
// texts are checked before any is stored, and a new entry joins its menu
// only when OK is accepted, so Cancel always leaves the menu as it was.
#include "dialogs/dialogs.h"

#include "base/report.h"
#include "resources/resource.h"

// One Application Setup dialog is open at a time.
static DialogRequest* s_request = NULL;
static AppItem* s_app = NULL;   // the entry edited, or the new record
static LRESULT s_row = LB_ERR;  // its row in the Edit Menus dialog's applications list

static void EndAppSetup(HWND dialog)
{
    HeapFree(GetProcessHeap(), 0, s_request);
    s_request = NULL;
    s_app = NULL;
    EndDialog(dialog, 1);
}

static void OnInitDialog(HWND dialog, DialogRequest* request)
{
    s_request = request;
    s_app = request->isNew ? NewAppItem() : request->targetItem;
    if (!s_app) {
        ShowWarning("Not enough memory for a new application.");
        EndAppSetup(dialog);
        return;
    }
    if (request->isNew && g_editStart.addTo) {
        // Made from a file dropped on the bar.
        CopyAppTexts(s_app, &g_editStart.prefill);
        g_editStart.addTo = NULL;
    }
    s_row = SendDlgItemMessageA(g_hwndEdit, IDC_APPLIST, LB_GETCURSEL, 0, 0);
    LimitEditText(dialog, IDC_APPPATH, sizeof s_app->path);
    LimitEditText(dialog, IDC_APPNAME, sizeof s_app->name);
    LimitEditText(dialog, IDC_APPWORKDIR, sizeof s_app->workDir);
    LimitEditText(dialog, IDC_APPPARAMS, sizeof s_app->params);
    SetEditText(dialog, IDC_APPPATH, s_app->path);
    SetEditText(dialog, IDC_APPNAME, s_app->name);
    SetEditText(dialog, IDC_APPWORKDIR, s_app->workDir);
    SetEditText(dialog, IDC_APPPARAMS, s_app->params);
    SetFocus(GetDlgItem(dialog, IDC_APPNAME));
    SelectEditText(dialog, IDC_APPNAME);
}

static void OnOK(HWND dialog)
{
    AppItem edited;
    ReadEditText(dialog, IDC_APPPATH, edited.path, sizeof edited.path);
    ReadEditText(dialog, IDC_APPNAME, edited.name, sizeof edited.name);
    if (edited.path[0] == '\0' || edited.name[0] == '\0') {
        ShowWarning("The application must have a name\nand associated filename.");
        return;
    }
    ReadEditText(dialog, IDC_APPPARAMS, edited.params, sizeof edited.params);
    ReadEditText(dialog, IDC_APPWORKDIR, edited.workDir, sizeof edited.workDir);
    CopyAppTexts(s_app, &edited);

    HWND list = GetDlgItem(g_hwndEdit, IDC_APPLIST);
    if (s_request->isNew) {
        // Always the last entry of its menu, as it is the last row of the list.
        AppendAppItem(s_request->owningMenu, s_request->targetItem, s_app);
        SelectEditRow(
            IDC_APPLIST,
            SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s_app->name)));
    } else if (s_row != LB_ERR) {
        // A separator row above the entry keeps its place.
        SendMessageA(list, LB_DELETESTRING, static_cast<WPARAM>(s_row), 0);
        SendMessageA(list, LB_INSERTSTRING, static_cast<WPARAM>(s_row), reinterpret_cast<LPARAM>(s_app->name));
        SelectEditRow(IDC_APPLIST, s_row);
    }
    EndAppSetup(dialog);
}

static void OnCancel(HWND dialog)
{
    // A new record was never linked: freeing it changes no menu.
    if (s_request->isNew)
        FreeAppItem(s_app);
    EndAppSetup(dialog);
}

INT_PTR CALLBACK AppProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog, reinterpret_cast<DialogRequest*>(lParam));
        return FALSE;  // the focus stays on the name
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            OnOK(dialog);
            return TRUE;
        case IDCANCEL:
            OnCancel(dialog);
            return TRUE;
        case IDC_FINDEXE:
            FindFile(FIND_EXECUTABLE, dialog);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
