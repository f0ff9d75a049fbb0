// Binary documents against the text notation, on the corpus documents (../shared/corpus): a user
// who stores a tree picks one of the two. Each corpus text is loaded once with our text loader;
// then, per document, the benchmarks time
//   - loading: the corpus text with the text loader, and the binary document of the same tree
//     without and with a password (type-0 body, SEED body);
//   - saving: the tree with the packet-style text writer (the shape of the corpus text) and with
//     the binary writer without and with a password.
// Set-up checks once that each binary document loads back into a tree equal to the one it was
// written from, and that this tree re-saves to the same bytes.
// After the runs a summary prints the sizes and the ratios text CPU time / binary CPU time
// (above 1: the binary document is faster). CPU time, because the wall time of a shared machine
// also counts other processes; with --benchmark_repetitions the fastest repetition counts.
//
// For instruction counts, `--profile=DOC/KIND[/N]` (KIND text, plain or password; N loads, 20
// by default) skips the benchmarks and only loads that document N times through the function
// `profiledLoad`, so that
//   valgrind --tool=callgrind --toggle-collect='*profiledLoad*' bench_binary --profile=canada/plain
// counts exactly N loads (divide the total by N). KIND save-text, save-plain or save-password
// writes the tree N times instead, through `profiledSave`.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "vexl/loaders.h"
#include "vexl/savers.h"

using vexl::CFields;

namespace {

const char *const kDocs[] = {"twitter", "citm_catalog", "canada"};
const char kPassword[] = "bench-password";

struct tCorpusDoc {
    std::string text;     // the corpus text as stored
    CFields tree;         // loaded from it
    std::string plainDoc; // its binary document without password
    std::string pwDoc;    // with kPassword
};

[[noreturn]] void die(const std::string &why) {
    std::fprintf(stderr, "bench_binary: %s\n", why.c_str());
    std::exit(1);
}

std::string binaryOf(const CFields &tree, const char *password) {
    vexl::CSaver4BER_BASIC saver;
    std::string doc = saver.saving(tree, vexl::SIS_DETAIL, password);
    if (doc.empty())
        die("binary writer failed: " + saver.getLastErrMsg());
    return doc;
}

const tCorpusDoc &corpus(const std::string &name) {
    static std::map<std::string, std::unique_ptr<tCorpusDoc>> s_docs;
    auto &slot = s_docs[name];
    if (slot)
        return *slot;
    slot = std::make_unique<tCorpusDoc>();
    std::ifstream in(std::string(VEXL_SHARED_DIR) + "/corpus/" + name + ".vexl", std::ios::binary);
    if (!in)
        die("cannot read corpus/" + name + ".vexl");
    std::ostringstream text;
    text << in.rdbuf();
    slot->text = text.str();
    vexl::CLoaders loaders;
    if (!loaders.loading(slot->text, slot->tree, "", true))
        die(name + ": text load failed: " + loaders.getLastErrMsg());
    slot->plainDoc = binaryOf(slot->tree, "");
    slot->pwDoc = binaryOf(slot->tree, kPassword);
    // Both documents load back into a tree that writes the same bytes again.
    for (const auto &[doc, password] : {std::pair{&slot->plainDoc, ""}, std::pair{&slot->pwDoc, kPassword}}) {
        CFields back;
        if (!loaders.loading(*doc, back, password, true))
            die(name + ": binary load failed: " + loaders.getLastErrMsg());
        if (!(back == slot->tree))
            die(name + ": the reloaded tree differs from the written one");
        if (binaryOf(back, password) != *doc)
            die(name + ": the reloaded tree writes other bytes");
    }
    return *slot;
}

// Releases a loaded tree outside the timed region: loading is what is measured, and releasing the
// same tree costs the same whichever way it was loaded.
void destroyUntimed(benchmark::State &state, CFields &root) {
    state.PauseTiming();
    { CFields dead(std::move(root)); }
    state.ResumeTiming();
}

void BM_TextLoad(benchmark::State &state, const char *name) {
    const tCorpusDoc &doc = corpus(name);
    vexl::CLoaders loaders;
    for (auto _ : state) {
        CFields root;
        if (!loaders.loading(doc.text, root, "", true)) {
            state.SkipWithError("text load failed");
            break;
        }
        benchmark::DoNotOptimize(root);
        destroyUntimed(state, root);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.text.size()));
}

void BM_BinaryLoad(benchmark::State &state, const char *name, bool withPassword) {
    const tCorpusDoc &doc = corpus(name);
    const std::string &bytes = withPassword ? doc.pwDoc : doc.plainDoc;
    const char *password = withPassword ? kPassword : "";
    vexl::CLoaders loaders;
    for (auto _ : state) {
        CFields root;
        if (!loaders.loading(bytes, root, password, true)) {
            state.SkipWithError("binary load failed");
            break;
        }
        benchmark::DoNotOptimize(root);
        destroyUntimed(state, root);
    }
    // Counted in bytes of the text, so that MB/s compare directly.
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.text.size()));
}

void BM_TextSave(benchmark::State &state, const char *name) {
    const tCorpusDoc &doc = corpus(name);
    vexl::CSaver4SER_PKT saver;
    for (auto _ : state) {
        std::string out = saver.saving(doc.tree, vexl::SIS_DETAIL, "");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.text.size()));
}

