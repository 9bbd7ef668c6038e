// tvdriver: drives the real tolvex.exe from outside, under Wine, for the
// end-to-end tests. Each subcommand prints its findings as key=value lines on
// stdout and answers through its exit code: 0 done, 1 check failed or timed
// out, 2 bad usage. Run "tvdriver" alone for the list of subcommands.
//
// The data file layout and the settings record are written out here on
// purpose instead of being taken from the program's headers, so that a
// mistake in those headers cannot hide itself.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char BAR_CLASS[] = "TXClass";
const char BAR_TITLE[] = "Tolvex";
const char SETTINGS_KEY[] = "Software\\Tolvex";
const char SETTINGS_VALUE[] = "User_Vars";
const char DATA_FILE[] = "apps.tx";
const char DATA_TMP[] = "apps.tx.tmp";

enum {
    MENU_RECORD = 48,
    MENU_NAME = 30,
    MENU_COUNT_AT = 32,
    APP_RECORD = 232,
    APP_PATH = 80,
    APP_WORKDIR = 80,
    APP_PARAMS = 30,
    APP_NAME = 30,
    APP_WORKDIR_AT = 80,
    APP_PARAMS_AT = 160,
    APP_NAME_AT = 190,
    APP_SEPARATOR_AT = 220,
    SETTINGS_SIZE = 92,
    WAV_PATH_AT = 12,
    WAV_PATH = 80,
    MSGBOX_TEXT_ID = 0xFFFF,
    POLL_MS = 25
};

// ---- small helpers ---------------------------------------------------------

long Number(const char* text)
{
    return strtol(text, nullptr, 0);
}

// "-" stands for "any" where a class or title is asked for.
const char* AnyOr(const char* text)
{
    return strcmp(text, "-") == 0 ? nullptr : text;
}

void PrintHandle(const char* key, const void* handle)
{
    printf("%s=0x%lx\n", key, (unsigned long)(ULONG_PTR)handle);
}

// A window named on the command line: "bar" or a handle in hex.
HWND WindowArg(const char* text)
{
    if (strcmp(text, "bar") == 0)
        return FindWindowA(BAR_CLASS, BAR_TITLE);
    return (HWND)(ULONG_PTR)strtoul(text, nullptr, 16);
}

// Prints a text so that a shell script can compare it with a literal:
// control characters and the backslash are escaped C-style.
void PrintEscaped(const wchar_t* text)
{
    for (; *text; ++text) {
        wchar_t c = *text;
        if (c == L'\n')
            fputs("\\n", stdout);
        else if (c == L'\r')
            fputs("\\r", stdout);
        else if (c == L'\t')
            fputs("\\t", stdout);
        else if (c == L'\\')
            fputs("\\\\", stdout);
        else if (c < 0x20 || c >= 0x7F)
            printf("\\u%04x", (unsigned)c);
        else
            putchar((int)c);
    }
}

// A fixed-size text field of the data file or the settings record; a field
// with no NUL is shown with a marker rather than run past.
void PrintField(const unsigned char* field, size_t size)
{
    size_t len = 0;
    while (len < size && field[len])
        ++len;
    for (size_t i = 0; i < len; ++i) {
        unsigned char c = field[i];
        if (c < 0x20 || c >= 0x7F || c == '|')
            printf("\\x%02x", c);
        else
            putchar(c);
    }
    if (len == size)
        fputs("<unterminated>", stdout);
}

// Waits until test() yields a window or the time is up.
template <typename Test>
HWND WaitFor(DWORD timeoutMs, Test test)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND found = test();
        if (found)
            return found;
        if (GetTickCount() - start >= timeoutMs)
            return nullptr;
        Sleep(POLL_MS);
    }
}

// ---- windows -----------------------------------------------------------------

struct CountRequest {
    const char* cls;
    const char* title;
    int count;
};

BOOL CALLBACK CountOne(HWND hwnd, LPARAM lParam)
{
    CountRequest* request = (CountRequest*)lParam;
    char text[256];
    if (request->cls) {
        GetClassNameA(hwnd, text, sizeof text);
        if (strcmp(text, request->cls) != 0)
            return TRUE;
    }
    if (request->title) {
        GetWindowTextA(hwnd, text, sizeof text);
        if (strcmp(text, request->title) != 0)
            return TRUE;
    }
    ++request->count;
    return TRUE;
}

// wait-window CLASS TITLE MS [NOT_HWND]: a visible top-level window, other
// than NOT_HWND (the bar before a display change, say).
int WaitWindow(int, char** argv)
{
    const char* cls = AnyOr(argv[0]);
    const char* title = AnyOr(argv[1]);
    HWND other = argv[3] ? WindowArg(argv[3]) : nullptr;
    HWND hwnd = WaitFor(Number(argv[2]), [&]() -> HWND {
        HWND h = FindWindowA(cls, title);
        return h && h != other && IsWindowVisible(h) ? h : nullptr;
    });
    if (!hwnd) {
        fprintf(stderr, "no window %s/%s\n", argv[0], argv[1]);
        return 1;
    }
    PrintHandle("hwnd", hwnd);
    return 0;
}

// wait-gone CLASS TITLE MS
int WaitGone(int, char** argv)
{
    const char* cls = AnyOr(argv[0]);
    const char* title = AnyOr(argv[1]);
    HWND still = nullptr;
    HWND gone = WaitFor(Number(argv[2]), [&]() -> HWND {
        still = FindWindowA(cls, title);
        return still ? nullptr : GetDesktopWindow();
    });
    if (!gone) {
        PrintHandle("still", still);
        return 1;
    }
    return 0;
}

// count CLASS TITLE: top-level windows, shown or not.
int Count(int, char** argv)
{
    CountRequest request = {AnyOr(argv[0]), AnyOr(argv[1]), 0};
    EnumWindows(CountOne, (LPARAM)&request);
    printf("count=%d\n", request.count);
    return 0;
}

