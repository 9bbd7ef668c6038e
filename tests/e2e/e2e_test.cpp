// What takes a second process: a second start, the installer, a kill in
// the middle of a save, the maximize hook inside another program, and the
// libraries and the shell as the real program loads and calls them.
#include <shlobj.h>
#include <tlhelp32.h>

#include "generated/version.h"
#include "resources/resource.h"
#include "tests/e2e/e2e.h"

namespace {

const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvex";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
    return path;
}

// What the bar saves when it starts with no apps.tx.
Bytes DefaultDataFile()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return DataFileImage(DefaultMenus(std::string(windows) + "\\"));
}

// The newest installer of this build: in its packages folder, or for the
// shipped build in build/packages beside it.
std::string Installer()
{
    for (const std::string& dir : {BuildDir() + "packages\\", BuildDir() + "..\\packages\\"}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "tolvex-*-setup.exe").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
            return dir + found.cFileName;
        }
    }
    return "";
}

// The exit code of a process once it and the processes it started have
// ended (the uninstaller goes on in a copy of itself).
DWORD RunToEnd(HANDLE process)
{
    DWORD code = WaitExit(process);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        HANDLE child = entry.th32ParentProcessID == GetProcessId(process)
            ? OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)
            : NULL;
        if (child) {
            WaitForSingleObject(child, STEP_MS);
            CloseHandle(child);
        }
    }
    CloseHandle(snapshot);
    return code;
}

std::string RegText(const char* key, const char* value)
{
    char text[256] = "";
    DWORD size = sizeof text;
    RegGetValueA(HKEY_CURRENT_USER, key, value, RRF_RT_REG_SZ, NULL, text, &size);
    return text;
}

// A top-level window of this program, shown maximized: where it ends.
RECT Maximized()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "TolvexE2eWindow";
    RegisterClassA(&wc);  // fails harmlessly the second time
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "e2e", WS_OVERLAPPEDWINDOW, 40, 60, 320, 200, NULL, NULL,
                                wc.hInstance, NULL);
    ShowWindow(hwnd, SW_MAXIMIZE);
    // What the X server answers comes back as messages.
    for (DWORD start = GetTickCount(); GetTickCount() - start < 300; Sleep(10)) {
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    RECT rect = {};
    GetWindowRect(hwnd, &rect);
    EXPECT_TRUE(IsZoomed(hwnd));
    DestroyWindow(hwnd);
    return rect;
}

double Seconds()
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

// One bar per session: a start during the first's greeting, and one while
// the bar runs, end at once with 0. The latter reads neither the settings
// (gone, they would bring the greeting again) nor the data file (of an old
// version, the fatal box).
TEST_F(E2eTest, OneBarPerSession)
{
    HANDLE first = StartBar();
    HWND greeting = NULL;
    ASSERT_TRUE(WaitUntil(STEP_MS, [&] { return (greeting = FindBox("Tolvex")) != NULL; }));
    EXPECT_EQ(0u, WaitExit(StartBar())) << "a second greeting or bar";
    ASSERT_TRUE(Close(greeting, IDOK));
    HWND bar = WaitBar(first);
    ASSERT_TRUE(bar);

    RegDeleteKeyValueA(HKEY_CURRENT_USER, SETTINGS_KEY, "User_Vars");
    ASSERT_TRUE(WriteFileBytes(Folder() + "apps.tx", DataFileImage({}, 99)));
    EXPECT_EQ(0u, WaitExit(StartBar())) << ShownBox();
    EXPECT_EQ(bar, FindBar());
    EXPECT_TRUE(ReadSettings().empty());
    ExitBar(bar, first);
}

