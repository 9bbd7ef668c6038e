// The Options dialog: stay on top, the hourly chime and its WAV file. OK
// changes the settings in memory; the registry gets them at Exit, and the
// bar applies a change of stay-on-top once the dialog has closed.
#include "dialogs/dialogs.h"

#include <mmsystem.h>

#include "barmenu/barmenu.h"
#include "base/report.h"
#include "base/text.h"
#include "resources/resource.h"

static const char NO_WAV_TEXT[] = "Please enter a WAV filename.";

static UINT CheckState(LONG on)
{
    return on ? BST_CHECKED : BST_UNCHECKED;
}

static void OnInitDialog(HWND dialog)
{
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
