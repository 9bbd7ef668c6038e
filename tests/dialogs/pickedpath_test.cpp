// What Find... keeps of the path picked in the Open dialog.
#include "dialogs/dialogs.h"
#include "resources/resource.h"
#include "tests/support.h"

using PickedPathTest = TolvexTest;

static INT_PTR CALLBACK Plain(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

TEST_F(PickedPathTest, APathIsKeptOnlyWholeAndAsPicked)
{
    const std::wstring longest = L"C:\\" + std::wstring(72, L'x') + L".exe";  // 79 characters
    const struct {
        std::wstring picked;
        const char* kept;  // in the Path edit
        const char* warning;
    } cases[] = {
        {L"C:\\Tools\\echoargs.exe", "C:\\Tools\\echoargs.exe", nullptr},
        {longest, nullptr, nullptr},
        {L"C:\\Tools\\\u03a9mega\\echoargs.exe", "",
         "The path of this file has characters that\nthe system's code page cannot hold.\n"
         "Tolvex cannot keep it: please choose another file."},
        {longest + L"x", "", "The path of this file is too long.\nTolvex keeps paths of at most 79 characters."},
    };
    for (const auto& c : cases) {
        seam::Reset();
        HWND dialog = CreateDialogParamA(g_hInstance, MAKEINTRESOURCEA(IDD_APPSETUP), NULL, Plain, 0);
        seam::OnOpenDialog([&](OPENFILENAMEW* request) {
            lstrcpynW(request->lpstrFile, c.picked.c_str(), static_cast<int>(request->nMaxFile));
            return TRUE;
        });
        EXPECT_EQ(0, FindFile(FIND_EXECUTABLE, dialog));
        std::string kept = c.kept ? c.kept : std::string(longest.begin(), longest.end());
        EXPECT_EQ(kept, seam::Text(dialog, IDC_APPPATH));
        EXPECT_EQ(c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{}, seam::BoxTexts());
        DestroyWindow(dialog);
    }
}
