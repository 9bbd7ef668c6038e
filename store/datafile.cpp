// The data file "apps.tx": version, then each menu's record followed by
// its entries' records. Records are encoded field by field, little-endian,
// so the file is the same whatever the width of a pointer in memory.
#include "store/store.h"

#include <string.h>

#include "base/report.h"
#include "base/text.h"

const wchar_t DATA_FILE_NAME[] = L"apps.tx";

// The file's full path and that of the copy a save writes first. Fixed once,
// so that nothing that changes the current directory later (an Open dialog,
// a shell extension) can make the bar save somewhere else. In UTF-16 and
// with the "\\?\" prefix, so that a folder of any name, and one whose path
// leaves no room for the copy's longer name within MAX_PATH, works.
enum { DATA_PATH_SIZE = 32768 };
static wchar_t s_dataPath[DATA_PATH_SIZE] = L"apps.tx";
static wchar_t s_tempPath[DATA_PATH_SIZE + 4] = L"apps.tx.tmp";

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

// The file is read and written through one buffer of this size, not record
// by record: a large file costs a few dozen system calls, not one per entry.
// It is static rather than on the stack or the heap: 64 KB of a 1 MB stack
// is too much to take in passing, and a static buffer can neither fail to be
// had nor add a failure path; its pages are only touched on first use. The
// load and the save never run at once (one thread, and the file is closed
// before any box whose message loop could start the other).
enum { FILE_BUFFER_SIZE = 64 * 1024 };
static BYTE s_fileBuffer[FILE_BUFFER_SIZE];

// A save that finds apps.tx held by another program for a moment (a virus
// scanner, a sync tool) tries again this often, this far apart.
enum { REPLACE_ATTEMPTS = 10, REPLACE_RETRY_MS = 100 };

// Offsets within the records.
enum { MENU_COUNT_AT = 32, APP_WORKDIR_AT = 80, APP_PARAMS_AT = 160, APP_NAME_AT = 190, APP_SEPARATOR_AT = 220 };

static DWORD GetLE32(const BYTE* p)
{
    return static_cast<DWORD>(p[0]) | static_cast<DWORD>(p[1]) << 8 | static_cast<DWORD>(p[2]) << 16 |
        static_cast<DWORD>(p[3]) << 24;
}

static void PutLE32(BYTE* p, DWORD value)
{
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
    p[2] = static_cast<BYTE>(value >> 16);
    p[3] = static_cast<BYTE>(value >> 24);
}

// A text field from the file, terminated within the field whatever it holds.
static void GetText(char* dst, const BYTE* src, size_t size)
{
    memcpy(dst, src, size);
    TerminateField(dst, size);
}

// A text up to its NUL; the rest of the field stays zero.
static void PutText(BYTE* dst, const char* src, size_t size)
{
    memcpy(dst, src, strnlen(src, size - 1));
}

// ---- loading ----------------------------------------------------------------

[[noreturn]] static void FailLoad(HANDLE file, const char* text)
{
    CloseHandle(file);
    FatalError(text);
}

// The file being loaded and the bytes of the buffer not yet taken.
struct FileReader {
    HANDLE file;
    DWORD next, end;
};

// Takes up to size bytes from the file: as many as there were before its
// end. A failed read is not the end of the file: taking it for one would
// load part of the menus and save that part over the whole file.
static DWORD ReadUpTo(FileReader& in, BYTE* out, DWORD size)
{
    DWORD total = 0;
    while (total < size) {
        if (in.next == in.end) {
            DWORD got = 0;
            if (!ReadFile(in.file, s_fileBuffer, sizeof s_fileBuffer, &got, NULL))
                FailLoad(in.file, READ_FAILED_TEXT);
            if (got == 0)
                return total;
            in.next = 0;
            in.end = got;
        }
        DWORD part = in.end - in.next < size - total ? in.end - in.next : size - total;
        memcpy(out + total, s_fileBuffer + in.next, part);
        in.next += part;
        total += part;
    }
    return total;
}

static UserMenu* DecodeMenu(HANDLE file, const BYTE* rec)
{
    LONG count = static_cast<LONG>(GetLE32(rec + MENU_COUNT_AT));
    if (count < 0)
        FailLoad(file, CORRUPT_FILE_TEXT);
    UserMenu* menu = NewUserMenu();
    if (!menu)
        FailLoad(file, NO_MEMORY_TEXT);
    GetText(menu->name, rec, MENU_NAME_SIZE);
    return menu;
}

