// Persisted serial numbers: CnxLockGSN10::GetAt with its slot file, from one
// and from eight threads on one slot, next to what a user would write instead
// (a std::mutex, a counter and a stdio file rewritten with fseek, fprintf and
// fflush) and next to a slot kept in memory only.  Prints numbers per second.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "nxgenerator/lock_gsn10.h"

namespace {

std::string g_strFolder;
CnxLockGSN10 *g_pPersisted = nullptr;
CnxLockGSN10 *g_pInMemory = nullptr;

// The hand-written alternative: one lock, one counter, one stdio file.
struct tStdioCounter {
    std::mutex mutex;
    uint32_t uiCurrent = 0;
    std::FILE *pFile = nullptr;
    uint32_t next() {
        std::lock_guard<std::mutex> l_hold(mutex);
        ++uiCurrent;
        std::fseek(pFile, 0, SEEK_SET);
        std::fprintf(pFile, "%010u", uiCurrent);
        return std::fflush(pFile) == 0 ? uiCurrent : 0;
    }
};
tStdioCounter g_stdio;

void BM_GetAtPersisted(benchmark::State &a_state) {
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(g_pPersisted->GetAt(0));
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_StdioMutexCounter(benchmark::State &a_state) {
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(g_stdio.next());
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_GetAtInMemory(benchmark::State &a_state) {
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(g_pInMemory->GetAt(0));
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

BENCHMARK(BM_GetAtPersisted)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_StdioMutexCounter)->Threads(1)->Threads(8)->UseRealTime();
BENCHMARK(BM_GetAtInMemory)->Threads(1)->Threads(8)->UseRealTime();

class CRateReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const Run &l_run : a_runs) {
            auto l_it = l_run.counters.find("items_per_second");
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
    std::string l_strTemplate = (std::filesystem::temp_directory_path() / "nxgen-bench-XXXXXX").string();
    if (mkdtemp(l_strTemplate.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    g_strFolder = l_strTemplate + "/";
    CnxLockGSN10 l_persisted(true, 1, g_strFolder.c_str());
    CnxLockGSN10 l_inMemory;
    g_pPersisted = &l_persisted;
    g_pInMemory = &l_inMemory;
    g_stdio.pFile = std::fopen((g_strFolder + "stdio_counter").c_str(), "w+");

    CRateReporter l_reporter;
    benchmark::RunSpecifiedBenchmarks(&l_reporter);

    std::printf("\nNumbers per second (one slot, real time):\n");
    for (const char *l_cpName : {"BM_GetAtPersisted", "BM_StdioMutexCounter", "BM_GetAtInMemory"}) {
        const double l_d1 = l_reporter.m_rates[std::string(l_cpName) + "/real_time/threads:1"];
        const double l_d8 = l_reporter.m_rates[std::string(l_cpName) + "/real_time/threads:8"];
        std::printf("  %-18s 1 thread %12.0f/s   8 threads %12.0f/s\n", l_cpName + 3, l_d1, l_d8);
    }
    const double l_dOurs = l_reporter.m_rates["BM_GetAtPersisted/real_time/threads:1"];
    const double l_dStdio = l_reporter.m_rates["BM_StdioMutexCounter/real_time/threads:1"];
    if (l_dStdio > 0) {
        std::printf("  persisted GetAt is x%.2f the stdio counter (1 thread)\n", l_dOurs / l_dStdio);
    }
    std::fclose(g_stdio.pFile);
    benchmark::Shutdown();
    std::error_code l_ec;
    std::filesystem::remove_all(l_strTemplate, l_ec);
    return 0;
}
