// Packet making and parsing: the packet engine against the hand-written C++ a user would write
// instead (snprintf and memcpy to make, memcpy and strtoull to parse), on the same bytes, in one
// run. Two layouts: a 14-field fixed-width message header and a 40-field body.
//
// Both sides return a new std::string per made packet and keep parsed values in memory (the
// engine in the field tree, the baseline in a struct of char arrays and integers). The engine's
// packets are checked byte for byte against the baseline's before anything is timed. Prints
// packets per second, the ratios, and the heap allocations per packet of the engine.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "vexl/fields.h"

using namespace vexl;

// MARK: - Allocation counter (replaceable operator new; the library's own blocks come from malloc
// and are checked separately by pointer identity)

namespace {
std::atomic<uint64_t> g_uNewCalls{0};
} // namespace

// g++ cannot see that the replaced operator new is the one paired with the deletes below.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpragmas"
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(size_t a_uiSize) {
    g_uNewCalls.fetch_add(1, std::memory_order_relaxed);
    if (void *l_p = std::malloc(a_uiSize != 0 ? a_uiSize : 1))
        return l_p;
    throw std::bad_alloc();
}
void operator delete(void *a_p) noexcept {
    std::free(a_p);
}
void operator delete(void *a_p, size_t) noexcept {
    std::free(a_p);
}

