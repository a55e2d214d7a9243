// SYSTEMTIME, which LINECALLSTATUS embeds. <windows.h> declares it on
// Windows; platform/WinTypes.h leaves it out elsewhere.
// Needs WORD.
#pragma once

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;
