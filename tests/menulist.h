// The program's menu list built from plain values, and its names, for the
// native and the in-process tests.
#pragma once
#include <string>
#include <vector>

#include "base/text.h"
#include "store/store.h"
#include "tests/bytes.h"

// A menu list from a compact description: {"&Menu", {"app", "app", ...}};
// each entry's path is "c:\<name>.exe".
struct MenuSpec {
    std::string name;
    std::vector<std::string> apps;
};
inline std::vector<FileMenu> FileMenus(const std::vector<MenuSpec>& menus)
{
    std::vector<FileMenu> files;
    for (const MenuSpec& menu : menus) {
        files.push_back({menu.name, {}});
        for (const std::string& app : menu.apps)
            files.back().apps.push_back({"c:\\" + app + ".exe", "", "", app, 0});
    }
    return files;
}

// Builds the list at g_menuHead, which must be empty.
inline void MakeMenus(const std::vector<FileMenu>& menus)
{
    UserMenu* last = NULL;
    for (const FileMenu& want : menus) {
        UserMenu* menu = NewUserMenu();
        CopyText(menu->name, sizeof menu->name, want.name.c_str());
        AppendUserMenu(last, menu);
        last = menu;
        AppItem* lastApp = NULL;
        for (const FileEntry& entry : want.apps) {
            AppItem* app = NewAppItem();
            CopyText(app->path, sizeof app->path, entry.path.c_str());
            CopyText(app->workDir, sizeof app->workDir, entry.workDir.c_str());
            CopyText(app->params, sizeof app->params, entry.params.c_str());
            CopyText(app->name, sizeof app->name, entry.name.c_str());
            app->separatorBefore = entry.separator;
            AppendAppItem(menu, lastApp, app);
            lastApp = app;
        }
    }
}

// The names alone, as "Menu:app,app|Menu2:", for compact comparison.
inline std::string DescribeMenus()
{
    std::string out;
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        out += (out.empty() ? "" : "|") + std::string(menu->name) + ":";
        for (const AppItem* app = menu->firstApp; app; app = app->next)
            out += (app == menu->firstApp ? "" : ",") + std::string(app->name);
    }
    return out;
}
