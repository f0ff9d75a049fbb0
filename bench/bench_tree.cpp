// Field tree against the DOMs a user would pick instead (nlohmann::json, rapidjson::Document):
// build a tree of about one million nodes, deep-copy it, look members up by name, destroy it.
// A second pair of steps builds one wide record and looks every member up by name.
//
// The tree is an array of records; each record holds
//   id (uint), name (text), score (double), active (bool), delta (negative int),
//   tags (array of three texts)
// which makes 10 nodes per record. All three libraries do the same work from the same
// pre-made texts. At the end the program prints a table of times, the ratio of each library's
// time to the field tree's, and the heap bytes per node each tree holds.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>

#include "vexl/fields.h"

namespace {

constexpr unsigned s_cnRecords = 100000; // 10 nodes each
constexpr unsigned s_cnNodesPerRecord = 10;
constexpr unsigned s_cnWide = 20000; // members of the wide record

struct tInput {
    std::vector<std::string> vecNames; // record names ("user-000123")
    std::vector<std::string> vecTags;  // a pool of tag texts
    std::vector<std::string> vecWide;  // member names of the wide record
};

const tInput &input() {
    static const tInput s_input = [] {
        tInput l_in;
        char l_acBuf[32];
        for (unsigned i = 0; i < s_cnRecords; ++i) {
            std::snprintf(l_acBuf, sizeof(l_acBuf), "user-%06u", i);
            l_in.vecNames.emplace_back(l_acBuf);
        }
        for (unsigned i = 0; i < 64; ++i) {
            std::snprintf(l_acBuf, sizeof(l_acBuf), "tag%u", i * 7919u);
            l_in.vecTags.emplace_back(l_acBuf);
        }
        for (unsigned i = 0; i < s_cnWide; ++i) {
            std::snprintf(l_acBuf, sizeof(l_acBuf), "member_%u", i * 2654435761u);
            l_in.vecWide.emplace_back(l_acBuf);
        }
        return l_in;
    }();
    return s_input;
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

// MARK: - vexl

vexl::CFields buildVexl() {
    const tInput &l_in = input();
    vexl::CFields l_root(vexl::DT_array);
    l_root.reserveChildren(s_cnRecords);
    for (unsigned i = 0; i < s_cnRecords; ++i) {
        vexl::CFields &l_rec = l_root.addChildRef(nullptr);
        l_rec.addChildRef("id") = i;
        l_rec.addChildRef("name") = l_in.vecNames[i];
        l_rec.addChildRef("score") = i * 0.25;
        l_rec.addChildRef("active") = (i & 1) != 0;
        l_rec.addChildRef("delta") = -static_cast<int>(i);
        vexl::CFields &l_tags = l_rec.addChildRef("tags");
        l_tags.resizeArray(3);
        for (unsigned t = 0; t < 3; ++t)
            l_tags[t] = l_in.vecTags[(i + t) & 63];
    }
    return l_root;
}

double lookupVexl(const vexl::CFields &root) {
    double l_dSum = 0;
    for (const vexl::CFields &l_rec : root) {
        l_dSum += l_rec["score"].asDouble();
        l_dSum += l_rec["name"].getRawBytes();
        l_dSum += l_rec["tags"].getChildCount();
    }
    return l_dSum;
}

vexl::CFields buildWideVexl() {
    vexl::CFields l_root;
    unsigned i = 0;
    for (const std::string &l_name : input().vecWide)
        *l_root.addChildPtr(l_name.c_str()) = i++; // the duplicate check runs for every member
    return l_root;
}

unsigned long long lookupWideVexl(const vexl::CFields &root) {
    unsigned long long l_u = 0;
    for (const std::string &l_name : input().vecWide)
        l_u += root[l_name].asUint64();
    return l_u;
}

// MARK: - nlohmann::json

nlohmann::json buildNlohmann() {
    const tInput &l_in = input();
    nlohmann::json l_root = nlohmann::json::array();
    l_root.get_ref<nlohmann::json::array_t &>().reserve(s_cnRecords);
    for (unsigned i = 0; i < s_cnRecords; ++i) {
        nlohmann::json &l_rec = l_root.emplace_back(nlohmann::json::object());
        l_rec["id"] = i;
        l_rec["name"] = l_in.vecNames[i];
        l_rec["score"] = i * 0.25;
        l_rec["active"] = (i & 1) != 0;
        l_rec["delta"] = -static_cast<int>(i);
        nlohmann::json &l_tags = l_rec["tags"] = nlohmann::json::array();
        for (unsigned t = 0; t < 3; ++t)
            l_tags.push_back(l_in.vecTags[(i + t) & 63]);
    }
    return l_root;
}

double lookupNlohmann(const nlohmann::json &root) {
    double l_dSum = 0;
    for (const nlohmann::json &l_rec : root) {
        l_dSum += l_rec.find("score")->get<double>();
        l_dSum += double(l_rec.find("name")->get_ref<const std::string &>().size());
        l_dSum += double(l_rec.find("tags")->size());
    }
    return l_dSum;
}

nlohmann::json buildWideNlohmann() {
    nlohmann::json l_root = nlohmann::json::object();
    unsigned i = 0;
    for (const std::string &l_name : input().vecWide)
        l_root.emplace(l_name, i++);
    return l_root;
}

unsigned long long lookupWideNlohmann(const nlohmann::json &root) {
    unsigned long long l_u = 0;
    for (const std::string &l_name : input().vecWide)
        l_u += root.find(l_name)->get<unsigned>();
    return l_u;
}

// MARK: - rapidjson

using RDoc = rapidjson::Document;
using RValue = rapidjson::Value;

std::unique_ptr<RDoc> buildRapid() {
    const tInput &l_in = input();
    auto l_pDoc = std::make_unique<RDoc>();
    RDoc::AllocatorType &l_alloc = l_pDoc->GetAllocator();
    l_pDoc->SetArray();
    l_pDoc->Reserve(s_cnRecords, l_alloc);
    for (unsigned i = 0; i < s_cnRecords; ++i) {
        RValue l_rec(rapidjson::kObjectType);
        l_rec.AddMember("id", RValue(i), l_alloc);
        l_rec.AddMember(
            "name", RValue(l_in.vecNames[i].c_str(), rapidjson::SizeType(l_in.vecNames[i].size()), l_alloc),
            l_alloc);
        l_rec.AddMember("score", RValue(i * 0.25), l_alloc);
        l_rec.AddMember("active", RValue((i & 1) != 0), l_alloc);
        l_rec.AddMember("delta", RValue(-static_cast<int>(i)), l_alloc);
        RValue l_tags(rapidjson::kArrayType);
        for (unsigned t = 0; t < 3; ++t) {
            const std::string &l_tag = l_in.vecTags[(i + t) & 63];
            l_tags.PushBack(RValue(l_tag.c_str(), rapidjson::SizeType(l_tag.size()), l_alloc), l_alloc);
        }
        l_rec.AddMember("tags", l_tags, l_alloc);
        l_pDoc->PushBack(l_rec, l_alloc);
    }
    return l_pDoc;
}

double lookupRapid(const RDoc &root) {
    double l_dSum = 0;
    for (const RValue &l_rec : root.GetArray()) {
        l_dSum += l_rec.FindMember("score")->value.GetDouble();
        l_dSum += l_rec.FindMember("name")->value.GetStringLength();
        l_dSum += l_rec.FindMember("tags")->value.Size();
    }
    return l_dSum;
}

std::unique_ptr<RDoc> buildWideRapid() {
    auto l_pDoc = std::make_unique<RDoc>();
    RDoc::AllocatorType &l_alloc = l_pDoc->GetAllocator();
    l_pDoc->SetObject();
    unsigned i = 0;
    for (const std::string &l_name : input().vecWide) {
        // The same duplicate check the others make while building.
        if (l_pDoc->FindMember(l_name.c_str()) != l_pDoc->MemberEnd())
            continue;
        l_pDoc->AddMember(RValue(l_name.c_str(), rapidjson::SizeType(l_name.size()), l_alloc), RValue(i++),
                          l_alloc);
    }
    return l_pDoc;
}

unsigned long long lookupWideRapid(const RDoc &root) {
    unsigned long long l_u = 0;
    for (const std::string &l_name : input().vecWide)
        l_u += root.FindMember(l_name.c_str())->value.GetUint();
    return l_u;
}

// MARK: - Benchmarks

template <typename Build> void benchBuild(benchmark::State &state, Build build) {
    for (auto _ : state) {
        auto l_tree = build();
        benchmark::DoNotOptimize(&l_tree);
        state.PauseTiming();
        { auto l_gone = std::move(l_tree); }
        state.ResumeTiming();
    }
}

template <typename Build, typename Copy> void benchCopy(benchmark::State &state, Build build, Copy copy) {
    auto l_tree = build();
    for (auto _ : state) {
        auto l_copy = copy(l_tree);
        benchmark::DoNotOptimize(&l_copy);
        state.PauseTiming();
        { auto l_gone = std::move(l_copy); }
        state.ResumeTiming();
    }
}

template <typename Build, typename Lookup>
void benchLookup(benchmark::State &state, Build build, Lookup lookup) {
    auto l_tree = build();
    for (auto _ : state)
        benchmark::DoNotOptimize(lookup(l_tree));
}

template <typename Build> void benchDestroy(benchmark::State &state, Build build) {
    for (auto _ : state) {
        state.PauseTiming();
        auto *l_pTree = new auto(build());
        state.ResumeTiming();
        delete l_pTree;
    }
}

auto copyVexl = [](const vexl::CFields &t) { return vexl::CFields(t); };
auto copyNlohmann = [](const nlohmann::json &t) { return nlohmann::json(t); };
auto copyRapid = [](const std::unique_ptr<RDoc> &t) {
    auto l_p = std::make_unique<RDoc>();
    l_p->CopyFrom(*t, l_p->GetAllocator());
    return l_p;
};
auto lookupRapidPtr = [](const std::unique_ptr<RDoc> &t) { return lookupRapid(*t); };
auto lookupWideRapidPtr = [](const std::unique_ptr<RDoc> &t) { return lookupWideRapid(*t); };

template <typename Fn> void reg(const char *name, Fn fn) {
    benchmark::internal::Benchmark *l_pBench =
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond);
    // Destroying takes microseconds for rapidjson but each round rebuilds the tree untimed:
    // a fixed count keeps the run short.
    if (std::string(name).rfind("destroy/", 0) == 0)
        l_pBench->Iterations(10);
}

void registerAll() {
    reg("build/vexl", [](benchmark::State &s) { benchBuild(s, buildVexl); });
    reg("build/nlohmann", [](benchmark::State &s) { benchBuild(s, buildNlohmann); });
    reg("build/rapidjson", [](benchmark::State &s) { benchBuild(s, buildRapid); });
    reg("copy/vexl", [](benchmark::State &s) { benchCopy(s, buildVexl, copyVexl); });
    reg("copy/nlohmann", [](benchmark::State &s) { benchCopy(s, buildNlohmann, copyNlohmann); });
    reg("copy/rapidjson", [](benchmark::State &s) { benchCopy(s, buildRapid, copyRapid); });
    reg("lookup/vexl", [](benchmark::State &s) { benchLookup(s, buildVexl, lookupVexl); });
    reg("lookup/nlohmann", [](benchmark::State &s) { benchLookup(s, buildNlohmann, lookupNlohmann); });
    reg("lookup/rapidjson", [](benchmark::State &s) { benchLookup(s, buildRapid, lookupRapidPtr); });
    reg("destroy/vexl", [](benchmark::State &s) { benchDestroy(s, buildVexl); });
    reg("destroy/nlohmann", [](benchmark::State &s) { benchDestroy(s, buildNlohmann); });
    reg("destroy/rapidjson", [](benchmark::State &s) { benchDestroy(s, buildRapid); });
    reg("wide-build/vexl", [](benchmark::State &s) { benchBuild(s, buildWideVexl); });
    reg("wide-build/nlohmann", [](benchmark::State &s) { benchBuild(s, buildWideNlohmann); });
    reg("wide-build/rapidjson", [](benchmark::State &s) { benchBuild(s, buildWideRapid); });
    reg("wide-lookup/vexl", [](benchmark::State &s) { benchLookup(s, buildWideVexl, lookupWideVexl); });
    reg("wide-lookup/nlohmann",
        [](benchmark::State &s) { benchLookup(s, buildWideNlohmann, lookupWideNlohmann); });
    reg("wide-lookup/rapidjson",
        [](benchmark::State &s) { benchLookup(s, buildWideRapid, lookupWideRapidPtr); });
}

// Collects the CPU time (ms) of every run besides printing it; CPU time, because the wall clock
// of a shared build machine also counts other processes.
class CCollectingReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> m_mapMs;
    void ReportRuns(const std::vector<Run> &runs) override {
        // With repetitions the median is kept; otherwise the single run. Every run is in ms.
        for (const Run &l_run : runs) {
            if (l_run.error_occurred)
                continue;
            if (l_run.run_type == Run::RT_Aggregate && l_run.aggregate_name == "median")
                m_mapMs[l_run.run_name.function_name] = l_run.GetAdjustedCPUTime();
            else if (l_run.run_type == Run::RT_Iteration && l_run.repetitions <= 1)
                m_mapMs[l_run.run_name.function_name] = l_run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Heap bytes held per node by one tree of each library.
template <typename Build> double bytesPerNode(Build build) {
    size_t l_uBefore = heapInUse();
    auto l_tree = build();
    size_t l_uAfter = heapInUse();
    benchmark::DoNotOptimize(&l_tree);
    return double(l_uAfter - l_uBefore) / double(s_cnRecords * s_cnNodesPerRecord + 1);
}

} // namespace

int main(int argc, char **argv) {
    // Every step allocates or frees about 100 MB, and each timed step starts right after the
    // untimed destruction of the previous tree. So that no library pays for what the previous
    // step left in the heap, keep freed memory in the process (no trimming, no mmap for the big
    // arrays: otherwise the kernel hands pages back and forth) and turn off glibc's fast bins
    // (otherwise the first large request of a step consolidates a million freed chunks of the
    // previous one). The same settings apply to all three libraries.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_MXFAST, 0);
    benchmark::Initialize(&argc, argv);
    input();
    registerAll();
    CCollectingReporter l_reporter;
    benchmark::RunSpecifiedBenchmarks(&l_reporter);

    std::printf("\nField tree vs. peers: %u records, %u nodes; wide record of %u members\n", s_cnRecords,
                s_cnRecords * s_cnNodesPerRecord + 1, s_cnWide);
    std::printf(
        "sizeof(vexl::CFields) = %zu bytes, sizeof(nlohmann::json) = %zu, sizeof(rapidjson::Value) = %zu\n",
        sizeof(vexl::CFields), sizeof(nlohmann::json), sizeof(RValue));
    std::printf("CPU time per step:\n");
    std::printf("%-12s %12s %14s %14s %16s %16s\n", "step", "vexl ms", "nlohmann ms", "rapidjson ms",
                "nlohmann/vexl", "rapidjson/vexl");
    for (const char *l_szStep : {"build", "copy", "lookup", "destroy", "wide-build", "wide-lookup"}) {
        std::string l_strStep = l_szStep;
        auto l_get = [&](const char *lib) {
            auto l_it = l_reporter.m_mapMs.find(l_strStep + "/" + lib);
            return l_it != l_reporter.m_mapMs.end() ? l_it->second : -1.0;
        };
        double l_v = l_get("vexl"), l_n = l_get("nlohmann"), l_r = l_get("rapidjson");
        if (l_v <= 0)
            continue;
        std::printf("%-12s %12.2f %14.2f %14.2f %16.2f %16.2f\n", l_szStep, l_v, l_n, l_r,
                    l_n > 0 ? l_n / l_v : 0.0, l_r > 0 ? l_r / l_v : 0.0);
    }
    std::printf("heap bytes per node: vexl %.1f, nlohmann %.1f, rapidjson %.1f\n", bytesPerNode(buildVexl),
                bytesPerNode(buildNlohmann), bytesPerNode(buildRapid));
    benchmark::Shutdown();
    return 0;
}
