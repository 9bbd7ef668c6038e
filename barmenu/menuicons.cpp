// The program icons on the user popups' items. Menus keep the system's look:
// each item carries a 32-bit bitmap with alpha (MIIM_BITMAP), no drawing of
// our own. Nothing is fetched at start-up; a popup's icons are fetched on
// threads of their own when it is first about to open, since the shell may
// take long to answer for a path on a sleeping drive or a lost share.
#include "barmenu/barmenu.h"

#include <objbase.h>
#include <shellapi.h>
#include <string.h>

#include "base/dpi.h"
#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"

// How long an opening popup waits for its icons: within the time a popup
// takes to appear. What comes later is put on the items when it comes, and
// an open popup is drawn again with it. The shell answers for several files
// at once, and a path slow to answer holds up only its own thread.
enum { ICON_WAIT_MS = 40, ICON_FETCHERS = 4 };

// One path's bitmap, kept for the session; null while first fetched.
struct IconEntry {
    char path[APP_PATH_SIZE];
    HBITMAP bitmap;
    int size;
    bool pending;
    bool used;
    IconEntry* next;
};

enum { ICON_BUCKETS = 64 };
static IconEntry* s_icons[ICON_BUCKETS];
static HBITMAP s_generic = NULL;
static int s_genericSize = 0;

// A popup's paths, handed to the fetching threads, which take them in turn.
// Whoever ends last of the threads and the waiting bar owns it: see
// FetchIcons and ShowMenuIcons.
struct IconJob {
    char key[APP_PATH_SIZE];
    char path[MAX_PATH];
    HBITMAP bitmap;
    volatile LONG done;
    bool taken;
};
enum { BATCH_RUNNING, BATCH_FINISHED, BATCH_ABANDONED };
struct IconBatch {
    HWND notify;
    int size;
    volatile LONG state;
    volatile LONG next;
    volatile LONG fetchers;
    int count;
    IconJob jobs[1];
};

typedef DWORD_PTR(WINAPI* FileInfoProc)(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT);
typedef HRESULT(WINAPI* ComInitProc)(LPVOID, DWORD);
typedef void(WINAPI* ComEndProc)();
static FileInfoProc s_fileInfo = NULL;
static ComInitProc s_comInit = NULL;
static ComEndProc s_comEnd = NULL;

static unsigned Bucket(const char* path)
{
    unsigned hash = 0;
    for (; *path; path++)
        hash = hash * 31 + static_cast<unsigned char>(*path | 0x20);
    return hash % ICON_BUCKETS;
}

static IconEntry* FindIcon(const char* path)
{
    for (IconEntry* entry = s_icons[Bucket(path)]; entry; entry = entry->next)
        if (lstrcmpiA(entry->path, path) == 0)
            return entry;
    return NULL;
}

// Drawn on black and on white: where they differ the icon lets the
// background through. This holds for icons with alpha and for those with a
// mask alike, at any size the system scales them to.
static HBITMAP IconBitmap(HICON icon, int size)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    DWORD* black = NULL;
    DWORD* white = NULL;
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP onBlack = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&black), NULL, 0);
    HBITMAP onWhite = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&white), NULL, 0);
    bool ok = dc && onBlack && onWhite;
    if (ok) {
        int pixels = size * size;
        memset(white, 0xFF, static_cast<size_t>(pixels) * sizeof *white);
        HGDIOBJ old = SelectObject(dc, onBlack);
        ok = DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_NORMAL);
        SelectObject(dc, onWhite);
        ok = ok && DrawIconEx(dc, 0, 0, icon, size, size, 0, NULL, DI_NORMAL);
        SelectObject(dc, old);
        GdiFlush();
        for (int i = 0; ok && i < pixels; i++) {
            int through = static_cast<int>((white[i] >> 8) & 0xFF) - static_cast<int>((black[i] >> 8) & 0xFF);
            DWORD alpha = static_cast<DWORD>(through < 0 ? 255 : 255 - through);
            DWORD pixel = black[i] & 0xFFFFFF;
            // Premultiplied: no channel above the alpha.
            for (int shift = 0; shift < 24; shift += 8)
                if (((pixel >> shift) & 0xFF) > alpha)
                    pixel = (pixel & ~(0xFFu << shift)) | (alpha << shift);
            black[i] = pixel | (alpha << 24);
        }
    }
    if (onWhite)
        DeleteObject(onWhite);
    if (dc)
        DeleteDC(dc);
    if (!ok && onBlack) {
        DeleteObject(onBlack);
        onBlack = NULL;
    }
    return onBlack;
}

