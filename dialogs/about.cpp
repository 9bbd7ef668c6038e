// The About box: the program's name, build and credits. It changes
// nothing, and only OK (or Enter) closes it.
#include "dialogs/dialogs.h"

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
        return TRUE;
    // Esc sends IDCANCEL, which is left alone.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}
