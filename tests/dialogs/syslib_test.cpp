#include "tests/support.h"

#include <unistd.h>

#include "dialogs/dialogs.h"
#include "resources/resource.h"

namespace {

class SystemLibraryTest : public TolvexTest { };

const char SOUND_TEXT[] = "Error playing WAV file.\nCheck path and filename.";

// Each use of a library that start-up does not load, loaded from the
// system folder only: when it cannot be had, the use gives the warning its
// own call gives on failure, and nothing else happens.
TEST_F(SystemLibraryTest, ALibraryThatCannotBeLoadedGivesItsCallersWarning)
{
    const struct {
        const char* library;
        std::function<void()> use;
        std::function<size_t()> reached;
        const char* warning;
    } uses[] = {
        {"shell32.dll",
         [] {
             AppItem app;
             LaunchApp(InitAppItem(&app));
         },
         [] { return fw::ShellExecuteCalls().size(); }, "ShellExec returned error code: 32"},
        {"winmm.dll",
         [] {
             g_userVars.chime = 1;
             fw::SetLocalTime(9, 0);
             EXPECT_EQ(UpdateClock(), 1);
         },
         [] { return fw::PlaySoundCalls().size(); }, SOUND_TEXT},
        {"winmm.dll",
         [] {
             fw::SetDialogDriver(IDD_OPTIONS, [](HWND dialog) {
                 fw::SendToDialog(dialog, WM_COMMAND, IDC_TESTWAV, 0);
                 EndDialog(dialog, 1);
             });
             DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(IDD_OPTIONS), NULL, OptionsProc, 0);
         },
         [] { return fw::PlaySoundCalls().size(); }, SOUND_TEXT},
        {"comdlg32.dll",
         [] {
             fw::SetDialogDriver(999, [](HWND dialog) { EndDialog(dialog, FindFile(FIND_EXECUTABLE, dialog)); });
             DialogBoxParamA(g_hInstance, MAKEINTRESOURCEA(999), NULL, NULL, 0);
         },
         [] { return static_cast<size_t>(fw::CallCount("GetOpenFileNameA")); },
         "The file browser could not be opened."},
    };
    const std::string system = "C:\\WINDOWS\\SYSTEM32\\";
    const struct {
        const char* fails;
        DWORD error;
        bool reached;
        int loads;  // by name, then by full path
    } ways[] = {
        {nullptr, 0, true, 1},
        {"LoadLibraryExA", ERROR_MOD_NOT_FOUND, false, 1},
        {"GetProcAddress", ERROR_PROC_NOT_FOUND, false, 1},
        // A system that does not know the flag: the full path instead.
        {"LoadLibraryExA", ERROR_INVALID_PARAMETER, true, 2},
    };
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    WriteFileBytes("gong.wav", Bytes(44, 0));
    for (const auto& use : uses) {
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(use.library) + " " + (way.fails ? way.fails : "loads") + " " +
                         std::to_string(way.error));
            ResetPlatform();
            g_hwndBar = fw::CreateTestWindow("Bar", "Tolvex");
            g_hBarMenu = MakeBarMenuTemplate();
            fw::SetDialogControls(999, {{IDC_APPPATH, "Edit"}});
            CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "gong.wav");
            fw::SetShellExecuteResult(33);
            fw::OnOpenFileDialog([](OPENFILENAMEA*) { return FALSE; });
            StartLaunchCom();  // COM's own loads are another test's
            size_t before = fw::LoadedLibraries().size();
            if (way.fails)
                fw::FailCallsWithError(way.fails, way.error, 0, 1);
            use.use();
            EndLaunchCom();
            EXPECT_EQ(use.reached(), way.reached ? 1u : 0u);
            EXPECT_EQ(BoxTexts(), way.reached ? std::vector<std::string>{} : std::vector<std::string>{use.warning});
            std::vector<std::string> loads = {use.library, system + use.library};
            loads.resize(way.loads);
            EXPECT_EQ(std::vector<std::string>(fw::LoadedLibraries().begin() + static_cast<long>(before),
                                               fw::LoadedLibraries().end()),
                      loads);
            EXPECT_EQ(fw::CallCount("LoadLibraryA"), 0);
            char now[4096];
            EXPECT_STREQ(getcwd(now, sizeof now), cwd);
        }
    }
}

}  // namespace
