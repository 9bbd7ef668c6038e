// The store's codecs. The data file "apps.tx" holds its version, then each
// menu's record followed by its entries' records. Records are encoded field
// by field, little-endian, so the file is the same whatever the width of a
// pointer in memory. The settings record is kept as its own bytes.
#include "store/codec.h"

#include <string.h>

#include "base/text.h"

static_assert(sizeof(UserVars) == USERVARS_SIZE, "the registry value is the record's bytes");

// The file is read and written through one buffer of this size, not record
// by record: a large file costs a few dozen system calls, not one per entry.
// It is static rather than on the stack or the heap: 64 KB of a 1 MB stack
// is too much to take in passing, and a static buffer can neither fail to be
// had nor add a failure path; its pages are only touched on first use. The
// load and the save never run at once (one thread, and the file is closed
// before any box whose message loop could start the other).
enum { FILE_BUFFER_SIZE = 64 * 1024 };
static BYTE s_fileBuffer[FILE_BUFFER_SIZE];

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

// ---- decoding ---------------------------------------------------------------

// The source being decoded and the bytes of the buffer not yet taken.
struct Reader {
    ReadBytesFn read;
    void* source;
    DWORD next, end;
};

enum { READ_ENDED = 0, READ_WHOLE = 1, READ_PART = 2, READ_FAILED = -1 };

// Takes exactly size bytes: READ_ENDED when the source ended before them,
// READ_PART when it ended within them. A failed
// read is not the end of the file: taking it for one would load part of the
// menus and save that part over the whole file.
static int ReadExact(Reader& in, BYTE* out, DWORD size)
{
    DWORD total = 0;
    while (total < size) {
        if (in.next == in.end) {
            DWORD got = 0;
            if (!in.read(in.source, s_fileBuffer, sizeof s_fileBuffer, &got))
                return READ_FAILED;
            if (got == 0)
                return total ? READ_PART : READ_ENDED;
            in.next = 0;
            in.end = got;
        }
        DWORD part = in.end - in.next < size - total ? in.end - in.next : size - total;
        memcpy(out + total, s_fileBuffer + in.next, part);
        in.next += part;
        total += part;
    }
    return READ_WHOLE;
}

static DataFileStatus DecodeApps(Reader& in, UserMenu* menu, LONG count)
{
    AppItem* last = NULL;
    BYTE rec[APP_RECORD_SIZE];
    for (LONG i = 0; i < count; i++) {
        int got = ReadExact(in, rec, sizeof rec);
        if (got != READ_WHOLE)
            return got == READ_FAILED ? DATAFILE_READ_FAILED : DATAFILE_CORRUPT;
        AppItem* app = NewAppItem();
        if (!app)
            return DATAFILE_NO_MEMORY;
        GetText(app->path, rec, APP_PATH_SIZE);
        GetText(app->workDir, rec + APP_WORKDIR_AT, APP_WORKDIR_SIZE);
        GetText(app->params, rec + APP_PARAMS_AT, APP_PARAMS_SIZE);
        GetText(app->name, rec + APP_NAME_AT, APP_NAME_SIZE);
        app->separatorBefore = GetLE32(rec + APP_SEPARATOR_AT);
        AppendAppItem(menu, last, app);  // counts the entry
        last = app;
    }
    return DATAFILE_OK;
}

static DataFileStatus DecodeRecords(Reader& in, LONG version, bool whole)
{
    BYTE rec[MENU_RECORD_SIZE];
    int got = ReadExact(in, rec, 4);
    if (got == READ_FAILED)
        return DATAFILE_READ_FAILED;
    if (got != READ_WHOLE && whole)
        return DATAFILE_CORRUPT;
    if (got != READ_WHOLE || static_cast<LONG>(GetLE32(rec)) != version)
        return DATAFILE_OLD_VERSION;

    UserMenu* last = NULL;
    // A partial menu record at the end of the file is dropped.
    while ((got = ReadExact(in, rec, sizeof rec)) == READ_WHOLE) {
        LONG count = static_cast<LONG>(GetLE32(rec + MENU_COUNT_AT));
        if (count < 0)
            return DATAFILE_CORRUPT;
        UserMenu* menu = NewUserMenu();
        if (!menu)
            return DATAFILE_NO_MEMORY;
        GetText(menu->name, rec, MENU_NAME_SIZE);
        AppendUserMenu(last, menu);
        last = menu;
        DataFileStatus status = DecodeApps(in, menu, count);
        if (status != DATAFILE_OK)
            return status;
    }
    if (got == READ_PART && whole)
        return DATAFILE_CORRUPT;
    return got == READ_FAILED ? DATAFILE_READ_FAILED : DATAFILE_OK;
}

DataFileStatus DecodeMenuList(LONG version, ReadBytesFn read, void* source, bool whole)
{
    Reader in = {read, source, 0, 0};
    DataFileStatus status = DecodeRecords(in, version, whole);
    if (status != DATAFILE_OK)
        FreeAllMenus();
    return status;
}

// ---- encoding ---------------------------------------------------------------

// The sink being written and the bytes waiting in the buffer.
struct Writer {
    WriteBytesFn write;
    void* sink;
    DWORD used;
};

// Writes out what waits in the buffer: 0 when the write failed.
static int Flush(Writer& out)
{
    int ok = out.used == 0 || out.write(out.sink, s_fileBuffer, out.used);
    out.used = 0;
    return ok;
}

// Room in the buffer for the next record, zeroed; a buffer without room
// is written out first. Null when that write failed.
static BYTE* NextRecord(Writer& out, DWORD size)
{
    if (out.used + size > sizeof s_fileBuffer && !Flush(out))
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

static int EncodeMenu(Writer& out, const UserMenu* menu)
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

int EncodeMenuList(LONG version, WriteBytesFn write, void* sink)
{
    Writer out = {write, sink, 0};
    PutLE32(NextRecord(out, 4), static_cast<DWORD>(version));
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next) {
        if (!EncodeMenu(out, menu))
            return 0;
    }
    return Flush(out);
}

// ---- the settings record ----------------------------------------------------

int DecodeUserVars(DWORD type, const BYTE* data, DWORD size, UserVars* vars)
{
    // A text or a number of the record's length is still not the record.
    if (type != REG_BINARY || size != sizeof *vars)
        return 0;
    memcpy(vars, data, sizeof *vars);
    TerminateField(vars->wavPath, sizeof vars->wavPath);
    return 1;
}
