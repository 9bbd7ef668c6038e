// Dialog controls of the user32 model: list boxes and buttons, reached by
// id; the focus; the drawing calls of owner-drawn buttons; the Open dialog.
#include "state.h"

#include <algorithm>

namespace fw {
namespace detail {

static LRESULT ListBoxProc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT count = static_cast<LRESULT>(w.rows.size());
    LRESULT index = static_cast<LRESULT>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
        if (msg == LB_ADDSTRING || index == -1)
            index = count;
        if (index < 0 || index > count)
            return LB_ERR;
        w.rows.insert(w.rows.begin() + index, reinterpret_cast<LPCSTR>(lParam));
        // The selection stays with its row.
        if (w.cursel != LB_ERR && index <= w.cursel)
            w.cursel++;
        return index;
    case LB_DELETESTRING:
        if (index < 0 || index >= count)
            return LB_ERR;
        w.rows.erase(w.rows.begin() + index);
        if (index == w.cursel)
            w.cursel = LB_ERR;
        else if (w.cursel != LB_ERR && index < w.cursel)
            w.cursel--;
        return count - 1;
    case LB_RESETCONTENT:
        w.rows.clear();
        w.cursel = LB_ERR;
        w.caret = 0;
        return 0;
    case LB_SETCURSEL:
        if (index < 0 || index >= count) {
            w.cursel = LB_ERR;
            return LB_ERR;
        }
        w.cursel = w.caret = index;
        return index;
    case LB_GETCURSEL:
        return w.cursel;
    case LB_GETCARETINDEX:
        return w.caret;
    case LB_GETCOUNT:
        return count;
    case LB_GETTEXT:
    case LB_GETTEXTLEN:
        if (index < 0 || index >= count)
            return LB_ERR;
        if (msg == LB_GETTEXT)
            strcpy(reinterpret_cast<LPSTR>(lParam), w.rows[static_cast<size_t>(index)].c_str());
        return static_cast<LRESULT>(w.rows[static_cast<size_t>(index)].size());
    }
    return 0;
}

bool ControlProc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (EqualNoCase(w.className, "ListBox") && msg >= LB_ADDSTRING && msg <= LB_GETCARETINDEX) {
        *result = ListBoxProc(w, msg, wParam, lParam);
        return true;
    }
    if (EqualNoCase(w.className, "Button") && (msg == BM_GETCHECK || msg == BM_SETCHECK)) {
        if (msg == BM_SETCHECK)
            w.check = wParam;
        *result = msg == BM_GETCHECK ? static_cast<LRESULT>(w.check) : 0;
        return true;
    }
    return false;
}

}  // namespace detail

using namespace detail;

void SetDialogControls(int templateId, const std::vector<std::pair<int, std::string>>& controls)
{
    S().dialogControls[templateId] = controls;
}

std::vector<std::string> ListBoxRows(HWND list)
{
    Window* w = LiveWindow(list);
    return w ? w->rows : std::vector<std::string>();
}

void OnOpenFileDialog(std::function<BOOL(OPENFILENAMEA*)> action)
{
    S().onOpenFile = std::move(action);
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    Call("GetDlgItem");
    for (HWND hwnd : S().creationOrder) {
        Window* w = LiveWindow(hwnd);
        if (w && w->parent == hDlg && (w->style & WS_CHILD) && w->childId == static_cast<UINT_PTR>(nIDDlgItem))
            return hwnd;
    }
    S().lastError = ERROR_CONTROL_ID_NOT_FOUND;
    return nullptr;
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Call("SendDlgItemMessageA");
    HWND control = GetDlgItem(hDlg, nIDDlgItem);
    return control ? Deliver(control, Msg, wParam, lParam) : 0;
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck)
{
    Call("CheckDlgButton");
    HWND button = GetDlgItem(hDlg, nIDButton);
    return button ? (Deliver(button, BM_SETCHECK, uCheck, 0), TRUE) : FALSE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton)
{
    Call("IsDlgButtonChecked");
    HWND button = GetDlgItem(hDlg, nIDButton);
    return button ? static_cast<UINT>(Deliver(button, BM_GETCHECK, 0, 0)) : 0;
}

HWND WINAPI SetFocus(HWND hWnd)
{
    Call("SetFocus");
    HWND previous = S().focus;
    if (hWnd != nullptr && LiveWindow(hWnd) == nullptr) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    S().focus = hWnd;
    return previous;
}

HWND WINAPI GetFocus(void)
{
    Call("GetFocus");
    return LiveWindow(S().focus) ? S().focus : nullptr;
}

HANDLE WINAPI LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT)
{
    if (Call("LoadImageA", ERROR_RESOURCE_NAME_NOT_FOUND))
        return nullptr;
    if (name == nullptr || type != IMAGE_ICON) {
        S().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    HICON icon = reinterpret_cast<HICON>(NewHandleValue());
    S().icons.insert(icon);
    return icon;
}

BOOL WINAPI DrawIconEx(HDC, int, int, HICON, int, int, UINT, HBRUSH, UINT)
{
    return Call("DrawIconEx") ? FALSE : TRUE;
}

BOOL WINAPI DrawFocusRect(HDC, const RECT*)
{
    return Call("DrawFocusRect") ? FALSE : TRUE;
}

int WINAPI FillRect(HDC, const RECT*, HBRUSH)
{
    return Call("FillRect") ? 0 : 1;
}

HBRUSH WINAPI GetSysColorBrush(int nIndex)
{
    Call("GetSysColorBrush");
    return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(0x1000 + nIndex));
}

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA lpofn)
{
    if (Call("GetOpenFileNameA", 0, false) || !S().onOpenFile)
        return FALSE;
    auto action = S().onOpenFile;
    return action(lpofn);
}
