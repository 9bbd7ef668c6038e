#include "tests/support.h"

#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "resources/resource.h"
#include "base/text.h"

void TolvexTest::SetUp()
{
    ResetPlatform();

    char buf[PATH_MAX];
    ASSERT_NE(getcwd(buf, sizeof buf), nullptr);
    oldDir_ = buf;
    char pattern[] = "/tmp/tolvex-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    tempDir_ = pattern;
    ASSERT_EQ(chdir(tempDir_.c_str()), 0);
    ResolveDataFilePath();
}

void TolvexTest::ResetPlatform()
{
    // Program state that outlives a bar: ended on the old platform first.
    EndLaunchCom();
    ForgetAppBar();
    fw::Reset();
    g_menuHead = NULL;
    g_commandHead = NULL;
    g_popupHead = NULL;
    g_hBarMenu = NULL;
    g_hwndBar = NULL;
    g_hIcon = NULL;
    g_hHook = NULL;
    g_taskbarCreatedMessage = 0;
    g_hInstance = fw::ExeInstance();
    g_fatalErrorBegun = false;
    SetFatalTeardown(TearDownBar);
    g_newShell = 1;
    g_dataFileVersion = DATAFILE_VERSION;
    g_userVars = UserVars{};
    fw::SetMenuResource(IDR_BARMENU, MakeBarMenuTemplate);
    // The controls of the program's dialog templates that its code reaches by id.
    fw::SetDialogControls(IDD_EDITMENUS,
                          {{IDC_MENULIST, "ListBox"},
                           {IDC_APPLIST, "ListBox"},
                           {IDC_DELMENU, "Button"},
                           {IDC_DELITEM, "Button"},
                           {IDC_SEPARATOR, "Button"}});
    fw::SetDialogControls(IDD_MENUSETUP, {{IDC_MENUNAME, "Edit"}});
    fw::SetDialogControls(
        IDD_APPSETUP,
        {{IDC_APPNAME, "Edit"}, {IDC_APPPATH, "Edit"}, {IDC_APPWORKDIR, "Edit"}, {IDC_APPPARAMS, "Edit"}});
    fw::SetDialogControls(IDD_OPTIONS, {{IDC_STAYONTOP, "Button"}, {IDC_CHIME, "Button"}, {IDC_WAVPATH, "Edit"}});
}

void TolvexTest::TearDown()
{
    // Records of one test must not leak into the next one's heap count.
    ClearBarMenus();
    FreeAllMenus();
    ASSERT_EQ(chdir(oldDir_.c_str()), 0);
    std::filesystem::remove_all(tempDir_);
}

HMENU TolvexTest::MakeBarMenuTemplate()
{
    HMENU bar = CreateMenu();
    HMENU commands = CreatePopupMenu();
    AppendMenuA(commands, MF_STRING, IDM_EDITMENUS, "&Edit Menus...");
    AppendMenuA(commands, MF_STRING, IDM_OPTIONS, "&Options...");
    AppendMenuA(commands, MF_SEPARATOR, 0, NULL);
    AppendMenuA(commands, MF_STRING, IDM_ABOUT, "&About Tolvex...");
    AppendMenuA(commands, MF_STRING, IDM_EXIT, "E&xit Tolvex");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(commands), "\xA7");
    AppendMenuA(bar, MF_STRING, 0, "");
    AppendMenuA(bar, MF_STRING | MF_HELP | MF_DISABLED, IDM_CLOCK, "Time");
    return bar;
}

void TolvexTest::MakeMenus(const std::vector<MenuSpec>& menus)
{
    UserMenu* last = NULL;
    for (const MenuSpec& want : menus) {
        UserMenu* menu = NewUserMenu();
        CopyText(menu->name, sizeof menu->name, want.name.c_str());
        AppendUserMenu(last, menu);
        last = menu;
        AppItem* lastApp = NULL;
        for (const std::string& name : want.apps) {
            AppItem* app = NewAppItem();
            CopyText(app->name, sizeof app->name, name.c_str());
            CopyText(app->path, sizeof app->path, ("c:\\" + name + ".exe").c_str());
            AppendAppItem(menu, lastApp, app);
            lastApp = app;
        }
    }
}

std::string TolvexTest::DescribeMenus()
{
    std::string out;
    for (UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        if (!out.empty())
            out += "|";
        out += std::string(menu->name) + ":";
        for (AppItem* app = menu->firstApp; app; app = app->next)
            out += std::string(app->name) + (app->next ? "," : "");
    }
    return out;
}

Bytes TolvexTest::ReadFileBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void TolvexTest::WriteFileBytes(const std::string& name, const Bytes& data)
{
    std::ofstream out(name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

bool TolvexTest::FileExists(const std::string& name)
{
    return std::filesystem::exists(name);
}

std::vector<std::string> TolvexTest::BoxTexts()
{
    std::vector<std::string> texts;
    for (const fw::MessageBoxCall& box : fw::MessageBoxes())
        texts.push_back(box.text);
    return texts;
}

void TolvexTest::ExpectProcessEnds(const std::function<void()>& run)
{
    try {
        run();
        ADD_FAILURE() << "the program went on";
    } catch (const fw::ProcessExit& exit) {
        EXPECT_EQ(exit.code, 0u);
    }
}

void PutLE32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutField(Bytes& out, const std::string& text, size_t size)
{
    Bytes field(size, 0);
    std::copy(text.begin(), text.end(), field.begin());
    out.insert(out.end(), field.begin(), field.end());
}

uint32_t GetLE32(const Bytes& in, size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}
