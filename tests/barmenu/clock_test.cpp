// The clock item of the real bar and the hourly chime.
#include "tests/support.h"

#include <mmsystem.h>
#include <stdio.h>

#include "resources/resource.h"

namespace {

const char SOUND_TEXT[] = "Error playing WAV file.\nCheck path and filename.";

class ClockTest : public TolvexTest {
protected:
    void SetUp() override
    {
        TolvexTest::SetUp();
        StartBar();
        CopyText(g_userVars.wavPath, sizeof g_userVars.wavPath, "c:\\gong.wav");
        seam::Reset();
    }
};

TEST_F(ClockTest, TheClockItemReadsEveryMinuteOfTheDayOnATwelveHourClock)
{
    for (int minutes = 0; minutes < 24 * 60; minutes++) {
        SYSTEMTIME t = {};
        t.wHour = static_cast<WORD>(minutes / 60);
        t.wMinute = static_cast<WORD>(minutes % 60);
        char text[CLOCK_TEXT_SIZE], expected[16];
        FormatClockText(t, text);
        int hour = t.wHour % 12 ? t.wHour % 12 : 12;
        snprintf(expected, sizeof expected, "%d:%02d %s", hour, t.wMinute, t.wHour < 12 ? "AM" : "PM");
        ASSERT_STREQ(expected, text) << minutes;
    }
    // At the right end, disabled but not grayed.
    EXPECT_EQ(UINT(MF_HELP | MF_DISABLED),
              GetMenuState(g_hBarMenu, IDM_CLOCK, MF_BYCOMMAND) & (MF_HELP | MF_DISABLED | MF_GRAYED));
}

// Every refresh in minute 0 chimes, with no memory of the last.
TEST_F(ClockTest, TheChimePlaysInMinuteZeroOnlyWhenItIsOn)
{
    for (LONG chime : {0, 1}) {
        SCOPED_TRACE(chime);
        seam::Reset();
        g_userVars.chime = chime;
        for (int minute = 0; minute < 24 * 60; minute++) {
            if (minute % 60 > 1 && minute % 60 != 30 && minute % 60 != 59)
                continue;  // a real redraw each: the minutes that tell suffice
            seam::SetLocalTime(static_cast<WORD>(minute / 60), static_cast<WORD>(minute % 60), 30);
            size_t before = seam::state.sounds.size();
            UpdateClock();
            ASSERT_EQ(chime && minute % 60 == 0 ? 1u : 0u, seam::state.sounds.size() - before) << minute;
        }
        seam::SetLocalTime(10, 0, 45);
        UpdateClock();
        ASSERT_EQ(chime ? 25u : 0u, seam::state.sounds.size());
        EXPECT_TRUE(seam::state.boxes.empty());
    }
    EXPECT_EQ("c:\\gong.wav", seam::state.sounds[0].path);
    EXPECT_EQ(DWORD(SND_FILENAME | SND_ASYNC), seam::state.sounds[0].flags);
}

TEST_F(ClockTest, AFailedChimeWarnsAndWithoutTheClockItemNothingPlays)
{
    g_userVars.chime = 1;
    seam::SetLocalTime(0, 0);
    seam::state.playResult = FALSE;
    EXPECT_EQ(1, UpdateClock());
    ASSERT_EQ(std::vector<std::string>{SOUND_TEXT}, seam::BoxTexts());
    EXPECT_EQ(g_hwndBar, seam::state.boxes[0].owner);

    seam::Reset();
    DeleteMenu(g_hBarMenu, IDM_CLOCK, MF_BYCOMMAND);
    EXPECT_EQ(0, UpdateClock());
    EXPECT_TRUE(seam::state.sounds.empty());
    EXPECT_TRUE(seam::state.boxes.empty());
}

}  // namespace
