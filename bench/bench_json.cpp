// JSON import and export against the libraries a user would pick instead.
//
// For each corpus document (twitter, citm_catalog, canada, X.json as stored) the program times,
// in one run:
//   import/vexl:      vexl::json::fromJSON into a fresh CFields tree (destroyed each time);
//   import/nlohmann:  nlohmann::json::parse into its own tree;
//   import/rapidjson: Document::Parse into a fresh Document (for reference);
//   export/vexl:      vexl::json::toJSON of the loaded tree into a fresh string;
//   export/rapidjson: Writer<StringBuffer> of the parsed Document into a fresh buffer.
// At the end it prints MB/s (of the JSON text) and the ratios vexl/nlohmann for import and
// vexl/rapidjson for both, from the fastest run of each benchmark (use
// --benchmark_repetitions=N): once by wall time and once by the process's CPU time, which is the
// steadier figure on a machine busy with other work.
//
// For instruction counts, `--profile=OP/DOC[/N]` (OP import, nlohmann-import, export or
// rapidjson-export; N runs, 3 by default) runs only that operation, each run through an
// out-of-line `profiled*` function:
//   valgrind --tool=callgrind --toggle-collect='*profiled*' bench_json --profile=export/citm_catalog
// and the total divided by N is the cost of one run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "vexl/json.h"

namespace {

const char *const kDocuments[] = {"twitter", "citm_catalog", "canada"};

const std::string &input(const std::string &name) {
    static std::map<std::string, std::string> s_inputs;
    auto it = s_inputs.find(name);
    if (it == s_inputs.end()) {
        const std::string path = std::string(VEXL_SHARED_DIR) + "/corpus/" + name + ".json";
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            std::exit(2);
        }
        std::ostringstream s;
        s << in.rdbuf();
        it = s_inputs.emplace(name, s.str()).first;
    }
    return it->second;
}

