// Windows, classes, the message queue, message boxes, modal dialogs,
// timers, hooks and icons of the user32 model.
#include "state.h"

#include <algorithm>
#include <stdexcept>

namespace fw {
namespace detail {

static const char DIALOG_CLASS[] = "#32770";

Window* LiveWindow(HWND hwnd)
{
    auto it = S().windows.find(hwnd);
    if (it == S().windows.end() || it->second.destroyed)
        return nullptr;
    return &it->second;
}

// A live window, or null with the last error Windows sets for a bad handle.
static Window* WindowOrError(HWND hwnd)
{
    Window* w = LiveWindow(hwnd);
    if (w == nullptr)
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
    return w;
}

static bool IsChild(const Window& w)
{
    return (w.style & WS_CHILD) != 0;
}

// The style as GetWindowLongA reports it: visibility and enabled state included.
static DWORD EffectiveStyle(const Window& w)
{
    DWORD style = w.style & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED);
    if (w.visible)
        style |= WS_VISIBLE;
    if (!w.enabled)
        style |= WS_DISABLED;
    return style;
}

static HWND TopLevelOf(HWND hwnd)
{
    Window* w = LiveWindow(hwnd);
    while (w != nullptr && IsChild(*w) && w->parent != nullptr) {
        hwnd = w->parent;
        w = LiveWindow(hwnd);
    }
    return hwnd;
}

static LRESULT DefaultProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = LiveWindow(hwnd);
    if (w == nullptr)
        return 0;
    switch (msg) {
    case WM_NCCREATE:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_CLOSE:
        DestroyWindowNow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE)
            return Deliver(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_SETTEXT:
        w->title = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        return TRUE;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->title.size());
    case WM_GETTEXT: {
        if (wParam == 0 || lParam == 0)
            return 0;
        size_t n = std::min<size_t>(w->title.size(), wParam - 1);
        char* out = reinterpret_cast<char*>(lParam);
        memcpy(out, w->title.data(), n);
        out[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    default:
        return 0;
    }
}

// WH_CALLWNDPROC hooks see each sent message before the window does,
// newest hook first; CallNextHookEx passes it down the chain.
static LRESULT RunHookFrom(size_t pos, int code, WPARAM wParam, LPARAM lParam)
{
    State& s = S();
    for (size_t i = pos; i-- > 0;) {
        if (s.hooks[i].idHook != WH_CALLWNDPROC)
            continue;
        HOOKPROC proc = s.hooks[i].proc;
        s.hookChain.push_back(i);
        LRESULT result;
        try {
            result = proc(code, wParam, lParam);
        } catch (...) {
            s.hookChain.pop_back();
            throw;
        }
        s.hookChain.pop_back();
        return result;
    }
    return 0;
}

static void RunCallWndProcHooks(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (S().hooks.empty())
        return;
    CWPSTRUCT cwp;
    cwp.lParam = lParam;
    cwp.wParam = wParam;
    cwp.message = msg;
    cwp.hwnd = hwnd;
    RunHookFrom(S().hooks.size(), HC_ACTION, 1, reinterpret_cast<LPARAM>(&cwp));
}

static LRESULT CallProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    Window* w = LiveWindow(hwnd);
    if (w == nullptr)
        return 0;
    if (w->dlgProc != nullptr) {
        DLGPROC proc = w->dlgProc;
        INT_PTR handled = proc(hwnd, msg, wParam, lParam);
        // Text requests a dialog procedure leaves alone get the default handling.
        if (!handled && (msg == WM_SETTEXT || msg == WM_GETTEXT || msg == WM_GETTEXTLENGTH))
            return DefaultProc(hwnd, msg, wParam, lParam);
        return handled;
    }
    if (w->wndProc != nullptr) {
        WNDPROC proc = w->wndProc;
        return proc(hwnd, msg, wParam, lParam);
    }
    LRESULT result;
    if (ControlProc(*w, msg, wParam, lParam, &result))
        return result;
    return DefaultProc(hwnd, msg, wParam, lParam);
}

LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (LiveWindow(hwnd) == nullptr)
        return 0;
    RunCallWndProcHooks(hwnd, msg, wParam, lParam);
    return CallProc(hwnd, msg, wParam, lParam);
}

