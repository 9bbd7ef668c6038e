// The settings record in the real registry.
#include "tests/support.h"

namespace {

const char FIRST_RUN_TEXT[] = "Thanks for trying Tolvex!  If you find\nany bugs, please report them to\r\n"
                              "tolvex-bugs@example.org!";
const char CORRUPT_TEXT[] = "Corrupt registry data.  Deleting\nand installing default data";

// The defaults, in memory and stored.
void ExpectDefaults()
{
    EXPECT_EQ(SettingsRecord(1, 0, -1, ""), MemorySettings());
    EXPECT_EQ(SettingsRecord(1, 0, -1, ""), ReadSettings());
}

using UserVarsTest = TolvexTest;

// A key without the value is a first run that ended before the defaults
// were written.
TEST_F(UserVarsTest, AFirstRunGreetsOnceAndWritesTheDefaults)
{
    for (bool keyMade : {false, true}) {
        SCOPED_TRACE(keyMade ? "the key without the value" : "no key");
        seam::Reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, SETTINGS_KEY);
        HKEY key;
        if (keyMade && RegCreateKeyA(HKEY_CURRENT_USER, SETTINGS_KEY, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
        g_userVars = UserVars{};
        LoadUserVars();
        ASSERT_EQ(1u, seam::state.boxes.size());
        const seam::Box& box = seam::state.boxes[0];
        EXPECT_EQ(FIRST_RUN_TEXT, box.text);
        EXPECT_EQ("Tolvex", box.caption);
        EXPECT_EQ(HWND(NULL), box.owner);
        EXPECT_EQ(UINT(MB_ICONINFORMATION), box.type);
        ExpectDefaults();
    }
}

TEST_F(UserVarsTest, AStoredRecordIsTakenWhole)
{
    const Bytes stored = SettingsRecord(0, 7, 12345, "c:\\chime.wav");
    StoreSettings(stored);
    int writes = seam::Calls("RegSetValueExA");
    LoadUserVars();
    EXPECT_TRUE(seam::state.boxes.empty());
    EXPECT_EQ(stored, MemorySettings());
    EXPECT_EQ(writes, seam::Calls("RegSetValueExA"));
}

// Which sizes and types are the record is the decoder's, checked natively; here
// what a refused value and one too large to be read come to.
TEST_F(UserVarsTest, AValueOfAnyOtherSizeOrTypeIsReplacedByTheDefaults)
{
    const struct {
        DWORD type;
        size_t size;
    } cases[] = {{REG_DWORD, USERVARS_SIZE}, {REG_BINARY, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        seam::Reset();
        g_userVars = UserVars{};
        StoreSettings(Bytes(c.size, 'A'), c.type);
        LoadUserVars();
        ASSERT_EQ((std::vector<std::string>{CORRUPT_TEXT, FIRST_RUN_TEXT}), seam::BoxTexts());
        EXPECT_EQ(HWND(NULL), seam::state.boxes[0].owner);
        EXPECT_EQ(UINT(MB_ICONWARNING), seam::state.boxes[0].type);
        ExpectDefaults();
    }
}

TEST_F(UserVarsTest, WithoutAccessToTheKeyNothingIsShownOrWritten)
{
    seam::Fail("RegCreateKeyExA", 1, ERROR_ACCESS_DENIED, 2);
    LoadUserVars();
    SaveUserVars();
    EXPECT_TRUE(seam::state.boxes.empty());
    EXPECT_EQ(1, g_userVars.stayOnTop);
    EXPECT_EQ(0, g_userVars.chime);
    EXPECT_EQ(0, g_userVars.reserved);
    EXPECT_TRUE(ReadSettings().empty());
}

TEST_F(UserVarsTest, SaveWritesTheRecordAndAFailedWriteIsNotReported)
{
    seam::Fail("RegSetValueExA");
    LoadUserVars();  // the defaults' write fails silently
    EXPECT_EQ(std::vector<std::string>{FIRST_RUN_TEXT}, seam::BoxTexts());
    EXPECT_EQ(1, g_userVars.stayOnTop);
    EXPECT_TRUE(ReadSettings().empty());

    g_userVars.chime = 1;
    CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\hour.wav");
    SaveUserVars();
    const Bytes saved = SettingsRecord(1, 1, -1, "c:\\hour.wav");
    EXPECT_EQ(saved, ReadSettings());

    g_userVars.chime = 0;
    seam::Fail("RegSetValueExA");
    SaveUserVars();
    EXPECT_EQ(saved, ReadSettings());
    EXPECT_EQ(1u, seam::state.boxes.size());
}

}  // namespace
