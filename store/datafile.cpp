// The data file "apps.tx" on disk: where it is, how it is read, and how a
// save replaces it whole; store/codec.cpp turns its bytes into records.
#include "store/codec.h"

#include <string.h>

#include "base/report.h"
#include "base/text.h"

const wchar_t DATA_FILE_NAME[] = L"apps.tx";

// The file's full path and that of the copy a save writes first. Fixed once,
// so that nothing that changes the current directory later (an Open dialog,
// a shell extension) can make the bar save somewhere else. In UTF-16 and
// with the "\\?\" prefix, so that a folder of any name, and one whose path
// leaves no room for the copy's longer name within MAX_PATH, works.
// Set by ResolveDataFilePath before the first load; left out of the
// program's file, which an initial text would make 128 KB larger.
enum { DATA_PATH_SIZE = 32768 };
static wchar_t s_dataPath[DATA_PATH_SIZE];
static wchar_t s_tempPath[DATA_PATH_SIZE + 4];

LONG g_dataFileVersion = 0;

static const char OLD_FILE_TEXT[] = "Old data file found.  Please\ndelete it and restart Tolvex.";
static const char CORRUPT_FILE_TEXT[] = "Corrupt APPS.TX file. Please\ndelete it and restart Tolvex.";
static const char NO_MEMORY_TEXT[] =
    "Not enough memory to load the menus.\nTolvex will close and leave APPS.TX as it is.";
static const char READ_FAILED_TEXT[] = "Could not read APPS.TX.\nTolvex will close and leave APPS.TX as it is.";
static const char OPEN_FAILED_TEXT[] = "Could not open APPS.TX. Another program may be using it,\n"
                                       "or its folder may not be reachable.\n"
                                       "Tolvex will close and leave APPS.TX as it is.";
static const char WRITE_FAILED_TEXT[] = "Could not open APPS.TX for write.\nPlease check the file.";

// A save that finds apps.tx held by another program for a moment (a virus
// scanner, a sync tool) tries again this often, this far apart.
enum { REPLACE_ATTEMPTS = 10, REPLACE_RETRY_MS = 100 };

// ---- loading ----------------------------------------------------------------

static int ReadFromFile(void* file, BYTE* buffer, DWORD size, DWORD* got)
{
    return ReadFile(static_cast<HANDLE>(file), buffer, size, got, NULL) != 0;
}

static const char* LoadFailedText(DataFileStatus status)
{
    switch (status) {
    case DATAFILE_OLD_VERSION:
        return OLD_FILE_TEXT;
    case DATAFILE_CORRUPT:
        return CORRUPT_FILE_TEXT;
    case DATAFILE_NO_MEMORY:
        return NO_MEMORY_TEXT;
    default:
        return READ_FAILED_TEXT;
    }
}

// "C:\dir" becomes "\\?\C:\dir" and "\\server\share" "\\?\UNC\server\share":
// paths that the system takes as they are, past MAX_PATH.
static const wchar_t LOCAL_PREFIX[] = L"\\\\?\\";
static const wchar_t UNC_PREFIX[] = L"\\\\?\\UNC";

void ResolveDataFilePath()
{
    // The copy's buffer holds the full path for a moment.
    wchar_t* full = s_tempPath;
    DWORD room = DATA_PATH_SIZE - 8;  // for the prefix
    DWORD len = GetFullPathNameW(DATA_FILE_NAME, room, full, NULL);
    if (len == 0 || len >= room) {
        // The bare name: the current directory then decides, which the file
        // browser puts back whatever its length.
        lstrcpyW(s_dataPath, DATA_FILE_NAME);
    } else if (full[0] == L'\\' && full[1] == L'\\') {
        bool prefixed = full[2] == L'?' || full[2] == L'.';
        lstrcpyW(s_dataPath, prefixed ? L"" : UNC_PREFIX);
        lstrcatW(s_dataPath, prefixed ? full : full + 1);
    } else {
        lstrcpyW(s_dataPath, LOCAL_PREFIX);
        lstrcatW(s_dataPath, full);
    }
    lstrcpyW(s_tempPath, s_dataPath);
    lstrcatW(s_tempPath, L".tmp");
}

