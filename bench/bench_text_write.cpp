// Writing the corpus documents as text: this library's packet-style and human-friendly writers
// against what a user would pick instead for the same documents in JSON, RapidJSON's Writer and
// PrettyWriter and nlohmann::json's dump() and dump(2). Every writer starts from a tree that is
// already in memory (ours loaded from X.vexl with our loader, the peers' from X.json with their
// own parsers) and produces a fresh string per iteration. After the runs a summary prints, per
// document, each writer's time and output MB/s, and the speed ratios ours / peer (the peer's time
// divided by ours: above 1 means ours is faster). With --benchmark_repetitions the summary uses
// the medians.
//
// Pairs compared: packet-style vs Writer and vs dump(); human-friendly vs PrettyWriter and vs
// dump(2). The outputs differ in size: our writers escape every byte above 0x7E as \xHH (the
// notation's string form), the JSON writers keep UTF-8 as it is.

#include "vexl/loaders.h"
#include "vexl/savers.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct tDocument {
    std::string m_strName;
    vexl::CFields m_tTree;
    rapidjson::Document m_tRapid;
    nlohmann::json m_tNlohmann;
};

std::string readFile(const std::string &a_strPath) {
    std::ifstream in(a_strPath, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// The corpus, loaded once: nullptr entries are documents that could not be read.
std::vector<std::unique_ptr<tDocument>> &corpus() {
    static std::vector<std::unique_ptr<tDocument>> s_docs = [] {
        std::vector<std::unique_ptr<tDocument>> docs;
        for (const char *name : {"twitter", "citm_catalog", "canada"}) {
            auto doc = std::make_unique<tDocument>();
            doc->m_strName = name;
            const std::string dir = std::string(VEXL_SHARED_DIR) + "/corpus/";
            const std::string vexlText = readFile(dir + name + ".vexl");
            const std::string jsonText = readFile(dir + name + ".json");
            vexl::CLoaders loaders(vexl::LCBC_DEFAULT);
            if (vexlText.empty() || jsonText.empty() || !loaders.loading(vexlText, doc->m_tTree, "", true)) {
                std::fprintf(stderr, "%s: cannot load (%s)\n", name, loaders.getLastErrMsg().c_str());
                docs.push_back(nullptr);
                continue;
            }
            doc->m_tRapid.Parse(jsonText.c_str());
            doc->m_tNlohmann = nlohmann::json::parse(jsonText);
            docs.push_back(std::move(doc));
        }
        return docs;
    }();
    return s_docs;
}

enum E_Writer { W_PKT, W_HFW, W_RAPID, W_RAPID_PRETTY, W_NLOHMANN, W_NLOHMANN_2, W_COUNT };
const char *const s_aszWriter[W_COUNT] = {"vexl_pkt",         "vexl_hfw",      "rapidjson_writer",
                                          "rapidjson_pretty", "nlohmann_dump", "nlohmann_dump2"};

size_t writeOnce(tDocument &a_rDoc, E_Writer a_eWriter, vexl::CSavers &a_rSavers) {
    switch (a_eWriter) {
    case W_PKT: {
        const std::string text = a_rSavers.saving(a_rDoc.m_tTree, vexl::SER_PKT, vexl::SIS_DETAIL, "");
        benchmark::DoNotOptimize(text.data());
        return text.size();
    }
    case W_HFW: {
        const std::string text = a_rSavers.saving(a_rDoc.m_tTree, vexl::SER_HFW, vexl::SIS_DETAIL, "");
        benchmark::DoNotOptimize(text.data());
        return text.size();
    }
    case W_RAPID: {
        rapidjson::StringBuffer sb;
        rapidjson::Writer<rapidjson::StringBuffer> writer(sb);
        a_rDoc.m_tRapid.Accept(writer);
        benchmark::DoNotOptimize(sb.GetString());
        return sb.GetSize();
    }
    case W_RAPID_PRETTY: {
        rapidjson::StringBuffer sb;
        rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(sb);
        a_rDoc.m_tRapid.Accept(writer);
        benchmark::DoNotOptimize(sb.GetString());
        return sb.GetSize();
    }
    case W_NLOHMANN: {
        const std::string text = a_rDoc.m_tNlohmann.dump();
        benchmark::DoNotOptimize(text.data());
        return text.size();
    }
    default: {
        const std::string text = a_rDoc.m_tNlohmann.dump(2);
        benchmark::DoNotOptimize(text.data());
        return text.size();
    }
    }
}

void BM_Write(benchmark::State &a_state, size_t a_uiDoc, E_Writer a_eWriter) {
    tDocument *doc = corpus()[a_uiDoc].get();
    if (doc == nullptr) {
        a_state.SkipWithError("document not loaded");
        return;
    }
    // Human-friendly: one-line short arrays and a final line feed; packet-style: defaults.
    vexl::CSavers savers(a_eWriter == W_HFW ? 0x0Du : vexl::SCBC_DEFAULT);
    size_t bytes = 0;
    for (auto _ : a_state)
        bytes = writeOnce(*doc, a_eWriter, savers);
    if (savers.isError())
        a_state.SkipWithError(savers.getLastErrMsg().c_str());
    a_state.SetBytesProcessed(int64_t(a_state.iterations()) * int64_t(bytes));
    a_state.counters["out_bytes"] = double(bytes);
}

// Console output as usual, plus the CPU time per iteration and output rate of every run.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const auto &run : a_runs) {
            // A plain run, or the median of repeated runs (--benchmark_repetitions).
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if ((run.run_type != Run::RT_Iteration && !median) || run.error_occurred)
                continue;
            tResult &r = m_results[run.run_name.str()];
            r.m_dCpuMs = run.GetAdjustedCPUTime() * 1e3 / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const auto it = run.counters.find("bytes_per_second");
            if (it != run.counters.end())
                r.m_dBytesPerSec = it->second.value;
        }
        ConsoleReporter::ReportRuns(a_runs);
    }

    void summary() const {
        std::printf(
            "\nText writing, CPU time per document; MB/s of output (MB = 10^6 bytes); sizeof(CFields) = "
            "%zu\n",
            sizeof(vexl::CFields));
        const auto &docs = corpus();
        for (size_t d = 0; d < docs.size(); ++d) {
            if (docs[d] == nullptr)
                continue;
            std::printf("  %s\n", docs[d]->m_strName.c_str());
            double ms[W_COUNT] = {};
            for (int w = 0; w < W_COUNT; ++w) {
                const tResult *r = find(d, E_Writer(w));
                ms[w] = r ? r->m_dCpuMs : 0.0;
                std::printf("    %-18s %9.3f ms  %8.1f MB/s\n", s_aszWriter[w], ms[w],
                            r ? r->m_dBytesPerSec / 1e6 : 0.0);
            }
            auto ratio = [&](E_Writer ours, E_Writer peer) {
                return ms[ours] > 0 ? ms[peer] / ms[ours] : 0.0;
            };
            std::printf("    ratio vexl_pkt/rapidjson_writer %.2f, vexl_pkt/nlohmann_dump %.2f\n",
                        ratio(W_PKT, W_RAPID), ratio(W_PKT, W_NLOHMANN));
            std::printf("    ratio vexl_hfw/rapidjson_pretty %.2f, vexl_hfw/nlohmann_dump2 %.2f\n",
                        ratio(W_HFW, W_RAPID_PRETTY), ratio(W_HFW, W_NLOHMANN_2));
        }
    }

private:
    struct tResult {
        double m_dCpuMs = 0.0;
        double m_dBytesPerSec = 0.0;
    };
    const tResult *find(size_t a_uiDoc, E_Writer a_eWriter) const {
        const auto it = m_results.find(std::string("write/") + corpus()[a_uiDoc]->m_strName + "/" +
                                       s_aszWriter[a_eWriter]);
        return it == m_results.end() ? nullptr : &it->second;
    }
    std::map<std::string, tResult> m_results;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    const auto &docs = corpus();
    for (size_t d = 0; d < docs.size(); ++d) {
        const std::string name = docs[d] ? docs[d]->m_strName : "missing" + std::to_string(d);
        for (int w = 0; w < W_COUNT; ++w)
            benchmark::RegisterBenchmark(("write/" + name + "/" + s_aszWriter[w]).c_str(), BM_Write, d,
                                         E_Writer(w))
                ->Unit(benchmark::kMillisecond);
    }
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.summary();
    benchmark::Shutdown();
    return 0;
}
