#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Clock, timeout and time-stamp helpers.
///
/// A time pair holds seconds and microseconds as signed 32-bit numbers; its
/// seconds are calendar seconds (they wrap in January 2038) or, for the tick
/// functions, seconds of the monotonic clock.  A time stamp is a 64-bit count
/// of seconds since 1970-01-01 UTC.  The high-resolution counter is the
/// monotonic clock in nanoseconds (frequency 1000000000); the process clock
/// counts milliseconds of the monotonic clock since the library was loaded.
/// Differences are computed in 64 bits.
///
/// `gettimeofday` lives in namespace brick with its own time-pair type, so
/// the C library's function of that name is never replaced.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// Seconds and microseconds.
struct tTimePair {
    int32_t tv_sec;  ///< seconds
    int32_t tv_usec; ///< microseconds, 0 to 999999
};

/// Calendar date and time with milliseconds, in this order.
struct tSystemTime {
    uint16_t wYear;         ///< four-digit year
    uint16_t wMonth;        ///< 1 to 12
    uint16_t wDayOfWeek;    ///< 0 Sunday to 6 Saturday
    uint16_t wDay;          ///< 1 to 31
    uint16_t wHour;         ///< 0 to 23
    uint16_t wMinute;       ///< 0 to 59
    uint16_t wSecond;       ///< 0 to 59 (60 for a leap second)
    uint16_t wMilliseconds; ///< 0 to 999
};

/// Current calendar time: seconds since 1970 (cut to 32 bits) and the
/// current millisecond times 1000.  The second argument is ignored.
/// \returns 0; -1 for a null out.
BRICK_API int gettimeofday(tTimePair *a_pOut, void *a_pIgnored);

/// `gettimeofday`; true on success.
BRICK_API bool tv_getcurrent(tTimePair *a_pOut);

/// Seconds elapsed since a calendar time pair (whole seconds plus
/// microseconds / 1000000); -1 when the clock cannot be read.
BRICK_API double tv_diffsec(int32_t a_iSec, int32_t a_iUsec);
/// `tv_diffsec` in milliseconds, truncated; -1 when it is negative.
BRICK_API int tv_diffmsec(int32_t a_iSec, int32_t a_iUsec);
/// `tv_diffsec` in microseconds, truncated; -1 when it is negative.
BRICK_API int tv_diffusec(int32_t a_iSec, int32_t a_iUsec);

/// Frequency of the high-resolution counter: 1000000000.
BRICK_API int64_t getcpufreq();

/// Current value of the high-resolution counter (monotonic nanoseconds).
BRICK_API int64_t qp_GetCounter();

/// The counter as a time pair: seconds = counter / frequency, microseconds =
/// (counter mod frequency) x 1000000 / frequency.  \returns false for a null out.
BRICK_API bool getcurtick(tTimePair *a_pOut);
/// As `getcurtick`.
BRICK_API bool tv_gettick(tTimePair *a_pOut);

/// Monotonic microseconds: seconds x 1000000 + microseconds of `tv_gettick`; 0 when it fails.
BRICK_API int64_t mos_GetTick();

/// Microseconds within the current second of the counter; a_llFrequency 0
/// uses `getcpufreq`.
BRICK_API int64_t tv_getmicrosecond(int64_t a_llFrequency);

/// Seconds since a counter value; 0 for a start of 0 or less.  a_llFrequency
/// 0 uses `getcpufreq`.
BRICK_API double qp_ElapsedTime(int64_t a_llStart, int64_t a_llFrequency);

/// True when the start is 0 or less, the limit is below 1 second, or more
/// than a_dLimit seconds have passed since the counter value a_llStart.
BRICK_API bool qp_CheckTimeout(int64_t a_llStart, double a_dLimit, int64_t a_llFrequency);

/// Current process clock in milliseconds (monotonic, counted from library load).
BRICK_API int64_t ck_GetClock();

/// Seconds since a process-clock value; 0 for a start of 0 or less.
BRICK_API double ck_ElapsedTime(int64_t a_llStart);

/// True when the start or the limit is below 1, or more than a_dLimit
/// seconds have passed since the process-clock value a_llStart.
BRICK_API bool ck_CheckTimeout(int64_t a_llStart, double a_dLimit);

/// True when the start or the limit is 0 or less, or more than a_llLimit
/// seconds have passed since the time stamp a_llStart.
BRICK_API bool ts_CheckTimeout(int64_t a_llStart, int64_t a_llLimit);

/// Blocks, checking `ts_CheckTimeout` every 100 milliseconds, until it is true.
BRICK_API void ts_WaitTimeout(int64_t a_llStart, int64_t a_llLimit);

/// Writes the UTC time of a stamp (0 means now) as "YYYYMMDDhhmmssZ".
/// \param a_llStamp seconds since 1970, or 0 for now.
/// \param a_cpOut at least 16 bytes; it holds "00000000000000Z" when the
///                time cannot be shown (years outside 0 to 9999).
/// \returns true when written; false for null out or an unshowable time.
BRICK_API bool ts_TS2GMT14(char *a_cpOut, int64_t a_llStamp);

/// As `ts_TS2GMT14` in local time, without the 'Z' (out at least 15 bytes,
/// "00000000000000" when unshowable).
BRICK_API bool ts_TS2LT14(char *a_cpOut, int64_t a_llStamp);

/// Time stamp of a UTC text "YYYYMMDDhhmmssZ" (fields read like "%4d%2d...",
/// normalised like a calendar: month 13 is January of the next year).
/// \returns 0 for null text, fewer than 15 characters, no 'Z' at the
///          fifteenth, a year below 1900, a month or day below 1, or a
///          negative hour, minute or second.
BRICK_API int64_t ts_GMT2TS(const char *a_cpText);

/// The current UTC calendar time read back as if it were local time (the
/// current stamp shifted by the local zone's standard offset).
BRICK_API int64_t ts_TSGMT();

/// Fills the local date and time with milliseconds; a null out does nothing.
BRICK_API void st_GetCurTime(tSystemTime *a_pOut);

} // namespace brick