// The installer, into its own folder and then into one given, its upgrade
// and the uninstaller, all silent, each while a bar that a shortcut started
// runs with a dialog open (and, the second time, its hook DLL held by
// another program): they close it for real, and it saves into the data
// folder that the shortcut gave it. The upgrade keeps the folder of the install; the uninstaller
// takes away all that was installed and keeps the menus and the settings.
TEST_F(E2eTest, InstallUpgradeAndUninstall)
{
    const std::string setup = Installer();
    ASSERT_NE("", setup) << "no installer: make it with cpack in the build folder";
    const std::string own = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tolvex\\", given = Folder() + "Given\\";
    const std::string data = ShellFolder(CSIDL_APPDATA) + "\\Tolvex\\";
    const std::string menuLink = ShellFolder(CSIDL_PROGRAMS) + "\\Tolvex.lnk";
    const std::string startupLink = ShellFolder(CSIDL_STARTUP) + "\\Tolvex.lnk";
    const Bytes settings = WriteSettings(0);

    for (const std::string& programs : {own, given}) {
        SCOPED_TRACE(programs);
        const std::string folder = programs == own ? "" : " /D=" + programs.substr(0, programs.size() - 1);
        ASSERT_EQ(0u, RunToEnd(Start(setup, "/S /STARTUP" + folder)));
        for (const std::string& file : {programs + "tolvex.exe", programs + "tolvexhk.dll", programs + "README.txt",
                                        programs + "uninstall.exe", menuLink, startupLink, data})
            EXPECT_TRUE(FileExists(file)) << file;
        EXPECT_TRUE(ReadFileBytes(BuildDir() + "tolvex.exe") == ReadFileBytes(programs + "tolvex.exe"))
            << "the installer holds another tolvex.exe than the build's: make it again";
        EXPECT_EQ(TOLVEX_VERSION_TEXT, RegText(UNINSTALL_KEY, "DisplayVersion"));

        const struct {
            std::string link, exe;
            int command;
            const char* dialog;
        } runs[] = {{menuLink, setup, IDM_OPTIONS, "Tolvex Options"},
                    {startupLink, programs + "uninstall.exe", IDM_EDITMENUS, "User Menus"}};
        for (const auto& run : runs) {
            SCOPED_TRACE(run.exe);
            DeleteFileA((data + "apps.tx").c_str());
            ASSERT_GT(
                reinterpret_cast<INT_PTR>(ShellExecuteA(NULL, "open", run.link.c_str(), NULL, NULL, SW_SHOWNORMAL)),
                32);
            HWND bar = WaitBar(NULL);
            ASSERT_TRUE(bar && OpenDialog(bar, run.command, run.dialog));
            HANDLE process = ProcessOf(bar);
            HMODULE held = programs == given ? LoadLibraryA((programs + "tolvexhk.dll").c_str()) : NULL;
            EXPECT_EQ(0u, RunToEnd(Start(run.exe, "/S")));
            FreeLibrary(held);
            ASSERT_EQ(0u, WaitExit(process, 5000)) << "the bar still runs";
            EXPECT_EQ(DefaultDataFile(), ReadFileBytes(data + "apps.tx"));
        }
        for (const std::string& file :
             {own, programs + "tolvex.exe", programs + "uninstall.exe", menuLink, startupLink})
            EXPECT_FALSE(FileExists(file)) << file;
        EXPECT_EQ("", RegText(UNINSTALL_KEY, "DisplayName"));
        EXPECT_EQ(settings, ReadSettings());
    }
}

