#include "tests/shell/bartest.h"

#include <algorithm>

#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

TEST_F(BarTest, ExtendedStyleFollowsStayOnTopAndTheShell)
{
    EXPECT_EQ(BarExStyle(0, 0), 0u);
    EXPECT_EQ(BarExStyle(1, 0), 0x08u);
    EXPECT_EQ(BarExStyle(0, 1), 0x80u);
    EXPECT_EQ(BarExStyle(-5, 1), 0x88u);  // any non-zero value is on
}

TEST_F(BarTest, TheBarSpansTheTopOfTheScreenWithItsMenusAndTime)
{
    fw::SetSystemMetric(SM_CXSCREEN, 800);
    fw::SetSystemMetric(SM_CYCAPTION, 20);
    fw::SetLocalTime(9, 5);
    StartBar();
    fw::WindowInfo bar = fw::GetWindowInfo(g_hwndBar);
    EXPECT_EQ(bar.className, "TXClass");
    EXPECT_EQ(bar.title, "Tolvex");
    EXPECT_EQ(bar.style, 0x80400000u);
    EXPECT_EQ(bar.exStyle, 0x88u);
    EXPECT_EQ(bar.rect.left, 0);
    EXPECT_EQ(bar.rect.top, 0);
    EXPECT_EQ(bar.rect.right, 800);
    EXPECT_EQ(bar.rect.bottom, 25);
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(BarLayout(), (std::vector<std::string>{"[\xA7]", "[&Apps]", "[&Games]", "", "9:05 AM"}));
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

TEST_F(BarTest, ShowingTheBarStartsTheClockAndInstallsTheHookFromTheDll)
{
    StartBar();
    ASSERT_EQ(fw::Timers().size(), 1u);
    EXPECT_EQ(fw::Timers()[0].hwnd, g_hwndBar);
    EXPECT_EQ(fw::Timers()[0].id, 65244u);
    EXPECT_EQ(fw::Timers()[0].elapse, 60000u);
    // The hook's DLL by its full path; the shell's library, for the desktop
    // toolbar, from the system folder.
    EXPECT_EQ(fw::LoadedLibraries(), (std::vector<std::string>{"C:\\TOLVEX\\tolvexhk.dll", "shell32.dll"}));
    ASSERT_EQ(fw::Hooks().size(), 1u);
    EXPECT_EQ(fw::Hooks()[0].idHook, WH_CALLWNDPROC);
    EXPECT_EQ(fw::Hooks()[0].proc, &MaximizeHookProc);
    EXPECT_NE(fw::Hooks()[0].module, nullptr);
    EXPECT_EQ(fw::Hooks()[0].threadId, 0u);

    // A second show keeps the one hook.
    ShowWindow(g_hwndBar, SW_HIDE);
    ShowWindow(g_hwndBar, SW_RESTORE);
    EXPECT_EQ(fw::Hooks().size(), 1u);
}

TEST_F(BarTest, ARefusedHookIsReportedAndTheBarWorksOn)
{
    fw::FailCalls("SetWindowsHookExA");
    StartBar();
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"Error installing system hook.\nTolvex will not be able to resize\n"
                                       "maximizing applications."});
    EXPECT_EQ(fw::MessageBoxes()[0].owner, g_hwndBar);
    EXPECT_EQ(g_hHook, nullptr);
    EXPECT_EQ(fw::Timers().size(), 1u);
}

TEST_F(BarTest, WithoutStayOnTopNoHookIsWanted)
{
    g_userVars.stayOnTop = 0;
    StartBar();
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_TRUE(fw::AppBarCalls().empty());
    EXPECT_EQ(fw::GetWindowInfo(g_hwndBar).exStyle, 0x80u);
}