// info WINDOW
int Info(int, char** argv)
{
    HWND hwnd = WindowArg(argv[0]);
    if (!hwnd || !IsWindow(hwnd)) {
        fprintf(stderr, "no window %s\n", argv[0]);
        return 1;
    }
    char text[256];
    RECT rect;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    GetWindowRect(hwnd, &rect);
    PrintHandle("hwnd", hwnd);
    GetClassNameA(hwnd, text, sizeof text);
    printf("class=%s\n", text);
    GetWindowTextA(hwnd, text, sizeof text);
    printf("title=%s\n", text);
    printf("style=0x%08lx\n", (unsigned long)GetWindowLongA(hwnd, GWL_STYLE));
    printf("exstyle=0x%08lx\n", (unsigned long)GetWindowLongA(hwnd, GWL_EXSTYLE));
    printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    printf("visible=%d\n", IsWindowVisible(hwnd) ? 1 : 0);
    PrintHandle("owner", GetWindow(hwnd, GW_OWNER));
    printf("pid=%lu\n", (unsigned long)pid);
    return 0;
}

// metrics: the screen, the caption height and the work area.
int Metrics(int, char**)
{
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    printf("workarea=%ld,%ld,%ld,%ld\n", work.left, work.top, work.right, work.bottom);
    printf("cxscreen=%d\n", GetSystemMetrics(SM_CXSCREEN));
    printf("cyscreen=%d\n", GetSystemMetrics(SM_CYSCREEN));
    printf("cycaption=%d\n", GetSystemMetrics(SM_CYCAPTION));
    return 0;
}

// ping WINDOW: the window's thread still answers messages.
int Ping(int, char** argv)
{
    DWORD_PTR result = 0;
    HWND hwnd = WindowArg(argv[0]);
    if (!hwnd || !SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) {
        fprintf(stderr, "no answer from %s\n", argv[0]);
        return 1;
    }
    return 0;
}

// Posted rather than sent: handling a command may open a modal box, and
// the driver has to be free to answer it.
int PostTo(const char* window, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = WindowArg(window);
    if (!hwnd || !PostMessageA(hwnd, message, wParam, lParam)) {
        fprintf(stderr, "cannot post to %s\n", window);
        return 1;
    }
    return 0;
}

// post WINDOW MESSAGE WPARAM LPARAM
int Post(int, char** argv)
{
    return PostTo(argv[0], (UINT)Number(argv[1]), (WPARAM)Number(argv[2]), (LPARAM)Number(argv[3]));
}

// command WINDOW ID
int Command(int, char** argv)
{
    return PostTo(argv[0], WM_COMMAND, (WPARAM)(Number(argv[1]) & 0xFFFF), 0);
}

// displaychange WINDOW: as the system sends it, with the current mode.
int DisplayChange(int, char** argv)
{
    HDC screen = GetDC(nullptr);
    int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return PostTo(argv[0], WM_DISPLAYCHANGE, (WPARAM)bits, size);
}

// ---- message boxes -----------------------------------------------------------

HWND FindBox(const char* title)
{
    HWND box = FindWindowA("#32770", title);
    return box && IsWindowVisible(box) ? box : nullptr;
}

// box TITLE MS [BUTTON]: waits for a message box, prints its owner and
// text, and closes it with OK or the given button (6 Yes, 7 No).
int Box(int, char** argv)
{
    const char* title = argv[0];
    DWORD timeout = Number(argv[1]);
    HWND box = WaitFor(timeout, [&] { return FindBox(title); });
    if (!box) {
        fprintf(stderr, "no box titled %s\n", title);
        return 1;
    }
    // The box's static text is filled in before the box is shown; reading it
    // wide keeps any character the ANSI round trip would lose.
    wchar_t text[1024] = L"";
    GetWindowTextW(GetDlgItem(box, MSGBOX_TEXT_ID), text, sizeof text / sizeof text[0]);
    PrintHandle("owner", GetWindow(box, GW_OWNER));
    fputs("text=", stdout);
    PrintEscaped(text);
    putchar('\n');
    fflush(stdout);

    int button = argv[2] ? (int)Number(argv[2]) : IDOK;
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
    HWND closed = WaitFor(timeout, [&]() -> HWND { return IsWindow(box) ? nullptr : GetDesktopWindow(); });
    if (!closed) {
        fprintf(stderr, "box %s did not close\n", title);
        return 1;
    }
    return 0;
}

// no-box TITLE MS: no message box with that title shows up within MS.
int NoBox(int, char** argv)
{
    const char* title = argv[0];
    HWND box = WaitFor(Number(argv[1]), [&] { return FindWindowA("#32770", title); });
    if (box) {
        wchar_t text[1024] = L"";
        GetWindowTextW(GetDlgItem(box, MSGBOX_TEXT_ID), text, sizeof text / sizeof text[0]);
        fputs("text=", stdout);
        PrintEscaped(text);
        putchar('\n');
        return 1;
    }
    return 0;
}

// ---- dialogs -------------------------------------------------------------------
// A dialog is named by its title; its controls by their ids. List-box text
// is read with the wide calls: across processes the ANSI LB_GETTEXT comes
// back as UTF-16.

HWND DialogArg(const char* title)
{
    HWND dialog = WaitFor(5000, [&] { return FindBox(title); });
    if (!dialog)
        fprintf(stderr, "no dialog %s\n", title);
    return dialog;
}

// Waits until the window's process has handled what was posted to it:
// sent messages would otherwise overtake posted commands.
void Settle(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (process) {
        WaitForInputIdle(process, 5000);
        CloseHandle(process);
    }
}

// dlg TITLE: every control as key=value lines: text.ID, enabled.ID,
// checked.ID (buttons), rows.ID and sel.ID (list boxes, rows joined by |),
// and focus=ID.
int Dialog(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    if (!dialog)
        return 1;
    Settle(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        if (id == 0xFFFF)
            continue;  // labels
        char cls[64];
        wchar_t text[512] = L"";
        GetClassNameA(child, cls, sizeof cls);
        // GetWindowText would give another process's edit its caption only.
        SendMessageW(child, WM_GETTEXT, 512, (LPARAM)text);
        printf("text.%d=", id);
        PrintEscaped(text);
        printf("\nenabled.%d=%d\n", id, IsWindowEnabled(child) ? 1 : 0);
        LONG type = GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK;
        if (_stricmp(cls, "Button") == 0 && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX))
            printf("checked.%d=%d\n", id, (int)SendMessageW(child, BM_GETCHECK, 0, 0));
        if (_stricmp(cls, "ListBox") == 0) {
            int count = (int)SendMessageW(child, LB_GETCOUNT, 0, 0);
            printf("rows.%d=", id);
            for (int i = 0; i < count; ++i) {
                wchar_t row[256] = L"";
                if (SendMessageW(child, LB_GETTEXTLEN, i, 0) < 256)
                    SendMessageW(child, LB_GETTEXT, i, (LPARAM)row);
                fputs(i ? "|" : "", stdout);
                PrintEscaped(row);
            }
            printf("\nsel.%d=%d\n", id, (int)SendMessageW(child, LB_GETCURSEL, 0, 0));
        }
    }
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info) && info.hwndFocus)
        printf("focus=%d\n", GetDlgCtrlID(info.hwndFocus));
    return 0;
}

