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
        SYSTEMTIME t = {2026, 12, 1, 7, 11, 42, w.second, w.ms};
        EXPECT_EQ(MsToNextMinute(t), w.wait) << w.second;
    }
    StartBar();
    ShowWarning("no dialog open");
    EXPECT_EQ(seam::Boxes().back().owner, g_hwndBar);
    for (UINT message : {WM_TIMECHANGE, WM_POWERBROADCAST}) {
        seam::SetLocalTime(11, message == WM_TIMECHANGE ? 42 : 43, 2);
        SendMessageA(g_hwndBar, message, PBT_APMRESUMEAUTOMATIC, 0);
        EXPECT_EQ(MenuTexts(g_hBarMenu)[2], message == WM_TIMECHANGE ? "11:42 AM" : "11:43 AM");
    }
}

}  // namespace
