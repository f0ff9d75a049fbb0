// Checksum throughput: brick::CHKSUM_Make / CHKSUM_Check against the plain
// loop a user would write (one big-endian word per step), on the
// same 1 MiB buffer in one run.  Prints GB/s and the ratios at the end.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "brick/checksum.h"

namespace {

constexpr int kBytes = 1 << 20;

const std::vector<char> &buffer() {
    static const std::vector<char> s_data = [] {
        std::vector<char> l_data(kBytes + 2);
        std::mt19937 l_rng(7);
        for (auto &l_c : l_data) {
            l_c = static_cast<char>(l_rng());
        }
        const uint16_t l_usSum = brick::CHKSUM_Make(l_data.data(), kBytes, 0);
        l_data[kBytes] = static_cast<char>(l_usSum >> 8);
        l_data[kBytes + 1] = static_cast<char>(l_usSum & 0xFF);
        return l_data;
    }();
    return s_data;
}

// The byte-pair loop: what the checksum looks like when written directly,
// one word per step.  The sum is 64-bit so that it stays exact on 1 MiB.
uint16_t bytePairChecksum(const char *a_cpData, int a_iLength, unsigned char a_ucPad) {
    const auto *l_p = reinterpret_cast<const unsigned char *>(a_cpData);
    uint64_t l_uiSum = 0;
    for (int i = 0; i < a_iLength; i += 2) {
        l_uiSum += (static_cast<uint32_t>(l_p[i]) << 8) | (i + 1 < a_iLength ? l_p[i + 1] : a_ucPad);
    }
    while (l_uiSum >> 16) {
        l_uiSum = (l_uiSum & 0xFFFF) + (l_uiSum >> 16);
    }
    return static_cast<uint16_t>(~l_uiSum);
}

void BM_BytePairLoop(benchmark::State &a_state) {
    const auto &l_data = buffer();
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(bytePairChecksum(l_data.data(), kBytes, 0));
    }
    a_state.SetBytesProcessed(a_state.iterations() * kBytes);
}

void BM_CHKSUM_Make(benchmark::State &a_state) {
    const auto &l_data = buffer();
    if (brick::CHKSUM_Make(l_data.data(), kBytes, 0) != bytePairChecksum(l_data.data(), kBytes, 0)) {
        a_state.SkipWithError("CHKSUM_Make disagrees with the byte-pair loop");
        return;
    }
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(brick::CHKSUM_Make(l_data.data(), kBytes, 0));
    }
    a_state.SetBytesProcessed(a_state.iterations() * kBytes);
}

void BM_CHKSUM_Check(benchmark::State &a_state) {
    const auto &l_data = buffer();
    if (!brick::CHKSUM_Check(l_data.data(), kBytes + 2, 0)) {
        a_state.SkipWithError("CHKSUM_Check refuses its own checksum");
        return;
    }
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(brick::CHKSUM_Check(l_data.data(), kBytes + 2, 0));
    }
    a_state.SetBytesProcessed(a_state.iterations() * (kBytes + 2));
}

BENCHMARK(BM_BytePairLoop);
BENCHMARK(BM_CHKSUM_Make);
BENCHMARK(BM_CHKSUM_Check);

// Keeps each benchmark's bytes per second for the summary.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const Run &l_run : a_runs) {
            auto l_it = l_run.counters.find("bytes_per_second");
            if (l_it != l_run.counters.end() && !l_run.error_occurred) {
                m_rates[l_run.benchmark_name()] = l_it->second.value;
            }
        }
        ConsoleReporter::ReportRuns(a_runs);
    }
    std::map<std::string, double> m_rates;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter l_reporter;
    benchmark::RunSpecifiedBenchmarks(&l_reporter);
    const double l_dBase = l_reporter.m_rates["BM_BytePairLoop"];
    std::printf("\nChecksum over 1 MiB (GB/s = 1e9 bytes per second):\n");
    for (const char *l_cpName : {"BM_BytePairLoop", "BM_CHKSUM_Make", "BM_CHKSUM_Check"}) {
        const double l_dRate = l_reporter.m_rates[l_cpName];
        std::printf("  %-16s %7.2f GB/s  x%.2f the byte-pair loop\n", l_cpName + 3, l_dRate / 1e9,
                    l_dBase > 0 ? l_dRate / l_dBase : 0.0);
    }
    benchmark::Shutdown();
    return 0;
}