// click TITLE ID [NOTIFY]: WM_COMMAND from the control, posted, since it may
// open a modal box or dialog that the driver then has to answer.
int Click(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    int id = (int)Number(argv[1]);
    WORD notify = argv[2] ? (WORD)Number(argv[2]) : BN_CLICKED;
    if (!dialog || !PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notify), (LPARAM)GetDlgItem(dialog, id)))
        return 1;
    return 0;
}

// press TITLE ID: a click on the button itself, which an auto check box
// answers by changing its state before it tells the dialog.
int Press(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    HWND button = dialog ? GetDlgItem(dialog, (int)Number(argv[1])) : nullptr;
    return button && PostMessageA(button, BM_CLICK, 0, 0) ? 0 : 1;
}

// select TITLE ID ROW [double]: selects a list row and tells the dialog as a
// user's click would (LBN_SELCHANGE), or a double click (then LBN_DBLCLK).
int Select(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    int id = (int)Number(argv[1]);
    if (!dialog || SendDlgItemMessageW(dialog, id, LB_SETCURSEL, Number(argv[2]), 0) == LB_ERR)
        return 1;
    LPARAM list = (LPARAM)GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), list);
    if (argv[3] && strcmp(argv[3], "double") == 0)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_DBLCLK), list);
    return 0;
}

// set-text TITLE ID TEXT
int SetText(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    return dialog && SetDlgItemTextA(dialog, (int)Number(argv[1]), argv[2]) ? 0 : 1;
}

// key TITLE VK: a key pressed and released in the dialog, through its
// own keyboard handling (Esc, Enter).
int Key(int, char** argv)
{
    HWND dialog = DialogArg(argv[0]);
    WPARAM vk = (WPARAM)Number(argv[1]);
    if (!dialog)
        return 1;
    PostMessageA(dialog, WM_KEYDOWN, vk, 1);
    PostMessageA(dialog, WM_KEYUP, vk, 0xC0000001);
    return 0;
}

// ---- another program's maximized window ----------------------------------------

// maximize [MS]: shows a top-level window of this process maximized, lets
// it handle its messages for MS, and prints where it ended.
int Maximize(int, char** argv)
{
    DWORD settle = argv[0] ? Number(argv[0]) : 300;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TVDriverWindow";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "tvdriver", WS_OVERLAPPEDWINDOW, 40, 60, 320, 200, nullptr,
                                nullptr, wc.hInstance, nullptr);
    if (!hwnd) {
        fprintf(stderr, "CreateWindowExA failed: %lu\n", GetLastError());
        return 1;
    }
    ShowWindow(hwnd, SW_MAXIMIZE);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < settle) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    RECT rect;
    GetWindowRect(hwnd, &rect);
    printf("rect=%ld,%ld,%ld,%ld\n", rect.left, rect.top, rect.right, rect.bottom);
    printf("zoomed=%d\n", IsZoomed(hwnd) ? 1 : 0);
    DestroyWindow(hwnd);
    return 0;
}

// ---- the settings record in the registry -----------------------------------------

// Reads User_Vars; size -1 when the value (or its key) is absent.
long ReadSettings(unsigned char* data, DWORD capacity)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return -1;
    DWORD type = 0, size = capacity;
    LONG status = RegQueryValueExA(key, SETTINGS_VALUE, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return -1;
    if (type != REG_BINARY) {
        fprintf(stderr, "User_Vars has type %lu\n", (unsigned long)type);
        return -1;
    }
    return (long)size;
}

// reg-get: the value as hex, or "absent".
int RegGet(int, char**)
{
    unsigned char data[1024];
    long size = ReadSettings(data, sizeof data);
    if (size < 0) {
        puts("absent");
        return 0;
    }
    for (long i = 0; i < size; ++i)
        printf("%02x", data[i]);
    putchar('\n');
    return 0;
}

// reg-fields: the value field by field.
int RegFields(int, char**)
{
    unsigned char data[1024];
    long size = ReadSettings(data, sizeof data);
    printf("size=%ld\n", size);
    if (size != SETTINGS_SIZE)
        return 0;
    LONG fields[3];
    memcpy(fields, data, sizeof fields);
    printf("stayOnTop=%ld\nchime=%ld\nreserved=%ld\nwavPath=", (long)fields[0], (long)fields[1], (long)fields[2]);
    PrintField(data + WAV_PATH_AT, WAV_PATH);
    putchar('\n');
    return 0;
}

// reg-set HEX [TYPE]: writes User_Vars, creating the key, as REG_BINARY or
// as TYPE: sz, dword or a number (the bytes are the HEX ones either way).
int RegSet(int, char** argv)
{
    DWORD type = REG_BINARY;
    if (argv[1])
        type = strcmp(argv[1], "sz") == 0 ? REG_SZ : strcmp(argv[1], "dword") == 0 ? REG_DWORD : Number(argv[1]);
    const char* hex = argv[0];
    size_t digits = strlen(hex);
    unsigned char data[1024];
    if (digits % 2 || digits / 2 > sizeof data) {
        fprintf(stderr, "bad hex\n");
        return 2;
    }
    for (size_t i = 0; i < digits / 2; ++i) {
        char pair[3] = {hex[2 * i], hex[2 * i + 1], 0};
        data[i] = (unsigned char)strtoul(pair, nullptr, 16);
    }
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 1;
    LONG status = RegSetValueExA(key, SETTINGS_VALUE, 0, type, data, (DWORD)(digits / 2));
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? 0 : 1;
}