namespace {

// MARK: - Layouts

// One field of a layout: an ASCII fixed field holding text or an unsigned number.
struct tFieldSpec {
    const char *cpName;
    unsigned uiWidth;
    bool bNumber;
    const char *cpText;        // text fields; null for a filler of spaces
    unsigned long long uValue; // number fields
};

// The header: trace number, length, service code, types, codes, host name, IP text, date-time
// stamp, sequence, flag, filler, agent ID and password.
const std::vector<tFieldSpec> &headerSpec() {
    static const std::vector<tFieldSpec> s_vec = {
        {"trace", 10, true, nullptr, 1234567},
        {"length", 6, true, nullptr, 512},
        {"service", 4, false, "SVC1", 0},
        {"msgType", 2, false, "RQ", 0},
        {"subType", 2, false, "01", 0},
        {"response", 4, false, "0000", 0},
        {"host", 16, false, "gateway-01", 0},
        {"ip", 15, false, "192.168.100.201", 0},
        {"stamp", 14, true, nullptr, 20240305090703ULL},
        {"sequence", 8, true, nullptr, 42},
        {"flag", 1, false, "Y", 0},
        {"filler", 10, false, nullptr, 0},
        {"agent", 8, false, "AGENT007", 0},
        {"password", 8, false, "s3cr3t!!", 0},
    };
    return s_vec;
}

// The body: 40 fields, text of 3 to 24 characters and numbers of 4 to 12 digits.
const std::vector<tFieldSpec> &bodySpec() {
    static const std::vector<tFieldSpec> s_vec = [] {
        static const char *const s_apTexts[] = {"ACC", "KRW",    "Seoul",  "branch-0042",
                                                "N",   "teller", "2024Q1", "memo for the transfer",
                                                "OK",  "ref"};
        std::vector<tFieldSpec> l_vec;
        for (unsigned i = 0; i < 40; ++i) {
            if (i % 8 < 3) {
                const unsigned l_uiWidth = 4 + (i * 7) % 9;
                l_vec.push_back({"n", l_uiWidth, true, nullptr, (i * 7919ULL) % 10000});
            } else {
                const char *l_cpText = s_apTexts[i % 10];
                const unsigned l_uiWidth = unsigned(std::strlen(l_cpText)) + (i % 4);
                l_vec.push_back({"t", l_uiWidth, false, l_cpText, 0});
            }
        }
        return l_vec;
    }();
    return s_vec;
}

CFields buildTree(const std::vector<tFieldSpec> &a_vecSpec) {
    CFields l_tRoot(DT_fields);
    l_tRoot.reserveChildren(unsigned(a_vecSpec.size()));
    for (const tFieldSpec &l_tSpec : a_vecSpec) {
        CFields &l_tField = l_tRoot.addChildRef(l_tSpec.cpName, 0, true);
        if (l_tSpec.bNumber)
            l_tField = l_tSpec.uValue;
        else if (l_tSpec.cpText != nullptr)
            l_tField = l_tSpec.cpText;
        tPacketExpInfo l_tExp{};
        l_tExp.setRuntimeCode(l_tSpec.bNumber ? REC_NUMBER : REC_CHARACTER);
        l_tExp.setLength(l_tSpec.uiWidth);
        l_tField.pkt_SetExp(l_tExp);
    }
    return l_tRoot;
}

// MARK: - Hand-written baseline

// What a user writes for a fixed-width record: one char array per text field (with room for a
// terminating zero) and one integer per number field.
struct tRecord {
    char acText[40][32];
    unsigned long long auNumber[40];
};

tRecord recordFrom(const std::vector<tFieldSpec> &a_vecSpec) {
    tRecord l_tRecord{};
    for (size_t i = 0; i < a_vecSpec.size(); ++i) {
        if (a_vecSpec[i].bNumber)
            l_tRecord.auNumber[i] = a_vecSpec[i].uValue;
        else if (a_vecSpec[i].cpText != nullptr)
            std::snprintf(l_tRecord.acText[i], sizeof(l_tRecord.acText[i]), "%s", a_vecSpec[i].cpText);
    }
    return l_tRecord;
}

std::string baselineMake(const std::vector<tFieldSpec> &a_vecSpec, const tRecord &a_tRecord,
                         unsigned a_uiTotal) {
    std::string l_strOut(a_uiTotal, ' ');
    char *l_p = l_strOut.data();
    char l_acNumber[32];
    for (size_t i = 0; i < a_vecSpec.size(); ++i) {
        const unsigned l_uiWidth = a_vecSpec[i].uiWidth;
        if (a_vecSpec[i].bNumber) {
            std::snprintf(l_acNumber, sizeof(l_acNumber), "%0*llu", int(l_uiWidth), a_tRecord.auNumber[i]);
            std::memcpy(l_p, l_acNumber, l_uiWidth);
        } else {
            const size_t l_uiLen = std::strlen(a_tRecord.acText[i]);
            const size_t l_uiCopy = l_uiLen < l_uiWidth ? l_uiLen : l_uiWidth;
            std::memcpy(l_p, a_tRecord.acText[i], l_uiCopy);
            std::memset(l_p + l_uiCopy, ' ', l_uiWidth - l_uiCopy);
        }
        l_p += l_uiWidth;
    }
    return l_strOut;
}

bool baselineParse(const std::vector<tFieldSpec> &a_vecSpec, const char *a_cpData, size_t a_uiSize,
                   tRecord &a_tRecord) {
    const char *l_p = a_cpData;
    const char *const l_pEnd = a_cpData + a_uiSize;
    char l_acNumber[32];
    for (size_t i = 0; i < a_vecSpec.size(); ++i) {
        const unsigned l_uiWidth = a_vecSpec[i].uiWidth;
        if (size_t(l_pEnd - l_p) < l_uiWidth)
            return false;
        if (a_vecSpec[i].bNumber) {
            std::memcpy(l_acNumber, l_p, l_uiWidth);
            l_acNumber[l_uiWidth] = '\0';
            a_tRecord.auNumber[i] = std::strtoull(l_acNumber, nullptr, 10);
        } else {
            std::memcpy(a_tRecord.acText[i], l_p, l_uiWidth);
            a_tRecord.acText[i][l_uiWidth] = '\0';
        }
        l_p += l_uiWidth;
    }
    return true;
}

unsigned totalWidth(const std::vector<tFieldSpec> &a_vecSpec) {
    unsigned l_uiTotal = 0;
    for (const tFieldSpec &l_tSpec : a_vecSpec)
        l_uiTotal += l_tSpec.uiWidth;
    return l_uiTotal;
}

const std::vector<tFieldSpec> &specOf(int a_nLayout) {
    return a_nLayout == 0 ? headerSpec() : bodySpec();
}

// MARK: - Benchmarks

void BM_EngineMake(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    CFields l_tTree = buildTree(l_vecSpec);
    const std::string l_strWant = baselineMake(l_vecSpec, recordFrom(l_vecSpec), totalWidth(l_vecSpec));
    if (l_tTree.pkt_Make4Children(false) != l_strWant) {
        a_state.SkipWithError("the engine's packet differs from the baseline's");
        return;
    }
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state)
        benchmark::DoNotOptimize(l_tTree.pkt_Make4Children(false));
    a_state.counters["allocs_per_packet"] =
        double(g_uNewCalls.load() - l_uNewBefore) / double(a_state.iterations() ? a_state.iterations() : 1);
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_BaselineMake(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const tRecord l_tRecord = recordFrom(l_vecSpec);
    const unsigned l_uiTotal = totalWidth(l_vecSpec);
    for (auto _ : a_state)
        benchmark::DoNotOptimize(baselineMake(l_vecSpec, l_tRecord, l_uiTotal));
    a_state.SetItemsProcessed(a_state.iterations());
}

// The code-list blocks of a tree, to see whether parsing replaced any of them.
std::vector<const char *> codeBlocks(const CFields &a_tTree) {
    std::vector<const char *> l_vec;
    for (const CFields &l_tField : a_tTree) {
        const char *l_cp = nullptr;
        l_tField.getCodePoint(&l_cp);
        l_vec.push_back(l_cp);
    }
    return l_vec;
}

void BM_EngineParse(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const CFields l_tSource = buildTree(l_vecSpec);
    const std::string l_strPacket = CFields(l_tSource).pkt_Make4Children(false);
    CFields l_tTree = buildTree(l_vecSpec);
    const char *l_cpData = l_strPacket.data();
    const unsigned l_uiSize = unsigned(l_strPacket.size());
    if (l_tTree.pkt_Parse4Children(l_cpData, l_uiSize, true) != 0 ||
        CFields(l_tTree).pkt_Make4Children(false) != l_strPacket) {
        a_state.SkipWithError("the engine does not parse its own packet back");
        return;
    }
    const std::vector<const char *> l_vecBlocks = codeBlocks(l_tTree);
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state)
        benchmark::DoNotOptimize(l_tTree.pkt_Parse4Children(l_cpData, l_uiSize, true));
    a_state.counters["allocs_per_packet"] =
        double(g_uNewCalls.load() - l_uNewBefore) / double(a_state.iterations() ? a_state.iterations() : 1);
    a_state.counters["blocks_replaced"] = codeBlocks(l_tTree) == l_vecBlocks ? 0 : 1;
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_BaselineParse(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const std::string l_strPacket = baselineMake(l_vecSpec, recordFrom(l_vecSpec), totalWidth(l_vecSpec));
    tRecord l_tRecord{};
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(baselineParse(l_vecSpec, l_strPacket.data(), l_strPacket.size(), l_tRecord));
        benchmark::ClobberMemory();
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

BENCHMARK(BM_BaselineMake)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineMake)->Arg(0)->Arg(1);
BENCHMARK(BM_BaselineParse)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineParse)->Arg(0)->Arg(1);

