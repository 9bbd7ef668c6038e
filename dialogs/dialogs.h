// The editing dialogs: Edit Menus with its Menu Setup and Application Setup
// dialogs, the file browser they and the Options dialog share, Options and
// About. The bar opens each of them as a modal dialog of its own.
#pragma once
#include <windows.h>

#include <shellapi.h>

#include "store/store.h"

// What the Edit Menus dialog hands to a setup dialog. The block is the
// receiving dialog's to release when it ends.
struct DialogRequest {
    AppItem* targetItem;   // the entry to edit; for a new one, the menu's last entry or null
    UserMenu* owningMenu;  // the menu to rename or that owns the entry; for a new menu, the last menu or null
    LONG isNew;            // 1: make a new record; 0: edit targetItem or owningMenu
};

// How User Menus opens: on an entry, selected, or adding an entry made
// from a dropped file to a menu with Application Setup. Set by the bar
// before it opens the dialog; User Menus clears it.
struct EditStart {
    AppItem* select;
    UserMenu* addTo;
    AppItem prefill;  // the texts of the entry for addTo
};
extern EditStart g_editStart;

// The entry for file `index` of a drop: the file's name without its
// extension for a name, and for a shortcut its target's path, parameters
// and working directory. False, after a warning naming the file, when a
// text does not fit its field.
bool DroppedEntry(HDROP drop, UINT index, AppItem* entry);
// Ends a drop: the system's drop data is the receiver's to free.
void FinishDrop(HDROP drop);

// The Edit Menus dialog while it is open; the setup dialogs keep its two
// lists in step with the records through it.
extern HWND g_hwndEdit;
// Selects a row of one of its lists (IDC_MENULIST, IDC_APPLIST) as a click
// on it would, after a setup dialog has put the row there.
void SelectEditRow(int list, LRESULT row);

INT_PTR CALLBACK EditProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK MenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AppProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The text of a dialog's edit: at most size - 1 characters, always terminated.
inline void ReadEditText(HWND dialog, int id, char* text, size_t size)
{
    text[0] = '\0';
    SendDlgItemMessageA(dialog, id, WM_GETTEXT, size, reinterpret_cast<LPARAM>(text));
}

inline void SetEditText(HWND dialog, int id, const char* text)
{
    SendDlgItemMessageA(dialog, id, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Typing stops where the text would no longer fit its field of `size` bytes.
inline void LimitEditText(HWND dialog, int id, size_t size)
{
    SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, size - 1, 0);
}

// Selects an edit's whole text, so that typing replaces it.
inline void SelectEditText(HWND dialog, int id)
{
    SendDlgItemMessageA(dialog, id, EM_SETSEL, 0, -1);
}

// Lets the user pick a file in the Open dialog and puts its full path into
// the caller's edit (1014 for an executable, 1003 for a WAV file). The
// current directory is the same afterwards; the result is 0 when it could
// be put back, -1 otherwise.
enum { FIND_EXECUTABLE = 0, FIND_WAV = 1 };
int FindFile(int mode, HWND dialog);
