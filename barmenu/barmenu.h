// The bar's user popups, the command table behind them, the clock item
// with the hourly chime, and the launcher.
#pragma once
#include "store/store.h"

struct CommandEntry {
    LONG id;
    AppItem* app;
    CommandEntry* next;
};

struct PopupEntry {
    HMENU popup;
    UserMenu* menu;
    // The size of the icons its items carry, 0 before its first opening;
    // and whether some of them wait for the shell still.
    int iconSize;
    bool iconsPending;
    PopupEntry* next;
};

extern HMENU g_hBarMenu;
extern CommandEntry* g_commandHead;
extern PopupEntry* g_popupHead;

// The highest number of applications a menu can show with ids of their own.
enum { MAX_APPS_PER_MENU = 100 };

// The command id of application j of menu k, or 0 when that position has
// no id of its own (it would collide with another item or a bar command).
LONG AppCommandId(int k, int j);

BOOL BuildBarMenus();
void ClearBarMenus();
AppItem* FindCommandApp(LONG id);

// Each entry's program icon on its item, as the shell shows it for the
// entry's path. A popup's icons are fetched when it is first about to open
// (the bar's WM_INITMENUPOPUP), off the bar's thread, and kept until exit;
// what has not come within a bounded wait shows the generic icon and is put
// on the item when it comes (WM_MENUICONS_FETCHED to the bar).
enum { WM_MENUICONS_FETCHED = WM_APP + 3 };  // WM_APP + 1 and + 2 are the shell's
void ShowMenuIcons(HMENU popup);
void OnMenuIconsFetched(LPARAM batch);
// After a build: drops the icons of paths that no entry has any more.
void KeepUsedMenuIcons();
void FreeMenuIcons();

// The clock item: "h:mm AM" on a 12-hour clock.
enum { CLOCK_TEXT_SIZE = 10 };
void FormatClockText(const SYSTEMTIME& time, char text[CLOCK_TEXT_SIZE]);
// Milliseconds from `time` to the start of the next minute.
UINT MsToNextMinute(const SYSTEMTIME& time);
// Writes the time into the clock item and chimes in minute 0 of an hour;
// 0 when the clock item could not be changed.
int UpdateClock();

// Starts a WAV file playing in the background with SND_FILENAME | SND_ASYNC
// and any further flags; the sound library is loaded when first needed.
// 0 when it cannot be played, which callers report with WAV_FAILED_TEXT.
int PlayWavFile(const char* path, DWORD flags);
extern const char WAV_FAILED_TEXT[];

// The entry keeps what the user typed, so that one apps.tx serves every
// machine; the shell gets the variables' values of now. An unknown
// variable stays as it is. False when the result does not fit in `size`.
bool ExpandVariables(const char* text, char* out, DWORD size);
// Starts an entry through the shell with its %VARIABLES% expanded;
// `elevated` asks for the administrator's rights ("runas").
int LaunchApp(const AppItem* app, bool elevated = false);
// Explorer, with the entry's file selected.
int ShowAppLocation(const AppItem* app);

// The hotkey (g_hotkey) on the bar's window, in place of the one before; 0,
// after a warning, when the system refuses it.
int RegisterBarHotkey();
// WM_HOTKEY: the first user menu (or "§") drops down once the keys are up,
// which the bar's HOTKEY_TIMER_ID waits for.
enum { HOTKEY_TIMER_ID = 65245 };
void OnHotkey();
void OnHotkeyTimer();

// TOLVEX_DIR: the folder of tolvex.exe, in the bar's environment (and so in
// every launched program's), for entries of a portable folder.
void SetProgramFolderVariable();
// The environment a new sign-in would get, after the user changed it.
void ReloadEnvironment();

// COM on the bar's thread for the shell: started once before the first
// launch, ended at exit.
void StartLaunchCom();
void EndLaunchCom();
// The path to hand to the shell for an entry's path (out: size bytes); the
// entry keeps its own. Under WOW64 the system folder is reached through its
// Sysnative alias, so that a tool found only in the 64-bit one starts.
void ShellPath(const char* path, char* out, size_t size);