static void SetEnabled(HWND hwnd, bool enable)
{
    Window* w = LiveWindow(hwnd);
    if (w == nullptr || w->enabled == enable)
        return;
    w->enabled = enable;
    Deliver(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
}

bool DestroyWindowNow(HWND hwnd)
{
    Window* w = LiveWindow(hwnd);
    if (w == nullptr || w->destroying)
        return false;
    w->destroying = true;
    w->visible = false;
    State& s = S();

    // Owned windows go first, then the window itself hears WM_DESTROY,
    // then its children hear theirs.
    if (!IsChild(*w)) {
        std::vector<HWND> order = s.creationOrder;
        for (HWND other : order) {
            Window* o = LiveWindow(other);
            if (o != nullptr && !IsChild(*o) && o->owner == hwnd)
                DestroyWindowNow(other);
        }
    }
    Deliver(hwnd, WM_DESTROY, 0, 0);
    {
        std::vector<HWND> order = s.creationOrder;
        for (HWND other : order) {
            Window* o = LiveWindow(other);
            if (o != nullptr && IsChild(*o) && o->parent == hwnd)
                DestroyWindowNow(other);
        }
    }

    s.timers.erase(
        std::remove_if(s.timers.begin(), s.timers.end(), [hwnd](const TimerInfo& t) { return t.hwnd == hwnd; }),
        s.timers.end());
    s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(), [hwnd](const MSG& m) { return m.hwnd == hwnd; }),
                  s.queue.end());
    w = &s.windows[hwnd];
    if (!IsChild(*w) && w->menu != nullptr)
        DestroyMenuNow(w->menu);
    w->destroyed = true;
    w->destroying = false;
    return true;
}

static HWND AddWindow(Window window)
{
    HWND hwnd = reinterpret_cast<HWND>(NewHandleValue());
    S().windows[hwnd] = std::move(window);
    S().creationOrder.push_back(hwnd);
    return hwnd;
}

static WindowClass* FindClass(LPCSTR name)
{
    for (WindowClass& c : S().classes) {
        if (IS_INTRESOURCE(name) ? c.atom == LOWORD(name) : EqualNoCase(c.name, name))
            return &c;
    }
    return nullptr;
}

static bool ClassMatches(const Window& w, LPCSTR name)
{
    if (name == nullptr)
        return true;
    if (IS_INTRESOURCE(name)) {
        WindowClass* c = FindClass(name);
        return c != nullptr && EqualNoCase(c->name, w.className);
    }
    return EqualNoCase(w.className, name);
}

}  // namespace detail

using namespace detail;

// ---- inspection --------------------------------------------------------------------

bool WindowExists(HWND hwnd)
{
    return LiveWindow(hwnd) != nullptr;
}

WindowInfo GetWindowInfo(HWND hwnd)
{
    auto it = S().windows.find(hwnd);
    if (it == S().windows.end())
        throw std::logic_error("GetWindowInfo: not a window handle");
    const Window& w = it->second;
    WindowInfo info;
    info.className = w.className;
    info.title = w.title;
    info.style = w.style & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED);
    info.exStyle = w.exStyle;
    info.rect = w.rect;
    info.parent = IsChild(w) ? w.parent : nullptr;
    info.owner = w.owner;
    info.menu = IsChild(w) ? nullptr : w.menu;
    info.visible = w.visible;
    info.enabled = w.enabled;
    info.destroyed = w.destroyed;
    return info;
}

std::vector<HWND> TopLevelWindows()
{
    std::vector<HWND> result;
    for (HWND hwnd : S().creationOrder) {
        Window* w = LiveWindow(hwnd);
        if (w != nullptr && !IsChild(*w))
            result.push_back(hwnd);
    }
    return result;
}

HWND CreateTestWindow(const std::string& className, const std::string& title, HWND parent, HWND owner, DWORD style)
{
    S().testClasses.insert(Lower(className));
    Window w;
    w.className = className;
    w.title = title;
    w.style = style;
    w.parent = parent;
    w.owner = owner;
    w.visible = (style & WS_VISIBLE) != 0;
    w.enabled = (style & WS_DISABLED) == 0;
    return AddWindow(std::move(w));
}

int BringToTopCount(HWND hwnd)
{
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? 0 : it->second.bringToTop;
}

int DrawMenuBarCount(HWND hwnd)
{
    auto it = S().windows.find(hwnd);
    return it == S().windows.end() ? 0 : it->second.drawMenuBar;
}