// Keeps each benchmark's packets per second for the summary.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const Run &l_run : a_runs) {
            // With repetitions the median stands for the benchmark; single runs stand for themselves.
            if (l_run.error_occurred ||
                (l_run.run_type == Run::RT_Aggregate && l_run.aggregate_name != "median"))
                continue;
            const std::string l_strName = l_run.run_name.str();
            auto l_it = l_run.counters.find("items_per_second");
            if (l_it != l_run.counters.end())
                m_rates[l_strName] = l_it->second.value;
            auto l_itAllocs = l_run.counters.find("allocs_per_packet");
            if (l_itAllocs != l_run.counters.end())
                m_allocs[l_strName] = l_itAllocs->second.value;
        }
        ConsoleReporter::ReportRuns(a_runs);
    }
    std::map<std::string, double> m_rates;
    std::map<std::string, double> m_allocs;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    CRatioReporter l_reporter;
    benchmark::RunSpecifiedBenchmarks(&l_reporter);
    std::printf("\nPackets per second (CFields is %zu bytes):\n", sizeof(CFields));
    for (const char *l_cpLayout : {"0", "1"}) {
        std::printf("  %s\n", *l_cpLayout == '0' ? "14-field header (108 bytes)" : "40-field body");
        for (const char *l_cpStep : {"Make", "Parse"}) {
            const std::string l_strSuffix = std::string(l_cpStep) + "/" + l_cpLayout;
            const double l_dBase = l_reporter.m_rates["BM_Baseline" + l_strSuffix];
            const double l_dOurs = l_reporter.m_rates["BM_Engine" + l_strSuffix];
            std::printf(
                "    %-5s engine %12.0f/s  baseline %12.0f/s  engine/baseline x%.2f  allocs/packet %.2f\n",
                l_cpStep, l_dOurs, l_dBase, l_dBase > 0 ? l_dOurs / l_dBase : 0.0,
                l_reporter.m_allocs["BM_Engine" + l_strSuffix]);
        }
    }
    benchmark::Shutdown();
    return 0;
}
