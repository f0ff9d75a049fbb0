// vexl-tool against the library call it wraps.
//
// For each corpus document (twitter, citm_catalog, canada) the program times, in one run:
//   - check/tool:      the process `vexl-tool check -q X.vexl`, from start to exit;
//   - check/library:   CLoaders::loadit of X.vexl (already in memory) into a fresh tree,
//                      destroyed each time;
//   - convert/tool:    the process `vexl-tool convert X.vexl OUT.vexb` (text to binary, the output
//                      written through a temporary file and renamed);
//   - convert/library: the same load followed by the binary writer, no file written.
// Times are CPU times (user and system), so that other work on the machine does not count: the
// tool's are those of the child process (from wait4), the library's the calling thread's. The
// tool's share is its time over the library's: process start, reading the file, writing the
// output. Take the minimum of repeated runs (--benchmark_repetitions) for the ratios.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "vexl/loaders.h"
#include "vexl/savers.h"

extern char **environ;

namespace {

const char *const kDocuments[] = {"twitter", "citm_catalog", "canada"};

std::string corpusPath(const char *a_szName) {
    return std::string(VEXL_SHARED_DIR) + "/corpus/" + a_szName + ".vexl";
}

std::string readFile(const std::string &a_strPath) {
    std::ifstream l_tIn(a_strPath, std::ios::binary);
    if (!l_tIn) {
        std::fprintf(stderr, "cannot read %s\n", a_strPath.c_str());
        std::exit(2);
    }
    std::ostringstream l_tOut;
    l_tOut << l_tIn.rdbuf();
    return l_tOut.str();
}

// Runs the tool with `a_vecArgs`, output to /dev/null, and sets `a_dSeconds` to the CPU time
// (user and system) the process used; false when it does not exit with 0.
bool runTool(const std::vector<std::string> &a_vecArgs, double &a_dSeconds) {
    std::vector<char *> l_vecArgv;
    std::string l_strTool = VEXL_TOOL_PATH;
    l_vecArgv.push_back(l_strTool.data());
    std::vector<std::string> l_vecCopy = a_vecArgs;
    for (std::string &l_strArg : l_vecCopy)
        l_vecArgv.push_back(l_strArg.data());
    l_vecArgv.push_back(nullptr);
    posix_spawn_file_actions_t l_tActions;
    posix_spawn_file_actions_init(&l_tActions);
    posix_spawn_file_actions_addopen(&l_tActions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&l_tActions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t l_nPid = 0;
    const int l_nErr =
        posix_spawn(&l_nPid, l_strTool.c_str(), &l_tActions, nullptr, l_vecArgv.data(), environ);
    posix_spawn_file_actions_destroy(&l_tActions);
    if (l_nErr != 0)
        return false;
    int l_nStatus = 0;
    struct rusage l_tUsage {};
    wait4(l_nPid, &l_nStatus, 0, &l_tUsage);
    a_dSeconds = double(l_tUsage.ru_utime.tv_sec + l_tUsage.ru_stime.tv_sec) +
                 double(l_tUsage.ru_utime.tv_usec + l_tUsage.ru_stime.tv_usec) * 1e-6;
    return WIFEXITED(l_nStatus) && WEXITSTATUS(l_nStatus) == 0;
}

void toolCheck(benchmark::State &a_tState, const char *a_szName) {
    const std::string l_strPath = corpusPath(a_szName);
    for (auto _ : a_tState) {
        double l_dSeconds = 0;
        if (!runTool({"check", "-q", l_strPath}, l_dSeconds))
            a_tState.SkipWithError("vexl-tool check failed");
        a_tState.SetIterationTime(l_dSeconds);
    }
}

void libraryCheck(benchmark::State &a_tState, const char *a_szName) {
    const std::string l_strText = readFile(corpusPath(a_szName));
    vexl::CLoaders l_tLoaders;
    for (auto _ : a_tState) {
        vexl::CFields l_tRoot;
        if (!l_tLoaders.loadit(l_strText.data(), unsigned(l_strText.size()), l_tRoot, "", true))
            a_tState.SkipWithError("load failed");
        benchmark::DoNotOptimize(l_tRoot);
    }
}

void toolConvert(benchmark::State &a_tState, const char *a_szName) {
    const std::string l_strPath = corpusPath(a_szName);
    const std::string l_strOut = "/tmp/vexl_bench_tool_" + std::to_string(getpid()) + ".vexb";
    for (auto _ : a_tState) {
        double l_dSeconds = 0;
        if (!runTool({"convert", l_strPath, l_strOut}, l_dSeconds))
            a_tState.SkipWithError("vexl-tool convert failed");
        a_tState.SetIterationTime(l_dSeconds);
    }
    std::remove(l_strOut.c_str());
}

void libraryConvert(benchmark::State &a_tState, const char *a_szName) {
    const std::string l_strText = readFile(corpusPath(a_szName));
    vexl::CLoaders l_tLoaders;
    vexl::CSavers l_tSavers;
    for (auto _ : a_tState) {
        vexl::CFields l_tRoot;
        if (!l_tLoaders.loadit(l_strText.data(), unsigned(l_strText.size()), l_tRoot, "", true))
            a_tState.SkipWithError("load failed");
        std::string l_strOut = l_tSavers.saving(l_tRoot, vexl::BER_BASIC, vexl::SIS_DETAIL, "");
        benchmark::DoNotOptimize(l_strOut);
    }
}

const int kRegistered = [] {
    for (const char *l_szName : kDocuments) {
        const std::string l_strName = l_szName;
        benchmark::RegisterBenchmark(("check/tool/" + l_strName).c_str(), toolCheck, l_szName)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(("check/library/" + l_strName).c_str(), libraryCheck, l_szName)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("convert/tool/" + l_strName).c_str(), toolConvert, l_szName)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime();
        benchmark::RegisterBenchmark(("convert/library/" + l_strName).c_str(), libraryConvert, l_szName)
            ->Unit(benchmark::kMillisecond);
    }
    return 0;
}();

} // namespace

BENCHMARK_MAIN();