std::vector<MSG> QueuedMessages()
{
    std::vector<MSG> result(S().queue.begin(), S().queue.end());
    if (S().quitPosted) {
        MSG quit{};
        quit.message = WM_QUIT;
        quit.wParam = static_cast<WPARAM>(S().quitCode);
        result.push_back(quit);
    }
    return result;
}

void OnIdle(std::function<void()> action)
{
    S().onIdle = std::move(action);
}

std::vector<TimerInfo> Timers()
{
    return S().timers;
}

std::vector<HookInfo> Hooks()
{
    return S().hooks;
}

int LiveIconCount()
{
    return static_cast<int>(S().icons.size());
}

void SetDialogDriver(int templateId, std::function<void(HWND dialog)> driver)
{
    S().dialogDrivers[templateId] = std::move(driver);
}

LRESULT SendToDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (LiveWindow(dialog) == nullptr)
        throw std::logic_error("SendToDialog: the dialog is not open");
    return Deliver(dialog, message, wParam, lParam);
}

}  // namespace fw

using namespace fw;
using namespace fw::detail;

// ---- message boxes ----------------------------------------------------------------------

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    if (Call("MessageBoxA", ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    MessageBoxCall call;
    call.owner = hWnd;
    call.text = lpText ? lpText : "";
    call.title = lpCaption ? lpCaption : "Error";
    call.style = uType;
    call.cutShort = S().quitPosted;
    S().boxes.push_back(call);
    if (call.cutShort)
        return 0;
    // The box is modal to its owner while it is open.
    bool disabled = false;
    if (Window* owner = LiveWindow(hWnd)) {
        if (owner->enabled) {
            SetEnabled(hWnd, false);
            disabled = true;
        }
    }
    if (S().onBox) {
        auto action = S().onBox;
        action(call);
    }
    if (disabled)
        SetEnabled(hWnd, true);
    int answer = IDOK;
    if (!S().boxAnswers.empty()) {
        answer = S().boxAnswers.front();
        S().boxAnswers.pop_front();
    }
    return answer;
}

// ---- windows -------------------------------------------------------------------------------

HWND WINAPI FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    if (Call("FindWindowA", ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    // Newest first, as new windows come to the top of the Z order.
    const std::vector<HWND>& order = S().creationOrder;
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Window* w = LiveWindow(*it);
        if (w == nullptr || IsChild(*w))
            continue;
        if (!ClassMatches(*w, lpClassName))
            continue;
        if (lpWindowName != nullptr && !EqualNoCase(w->title, lpWindowName))
            continue;
        return *it;
    }
    return nullptr;
}

BOOL WINAPI BringWindowToTop(HWND hWnd)
{
    if (Call("BringWindowToTop", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    w->bringToTop++;
    return TRUE;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd)
{
    if (Call("SetForegroundWindow", 0, false))
        return FALSE;
    return LiveWindow(hWnd) != nullptr;
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc)
{
    if (Call("RegisterClassA", ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    if (wc == nullptr || wc->lpszClassName == nullptr || IS_INTRESOURCE(wc->lpszClassName)) {
        S().lastError = ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (FindClass(wc->lpszClassName) != nullptr) {
        S().lastError = ERROR_CLASS_ALREADY_EXISTS;
        return 0;
    }
    static ATOM nextAtom = 0xC000;
    WindowClass c;
    c.name = wc->lpszClassName;
    c.proc = wc->lpfnWndProc;
    c.instance = wc->hInstance;
    c.icon = wc->hIcon;
    if (wc->lpszMenuName != nullptr) {
        c.hasMenuName = true;
        c.menuNameIsId = IS_INTRESOURCE(wc->lpszMenuName);
        if (c.menuNameIsId)
            c.menuId = LOWORD(wc->lpszMenuName);
        else
            c.menuNameText = wc->lpszMenuName;
    }
    c.atom = nextAtom++;
    if (nextAtom == 0)
        nextAtom = 0xC000;
    S().classes.push_back(c);
    return c.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE)
{
    if (Call("UnregisterClassA", ERROR_CLASS_DOES_NOT_EXIST))
        return FALSE;
    WindowClass* c = lpClassName ? FindClass(lpClassName) : nullptr;
    if (c == nullptr) {
        S().lastError = ERROR_CLASS_DOES_NOT_EXIST;
        return FALSE;
    }
    for (auto& entry : S().windows) {
        if (!entry.second.destroyed && EqualNoCase(entry.second.className, c->name)) {
            S().lastError = ERROR_CLASS_HAS_WINDOWS;
            return FALSE;
        }
    }
    S().classes.erase(S().classes.begin() + (c - S().classes.data()));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                            int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance, LPVOID lpParam)
{
    if (Call("CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    State& s = S();
    Window w;
    WindowClass* cls = lpClassName ? FindClass(lpClassName) : nullptr;
    if (cls != nullptr) {
        w.className = cls->name;
        w.wndProc = cls->proc;
    } else if (lpClassName != nullptr && !IS_INTRESOURCE(lpClassName) && s.testClasses.count(Lower(lpClassName))) {
        w.className = lpClassName;
    } else {
        s.lastError = ERROR_CANNOT_FIND_WND_CLASS;
        return nullptr;
    }
    if (hWndParent != nullptr && LiveWindow(hWndParent) == nullptr) {
        s.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return nullptr;
    }
    w.style = dwStyle;
    w.exStyle = dwExStyle;
    w.title = lpWindowName ? lpWindowName : "";
    w.instance = hInstance;
    if (dwStyle & WS_CHILD) {
        if (hWndParent == nullptr) {
            s.lastError = ERROR_TLW_WITH_WSCHILD;
            return nullptr;
        }
        w.parent = hWndParent;
        w.childId = reinterpret_cast<UINT_PTR>(hMenu);
    } else {
        // The owner of a top-level window is always a top-level window.
        w.owner = hWndParent ? TopLevelOf(hWndParent) : nullptr;
        if (hMenu != nullptr) {
            if (!MenuExists(hMenu)) {
                s.lastError = ERROR_INVALID_MENU_HANDLE;
                return nullptr;
            }
            w.menu = hMenu;
        }
    }
    if (X == CW_USEDEFAULT) {
        X = 0;
        Y = 0;
    }
    if (nWidth == CW_USEDEFAULT) {
        nWidth = 0;
        nHeight = 0;
    }
    w.rect.left = X;
    w.rect.top = Y;
    w.rect.right = X + nWidth;
    w.rect.bottom = Y + nHeight;
    w.enabled = (dwStyle & WS_DISABLED) == 0;
    bool show = (dwStyle & WS_VISIBLE) != 0;
    w.style &= ~static_cast<DWORD>(WS_VISIBLE);

    // The class menu, when the caller gave none.
    if (!(dwStyle & WS_CHILD) && hMenu == nullptr && cls != nullptr && cls->hasMenuName && cls->menuNameIsId) {
        auto res = s.menuResources.find(cls->menuId);
        if (res != s.menuResources.end()) {
            // Loading a menu resource is the system's work, not calls of the program.
            auto factory = res->second;
            InternalCalls internal;
            w.menu = factory();
        }
    }

    HWND hwnd = AddWindow(std::move(w));
    Window& made = s.windows[hwnd];
    CREATESTRUCTA cs;
    cs.lpCreateParams = lpParam;
    cs.hInstance = hInstance;
    cs.hMenu = hMenu;
    cs.hwndParent = hWndParent;
    cs.cy = nHeight;
    cs.cx = nWidth;
    cs.y = Y;
    cs.x = X;
    cs.style = static_cast<LONG>(dwStyle);
    cs.lpszName = lpWindowName;
    cs.lpszClass = lpClassName;
    cs.dwExStyle = dwExStyle;
    (void)made;
    if (Deliver(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        // Creation refused by the window itself: gone without WM_DESTROY.
        Window& gone = s.windows[hwnd];
        if (!IsChild(gone) && gone.menu != nullptr)
            DestroyMenuNow(gone.menu);
        gone.destroyed = true;
        return nullptr;
    }
    if (show && LiveWindow(hwnd) != nullptr) {
        Deliver(hwnd, WM_SHOWWINDOW, TRUE, 0);
        if (Window* live = LiveWindow(hwnd))
            live->visible = true;
    }
    return LiveWindow(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd)
{
    if (Call("DestroyWindow", ERROR_ACCESS_DENIED))
        return FALSE;
    if (WindowOrError(hWnd) == nullptr)
        return FALSE;
    DestroyWindowNow(hWnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hWnd)
{
    Call("IsWindow");
    return LiveWindow(hWnd) != nullptr;
}

BOOL WINAPI ShowWindow(HWND hWnd, int nCmdShow)
{
    if (Call("ShowWindow", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    bool was = w->visible;
    bool show = nCmdShow != SW_HIDE;
    if (show != was) {
        // The window hears of the change before it happens.
        Deliver(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        if (Window* live = LiveWindow(hWnd))
            live->visible = show;
    }
    return was ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND hWnd)
{
    if (Call("UpdateWindow", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    return LiveWindow(hWnd) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND hWnd)
{
    Call("IsWindowVisible");
    // A window is visible only when its ancestors are.
    Window* w = LiveWindow(hWnd);
    while (w != nullptr) {
        if (!w->visible)
            return FALSE;
        if (!IsChild(*w))
            return TRUE;
        w = LiveWindow(w->parent);
    }
    return FALSE;
}

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT lpRect)
{
    if (Call("GetWindowRect", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    *lpRect = w->rect;
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL)
{
    if (Call("MoveWindow", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    w->rect.left = X;
    w->rect.top = Y;
    w->rect.right = X + nWidth;
    w->rect.bottom = Y + nHeight;
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags)
{
    if (Call("SetWindowPos", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    if (!(uFlags & SWP_NOZORDER)) {
        if (hWndInsertAfter == HWND_TOPMOST) {
            // As seen under Wine: a window that owns an open window (a modal
            // dialog) stays out of the topmost band.
            bool ownsOpenWindow = false;
            for (auto& entry : S().windows) {
                const Window& o = entry.second;
                if (!o.destroyed && !IsChild(o) && o.owner == hWnd)
                    ownsOpenWindow = true;
            }
            if (!ownsOpenWindow)
                w->exStyle |= WS_EX_TOPMOST;
        } else if (hWndInsertAfter == HWND_NOTOPMOST || hWndInsertAfter == HWND_BOTTOM) {
            w->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
        }
    }
    if (!(uFlags & SWP_NOMOVE)) {
        LONG width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
        w->rect.left = X;
        w->rect.top = Y;
        w->rect.right = X + width;
        w->rect.bottom = Y + height;
    }
    if (!(uFlags & SWP_NOSIZE)) {
        w->rect.right = w->rect.left + cx;
        w->rect.bottom = w->rect.top + cy;
    }
    if (uFlags & SWP_SHOWWINDOW)
        w->visible = true;
    if (uFlags & SWP_HIDEWINDOW)
        w->visible = false;
    return TRUE;
}

HWND WINAPI GetParent(HWND hWnd)
{
    if (Call("GetParent", ERROR_INVALID_WINDOW_HANDLE))
        return nullptr;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return nullptr;
    // A child's parent; a pop-up's owner; nothing for an overlapped window,
    // owned or not.
    if (IsChild(*w))
        return w->parent;
    if (w->style & WS_POPUP)
        return w->owner;
    return nullptr;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int nIndex)
{
    if (Call("GetWindowLongA", ERROR_INVALID_WINDOW_HANDLE))
        return 0;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return 0;
    switch (nIndex) {
    case GWL_STYLE:
        return static_cast<LONG>(EffectiveStyle(*w));
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->exStyle);
    case GWL_ID:
        return static_cast<LONG>(w->childId);
    default:
        S().lastError = ERROR_INVALID_INDEX;
        return 0;
    }
}

LONG WINAPI SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong)
{
    if (Call("SetWindowLongA", ERROR_INVALID_WINDOW_HANDLE))
        return 0;
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return 0;
    LONG old;
    switch (nIndex) {
    case GWL_STYLE:
        old = static_cast<LONG>(EffectiveStyle(*w));
        w->style = static_cast<DWORD>(dwNewLong) & ~static_cast<DWORD>(WS_VISIBLE | WS_DISABLED);
        w->visible = (dwNewLong & WS_VISIBLE) != 0;
        w->enabled = (dwNewLong & WS_DISABLED) == 0;
        return old;
    case GWL_EXSTYLE:
        old = static_cast<LONG>(w->exStyle);
        w->exStyle = static_cast<DWORD>(dwNewLong);
        return old;
    case GWL_ID:
        old = static_cast<LONG>(w->childId);
        w->childId = static_cast<UINT_PTR>(static_cast<DWORD>(dwNewLong));
        return old;
    default:
        S().lastError = ERROR_INVALID_INDEX;
        return 0;
    }
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR lpString)
{
    if (Call("SetWindowTextA", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    if (WindowOrError(hWnd) == nullptr)
        return FALSE;
    return Deliver(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount)
{
    if (Call("GetWindowTextA", ERROR_INVALID_WINDOW_HANDLE)) {
        if (lpString && nMaxCount > 0)
            lpString[0] = '\0';
        return 0;
    }
    if (LiveWindow(hWnd) == nullptr) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        if (lpString && nMaxCount > 0)
            lpString[0] = '\0';
        return 0;
    }
    if (nMaxCount <= 0)
        return 0;
    return static_cast<int>(
        Deliver(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL bEnable)
{
    Call("EnableWindow");
    Window* w = WindowOrError(hWnd);
    if (w == nullptr)
        return FALSE;
    // Nonzero when the window was disabled before.
    BOOL wasDisabled = w->enabled ? FALSE : TRUE;
    SetEnabled(hWnd, bEnable != FALSE);
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd)
{
    Call("IsWindowEnabled");
    Window* w = LiveWindow(hWnd);
    return w != nullptr && w->enabled;
}

int WINAPI GetSystemMetrics(int nIndex)
{
    Call("GetSystemMetrics");
    auto it = S().metrics.find(nIndex);
    return it == S().metrics.end() ? 0 : it->second;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR lpString)
{
    Call("RegisterWindowMessageA");
    auto& messages = S().windowMessages;
    // Any one name gets the same number for the session, from 0xC000 up.
    auto it = messages.emplace(Lower(lpString), static_cast<UINT>(0xC000 + messages.size())).first;
    return it->second;
}

// ---- monitors ------------------------------------------------------------------------------

void fw::SetMonitors(const std::vector<Monitor>& monitors)
{
    S().monitors = monitors;
}

static std::vector<Monitor> AllMonitors()
{
    if (!S().monitors.empty())
        return S().monitors;
    RECT screen = {0, 0, S().metrics[SM_CXSCREEN], S().metrics[SM_CYSCREEN]};
    return {{screen, screen}};
}

// The monitor that holds the window's centre; else the primary one stands
// in for the nearest.
HMONITOR WINAPI MonitorFromWindow(HWND hwnd, DWORD)
{
    Call("MonitorFromWindow");
    std::vector<Monitor> all = AllMonitors();
    Window* w = LiveWindow(hwnd);
    LONG x = w ? (w->rect.left + w->rect.right) / 2 : 0, y = w ? (w->rect.top + w->rect.bottom) / 2 : 0;
    size_t i = all.size() - 1;
    while (
        i > 0 &&
        !(x >= all[i].monitor.left && x < all[i].monitor.right && y >= all[i].monitor.top && y < all[i].monitor.bottom))
        i--;
    return reinterpret_cast<HMONITOR>(i + 1);
}

BOOL WINAPI GetMonitorInfoA(HMONITOR hMonitor, LPMONITORINFO lpmi)
{
    if (Call("GetMonitorInfoA", ERROR_INVALID_PARAMETER))
        return FALSE;
    std::vector<Monitor> all = AllMonitors();
    size_t i = reinterpret_cast<size_t>(hMonitor) - 1;
    if (i >= all.size() || lpmi->cbSize != sizeof(MONITORINFO))
        return FALSE;
    lpmi->rcMonitor = all[i].monitor;
    lpmi->rcWork = all[i].work;
    lpmi->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

// ---- messages ------------------------------------------------------------------------------

static bool Matches(const MSG& m, HWND hwnd, UINT minMsg, UINT maxMsg)
{
    if (hwnd != nullptr && m.hwnd != hwnd)
        return false;
    if (minMsg == 0 && maxMsg == 0)
        return true;
    return m.message >= minMsg && m.message <= maxMsg;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (Call("GetMessageA", ERROR_INVALID_WINDOW_HANDLE))
        return -1;
    State& s = S();
    for (int attempt = 0; attempt < 2; ++attempt) {
        for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
            if (Matches(*it, hWnd, wMsgFilterMin, wMsgFilterMax)) {
                *lpMsg = *it;
                s.queue.erase(it);
                return lpMsg->message == WM_QUIT ? FALSE : TRUE;
            }
        }
        // A quit request comes after everything already posted.
        if (s.quitPosted) {
            s.quitPosted = false;
            MSG quit{};
            quit.message = WM_QUIT;
            quit.wParam = static_cast<WPARAM>(s.quitCode);
            *lpMsg = quit;
            return FALSE;
        }
        if (attempt == 0 && s.onIdle) {
            auto action = s.onIdle;
            action();
        }
    }
    throw std::logic_error("GetMessageA: nothing to wait for; the program would hang here");
}

BOOL WINAPI TranslateMessage(const MSG*)
{
    Call("TranslateMessage");
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* lpMsg)
{
    Call("DispatchMessageA");
    if (lpMsg == nullptr || lpMsg->hwnd == nullptr)
        return 0;
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        proc(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
        return 0;
    }
    // Posted messages reach the window without passing the WH_CALLWNDPROC hooks.
    return CallProc(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

void WINAPI PostQuitMessage(int nExitCode)
{
    Call("PostQuitMessage");
    S().quitPosted = true;
    S().quitCode = nExitCode;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (Call("PostMessageA", ERROR_NOT_ENOUGH_QUOTA))
        return FALSE;
    if (hWnd != nullptr && LiveWindow(hWnd) == nullptr) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    MSG m{};
    m.hwnd = hWnd;
    m.message = Msg;
    m.wParam = wParam;
    m.lParam = lParam;
    S().queue.push_back(m);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Call("SendMessageA");
    if (WindowOrError(hWnd) == nullptr)
        return 0;
    return Deliver(hWnd, Msg, wParam, lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Call("DefWindowProcA");
    return DefaultProc(hWnd, Msg, wParam, lParam);
}

// ---- icons ---------------------------------------------------------------------------------

HICON WINAPI LoadIconA(HINSTANCE, LPCSTR lpIconName)
{
    if (Call("LoadIconA", ERROR_RESOURCE_NAME_NOT_FOUND))
        return nullptr;
    if (lpIconName == nullptr) {
        S().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    HICON icon = reinterpret_cast<HICON>(NewHandleValue());
    S().icons.insert(icon);
    return icon;
}

BOOL WINAPI DestroyIcon(HICON hIcon)
{
    if (Call("DestroyIcon", ERROR_INVALID_CURSOR_HANDLE))
        return FALSE;
    if (hIcon == nullptr || S().icons.erase(hIcon) == 0) {
        S().lastError = ERROR_INVALID_CURSOR_HANDLE;
        return FALSE;
    }
    return TRUE;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR lpCursorName)
{
    if (Call("LoadCursorA", ERROR_RESOURCE_NAME_NOT_FOUND))
        return nullptr;
    if (lpCursorName == nullptr) {
        S().lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return nullptr;
    }
    // Shared cursors: never destroyed, so not tracked.
    return reinterpret_cast<HCURSOR>(NewHandleValue());
}

// ---- timers --------------------------------------------------------------------------------

UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    if (Call("SetTimer", ERROR_NOT_ENOUGH_MEMORY))
        return 0;
    State& s = S();
    if (hWnd != nullptr && LiveWindow(hWnd) == nullptr) {
        s.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return 0;
    }
    for (TimerInfo& t : s.timers) {
        if (t.hwnd == hWnd && t.id == nIDEvent) {
            t.elapse = uElapse;
            t.proc = lpTimerFunc;
            return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
        }
    }
    TimerInfo t;
    t.hwnd = hWnd;
    // A window's timer keeps the caller's id; a thread timer gets a new one.
    t.id = hWnd ? nIDEvent : 0x7FFF + s.nextTimerId++;
    t.elapse = uElapse;
    t.proc = lpTimerFunc;
    s.timers.push_back(t);
    return hWnd ? (t.id ? t.id : 1) : t.id;
}

BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    if (Call("KillTimer", ERROR_INVALID_PARAMETER))
        return FALSE;
    State& s = S();
    for (auto it = s.timers.begin(); it != s.timers.end(); ++it) {
        if (it->hwnd == hWnd && it->id == uIDEvent) {
            s.timers.erase(it);
            // Its pending WM_TIMER goes too.
            s.queue.erase(std::remove_if(s.queue.begin(), s.queue.end(),
                                         [&](const MSG& m) {
                                             return m.hwnd == hWnd && m.message == WM_TIMER && m.wParam == uIDEvent;
                                         }),
                          s.queue.end());
            return TRUE;
        }
    }
    return FALSE;
}

// ---- hooks ---------------------------------------------------------------------------------

HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE hmod, DWORD dwThreadId)
{
    if (Call("SetWindowsHookExA", ERROR_NOT_ENOUGH_MEMORY))
        return nullptr;
    if (lpfn == nullptr) {
        S().lastError = ERROR_INVALID_FILTER_PROC;
        return nullptr;
    }
    // A system-wide hook runs in other processes, so its procedure must
    // come from a DLL; only the low-level and journal hooks are exempt.
    bool exempt =
        idHook == WH_KEYBOARD_LL || idHook == WH_MOUSE_LL || idHook == WH_JOURNALRECORD || idHook == WH_JOURNALPLAYBACK;
    if (dwThreadId == 0 && hmod == nullptr && !exempt) {
        S().lastError = ERROR_HOOK_NEEDS_HMOD;
        return nullptr;
    }
    HookInfo hook;
    hook.handle = reinterpret_cast<HHOOK>(NewHandleValue());
    hook.idHook = idHook;
    hook.proc = lpfn;
    hook.module = hmod;
    hook.threadId = dwThreadId;
    S().hooks.push_back(hook);
    return hook.handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk)
{
    if (Call("UnhookWindowsHookEx", ERROR_INVALID_HOOK_HANDLE))
        return FALSE;
    auto& hooks = S().hooks;
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (hhk != nullptr && it->handle == hhk) {
            hooks.erase(it);
            return TRUE;
        }
    }
    S().lastError = ERROR_INVALID_HOOK_HANDLE;
    return FALSE;
}

LRESULT WINAPI CallNextHookEx(HHOOK, int nCode, WPARAM wParam, LPARAM lParam)
{
    Call("CallNextHookEx");
    State& s = S();
    if (s.hookChain.empty())
        return 0;
    return RunHookFrom(s.hookChain.back(), nCode, wParam, lParam);
}

// ---- dialogs -------------------------------------------------------------------------------

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam)
{
    if (Call("DialogBoxParamA", ERROR_NOT_ENOUGH_MEMORY))
        return -1;
    State& s = S();
    if (lpTemplateName == nullptr || !IS_INTRESOURCE(lpTemplateName) ||
        s.dialogDrivers.count(LOWORD(lpTemplateName)) == 0) {
        s.lastError = ERROR_RESOURCE_NAME_NOT_FOUND;
        return -1;
    }
    if (hWndParent != nullptr && LiveWindow(hWndParent) == nullptr) {
        s.lastError = ERROR_INVALID_WINDOW_HANDLE;
        return -1;
    }
    auto driver = s.dialogDrivers[LOWORD(lpTemplateName)];
    HWND owner = hWndParent ? TopLevelOf(hWndParent) : nullptr;

    // The owner is disabled before the dialog exists, as Windows does it.
    bool disabledOwner = false;
    if (Window* o = LiveWindow(owner)) {
        if (o->enabled) {
            SetEnabled(owner, false);
            disabledOwner = true;
        }
    }
    Window w;
    w.className = DIALOG_CLASS;
    w.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    w.owner = owner;
    w.dlgProc = lpDialogFunc;
    w.instance = hInstance;
    w.ownerDisabledByDialog = disabledOwner;
    HWND dialog = AddWindow(std::move(w));
    for (const auto& control : s.dialogControls[LOWORD(lpTemplateName)]) {
        Window c;
        c.className = control.second;
        c.style = WS_CHILD | WS_VISIBLE;
        c.parent = dialog;
        c.childId = static_cast<UINT_PTR>(control.first);
        c.visible = true;
        AddWindow(std::move(c));
    }

    Deliver(dialog, WM_INITDIALOG, 0, dwInitParam);
    Window* d = LiveWindow(dialog);
    if (d != nullptr && !d->dialogEnded) {
        d->visible = true;
        driver(dialog);
    }
    INT_PTR result = -1;
    auto it = s.windows.find(dialog);
    if (it->second.dialogEnded)
        result = it->second.dialogResult;
    if (it->second.ownerDisabledByDialog) {
        it->second.ownerDisabledByDialog = false;
        SetEnabled(owner, true);
    }
    DestroyWindowNow(dialog);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult)
{
    if (Call("EndDialog", ERROR_INVALID_WINDOW_HANDLE))
        return FALSE;
    Window* d = LiveWindow(hDlg);
    if (d == nullptr || d->dlgProc == nullptr) {
        S().lastError = ERROR_INVALID_WINDOW_HANDLE;
        return FALSE;
    }
    d->dialogEnded = true;
    d->dialogResult = nResult;
    d->visible = false;
    // The owner is enabled again at once; the dialog goes when its loop ends.
    if (d->ownerDisabledByDialog) {
        d->ownerDisabledByDialog = false;
        SetEnabled(d->owner, true);
    }
    return TRUE;
}