// reg-delete: removes User_Vars (the key stays).
int RegDelete(int, char**)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SETTINGS_KEY, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return 0;
    RegDeleteValueA(key, SETTINGS_VALUE);
    RegCloseKey(key);
    return 0;
}

// ---- the data file -----------------------------------------------------------------

void PutText(unsigned char* field, size_t size, const char* text)
{
    size_t len = strlen(text);
    if (len >= size)
        len = size - 1;
    memcpy(field, text, len);
}

// Splits "a|b|c" in place into at most max parts; missing parts are "".
int Split(char* text, char** parts, int max)
{
    int n = 0;
    parts[n++] = text;
    for (char* p = text; *p && n < max; ++p) {
        if (*p == '|') {
            *p = '\0';
            parts[n++] = p + 1;
        }
    }
    for (int i = n; i < max; ++i)
        parts[i] = (char*)"";
    return n;
}

// write-data FILE ITEM...: ITEM is one of
//   version=N                        (default 100)
//   m=NAME[|COUNT]                   a menu; COUNT defaults to its a= items
//   a=NAME|PATH|WORKDIR|PARAMS|SEP   an application of the menu before it
// Link slots, the reserved bytes and the bytes after each NUL are zero.
int WriteData(int argc, char** argv)
{
    static unsigned char out[256 * 1024];
    size_t size = 4;
    LONG version = 100;
    size_t menuAt = 0;  // 0: no menu yet
    bool countGiven = false;
    LONG apps = 0;
    auto closeMenu = [&] {
        if (menuAt && !countGiven)
            memcpy(out + menuAt + MENU_COUNT_AT, &apps, 4);
    };
    for (int i = 1; i < argc; ++i) {
        char* item = argv[i];
        char* parts[5];
        if (strncmp(item, "version=", 8) == 0) {
            version = Number(item + 8);
        } else if (strncmp(item, "m=", 2) == 0) {
            closeMenu();
            if (size + MENU_RECORD > sizeof out)
                return 2;
            menuAt = size;
            size += MENU_RECORD;
            countGiven = Split(item + 2, parts, 2) == 2;
            apps = 0;
            PutText(out + menuAt, MENU_NAME, parts[0]);
            if (countGiven) {
                LONG count = Number(parts[1]);
                memcpy(out + menuAt + MENU_COUNT_AT, &count, 4);
            }
        } else if (strncmp(item, "a=", 2) == 0 && menuAt) {
            if (size + APP_RECORD > sizeof out)
                return 2;
            unsigned char* app = out + size;
            size += APP_RECORD;
            ++apps;
            Split(item + 2, parts, 5);
            PutText(app + APP_NAME_AT, APP_NAME, parts[0]);
            PutText(app, APP_PATH, parts[1]);
            PutText(app + APP_WORKDIR_AT, APP_WORKDIR, parts[2]);
            PutText(app + APP_PARAMS_AT, APP_PARAMS, parts[3]);
            DWORD separator = (DWORD)Number(parts[4]);
            memcpy(app + APP_SEPARATOR_AT, &separator, 4);
        } else {
            fprintf(stderr, "bad item: %s\n", item);
            return 2;
        }
    }
    closeMenu();
    memcpy(out, &version, 4);
    FILE* file = fopen(argv[0], "wb");
    if (!file)
        return 1;
    bool written = fwrite(out, 1, size, file) == size;
    return fclose(file) == 0 && written ? 0 : 1;
}

// dump-data FILE: the file's size and meaningful fields, in write-data's
// syntax (menus with their stored counts), one record a line.
int DumpData(int, char** argv)
{
    static unsigned char in[256 * 1024];
    FILE* file = fopen(argv[0], "rb");
    if (!file) {
        puts("absent");
        return 0;
    }
    size_t size = fread(in, 1, sizeof in, file);
    fclose(file);
    printf("size=%u\n", (unsigned)size);
    if (size < 4) {
        puts("short");
        return 0;
    }
    LONG version;
    memcpy(&version, in, 4);
    printf("version=%ld\n", (long)version);
    size_t at = 4;
    while (size - at >= MENU_RECORD) {
        const unsigned char* menu = in + at;
        at += MENU_RECORD;
        LONG count;
        memcpy(&count, menu + MENU_COUNT_AT, 4);
        fputs("m=", stdout);
        PrintField(menu, MENU_NAME);
        printf("|%ld\n", (long)count);
        for (LONG j = 0; j < count; ++j) {
            if (size - at < APP_RECORD) {
                puts("truncated");
                return 0;
            }
            const unsigned char* app = in + at;
            at += APP_RECORD;
            DWORD separator;
            memcpy(&separator, app + APP_SEPARATOR_AT, 4);
            fputs("a=", stdout);
            PrintField(app + APP_NAME_AT, APP_NAME);
            putchar('|');
            PrintField(app, APP_PATH);
            putchar('|');
            PrintField(app + APP_WORKDIR_AT, APP_WORKDIR);
            putchar('|');
            PrintField(app + APP_PARAMS_AT, APP_PARAMS);
            printf("|%lu\n", (unsigned long)separator);
        }
    }
    if (at != size)
        printf("trailing=%u\n", (unsigned)(size - at));
    return 0;
}