TEST_F(BarTest, CommandsLaunchOrWarnAndTimersRefreshTheClock)
{
    StartBar();
    Send(WM_COMMAND, MAKEWPARAM(102, 1), 77);  // high word and lParam are not looked at
    ASSERT_EQ(fw::ShellExecuteCalls().size(), 1u);
    EXPECT_EQ(fw::ShellExecuteCalls()[0].file, "c:\\b.exe");

    for (UINT id : {IDM_OPTIONS, IDM_EDITMENUS, IDM_ABOUT, IDM_CLOCK})
        EXPECT_EQ(Send(WM_COMMAND, id), 0);
    EXPECT_TRUE(fw::MessageBoxes().empty());
    Send(WM_COMMAND, 103);
    Send(WM_COMMAND, 12345);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Menu item not found.", "Menu item not found."}));

    fw::SetLocalTime(14, 45);
    EXPECT_EQ(Send(WM_TIMER, 1), 0);
    EXPECT_NE(BarLayout().back(), "2:45 PM");
    Send(WM_TIMER, CLOCK_TIMER_ID);
    EXPECT_EQ(BarLayout().back(), "2:45 PM");

    DeleteMenu(GetMenu(g_hwndBar), IDM_CLOCK, MF_BYCOMMAND);
    Send(WM_TIMER, CLOCK_TIMER_ID);
    EXPECT_EQ(BoxTexts().back(), "Error modifying time!");
}

class BarEndTest : public BarTest, public ::testing::WithParamInterface<UINT> { };

