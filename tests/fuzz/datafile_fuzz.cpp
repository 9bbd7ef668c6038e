// Fuzz target: any bytes as apps.tx. The load either ends through the fatal
// box having written nothing, or gives records that a save and a second
// load give back unchanged; either way every record it made is freed.
#include <string.h>

#include "store/store.h"
#include "tests/fakewin/fakewin.h"
#include "tests/fuzz/fuzz.h"

namespace {

void Field(std::string& out, const char* text, size_t size)
{
    out.append(text, strnlen(text, size));
    out += '|';
}

// The records, field by field, after checking the links and counts that
// the rest of the program relies on.
std::string Records(size_t* menus, size_t* apps)
{
    std::string out;
    *menus = *apps = 0;
    const UserMenu* prevMenu = NULL;
    for (const UserMenu* menu = g_menuHead; menu; prevMenu = menu, menu = menu->next) {
        Check(menu->prev == prevMenu, "a menu's back link");
        Check(strnlen(menu->name, MENU_NAME_SIZE) < MENU_NAME_SIZE, "an unterminated menu name");
        ++*menus;
        Field(out, menu->name, MENU_NAME_SIZE);
        LONG chain = 0;
        const AppItem* prevApp = NULL;
        for (const AppItem* app = menu->firstApp; app; prevApp = app, app = app->next) {
            Check(app->prev == prevApp, "an entry's back link");
            Check(strnlen(app->path, APP_PATH_SIZE) < APP_PATH_SIZE &&
                      strnlen(app->workDir, APP_WORKDIR_SIZE) < APP_WORKDIR_SIZE &&
                      strnlen(app->params, APP_PARAMS_SIZE) < APP_PARAMS_SIZE &&
                      strnlen(app->name, APP_NAME_SIZE) < APP_NAME_SIZE,
                  "an unterminated entry field");
            chain++;
            out += "\n  ";
            Field(out, app->path, APP_PATH_SIZE);
            Field(out, app->workDir, APP_WORKDIR_SIZE);
            Field(out, app->params, APP_PARAMS_SIZE);
            Field(out, app->name, APP_NAME_SIZE);
            out += std::to_string(app->separatorBefore);
        }
        Check(menu->count == chain, "a menu's count differs from its entries");
        *apps += static_cast<size_t>(chain);
        out += '\n';
    }
    return out;
}

// Loads apps.tx; false when the load ended the process.
bool Load()
{
    try {
        LoadMenuList();
        return true;
    } catch (const fw::ProcessExit& exit) {
        Check(exit.code == 0, "the fatal path's exit code");
        return false;
    }
}

void FreeRecords()
{
    FreeAllMenus();
    Check(fw::LiveHeapBlocks() == 0, "records left allocated");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ScratchDir scratch;
    ResetProgram();
    const std::string input(reinterpret_cast<const char*>(data), size);
    WriteWholeFile("apps.tx", data, size);

    bool accepted = Load();
    Check(fw::OpenFileCount() == 0, "the load left a file open");
    bool tmpExists = false;
    if (!accepted) {
        Check(fw::MessageBoxes().size() == 1 && fw::MessageBoxes()[0].title == "Fatal Tolvex Error",
              "the fatal path shows exactly the fatal box");
        // Whatever runs after the box must not save either.
        SaveMenuList();
        Check(ReadWholeFile("apps.tx") == input, "the fatal path changed apps.tx");
        ReadWholeFile("apps.tx.tmp", &tmpExists);
        Check(!tmpExists, "the fatal path wrote apps.tx.tmp");
        FreeRecords();
        return 0;
    }

    Check(fw::MessageBoxes().empty(), "an accepted load showed a box");
    size_t menus, apps;
    const std::string loaded = Records(&menus, &apps);
    SaveMenuList();
    Check(fw::MessageBoxes().empty(), "the save warned");
    ReadWholeFile("apps.tx.tmp", &tmpExists);
    Check(!tmpExists, "the save left apps.tx.tmp");
    const std::string saved = ReadWholeFile("apps.tx");
    if (menus > 0)
        Check(saved.size() == 4 + MENU_RECORD_SIZE * menus + APP_RECORD_SIZE * apps, "the saved file's size");
    FreeRecords();

    Check(Load(), "the saved file was refused");
    size_t menusAgain, appsAgain;
    Check(Records(&menusAgain, &appsAgain) == loaded, "the records changed through a save and a load");
    SaveMenuList();
    Check(ReadWholeFile("apps.tx") == saved, "a second save wrote other bytes");
    FreeRecords();
    return 0;
}