// A save of thousands of entries from User Menus, the bar killed at moments
// spread over it: apps.tx is always the old file or the new one, byte for
// byte, and the next start loads it.
TEST_F(E2eTest, KilledWhileSavingLeavesTheOldOrTheNewFile)
{
    // 700 KB. Not hundreds of menus: User Menus takes seconds to list them under Wine.
    const int runs = 8;
    std::vector<FileMenu> menus(60);
    for (size_t m = 0; m < menus.size(); ++m) {
        menus[m].name = "Menu " + std::to_string(m);
        for (uint32_t a = 1; a <= 50; ++a)
            menus[m].apps.push_back({"C:\\apps\\m" + std::to_string(m) + "\\a.exe", "C:\\apps",
                                     "-n " + std::to_string(a), "App " + std::to_string(a), a % 5 == 0});
    }
    std::string file = Folder() + "apps.tx";
    ASSERT_TRUE(WriteFileBytes(file, DataFileImage(menus)));
    WriteSettings(0);

    HANDLE process = NULL;
    HWND bar = NULL;
    double okAt = 0;
    // Starts the bar, moves its first menu down in User Menus and presses OK.
    auto startSave = [&] {
        process = StartBar();
        bar = WaitBar(process);
        HWND edit = bar ? OpenDialog(bar, IDM_EDITMENUS, "User Menus") : NULL;
        if (!edit)
            return false;
        // Sent, so that they are done before the OK is posted.
        HWND list = GetDlgItem(edit, IDC_MENULIST);
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        SendMessageW(edit, WM_COMMAND, MAKEWPARAM(IDC_MENULIST, LBN_SELCHANGE), (LPARAM)list);
        SendMessageW(edit, WM_COMMAND, IDC_MENUDOWN, (LPARAM)GetDlgItem(edit, IDC_MENUDOWN));
        okAt = Seconds();
        return PostMessageA(edit, WM_COMMAND, IDOK, (LPARAM)GetDlgItem(edit, IDOK)) != 0;
    };

    // One save timed, to the last change of apps.tx before User Menus
    // closes. Only the file's size and time are looked at: nothing opens it.
    auto stamp = [&] {
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        GetFileAttributesExA(file.c_str(), GetFileExInfoStandard, &data);
        return std::make_pair(data.nFileSizeLow,
                              (uint64_t)data.ftLastWriteTime.dwHighDateTime << 32 | data.ftLastWriteTime.dwLowDateTime);
    };
    auto last = stamp();
    ASSERT_TRUE(startSave());
    HWND edit = FindBox("User Menus");
    double saveTime = 0;
    while (IsWindow(edit) && Seconds() - okAt < STEP_MS / 1000.0) {
        if (stamp() != last) {
            last = stamp();
            saveTime = Seconds() - okAt;
        }
    }
    ASSERT_FALSE(IsWindow(edit)) << ShownBox();
    ASSERT_GT(saveTime, 0) << "apps.tx did not change";
    ExitBar(bar, process);
    std::swap(menus[0], menus[1]);
    Bytes after = ReadFileBytes(file);
    ASSERT_TRUE(after == DataFileImage(menus));

    int replaced = 0;
    for (int run = 0; run < runs; ++run) {
        const Bytes before = after;
        std::swap(menus[0], menus[1]);
        ASSERT_TRUE(startSave());
        double delay = saveTime * 2 * (run + 0.5) / runs;
        while (Seconds() - okAt < delay) { }
        TerminateProcess(process, 9);
        WaitExit(process);
        after = ReadFileBytes(file);
        bool isNew = after == DataFileImage(menus);
        ASSERT_TRUE(isNew || after == before) << "torn after a kill " << delay * 1000 << " ms after OK";
        if (!isNew)
            std::swap(menus[0], menus[1]);
        replaced += isNew;
    }
    printf("%d kills over a %.1f ms save: %d old, %d new\n", runs, saveTime * 1000, runs - replaced, replaced);

    process = StartBar();
    bar = WaitBar(process);
    ASSERT_TRUE(bar);
    ExitBar(bar, process);
    EXPECT_EQ(after, ReadFileBytes(file));
}

// While the bar stays on top, a window of another program that is maximized
// fills the work area below the bar: from the bar's bottom edge to the top of
// the taskbar. Otherwise the system places it, over the bar. The bar starts
// without stay on top, which Options turns on and off again.
TEST_F(E2eTest, MaximizedWindowOfAnotherProgram)
{
    RECT work, barRect = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_LT(work.bottom, GetSystemMetrics(SM_CYSCREEN)) << "no taskbar at the bottom (scripts/e2e sets one)";
    WriteSettings(0);
    HANDLE process = StartBar();
    HWND bar = WaitBar(process);
    ASSERT_TRUE(bar);
    GetWindowRect(bar, &barRect);
    const RECT below = {0, barRect.bottom, GetSystemMetrics(SM_CXSCREEN), work.bottom};
    // Polled: the bar may still be on its way out of the Options dialog.
    auto expectPlace = [&](bool belowBar) {
        RECT rect;
        auto placed = [&] {
            rect = Maximized();
            return belowBar ? EqualRect(&rect, &below) : rect.top < below.top;
        };
        EXPECT_TRUE(WaitUntil(5000, placed))
            << "maximized to " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    };
    expectPlace(false);
    for (bool onTop : {true, false}) {
        SCOPED_TRACE(onTop ? "turned on" : "turned off");
        HWND options = OpenDialog(bar, IDM_OPTIONS, "Tolvex Options");
        ASSERT_TRUE(options);
        PostMessageA(GetDlgItem(options, IDC_STAYONTOP), BM_CLICK, 0, 0);
        ASSERT_TRUE(Close(options, IDOK));
        expectPlace(onTop);
    }
    ExitBar(bar, process);
}