static AppItem* DecodeApp(HANDLE file, const BYTE* rec)
{
    AppItem* app = NewAppItem();
    if (!app)
        FailLoad(file, NO_MEMORY_TEXT);
    GetText(app->path, rec, APP_PATH_SIZE);
    GetText(app->workDir, rec + APP_WORKDIR_AT, APP_WORKDIR_SIZE);
    GetText(app->params, rec + APP_PARAMS_AT, APP_PARAMS_SIZE);
    GetText(app->name, rec + APP_NAME_AT, APP_NAME_SIZE);
    app->separatorBefore = GetLE32(rec + APP_SEPARATOR_AT);
    return app;
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

// apps.tx, or else the copy a save left behind. Where a replace is a delete
// and a rename (FAT sticks), a save cut between the two leaves only its
// copy, which is renamed only once written whole and flushed: the newest
// state.
static HANDLE OpenDataFile(bool* fromCopy)
{
    HANDLE file = OpenForLoad(s_dataPath);
    *fromCopy = file == INVALID_HANDLE_VALUE;
    return *fromCopy ? OpenForLoad(s_tempPath) : file;
}

void LoadMenuList()
{
    ResolveDataFilePath();
    bool fromCopy;
    HANDLE file = OpenDataFile(&fromCopy);
    if (file == INVALID_HANDLE_VALUE) {
        BuildDefaultMenus();
        return;
    }
    if (GetFileSize(file, NULL) == 0 && !fromCopy) {
        CloseHandle(file);
        BuildDefaultMenus();
        return;
    }

    FileReader in = {file, 0, 0};
    BYTE version[4];
    DWORD got = ReadUpTo(in, version, sizeof version);
    // A copy that does not read to its end was cut short: it is kept, as a
    // corrupt apps.tx is.
    if (fromCopy && got < sizeof version)
        FailLoad(file, CORRUPT_FILE_TEXT);
    if (got < sizeof version || static_cast<LONG>(GetLE32(version)) != g_dataFileVersion)
        FailLoad(file, OLD_FILE_TEXT);

    UserMenu* last = NULL;
    BYTE menuRec[MENU_RECORD_SIZE];
    // A partial menu record at the end of apps.tx is dropped.
    while ((got = ReadUpTo(in, menuRec, sizeof menuRec)) == sizeof menuRec) {
        UserMenu* menu = DecodeMenu(file, menuRec);
        AppendUserMenu(last, menu);
        last = menu;

        LONG count = static_cast<LONG>(GetLE32(menuRec + MENU_COUNT_AT));
        AppItem* lastApp = NULL;
        BYTE appRec[APP_RECORD_SIZE];
        for (LONG i = 0; i < count; i++) {
            if (ReadUpTo(in, appRec, sizeof appRec) != sizeof appRec)
                FailLoad(file, CORRUPT_FILE_TEXT);
            AppItem* app = DecodeApp(file, appRec);
            AppendAppItem(menu, lastApp, app);  // counts the entry
            lastApp = app;
        }
    }
    if (fromCopy && got != 0)
        FailLoad(file, CORRUPT_FILE_TEXT);
    CloseHandle(file);
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

// The file being saved and the bytes waiting in the buffer.
struct FileWriter {
    HANDLE file;
    DWORD used;
};

// Writes out what waits in the buffer: 0 when the write failed or fell short.
static int FlushWriter(FileWriter& out)
{
    DWORD written = 0;
    int ok = out.used == 0 || (WriteFile(out.file, s_fileBuffer, out.used, &written, NULL) && written == out.used);
    out.used = 0;
    return ok;
}

// Room in the buffer for the next record, zeroed; a buffer without room
// is written out first. Null when that write failed.
static BYTE* NextRecord(FileWriter& out, DWORD size)
{
    if (out.used + size > sizeof s_fileBuffer && !FlushWriter(out))
        return NULL;
    BYTE* rec = s_fileBuffer + out.used;
    memset(rec, 0, size);
    out.used += size;
    return rec;
}

static LONG ChainLength(const UserMenu* menu)
{
    LONG n = 0;
    for (const AppItem* app = menu->firstApp; app; app = app->next)
        n++;
    return n;
}

static int WriteMenu(FileWriter& out, const UserMenu* menu)
{
    BYTE* rec = NextRecord(out, MENU_RECORD_SIZE);
    if (!rec)
        return 0;
    PutText(rec, menu->name, MENU_NAME_SIZE);
    // The reader takes exactly this many entries, so it must be the number
    // that follows, whatever the in-memory count says.
    PutLE32(rec + MENU_COUNT_AT, static_cast<DWORD>(ChainLength(menu)));
    for (const AppItem* app = menu->firstApp; app; app = app->next) {
        BYTE* appRec = NextRecord(out, APP_RECORD_SIZE);
        if (!appRec)
            return 0;
        PutText(appRec, app->path, APP_PATH_SIZE);
        PutText(appRec + APP_WORKDIR_AT, app->workDir, APP_WORKDIR_SIZE);
        PutText(appRec + APP_PARAMS_AT, app->params, APP_PARAMS_SIZE);
        PutText(appRec + APP_NAME_AT, app->name, APP_NAME_SIZE);
        PutLE32(appRec + APP_SEPARATOR_AT, app->separatorBefore);
    }
    return 1;
}

static int WriteMenuList(HANDLE file)
{
    FileWriter out = {file, 0};
    PutLE32(NextRecord(out, 4), static_cast<DWORD>(g_dataFileVersion));
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        if (!WriteMenu(out, menu))
            return 0;
    }
    return FlushWriter(out);
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
    int ok = WriteMenuList(file) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    ok = ok && ReplaceDataFile();
    if (!ok) {
        DeleteFileW(s_tempPath);
        ShowWarning(WRITE_FAILED_TEXT);
    }
}
