#include "tests/support.h"

#include <cstdio>

#include "resources/resource.h"

namespace {

class ClockTest : public TolvexTest {
protected:
    void SetUp() override
    {
        TolvexTest::SetUp();
        g_hwndBar = fw::CreateTestWindow("BarLike", "Tolvex");
        g_hBarMenu = MakeBarMenuTemplate();
        CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\gong.wav");
    }
    static fw::MenuItem ClockItem()
    {
        return fw::MenuItems(g_hBarMenu)[2];
    }
};

TEST_F(ClockTest, EveryMinuteOfTheDayReadsOnATwelveHourClock)
{
    for (int hour = 0; hour < 24; hour++) {
        for (int minute = 0; minute < 60; minute++) {
            SYSTEMTIME t = {};
            t.wHour = static_cast<WORD>(hour);
            t.wMinute = static_cast<WORD>(minute);
            char text[CLOCK_TEXT_SIZE];
            FormatClockText(t, text);
            char expected[16];
            std::snprintf(expected, sizeof expected, "%d:%02d %s", hour % 12 == 0 ? 12 : hour % 12, minute,
                          hour < 12 ? "AM" : "PM");
            ASSERT_STREQ(text, expected) << hour << ":" << minute;
        }
    }
    const std::pair<int, const char*> samples[] = {
        {5, "12:05 AM"}, {9 * 60 + 7, "9:07 AM"}, {12 * 60, "12:00 PM"}, {23 * 60 + 59, "11:59 PM"}};
    for (const auto& [minutes, text] : samples) {
        SYSTEMTIME t = {};
        t.wHour = static_cast<WORD>(minutes / 60);
        t.wMinute = static_cast<WORD>(minutes % 60);
        char out[CLOCK_TEXT_SIZE];
        FormatClockText(t, out);
        EXPECT_STREQ(out, text);
    }
}

TEST_F(ClockTest, UpdateWritesTheTimeIntoTheClockItemAndRedraws)
{
    fw::SetLocalTime(13, 7);
    EXPECT_EQ(UpdateClock(), 1);
    fw::MenuItem clock = ClockItem();
    EXPECT_EQ(clock.text, "1:07 PM");
    EXPECT_EQ(clock.id, static_cast<UINT_PTR>(IDM_CLOCK));
    EXPECT_EQ(clock.flags & (MF_HELP | MF_DISABLED | MF_GRAYED), static_cast<UINT>(MF_HELP | MF_DISABLED));
    EXPECT_EQ(fw::DrawMenuBarCount(g_hwndBar), 1);
    EXPECT_TRUE(fw::PlaySoundCalls().empty());
}

TEST_F(ClockTest, TheChimePlaysInMinuteZeroOnlyWhenItIsOn)
{
    g_userVars.chime = 1;
    // One refresh a minute, all day: one chime an hour, in its minute 0.
    for (int minute = 0; minute < 24 * 60; minute++) {
        fw::SetLocalTime(static_cast<WORD>(minute / 60), static_cast<WORD>(minute % 60), 30);
        size_t before = fw::PlaySoundCalls().size();
        UpdateClock();
        ASSERT_EQ(fw::PlaySoundCalls().size() - before, minute % 60 == 0 ? 1u : 0u) << minute;
    }
    EXPECT_EQ(fw::PlaySoundCalls()[0].sound, "c:\\gong.wav");
    EXPECT_EQ(fw::PlaySoundCalls()[0].module, nullptr);
    EXPECT_EQ(fw::PlaySoundCalls()[0].flags, 0x20001u);

    fw::SetLocalTime(10, 0, 30);
    UpdateClock();
    UpdateClock();  // every refresh in minute 0 chimes, with no memory of the last
    EXPECT_EQ(fw::PlaySoundCalls().size(), 26u);

    g_userVars.chime = 0;
    UpdateClock();
    EXPECT_EQ(fw::PlaySoundCalls().size(), 26u);
}

TEST_F(ClockTest, AFailedChimeWarnsButTheRefreshCounts)
{
    g_userVars.chime = 1;
    fw::SetLocalTime(0, 0);
    fw::FailCalls("PlaySoundA");
    EXPECT_EQ(UpdateClock(), 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error playing WAV file.\nCheck path and filename."});
    EXPECT_EQ(fw::MessageBoxes()[0].owner, g_hwndBar);
}

TEST_F(ClockTest, WithoutTheClockItemNothingIsRedrawnOrPlayed)
{
    g_userVars.chime = 1;
    fw::SetLocalTime(0, 0);
    DeleteMenu(g_hBarMenu, IDM_CLOCK, MF_BYCOMMAND);
    EXPECT_EQ(UpdateClock(), 0);
    EXPECT_EQ(fw::DrawMenuBarCount(g_hwndBar), 0);
    EXPECT_TRUE(fw::PlaySoundCalls().empty());
    EXPECT_TRUE(fw::MessageBoxes().empty());
}

}  // namespace