void BM_BinarySave(benchmark::State &state, const char *name, bool withPassword) {
    const tCorpusDoc &doc = corpus(name);
    vexl::CSaver4BER_BASIC saver;
    for (auto _ : state) {
        std::string out = saver.saving(doc.tree, vexl::SIS_DETAIL, withPassword ? kPassword : "");
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(doc.text.size()));
}

void registerAll() {
    for (const char *name : kDocs) {
        const std::string n = name;
        benchmark::RegisterBenchmark(("TextLoad/" + n).c_str(), BM_TextLoad, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BinaryLoad/" + n + "/plain").c_str(), BM_BinaryLoad, name, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BinaryLoad/" + n + "/password").c_str(), BM_BinaryLoad, name, true)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("TextSave/" + n).c_str(), BM_TextSave, name)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BinarySave/" + n + "/plain").c_str(), BM_BinarySave, name, false)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BinarySave/" + n + "/password").c_str(), BM_BinarySave, name, true)
            ->Unit(benchmark::kMillisecond);
    }
}

// Console output as usual, plus the time per iteration of every plain run for the summary.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override {
        // With repetitions the fastest one counts (on a shared machine the others carry noise);
        // when only aggregates are reported, the median.
        for (const auto &run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type != Run::RT_Iteration && !median)
                continue;
            const std::string &name = run.run_name.function_name;
            const auto it = m_times.find(name);
            if (it == m_times.end() || run.GetAdjustedCPUTime() < it->second)
                m_times[name] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void summary() const {
        std::printf(
            "\nBinary documents against the text notation (ratio = text CPU time / binary CPU time)\n");
        for (const char *name : kDocs) {
            const std::string n = name;
            const tCorpusDoc &doc = corpus(n);
            const double textLoad = time("TextLoad/" + n), textSave = time("TextSave/" + n);
            std::printf("  %-13s text %7zu B, binary %7zu B (%7zu B with password)\n", name, doc.text.size(),
                        doc.plainDoc.size(), doc.pwDoc.size());
            for (const char *kind : {"plain", "password"}) {
                const double load = time("BinaryLoad/" + n + "/" + kind);
                const double save = time("BinarySave/" + n + "/" + kind);
                std::printf("    %-8s load %.2fx, save %.2fx\n", kind, load > 0 ? textLoad / load : 0.0,
                            save > 0 ? textSave / save : 0.0);
            }
        }
    }

private:
    double time(const std::string &name) const {
        const auto it = m_times.find(name);
        return it == m_times.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_times;
};

// One load for the profile mode; kept out of line so that callgrind can collect exactly it.
[[gnu::noinline]] bool profiledLoad(vexl::CLoaders &loaders, const std::string &bytes, CFields &root,
                                    const char *password) {
    return loaders.loading(bytes, root, password, true);
}

// One write for the profile mode, out of line like `profiledLoad`.
[[gnu::noinline]] size_t profiledSave(vexl::IStringSaver &saver, const CFields &tree, const char *password) {
    return saver.saving(tree, vexl::SIS_DETAIL, password).size();
}

// `--profile=DOC/KIND[/N]`: N loads of one document kind and nothing else (see the file comment).
int profile(const std::string &spec) {
    const size_t slash = spec.find('/');
    if (slash == std::string::npos)
        die("--profile=DOC/KIND[/N] expected");
    const std::string name = spec.substr(0, slash);
    std::string kind = spec.substr(slash + 1);
    long times = 20;
    if (const size_t slash2 = kind.find('/'); slash2 != std::string::npos) {
        times = std::strtol(kind.c_str() + slash2 + 1, nullptr, 10);
        kind.resize(slash2);
    }
    const tCorpusDoc &doc = corpus(name);
    if (kind.rfind("save-", 0) == 0) {
        vexl::CSaver4SER_PKT textSaver;
        vexl::CSaver4BER_BASIC binarySaver;
        const bool text = kind == "save-text";
        if (!text && kind != "save-plain" && kind != "save-password")
            die("KIND is text, plain, password, save-text, save-plain or save-password");
        vexl::IStringSaver &saver = text ? static_cast<vexl::IStringSaver &>(textSaver) : binarySaver;
        for (long i = 0; i < times; ++i)
            if (profiledSave(saver, doc.tree, kind == "save-password" ? kPassword : "") == 0)
                die(name + ": write failed");
        std::printf("%ld writes of %s/%s\n", times, name.c_str(), kind.c_str());
        return 0;
    }
    const bool text = kind == "text", withPassword = kind == "password";
    if (!text && !withPassword && kind != "plain")
        die("KIND is text, plain or password");
    const std::string &bytes = text ? doc.text : withPassword ? doc.pwDoc : doc.plainDoc;
    vexl::CLoaders loaders;
    for (long i = 0; i < times; ++i) {
        CFields root;
        if (!profiledLoad(loaders, bytes, root, withPassword ? kPassword : ""))
            die(name + ": load failed: " + loaders.getLastErrMsg());
    }
    std::printf("%ld loads of %s/%s\n", times, name.c_str(), kind.c_str());
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--profile=", 10) == 0)
            return profile(argv[i] + 10);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerAll();
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.summary();
    benchmark::Shutdown();
    return 0;
}
