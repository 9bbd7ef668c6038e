// Internal state of the Win32 test double, shared by its source files.
#pragma once
#include "fakewin.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fw {
namespace detail {

struct FailPlan {
    int skip = 0;
    int times = 0;  // < 0: for ever
    DWORD error = 0;
    bool customError = false;
};

struct Window {
    std::string className, title;
    DWORD style = 0, exStyle = 0;
    RECT rect{};
    HWND parent = nullptr, owner = nullptr;
    HMENU menu = nullptr;
    UINT_PTR childId = 0;
    bool visible = false, enabled = true, destroyed = false, destroying = false;
    WNDPROC wndProc = nullptr;
    DLGPROC dlgProc = nullptr;  // set for dialogs
    HINSTANCE instance = nullptr;
    // Modal dialog state.
    bool dialogEnded = false;
    INT_PTR dialogResult = 0;
    bool ownerDisabledByDialog = false;
    int bringToTop = 0;
    int drawMenuBar = 0;
    // Controls: a list box's rows, selection and caret; a button's check.
    std::vector<std::string> rows;
    LRESULT cursel = LB_ERR, caret = 0;
    WPARAM check = BST_UNCHECKED;
};

struct WindowClass {
    std::string name;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    bool hasMenuName = false, menuNameIsId = false;
    WORD menuId = 0;
    std::string menuNameText;
    ATOM atom = 0;
};

struct Menu {
    std::vector<MenuItem> items;
    bool destroyed = false;
};

struct RegValue {
    std::string name;
    DWORD type = 0;
    std::vector<uint8_t> data;
};

struct RegKey {
    std::string path;                        // as first created
    std::map<std::string, RegValue> values;  // by lower-case name
};

struct OpenKey {
    HKEY root;
    std::string path;  // lower case
};

struct Module {
    std::string path;
    std::map<std::string, FARPROC> exports;
    int refs = 0;
};

struct OpenFile {
    int fd = -1;
    bool canRead = false, canWrite = false;
};

struct State {
    std::map<std::string, FailPlan> fail;
    std::map<std::string, int> counts;
    std::vector<std::string> log;
    DWORD lastError = 0;
    DWORD failError = 0;    // the error of the call Call() last made fail
    int internalDepth = 0;  // > 0 while the system itself runs code (menu templates)

    // Message boxes.
    std::vector<MessageBoxCall> boxes;
    std::deque<int> boxAnswers;
    std::function<void(const MessageBoxCall&)> onBox;

    // Windows, classes, messages.
    std::map<HWND, Window> windows;
    std::vector<HWND> creationOrder;
    std::vector<WindowClass> classes;
    std::set<std::string> testClasses;  // lower case
    std::deque<MSG> queue;
    bool quitPosted = false;
    int quitCode = 0;
    std::function<void()> onIdle;

    // Menus.
    std::map<HMENU, Menu> menus;
    std::map<int, std::function<HMENU()>> menuResources;

    // Timers, hooks, icons, dialogs.
    std::vector<TimerInfo> timers;
    UINT_PTR nextTimerId = 1;
    std::vector<HookInfo> hooks;    // in installation order
    std::vector<size_t> hookChain;  // positions of the hooks now running
    std::set<HICON> icons;
    HMODULE exeModule = nullptr;
    std::map<int, std::function<void(HWND)>> dialogDrivers;
    std::map<int, std::vector<std::pair<int, std::string>>> dialogControls;
    HWND focus = nullptr;
    std::function<BOOL(OPENFILENAMEA*)> onOpenFile;

    // System.
    std::map<int, int> metrics;
    DWORD major = 4, minor = 0, platform = VER_PLATFORM_WIN32_NT;
    std::string windowsDir = "C:\\WINDOWS";
    SYSTEMTIME time{};
    std::string modulePath = "C:\\TOLVEX\\TOLVEX.EXE";
    std::map<HMODULE, Module> modules;
    std::vector<std::string> loadedLibraries;

    // Heap, files.
    std::set<void*> blocks;
    std::map<HANDLE, OpenFile> files;
    DWORD shortWriteMax = 0;
    int shortWriteSkip = 0, shortWriteTimes = 0;

    // Registry: keys by (root, lower-case path).
    std::map<std::pair<HKEY, std::string>, RegKey> keys;
    std::set<std::pair<HKEY, std::string>> deniedKeys;
    std::map<HKEY, OpenKey> openKeys;

    // Sound, shell.
    std::vector<PlaySoundCall> sounds;
    std::vector<ShellExecuteCall> shellCalls;
    INT_PTR shellResult = 42;
    std::vector<AppBarCall> appBarCalls;
    std::vector<HWND> appBars;
    LONG appBarTopTaken = 0;
    std::map<std::string, UINT> windowMessages;  // by lower-case name
    std::vector<Monitor> monitors;
    bool wow64 = false;
    int comDepth = 0;
    DWORD comFlags = 0;
};

State& S();

// The Windows directory's "SYSTEM32".
std::string SystemDirectory(const State& s);

// Logs a call of `api` and says whether it is to fail now. On failure the
// last error is set to `error` unless the test chose another.
bool Call(const char* api, DWORD error = 0, bool setsError = true);

// While one lives, calls are the system's own: not logged, counted or failed.
struct InternalCalls {
    InternalCalls()
    {
        ++S().internalDepth;
    }
    ~InternalCalls()
    {
        --S().internalDepth;
    }
    InternalCalls(const InternalCalls&) = delete;
    InternalCalls& operator=(const InternalCalls&) = delete;
};

// A fresh handle value, unique for the life of the process so that a stale
// handle from an earlier test never aliases a new object.
uintptr_t NewHandleValue();

std::string Lower(std::string s);
bool EqualNoCase(const std::string& a, const std::string& b);

// Window internals used across files.
Window* LiveWindow(HWND hwnd);
LRESULT Deliver(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The behaviour of the list boxes and buttons of a dialog; false when the
// window is no such control.
bool ControlProc(Window& w, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
bool DestroyWindowNow(HWND hwnd);
bool DestroyMenuNow(HMENU menu);
void CloseAllFiles();

}  // namespace detail
}  // namespace fw
