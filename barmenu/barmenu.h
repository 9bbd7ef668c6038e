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