// gen-data FILE MENUS APPS: a large data file, MENUS menus "Menu NNN" of APPS
// entries each, every fifth with a separator above it.
int GenData(int, char** argv)
{
    long menus = Number(argv[1]), apps = Number(argv[2]);
    if (menus < 1 || apps < 0)
        return 2;
    FILE* file = fopen(argv[0], "wb");
    if (!file)
        return 1;
    LONG version = 100;
    bool written = fwrite(&version, 4, 1, file) == 1;
    for (long m = 1; m <= menus && written; ++m) {
        unsigned char menu[MENU_RECORD] = {};
        char text[APP_PATH];
        snprintf(text, sizeof text, "Menu %03ld", m);
        PutText(menu, MENU_NAME, text);
        LONG count = apps;
        memcpy(menu + MENU_COUNT_AT, &count, 4);
        written = fwrite(menu, sizeof menu, 1, file) == 1;
        for (long a = 1; a <= apps && written; ++a) {
            unsigned char app[APP_RECORD] = {};
            snprintf(text, sizeof text, "C:\\apps\\m%03ld\\a%02ld.exe", m, a);
            PutText(app, APP_PATH, text);
            snprintf(text, sizeof text, "C:\\apps\\m%03ld", m);
            PutText(app + APP_WORKDIR_AT, APP_WORKDIR, text);
            snprintf(text, sizeof text, "-n %ld", a);
            PutText(app + APP_PARAMS_AT, APP_PARAMS, text);
            snprintf(text, sizeof text, "App %03ld.%02ld", m, a);
            PutText(app + APP_NAME_AT, APP_NAME, text);
            DWORD separator = a % 5 == 0;
            memcpy(app + APP_SEPARATOR_AT, &separator, 4);
            written = fwrite(app, sizeof app, 1, file) == 1;
        }
    }
    return fclose(file) == 0 && written ? 0 : 1;
}

// hold FILE MS: keeps FILE open without sharing for MS, as a scanner or a
// sync tool might; prints held=1 once it holds it.
int Hold(int, char** argv)
{
    HANDLE file = CreateFileA(argv[0], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        printf("error=%lu\n", GetLastError());
        return 1;
    }
    puts("held=1");
    fflush(stdout);
    Sleep(Number(argv[1]));
    CloseHandle(file);
    return 0;
}

// ---- a process's resources -------------------------------------------------------
// Under Wine 8 GetGuiResources is not implemented (0, error 120) and
// GetProcessHandleCount reads 0, so the same things are also counted the
// ways Wine keeps them: the system handle table, the process's GDI handle
// table, its windows, and the session's table of USER handles.
//
// Wine keeps up to 64 window DCs in a cache, each with a region and one
// more object, and fills it slowly as windows come and go; the program
// itself makes no DC or region. So the GDI count is also given without them.

struct Counters {
    DWORD apiUser, apiGdi, apiHandles;
    long handles, gdi, gdiDcs, gdiOther, windows, sessionUser;
    SIZE_T pagefile, privateBytes;
};

typedef LONG(WINAPI* QuerySystemFn)(ULONG, void*, ULONG, ULONG*);
typedef LONG(WINAPI* QueryProcessFn)(HANDLE, ULONG, void*, ULONG, ULONG*);

FARPROC NtFunction(const char* name)
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), name);
}

// Entries of the system handle table (SystemHandleInformation) owned by pid.
long HandleTableCount(DWORD pid)
{
    struct Entry {
        ULONG pid;
        UCHAR type, flags;
        USHORT handle;
        void* object;
        ACCESS_MASK access;
    };
    QuerySystemFn query = (QuerySystemFn)(void (*)())NtFunction("NtQuerySystemInformation");
    for (ULONG size = 1 << 16; query && size <= (1u << 26); size *= 2) {
        ULONG* table = (ULONG*)malloc(size);
        LONG status = query(SystemHandleInformation, table, size, nullptr);
        long count = -1;
        if (status == 0) {
            const Entry* entries = (const Entry*)(table + 1);
            count = 0;
            for (ULONG i = 0; i < table[0]; ++i)
                count += entries[i].pid == pid;
        }
        free(table);
        if (status != (LONG)0xC0000004)  // anything but "too small"
            return count;
    }
    return -1;
}

// GDI handles in use in the process's table, which its PEB points to, in
// all and by type.
long GdiTableCount(HANDLE process, long byType[256])
{
    struct Entry {
        ULONGLONG object;
        ULONG owner;
        USHORT unique;
        UCHAR type, flags;
        ULONGLONG user;
    };
    enum { GDI_TABLE_AT = 0x94, GDI_ENTRIES = 0x10000 };
    QueryProcessFn query = (QueryProcessFn)(void (*)())NtFunction("NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic;
    void* table = nullptr;
    if (!query || query(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, (char*)basic.PebBaseAddress + GDI_TABLE_AT, &table, sizeof table, nullptr) ||
        !table)
        return -1;
    static Entry entries[GDI_ENTRIES];
    if (!ReadProcessMemory(process, table, entries, sizeof entries, nullptr))
        return -1;
    long count = 0;
    memset(byType, 0, 256 * sizeof byType[0]);
    for (const Entry& entry : entries) {
        count += entry.type != 0;
        byType[entry.type]++;
    }
    return count;
}

struct WindowCount {
    DWORD pid;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    ++((WindowCount*)lParam)->count;
    return TRUE;
}

BOOL CALLBACK CountProcessWindow(HWND hwnd, LPARAM lParam)
{
    WindowCount* request = (WindowCount*)lParam;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == request->pid) {
        ++request->count;
        EnumChildWindows(hwnd, CountChild, lParam);
    }
    return TRUE;
}

// USER handles in use in the whole session. Wine hands out a freed slot of
// its one table first and a fresh one (generation 1) only when none is free,
// so once a batch of new menus reaches a fresh slot, every slot below the
// highest is taken: by the batch or by someone else.
long SessionUserHandles()
{
    enum { FIRST_USER_HANDLE = 0x20, MAX_BATCH = 32768 };
    static HMENU menus[MAX_BATCH];
    long made = 0, highest = -1;
    bool fresh = false;
    while (!fresh && made < MAX_BATCH) {
        HMENU menu = CreateMenu();
        if (!menu)
            break;
        menus[made++] = menu;
        long index = ((long)(LOWORD((ULONG_PTR)menu)) - FIRST_USER_HANDLE) >> 1;
        highest = index > highest ? index : highest;
        fresh = HIWORD((ULONG_PTR)menu) == 1;
    }
    for (long i = 0; i < made; ++i)
        DestroyMenu(menus[i]);
    return fresh ? highest + 1 - made : -1;
}

