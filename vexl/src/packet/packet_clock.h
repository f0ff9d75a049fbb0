#pragma once
// The one place where the packet engine reads the local clock (date and time keywords).
//
// Tests install their own source to fix the date without touching the system clock; the source
// is a process-wide atomic pointer, so swapping it never races with a reader.

#include <cstdint>

namespace vexl::detail {

/// The local time broken into the parts the date and time keywords use.
struct tLocalClock {
    uint32_t uYear;        ///< four digits, e.g. 2024
    uint32_t uMonth;       ///< 1 to 12
    uint32_t uDay;         ///< 1 to 31
    uint32_t uHour;        ///< 0 to 23
    uint32_t uMinute;      ///< 0 to 59
    uint32_t uSecond;      ///< 0 to 60 (a leap second shows as 60)
    uint32_t uMillisecond; ///< 0 to 999
    uint32_t uDayOfWeek;   ///< 0 = Sunday
    uint32_t uDayOfYear;   ///< counted from 0
};

/// A clock source: fills `out` and returns true, or returns false when the time cannot be read.
using tClockSource = bool (*)(tLocalClock &out);

/// The system source: CLOCK_REALTIME with milliseconds, broken down by localtime_r in the local
/// zone (TZ or /etc/localtime).
bool readSystemClock(tLocalClock &out) noexcept;

/// Reads the installed source (the system source unless a test installed another).
bool readLocalClock(tLocalClock &out) noexcept;

/// Installs `source` (null restores the system source) and returns the previous one.
tClockSource setClockSource(tClockSource source) noexcept;

/// The value of a date or time keyword (indices 11 to 20 and 31 to 38) from the clock parts;
/// 0 for any other index.
uint64_t clockKeywordValue(unsigned index, const tLocalClock &clock) noexcept;

} // namespace vexl::detail
