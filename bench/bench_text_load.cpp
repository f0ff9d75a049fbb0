// Text loading against the JSON parsers a user would pick instead.
//
// For each corpus document (twitter, citm_catalog, canada) the program times, in one run:
//   - vexl:      CLoader4SER::loadit of X.vexl into a fresh CFields tree (destroyed each time);
//   - rapidjson: Document::Parse of the minified X.json into a fresh Document;
//   - nlohmann:  nlohmann::json::parse of the minified X.json.
// X.vexl is byte for byte the minified JSON with "=" for ":", so the inputs have the same size
// and MB/s compare directly. Every parser builds its whole tree; nothing is timed twice.
//
// Two scaling checks follow: one record of N distinct members, and one record of N members that
// all carry an ID, loaded for N = 1,000 and N = 100,000; the per-member cost of the large one
// must stay within 3 times that of the small one.
//
// At the end the program prints MB/s, the ratios vexl/peer, and the per-member scaling ratios.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "vexl/loaders.h"

namespace {

const char *const kDocuments[] = {"twitter", "citm_catalog", "canada"};

std::string readFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(2);
    }
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string minifyJson(const std::string &json) {
    rapidjson::Document d;
    d.Parse(json.c_str(), json.size());
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    d.Accept(writer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

struct tInput {
    std::string strVexl;
    std::string strJson; // minified
};

const tInput &input(const std::string &name) {
    static std::map<std::string, tInput> s_inputs;
    auto it = s_inputs.find(name);
    if (it == s_inputs.end()) {
        const std::string dir = std::string(VEXL_SHARED_DIR) + "/corpus/";
        tInput in{readFile(dir + name + ".vexl"), minifyJson(readFile(dir + name + ".json"))};
        it = s_inputs.emplace(name, std::move(in)).first;
    }
    return it->second;
}

void loadVexl(benchmark::State &state, const std::string &text) {
    vexl::CLoader4SER loader;
    {
        vexl::CFields check;
        if (!loader.loadit(text.data(), unsigned(text.size()), check, "", false)) {
            state.SkipWithError(loader.getLastErrMsg().c_str());
            return;
        }
    }
    for (auto _ : state) {
        vexl::CFields root;
        benchmark::DoNotOptimize(loader.loadit(text.data(), unsigned(text.size()), root, "", false));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void BM_vexl(benchmark::State &state, const char *name) {
    loadVexl(state, input(name).strVexl);
}

void BM_rapidjson(benchmark::State &state, const char *name) {
    const std::string &json = input(name).strJson;
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(json.c_str(), json.size());
        benchmark::DoNotOptimize(d.HasParseError());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

void BM_nlohmann(benchmark::State &state, const char *name) {
    const std::string &json = input(name).strJson;
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(json);
        benchmark::DoNotOptimize(j.is_object());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

// One record of `count` distinct members, each optionally with an ID: {#1 "m1"=1,#2 "m2"=2,...}
std::string wideRecord(unsigned count, bool ids) {
    std::string text = "{";
    for (unsigned i = 1; i <= count; ++i) {
        if (i > 1)
            text += ',';
        if (ids) {
            text += '#';
            text += std::to_string(i);
            text += ' ';
        }
        text += "\"m";
        text += std::to_string(i * 2654435761u);
        text += "\"=";
        text += std::to_string(i);
    }
    text += "}";
    return text;
}

void BM_wide(benchmark::State &state, bool ids) {
    const unsigned count = unsigned(state.range(0));
    const std::string text = wideRecord(count, ids);
    loadVexl(state, text);
    state.counters["ns_per_member"] = benchmark::Counter(
        double(count), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Keeps the results for the summary.
class CSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            // With repetitions only the medians are kept.
            if (r.error_occurred || (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median"))
                continue;
            const std::string name = r.run_name.str();
            auto bps = r.counters.find("bytes_per_second");
            if (bps != r.counters.end())
                m_mapMBs[name] = bps->second.value / 1e6;
            auto npm = r.counters.find("ns_per_member");
            if (npm != r.counters.end())
                m_mapNsPerMember[name] = npm->second.value * 1e9;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> m_mapMBs;
    std::map<std::string, double> m_mapNsPerMember;
};

} // namespace

int main(int argc, char **argv) {
    for (const char *name : kDocuments) {
        benchmark::RegisterBenchmark((std::string("load/vexl/") + name).c_str(), BM_vexl, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("load/rapidjson/") + name).c_str(), BM_rapidjson, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("load/nlohmann/") + name).c_str(), BM_nlohmann, name)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("wide/names", BM_wide, false)
        ->Arg(1000)
        ->Arg(100000)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("wide/ids", BM_wide, true)
        ->Arg(1000)
        ->Arg(100000)
        ->Unit(benchmark::kMicrosecond);

    benchmark::Initialize(&argc, argv);
    CSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::printf("\n%-14s %10s %10s %10s %12s %12s\n", "document", "vexl MB/s", "rapidjson", "nlohmann",
                "vexl/rapid", "vexl/nlohm");
    for (const char *name : kDocuments) {
        auto get = [&](const char *lib) {
            auto it = reporter.m_mapMBs.find(std::string("load/") + lib + "/" + name);
            return it == reporter.m_mapMBs.end() ? 0.0 : it->second;
        };
        const double v = get("vexl"), r = get("rapidjson"), n = get("nlohmann");
        std::printf("%-14s %10.1f %10.1f %10.1f %12.2f %12.2f\n", name, v, r, n, r > 0 ? v / r : 0.0,
                    n > 0 ? v / n : 0.0);
    }
    for (const char *kind : {"names", "ids"}) {
        auto get = [&](unsigned n) {
            auto it = reporter.m_mapNsPerMember.find(std::string("wide/") + kind + "/" + std::to_string(n));
            return it == reporter.m_mapNsPerMember.end() ? 0.0 : it->second;
        };
        const double small = get(1000), large = get(100000);
        std::printf("wide record with %-5s: %.1f ns/member at 1,000, %.1f at 100,000, ratio %.2f\n", kind,
                    small, large, small > 0 ? large / small : 0.0);
    }
    return 0;
}
