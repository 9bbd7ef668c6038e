// Fixture for tests that run the bar window.
#pragma once
#include "tests/support.h"

#include "hook/tolvexhk.h"

class BarTest : public TolvexTest {
protected:
    void ResetPlatform() override
    {
        TolvexTest::ResetPlatform();
        g_userVars.stayOnTop = 1;
        fw::RegisterModule(
            "C:\\TOLVEX\\tolvexhk.dll",
            {{"MaximizeHookProc", reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&MaximizeHookProc))}});
    }

    // The bar as start-up leaves it, with the given menus.
    void StartBar(const std::vector<MenuSpec>& menus = {{"&Apps", {"a", "b"}}, {"&Games", {"g"}}})
    {
        MakeMenus(menus);
        LoadHookLibrary();
        ASSERT_NE(RegisterBarClass(), 0);
        ASSERT_EQ(CreateBar(), 1);
    }

    static LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(g_hwndBar, message, wParam, lParam);
    }

    // Texts of the bar menu's items, popups as "[name]".
    static std::vector<std::string> BarLayout()
    {
        std::vector<std::string> out;
        for (const fw::MenuItem& item : fw::MenuItems(GetMenu(g_hwndBar)))
            out.push_back(item.popup ? "[" + item.text + "]" : item.text);
        return out;
    }

    static bool QuitPosted()
    {
        for (const MSG& msg : fw::QueuedMessages())
            if (msg.message == WM_QUIT)
                return msg.wParam == 0;
        return false;
    }
};
