#include "tests/seam/driver.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

namespace seam {
namespace {

struct Step {
    std::string caption;
    std::function<void(HWND)> run;
};

std::deque<Step> s_steps;
std::map<UINT_PTR, std::pair<HWND, std::function<void(HWND)>>> s_due;
HHOOK s_hook = NULL;
UINT_PTR s_limitTimer = 0;

void CALLBACK RunStep(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    auto it = s_due.find(timer);
    if (it == s_due.end())
        return;
    auto due = it->second;
    s_due.erase(it);
    due.second(due.first);
}

std::string Caption(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsDialog(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    return strcmp(name, "#32770") == 0;
}

LRESULT CALLBACK SeeInitDialog(int code, WPARAM wParam, LPARAM lParam)
{
    const CWPRETSTRUCT* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->message == WM_INITDIALOG && IsDialog(msg->hwnd)) {
        std::string caption = Caption(msg->hwnd);
        if (!s_steps.empty() && s_steps.front().caption == caption) {
            UINT_PTR timer = SetTimer(NULL, 0, 0, RunStep);
            s_due[timer] = {msg->hwnd, s_steps.front().run};
            s_steps.pop_front();
        } else {
            ADD_FAILURE() << "the dialog \"" << caption << "\" opened with no step for it";
            EndDialog(msg->hwnd, 0);
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

BOOL CALLBACK EndOpenDialog(HWND window, LPARAM)
{
    if (IsDialog(window) && IsWindowVisible(window)) {
        ADD_FAILURE() << "the dialog \"" << Caption(window) << "\" was still open at the time limit";
        EndDialog(window, 0);
    }
    return TRUE;
}

void CALLBACK TimeLimit(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(NULL, timer);
    EnumThreadWindows(GetCurrentThreadId(), EndOpenDialog, 0);
}

}  // namespace

DialogScript::DialogScript(DWORD limitMs)
{
    s_steps.clear();
    s_hook = SetWindowsHookExA(WH_CALLWNDPROCRET, SeeInitDialog, NULL, GetCurrentThreadId());
    s_limitTimer = SetTimer(NULL, 0, limitMs, TimeLimit);
}

DialogScript::~DialogScript()
{
    UnhookWindowsHookEx(s_hook);
    KillTimer(NULL, s_limitTimer);
    for (auto& due : s_due)
        KillTimer(NULL, due.first);
    s_due.clear();
    EXPECT_TRUE(s_steps.empty()) << s_steps.size() << " dialog steps never ran, the first for \""
                                 << s_steps.front().caption << "\"";
    s_steps.clear();
}

DialogScript& DialogScript::On(const char* caption, std::function<void(HWND)> step)
{
    s_steps.push_back({caption, std::move(step)});
    return *this;
}

bool DialogScript::Done() const
{
    return s_steps.empty() && s_due.empty();
}

void Click(HWND dialog, int id)
{
    HWND button = GetDlgItem(dialog, id);
    ASSERT_TRUE(button) << "no control " << id;
    if (IsWindowEnabled(button))
        SendMessageA(button, BM_CLICK, 0, 0);
}

void Command(HWND dialog, int id, WORD notification)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, notification), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SetText(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

std::string Text(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

void SelectRow(HWND dialog, int list, int row)
{
    SendDlgItemMessageA(dialog, list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    Command(dialog, list, LBN_SELCHANGE);
}

void DoubleClickRow(HWND dialog, int list, int row)
{
    SelectRow(dialog, list, row);
    Command(dialog, list, LBN_DBLCLK);
}

std::vector<std::string> Rows(HWND dialog, int list)
{
    std::vector<std::string> rows;
    LRESULT n = SendDlgItemMessageA(dialog, list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; i++) {
        char text[256] = "";
        if (SendDlgItemMessageA(dialog, list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < LRESULT(sizeof text))
            SendDlgItemMessageA(dialog, list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

int SelectedRow(HWND dialog, int list)
{
    LRESULT row = SendDlgItemMessageA(dialog, list, LB_GETCURSEL, 0, 0);
    return row == LB_ERR ? -1 : static_cast<int>(row);
}

bool Enabled(HWND dialog, int id)
{
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

}  // namespace seam
