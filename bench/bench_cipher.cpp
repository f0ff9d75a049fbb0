// SEED-ECB over 1 MiB: this library's cipher on every implementation path the CPU supports
// against OpenSSL's (legacy provider), the one a user would otherwise reach for. Both sides
// include key setup in every iteration, as a document write or read does. After the runs a
// summary prints MB/s per path and the ratio ours / OpenSSL.

#include "cipher/seed_paths.h"
#include "cipher/transform.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace vexl::detail;

namespace {

constexpr size_t kSize = 1 << 20;
const char kPassword[] = "bench-password-16";

const std::vector<unsigned char> &input() {
    static const std::vector<unsigned char> s_data = [] {
        std::vector<unsigned char> d(kSize);
        std::mt19937 rng(1);
        for (auto &b : d)
            b = static_cast<unsigned char>(rng());
        return d;
    }();
    return s_data;
}

EVP_CIPHER *opensslSeed() {
    static EVP_CIPHER *const s_cipher = [] {
        if (OSSL_PROVIDER_load(nullptr, "legacy") == nullptr ||
            OSSL_PROVIDER_load(nullptr, "default") == nullptr)
            return static_cast<EVP_CIPHER *>(nullptr);
        return EVP_CIPHER_fetch(nullptr, "SEED-ECB", nullptr);
    }();
    return s_cipher;
}

void BM_Vexl(benchmark::State &a_state, E_SeedPath a_ePath, bool a_bEncrypt) {
    if (!seedSelectPath(a_ePath)) {
        a_state.SkipWithError("path not supported by this CPU");
        return;
    }
    const auto &in = input();
    std::vector<unsigned char> out(kSize);
    for (auto _ : a_state) {
        const size_t n = a_bEncrypt ? encryptInto(CT_SEED, in.data(), kSize, kPassword, 16, out.data(), false)
                                    : decryptInto(CT_SEED, in.data(), kSize, kPassword, 16, out.data());
        if (n != kSize) {
            a_state.SkipWithError("SEED transform failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    a_state.SetBytesProcessed(static_cast<int64_t>(a_state.iterations()) * static_cast<int64_t>(kSize));
    seedSelectPath(seedBestPath());
}

void BM_OpenSSL(benchmark::State &a_state, bool a_bEncrypt) {
    if (opensslSeed() == nullptr) {
        a_state.SkipWithError("OpenSSL legacy provider (SEED-ECB) not available");
        return;
    }
    const auto &in = input();
    std::vector<unsigned char> out(kSize + 16);
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    const auto *key = reinterpret_cast<const unsigned char *>(kPassword);
    for (auto _ : a_state) {
        int n = 0, tail = 0;
        const bool ok =
            EVP_CipherInit_ex2(ctx, opensslSeed(), key, nullptr, a_bEncrypt ? 1 : 0, nullptr) == 1 &&
            EVP_CIPHER_CTX_set_padding(ctx, 0) == 1 &&
            EVP_CipherUpdate(ctx, out.data(), &n, in.data(), static_cast<int>(kSize)) == 1 &&
            EVP_CipherFinal_ex(ctx, out.data() + n, &tail) == 1;
        if (!ok) {
            a_state.SkipWithError("OpenSSL SEED-ECB failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    EVP_CIPHER_CTX_free(ctx);
    a_state.SetBytesProcessed(static_cast<int64_t>(a_state.iterations()) * static_cast<int64_t>(kSize));
}

// Benchmarks are named BM_Vexl/seed_<op>_1MiB/<path> and BM_OpenSSL/seed_<op>_1MiB.
const bool s_bRegistered = [] {
    for (const bool encrypt : {true, false}) {
        const std::string op = encrypt ? "encrypt" : "decrypt";
        for (unsigned p = SP_PORTABLE; p < SP_COUNT; ++p) {
            const auto path = static_cast<E_SeedPath>(p);
            benchmark::RegisterBenchmark(("BM_Vexl/seed_" + op + "_1MiB/" + seedPathName(path)).c_str(),
                                         BM_Vexl, path, encrypt)
                ->Unit(benchmark::kMicrosecond);
        }
        benchmark::RegisterBenchmark(("BM_OpenSSL/seed_" + op + "_1MiB").c_str(), BM_OpenSSL, encrypt)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

// Console output as usual, plus the best bytes per second of every benchmark's runs for the summary.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const auto &run : a_runs) {
            const auto it = run.counters.find("bytes_per_second");
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && it != run.counters.end())
                m_rates[run.benchmark_name()] = std::max(m_rates[run.benchmark_name()], it->second.value);
        }
        ConsoleReporter::ReportRuns(a_runs);
    }
    void summary() const {
        std::printf("\nSEED-ECB, 1 MiB, key setup included, best of the repetitions (MB = 10^6 bytes); "
                    "automatic choice: %s\n",
                    seedPathName(seedBestPath()));
        for (const char *op : {"encrypt", "decrypt"}) {
            const double ossl = rate(std::string("BM_OpenSSL/seed_") + op + "_1MiB");
            std::printf("  %s: OpenSSL %.1f MB/s\n", op, ossl / 1e6);
            for (unsigned p = SP_PORTABLE; p < SP_COUNT; ++p) {
                const char *name = seedPathName(static_cast<E_SeedPath>(p));
                const double ours = rate(std::string("BM_Vexl/seed_") + op + "_1MiB/" + name);
                if (ours > 0)
                    std::printf("    vexl %-12s %8.1f MB/s, ratio vexl/OpenSSL %.2f\n", name, ours / 1e6,
                                ossl > 0 ? ours / ossl : 0.0);
            }
        }
    }

private:
    double rate(const std::string &a_name) const {
        const auto it = m_rates.find(a_name);
        return it == m_rates.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_rates;
};

} // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.summary();
    benchmark::Shutdown();
    return 0;
}
