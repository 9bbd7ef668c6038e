#include "tests/support.h"

namespace {

const char KEY[] = "Software\\Tolvex";
const char FIRST_RUN_TEXT[] = "Thanks for trying Tolvex!  If you find\nany bugs, please report them to\r\n"
                              "tolvex-bugs@example.org!";
const char CORRUPT_TEXT[] = "Corrupt registry data.  Deleting\nand installing default data";

Bytes Record(int32_t stayOnTop, int32_t chime, int32_t reserved, const std::string& wav)
{
    Bytes out;
    PutLE32(out, static_cast<uint32_t>(stayOnTop));
    PutLE32(out, static_cast<uint32_t>(chime));
    PutLE32(out, static_cast<uint32_t>(reserved));
    PutField(out, wav, 80);
    return out;
}

class UserVarsTest : public TolvexTest {
protected:
    static Bytes Stored()
    {
        DWORD type = 0;
        Bytes data;
        EXPECT_TRUE(fw::RegGetValue(HKEY_CURRENT_USER, KEY, "User_Vars", &type, &data));
        EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
        return data;
    }
    static void ExpectDefaultsEverywhere()
    {
        EXPECT_EQ(g_userVars.stayOnTop, 1);
        EXPECT_EQ(g_userVars.chime, 0);
        EXPECT_EQ(g_userVars.reserved, -1);
        EXPECT_STREQ(g_userVars.wavPath, "");
        EXPECT_EQ(Stored(), Record(1, 0, -1, ""));
        EXPECT_EQ(fw::OpenRegKeyCount(), 0);
    }
};

TEST_F(UserVarsTest, FirstRunGreetsOnceAndWritesTheDefaults)
{
    LoadUserVars();
    ASSERT_EQ(fw::MessageBoxes().size(), 1u);
    const fw::MessageBoxCall& box = fw::MessageBoxes()[0];
    EXPECT_EQ(box.text, FIRST_RUN_TEXT);
    EXPECT_EQ(box.title, "Tolvex");
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONINFORMATION));
    ExpectDefaultsEverywhere();
}

TEST_F(UserVarsTest, AKeyWithoutTheValueIsAFirstRunToo)
{
    fw::RegCreateKey(HKEY_CURRENT_USER, KEY);
    LoadUserVars();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{FIRST_RUN_TEXT});
    ExpectDefaultsEverywhere();
}

TEST_F(UserVarsTest, AStoredRecordIsTakenWhole)
{
    Bytes stored = Record(0, 7, 12345, "c:\\chime.wav");
    fw::RegSetValue(HKEY_CURRENT_USER, KEY, "User_Vars", REG_BINARY, stored);
    LoadUserVars();
    EXPECT_TRUE(fw::MessageBoxes().empty());
    EXPECT_EQ(g_userVars.stayOnTop, 0);
    EXPECT_EQ(g_userVars.chime, 7);
    EXPECT_EQ(g_userVars.reserved, 12345);
    EXPECT_STREQ(g_userVars.wavPath, "c:\\chime.wav");
    EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);

    // A path without its NUL is cut at the field's last byte.
    Bytes unterminated = Record(1, 1, 0, "");
    std::fill(unterminated.begin() + 12, unterminated.end(), 'w');
    fw::RegSetValue(HKEY_CURRENT_USER, KEY, "User_Vars", REG_BINARY, unterminated);
    LoadUserVars();
    EXPECT_EQ(std::string(g_userVars.wavPath), std::string(79, 'w'));
}

// A text or a number of the record's length is not the record either.
TEST_F(UserVarsTest, AValueOfAnyOtherSizeOrTypeIsReplacedByTheDefaults)
{
    const struct {
        DWORD type;
        size_t size;
    } cases[] = {{REG_BINARY, 0}, {REG_BINARY, 4}, {REG_BINARY, 91}, {REG_BINARY, 93}, {REG_BINARY, 200},
                 {REG_SZ, 92},    {REG_DWORD, 4},  {REG_DWORD, 92},  {REG_NONE, 92},   {8, 92}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + " " + std::to_string(c.size));
        fw::Reset();
        g_userVars = UserVars{};
        fw::RegSetValue(HKEY_CURRENT_USER, KEY, "User_Vars", c.type, Bytes(c.size, 0x55));
        LoadUserVars();
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{CORRUPT_TEXT, FIRST_RUN_TEXT}));
        EXPECT_EQ(fw::MessageBoxes()[0].owner, nullptr);
        EXPECT_EQ(fw::MessageBoxes()[0].style, static_cast<UINT>(MB_ICONWARNING));
        EXPECT_EQ(fw::CallCount("RegDeleteValueA"), 1);
        ExpectDefaultsEverywhere();
    }
}

TEST_F(UserVarsTest, WithoutAccessToTheKeyNothingIsShownOrWritten)
{
    fw::RegDenyAccess(HKEY_CURRENT_USER, KEY);
    LoadUserVars();
    EXPECT_TRUE(fw::MessageBoxes().empty());
    EXPECT_EQ(g_userVars.stayOnTop, 1);
    EXPECT_EQ(g_userVars.chime, 0);
    EXPECT_EQ(g_userVars.reserved, 0);
    SaveUserVars();
    EXPECT_EQ(fw::CallCount("RegSetValueExA"), 0);
}

TEST_F(UserVarsTest, SaveWritesTheRecordAndAFailedWriteIsNotReported)
{
    fw::FailCalls("RegSetValueExA");
    LoadUserVars();  // the defaults' write fails silently
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{FIRST_RUN_TEXT});
    EXPECT_EQ(g_userVars.stayOnTop, 1);

    g_userVars.chime = 1;
    CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\hour.wav");
    SaveUserVars();
    EXPECT_EQ(Stored(), Record(1, 1, -1, "c:\\hour.wav"));
    EXPECT_EQ(fw::OpenRegKeyCount(), 0);

    g_userVars.chime = 0;
    fw::FailCalls("RegSetValueExA");
    SaveUserVars();
    EXPECT_EQ(Stored(), Record(1, 1, -1, "c:\\hour.wav"));
    EXPECT_EQ(fw::OpenRegKeyCount(), 0);
    EXPECT_EQ(fw::MessageBoxes().size(), 1u);
}

}  // namespace
