// Entries made from files dropped from Explorer: a program, a document or
// a shortcut, whose texts are taken whole or not at all.
#include "dialogs/dialogs.h"

#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include "barmenu/barmenu.h"
#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"

EditStart g_editStart;

// Declared here rather than taken from a library: the bar links none of COM's.
static const GUID SHELL_LINK_CLASS = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID SHELL_LINK_A = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const GUID PERSIST_FILE = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

enum { DROPPED_PATH_SIZE = 1024, SHORTCUT_TEXT_SIZE = 1024 };

void FinishDrop(HDROP drop)
{
    auto finish = SystemProc<decltype(&DragFinish)>("shell32.dll", "DragFinish");
    if (finish)
        finish(drop);
}

// The text in the code page, or false when a character has no place in it.
static bool ToAnsi(const wchar_t* wide, char* out, int size)
{
    BOOL lost = FALSE;
    int len = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, out, size, NULL, &lost);
    return len > 0 && !lost;
}

static bool Fits(const char* text, size_t size)
{
    return strlen(text) < size;
}

static const char NO_FIT_TEXT[] =
    "\ncannot be added: its path, parameters or working\ndirectory does not fit in an entry.";
static const char NO_TARGET_TEXT[] = "\ncannot be added: the shortcut names no file to start.";

// The shortcut's target: its path as stored (variables unexpanded), its
// parameters and working directory, each whole in its field. Null when
// read, otherwise why not.
static const char* ReadShortcut(const wchar_t* file, AppItem* entry)
{
    StartLaunchCom();
    auto create = SystemProc<decltype(&CoCreateInstance)>("ole32.dll", "CoCreateInstance");
    IShellLinkA* link = NULL;
    if (!create ||
        FAILED(create(SHELL_LINK_CLASS, NULL, CLSCTX_INPROC_SERVER, SHELL_LINK_A, reinterpret_cast<void**>(&link))))
        return NO_TARGET_TEXT;
    const char* refusal = NO_TARGET_TEXT;
    IPersistFile* persist = NULL;
    if (SUCCEEDED(link->QueryInterface(PERSIST_FILE, reinterpret_cast<void**>(&persist)))) {
        char path[SHORTCUT_TEXT_SIZE] = "";
        char params[SHORTCUT_TEXT_SIZE] = "";
        char workDir[SHORTCUT_TEXT_SIZE] = "";
        bool read = SUCCEEDED(persist->Load(file, STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, sizeof path, NULL, SLGP_RAWPATH)) && path[0] &&
            SUCCEEDED(link->GetArguments(params, sizeof params)) &&
            SUCCEEDED(link->GetWorkingDirectory(workDir, sizeof workDir));
        bool fits = Fits(path, sizeof entry->path) && Fits(params, sizeof entry->params) &&
            Fits(workDir, sizeof entry->workDir);
        refusal = !read ? NO_TARGET_TEXT : !fits ? NO_FIT_TEXT : NULL;
        if (!refusal) {
            CopyText(entry->path, sizeof entry->path, path);
            CopyText(entry->params, sizeof entry->params, params);
            CopyText(entry->workDir, sizeof entry->workDir, workDir);
        }
        persist->Release();
    }
    link->Release();
    return refusal;
}

// The file's name without its extension, with "&" before its first letter
// for the menu's key, cut to the field.
static void NameFromFile(const char* path, char* name, size_t size)
{
    const char* base = strrchr(path, '\\');
    base = base ? base + 1 : path;
    char stem[MAX_PATH];
    CopyText(stem, sizeof stem, base);
    char* dot = strrchr(stem, '.');
    if (dot && dot != stem)
        *dot = '\0';
    char* letter = stem;
    while (*letter && !IsCharAlphaA(*letter))
        letter++;
    if (!*letter)
        letter = stem;
    char head = *letter;
    *letter = '\0';
    CopyText(name, size, stem);
    AppendText(name, size, "&");
    *letter = head;
    AppendText(name, size, letter);
}

static bool IsShortcut(const wchar_t* path)
{
    size_t len = wcslen(path);
    return len > 4 && lstrcmpiW(path + len - 4, L".lnk") == 0;
}

bool DroppedEntry(HDROP drop, UINT index, AppItem* entry)
{
    InitAppItem(entry);
    auto query = SystemProc<decltype(&DragQueryFileW)>("shell32.dll", "DragQueryFileW");
    wchar_t wide[DROPPED_PATH_SIZE];
    UINT len = query ? query(drop, index, wide, DROPPED_PATH_SIZE) : 0;
    if (len == 0 || len >= DROPPED_PATH_SIZE - 1) {
        ShowWarning("A dropped file could not be read.");
        return false;
    }
    char path[DROPPED_PATH_SIZE];
    const char* refusal = NO_FIT_TEXT;
    if (ToAnsi(wide, path, sizeof path)) {
        NameFromFile(path, entry->name, sizeof entry->name);
        if (IsShortcut(wide))
            refusal = ReadShortcut(wide, entry);
        else if (Fits(path, sizeof entry->path))
            refusal = NULL;
        if (!refusal && !IsShortcut(wide))
            CopyText(entry->path, sizeof entry->path, path);
    }
    if (!refusal)
        return true;
    // Named as the code page can show it.
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, NULL, NULL);
    char text[DROPPED_PATH_SIZE + 96];
    CopyText(text, sizeof text, path);
    AppendText(text, sizeof text, refusal);
    ShowWarning(text);
    return false;
}
