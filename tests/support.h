// Shared fixture of the host tests: a fresh platform, fresh program state
// and a fresh temporary working directory for every test.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "barmenu/barmenu.h"
#include "shell/shell.h"
#include "base/text.h"
#include "store/store.h"
#include "tests/fakewin/fakewin.h"

using Bytes = std::vector<uint8_t>;

class TolvexTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A freshly booted platform and fresh program state, for a test that
    // walks through several cases; the working directory stays.
    virtual void ResetPlatform();

    // Builds the bar's menu template, as resource 105 holds it.
    static HMENU MakeBarMenuTemplate();

    // A menu list from a compact description: {"&Menu", {"app", "app", ...}}.
    struct MenuSpec {
        std::string name;
        std::vector<std::string> apps;
    };
    static void MakeMenus(const std::vector<MenuSpec>& menus);
    // Names of the menu list as "Menu:app,app|Menu2:..." for compact comparison.
    static std::string DescribeMenus();

    static Bytes ReadFileBytes(const std::string& name);
    static void WriteFileBytes(const std::string& name, const Bytes& data);
    static bool FileExists(const std::string& name);

    // Texts of the message boxes shown so far, in order.
    static std::vector<std::string> BoxTexts();

    // Runs what must end the process, and checks that it ends with code 0.
    static void ExpectProcessEnds(const std::function<void()>& run);

private:
    std::string oldDir_, tempDir_;
};

// Little-endian helpers for building and checking data file images.
void PutLE32(Bytes& out, uint32_t value);
void PutField(Bytes& out, const std::string& text, size_t size);
uint32_t GetLE32(const Bytes& in, size_t at);
