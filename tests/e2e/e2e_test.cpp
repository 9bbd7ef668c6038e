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

BOOL CALLBACK CountBar(HWND hwnd, LPARAM count)
{
    char name[16];
    if (GetClassNameA(hwnd, name, sizeof name) && lstrcmpA(name, "TXClass") == 0)
        ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int BarWindows()
{
    int count = 0;
    EnumWindows(CountBar, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, SHGFP_TYPE_CURRENT, path);
    return path;
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

// The data file with its first two menus, each with its entries, swapped:
// what moving the first menu down and saving writes.
Bytes SwapFirstMenus(const Bytes& file)
{
    size_t first = 48 + GetLE32(file, 4 + 32) * 232;
    size_t second = 48 + GetLE32(file, 4 + first + 32) * 232;
    auto at = [&](size_t offset) { return file.begin() + static_cast<ptrdiff_t>(offset); };
    Bytes swapped(file.begin(), at(4));
    swapped.insert(swapped.end(), at(4 + first), at(4 + first + second));
    swapped.insert(swapped.end(), at(4), at(4 + first));
    swapped.insert(swapped.end(), at(4 + first + second), file.end());
    return swapped;
}

// Changed in this process for the processes it starts meanwhile.
struct ScopedEnv {
    std::string name;
    ScopedEnv(const char* name_, const std::string& value) : name(name_)
    {
        SetEnvironmentVariableA(name_, value.c_str());
    }
    ~ScopedEnv()
    {
        SetEnvironmentVariableA(name.c_str(), NULL);
    }
};

// DLLs found on disk loaded before Wine's own, for one program, while this lives.
struct WineOverrides {
    std::string key;
    template <size_t N>
    WineOverrides(const char* program, const char* const (&libraries)[N])
        : key(std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides")
    {
        for (const char* library : libraries)
            RegSetKeyValueA(HKEY_CURRENT_USER, key.c_str(), library, REG_SZ, "native,builtin", 15);
    }
    ~WineOverrides()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
    }
};

}  // namespace

// A second start brings the running bar up and ends with 0 at once: it reads
// neither the settings (gone, they would bring the first-run greeting) nor
// the data file (of an old version, the fatal box).
TEST_F(E2eTest, SecondStartLeavesTheRunningBar)
{
    WriteSettings(SettingsRecord(1, 0, -1, ""));
    HANDLE first = StartBar();
    HWND bar = WaitBar(first);
    ASSERT_TRUE(bar);
    RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Tolvex", "User_Vars");
    ASSERT_TRUE(WriteFileBytes(Folder() + "apps.tx", DataFile({}, 99)));

    EXPECT_EQ(0u, WaitExit(StartBar())) << ShownBox();
    EXPECT_EQ("", ShownBox());
    EXPECT_EQ(1, BarWindows());
    EXPECT_EQ(bar, FindBar());
    EXPECT_TRUE(ReadSettings().empty());
    ExitBar(bar, first);
}

// The installer and the uninstaller, silent, each while a bar that a
// shortcut started runs: they close it, and it saves into the data folder
// that the shortcut gave it. The uninstaller takes away all that was
// installed and keeps the menus and the settings.
TEST_F(E2eTest, InstallAndUninstall)
{
    std::string setup = Installer();
    ASSERT_NE("", setup) << "no installer: make it with cpack in the build folder";
    std::string programs = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tolvex\\";
    std::string data = ShellFolder(CSIDL_APPDATA) + "\\Tolvex\\";
    std::string menuLink = ShellFolder(CSIDL_PROGRAMS) + "\\Tolvex.lnk";
    std::string startupLink = ShellFolder(CSIDL_STARTUP) + "\\Tolvex.lnk";
    Bytes settings = SettingsRecord(0, 0, -1, "");
    WriteSettings(settings);

    ASSERT_EQ(0u, RunToEnd(Start(setup, "/S /STARTUP")));
    for (const std::string& file : {programs + "tolvex.exe", programs + "tolvexhk.dll", programs + "README.txt",
                                    programs + "uninstall.exe", menuLink, startupLink, data})
        EXPECT_TRUE(FileExists(file)) << file;
    EXPECT_TRUE(ReadFileBytes(BuildDir() + "tolvex.exe") == ReadFileBytes(programs + "tolvex.exe"))
        << "the installer holds another tolvex.exe than the build's: make it again";
    EXPECT_EQ(TOLVEX_VERSION_TEXT, RegText(UNINSTALL_KEY, "DisplayVersion"));

    const struct {
        std::string link, exe, args;
    } runs[] = {{menuLink, setup, "/S"}, {startupLink, programs + "uninstall.exe", "/S"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(run.exe);
        DeleteFileA((data + "apps.tx").c_str());
        ASSERT_GT(reinterpret_cast<INT_PTR>(ShellExecuteA(NULL, "open", run.link.c_str(), NULL, NULL, SW_SHOWNORMAL)),
                  32);
        HWND bar = WaitBar(NULL);
        ASSERT_TRUE(bar);
        HANDLE process = ProcessOf(bar);
        EXPECT_EQ(0u, RunToEnd(Start(run.exe, run.args)));
        ASSERT_EQ(0u, WaitExit(process, 5000)) << "the bar still runs";
        EXPECT_EQ(DefaultDataFile(), ReadFileBytes(data + "apps.tx"));
    }
    for (const std::string& file : {programs, menuLink, startupLink})
        EXPECT_FALSE(FileExists(file)) << file;
    EXPECT_EQ("", RegText(UNINSTALL_KEY, "DisplayName"));
    EXPECT_EQ(settings, ReadSettings());
}

// A save of thousands of entries from User Menus, the bar killed at moments
// spread over it: apps.tx is always the old file or the new one, byte for
// byte, and the next start loads it.
TEST_F(E2eTest, KilledWhileSavingLeavesTheOldOrTheNewFile)
{
    // 700 KB. Not hundreds of menus: User Menus takes seconds to list them under Wine.
    const int runs = 8;
    std::vector<MenuSpec> menus(60);
    for (size_t m = 0; m < menus.size(); ++m) {
        menus[m].name = "Menu " + std::to_string(m);
        for (uint32_t a = 1; a <= 50; ++a)
            menus[m].apps.push_back({"App " + std::to_string(a), "C:\\apps\\m" + std::to_string(m) + "\\a.exe",
                                     "C:\\apps", "-n " + std::to_string(a), a % 5 == 0});
    }
    std::string file = Folder() + "apps.tx";
    ASSERT_TRUE(WriteFileBytes(file, DataFile(menus)));
    WriteSettings(SettingsRecord(0, 0, -1, ""));

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
    Bytes before = ReadFileBytes(file);
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
    Bytes after = ReadFileBytes(file);
    ASSERT_TRUE(after == SwapFirstMenus(before));

    int replaced = 0;
    for (int run = 0; run < runs; ++run) {
        before = after;
        ASSERT_TRUE(startSave());
        double delay = saveTime * 2 * (run + 0.5) / runs;
        while (Seconds() - okAt < delay) { }
        TerminateProcess(process, 9);
        WaitExit(process);
        after = ReadFileBytes(file);
        bool isNew = after == SwapFirstMenus(before);
        ASSERT_TRUE(isNew || after == before) << "torn after a kill " << delay * 1000 << " ms after OK";
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
// the taskbar. Without stay on top the system places it, over the bar. Either
// way from the start, and after the other is chosen in Options.
TEST_F(E2eTest, MaximizedWindowOfAnotherProgram)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ASSERT_LT(work.bottom, GetSystemMetrics(SM_CYSCREEN)) << "no taskbar at the bottom (scripts/e2e sets one)";
    // The bar's bottom edge: it is as high as its menu's rows.
    const LONG cx = GetSystemMetrics(SM_CXSCREEN);
    LONG barBottom = 0;
    // Polled: the bar may still be on its way out of the Options dialog.
    auto expectPlace = [&](bool belowBar) {
        RECT rect, below = {0, barBottom, cx, work.bottom};
        auto placed = [&] {
            rect = Maximized();
            return belowBar ? EqualRect(&rect, &below) : rect.top < barBottom;
        };
        EXPECT_TRUE(WaitUntil(5000, placed))
            << "maximized to " << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    };
    for (int stayOnTop : {1, 0}) {
        SCOPED_TRACE(stayOnTop ? "stay on top, then not" : "not on top, then on top");
        WriteSettings(SettingsRecord(stayOnTop, 0, -1, ""));
        HANDLE process = StartBar();
        HWND bar = WaitBar(process);
        ASSERT_TRUE(bar);
        RECT barRect = {};
        GetWindowRect(bar, &barRect);
        barBottom = barRect.bottom;
        expectPlace(stayOnTop);

        HWND options = OpenDialog(bar, IDM_OPTIONS, "Tolvex Options");
        ASSERT_TRUE(options);
        PostMessageA(GetDlgItem(options, IDC_STAYONTOP), BM_CLICK, 0, 0);
        ASSERT_TRUE(Close(options, IDOK));
        expectPlace(!stayOnTop);
        ExitBar(bar, process);
    }
}

// The shell, sound and common dialog libraries come from the system folder
// only: DLLs of their names beside the bar, which is also its current
// directory, stay unloaded through a launch, a sound and the Open dialog, even
// where DLLs found on disk come first. The launch goes through the real shell: the program started
// gets the entry's parameters and working directory.
TEST_F(E2eTest, PlantedLibrariesStayUnloaded)
{
    const std::string dir = Folder(), tests = TestProgramDir();
    const char* const libraries[] = {"shell32", "winmm", "comdlg32"};
    for (const char* file : {"tolvex.exe", "tolvexhk.dll"})
        ASSERT_TRUE(CopyFileA((BuildDir() + file).c_str(), (dir + file).c_str(), FALSE));
    for (const char* library : libraries)
        ASSERT_TRUE(CopyFileA((tests + "tvplanted.dll").c_str(), (dir + library + ".dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((tests + "tvrecord.exe").c_str(), (dir + "rec.exe").c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((dir + "wd").c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(
        dir + "apps.tx", DataFile({{"&Tools", {{"&Record", dir + "rec.exe", dir + "wd", "one \"two three\"", 0}}}})));
    // 400 samples of silence: PCM, mono, 8 kHz, 8 bits.
    Bytes wav;
    PutField(wav, "RIFF", 4);
    PutLE32(wav, 36 + 400);
    PutField(wav, "WAVEfmt ", 8);
    for (uint32_t field : {16u, 0x00010001u, 8000u, 8000u, 0x00080001u})
        PutLE32(wav, field);
    PutField(wav, "data", 4);
    PutLE32(wav, 400);
    wav.insert(wav.end(), 400, 0x80);
    ASSERT_TRUE(WriteFileBytes(dir + "chime.wav", wav));
    WriteSettings(SettingsRecord(1, 0, -1, ""));

    // Wine's own DLLs come first unless the registry says otherwise for
    // the program (its environment reaches no program this one starts).
    WineOverrides onDisk("tolvex.exe", libraries);
    ScopedEnv record("TV_RECORD", dir + "rec.txt");
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
    PostMessageA(bar, WM_COMMAND, 101, 0);
    std::string recorded;
    WaitUntil(STEP_MS, [&] {
        Bytes bytes = ReadFileBytes(dir + "rec.txt");
        recorded.assign(bytes.begin(), bytes.end());
        return (!recorded.empty() && recorded.back() == '\n' && recorded.find("\ncwd=") != std::string::npos) ||
            !ShownBox().empty();
    });
    ASSERT_EQ("args=one \"two three\"\ncwd=" + dir + "wd\n", recorded) << ShownBox() << "; loaded: " << loaded();

    HWND options = OpenDialog(bar, IDM_OPTIONS, "Tolvex Options");
    ASSERT_TRUE(options);
    SetDlgItemTextA(options, IDC_WAVPATH, (dir + "chime.wav").c_str());
    PostMessageA(options, WM_COMMAND, IDC_TESTWAV, 0);
    // Played, or where there is no sound device, reported.
    HWND box = NULL;
    if (WaitUntil(1500, [&] { return (box = FindBox("Tolvex")) != NULL; })) {
        EXPECT_EQ("Error playing WAV file.\nCheck path and filename.", BoxText(box));
        EXPECT_TRUE(Close(box, IDOK));
    }
    HWND find = OpenDialog(options, IDC_FINDWAV, "Find WAV File...");
    ASSERT_TRUE(find) << ShownBox() << "; loaded: " << loaded();
    EXPECT_TRUE(Close(find, IDCANCEL));
    EXPECT_TRUE(Close(options, IDCANCEL));
    ExitBar(bar, process);
    EXPECT_EQ("", loaded());
}

namespace {

struct BoxCount {
    const char* caption;
    int n;
};

BOOL CALLBACK CountBox(HWND hwnd, LPARAM param)
{
    auto* count = reinterpret_cast<BoxCount*>(param);
    char name[16] = "", title[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    GetWindowTextA(hwnd, title, sizeof title);
    count->n += lstrcmpA(name, "#32770") == 0 && lstrcmpA(title, count->caption) == 0 && IsWindowVisible(hwnd);
    return TRUE;
}

int BoxesTitled(const char* caption)
{
    BoxCount count = {caption, 0};
    EnumWindows(CountBox, reinterpret_cast<LPARAM>(&count));
    return count.n;
}

}  // namespace

// One bar per session, however close the starts: one during the first's
// greeting, and two at the same moment over a 9 MB apps.tx, each leave one
// bar, and the other start ends with 0.
TEST_F(E2eTest, StartsCloseTogetherMakeOneBar)
{
    HANDLE first = StartBar();
    HWND greeting = NULL;
    ASSERT_TRUE(WaitUntil(STEP_MS, [&] { return (greeting = FindBox("Tolvex")) != NULL; }));
    EXPECT_EQ(0u, WaitExit(StartBar()));
    EXPECT_EQ(1, BoxesTitled("Tolvex"));
    Close(greeting, IDOK);
    HWND bar = WaitBar(first);
    ExitBar(bar, first);

    std::vector<MenuSpec> menus(399);
    for (MenuSpec& menu : menus)
        for (int a = 0; a < 100; ++a)
            menu.apps.push_back({"App", "C:\\a.exe", "", "", 0});
    ASSERT_TRUE(WriteFileBytes(Folder() + "apps.tx", DataFile(menus)));
    HANDLE starts[] = {StartBar(), StartBar()};
    DWORD ended = WaitForMultipleObjects(2, starts, FALSE, STEP_MS);
    ASSERT_LT(ended, WAIT_OBJECT_0 + 2) << "neither start ended";
    EXPECT_EQ(0u, WaitExit(starts[ended - WAIT_OBJECT_0]));
    HANDLE running = starts[1 - (ended - WAIT_OBJECT_0)];
    bar = WaitBar(running);
    EXPECT_EQ(1, BarWindows());
    ExitBar(bar, running);
}

// tolvex.exe and its hook DLL in a folder whose name the ANSI calls turn
// into "?"s: the bar starts, with its hook, and keeps apps.tx there.
TEST_F(E2eTest, AProgramFolderNamedOutsideTheCodePage)
{
    std::wstring dir(Folder().begin(), Folder().end());
    dir += L"\u041f\u0440\u043e\u0433\\";
    ASSERT_TRUE(CreateDirectoryW(dir.c_str(), NULL));
    for (const wchar_t* file : {L"tolvex.exe", L"tolvexhk.dll"}) {
        std::string from = BuildDir() + std::string(file, file + lstrlenW(file));
        ASSERT_TRUE(CopyFileW(std::wstring(from.begin(), from.end()).c_str(), (dir + file).c_str(), FALSE));
    }
    WriteSettings(SettingsRecord(1, 0, -1, ""));
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW((dir + L"tolvex.exe").c_str(), NULL, NULL, NULL, FALSE, 0, NULL, dir.c_str(), &startup,
                               &process));
    CloseHandle(process.hThread);
    HWND bar = WaitBar(process.hProcess);
    if (bar)
        ExitBar(bar, process.hProcess);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((dir + L"apps.tx").c_str()));
}

// The installer over what users leave open: an upgrade with Options open
// and the hook DLL held by another program, into the folder the first
// install was given; a silent uninstall with User Menus open.
TEST_F(E2eTest, TheInstallerClosesTheBarForRealAndKeepsItsFolder)
{
    std::string setup = Installer();
    ASSERT_NE("", setup) << "no installer: make it with cpack in the build folder";
    std::string custom = Folder() + "Custom\\";
    std::string data = ShellFolder(CSIDL_APPDATA) + "\\Tolvex\\";
    WriteSettings(SettingsRecord(0, 0, -1, ""));
    ASSERT_EQ(0u, RunToEnd(Start(setup, "/S /D=" + custom.substr(0, custom.size() - 1))));
    ASSERT_TRUE(FileExists(custom + "tolvex.exe"));

    struct Step {
        const char* what;
        int command;
        const char* dialog;
        std::string exe;
    } steps[] = {
        {"upgrade", IDM_OPTIONS, "Tolvex Options", setup},
        {"uninstall", IDM_EDITMENUS, "User Menus", custom + "uninstall.exe"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        HANDLE process = Start(custom + "tolvex.exe", "", data);
        HWND bar = WaitBar(process);
        ASSERT_TRUE(bar && OpenDialog(bar, step.command, step.dialog));
        HMODULE held = LoadLibraryA((custom + "tolvexhk.dll").c_str());
        EXPECT_EQ(0u, RunToEnd(Start(step.exe, "/S")));
        FreeLibrary(held);
        EXPECT_EQ(0u, WaitExit(process, 5000)) << "the bar still runs";
        EXPECT_EQ(DefaultDataFile(), ReadFileBytes(data + "apps.tx"));
    }
    EXPECT_FALSE(FileExists(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Tolvex")) << "a second copy";
    for (const char* file : {"tolvex.exe", "README.txt", "uninstall.exe"})
        EXPECT_FALSE(FileExists(custom + file)) << file;
}
