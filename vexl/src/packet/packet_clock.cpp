// Local clock for the date and time keywords, behind a replaceable source.

#include "packet_clock.h"

#include <atomic>
#include <ctime>

#include "internal_keywords.h"

namespace vexl::detail {

namespace {

constinit std::atomic<tClockSource> s_fpClockSource{nullptr};

} // namespace

bool readSystemClock(tLocalClock &out) noexcept {
    struct timespec l_tNow;
    if (clock_gettime(CLOCK_REALTIME, &l_tNow) != 0)
        return false;
    struct tm l_tLocal;
    const time_t l_tSeconds = l_tNow.tv_sec;
    if (localtime_r(&l_tSeconds, &l_tLocal) == nullptr)
        return false;
    out.uYear = uint32_t(l_tLocal.tm_year + 1900);
    out.uMonth = uint32_t(l_tLocal.tm_mon + 1);
    out.uDay = uint32_t(l_tLocal.tm_mday);
    out.uHour = uint32_t(l_tLocal.tm_hour);
    out.uMinute = uint32_t(l_tLocal.tm_min);
    out.uSecond = uint32_t(l_tLocal.tm_sec);
    out.uMillisecond = uint32_t(l_tNow.tv_nsec / 1000000);
    out.uDayOfWeek = uint32_t(l_tLocal.tm_wday);
    out.uDayOfYear = uint32_t(l_tLocal.tm_yday);
    return true;
}

bool readLocalClock(tLocalClock &out) noexcept {
    const tClockSource l_fpSource = s_fpClockSource.load(std::memory_order_acquire);
    return l_fpSource != nullptr ? l_fpSource(out) : readSystemClock(out);
}

tClockSource setClockSource(tClockSource source) noexcept {
    return s_fpClockSource.exchange(source, std::memory_order_acq_rel);
}

uint64_t clockKeywordValue(unsigned index, const tLocalClock &c) noexcept {
    const uint64_t l_uYMD = (uint64_t(c.uYear) * 100 + c.uMonth) * 100 + c.uDay;
    const uint64_t l_uShortYMD = (uint64_t(c.uYear % 100) * 100 + c.uMonth) * 100 + c.uDay;
    const uint64_t l_uHMS = (uint64_t(c.uHour) * 100 + c.uMinute) * 100 + c.uSecond;
    switch (index) {
    case IKW_DOY:
        return c.uDayOfYear;
    case IKW_DOW:
        return c.uDayOfWeek;
    case IKW_YYYY:
        return c.uYear;
    case IKW_YY:
        return c.uYear % 100;
    case IKW_MM:
        return c.uMonth;
    case IKW_DD:
        return c.uDay;
    case IKW_hh:
        return c.uHour;
    case IKW_mm:
        return c.uMinute;
    case IKW_SS:
        return c.uSecond;
    case IKW_sss:
        return c.uMillisecond;
    case IKW_YYYYMMDD:
        return l_uYMD;
    case IKW_YYMMDD:
        return l_uShortYMD;
    case IKW_hhmmSS:
        return l_uHMS;
    case IKW_hhmmSSsss:
        return l_uHMS * 1000 + c.uMillisecond;
    case IKW_YYMMDDhhmmSS:
        return l_uShortYMD * 1000000 + l_uHMS;
    case IKW_YYMMDDhhmmSSsss:
        return (l_uShortYMD * 1000000 + l_uHMS) * 1000 + c.uMillisecond;
    case IKW_YYYYMMDDhhmmSS:
        return l_uYMD * 1000000 + l_uHMS;
    case IKW_YYYYMMDDhhmmSSsss:
        return (l_uYMD * 1000000 + l_uHMS) * 1000 + c.uMillisecond;
    default:
        return 0;
    }
}

} // namespace vexl::detail
