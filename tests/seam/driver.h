// Driving the program's modal dialogs from inside their own modal loops,
// and reading their controls, as a user would see them.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace seam {

// Steps that run inside the modal loops of the dialogs the program opens:
// each runs once a dialog with its caption has been initialised, in the
// order given, from a timer that the dialog's own loop dispatches. A dialog
// that opens with no step left for it fails the test and is ended, as is
// every dialog still open after `limitMs`.
class DialogScript {
public:
    explicit DialogScript(DWORD limitMs = 10000);
    ~DialogScript();
    DialogScript& On(const char* caption, std::function<void(HWND)> step);
    // Every step has run.
    bool Done() const;
};

// A button pressed with the mouse: nothing happens when it is disabled.
void Click(HWND dialog, int id);
// WM_COMMAND as another program could post it, whatever the button's state.
void Command(HWND dialog, int id, WORD notification = BN_CLICKED);
void SetText(HWND dialog, int id, const char* text);
std::string Text(HWND dialog, int id);

// List boxes. A click on a row: selects it and notifies the dialog.
void SelectRow(HWND dialog, int list, int row);
void DoubleClickRow(HWND dialog, int list, int row);
std::vector<std::string> Rows(HWND dialog, int list);
// The selected row, -1 when none is.
int SelectedRow(HWND dialog, int list);
bool Enabled(HWND dialog, int id);

}  // namespace seam
