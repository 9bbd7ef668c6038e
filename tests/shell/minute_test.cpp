// The clock changes on the minute, and at once when it may have gone wrong:
// the time jumped, or the system woke from sleep.
#include "tests/shell/bar.h"

namespace {

TEST_F(BarTest, TheClockWaitsForTheNextMinuteAndIsRefreshedWhenItMayBeWrong)
{
    const struct {
        WORD second, ms;
        UINT wait;
    } waits[] = {{0, 0, 60000}, {2, 0, 58000}, {59, 999, 1}, {60, 500, 1000}};
    for (const auto& w : waits) {
        SYSTEMTIME t = {2026, 12, 1, 7, 11, 42, w.second, w.ms};
        EXPECT_EQ(MsToNextMinute(t), w.wait) << w.second;
    }
    const struct {
        UINT message;
        WPARAM wParam;
        bool refreshes;
    } cases[] = {
        {WM_TIMER, CLOCK_TIMER_ID, true},
        {WM_TIMER, 1, false},
        {WM_TIMECHANGE, 0, true},
        {WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, true},
        {WM_POWERBROADCAST, PBT_APMSUSPEND, false},
    };
    StartBarOver({});
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.message) + "," + std::to_string(c.wParam));
        seam::SetLocalTime(9, 5);
        UpdateClock();
        seam::SetLocalTime(14, 45);
        Send(c.message, c.wParam);
        EXPECT_EQ(BarLayout().back(), c.refreshes ? "2:45 PM" : "9:05 AM");
    }
    EXPECT_TRUE(seam::Boxes().empty());
    DeleteMenu(GetMenu(g_hwndBar), IDM_CLOCK, MF_BYCOMMAND);
    Send(WM_TIMER, CLOCK_TIMER_ID);
    EXPECT_EQ(seam::BoxTexts(), std::vector<std::string>{"Error modifying time!"});
}

}  // namespace
