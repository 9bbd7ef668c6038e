// The bar window against the real system: its look, its hook and clock,
// its commands, the ways it ends and the display changes it survives.
#include "tests/shell/bar.h"

#include <sstream>

namespace {

const char HOOK_REFUSED[] =
    "Error installing system hook.\nTolvex will not be able to resize\nmaximizing applications.";

TEST_F(BarTest, ExtendedStyleFollowsStayOnTopAndTheShell)
{
    EXPECT_EQ(BarExStyle(0, 0), 0u);
    EXPECT_EQ(BarExStyle(1, 0), 0x08u);
    EXPECT_EQ(BarExStyle(0, 1), 0x80u);
    EXPECT_EQ(BarExStyle(-5, 1), 0x88u);  // any non-zero value is on
}

TEST_F(BarTest, TheBarSpansTheTopOfTheScreenAndShownStartsTheClockAndTheHook)
{
    StartBarOver();
    EXPECT_EQ(GetWindowLongA(g_hwndBar, GWL_STYLE) & ~(WS_CLIPSIBLINGS | WS_VISIBLE), LONG(WS_POPUP | WS_DLGFRAME));
    EXPECT_TRUE(IsWindowVisible(g_hwndBar));
    EXPECT_EQ(BarRect(), (RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), BarHeight()}));
    ASSERT_TRUE(g_hHook);
    char exe[MAX_PATH], dll[MAX_PATH];
    GetModuleFileNameA(NULL, exe, sizeof exe);
    GetModuleFileNameA(GetModuleHandleA("tolvexhk.dll"), dll, sizeof dll);
    *strrchr(exe, '\\') = '\0';
    EXPECT_EQ(std::string(dll), std::string(exe) + "\\tolvexhk.dll");
    ShowWindow(g_hwndBar, SW_HIDE);
    ShowWindow(g_hwndBar, SW_RESTORE);
    EXPECT_EQ(seam::Calls("SetWindowsHookExA"), 1) << "a second show keeps the one hook";
    EXPECT_TRUE(KillTimer(g_hwndBar, CLOCK_TIMER_ID));
    EXPECT_TRUE(seam::state.boxes.empty());

    // The icon's sizes in 32 bits, 256 (0) the largest, and a version block.
    HRSRC group = FindResourceA(g_hInstance, MAKEINTRESOURCEA(IDI_TOLVEX), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_TRUE(group);
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(g_hInstance, group)));
    std::vector<std::string> icons;
    for (int i = 0; i < dir[4]; i++) {
        const BYTE* entry = dir + 6 + 14 * i;
        icons.push_back(std::to_string(entry[0]) + "x" + std::to_string(entry[1]) + "/" + std::to_string(entry[2]) +
                        "/" + std::to_string(entry[6]));
    }
    EXPECT_EQ(
        icons,
        (std::vector<std::string>{"16x16/0/32", "20x20/0/32", "24x24/0/32", "32x32/0/32", "48x48/0/32", "0x0/0/32"}));
    EXPECT_TRUE(FindResourceA(g_hInstance, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)));  // RT_VERSION
}

TEST_F(BarTest, TheClockWaitsForTheNextMinuteAndIsRefreshedWhenItMayBeWrong)
{
    const struct {
        WORD second, ms;
        UINT wait;
    } waits[] = {{0, 0, 60000}, {2, 0, 58000}, {59, 999, 1}, {60, 500, 1000}};
    for (const auto& w : waits) {
        SYSTEMTIME t = {2026, 12, 1, 7, 11, 42, w.second, w.ms};
        EXPECT_EQ(MsToNextMinute(t), w.wait) << w.second;
    }
    const struct {
        UINT message;
        WPARAM wParam;
        bool refreshes;
    } cases[] = {
        {WM_TIMER, CLOCK_TIMER_ID, true},
        {WM_TIMER, 1, false},
        {WM_TIMECHANGE, 0, true},
        {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, true},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, false},
    };
    StartBarOver({});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + "," + std::to_string(c.wParam));
        seam::SetLocalTime(9, 5);
        UpdateClock();
        seam::SetLocalTime(14, 45);
        Send(c.message, c.wParam);
        EXPECT_EQ(ClockText(), c.refreshes ? "2:45 PM" : "9:05 AM");
    }
    EXPECT_TRUE(seam::state.boxes.empty());
    DeleteMenu(GetMenu(g_hwndBar), IDM_CLOCK, MF_BYCOMMAND);
    Send(WM_TIMER, CLOCK_TIMER_ID);
    EXPECT_EQ(seam::BoxTexts(), std::vector<std::string>{"Error modifying time!"});
}