void BM_importVexl(benchmark::State &state, const char *name) {
    const std::string &json = input(name);
    for (auto _ : state) {
        vexl::CFields root;
        vexl::json::tJsonError error;
        if (!vexl::json::fromJSON(json, root, &error)) {
            state.SkipWithError(error.sMessage.c_str());
            return;
        }
        benchmark::DoNotOptimize(root.getChildCount());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

void BM_importNlohmann(benchmark::State &state, const char *name) {
    const std::string &json = input(name);
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(json);
        benchmark::DoNotOptimize(j.is_object());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

void BM_importRapidjson(benchmark::State &state, const char *name) {
    const std::string &json = input(name);
    for (auto _ : state) {
        rapidjson::Document d;
        d.Parse(json.c_str(), json.size());
        benchmark::DoNotOptimize(d.HasParseError());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

void BM_exportVexl(benchmark::State &state, const char *name) {
    const std::string &json = input(name);
    vexl::CFields root;
    if (!vexl::json::fromJSON(json, root)) {
        state.SkipWithError("import failed");
        return;
    }
    for (auto _ : state) {
        std::string out;
        if (!vexl::json::toJSON(root, out)) {
            state.SkipWithError("export failed");
            return;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

void BM_exportRapidjson(benchmark::State &state, const char *name) {
    const std::string &json = input(name);
    rapidjson::Document d;
    d.Parse(json.c_str(), json.size());
    for (auto _ : state) {
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        d.Accept(writer);
        benchmark::DoNotOptimize(buffer.GetString());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(json.size()));
}

// MARK: - Profile mode

[[gnu::noinline]] bool profiledImport(const std::string &json) {
    vexl::CFields root;
    return vexl::json::fromJSON(json, root);
}
[[gnu::noinline]] bool profiledNlohmannImport(const std::string &json) {
    nlohmann::json j = nlohmann::json::parse(json);
    return j.is_object();
}
[[gnu::noinline]] size_t profiledExport(const vexl::CFields &tree) {
    std::string out;
    return vexl::json::toJSON(tree, out) ? out.size() : 0;
}
[[gnu::noinline]] size_t profiledRapidjsonExport(const rapidjson::Document &d) {
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    d.Accept(writer);
    return buffer.GetSize();
}

int profile(const std::string &spec) {
    const size_t slash = spec.find('/');
    if (slash == std::string::npos) {
        std::fprintf(stderr, "--profile=OP/DOC[/N]\n");
        return 2;
    }
    const std::string op = spec.substr(0, slash);
    std::string doc = spec.substr(slash + 1);
    int runs = 3;
    if (const size_t n = doc.find('/'); n != std::string::npos) {
        runs = std::atoi(doc.c_str() + n + 1);
        doc.resize(n);
    }
    const std::string &json = input(doc);
    vexl::CFields tree;
    rapidjson::Document d;
    if (!vexl::json::fromJSON(json, tree))
        return 1;
    d.Parse(json.c_str(), json.size());
    for (int i = 0; i < runs; ++i) {
        if (op == "import") {
            if (!profiledImport(json))
                return 1;
        } else if (op == "nlohmann-import") {
            benchmark::DoNotOptimize(profiledNlohmannImport(json));
        } else if (op == "export") {
            benchmark::DoNotOptimize(profiledExport(tree));
        } else if (op == "rapidjson-export") {
            benchmark::DoNotOptimize(profiledRapidjsonExport(d));
        } else {
            std::fprintf(stderr, "unknown operation %s\n", op.c_str());
            return 2;
        }
    }
    return 0;
}

// Keeps the fastest time per benchmark (over repetitions) for the summary.
class CSummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        for (const Run &r : runs) {
            if (r.error_occurred || r.run_type == Run::RT_Aggregate)
                continue;
            const std::string name = r.run_name.function_name;
            const double scale = r.time_unit == benchmark::kMillisecond ? 1e6 : 1.0;
            keepBest(m_mapBestNs, name, r.GetAdjustedRealTime() * scale);
            keepBest(m_mapBestCpuNs, name, r.GetAdjustedCPUTime() * scale);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double best(const std::string &name, bool cpu) const {
        const std::map<std::string, double> &m = cpu ? m_mapBestCpuNs : m_mapBestNs;
        auto it = m.find(name);
        return it == m.end() ? 0.0 : it->second;
    }

private:
    static void keepBest(std::map<std::string, double> &m, const std::string &name, double ns) {
        auto it = m.find(name);
        if (it == m.end() || ns < it->second)
            m[name] = ns;
    }
    std::map<std::string, double> m_mapBestNs;
    std::map<std::string, double> m_mapBestCpuNs;
};

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--profile=", 0) == 0)
            return profile(argv[i] + 10);
    struct tPeer {
        const char *szName;
        void (*fn)(benchmark::State &, const char *);
    };
    const tPeer peers[] = {{"import/vexl/", BM_importVexl},
                           {"import/nlohmann/", BM_importNlohmann},
                           {"import/rapidjson/", BM_importRapidjson},
                           {"export/vexl/", BM_exportVexl},
                           {"export/rapidjson/", BM_exportRapidjson}};
    for (const char *name : kDocuments)
        for (const tPeer &p : peers)
            benchmark::RegisterBenchmark((std::string(p.szName) + name).c_str(), p.fn, name)
                ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    CSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (bool cpu : {false, true}) {
        std::printf("\nFastest run per benchmark by %s time, MB/s of the JSON text:\n", cpu ? "CPU" : "wall");
        std::printf("%-14s %8s %8s %8s %12s %12s | %8s %8s %12s\n", "document", "imp vexl", "nlohmann",
                    "rapidjs", "vexl/nlohm", "vexl/rapid", "exp vexl", "rapidjs", "vexl/rapid");
        for (const char *name : kDocuments) {
            const double bytes = double(input(name).size());
            auto mbs = [&](const char *what) {
                const double ns = reporter.best(std::string(what) + name, cpu);
                return ns > 0 ? bytes / ns * 1e3 : 0.0;
            };
            const double iv = mbs("import/vexl/"), in = mbs("import/nlohmann/"),
                         ir = mbs("import/rapidjson/");
            const double ev = mbs("export/vexl/"), er = mbs("export/rapidjson/");
            std::printf("%-14s %8.1f %8.1f %8.1f %12.2f %12.2f | %8.1f %8.1f %12.2f\n", name, iv, in, ir,
                        in > 0 ? iv / in : 0.0, ir > 0 ? iv / ir : 0.0, ev, er, er > 0 ? ev / er : 0.0);
        }
    }
    return 0;
}
