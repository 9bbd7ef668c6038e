// The native build's stand-ins for the heap and the warning box, and the
// helpers of tests/fuzz/native.h.
#include "tests/fuzz/native.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <tuple>

#include "base/report.h"

int native::allocsToFailure = -1;
int native::liveBlocks;
std::vector<std::string> native::warnings;

namespace {

int s_heap;

std::string Field(const char* text, size_t size)
{
    return std::string(text, strnlen(text, size));
}

}  // namespace

HANDLE GetProcessHeap()
{
    return &s_heap;
}

void* HeapAlloc(HANDLE, DWORD, size_t size)
{
    if (native::allocsToFailure >= 0 && native::allocsToFailure-- == 0)
        return NULL;
    void* block = malloc(size);
    if (!block)
        return NULL;
    // Never zeroed, as on Windows: a field written past its NUL shows.
    memset(block, 0xA5, size);
    native::liveBlocks++;
    return block;
}

BOOL HeapFree(HANDLE, DWORD, void* block)
{
    if (block)
        native::liveBlocks--;
    free(block);
    return 1;
}

void ShowWarning(const char* text)
{
    native::warnings.push_back(text);
}

namespace native {

void Reset()
{
    g_menuHead = NULL;
    allocsToFailure = -1;
    warnings.clear();
}

Menus ReadMenus()
{
    Menus menus;
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        menus.push_back({Field(menu->name, MENU_NAME_SIZE), {}});
        for (const AppItem* app = menu->firstApp; app; app = app->next)
            menus.back().apps.push_back({Field(app->path, APP_PATH_SIZE), Field(app->workDir, APP_WORKDIR_SIZE),
                                         Field(app->params, APP_PARAMS_SIZE), Field(app->name, APP_NAME_SIZE),
                                         app->separatorBefore});
    }
    return menus;
}

const char* ListFault()
{
    const UserMenu* prevMenu = NULL;
    for (const UserMenu* menu = g_menuHead; menu; prevMenu = menu, menu = menu->next) {
        if (menu->prev != prevMenu)
            return "a menu's back link";
        if (strnlen(menu->name, MENU_NAME_SIZE) == MENU_NAME_SIZE)
            return "an unterminated menu name";
        LONG chain = 0;
        const AppItem* prevApp = NULL;
        for (const AppItem* app = menu->firstApp; app; prevApp = app, app = app->next, chain++) {
            if (app->prev != prevApp)
                return "an entry's back link";
            if (strnlen(app->path, APP_PATH_SIZE) == APP_PATH_SIZE ||
                strnlen(app->workDir, APP_WORKDIR_SIZE) == APP_WORKDIR_SIZE ||
                strnlen(app->params, APP_PARAMS_SIZE) == APP_PARAMS_SIZE ||
                strnlen(app->name, APP_NAME_SIZE) == APP_NAME_SIZE)
                return "an unterminated entry field";
        }
        if (menu->count != chain)
            return "a menu's count differs from its entries";
    }
    return NULL;
}

int ReadSource(void* source, BYTE* buffer, DWORD size, DWORD* got)
{
    Source& in = *static_cast<Source*>(source);
    if (in.reads++ == in.failAt)
        return 0;
    size_t n = std::min({static_cast<size_t>(size), in.piece, in.bytes.size() - in.at});
    if (n > 0)
        memcpy(buffer, in.bytes.data() + in.at, n);
    in.at += n;
    *got = static_cast<DWORD>(n);
    return 1;
}

int WriteSink(void* sink, const BYTE* data, DWORD size)
{
    Sink& out = *static_cast<Sink*>(sink);
    if (out.writes++ == out.failAt)
        return 0;
    out.bytes.insert(out.bytes.end(), data, data + size);
    return 1;
}

}  // namespace native

bool operator==(const FileEntry& a, const FileEntry& b)
{
    return std::tie(a.path, a.workDir, a.params, a.name, a.separator) ==
        std::tie(b.path, b.workDir, b.params, b.name, b.separator);
}

bool operator==(const FileMenu& a, const FileMenu& b)
{
    return a.name == b.name && a.apps == b.apps;
}

std::ostream& operator<<(std::ostream& out, const FileEntry& app)
{
    return out << '{' << app.path << '|' << app.workDir << '|' << app.params << '|' << app.name << '|' << app.separator
               << '}';
}

std::ostream& operator<<(std::ostream& out, const FileMenu& menu)
{
    out << menu.name << ':';
    for (const FileEntry& app : menu.apps)
        out << app;
    return out;
}
