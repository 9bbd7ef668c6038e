// The menu store: the user's menus and their applications, the data file
// "apps.tx" that holds them, and the settings record in the registry.
#pragma once
#include <windows.h>

// ---- Menu and application records -----------------------------------------

enum { MENU_NAME_SIZE = 30, APP_PATH_SIZE = 80, APP_WORKDIR_SIZE = 80, APP_PARAMS_SIZE = 30, APP_NAME_SIZE = 30 };

struct AppItem {
    char path[APP_PATH_SIZE];
    char workDir[APP_WORKDIR_SIZE];
    char params[APP_PARAMS_SIZE];
    char name[APP_NAME_SIZE];
    DWORD separatorBefore;  // 1: a separator line stands above this entry
    AppItem* next;
    AppItem* prev;
};

struct UserMenu {
    char name[MENU_NAME_SIZE];
    LONG count;  // number of entries in the firstApp chain
    UserMenu* next;
    UserMenu* prev;
    AppItem* firstApp;
};

// Directions for MoveUserMenu and MoveAppItem.
enum { MOVE_UP = 3, MOVE_DOWN = 4 };

// The text that stands for a separator line in the Edit Menus dialog's list.
extern const char SEPARATOR_LABEL[];

// Head of the menu list, in bar order; null when there are no menus.
extern UserMenu* g_menuHead;

UserMenu* InitUserMenu(UserMenu* menu);
UserMenu* NewUserMenu();
AppItem* InitAppItem(AppItem* app);
AppItem* NewAppItem();
// The entry's four texts, not its links or its separator.
void CopyAppTexts(AppItem* to, const AppItem* from);
void AppendUserMenu(UserMenu* last, UserMenu* menu);
void AppendAppItem(UserMenu* menu, AppItem* last, AppItem* app);
void UnlinkUserMenu(UserMenu* menu);
void UnlinkAppItem(AppItem* app);
void FreeAppItem(AppItem* app);
void FreeUserMenu(UserMenu* menu);
void FreeAllMenus();
UserMenu* FindUserMenu(const char* name);
AppItem* FindAppItem(AppItem* start, const char* name);
int MoveUserMenu(UserMenu* menu, int direction);
int MoveAppItem(AppItem* app, int direction);

// ---- Data file ------------------------------------------------------------

enum { DATAFILE_VERSION = 100, MENU_RECORD_SIZE = 48, APP_RECORD_SIZE = 232 };

extern const wchar_t DATA_FILE_NAME[];  // "apps.tx"

// Set to DATAFILE_VERSION at start-up; the writer stores it, the reader demands it.
extern LONG g_dataFileVersion;

// Fixes the data file's full path from the current directory (LoadMenuList
// does this first); every later load and save uses that path.
void ResolveDataFilePath();
void LoadMenuList();
void BuildDefaultMenus();
void SaveMenuList();

// ---- Settings record ------------------------------------------------------

enum { WAV_PATH_SIZE = 80, USERVARS_SIZE = 92 };

struct UserVars {
    LONG stayOnTop;
    LONG chime;
    LONG reserved;
    char wavPath[WAV_PATH_SIZE];
};

extern UserVars g_userVars;

void LoadUserVars();
void InstallDefaultUserVars(HKEY key);
void SaveUserVars();

// The hotkey that opens the menus, as a hotkey control gives it: the
// virtual key in the low byte, HOTKEYF_* in the next; 0 for none. Kept in a
// registry value of its own beside the settings record, loaded and saved
// with it.
extern DWORD g_hotkey;
