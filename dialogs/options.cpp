// The Options dialog: stay on top, the hourly chime and its WAV file, the
// hotkey. OK changes the settings in memory; the registry gets them at Exit,
// and the bar applies a change of stay-on-top once the dialog has closed.
#include "dialogs/dialogs.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "barmenu/barmenu.h"
#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"
#include "resources/resource.h"

static const char NO_WAV_TEXT[] = "Please enter a WAV filename.";

static UINT CheckState(LONG on)
{
    return on ? BST_CHECKED : BST_UNCHECKED;
}

// The hotkey control comes from the common controls, which the bar loads
// only when Options opens; without them the dialog still works and the
// hotkey stays as it is.
static void AddHotkeyControl(HWND dialog)
{
    auto init = SystemProc<decltype(&InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_HOTKEY_CLASS};
    if (!init || !init(&classes))
        return;
    RECT box = {40, 97, 148, 109};
    MapDialogRect(dialog, &box);
    HWND control = CreateWindowExA(WS_EX_CLIENTEDGE, HOTKEY_CLASSA, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, box.left,
                                   box.top, box.right - box.left, box.bottom - box.top, dialog,
                                   reinterpret_cast<HMENU>(IDC_HOTKEY), g_hInstance, NULL);
    if (!control)
        return;
    // Made last, it follows its label, the template's last control, in the
    // tab order: the label's Alt+H reaches it.
    SendMessageA(control, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), 0);
    // A bare key would be taken from every program: it gets Ctrl+Alt.
    SendMessageA(control, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S, MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));
    SendMessageA(control, HKM_SETHOTKEY, g_hotkey, 0);
}

static void OnInitDialog(HWND dialog)
{
    AddHotkeyControl(dialog);
    LimitEditText(dialog, IDC_WAVPATH, sizeof g_userVars.wavPath);
    SetEditText(dialog, IDC_WAVPATH, g_userVars.wavPath);
    CheckDlgButton(dialog, IDC_CHIME, CheckState(g_userVars.chime));
    CheckDlgButton(dialog, IDC_STAYONTOP, CheckState(g_userVars.stayOnTop));
}

static void OnOK(HWND dialog)
{
    char wavPath[WAV_PATH_SIZE];
    ReadEditText(dialog, IDC_WAVPATH, wavPath, sizeof wavPath);
    bool chime = IsDlgButtonChecked(dialog, IDC_CHIME) == BST_CHECKED;
    if (wavPath[0] == '\0' && chime) {
        ShowWarning(NO_WAV_TEXT);
        return;
    }
    g_userVars.chime = chime;
    CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, wavPath);
    bool stayOnTop = IsDlgButtonChecked(dialog, IDC_STAYONTOP) == BST_CHECKED;
    if (stayOnTop != (g_userVars.stayOnTop != 0))
        g_userVars.stayOnTop = stayOnTop;
    HWND hotkey = GetDlgItem(dialog, IDC_HOTKEY);
    DWORD combination = hotkey ? LOWORD(SendMessageA(hotkey, HKM_GETHOTKEY, 0, 0)) : g_hotkey;
    if (combination != g_hotkey) {
        g_hotkey = combination;
        RegisterBarHotkey();  // a refusal is reported, and the value kept
    }
    EndDialog(dialog, 1);
}

// Plays what the edit names now, not the stored path, chime or no chime.
// A file that is not there is reported, not covered by the system's default
// sound (which an asynchronous start would also report as success). The
// file is looked for where the sound call itself looks: a bare name is also
// found in the system's folders and on the path.
static void TestSound(HWND dialog)
{
    char wavPath[WAV_PATH_SIZE];
    ReadEditText(dialog, IDC_WAVPATH, wavPath, sizeof wavPath);
    if (wavPath[0] == '\0') {
        ShowWarning(NO_WAV_TEXT);
        return;
    }
    char found[MAX_PATH];
    DWORD len = SearchPathA(NULL, wavPath, NULL, sizeof found, found, NULL);
    DWORD attributes = len && len < sizeof found ? GetFileAttributesA(found) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !PlayWavFile(wavPath, SND_NODEFAULT))
        ShowWarning(WAV_FAILED_TEXT);
}

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (wParam) {
        case IDOK:
            OnOK(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 1);  // a sound started by Test plays on
            return TRUE;
        case IDC_FINDWAV:
            FindFile(FIND_WAV, dialog);
            return FALSE;
        case IDC_TESTWAV:
            TestSound(dialog);
            return FALSE;
        }
        return FALSE;
    }
    return FALSE;
}