Counters Measure(HANDLE process, DWORD pid)
{
    Counters c = {};
    c.apiUser = GetGuiResources(process, GR_USEROBJECTS);
    c.apiGdi = GetGuiResources(process, GR_GDIOBJECTS);
    GetProcessHandleCount(process, &c.apiHandles);
    c.handles = HandleTableCount(pid);
    enum { GDI_DC = 1, GDI_REGION = 4, GDI_DC_EXTRA = 5 };
    long byType[256];
    c.gdi = GdiTableCount(process, byType);
    c.gdiDcs = byType[GDI_DC];
    c.gdiOther = c.gdi - byType[GDI_DC] - byType[GDI_REGION] - byType[GDI_DC_EXTRA];
    WindowCount windows = {pid, 0};
    EnumWindows(CountProcessWindow, (LPARAM)&windows);
    c.windows = windows.count;
    c.sessionUser = SessionUserHandles();
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof memory);
    c.pagefile = memory.PagefileUsage;
    c.privateBytes = memory.PrivateUsage;
    return c;
}

void PrintCounters(const char* prefix, const Counters& c)
{
    printf("%sapi.user=%lu\n%sapi.gdi=%lu\n%sapi.handles=%lu\n", prefix, (unsigned long)c.apiUser, prefix,
           (unsigned long)c.apiGdi, prefix, (unsigned long)c.apiHandles);
    printf("%shandles=%ld\n%sgdi=%ld\n%sgdi.dcs=%ld\n%sgdi.other=%ld\n", prefix, c.handles, prefix, c.gdi, prefix,
           c.gdiDcs, prefix, c.gdiOther);
    printf("%swindows=%ld\n%ssession.user=%ld\n", prefix, c.windows, prefix, c.sessionUser);
    printf("%spagefile=%lu\n%sprivate=%lu\n", prefix, (unsigned long)c.pagefile, prefix, (unsigned long)c.privateBytes);
    fflush(stdout);
}

const DWORD PROCESS_ACCESS = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE;

HANDLE OpenWindowProcess(HWND hwnd, DWORD* pid)
{
    *pid = 0;
    GetWindowThreadProcessId(hwnd, pid);
    return *pid ? OpenProcess(PROCESS_ACCESS, FALSE, *pid) : nullptr;
}

// counters WINDOW: the resources of the window's process.
int CountersOf(int, char** argv)
{
    DWORD pid;
    HANDLE process = OpenWindowProcess(WindowArg(argv[0]), &pid);
    if (!process) {
        fprintf(stderr, "no process for %s\n", argv[0]);
        return 1;
    }
    printf("pid=%lu\n", (unsigned long)pid);
    PrintCounters("", Measure(process, pid));
    CloseHandle(process);
    return 0;
}

// ---- long runs ---------------------------------------------------------------------
// Each step is posted and then waited for closely, in this process: a driver
// run per step would cost a Wine start each.

enum { STEP_TIMEOUT_MS = 20000 };

HWND WaitDialogQuickly(const char* title)
{
    DWORD start = GetTickCount();
    for (;;) {
        HWND dialog = FindBox(title);
        if (dialog)
            return dialog;
        if (GetTickCount() - start >= STEP_TIMEOUT_MS) {
            fprintf(stderr, "no dialog %s\n", title);
            return nullptr;
        }
        Sleep(1);
    }
}

bool WaitClosed(HWND window)
{
    DWORD start = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - start >= STEP_TIMEOUT_MS) {
            fprintf(stderr, "window %p stays open\n", (void*)window);
            return false;
        }
        Sleep(1);
    }
    return true;
}

// Posts a command to the bar or a dialog and waits for the dialog it opens.
HWND OpenDialog(HWND from, int id, const char* title)
{
    if (!PostMessageA(from, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(from, id)))
        return nullptr;
    return WaitDialogQuickly(title);
}

bool CloseDialog(HWND dialog, int button)
{
    return dialog &&
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button)) &&
        WaitClosed(dialog);
}

enum {
    IDM_EDITMENUS = 40004,
    IDM_OPTIONS = 40001,
    IDM_ABOUT = 40005,
    IDM_EXIT = 40006,
    IDC_MENULIST = 1004,
    IDC_NEWMENU = 1007,
    IDC_NEWAPP = 1008,
    IDC_MENUDOWN = 1029
};

// Every dialog once: User Menus with Menu Setup and Application Setup
// cancelled inside it and OK (a rebuild), then Options and About.
bool EveryDialog(HWND bar)
{
    HWND edit = OpenDialog(bar, IDM_EDITMENUS, "User Menus");
    if (!edit || !CloseDialog(OpenDialog(edit, IDC_NEWMENU, "Menu Setup"), IDCANCEL))
        return false;
    SendDlgItemMessageW(edit, IDC_MENULIST, LB_SETCURSEL, 0, 0);
    return CloseDialog(OpenDialog(edit, IDC_NEWAPP, "Application Setup"), IDCANCEL) && CloseDialog(edit, IDOK) &&
        CloseDialog(OpenDialog(bar, IDM_OPTIONS, "Tolvex Options"), IDCANCEL) &&
        CloseDialog(OpenDialog(bar, IDM_ABOUT, "About Tolvex"), IDOK);
}

// soak REBUILDS CYCLES: after one round of every dialog, REBUILDS times
// Edit Menus and OK, then CYCLES rounds of every dialog; the bar's resources
// before, after the rebuilds and at the end (before., rebuilt., after.).
int Soak(int, char** argv)
{
    long rebuilds = Number(argv[0]), cycles = Number(argv[1]);
    HWND bar = WindowArg("bar");
    DWORD pid;
    HANDLE process = bar ? OpenWindowProcess(bar, &pid) : nullptr;
    if (!process || !EveryDialog(bar)) {
        fprintf(stderr, "no bar, or its first round failed\n");
        return 1;
    }
    PrintCounters("before.", Measure(process, pid));
    DWORD start = GetTickCount();
    for (long i = 0; i < rebuilds; ++i) {
        if (!CloseDialog(OpenDialog(bar, IDM_EDITMENUS, "User Menus"), IDOK)) {
            fprintf(stderr, "rebuild %ld failed\n", i + 1);
            return 1;
        }
    }
    printf("rebuilds=%ld\nrebuild_ms=%lu\n", rebuilds, GetTickCount() - start);
    PrintCounters("rebuilt.", Measure(process, pid));
    start = GetTickCount();
    for (long i = 0; i < cycles; ++i) {
        if (!EveryDialog(bar)) {
            fprintf(stderr, "dialog round %ld failed\n", i + 1);
            return 1;
        }
    }
    printf("cycles=%ld\ncycle_ms=%lu\n", cycles, GetTickCount() - start);
    PrintCounters("after.", Measure(process, pid));
    CloseHandle(process);
    return 0;
}

