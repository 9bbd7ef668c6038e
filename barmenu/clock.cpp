// The clock item at the right end of the bar, and the hourly chime.
#include "barmenu/barmenu.h"

#include <mmsystem.h>

#include "base/report.h"
#include "base/syslib.h"
#include "base/text.h"
#include "resources/resource.h"

const char WAV_FAILED_TEXT[] = "Error playing WAV file.\nCheck path and filename.";

int PlayWavFile(const char* path, DWORD flags)
{
    auto playSound = SystemProc<decltype(&PlaySoundA)>("winmm.dll", "PlaySoundA");
    return playSound && playSound(path, NULL, SND_FILENAME | SND_ASYNC | flags);
}

// "h:mm AM" on a 12-hour clock: hour 0 shows as 12, no leading zero.
void FormatClockText(const SYSTEMTIME& time, char text[CLOCK_TEXT_SIZE])
{
    int hour = time.wHour % 12;
    text[0] = '\0';
    AppendDecimal(text, CLOCK_TEXT_SIZE, hour == 0 ? 12 : hour);
    AppendText(text, CLOCK_TEXT_SIZE, time.wMinute < 10 ? ":0" : ":");
    AppendDecimal(text, CLOCK_TEXT_SIZE, time.wMinute);
    AppendText(text, CLOCK_TEXT_SIZE, time.wHour < 12 ? " AM" : " PM");
}

UINT MsToNextMinute(const SYSTEMTIME& time)
{
    UINT into = time.wSecond * 1000u + time.wMilliseconds;
    // A leap second must not make the wait negative.
    return into < 60000u ? 60000u - into : 1000u;
}

int UpdateClock()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[CLOCK_TEXT_SIZE];
    FormatClockText(now, text);
    if (!ModifyMenuA(g_hBarMenu, IDM_CLOCK, MF_BYCOMMAND | MF_STRING | MF_DISABLED | MF_HELP, IDM_CLOCK, text))
        return 0;
    DrawMenuBar(g_hwndBar);
    if (g_userVars.chime && now.wMinute == 0 && !PlayWavFile(g_userVars.wavPath, 0))
        ShowWarning(WAV_FAILED_TEXT);
    return 1;
}
