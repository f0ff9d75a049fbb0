#include <time.h>

#include <cstdio>
#include <cstring>

#include "brick/time_util.h"

namespace brick {

namespace {

/// Formats a broken-down time as 14 digits (and the suffix); false for a
/// year outside 0 to 9999, which would not fit.
bool format14(const tm &a_tm, char *a_cpOut, std::size_t a_uiSize, const char *a_cpSuffix) {
    const long l_lYear = static_cast<long>(a_tm.tm_year) + 1900;
    if (l_lYear < 0 || l_lYear > 9999) {
        return false;
    }
    // Formatted in a roomy buffer first: the calendar fields are in range,
    // but the copy into the caller's fixed out is checked, not assumed.
    char l_szText[64];
    const int l_iLen =
        std::snprintf(l_szText, sizeof l_szText, "%04ld%02d%02d%02d%02d%02d%s", l_lYear, a_tm.tm_mon + 1,
                      a_tm.tm_mday, a_tm.tm_hour, a_tm.tm_min, a_tm.tm_sec, a_cpSuffix);
    if (l_iLen < 0 || static_cast<std::size_t>(l_iLen) >= a_uiSize) {
        return false;
    }
    std::memcpy(a_cpOut, l_szText, static_cast<std::size_t>(l_iLen) + 1);
    return true;
}

/// Splits a stamp (0 = now) into UTC or local calendar time; false when the
/// C library cannot represent it.
bool breakDown(int64_t a_llStamp, bool a_bUtc, tm &a_tm) {
    const time_t l_t = a_llStamp == 0 ? ::time(nullptr) : static_cast<time_t>(a_llStamp);
    return (a_bUtc ? gmtime_r(&l_t, &a_tm) : localtime_r(&l_t, &a_tm)) != nullptr;
}

} // namespace

bool ts_TS2GMT14(char *a_cpOut, int64_t a_llStamp) {
    if (a_cpOut == nullptr) {
        return false;
    }
    std::memcpy(a_cpOut, "00000000000000Z", 16);
    tm l_tm{};
    return breakDown(a_llStamp, true, l_tm) && format14(l_tm, a_cpOut, 16, "Z");
}

bool ts_TS2LT14(char *a_cpOut, int64_t a_llStamp) {
    if (a_cpOut == nullptr) {
        return false;
    }
    std::memcpy(a_cpOut, "00000000000000", 15);
    tm l_tm{};
    return breakDown(a_llStamp, false, l_tm) && format14(l_tm, a_cpOut, 15, "");
}

int64_t ts_GMT2TS(const char *a_cpText) {
    if (a_cpText == nullptr || strnlen(a_cpText, 15) < 15 || a_cpText[14] != 'Z') {
        return 0;
    }
    char l_szFields[15];
    std::memcpy(l_szFields, a_cpText, 14);
    l_szFields[14] = '\0';
    int l_iYear, l_iMonth, l_iDay, l_iHour, l_iMinute, l_iSecond;
    if (std::sscanf(l_szFields, "%4d%2d%2d%2d%2d%2d", &l_iYear, &l_iMonth, &l_iDay, &l_iHour, &l_iMinute,
                    &l_iSecond) != 6) {
        return 0;
    }
    if (l_iYear < 1900 || l_iMonth < 1 || l_iDay < 1 || l_iHour < 0 || l_iMinute < 0 || l_iSecond < 0) {
        return 0;
    }
    tm l_tm{};
    l_tm.tm_year = l_iYear - 1900;
    l_tm.tm_mon = l_iMonth - 1;
    l_tm.tm_mday = l_iDay;
    l_tm.tm_hour = l_iHour;
    l_tm.tm_min = l_iMinute;
    l_tm.tm_sec = l_iSecond;
    // The calendar fields are UTC; timegm needs no zone offset (and no
    // daylight-saving guess).
    return static_cast<int64_t>(timegm(&l_tm));
}

int64_t ts_TSGMT() {
    const time_t l_now = ::time(nullptr);
    tm l_tm{};
    if (gmtime_r(&l_now, &l_tm) == nullptr) {
        return 0;
    }
    l_tm.tm_isdst = 0;
    return static_cast<int64_t>(mktime(&l_tm));
}

void st_GetCurTime(tSystemTime *a_pOut) {
    if (a_pOut == nullptr) {
        return;
    }
    timespec l_ts{};
    clock_gettime(CLOCK_REALTIME, &l_ts);
    tm l_tm{};
    if (localtime_r(&l_ts.tv_sec, &l_tm) == nullptr) {
        *a_pOut = tSystemTime{};
        return;
    }
    a_pOut->wYear = static_cast<uint16_t>(l_tm.tm_year + 1900);
    a_pOut->wMonth = static_cast<uint16_t>(l_tm.tm_mon + 1);
    a_pOut->wDayOfWeek = static_cast<uint16_t>(l_tm.tm_wday);
    a_pOut->wDay = static_cast<uint16_t>(l_tm.tm_mday);
    a_pOut->wHour = static_cast<uint16_t>(l_tm.tm_hour);
    a_pOut->wMinute = static_cast<uint16_t>(l_tm.tm_min);
    a_pOut->wSecond = static_cast<uint16_t>(l_tm.tm_sec);
    a_pOut->wMilliseconds = static_cast<uint16_t>(l_ts.tv_nsec / 1000000);
}

} // namespace brick