TEST_P(BarEndTest, ExitCloseAndSessionEndAllSaveOrSayWhyAndEnd)
{
    UINT message = GetParam();
    StartBar();
    HWND bar = g_hwndBar;
    Send(WM_COMMAND, 101);  // a launch starts COM
    if (message == WM_ENDSESSION) {
        Send(WM_ENDSESSION, FALSE);  // the session goes on
        EXPECT_TRUE(fw::WindowExists(bar));
        EXPECT_FALSE(FileExists("apps.tx"));
    }
    Send(message, message == WM_COMMAND ? IDM_EXIT : TRUE);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(FileExists("apps.tx"));
    EXPECT_TRUE(fw::MessageBoxes().empty());
    DWORD type;
    Bytes record;
    EXPECT_TRUE(fw::RegGetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars", &type, &record));
    EXPECT_FALSE(fw::WindowExists(bar));
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_TRUE(fw::AppBars().empty());
    EXPECT_EQ(fw::CallCount("CoUninitialize"), 1);
    EXPECT_EQ(g_menuHead, nullptr);
    EXPECT_EQ(fw::LiveHeapBlocks(), 0);
}

TEST_P(BarEndTest, AFailedSaveIsSeenAndASecondCloseFindsTheExitUnderWay)
{
    UINT message = GetParam();
    StartBar();
    fw::FailCalls("CreateFileA");
    bool quitWhileWarning = true;
    fw::OnMessageBox([&](const fw::MessageBoxCall&) {
        Send(WM_CLOSE);
        quitWhileWarning = QuitPosted();
    });
    Send(message, message == WM_COMMAND ? IDM_EXIT : TRUE);
    ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Could not open APPS.TX for write.\nPlease check the file."});
    EXPECT_FALSE(fw::MessageBoxes()[0].cutShort);
    EXPECT_FALSE(quitWhileWarning);
    EXPECT_EQ(fw::CallCount("CreateFileA"), 1);  // one save, not a second under the box
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(fw::LiveHeapBlocks(), 0);
}

INSTANTIATE_TEST_SUITE_P(Routes, BarEndTest, ::testing::Values(WM_COMMAND, WM_CLOSE, WM_ENDSESSION));

TEST_F(BarTest, ADisplayChangeMakesANewBarForTheNewScreen)
{
    StartBar();
    HWND old = g_hwndBar;
    int menus = fw::LiveMenuCount();
    fw::SetSystemMetric(SM_CXSCREEN, 1600);
    fw::SetSystemMetric(SM_CYCAPTION, 22);
    EXPECT_EQ(Send(WM_DISPLAYCHANGE, 32, MAKELPARAM(1600, 1200)), 0);

    EXPECT_FALSE(fw::WindowExists(old));
    ASSERT_TRUE(fw::WindowExists(g_hwndBar));
    fw::WindowInfo bar = fw::GetWindowInfo(g_hwndBar);
    EXPECT_EQ(bar.rect.right, 1600);
    EXPECT_EQ(bar.rect.bottom, 27);
    EXPECT_TRUE(bar.visible);
    EXPECT_EQ(BarLayout().size(), 5u);
    EXPECT_EQ(BarLayout()[2], "[&Games]");
    EXPECT_EQ(fw::LiveMenuCount(), menus);  // no popup twice, none left over
    EXPECT_EQ(fw::Hooks().size(), 1u);
    ASSERT_EQ(fw::Timers().size(), 1u);
    EXPECT_EQ(fw::Timers()[0].hwnd, g_hwndBar);
    Send(WM_COMMAND, 201);
    EXPECT_EQ(fw::ShellExecuteCalls().back().file, "c:\\g.exe");
    EXPECT_EQ(fw::ShellExecuteCalls().back().owner, g_hwndBar);
}

TEST_F(BarTest, ABarThatCannotBeMadeAgainEndsTheProgramWithoutLosingAnything)
{
    StartBar();
    fw::FailCalls("CreateWindowExA");
    Send(WM_DISPLAYCHANGE);
    EXPECT_EQ(BoxTexts(),
              std::vector<std::string>{"Could not create the bar for the new display.\n"
                                       "Tolvex will save the menus and settings and close."});
    EXPECT_EQ(fw::MessageBoxes()[0].owner, nullptr);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(FileExists("apps.tx"));
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_TRUE(fw::TopLevelWindows().empty());
}

TEST_F(BarTest, ADisplayChangeWaitsForTheOpenDialog)
{
    StartBar();
    HWND old = g_hwndBar;
    bool barKeptWhileOpen = false;
    fw::SetDialogDriver(999, [&](HWND dialog) {
        SendMessageA(old, WM_DISPLAYCHANGE, 32, 0);
        barKeptWhileOpen = fw::WindowExists(old) && fw::WindowExists(dialog);
        EndDialog(dialog, 1);
    });
    DLGPROC proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    EXPECT_EQ(RunBarDialog(999, proc), 1);
    EXPECT_TRUE(barKeptWhileOpen);
    EXPECT_FALSE(fw::WindowExists(old));
    EXPECT_TRUE(fw::WindowExists(g_hwndBar));
    EXPECT_EQ(fw::GetWindowInfo(g_hwndBar).className, "TXClass");
}

// OK stores the settings in memory only; stay-on-top, when it changed, moves
// the bar and the hook once the dialog has closed.
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
        int moves;
        size_t hooks;
        const char* warning;
    } cases[] = {
        {"chime without a file", 1, true, true, "", IDOK, false, 1, 0, "c:\\old.wav", 0, 1,
         "Please enter a WAV filename."},
        {"no chime, no file", 1, true, false, "", IDOK, false, 1, 0, "", 0, 1, nullptr},
        {"a long path", 1, true, true, longPath, IDOK, false, 1, 1, longPath.substr(0, 79), 0, 1, nullptr},
        {"off", 1, false, false, "c:\\old.wav", IDOK, false, 0, 0, "c:\\old.wav", 1, 0, nullptr},
        {"on", 0, true, false, "c:\\old.wav", IDOK, false, 1, 0, "c:\\old.wav", 1, 1, nullptr},
        {"on, hook refused", 0, true, false, "c:\\old.wav", IDOK, true, 1, 0, "c:\\old.wav", 1, 0,
         "Error installing system hook.\nTolvex will not be able to resize\nmaximizing applications."},
        {"cancelled", 1, false, true, "c:\\new.wav", IDCANCEL, false, 1, 0, "c:\\old.wav", 0, 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResetPlatform();
        g_userVars.stayOnTop = c.onTop;
        CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\old.wav");
        StartBar({});
        fw::SetDialogDriver(IDD_OPTIONS, [&](HWND dialog) {
            CheckDlgButton(dialog, IDC_STAYONTOP, c.boxOnTop);
            CheckDlgButton(dialog, IDC_CHIME, c.boxChime);
            SetEditText(dialog, IDC_WAVPATH, c.edit.c_str());
            if (c.hookRefused)
                fw::FailCalls("SetWindowsHookExA");
            fw::SendToDialog(dialog, WM_COMMAND, static_cast<WPARAM>(c.button), 0);
            if (fw::GetWindowInfo(dialog).visible)  // refused: the dialog stays
                fw::SendToDialog(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        int hookCalls = fw::CallCount("SetWindowsHookExA") + fw::CallCount("UnhookWindowsHookEx");
        Send(WM_COMMAND, IDM_OPTIONS);
        EXPECT_EQ(g_userVars.stayOnTop, c.onTopAfter);
        EXPECT_EQ(g_userVars.chime, c.chimeAfter);
        EXPECT_EQ(std::string(g_userVars.wavPath), c.pathAfter);
        EXPECT_EQ(fw::CallCount("SetWindowPos"), c.moves);
        if (c.moves == 0) {
            EXPECT_EQ(fw::CallCount("SetWindowsHookExA") + fw::CallCount("UnhookWindowsHookEx"), hookCalls);
        }
        EXPECT_EQ(fw::Hooks().size(), c.hooks);
        EXPECT_EQ(fw::AppBars().size(), c.onTopAfter ? 1u : 0u);
        EXPECT_EQ((fw::GetWindowInfo(g_hwndBar).exStyle & WS_EX_TOPMOST) != 0, c.onTopAfter != 0);
        EXPECT_EQ(BoxTexts(), c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
        EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);  // the registry waits for Exit
        ClearBarMenus();
    }
}

// The records an open dialog uses outlive it: a close waits for the dialog,
// and the end of the session saves at once and ends without freeing them.
TEST_F(BarTest, ACloseWaitsForTheOpenDialog)
{
    StartBar();
    int blocks = fw::LiveHeapBlocks();
    bool keptWhileOpen = false;
    fw::SetDialogDriver(999, [&](HWND dialog) {
        Send(WM_CLOSE);
        keptWhileOpen = fw::WindowExists(dialog) && fw::LiveHeapBlocks() == blocks && !QuitPosted();
        EndDialog(dialog, 1);
    });
    DLGPROC proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    RunBarDialog(999, proc);
    EXPECT_TRUE(keptWhileOpen);
    EXPECT_TRUE(QuitPosted());
    EXPECT_TRUE(FileExists("apps.tx"));
    EXPECT_EQ(fw::LiveHeapBlocks(), 0);
}

TEST_F(BarTest, TheSessionsEndUnderAnOpenDialogSavesAtOnceAndFreesNothing)
{
    StartBar();
    int blocks = fw::LiveHeapBlocks();
    DLGPROC proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
    fw::SetDialogDriver(999, [&](HWND) { Send(WM_ENDSESSION, TRUE); });
    ExpectProcessEnds([&] { RunBarDialog(999, proc); });
    EXPECT_TRUE(FileExists("apps.tx"));
    DWORD type;
    Bytes record;
    EXPECT_TRUE(fw::RegGetValue(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars", &type, &record));
    EXPECT_EQ(fw::LiveHeapBlocks(), blocks);
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_TRUE(fw::AppBars().empty());
}

TEST_F(BarTest, AFatalErrorRemovesTheBarAndSavesNothing)
{
    StartBar();
    fw::FailCalls("CreateMenu");
    // A close or the end of the session arriving through the fatal box's
    // loop must neither save nor end the box.
    fw::OnMessageBox([](const fw::MessageBoxCall&) {
        for (HWND window : fw::TopLevelWindows()) {
            SendMessageA(window, WM_CLOSE, 0, 0);
            SendMessageA(window, WM_ENDSESSION, TRUE, 0);
        }
    });
    size_t from = fw::CallLog().size();
    ExpectProcessEnds([] { Send(WM_DISPLAYCHANGE); });
    EXPECT_FALSE(QuitPosted());
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Could not create menus!"});
    // The teardown, step by step after the box, each taken whatever the one before did.
    std::vector<std::string> steps;
    for (size_t i = from; i < fw::CallLog().size(); i++) {
        const std::string& call = fw::CallLog()[i];
        if (call == "MessageBoxA" || call == "DestroyWindow" || call == "DestroyIcon" ||
            call == "UnhookWindowsHookEx" || call == "UnregisterClassA" || call == "KillTimer")
            steps.push_back(call);
    }
    EXPECT_EQ(steps,
              (std::vector<std::string>{"DestroyWindow", "MessageBoxA", "DestroyWindow", "DestroyIcon",
                                        "UnhookWindowsHookEx", "UnregisterClassA", "KillTimer"}));
    EXPECT_EQ(fw::MessageBoxes()[0].owner, nullptr);
    EXPECT_TRUE(fw::TopLevelWindows().empty());
    EXPECT_TRUE(fw::Hooks().empty());
    EXPECT_FALSE(FileExists("apps.tx"));
    EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);
}

// While it stays on top the bar is a toolbar of the shell's on the top edge:
// placed where the shell grants, the shell told of its activation and moves,
// out of the way of a full-screen program, registered again for a new window
// and a new shell, and removed before any end, a fatal one too.
TEST_F(BarTest, TheBarIsADesktopToolbarOnTheTopEdgeWhileItStaysOnTop)
{
    fw::SetSystemMetric(SM_CXSCREEN, 800);
    fw::SetSystemMetric(SM_CYCAPTION, 20);
    fw::SetAppBarTopTaken(30);  // by another toolbar
    size_t from = 0;
    auto calls = [&from] {  // since the last look
        static const char* const names[] = {"new", "remove", "query", "set", "", "", "activate", "", "", "moved"};
        std::string out;
        for (; from < fw::AppBarCalls().size(); from++) {
            const fw::AppBarCall& c = fw::AppBarCalls()[from];
            out += std::string(" ") + names[c.message] + (c.hwnd == g_hwndBar ? "" : "(old)");
            if (c.message == ABM_NEW)
                out += ":" + std::to_string(c.callback);
            if (c.message == ABM_SETPOS)
                out += ":" + std::to_string(c.edge) + "," + std::to_string(c.rc.left) + "," + std::to_string(c.rc.top) +
                    "," + std::to_string(c.rc.right) + "," + std::to_string(c.rc.bottom);
        }
        return out;
    };
    auto topmost = [] { return (fw::GetWindowInfo(g_hwndBar).exStyle & WS_EX_TOPMOST) != 0; };
    StartBar();
    EXPECT_EQ(calls(), " new:32769 query set:1,0,30,800,55");
    EXPECT_EQ(fw::GetWindowInfo(g_hwndBar).rect.top, 30);
    EXPECT_EQ(fw::GetWindowInfo(g_hwndBar).rect.bottom, 55);
    Send(WM_ACTIVATE, 1);  // WA_ACTIVE
    Send(WM_WINDOWPOSCHANGED);
    fw::SetAppBarTopTaken(0);
    Send(WM_APPBAR_NOTIFY, ABN_POSCHANGED);
    EXPECT_EQ(calls(), " activate moved query set:1,0,0,800,25");
    EXPECT_EQ(fw::GetWindowInfo(g_hwndBar).rect.top, 0);

    Send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, TRUE);
    EXPECT_FALSE(topmost());
    Send(WM_DISPLAYCHANGE);  // as a game may cause
    EXPECT_EQ(calls(), " remove(old) new:32769 query set:1,0,0,800,25");
    EXPECT_FALSE(topmost());
    Send(WM_APPBAR_NOTIFY, ABN_FULLSCREENAPP, FALSE);
    EXPECT_TRUE(topmost());

    fw::FailCalls("SHAppBarMessage");  // a new shell, not ready at its first word
    Send(RegisterWindowMessageA("TaskbarCreated"));
    Send(RegisterWindowMessageA("TaskbarCreated"));
    EXPECT_EQ(calls(), " new:32769 new:32769 query set:1,0,0,800,25");
    EXPECT_EQ(fw::AppBars(), std::vector<HWND>{g_hwndBar});

    size_t log = fw::CallLog().size();
    ExpectProcessEnds([] { FatalError("Could not create menus!"); });
    EXPECT_EQ(calls(), " remove");
    EXPECT_TRUE(fw::AppBars().empty());
    auto at = [log](const char* call) { return std::find(fw::CallLog().begin() + log, fw::CallLog().end(), call); };
    EXPECT_LT(at("SHAppBarMessage"), at("DestroyWindow"));
}

}  // namespace