// The file at path, open for the load; INVALID_HANDLE_VALUE when it is not
// there. Only a file that is not there may mean the default menus: one that
// is held by another program, denied, or on a drive that is away would be
// replaced by them at the next save.
static HANDLE OpenForLoad(const wchar_t* path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD error = GetLastError();
    if (file == INVALID_HANDLE_VALUE && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
        FatalError(OPEN_FAILED_TEXT);
    return file;
}

void LoadMenuList()
{
    ResolveDataFilePath();
    HANDLE file = OpenForLoad(s_dataPath);
    // Where a replace is a delete and a rename (FAT sticks), a save cut
    // between the two leaves only its copy, renamed only once written whole
    // and flushed: the newest state. One that does not read to its end was
    // cut short, and is kept as a corrupt apps.tx is.
    bool fromCopy = file == INVALID_HANDLE_VALUE;
    if (fromCopy)
        file = OpenForLoad(s_tempPath);
    if (file == INVALID_HANDLE_VALUE) {
        BuildDefaultMenus();
        return;
    }
    if (GetFileSize(file, NULL) == 0 && !fromCopy) {
        CloseHandle(file);
        BuildDefaultMenus();
        return;
    }

    DataFileStatus status = DecodeMenuList(g_dataFileVersion, ReadFromFile, file, fromCopy);
    CloseHandle(file);
    if (status != DATAFILE_OK)
        FatalError(LoadFailedText(status));
}

// The Windows directory followed by "\file", or the bare file name when the
// directory cannot be had or the whole path would not fit the field: the
// shell then finds the file on its search path, which holds that directory.
static void WindowsDirPath(char* path, const char* file)
{
    char dir[APP_PATH_SIZE];
    UINT len = GetWindowsDirectoryA(dir, sizeof dir);
    if (len == 0 || len >= sizeof dir || len + 1 + strlen(file) >= APP_PATH_SIZE) {
        CopyText(path, APP_PATH_SIZE, file);
        return;
    }
    CopyText(path, APP_PATH_SIZE, dir);
    AppendText(path, APP_PATH_SIZE, "\\");
    AppendText(path, APP_PATH_SIZE, file);
}

struct DefaultApp {
    const char* name;
    const char* path;     // a full path, or
    const char* winFile;  // a file in the Windows directory
};

static UserMenu* AddDefaultMenu(UserMenu* last, const char* name, const DefaultApp* apps, int n)
{
    UserMenu* menu = NewUserMenu();
    if (!menu)
        FatalError(NO_MEMORY_TEXT);
    CopyText(menu->name, MENU_NAME_SIZE, name);
    AppendUserMenu(last, menu);
    AppItem* lastApp = NULL;
    for (int i = 0; i < n; i++) {
        AppItem* app = NewAppItem();
        if (!app)
            FatalError(NO_MEMORY_TEXT);
        CopyText(app->name, APP_NAME_SIZE, apps[i].name);
        if (apps[i].path)
            CopyText(app->path, APP_PATH_SIZE, apps[i].path);
        else
            WindowsDirPath(app->path, apps[i].winFile);
        AppendAppItem(menu, lastApp, app);
        lastApp = app;
    }
    return menu;
}

void BuildDefaultMenus()
{
    static const DefaultApp apps[] = {
        {"Visual &C++ v4.0", "c:\\vc40\\bin\\msdev.exe", NULL},
        {"&Word v7.0", "c:\\winword\\winword.exe", NULL},
    };
    static const DefaultApp games[] = {
        {"&Minesweeper", NULL, "winmine.exe"},
        {"&Solitaire", NULL, "sol.exe"},
    };
    UserMenu* first = AddDefaultMenu(NULL, "&Apps", apps, 2);
    AddDefaultMenu(first, "&Games", games, 2);
}

// ---- saving -----------------------------------------------------------------

static int WriteToFile(void* file, const BYTE* data, DWORD size)
{
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(file), data, size, &written, NULL) && written == size;
}

static int ReplaceDataFile()
{
    for (int attempt = 1;; attempt++) {
        if (MoveFileExW(s_tempPath, s_dataPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return 1;
        DWORD error = GetLastError();
        bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
        if (!held || attempt == REPLACE_ATTEMPTS)
            return 0;
        Sleep(REPLACE_RETRY_MS);
    }
}

// The list is written to a file beside "apps.tx" and only a complete,
// flushed copy replaces it, so a failed save leaves the old file whole.
void SaveMenuList()
{
    if (!g_menuHead || g_fatalErrorBegun)
        return;
    // A read-only apps.tx is the user's to keep as it is. Windows would
    // refuse the replace, Wine would not: say so before anything is written.
    DWORD attributes = GetFileAttributesW(s_dataPath);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        ShowWarning(WRITE_FAILED_TEXT);
        return;
    }
    HANDLE file = CreateFileW(s_tempPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        ShowWarning(WRITE_FAILED_TEXT);
        return;
    }
    int ok = EncodeMenuList(g_dataFileVersion, WriteToFile, file) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && ReplaceDataFile();
    if (!ok) {
        DeleteFileW(s_tempPath);
        ShowWarning(WRITE_FAILED_TEXT);
    }
}