static bool LoadShell()
{
    if (!s_fileInfo)
        s_fileInfo = SystemProc<FileInfoProc>("shell32.dll", "SHGetFileInfoA");
    if (!s_comInit) {
        s_comInit = SystemProc<ComInitProc>("ole32.dll", "CoInitializeEx");
        s_comEnd = SystemProc<ComEndProc>("ole32.dll", "CoUninitialize");
    }
    return s_fileInfo != NULL;
}

// The icon the shell shows for the path, or null when it has none.
static HBITMAP PathIconBitmap(const char* path, int size)
{
    if (!LoadShell())
        return NULL;
    // The large image scaled down looks better than the small one scaled up.
    UINT flags = SHGFI_ICON | (size > GetSystemMetrics(SM_CXSMICON) ? SHGFI_LARGEICON : SHGFI_SMALLICON);
    SHFILEINFOA info = {};
    // A file that is not there: the icon of its type, or the generic one.
    if (!s_fileInfo(path, 0, &info, sizeof info, flags) &&
        !s_fileInfo(path, FILE_ATTRIBUTE_NORMAL, &info, sizeof info, flags | SHGFI_USEFILEATTRIBUTES))
        return NULL;
    if (!info.hIcon)
        return NULL;
    HBITMAP bitmap = IconBitmap(info.hIcon, size);
    DestroyIcon(info.hIcon);
    return bitmap;
}

static HBITMAP GenericIcon(int size)
{
    if (s_generic && s_genericSize == size)
        return s_generic;
    if (s_generic)
        DeleteObject(s_generic);
    HICON icon = static_cast<HICON>(LoadImageA(NULL, IDI_APPLICATION, IMAGE_ICON, size, size, LR_SHARED));
    s_generic = icon ? IconBitmap(icon, size) : NULL;
    s_genericSize = size;
    return s_generic;
}

static void FreeBatch(IconBatch* batch)
{
    for (int i = 0; i < batch->count; i++)
        if (!batch->jobs[i].taken && batch->jobs[i].bitmap)
            DeleteObject(batch->jobs[i].bitmap);
    HeapFree(GetProcessHeap(), 0, batch);
}

