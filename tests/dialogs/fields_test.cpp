// The setup and Options dialogs' fields.
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using FieldsTest = TolvexTest;

TEST_F(FieldsTest, TypingStopsWhereTheFieldEnds)
{
    MakeMenus({{"&A", {"a"}}});
    DialogRequest menu = {NULL, g_menuHead, 0}, app = {g_menuHead->firstApp, g_menuHead, 0};
    const struct {
        int templateId;
        DLGPROC proc;
        DialogRequest* request;
        int edit;
        size_t kept;
    } cases[] = {{IDD_MENUSETUP, MenuProc, &menu, IDC_MENUNAME, 29}, {IDD_APPSETUP, AppProc, &app, IDC_APPNAME, 29},
                 {IDD_APPSETUP, AppProc, &app, IDC_APPPATH, 79},     {IDD_APPSETUP, AppProc, &app, IDC_APPWORKDIR, 79},
                 {IDD_APPSETUP, AppProc, &app, IDC_APPPARAMS, 29},   {IDD_OPTIONS, OptionsProc, NULL, IDC_WAVPATH, 79}};
    for (const auto& c : cases) {
        HWND d = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(c.templateId), NULL, c.proc,
                                    reinterpret_cast<LPARAM>(c.request));
        seam::SetText(d, c.edit, "");
        SendDlgItemMessageA(d, c.edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(std::string(99, 'x').c_str()));
        EXPECT_EQ(seam::Text(d, c.edit).size(), c.kept) << c.edit;
        DestroyWindow(d);
    }
}

// Test looks for a bare name where the sound call does: the Windows folder too.
TEST_F(FieldsTest, TestFindsTheWavFileWhereTheSoundCallWould)
{
    char windows[MAX_PATH];
    std::string inWindows = std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) + "\\tvchime.wav";
    WriteFileBytes(inWindows, Bytes(44, 0));
    WriteFileBytes("here.wav", Bytes(44, 0));
    for (const char* path : {"tvchime.wav", "here.wav", "nowhere.wav", "C:\\windows"}) {
        seam::Reset();
        HWND d = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_OPTIONS), NULL, OptionsProc, 0);
        seam::SetText(d, IDC_WAVPATH, path);
        seam::Click(d, IDC_TESTWAV);
        bool missing = path[0] == 'n' || path[0] == 'C';  // a directory is no sound either
        EXPECT_EQ(seam::Sounds().size(), missing ? 0u : 1u) << path;
        EXPECT_EQ(seam::BoxTexts().size(), missing ? 1u : 0u) << path;
        DestroyWindow(d);
    }
    DeleteFileA(inWindows.c_str());
}

}  // namespace
