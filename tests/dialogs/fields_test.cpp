// The setup and Options dialogs' fields, labels and texts.
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"
#include "version.h"

namespace {

using FieldsTest = TolvexTest;

HWND Open(int templateId, DLGPROC proc, LPARAM param = 0)
{
    return CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(templateId), NULL, proc, param);
}

INT_PTR CALLBACK Plain(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

// Typing stops where the field ends; a label's mnemonic reaches its edit.
TEST_F(FieldsTest, EditsTakeWhatTheirFieldsHoldAndLabelsLeadToThem)
{
    MakeMenus({{"&A", {"a"}}});
    DialogRequest menu = {NULL, g_menuHead, 0}, app = {g_menuHead->firstApp, g_menuHead, 0};
    const struct {
        int templateId;
        DLGPROC proc;
        LPARAM request;
        int edit;
        size_t kept;
        char key;
    } cases[] = {
        {IDD_MENUSETUP, MenuProc, reinterpret_cast<LPARAM>(&menu), IDC_MENUNAME, 29, 'n'},
        {IDD_APPSETUP, AppProc, reinterpret_cast<LPARAM>(&app), IDC_APPNAME, 29, 'n'},
        {IDD_APPSETUP, AppProc, reinterpret_cast<LPARAM>(&app), IDC_APPPATH, 79, 'p'},
        {IDD_APPSETUP, AppProc, reinterpret_cast<LPARAM>(&app), IDC_APPWORKDIR, 79, 'w'},
        {IDD_APPSETUP, AppProc, reinterpret_cast<LPARAM>(&app), IDC_APPPARAMS, 29, 'a'},
        {IDD_OPTIONS, OptionsProc, 0, IDC_WAVPATH, 79, 'w'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edit);
        HWND d = Open(c.templateId, c.proc, c.request);
        seam::SetText(d, c.edit, "");
        std::string typed(100, 'x');
        SendDlgItemMessageA(d, c.edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(typed.c_str()));
        EXPECT_EQ(seam::Text(d, c.edit).size(), c.kept);
        DestroyWindow(d);
        d = Open(c.templateId, Plain);
        MSG key = {GetDlgItem(d, IDOK), WM_SYSCHAR, static_cast<WPARAM>(c.key), 1 << 29, 0, {0, 0}};
        IsDialogMessageA(d, &key);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), c.edit);
        DestroyWindow(d);
    }
}

// Test looks for a bare name where the sound call does, the Windows
// folder among them.
TEST_F(FieldsTest, TestFindsTheWavFileWhereTheSoundCallWould)
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    std::string inWindows = std::string(windows) + "\\tvchime.wav";
    WriteFileBytes(inWindows, Bytes(44, 0));
    WriteFileBytes("here.wav", Bytes(44, 0));
    const struct {
        const char* path;
        bool found;
    } cases[] = {{"tvchime.wav", true}, {"here.wav", true}, {"nowhere.wav", false}, {"C:\\windows", false}};
    for (const auto& c : cases) {
        seam::Reset();
        HWND d = Open(IDD_OPTIONS, OptionsProc);
        seam::SetText(d, IDC_WAVPATH, c.path);
        seam::Click(d, IDC_TESTWAV);
        EXPECT_EQ(seam::Sounds().size(), c.found ? 1u : 0u) << c.path;
        EXPECT_EQ(seam::BoxTexts().size(), c.found ? 0u : 1u) << c.path;
        DestroyWindow(d);
    }
    DeleteFileA(inWindows.c_str());
}

BOOL CALLBACK FindVersion(HWND control, LPARAM found)
{
    char text[256];
    GetWindowTextA(control, text, sizeof text);
    *reinterpret_cast<bool*>(found) |= strstr(text, "\nVersion " TOLVEX_VERSION_TEXT "\n") != NULL;
    return TRUE;
}

TEST_F(FieldsTest, AboutNamesTheVersion)
{
    HWND d = Open(IDD_ABOUT, AboutProc);
    bool found = false;
    EnumChildWindows(d, FindVersion, reinterpret_cast<LPARAM>(&found));
    EXPECT_TRUE(found);
    DestroyWindow(d);
}

}  // namespace