static DWORD WINAPI FetchIcons(LPVOID param)
{
    IconBatch* batch = static_cast<IconBatch*>(param);
    // Icon handlers of the shell want COM on the calling thread.
    bool com = s_comInit && s_comEnd && SUCCEEDED(s_comInit(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    for (LONG i; (i = InterlockedIncrement(&batch->next) - 1) < batch->count;) {
        batch->jobs[i].bitmap = PathIconBitmap(batch->jobs[i].path, batch->size);
        InterlockedExchange(&batch->jobs[i].done, 1);
    }
    if (com)
        s_comEnd();
    if (InterlockedDecrement(&batch->fetchers) > 0)
        return 0;
    // The bar gave up waiting: the rest goes to it as a message, to the bar
    // made anew for a display change meanwhile if need be, so that no path
    // stays on its way for good.
    if (InterlockedExchange(&batch->state, BATCH_FINISHED) == BATCH_ABANDONED &&
        !PostMessageA(batch->notify, WM_MENUICONS_FETCHED, 0, reinterpret_cast<LPARAM>(batch)) &&
        !PostMessageA(g_hwndBar, WM_MENUICONS_FETCHED, 0, reinterpret_cast<LPARAM>(batch)))
        FreeBatch(batch);
    return 0;
}

// Moves the fetched bitmaps into the cache; a path no entry has any more
// since the fetch began is dropped.
static void TakeFetched(IconBatch* batch)
{
    for (int i = 0; i < batch->count; i++) {
        IconJob& job = batch->jobs[i];
        if (job.taken || !job.done)
            continue;
        job.taken = true;
        IconEntry* entry = FindIcon(job.key);
        if (!entry) {
            if (job.bitmap)
                DeleteObject(job.bitmap);
            continue;
        }
        entry->pending = false;
        entry->size = batch->size;
        if (!job.bitmap)
            continue;  // the shell has none: the generic one stays
        if (entry->bitmap)
            DeleteObject(entry->bitmap);
        entry->bitmap = job.bitmap;
    }
}

static IconEntry* AddIcon(const char* path)
{
    IconEntry* entry = static_cast<IconEntry*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(IconEntry)));
    if (!entry)
        return NULL;
    CopyText(entry->path, sizeof entry->path, path);
    IconEntry** head = &s_icons[Bucket(path)];
    entry->next = *head;
    *head = entry;
    return entry;
}

static const AppItem* ItemApp(HMENU popup, int position)
{
    UINT id = GetMenuItemID(popup, position);
    return id == 0 || id == static_cast<UINT>(-1) ? NULL : FindCommandApp(static_cast<LONG>(id));
}

// The paths of the popup that have no bitmap of this size, nor one on the way.
static IconBatch* MissingIcons(HMENU popup, int items, int size)
{
    IconBatch* batch = NULL;
    for (int i = 0; i < items; i++) {
        const AppItem* app = ItemApp(popup, i);
        if (!app)
            continue;
        IconEntry* entry = FindIcon(app->path);
        if (!entry)
            entry = AddIcon(app->path);
        if (!entry || entry->pending || entry->size == size)
            continue;
        if (!batch) {
            SIZE_T bytes = sizeof(IconBatch) + static_cast<SIZE_T>(items) * sizeof(IconJob);
            batch = static_cast<IconBatch*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
            if (!batch)
                return NULL;
            batch->notify = g_hwndBar;
            batch->size = size;
        }
        IconJob& job = batch->jobs[batch->count++];
        CopyText(job.key, sizeof job.key, app->path);
        // "%ProgramFiles%\..." as the launch reaches it.
        if (!ExpandVariables(app->path, job.path, sizeof job.path))
            CopyText(job.path, sizeof job.path, app->path);
        entry->pending = true;
    }
    return batch;
}

// Puts the icons on the popup's items; true when each is the shell's answer
// for this size, none of them a stand-in for one still to come.
static bool PutIcons(HMENU popup, int items, int size)
{
    bool complete = true;
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_BITMAP;
    for (int i = 0; i < items; i++) {
        const AppItem* app = ItemApp(popup, i);
        if (!app)
            continue;
        const IconEntry* entry = FindIcon(app->path);
        complete = complete && entry && entry->size == size;
        item.hbmpItem = entry && entry->bitmap ? entry->bitmap : GenericIcon(size);
        SetMenuItemInfoA(popup, static_cast<UINT>(i), TRUE, &item);
    }
    return complete;
}

static PopupEntry* FindUserPopup(HMENU popup)
{
    for (PopupEntry* entry = g_popupHead; entry; entry = entry->next)
        if (entry->popup == popup)
            return entry;
    return NULL;
}

