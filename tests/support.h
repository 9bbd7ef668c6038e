// Shared fixture of the in-process tests: the program's code against the
// real system, with the test seam installed. Every test starts in a fresh
// temporary folder, with no settings key, no bar and no menus.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "barmenu/barmenu.h"
#include "base/text.h"
#include "shell/shell.h"
#include "store/store.h"
#include "tests/bytes.h"
#include "tests/menulist.h"
#include "tests/seam/driver.h"
#include "tests/seam/seam.h"
#include "tests/winstate.h"

class TolvexTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    using MenuSpec = ::MenuSpec;
    static void MakeMenus(const std::vector<MenuSpec>& menus);

    // The bar as start-up makes it, over the menus there are.
    static void StartBar();
    // Dispatches what waits in the thread's queue.
    static void Pump();

    // The fresh folder the test runs in, with a trailing backslash.
    const std::string& Folder() const
    {
        return folder_;
    }

private:
    std::string oldDir_, folder_;
};

// The texts of a menu's items, by position ("" for a separator).
std::vector<std::string> MenuTexts(HMENU menu);
// g_userVars as the registry keeps it.
inline Bytes MemorySettings()
{
    const BYTE* data = reinterpret_cast<const BYTE*>(&g_userVars);
    return Bytes(data, data + sizeof g_userVars);
}
