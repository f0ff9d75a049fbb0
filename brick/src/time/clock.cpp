#include <time.h>

#include <chrono>
#include <thread>

#include "brick/time_util.h"

namespace brick {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;

int64_t monotonicNanos() {
    timespec l_ts{};
    clock_gettime(CLOCK_MONOTONIC, &l_ts);
    return static_cast<int64_t>(l_ts.tv_sec) * kNanosPerSecond + l_ts.tv_nsec;
}

/// The process clock starts when the library is loaded.
const int64_t g_llLoadNanos = monotonicNanos();

} // namespace

// MARK: - Calendar time pairs

int gettimeofday(tTimePair *a_pOut, void *) {
    if (a_pOut == nullptr) {
        return -1;
    }
    timespec l_ts{};
    if (clock_gettime(CLOCK_REALTIME, &l_ts) != 0) {
        return -1;
    }
    a_pOut->tv_sec = static_cast<int32_t>(l_ts.tv_sec); // wraps in 2038
    a_pOut->tv_usec = static_cast<int32_t>(l_ts.tv_nsec / 1000000 * 1000);
    return 0;
}

bool tv_getcurrent(tTimePair *a_pOut) {
    return brick::gettimeofday(a_pOut, nullptr) == 0;
}

double tv_diffsec(int32_t a_iSec, int32_t a_iUsec) {
    timespec l_ts{};
    if (clock_gettime(CLOCK_REALTIME, &l_ts) != 0) {
        return -1;
    }
    const int64_t l_llSec = static_cast<int64_t>(l_ts.tv_sec) - a_iSec;
    const int64_t l_llUsec = static_cast<int64_t>(l_ts.tv_nsec / 1000000 * 1000) - a_iUsec;
    return static_cast<double>(l_llSec) + static_cast<double>(l_llUsec) / 1000000.0;
}

namespace {

int scaledDiff(int32_t a_iSec, int32_t a_iUsec, double a_dScale) {
    const double l_dDiff = tv_diffsec(a_iSec, a_iUsec);
    if (l_dDiff < 0) {
        return -1;
    }
    const double l_dScaled = l_dDiff * a_dScale;
    return l_dScaled >= 2147483647.0 ? 2147483647 : static_cast<int>(l_dScaled);
}

} // namespace

int tv_diffmsec(int32_t a_iSec, int32_t a_iUsec) {
    return scaledDiff(a_iSec, a_iUsec, 1000.0);
}

int tv_diffusec(int32_t a_iSec, int32_t a_iUsec) {
    return scaledDiff(a_iSec, a_iUsec, 1000000.0);
}

// MARK: - High-resolution counter

int64_t getcpufreq() {
    return kNanosPerSecond;
}

int64_t qp_GetCounter() {
    return monotonicNanos();
}

bool getcurtick(tTimePair *a_pOut) {
    if (a_pOut == nullptr) {
        return false;
    }
    const int64_t l_llCounter = monotonicNanos();
    a_pOut->tv_sec = static_cast<int32_t>(l_llCounter / kNanosPerSecond);
    a_pOut->tv_usec = static_cast<int32_t>((l_llCounter % kNanosPerSecond) * 1000000 / kNanosPerSecond);
    return true;
}

bool tv_gettick(tTimePair *a_pOut) {
    return getcurtick(a_pOut);
}

int64_t mos_GetTick() {
    tTimePair l_tick{};
    if (!tv_gettick(&l_tick)) {
        return 0;
    }
    return static_cast<int64_t>(l_tick.tv_sec) * 1000000 + l_tick.tv_usec;
}

int64_t tv_getmicrosecond(int64_t a_llFrequency) {
    if (a_llFrequency <= 0) {
        a_llFrequency = getcpufreq();
    }
    return (monotonicNanos() % a_llFrequency) * 1000000 / a_llFrequency;
}

double qp_ElapsedTime(int64_t a_llStart, int64_t a_llFrequency) {
    if (a_llStart <= 0) {
        return 0;
    }
    if (a_llFrequency <= 0) {
        a_llFrequency = getcpufreq();
    }
    return static_cast<double>(monotonicNanos() - a_llStart) / static_cast<double>(a_llFrequency);
}

bool qp_CheckTimeout(int64_t a_llStart, double a_dLimit, int64_t a_llFrequency) {
    return a_llStart <= 0 || a_dLimit < 1 || qp_ElapsedTime(a_llStart, a_llFrequency) > a_dLimit;
}

// MARK: - Process clock

int64_t ck_GetClock() {
    return (monotonicNanos() - g_llLoadNanos) / 1000000;
}

double ck_ElapsedTime(int64_t a_llStart) {
    return a_llStart <= 0 ? 0 : static_cast<double>(ck_GetClock() - a_llStart) / 1000.0;
}

bool ck_CheckTimeout(int64_t a_llStart, double a_dLimit) {
    return a_llStart < 1 || a_dLimit < 1 || ck_ElapsedTime(a_llStart) > a_dLimit;
}

// MARK: - Time-stamp timeouts

bool ts_CheckTimeout(int64_t a_llStart, int64_t a_llLimit) {
    return a_llStart <= 0 || a_llLimit <= 0 || static_cast<int64_t>(::time(nullptr)) - a_llStart > a_llLimit;
}

void ts_WaitTimeout(int64_t a_llStart, int64_t a_llLimit) {
    while (!ts_CheckTimeout(a_llStart, a_llLimit)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

} // namespace brick
