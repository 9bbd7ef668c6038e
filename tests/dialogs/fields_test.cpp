// The setup and Options dialogs' fields, and what Find... puts in them.
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"

namespace {

using FieldsTest = TolvexTest;

INT_PTR CALLBACK Plain(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

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
        EXPECT_EQ(seam::state.sounds.size(), missing ? 0u : 1u) << path;
        EXPECT_EQ(seam::BoxTexts().size(), missing ? 1u : 0u) << path;
        DestroyWindow(d);
    }
    DeleteFileA(inWindows.c_str());
}

// The Open dialog's path is kept only whole and as picked; the current
// directory, however long, is put back wherever the user browsed.
TEST_F(FieldsTest, FindKeepsAPathOnlyWholeAndPutsBackTheCurrentDirectory)
{
    std::string deep = Folder();
    while (deep.size() < 240) {
        deep += std::string(40, 'd') + "\\";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), NULL));
    }
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    char start[1024];
    GetCurrentDirectoryA(sizeof start, start);
    const std::wstring longest = L"C:\\" + std::wstring(72, L'x') + L".exe";  // 79 characters
    const struct {
        BOOL chosen;
        std::wstring picked;
        const char* warning;
    } cases[] = {
        {TRUE, L"C:\\Tools\\echoargs.exe", nullptr},
        {FALSE, L"C:\\Tools\\echoargs.exe", nullptr},
        {TRUE, longest, nullptr},
        {TRUE, L"C:\\Tools\\\u03a9mega\\echoargs.exe",
         "The path of this file has characters that\nthe system's code page cannot hold.\n"
         "Tolvex cannot keep it: please choose another file."},
        {TRUE, longest + L"x", "The path of this file is too long.\nTolvex keeps paths of at most 79 characters."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.picked.begin(), c.picked.end()));
        seam::Reset();
        HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_APPSETUP), NULL, Plain, 0);
        ShowWindow(dialog, SW_SHOW);
        seam::SetText(dialog, IDC_APPPATH, "before");
        SetFocus(GetDlgItem(dialog, IDC_APPPATH));
        seam::state.openDialog = [&](OPENFILENAMEW* request) {
            EXPECT_EQ(request->lStructSize, DWORD(sizeof(OPENFILENAMEW)));
            EXPECT_EQ(request->hwndOwner, dialog);
            EXPECT_EQ(request->Flags, 0x1814u);
            EXPECT_EQ(request->nFilterIndex, 1u);
            EXPECT_EQ(std::wstring(request->lpstrTitle), L"Find Executable...");
            EXPECT_EQ(std::wstring(request->lpstrFilter, 50),
                      std::wstring(L"Executables\0*.EXE;*.COM;*.BAT;*.PIF\0All Files\0*.*\0", 50));
            SetCurrentDirectoryA("C:\\windows");
            lstrcpynW(request->lpstrFile, c.picked.c_str(), static_cast<int>(request->nMaxFile));
            return c.chosen;
        };
        EXPECT_EQ(0, FindFile(FIND_EXECUTABLE, dialog));
        bool kept = c.chosen && !c.warning;
        EXPECT_EQ(kept ? std::string(c.picked.begin(), c.picked.end()) : "before", seam::Text(dialog, IDC_APPPATH));
        EXPECT_EQ(kept ? IDOK : IDC_APPPATH, GetDlgCtrlID(GetFocus()));
        EXPECT_EQ(c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{}, seam::BoxTexts());
        char now[1024];
        GetCurrentDirectoryA(sizeof now, now);
        EXPECT_STREQ(start, now);
        DestroyWindow(dialog);
    }
    SetCurrentDirectoryA(Folder().c_str());
}

}  // namespace