class BarEndTest : public BarTest, public ::testing::WithParamInterface<UINT> {
protected:
    static void End(UINT message)
    {
        Send(message, message == WM_COMMAND ? IDM_EXIT : message == WM_ENDSESSION);
    }
};

TEST_P(BarEndTest, ExitCloseAndSessionEndAllSaveAndEnd)
{
    const UINT message = GetParam();
    int blocks = seam::LiveHeapBlocks();
    StartBarOver();
    HWND bar = g_hwndBar;
    Send(WM_COMMAND, 101);  // a launch starts COM
    if (message == WM_ENDSESSION) {
        Send(WM_ENDSESSION, FALSE);  // the session goes on
        EXPECT_TRUE(IsWindow(bar));
        EXPECT_FALSE(FileExists("apps.tx"));
    }
    g_userVars.chime = 1;
    CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\in-memory.wav");
    const Bytes settings = MemorySettings();
    End(message);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(seam::state.boxes.empty());
    EXPECT_EQ(ReadSettings(), settings);
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(g_hHook);
    ASSERT_FALSE(seam::state.appBarCalls.empty());
    EXPECT_EQ(seam::state.appBarCalls.back().message, DWORD(ABM_REMOVE));
    EXPECT_EQ(seam::Calls("CoUninitialize"), 1);
    EXPECT_FALSE(g_menuHead);
    EXPECT_EQ(seam::LiveHeapBlocks(), blocks);
    WNDCLASSA cls;  // Wine writes to it even when the caller only asks
    EXPECT_FALSE(GetClassInfoA(g_hInstance, BAR_CLASS_NAME, &cls)) << "the class stays registered";
    LoadMenuList();
    EXPECT_EQ(DescribeMenus(), "&Apps:a,b|&Games:g");
}

// The warning stays up until it is answered (no quit waits under it); a
// close arriving through its loop finds the exit under way and saves
// nothing twice; the settings go before the data file, whose save may wait
// on a warning until the system ends the process.
TEST_P(BarEndTest, AFailedSaveIsSeenAndASecondCloseFindsTheExitUnderWay)
{
    StartBarOver();
    seam::Fail("CreateFileW");
    bool quitUnderWarning = true;
    int settingsSavesUnderWarning = -1;
    seam::state.onBox = [&](const seam::Box&) {
        Send(WM_CLOSE);
        quitUnderWarning = QuitPosted();
        settingsSavesUnderWarning = seam::Calls("RegSetValueExA");
    };
    End(GetParam());
    ASSERT_EQ(seam::BoxTexts(), std::vector<std::string>{"Could not open APPS.TX for write.\nPlease check the file."});
    EXPECT_FALSE(seam::state.boxes[0].quitPending);
    EXPECT_FALSE(quitUnderWarning);
    EXPECT_EQ(settingsSavesUnderWarning, 1);
    EXPECT_EQ(seam::Calls("CreateFileW"), 1) << "one save, not a second under the box";
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_TRUE(QuitPosted());
}

INSTANTIATE_TEST_SUITE_P(Routes, BarEndTest, ::testing::Values(WM_COMMAND, WM_CLOSE, WM_ENDSESSION));

// The installer's request to save and end while dialogs are open.
TEST_F(BarTest, AnExitRequestEndsOpenDialogsKeepingWhatUserMenusHoldsAndTheBarSavesAndEnds)
{
    StartBarOver({{"&One", {"a"}}, {"&Two", {"b"}}});
    seam::DialogScript script;
    script
        .On("User Menus",
            [](HWND dialog) {
                seam::SelectRow(dialog, IDC_MENULIST, 0);
                seam::Click(dialog, IDC_MENUDOWN);
                seam::Click(dialog, IDC_NEWMENU);
            })
        .On("Menu Setup", [](HWND dialog) {
            seam::SetText(dialog, IDC_MENUNAME, "&Three");
            Send(g_exitRequestMessage);
        });
    Send(WM_COMMAND, IDM_EDITMENUS);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(seam::BoxTexts().empty());
    LoadMenuList();
    EXPECT_EQ("&Two:b|&One:a", DescribeMenus());
}

TEST_F(BarTest, AnExitRequestEndsOptionsAsTheirCancelAndTheSettingsAreSaved)
{
    StartBarOver();
    RunFromBar(IDM_OPTIONS, "Tolvex Options", [](HWND dialog) {
        seam::Click(dialog, IDC_STAYONTOP);
        Send(g_exitRequestMessage);
    });
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(1, g_userVars.stayOnTop);
    EXPECT_EQ(MemorySettings(), ReadSettings());
}