// ---- killed while saving ---------------------------------------------------------

bool ReadAll(const char* name, std::string* bytes)
{
    FILE* file = fopen(name, "rb");
    if (!file)
        return false;
    bytes->clear();
    char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes->append(chunk, got);
    fclose(file);
    return true;
}

// The file with its first two menus (each with its entries) swapped: what
// moving the first menu down and saving writes.
bool SwapFirstMenus(const std::string& file, std::string* swapped)
{
    size_t at = 4, blocks[2];
    for (size_t& block : blocks) {
        LONG count;
        if (file.size() < at + MENU_RECORD)
            return false;
        memcpy(&count, file.data() + at + MENU_COUNT_AT, 4);
        block = MENU_RECORD + (size_t)count * APP_RECORD;
        at += block;
    }
    if (at > file.size())
        return false;
    *swapped = file.substr(0, 4) + file.substr(4 + blocks[0], blocks[1]) + file.substr(4, blocks[0]) + file.substr(at);
    return true;
}

double Now()
{
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

bool FileThere(const char* name)
{
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// A file's size and last write, or zeros when it is not there: whether a
// save wrote to it in between.
ULONGLONG FileStamp(const char* name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data))
        return 0;
    return ((ULONGLONG)data.ftLastWriteTime.dwHighDateTime << 32 | data.ftLastWriteTime.dwLowDateTime) ^
        data.nFileSizeLow;
}

// Starts the bar and waits for its window; false, with the box's text, when
// it shows a box instead.
bool StartBar(const char* exe, PROCESS_INFORMATION* started, HWND* bar)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    char command[MAX_PATH + 2];
    snprintf(command, sizeof command, "\"%s\"", exe);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, started)) {
        fprintf(stderr, "cannot start %s: %lu\n", exe, GetLastError());
        return false;
    }
    CloseHandle(started->hThread);
    DWORD start = GetTickCount();
    while (GetTickCount() - start < STEP_TIMEOUT_MS) {
        HWND found = FindWindowA(BAR_CLASS, BAR_TITLE);
        if (found && IsWindowVisible(found)) {
            *bar = found;
            return true;
        }
        for (const char* title : {"Fatal Tolvex Error", "Tolvex"}) {
            if (HWND box = FindBox(title)) {
                wchar_t text[512] = L"";
                GetWindowTextW(GetDlgItem(box, MSGBOX_TEXT_ID), text, 512);
                fputs("the bar showed a box instead: ", stderr);
                fputws(text, stderr);
                fputc('\n', stderr);
                return false;
            }
        }
        Sleep(5);
    }
    fprintf(stderr, "no bar window\n");
    return false;
}

// Starts the bar, moves its first menu down in User Menus and presses OK;
// the save starts then. The time of the OK in *okAt.
bool StartSave(const char* exe, PROCESS_INFORMATION* started, double* okAt)
{
    HWND bar, edit;
    if (!StartBar(exe, started, &bar) || !(edit = OpenDialog(bar, IDM_EDITMENUS, "User Menus")))
        return false;
    // Sent, so that they are done before the OK is posted.
    HWND list = GetDlgItem(edit, IDC_MENULIST);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SendMessageW(edit, WM_COMMAND, MAKEWPARAM(IDC_MENULIST, LBN_SELCHANGE), (LPARAM)list);
    SendMessageW(edit, WM_COMMAND, MAKEWPARAM(IDC_MENUDOWN, BN_CLICKED), (LPARAM)GetDlgItem(edit, IDC_MENUDOWN));
    *okAt = Now();
    return PostMessageA(edit, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(edit, IDOK)) != 0;
}

// kill-save EXE RUNS: first one save watched to its end, to time it; then
// RUNS times the same save, with the bar terminated at moments spread from
// the OK to twice the length of that save. After each, apps.tx must be byte
// for byte the file before the save or the one it writes, and the next start
// (the next run's, or a last one that exits) must load it. A run whose save
// had written to apps.tx.tmp and not yet replaced apps.tx is counted as
// killed in the middle.
int KillSave(int, char** argv)
{
    const char* exe = argv[0];
    long runs = Number(argv[1]);
    std::string before, after, expected;
    PROCESS_INFORMATION bar;
    double okAt, tmpAt = 0, doneAt = 0;

    if (!ReadAll(DATA_FILE, &before) || !SwapFirstMenus(before, &expected) || !StartSave(exe, &bar, &okAt))
        return 1;
    bool tmpSeen = false;
    while (Now() - okAt < STEP_TIMEOUT_MS / 1000.0) {
        bool there = FileThere(DATA_TMP);
        if (there && !tmpSeen)
            tmpAt = Now() - okAt;
        tmpSeen = tmpSeen || there;
        if (tmpSeen && !there)
            break;
    }
    doneAt = Now() - okAt;
    // Exit only once the dialog has closed: the bar is not to be ended
    // under an open dialog.
    HWND edit = FindBox("User Menus");
    if (edit && !WaitClosed(edit))
        return 1;
    PostMessageA(FindWindowA(BAR_CLASS, BAR_TITLE), WM_COMMAND, IDM_EXIT, 0);
    if (WaitForSingleObject(bar.hProcess, STEP_TIMEOUT_MS) != WAIT_OBJECT_0 || !ReadAll(DATA_FILE, &after) ||
        after != expected) {
        fprintf(stderr, "the timed save did not end with the new file\n");
        return 1;
    }
    CloseHandle(bar.hProcess);
    printf("save_ms=%.1f\ntmp_from_ms=%.1f\n", doneAt * 1000, tmpAt * 1000);

    long kept = 0, replaced = 0, middle = 0;
    for (long run = 0; run < runs; ++run) {
        before = after;
        ULONGLONG tmpBefore = FileStamp(DATA_TMP);
        if (!SwapFirstMenus(before, &expected) || !StartSave(exe, &bar, &okAt))
            return 1;
        double delay = doneAt * 2 * (run + 0.5) / runs;
        while (Now() - okAt < delay) { }
        TerminateProcess(bar.hProcess, 9);
        WaitForSingleObject(bar.hProcess, STEP_TIMEOUT_MS);
        CloseHandle(bar.hProcess);
        if (!ReadAll(DATA_FILE, &after) || (after != before && after != expected)) {
            printf("run=%ld delay_ms=%.2f result=torn size=%u\n", run + 1, delay * 1000, (unsigned)after.size());
            return 1;
        }
        bool isNew = after == expected;
        bool inMiddle = !isNew && FileStamp(DATA_TMP) != tmpBefore;
        printf("run=%ld delay_ms=%.2f result=%s\n", run + 1, delay * 1000,
               isNew          ? "new"
                   : inMiddle ? "old, killed in the middle"
                              : "old");
        kept += !isNew;
        replaced += isNew;
        middle += inMiddle;
    }
    printf("runs=%ld\nold=%ld\nnew=%ld\nmiddle=%ld\n", runs, kept, replaced, middle);

    HWND last;
    if (!StartBar(exe, &bar, &last))
        return 1;
    PostMessageA(last, WM_COMMAND, IDM_EXIT, 0);
    DWORD code = 1;
    WaitForSingleObject(bar.hProcess, STEP_TIMEOUT_MS);
    GetExitCodeProcess(bar.hProcess, &code);
    CloseHandle(bar.hProcess);
    std::string final;
    bool same = ReadAll(DATA_FILE, &final) && final == after;
    printf("last_start_exit=%lu\nlast_start_kept_file=%d\n", (unsigned long)code, same);
    return code == 0 && same ? 0 : 1;
}

