// The clock changes on the minute, and at once when the time jumps.
#include "tests/support.h"

namespace {

using MinuteTest = TolvexTest;

TEST_F(MinuteTest, TheClockWaitsForTheNextMinuteAndFollowsATimeChange)
{
    const struct {
        WORD second, ms;
        UINT wait;
    } waits[] = {{0, 0, 60000}, {2, 0, 58000}, {59, 999, 1}, {60, 500, 1000}};
    for (const auto& w : waits) {
        SYSTEMTIME t = {};
        t.wSecond = w.second;
        t.wMilliseconds = w.ms;
        EXPECT_EQ(MsToNextMinute(t), w.wait) << w.second;
    }
    StartBar();
    const struct {
        UINT message;
        WPARAM wParam;
        WORD hour, minute;
    } jumps[] = {{WM_TIMECHANGE, 0, 11, 42}, {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 23, 5}};
    for (const auto& j : jumps) {
        seam::SetLocalTime(j.hour, j.minute, 2);
        SendMessageA(g_hwndBar, j.message, j.wParam, 0);
        char text[CLOCK_TEXT_SIZE];
        SYSTEMTIME t = {};
        t.wHour = j.hour;
        t.wMinute = j.minute;
        FormatClockText(t, text);
        EXPECT_EQ(MenuTexts(g_hBarMenu)[2], text);
    }
}

}  // namespace