TEST_F(BarTest, ABarThatCannotBeMadeAgainEndsTheProgramWithoutLosingAnything)
{
    StartBarOver();
    seam::Fail("CreateWindowExA");
    Send(WM_DISPLAYCHANGE);
    ASSERT_EQ(seam::BoxTexts(),
              std::vector<std::string>{"Could not create the bar for the new display.\n"
                                       "Tolvex will save the menus and settings and close."});
    EXPECT_EQ(seam::state.boxes[0].owner, nullptr);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(FileExists("apps.tx"));
}

// Taking the bar down under an open dialog would take the dialog with it,
// past its own handling: a display change and a close wait for it. The new
// bar of a display change takes over the menus, the clock and the hook.
TEST_F(BarTest, ADisplayChangeOrACloseWaitsForTheOpenDialog)
{
    for (UINT message : {WM_DISPLAYCHANGE, WM_CLOSE}) {
        SCOPED_TRACE(message);
        StartBarOver();
        HWND old = g_hwndBar;
        HMENU oldMenu = GetMenu(old), oldPopup = GetSubMenu(oldMenu, 1);
        HHOOK hook = g_hHook;
        int blocks = seam::LiveHeapBlocks();
        bool keptWhileOpen = false;
        RunFromBar(IDM_ABOUT, "About Tolvex", [&](HWND dialog) {
            Send(message);
            keptWhileOpen =
                IsWindow(old) && IsWindowVisible(dialog) && !QuitPosted() && seam::LiveHeapBlocks() == blocks;
            seam::Click(dialog, IDOK);
        });
        EXPECT_TRUE(keptWhileOpen);
        EXPECT_FALSE(IsWindow(old));
        if (message == WM_CLOSE) {
            EXPECT_TRUE(QuitPosted());
            EXPECT_TRUE(FileExists("apps.tx"));
            EXPECT_FALSE(g_menuHead);
        } else {
            EXPECT_TRUE(FindWindowA(BAR_CLASS_NAME, BAR_TITLE) == g_hwndBar && IsWindowVisible(g_hwndBar));
            EXPECT_FALSE(IsMenu(oldMenu) || IsMenu(oldPopup)) << "the old menus are left over";
            EXPECT_EQ(GetMenuItemCount(GetMenu(g_hwndBar)), 5);
            EXPECT_EQ(g_hHook, hook);
            Send(WM_TIMER, CLOCK_TIMER_ID);  // a stale clock item would warn
            Send(WM_COMMAND, 201);
            ASSERT_EQ(seam::state.launches.size(), 1u);
            EXPECT_EQ(seam::state.launches[0].file, "c:\\g.exe");
            EXPECT_TRUE(KillTimer(g_hwndBar, CLOCK_TIMER_ID));
            EXPECT_TRUE(seam::state.boxes.empty());
            ClearBarMenus();
            FreeAllMenus();
            TearDownBar();
        }
        MSG msg;
        PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

// A close or the end of the session arriving through the fatal box's loop
// neither saves nor ends the box; the bar goes all the same.
TEST_F(BarTest, AFatalErrorRemovesTheBarAndSavesNothing)
{
    bool barAtRemoval = false;
    seam::state.appBar = [&](DWORD message, APPBARDATA* data) -> UINT_PTR {
        if (message == ABM_REMOVE)
            barAtRemoval = IsWindow(data->hWnd) != 0;
        return TRUE;
    };
    bool quitUnderBox = true;
    int code = seam::RunToExit([&] {
        StartBarOver();
        seam::Fail("CreateMenu");
        seam::state.onBox = [&](const seam::Box&) {
            Send(WM_CLOSE);
            Send(WM_ENDSESSION, TRUE);
            quitUnderBox = QuitPosted();
        };
        BuildBarMenus();  // as after Edit Menus' OK
    });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(quitUnderBox);
    ASSERT_EQ(seam::BoxTexts(), std::vector<std::string>{"Could not create menus!"});
    EXPECT_EQ(seam::state.boxes[0].owner, nullptr);
    EXPECT_EQ(seam::state.appBarCalls.back().message, DWORD(ABM_REMOVE));
    EXPECT_TRUE(barAtRemoval) << "the toolbar outlived its window";
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_EQ(seam::Calls("RegSetValueExA"), 0);
}

TEST_F(BarTest, TheBarIsADesktopToolbarOnTheTopEdgeWhileItStaysOnTop)
{
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    int taken = 30;  // by another toolbar
    int refusals = 0;
    seam::state.appBar = [&](DWORD message, APPBARDATA* data) -> UINT_PTR {
        if (message == ABM_QUERYPOS)
            data->rc.top = taken;
        if (message == ABM_NEW && refusals > 0) {
            refusals--;
            return FALSE;
        }
        return TRUE;
    };
    size_t from = 0;
    auto calls = [&from] {  // since the last look
        static const char* const names[] = {"new", "remove", "query", "set", "", "", "activate", "", "", "moved"};
        std::ostringstream out;
        for (; from < seam::state.appBarCalls.size(); from++) {
            const seam::AppBarCall& c = seam::state.appBarCalls[from];
            out << " " << names[c.message] << (c.data.hWnd == g_hwndBar ? "" : "(old)");
            if (c.message == ABM_NEW)
                out << ":" << c.data.uCallbackMessage;
            if (c.message == ABM_SETPOS)
                out << ":" << c.data.uEdge << "," << c.data.rc;
        }
        return out.str();
    };
    auto set = [&](int top) {  // the bar's height: its menu's rows
        return ":1,0," + std::to_string(top) + "," + std::to_string(cx) + "," + std::to_string(top + BarHeight());
    };
    auto topmost = [] { return (GetWindowLongA(g_hwndBar, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };

    StartBarOver();
    EXPECT_EQ(calls(), " new:32769 query set" + set(30) + " moved");
    EXPECT_EQ(BarRect().top, 30);
    Send(WM_ACTIVATE, WA_ACTIVE);
    Send(WM_WINDOWPOSCHANGED, 0, 0);
    taken = 0;
    Send(WM_APPBAR_NOTIFY, ABN_POSCHANGED);
    EXPECT_EQ(calls(), " activate moved query set" + set(0) + " moved");
    EXPECT_EQ(BarRect().top, 0);

    Send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, TRUE);
    EXPECT_FALSE(topmost());
    calls();
    Send(WM_DISPLAYCHANGE);  // as a game may cause
    EXPECT_EQ(calls(), " remove(old) new:32769 query set" + set(0) + " moved");
    EXPECT_FALSE(topmost());
    Send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, FALSE);
    EXPECT_TRUE(topmost());
    calls();

    refusals = 1;  // a new shell, not ready at its first word
    Send(RegisterWindowMessageA("TaskbarCreated"));
    Send(RegisterWindowMessageA("TaskbarCreated"));
    EXPECT_EQ(calls(), " new:32769 new:32769 query set" + set(0));
}

// OK keeps the settings in memory only: the registry waits for Exit.
TEST_F(BarTest, TheOptionsDialogStoresWhatItShowsAndMovesTheBarOnlyOnAChange)
{
    const std::string longPath = "C:\\" + std::string(87, 'w');  // 90 characters
    const struct {
        const char* what;
        LONG onTop;
        bool boxOnTop, boxChime;
        std::string edit;
        int button;
        bool hookRefused;
        LONG onTopAfter, chimeAfter;
        std::string pathAfter;
        const char* warning;
    } cases[] = {
        {"chime without a file", 1, true, true, "", IDOK, false, 1, 0, "c:\\old.wav", "Please enter a WAV filename."},
        {"no chime, no file", 1, true, false, "", IDOK, false, 1, 0, "", nullptr},
        {"a long path", 1, true, true, longPath, IDOK, false, 1, 1, longPath.substr(0, 79), nullptr},
        {"off", 1, false, false, "c:\\old.wav", IDOK, false, 0, 0, "c:\\old.wav", nullptr},
        {"on", 0, true, false, "c:\\old.wav", IDOK, false, 1, 0, "c:\\old.wav", nullptr},
        {"on, hook refused", 0, true, false, "c:\\old.wav", IDOK, true, 1, 0, "c:\\old.wav", HOOK_REFUSED},
        {"cancelled", 1, false, true, "c:\\new.wav", IDCANCEL, false, 1, 0, "c:\\old.wav", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        seam::Reset();
        g_userVars.stayOnTop = c.onTop;
        g_userVars.chime = 0;
        CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\old.wav");
        StartBarOver({});
        HHOOK hook = g_hHook;
        EXPECT_EQ(hook != NULL, c.onTop != 0);
        EXPECT_EQ(seam::state.appBarCalls.empty(), c.onTop == 0);
        int moves = seam::Calls("SetWindowPos");
        RunFromBar(IDM_OPTIONS, "Tolvex Options", [&](HWND dialog) {
            CheckDlgButton(dialog, IDC_STAYONTOP, c.boxOnTop);
            CheckDlgButton(dialog, IDC_CHIME, c.boxChime);
            seam::SetText(dialog, IDC_WAVPATH, c.edit.c_str());
            if (c.hookRefused)
                seam::Fail("SetWindowsHookExA");
            seam::Click(dialog, c.button);
            if (IsWindowVisible(dialog))  // refused: the dialog stays
                seam::Click(dialog, IDCANCEL);
        });
        EXPECT_EQ(g_userVars.stayOnTop, c.onTopAfter);
        EXPECT_EQ(g_userVars.chime, c.chimeAfter);
        EXPECT_EQ(std::string(g_userVars.wavPath), c.pathAfter);
        if (c.onTop == c.onTopAfter) {
            EXPECT_EQ(g_hHook, hook) << "the hook moved without a change";
            EXPECT_EQ(seam::Calls("SetWindowPos"), moves) << "the bar moved without a change";
        }
        EXPECT_EQ(g_hHook != NULL, c.onTopAfter && !c.hookRefused);
        EXPECT_EQ((GetWindowLongA(g_hwndBar, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.onTopAfter != 0);
        DWORD registration = ABM_REMOVE;
        for (const seam::AppBarCall& call : seam::state.appBarCalls)
            if (call.message == ABM_NEW || call.message == ABM_REMOVE)
                registration = call.message;
        EXPECT_EQ(registration, c.onTopAfter ? DWORD(ABM_NEW) : DWORD(ABM_REMOVE));
        EXPECT_EQ(seam::BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        EXPECT_EQ(seam::Calls("RegSetValueExA"), 0);
        ClearBarMenus();
        TearDownBar();
    }
}

TEST_F(BarTest, TheOptionsDialogTestsAndFindsTheChimeAndTheAboutBoxWaitsForOk)
{
    StartBarOver({});
    const std::string chime = Folder() + "chime.wav";
    WriteFileBytes(chime, Bytes(64, 0));
    seam::state.openDialog = [&](OPENFILENAMEW* request) {
        EXPECT_EQ(std::wstring(request->lpstrTitle), L"Find WAV File...");
        EXPECT_EQ(std::wstring(request->lpstrFilter), L"WAV Files");
        MultiByteToWideChar(CP_ACP, 0, chime.c_str(), -1, request->lpstrFile, static_cast<int>(request->nMaxFile));
        return TRUE;
    };
    std::vector<std::string> shown;
    bool aboutStays = false;  // on Esc, with Enter as OK
    {
        seam::DialogScript script;
        script.On("Tolvex Options", [&](HWND d) {
            shown = {std::to_string(IsDlgButtonChecked(d, IDC_STAYONTOP)),
                     std::to_string(IsDlgButtonChecked(d, IDC_CHIME)), seam::Text(d, IDC_WAVPATH),
                     std::to_string(GetDlgCtrlID(GetFocus()))};
            seam::Click(d, IDC_CHIME);
            seam::Click(d, IDC_TESTWAV);  // no file
            seam::Click(d, IDC_FINDWAV);
            shown.push_back(seam::Text(d, IDC_WAVPATH));
            shown.push_back(std::to_string(GetDlgCtrlID(GetFocus())));
            seam::Click(d, IDC_TESTWAV);
            seam::Click(d, IDOK);
        });
        script.On("About Tolvex", [&](HWND d) {
            seam::Command(d, IDCANCEL);  // Esc
            aboutStays = IsWindowVisible(d) && LOWORD(SendMessageA(d, DM_GETDEFID, 0, 0)) == IDOK;
            seam::Command(d, IDOK);  // Enter
        });
        Send(WM_COMMAND, IDM_OPTIONS);
        Send(WM_COMMAND, IDM_ABOUT);
        EXPECT_TRUE(script.Done());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "0", "", "1000", chime, "1"}));
    EXPECT_EQ(seam::BoxTexts(), std::vector<std::string>{"Please enter a WAV filename."});
    ASSERT_EQ(seam::state.sounds.size(), 1u);
    EXPECT_EQ(seam::state.sounds[0].path, chime);
    EXPECT_EQ(g_userVars.chime, 1);
    EXPECT_EQ(std::string(g_userVars.wavPath), chime);
    EXPECT_EQ(seam::Calls("RegSetValueExA"), 0);
    EXPECT_TRUE(aboutStays);
}

}  // namespace