// The shell, sound and common dialog libraries come from the system folder
// only: DLLs of their names beside the bar, which is also its current
// directory, stay unloaded through a launch, a sound and the Open dialog,
// even where DLLs found on disk come first.
TEST_F(E2eTest, PlantedLibrariesStayUnloaded)
{
    const std::string dir = Folder();
    const char* const libraries[] = {"shell32", "winmm", "comdlg32"};
    for (const char* file : {"tolvex.exe", "tolvexhk.dll"})
        ASSERT_TRUE(CopyFileA((BuildDir() + file).c_str(), (dir + file).c_str(), FALSE));
    for (const char* library : libraries)
        ASSERT_TRUE(CopyFileA((TestProgramDir() + "tvplanted.dll").c_str(), (dir + library + ".dll").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(dir + "apps.tx", DataFileImage({{"&Tools", {{dir + "gone.exe", "", "", "&Gone", 0}}}})));
    // Any file: the sound library is loaded before it is read.
    ASSERT_TRUE(WriteFileBytes(dir + "chime.wav", Bytes(64, 0)));
    WriteSettings(1);

    // Wine's own DLLs come first unless the registry says otherwise for
    // the program.
    const std::string overrides = "Software\\Wine\\AppDefaults\\tolvex.exe\\DllOverrides";
    for (const char* library : libraries)
        RegSetKeyValueA(HKEY_CURRENT_USER, overrides.c_str(), library, REG_SZ, "native,builtin", 15);
    HANDLE process = StartBar(dir + "tolvex.exe");
    HWND bar = WaitBar(process);
    ASSERT_TRUE(bar);

    // Each planted DLL that was loaded leaves a file that names the loader.
    auto loaded = [&] {
        std::string names;
        for (const char* library : libraries) {
            Bytes loader = ReadFileBytes(dir + library + ".dll.loaded");
            if (!loader.empty())
                names += std::string(library) + " by " + std::string(loader.begin(), loader.end()) + "; ";
        }
        return names;
    };
    // The shell, loaded for the launch, finds no such file.
    PostMessageA(bar, WM_COMMAND, 101, 0);
    HWND box = NULL;
    ASSERT_TRUE(WaitUntil(STEP_MS, [&] { return (box = FindBox("Tolvex")) != NULL; })) << "loaded: " << loaded();
    EXPECT_EQ("File/Executable not found.\nCheck application setup.", BoxText(box)) << "loaded: " << loaded();
    EXPECT_TRUE(Close(box, IDOK));

    HWND options = OpenDialog(bar, IDM_OPTIONS, "Tolvex Options");
    ASSERT_TRUE(options);
    SetDlgItemTextA(options, IDC_WAVPATH, (dir + "chime.wav").c_str());
    PostMessageA(options, WM_COMMAND, IDC_TESTWAV, 0);
    // Played, or where there is no sound device, reported.
    if (WaitUntil(1500, [&] { return (box = FindBox("Tolvex")) != NULL; })) {
        EXPECT_EQ("Error playing WAV file.\nCheck path and filename.", BoxText(box));
        EXPECT_TRUE(Close(box, IDOK));
    }
    HWND find = OpenDialog(options, IDC_FINDWAV, "Find WAV File...");
    ASSERT_TRUE(find) << ShownBox() << "; loaded: " << loaded();
    EXPECT_TRUE(Close(find, IDCANCEL));
    EXPECT_TRUE(Close(options, IDCANCEL));
    ExitBar(bar, process);
    RegDeleteTreeA(HKEY_CURRENT_USER, overrides.c_str());
    EXPECT_EQ("", loaded());
}

// tolvex.exe and its hook DLL in a folder whose name the ANSI calls turn
// into "?"s: the bar starts, with its hook, and keeps apps.tx there.
TEST_F(E2eTest, AProgramFolderNamedOutsideTheCodePage)
{
    const std::string dir = Folder() + "\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb3\\";
    ASSERT_TRUE(CreateDirectoryW(Wide(dir).c_str(), NULL));
    for (const char* file : {"tolvex.exe", "tolvexhk.dll"})
        ASSERT_TRUE(CopyFileW(Wide(BuildDir() + file).c_str(), Wide(dir + file).c_str(), FALSE));
    WriteSettings(1);
    HANDLE process = Start(dir + "tolvex.exe", "", dir);
    HWND bar = WaitBar(process);
    ASSERT_TRUE(bar);
    // The hook is loaded from the bar's folder once the bar is drawn.
    EXPECT_FALSE(WaitUntil(1000, [] { return !ShownBox().empty(); })) << ShownBox();
    ExitBar(bar, process);
    EXPECT_TRUE(FileExists(dir + "apps.tx"));
}
