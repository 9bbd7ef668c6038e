// What the bar's tests share: a bar started over two menus, staying on top.
#pragma once
#include "tests/support.h"

#include "dialogs/dialogs.h"
#include "resources/resource.h"

class BarTest : public TolvexTest {
protected:
    void SetUp() override
    {
        TolvexTest::SetUp();
        g_userVars.stayOnTop = 1;
    }

    static void StartBarOver(const std::vector<MenuSpec>& menus = {{"&Apps", {"a", "b"}}, {"&Games", {"g"}}})
    {
        MakeMenus(menus);
        StartBar();
    }

    static LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(g_hwndBar, message, wParam, lParam);
    }

    static std::string ClockText()
    {
        char text[CLOCK_TEXT_SIZE] = "";
        GetMenuStringA(GetMenu(g_hwndBar), IDM_CLOCK, text, sizeof text, MF_BYCOMMAND);
        return text;
    }

    static bool QuitPosted()
    {
        MSG msg;
        return PeekMessageA(&msg, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    }

    static RECT BarRect()
    {
        RECT rect;
        GetWindowRect(g_hwndBar, &rect);
        return rect;
    }
    // The work area of the primary monitor below the bar.
    static RECT BelowBar()
    {
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        GetMonitorInfoA(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
        RECT area = info.rcWork;
        area.top = std::max<LONG>(area.top, BarRect().bottom);
        return area;
    }
};

// Runs `steps` in the dialog that the bar's command opens.
inline void RunFromBar(UINT command, const char* caption, const std::function<void(HWND)>& steps)
{
    seam::DialogScript script;
    script.On(caption, steps);
    SendMessageA(g_hwndBar, WM_COMMAND, command, 0);
}

inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << r.left << "," << r.top << "," << r.right << "," << r.bottom;
}