// ---- resources -------------------------------------------------------------------

void PrintMenu(HMENU menu, int level)
{
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = L"";
        GetMenuStringW(menu, i, text, 64, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        // A popup's state carries its item count in the high byte.
        printf("item=%d|", level);
        PrintEscaped(text);
        printf("|%u|0x%x\n", popup ? 0u : GetMenuItemID(menu, i), popup ? state & 0xFF : state);
        if (popup)
            PrintMenu(popup, level + 1);
    }
}

// resources EXE: the program's bar menu template 105, item by item
// (level|text|id|flags), and the images of its icon 102.
int Resources(int, char** argv)
{
    HMODULE module = LoadLibraryExA(argv[0], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        return 1;
    HMENU menu = LoadMenuW(module, MAKEINTRESOURCEW(105));
    if (!menu)
        return 1;
    PrintMenu(menu, 0);
    DestroyMenu(menu);

    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(102), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    const BYTE* dir = group ? static_cast<const BYTE*>(LockResource(LoadResource(module, group))) : nullptr;
    if (!dir)
        return 1;
    // GRPICONDIR: reserved, type, count; then 14-byte entries.
    WORD images = static_cast<WORD>(dir[4] | dir[5] << 8);
    for (WORD i = 0; i < images; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;
        WORD bits = static_cast<WORD>(entry[6] | entry[7] << 8);
        printf("icon=%ux%u colours=%u bits=%u\n", entry[0] ? entry[0] : 256u, entry[1] ? entry[1] : 256u, entry[2],
               bits);
    }
    printf("version=%s\n", FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16)) ? "yes" : "no");
    FreeLibrary(module);
    return 0;
}

// ---- dispatch --------------------------------------------------------------------

struct Subcommand {
    const char* name;
    int minArgs;
    const char* usage;
    int (*run)(int argc, char** argv);
};

const Subcommand SUBCOMMANDS[] = {
    {"wait-window", 3, "CLASS TITLE MS [NOT_HWND]", WaitWindow},
    {"wait-gone", 3, "CLASS TITLE MS", WaitGone},
    {"count", 2, "CLASS TITLE", Count},
    {"info", 1, "WINDOW", Info},
    {"metrics", 0, "", Metrics},
    {"ping", 1, "WINDOW", Ping},
    {"post", 4, "WINDOW MESSAGE WPARAM LPARAM", Post},
    {"command", 2, "WINDOW ID", Command},
    {"displaychange", 1, "WINDOW", DisplayChange},
    {"box", 2, "TITLE MS [BUTTON]", Box},
    {"dlg", 1, "TITLE", Dialog},
    {"click", 2, "TITLE ID [NOTIFY]", Click},
    {"press", 2, "TITLE ID", Press},
    {"select", 3, "TITLE ID ROW [double]", Select},
    {"set-text", 3, "TITLE ID TEXT", SetText},
    {"key", 2, "TITLE VK", Key},
    {"no-box", 2, "TITLE MS", NoBox},
    {"maximize", 0, "[MS]", Maximize},
    {"reg-get", 0, "", RegGet},
    {"reg-fields", 0, "", RegFields},
    {"reg-set", 1, "HEX [binary|sz|dword|TYPE]", RegSet},
    {"reg-delete", 0, "", RegDelete},
    {"write-data", 1, "FILE ITEM...", WriteData},
    {"gen-data", 3, "FILE MENUS APPS", GenData},
    {"dump-data", 1, "FILE", DumpData},
    {"hold", 2, "FILE MS", Hold},
    {"counters", 1, "WINDOW", CountersOf},
    {"soak", 2, "REBUILDS CYCLES", Soak},
    {"kill-save", 2, "EXE RUNS", KillSave},
    {"resources", 1, "EXE", Resources},
};

}  // namespace

int main(int argc, char** argv)
{
    // Plain \n line ends, so that scripts see no \r.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc >= 2) {
        for (const Subcommand& sub : SUBCOMMANDS) {
            if (strcmp(argv[1], sub.name) == 0) {
                if (argc - 2 < sub.minArgs)
                    break;
                int result = sub.run(argc - 2, argv + 2);
                fflush(stdout);
                return result;
            }
        }
    }
    fputs("usage: tvdriver SUBCOMMAND ARGS (WINDOW is \"bar\" or a handle in hex, \"-\" is any)\n", stderr);
    for (const Subcommand& sub : SUBCOMMANDS)
        fprintf(stderr, "  %s %s\n", sub.name, sub.usage);
    return 2;
}