// As many threads as there are paths, up to ICON_FETCHERS; how many began.
static DWORD StartFetchers(IconBatch* batch, HANDLE* threads)
{
    int wanted = batch->count < ICON_FETCHERS ? batch->count : ICON_FETCHERS;
    DWORD started = 0;
    for (int i = 0; i < wanted; i++) {
        // Held until all are made: each must know how many ran.
        HANDLE thread = CreateThread(NULL, 0, FetchIcons, batch, CREATE_SUSPENDED, NULL);
        if (thread)
            threads[started++] = thread;
    }
    batch->fetchers = static_cast<LONG>(started);
    for (DWORD i = 0; i < started; i++)
        ResumeThread(threads[i]);
    return started;
}

void ShowMenuIcons(HMENU popup)
{
    PopupEntry* shown = FindUserPopup(popup);
    int size = MetricForDpi(SM_CXSMICON, WindowDpi(g_hwndBar));
    // Opened before with all its icons: they are on its items still.
    if (!shown || (shown->iconSize == size && !shown->iconsPending))
        return;
    int items = GetMenuItemCount(popup);
    IconBatch* batch = items > 0 && LoadShell() ? MissingIcons(popup, items, size) : NULL;
    HANDLE threads[ICON_FETCHERS];
    DWORD started = batch ? StartFetchers(batch, threads) : 0;
    if (batch && !started) {
        // None fetched: the generic icon now, and another try next time.
        for (int i = 0; i < batch->count; i++) {
            IconEntry* entry = FindIcon(batch->jobs[i].key);
            if (entry)
                entry->pending = false;
        }
        FreeBatch(batch);
    } else if (started) {
        WaitForMultipleObjects(started, threads, TRUE, ICON_WAIT_MS);
        for (DWORD i = 0; i < started; i++)
            CloseHandle(threads[i]);
        TakeFetched(batch);
        if (InterlockedExchange(&batch->state, BATCH_ABANDONED) == BATCH_FINISHED) {
            TakeFetched(batch);
            FreeBatch(batch);
        }
    }
    shown->iconsPending = !PutIcons(popup, items, size);
    shown->iconSize = size;
}

static BOOL CALLBACK RedrawOpenMenu(HWND window, LPARAM)
{
    char name[8];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpA(name, "#32768") == 0)
        InvalidateRect(window, NULL, TRUE);
    return TRUE;
}

void OnMenuIconsFetched(LPARAM param)
{
    IconBatch* batch = reinterpret_cast<IconBatch*>(param);
    int size = batch->size;
    TakeFetched(batch);
    FreeBatch(batch);
    // In place of the generic icons, on the popups opened before.
    for (PopupEntry* entry = g_popupHead; entry; entry = entry->next)
        if (entry->iconSize == size)
            entry->iconsPending = !PutIcons(entry->popup, GetMenuItemCount(entry->popup), size);
    EnumThreadWindows(GetCurrentThreadId(), RedrawOpenMenu, 0);
}

void KeepUsedMenuIcons()
{
    for (IconEntry* head : s_icons)
        for (IconEntry* entry = head; entry; entry = entry->next)
            entry->used = false;
    for (const UserMenu* menu = g_menuHead; menu; menu = menu->next)
        for (const AppItem* app = menu->firstApp; app; app = app->next) {
            IconEntry* entry = FindIcon(app->path);
            if (entry)
                entry->used = true;
        }
    // A bitmap on an item of the old popups goes with them; those are gone.
    for (IconEntry*& head : s_icons) {
        for (IconEntry** link = &head; *link;) {
            IconEntry* entry = *link;
            if (entry->used || entry->pending) {
                link = &entry->next;
                continue;
            }
            *link = entry->next;
            if (entry->bitmap)
                DeleteObject(entry->bitmap);
            HeapFree(GetProcessHeap(), 0, entry);
        }
    }
}

void FreeMenuIcons()
{
    for (IconEntry*& head : s_icons) {
        while (head) {
            IconEntry* next = head->next;
            if (head->bitmap)
                DeleteObject(head->bitmap);
            HeapFree(GetProcessHeap(), 0, head);
            head = next;
        }
    }
    if (s_generic)
        DeleteObject(s_generic);
    s_generic = NULL;
    s_genericSize = 0;
}
