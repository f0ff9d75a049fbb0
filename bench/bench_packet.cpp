// Packet making and parsing: the packet engine against the code a user writes by hand for the
// same fixed-width records, on the same bytes, in one run. Two layouts: a 14-field message header
// and a 40-field body.
//
// The hand-written side is what an expert writes, in two forms. The table form loops over the
// record's field table: digits formatted straight into the record (zero-padded, cut to the
// field), text measured, copied and padded with memcpy/memset, into a buffer or a new
// std::string; its parser walks the record with digit loops, validates every digit and trims
// the padding of text fields. The unrolled form is one statement per field with every width a
// compile-time constant, text lengths kept rather than measured and digits written two at a
// time: the fastest code there is for one fixed layout, written for that layout alone. The
// snprintf/strtoull rows are kept as extra context only. Every packet is checked byte for byte
// against the table form's before anything is timed. Prints the engine's time over each
// hand-written form's and over the faster one's, and the engine's heap allocations per packet.

#include <benchmark/benchmark.h>

#include <atomic>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <utility>
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
constexpr const char *kBodyTexts[] = {
    "ACC", "KRW", "Seoul", "branch-0042", "N", "teller", "2024Q1", "memo for the transfer", "OK", "ref"};

constexpr bool bodyIsNumber(unsigned i) {
    return i % 8 < 3;
}
constexpr unsigned bodyWidth(unsigned i) {
    return bodyIsNumber(i) ? 4 + (i * 7) % 9
                           : unsigned(std::string_view(kBodyTexts[i % 10]).size()) + (i % 4);
}

const std::vector<tFieldSpec> &bodySpec() {
    static const std::vector<tFieldSpec> s_vec = [] {
        std::vector<tFieldSpec> l_vec;
        for (unsigned i = 0; i < 40; ++i) {
            if (bodyIsNumber(i))
                l_vec.push_back({"n", bodyWidth(i), true, nullptr, (i * 7919ULL) % 10000});
            else
                l_vec.push_back({"t", bodyWidth(i), false, kBodyTexts[i % 10], 0});
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
    unsigned auTextLen[40]; // kept by code that knows its texts' lengths
};

tRecord recordFrom(const std::vector<tFieldSpec> &a_vecSpec) {
    tRecord l_tRecord{};
    for (size_t i = 0; i < a_vecSpec.size(); ++i) {
        if (a_vecSpec[i].bNumber)
            l_tRecord.auNumber[i] = a_vecSpec[i].uValue;
        else if (a_vecSpec[i].cpText != nullptr)
            l_tRecord.auTextLen[i] = unsigned(
                std::snprintf(l_tRecord.acText[i], sizeof(l_tRecord.acText[i]), "%s", a_vecSpec[i].cpText));
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

// MARK: - Hand-written maker and parser (what an expert writes for these records)

// A record's field table as hand-written code has it: widths and kinds known at compile time in
// real code, here a flat array read in order.
struct tHandLayout {
    unsigned auWidth[40];
    bool abNumber[40];
    unsigned uiCount;
    unsigned uiTotal;
};

tHandLayout handLayout(const std::vector<tFieldSpec> &a_vecSpec) {
    tHandLayout l_tLayout{};
    l_tLayout.uiCount = unsigned(a_vecSpec.size());
    for (unsigned i = 0; i < l_tLayout.uiCount; ++i) {
        l_tLayout.auWidth[i] = a_vecSpec[i].uiWidth;
        l_tLayout.abNumber[i] = a_vecSpec[i].bNumber;
        l_tLayout.uiTotal += a_vecSpec[i].uiWidth;
    }
    return l_tLayout;
}

// Zero-padded decimal digits of `a_uValue` in exactly `a_uiWidth` characters, cut to the
// leading digits when the number is wider (as the engine does).
inline void handDigits(char *a_p, unsigned a_uiWidth, unsigned long long a_uValue) {
    char l_acDigits[20];
    char *l_pEnd = l_acDigits + 20;
    char *l_p = l_pEnd;
    do {
        *--l_p = char('0' + a_uValue % 10);
        a_uValue /= 10;
    } while (a_uValue != 0);
    const unsigned l_uiLen = unsigned(l_pEnd - l_p);
    if (l_uiLen >= a_uiWidth) {
        std::memcpy(a_p, l_p, a_uiWidth);
    } else {
        std::memset(a_p, '0', a_uiWidth - l_uiLen);
        std::memcpy(a_p + (a_uiWidth - l_uiLen), l_p, l_uiLen);
    }
}

// Writes the record into `a_p` (the layout's total width).
inline void handMakeInto(const tHandLayout &a_tLayout, const tRecord &a_tRecord, char *a_p) {
    for (unsigned i = 0; i < a_tLayout.uiCount; ++i) {
        const unsigned l_uiWidth = a_tLayout.auWidth[i];
        if (a_tLayout.abNumber[i]) {
            handDigits(a_p, l_uiWidth, a_tRecord.auNumber[i]);
        } else {
            const size_t l_uiLen = std::strlen(a_tRecord.acText[i]);
            const size_t l_uiCopy = l_uiLen < l_uiWidth ? l_uiLen : l_uiWidth;
            std::memcpy(a_p, a_tRecord.acText[i], l_uiCopy);
            std::memset(a_p + l_uiCopy, ' ', l_uiWidth - l_uiCopy);
        }
        a_p += l_uiWidth;
    }
}

// The same, returning a new string.
inline std::string handMakeString(const tHandLayout &a_tLayout, const tRecord &a_tRecord) {
    std::string l_strOut(a_tLayout.uiTotal, '\0');
    handMakeInto(a_tLayout, a_tRecord, l_strOut.data());
    return l_strOut;
}

// One field of a record as both hand-written parsers read it: a number field must be all
// digits; a text field loses its trailing spaces, and its length is kept. The unrolled form
// copies the whole field (the record's array has room), a copy of constant size there; the
// table form copies the text. Always inlined: the unrolled form relies on its widths being
// constants here.
[[gnu::always_inline]] inline bool handParseField(const char *a_p, unsigned a_uiWidth, bool a_bNumber,
                                                  unsigned i, tRecord &a_tRecord, bool a_bWholeField) {
    if (a_bNumber) {
        unsigned long long l_uValue = 0;
        for (unsigned j = 0; j < a_uiWidth; ++j) {
            const unsigned l_uDigit = unsigned(static_cast<unsigned char>(a_p[j])) - '0';
            if (l_uDigit > 9)
                return false;
            l_uValue = l_uValue * 10 + l_uDigit;
        }
        a_tRecord.auNumber[i] = l_uValue;
        return true;
    }
    unsigned l_uiLen = a_uiWidth;
    while (l_uiLen != 0 && a_p[l_uiLen - 1] == ' ')
        --l_uiLen;
    std::memcpy(a_tRecord.acText[i], a_p, a_bWholeField ? a_uiWidth : l_uiLen);
    a_tRecord.acText[i][l_uiLen] = '\0';
    a_tRecord.auTextLen[i] = l_uiLen;
    return true;
}

// Parses a record. False for short data or a bad digit.
inline bool handParse(const tHandLayout &a_tLayout, const char *a_cpData, size_t a_uiSize,
                      tRecord &a_tRecord) {
    if (a_uiSize < a_tLayout.uiTotal)
        return false;
    const char *l_p = a_cpData;
    for (unsigned i = 0; i < a_tLayout.uiCount; ++i) {
        if (!handParseField(l_p, a_tLayout.auWidth[i], a_tLayout.abNumber[i], i, a_tRecord, false))
            return false;
        l_p += a_tLayout.auWidth[i];
    }
    return true;
}

// MARK: - Hand-written, unrolled (widths known at compile time)

// The fastest form of hand-written code for a fixed layout: one statement per field with the
// width a constant, so that copies of a whole field are inlined stores, digits are written two
// at a time in a loop of known length, and text lengths are kept instead of measured.
struct tHeaderTable {
    static constexpr unsigned kCount = 14;
    static constexpr unsigned kWidths[kCount] = {10, 6, 4, 2, 2, 4, 16, 15, 14, 8, 1, 10, 8, 8};
    static constexpr bool kNumbers[kCount] = {true,  true, false, false, false, false, false,
                                              false, true, true,  false, false, false, false};
    static constexpr unsigned width(unsigned i) { return kWidths[i]; }
    static constexpr bool number(unsigned i) { return kNumbers[i]; }
};

struct tBodyTable {
    static constexpr unsigned kCount = 40;
    static constexpr unsigned width(unsigned i) { return bodyWidth(i); }
    static constexpr bool number(unsigned i) { return bodyIsNumber(i); }
};

template <class T> constexpr unsigned offsetOf(unsigned a_uiField) {
    unsigned l_uiOffset = 0;
    for (unsigned i = 0; i < a_uiField; ++i)
        l_uiOffset += T::width(i);
    return l_uiOffset;
}

// The same as a constant, so that it is never computed at run time.
template <class T, unsigned I> inline constexpr unsigned kOffsetOf = offsetOf<T>(I);
template <class T, unsigned I> inline constexpr unsigned kWidthOf = T::width(I);

template <class T> constexpr unsigned totalOf() {
    return offsetOf<T>(T::kCount);
}

// True when the compile-time table is the layout the other benchmarks use.
template <class T> bool tableMatches(const std::vector<tFieldSpec> &a_vecSpec) {
    if (a_vecSpec.size() != T::kCount)
        return false;
    for (unsigned i = 0; i < T::kCount; ++i)
        if (a_vecSpec[i].uiWidth != T::width(i) || a_vecSpec[i].bNumber != T::number(i))
            return false;
    return true;
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

template <unsigned W, bool N> inline void unrolledField(const tRecord &a_tRecord, unsigned i, char *a_p) {
    static_assert(W < sizeof(tRecord::acText[0]), "a text field and its terminator fit the record's array");
    if constexpr (N) {
        // The value has at most W digits, as the layout guarantees.
        unsigned long long l_uValue = a_tRecord.auNumber[i];
        char *l_p = a_p + W;
        for (unsigned k = 0; k < W / 2; ++k) {
            l_p -= 2;
            std::memcpy(l_p, kDigitPairs + 2 * (l_uValue % 100), 2);
            l_uValue /= 100;
        }
        if constexpr (W % 2 != 0)
            *--l_p = char('0' + l_uValue % 10);
    } else {
        // The array holds zeros past the text: copy the whole width, then pad.
        const unsigned l_uiLen = a_tRecord.auTextLen[i] < W ? a_tRecord.auTextLen[i] : W;
        std::memcpy(a_p, a_tRecord.acText[i], W);
        std::memset(a_p + l_uiLen, ' ', W - l_uiLen);
    }
}

template <class T, size_t... I>
inline void unrolledMakeInto(const tRecord &a_tRecord, char *a_p, std::index_sequence<I...>) {
    (unrolledField<T::width(I), T::number(I)>(a_tRecord, I, a_p + kOffsetOf<T, I>), ...);
}

template <class T> inline void unrolledMakeInto(const tRecord &a_tRecord, char *a_p) {
    unrolledMakeInto<T>(a_tRecord, a_p, std::make_index_sequence<T::kCount>());
}

template <class T> inline std::string unrolledMakeString(const tRecord &a_tRecord) {
    std::string l_strOut(totalOf<T>(), '\0');
    unrolledMakeInto<T>(a_tRecord, l_strOut.data());
    return l_strOut;
}

template <class T, size_t... I>
inline bool unrolledParse(const char *a_p, tRecord &a_tRecord, std::index_sequence<I...>) {
    return (handParseField(a_p + kOffsetOf<T, I>, kWidthOf<T, I>, T::number(I), I, a_tRecord, true) && ...);
}

template <class T> inline bool unrolledParse(const char *a_cpData, size_t a_uiSize, tRecord &a_tRecord) {
    if (a_uiSize < totalOf<T>())
        return false;
    return unrolledParse<T>(a_cpData, a_tRecord, std::make_index_sequence<T::kCount>());
}

// MARK: - Prepared inputs

constexpr unsigned kTreeCount = 1024;

// A variant of a layout's values: numbers and texts shifted by `a_uiSeed`, texts of varying
// length (never wider than the field).
std::vector<tFieldSpec> variantSpec(const std::vector<tFieldSpec> &a_vecSpec, unsigned a_uiSeed,
                                    std::vector<std::string> &a_vecTexts) {
    std::vector<tFieldSpec> l_vec = a_vecSpec;
    for (size_t i = 0; i < l_vec.size(); ++i) {
        tFieldSpec &l_tSpec = l_vec[i];
        if (l_tSpec.bNumber) {
            unsigned long long l_uMax = 1;
            for (unsigned d = 0; d < l_tSpec.uiWidth && d < 19; ++d)
                l_uMax *= 10;
            l_tSpec.uValue = (l_tSpec.uValue + a_uiSeed * 7919ULL) % l_uMax;
        } else if (l_tSpec.cpText != nullptr) {
            const std::string l_strBase = l_tSpec.cpText;
            const size_t l_uiLen = 1 + (l_strBase.size() + a_uiSeed) % l_tSpec.uiWidth;
            std::string l_strText;
            while (l_strText.size() < l_uiLen)
                l_strText += l_strBase;
            l_strText.resize(l_uiLen);
            l_strText[0] = char('A' + a_uiSeed % 26);
            a_vecTexts[i] = l_strText;
        }
    }
    for (size_t i = 0; i < l_vec.size(); ++i)
        if (!l_vec[i].bNumber && l_vec[i].cpText != nullptr)
            l_vec[i].cpText = a_vecTexts[i].c_str();
    return l_vec;
}

// `kTreeCount` value variants of a layout, kept alive with their texts.
struct tVariants {
    std::vector<std::vector<std::string>> vecTexts;
    std::vector<std::vector<tFieldSpec>> vecSpecs;
};

const tVariants &variantsOf(int a_nLayout) {
    static tVariants s_at[2];
    tVariants &l_t = s_at[a_nLayout];
    if (l_t.vecSpecs.empty()) {
        const auto &l_vecSpec = specOf(a_nLayout);
        l_t.vecTexts.assign(kTreeCount, std::vector<std::string>(l_vecSpec.size()));
        for (unsigned i = 0; i < kTreeCount; ++i)
            l_t.vecSpecs.push_back(variantSpec(l_vecSpec, i, l_t.vecTexts[i]));
    }
    return l_t;
}

void countAllocs(benchmark::State &a_state, uint64_t a_uNewBefore) {
    a_state.counters["allocs_per_packet"] =
        double(g_uNewCalls.load() - a_uNewBefore) / double(a_state.iterations() ? a_state.iterations() : 1);
    a_state.SetItemsProcessed(a_state.iterations());
}

// MARK: - Make, one warm tree

void BM_HandMakeBuffer(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const tHandLayout l_tLayout = handLayout(l_vecSpec);
    const tRecord l_tRecord = recordFrom(l_vecSpec);
    char l_acBuffer[1024];
    for (auto _ : a_state) {
        handMakeInto(l_tLayout, l_tRecord, l_acBuffer);
        benchmark::DoNotOptimize(l_acBuffer);
        benchmark::ClobberMemory();
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_HandMakeString(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const tHandLayout l_tLayout = handLayout(l_vecSpec);
    const tRecord l_tRecord = recordFrom(l_vecSpec);
    for (auto _ : a_state)
        benchmark::DoNotOptimize(handMakeString(l_tLayout, l_tRecord));
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_EngineMake(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    CFields l_tTree = buildTree(l_vecSpec);
    const std::string l_strWant = handMakeString(handLayout(l_vecSpec), recordFrom(l_vecSpec));
    if (l_tTree.pkt_Make4Children(false) != l_strWant ||
        baselineMake(l_vecSpec, recordFrom(l_vecSpec), totalWidth(l_vecSpec)) != l_strWant) {
        a_state.SkipWithError("the engine's packet differs from the hand-written one");
        return;
    }
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state)
        benchmark::DoNotOptimize(l_tTree.pkt_Make4Children(false));
    countAllocs(a_state, l_uNewBefore);
}

void BM_EngineMakeBuffer(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    CFields l_tTree = buildTree(l_vecSpec);
    const std::string l_strWant = handMakeString(handLayout(l_vecSpec), recordFrom(l_vecSpec));
    char l_acBuffer[1024];
    if (l_tTree.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false) != l_strWant.size() ||
        std::string(l_acBuffer, l_strWant.size()) != l_strWant) {
        a_state.SkipWithError("the engine's packet differs from the hand-written one");
        return;
    }
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(l_tTree.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false));
        benchmark::ClobberMemory();
    }
    countAllocs(a_state, l_uNewBefore);
}

// MARK: - Make over prepared trees (scattered nodes)

void BM_HandMakeMany(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    const tHandLayout l_tLayout = handLayout(specOf(l_nLayout));
    std::vector<tRecord> l_vecRecords;
    for (const auto &l_vecSpec : variantsOf(l_nLayout).vecSpecs)
        l_vecRecords.push_back(recordFrom(l_vecSpec));
    unsigned l_ui = 0;
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(handMakeString(l_tLayout, l_vecRecords[l_ui]));
        l_ui = (l_ui + 1) % kTreeCount;
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_HandMakeManyBuffer(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    const tHandLayout l_tLayout = handLayout(specOf(l_nLayout));
    std::vector<tRecord> l_vecRecords;
    for (const auto &l_vecSpec : variantsOf(l_nLayout).vecSpecs)
        l_vecRecords.push_back(recordFrom(l_vecSpec));
    char l_acBuffer[1024];
    unsigned l_ui = 0;
    for (auto _ : a_state) {
        handMakeInto(l_tLayout, l_vecRecords[l_ui], l_acBuffer);
        benchmark::DoNotOptimize(l_acBuffer);
        benchmark::ClobberMemory();
        l_ui = (l_ui + 1) % kTreeCount;
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_EngineMakeManyBuffer(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    std::vector<CFields> l_vecTrees;
    l_vecTrees.reserve(kTreeCount);
    for (const auto &l_vecSpec : variantsOf(l_nLayout).vecSpecs)
        l_vecTrees.push_back(buildTree(l_vecSpec));
    char l_acBuffer[1024];
    for (CFields &l_tTree : l_vecTrees) // compiled once, as a server's prepared messages are
        l_tTree.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false);
    unsigned l_ui = 0;
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(l_vecTrees[l_ui].pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false));
        benchmark::ClobberMemory();
        l_ui = (l_ui + 1) % kTreeCount;
    }
    countAllocs(a_state, l_uNewBefore);
}

void BM_EngineMakeMany(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    const tHandLayout l_tLayout = handLayout(specOf(l_nLayout));
    std::vector<CFields> l_vecTrees;
    l_vecTrees.reserve(kTreeCount);
    for (const auto &l_vecSpec : variantsOf(l_nLayout).vecSpecs) {
        l_vecTrees.push_back(buildTree(l_vecSpec));
        if (l_vecTrees.back().pkt_Make4Children(false) != handMakeString(l_tLayout, recordFrom(l_vecSpec))) {
            a_state.SkipWithError("the engine's packet differs from the hand-written one");
            return;
        }
    }
    unsigned l_ui = 0;
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(l_vecTrees[l_ui].pkt_Make4Children(false));
        l_ui = (l_ui + 1) % kTreeCount;
    }
    countAllocs(a_state, l_uNewBefore);
}

// MARK: - Set every value, then make

// The length of each field's text (0 for numbers and fillers), as an application knows it.
std::vector<unsigned> textLengths(const std::vector<tFieldSpec> &a_vecSpec) {
    std::vector<unsigned> l_vec;
    for (const tFieldSpec &l_tSpec : a_vecSpec)
        l_vec.push_back(l_tSpec.cpText != nullptr ? unsigned(std::strlen(l_tSpec.cpText)) : 0u);
    return l_vec;
}

// Sets every leaf of `a_tTree` from `a_vecSpec` the way an application fills a message.
inline void setValues(CFields &a_tTree, const std::vector<tFieldSpec> &a_vecSpec,
                      const unsigned *a_puTextLen) {
    CFields *l_pLeaf = a_tTree.begin();
    for (size_t i = 0; i < a_vecSpec.size(); ++i, ++l_pLeaf) {
        const tFieldSpec &l_tSpec = a_vecSpec[i];
        if (l_tSpec.bNumber)
            l_pLeaf->setValue(l_tSpec.uValue);
        else if (l_tSpec.cpText != nullptr)
            l_pLeaf->setValue(l_tSpec.cpText, a_puTextLen[i]);
    }
}

void BM_EngineSetMake(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    const auto &l_vecSpecs = variantsOf(l_nLayout).vecSpecs;
    const tHandLayout l_tLayout = handLayout(specOf(l_nLayout));
    std::vector<std::vector<unsigned>> l_vecLens;
    for (const auto &l_vecSpec : l_vecSpecs)
        l_vecLens.push_back(textLengths(l_vecSpec));
    CFields l_tTree = buildTree(specOf(l_nLayout));
    for (unsigned i = 0; i < 4; ++i) {
        setValues(l_tTree, l_vecSpecs[i], l_vecLens[i].data());
        if (l_tTree.pkt_Make4Children(false) != handMakeString(l_tLayout, recordFrom(l_vecSpecs[i]))) {
            a_state.SkipWithError("the engine's packet differs from the hand-written one");
            return;
        }
    }
    unsigned l_ui = 0;
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state) {
        setValues(l_tTree, l_vecSpecs[l_ui], l_vecLens[l_ui].data());
        benchmark::DoNotOptimize(l_tTree.pkt_Make4Children(false));
        l_ui = (l_ui + 1) % 16;
    }
    countAllocs(a_state, l_uNewBefore);
}

void BM_EngineSetMakeBuffer(benchmark::State &a_state) {
    const int l_nLayout = int(a_state.range(0));
    const auto &l_vecSpecs = variantsOf(l_nLayout).vecSpecs;
    std::vector<std::vector<unsigned>> l_vecLens;
    for (const auto &l_vecSpec : l_vecSpecs)
        l_vecLens.push_back(textLengths(l_vecSpec));
    CFields l_tTree = buildTree(specOf(l_nLayout));
    char l_acBuffer[1024];
    for (unsigned i = 0; i < 16; ++i) { // every text's block at its largest
        setValues(l_tTree, l_vecSpecs[i], l_vecLens[i].data());
        l_tTree.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false);
    }
    unsigned l_ui = 0;
    const uint64_t l_uNewBefore = g_uNewCalls.load();
    for (auto _ : a_state) {
        setValues(l_tTree, l_vecSpecs[l_ui], l_vecLens[l_ui].data());
        benchmark::DoNotOptimize(l_tTree.pkt_Make4ChildrenTo(l_acBuffer, sizeof(l_acBuffer), false));
        benchmark::ClobberMemory();
        l_ui = (l_ui + 1) % 16;
    }
    countAllocs(a_state, l_uNewBefore);
}

// MARK: - Parse with store

void BM_HandParse(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const tHandLayout l_tLayout = handLayout(l_vecSpec);
    const std::string l_strPacket = handMakeString(l_tLayout, recordFrom(l_vecSpec));
    tRecord l_tRecord{};
    if (!handParse(l_tLayout, l_strPacket.data(), l_strPacket.size(), l_tRecord) ||
        handMakeString(l_tLayout, l_tRecord) != l_strPacket) {
        a_state.SkipWithError("the hand-written parser does not read its packet back");
        return;
    }
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(handParse(l_tLayout, l_strPacket.data(), l_strPacket.size(), l_tRecord));
        benchmark::ClobberMemory();
    }
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
    countAllocs(a_state, l_uNewBefore);
    a_state.counters["blocks_replaced"] = codeBlocks(l_tTree) == l_vecBlocks ? 0 : 1;
}

// MARK: - Hand-written, unrolled

// Runs `a_fn` with the compile-time table of the layout, or skips the benchmark when the table
// no longer matches it.
template <class F> void withTable(benchmark::State &a_state, F a_fn) {
    const int l_nLayout = int(a_state.range(0));
    const auto &l_vecSpec = specOf(l_nLayout);
    if (l_nLayout == 0 ? !tableMatches<tHeaderTable>(l_vecSpec) : !tableMatches<tBodyTable>(l_vecSpec)) {
        a_state.SkipWithError("the compile-time table differs from the layout");
        return;
    }
    if (l_nLayout == 0)
        a_fn(tHeaderTable{});
    else
        a_fn(tBodyTable{});
}

void BM_UnrolledMakeBuffer(benchmark::State &a_state) {
    withTable(a_state, [&](auto a_tTable) {
        using T = decltype(a_tTable);
        const auto &l_vecSpec = specOf(int(a_state.range(0)));
        const tRecord l_tRecord = recordFrom(l_vecSpec);
        if (unrolledMakeString<T>(l_tRecord) != handMakeString(handLayout(l_vecSpec), l_tRecord)) {
            a_state.SkipWithError("the unrolled packet differs from the hand-written one");
            return;
        }
        char l_acBuffer[1024];
        for (auto _ : a_state) {
            unrolledMakeInto<T>(l_tRecord, l_acBuffer);
            benchmark::DoNotOptimize(l_acBuffer);
            benchmark::ClobberMemory();
        }
        a_state.SetItemsProcessed(a_state.iterations());
    });
}

void BM_UnrolledMakeString(benchmark::State &a_state) {
    withTable(a_state, [&](auto a_tTable) {
        using T = decltype(a_tTable);
        const tRecord l_tRecord = recordFrom(specOf(int(a_state.range(0))));
        for (auto _ : a_state)
            benchmark::DoNotOptimize(unrolledMakeString<T>(l_tRecord));
        a_state.SetItemsProcessed(a_state.iterations());
    });
}

void BM_UnrolledMakeMany(benchmark::State &a_state) {
    withTable(a_state, [&](auto a_tTable) {
        using T = decltype(a_tTable);
        const int l_nLayout = int(a_state.range(0));
        const tHandLayout l_tLayout = handLayout(specOf(l_nLayout));
        std::vector<tRecord> l_vecRecords;
        for (const auto &l_vecSpec : variantsOf(l_nLayout).vecSpecs) {
            l_vecRecords.push_back(recordFrom(l_vecSpec));
            if (unrolledMakeString<T>(l_vecRecords.back()) !=
                handMakeString(l_tLayout, l_vecRecords.back())) {
                a_state.SkipWithError("the unrolled packet differs from the hand-written one");
                return;
            }
        }
        unsigned l_ui = 0;
        for (auto _ : a_state) {
            benchmark::DoNotOptimize(unrolledMakeString<T>(l_vecRecords[l_ui]));
            l_ui = (l_ui + 1) % kTreeCount;
        }
        a_state.SetItemsProcessed(a_state.iterations());
    });
}

void BM_UnrolledMakeManyBuffer(benchmark::State &a_state) {
    withTable(a_state, [&](auto a_tTable) {
        using T = decltype(a_tTable);
        std::vector<tRecord> l_vecRecords;
        for (const auto &l_vecSpec : variantsOf(int(a_state.range(0))).vecSpecs)
            l_vecRecords.push_back(recordFrom(l_vecSpec));
        char l_acBuffer[1024];
        unsigned l_ui = 0;
        for (auto _ : a_state) {
            unrolledMakeInto<T>(l_vecRecords[l_ui], l_acBuffer);
            benchmark::DoNotOptimize(l_acBuffer);
            benchmark::ClobberMemory();
            l_ui = (l_ui + 1) % kTreeCount;
        }
        a_state.SetItemsProcessed(a_state.iterations());
    });
}

void BM_UnrolledParse(benchmark::State &a_state) {
    withTable(a_state, [&](auto a_tTable) {
        using T = decltype(a_tTable);
        const auto &l_vecSpec = specOf(int(a_state.range(0)));
        const std::string l_strPacket = handMakeString(handLayout(l_vecSpec), recordFrom(l_vecSpec));
        tRecord l_tRecord{};
        if (!unrolledParse<T>(l_strPacket.data(), l_strPacket.size(), l_tRecord) ||
            unrolledMakeString<T>(l_tRecord) != l_strPacket) {
            a_state.SkipWithError("the unrolled parser does not read its packet back");
            return;
        }
        for (auto _ : a_state) {
            benchmark::DoNotOptimize(unrolledParse<T>(l_strPacket.data(), l_strPacket.size(), l_tRecord));
            benchmark::ClobberMemory();
        }
        a_state.SetItemsProcessed(a_state.iterations());
    });
}

// MARK: - Extra context: snprintf and strtoull

void BM_SnprintfMake(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const tRecord l_tRecord = recordFrom(l_vecSpec);
    const unsigned l_uiTotal = totalWidth(l_vecSpec);
    for (auto _ : a_state)
        benchmark::DoNotOptimize(baselineMake(l_vecSpec, l_tRecord, l_uiTotal));
    a_state.SetItemsProcessed(a_state.iterations());
}

void BM_StrtoullParse(benchmark::State &a_state) {
    const auto &l_vecSpec = specOf(int(a_state.range(0)));
    const std::string l_strPacket = baselineMake(l_vecSpec, recordFrom(l_vecSpec), totalWidth(l_vecSpec));
    tRecord l_tRecord{};
    for (auto _ : a_state) {
        benchmark::DoNotOptimize(baselineParse(l_vecSpec, l_strPacket.data(), l_strPacket.size(), l_tRecord));
        benchmark::ClobberMemory();
    }
    a_state.SetItemsProcessed(a_state.iterations());
}

BENCHMARK(BM_HandMakeBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_UnrolledMakeBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_UnrolledMakeString)->Arg(0)->Arg(1);
BENCHMARK(BM_HandMakeString)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineMake)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineMakeBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_HandMakeMany)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineMakeMany)->Arg(0)->Arg(1);
BENCHMARK(BM_HandMakeManyBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_UnrolledMakeMany)->Arg(0)->Arg(1);
BENCHMARK(BM_UnrolledMakeManyBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineMakeManyBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineSetMake)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineSetMakeBuffer)->Arg(0)->Arg(1);
BENCHMARK(BM_HandParse)->Arg(0)->Arg(1);
BENCHMARK(BM_UnrolledParse)->Arg(0)->Arg(1);
BENCHMARK(BM_EngineParse)->Arg(0)->Arg(1);
BENCHMARK(BM_SnprintfMake)->Arg(0)->Arg(1);
BENCHMARK(BM_StrtoullParse)->Arg(0)->Arg(1);

// Keeps each benchmark's best CPU time per packet (the minimum over repetitions) for the
// summary: on a shared machine the wall time of a one-thread loop counts the waits for a core.
class CRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &a_runs) override {
        for (const Run &l_run : a_runs) {
            if (l_run.error_occurred || l_run.run_type == Run::RT_Aggregate)
                continue;
            const std::string l_strName = l_run.run_name.str();
            const double l_dNs =
                l_run.GetAdjustedCPUTime() * (l_run.time_unit == benchmark::kMicrosecond   ? 1e3
                                              : l_run.time_unit == benchmark::kMillisecond ? 1e6
                                                                                           : 1.0);
            auto l_it = m_bestNs.find(l_strName);
            if (l_it == m_bestNs.end() || l_dNs < l_it->second)
                m_bestNs[l_strName] = l_dNs;
            auto l_itAllocs = l_run.counters.find("allocs_per_packet");
            if (l_itAllocs != l_run.counters.end())
                m_allocs[l_strName] = l_itAllocs->second.value;
        }
        ConsoleReporter::ReportRuns(a_runs);
    }
    std::map<std::string, double> m_bestNs;
    std::map<std::string, double> m_allocs;
};

// One summary row: the engine's best time against each hand-written form (a loop over a field
// table, or one statement per field with compile-time widths), and against the faster of them.
void printRatio(CRatioReporter &a_reporter, const char *a_cpStep, const std::string &a_strEngine,
                const std::string &a_strTable, const std::string &a_strUnrolled) {
    const double l_dOurs = a_reporter.m_bestNs[a_strEngine];
    const double l_dTable = a_reporter.m_bestNs[a_strTable];
    const double l_dUnrolled = a_reporter.m_bestNs[a_strUnrolled];
    if (l_dOurs <= 0 || l_dTable <= 0 || l_dUnrolled <= 0)
        return;
    const double l_dBest = l_dUnrolled < l_dTable ? l_dUnrolled : l_dTable;
    std::printf(
        "    %-34s engine %7.1f ns  table %7.1f ns  unrolled %7.1f ns  ratio: vs table %5.2f, vs unrolled "
        "%5.2f, vs faster %5.2f  allocs/packet %.2f\n",
        a_cpStep, l_dOurs, l_dTable, l_dUnrolled, l_dOurs / l_dTable, l_dOurs / l_dUnrolled,
        l_dOurs / l_dBest, a_reporter.m_allocs[a_strEngine]);
}

// MARK: - Counting instructions

// `bench_packet --calls=<step>/<layout>` runs one step 1,000 times and prints nothing else, for
// instruction counts that do not depend on the machine's load:
//   valgrind --tool=callgrind --toggle-collect='*repeatCalls*' bench_packet --calls=make-buffer/1
// then divide the collected count by 1,000.
template <class F> [[gnu::noinline]] void repeatCalls(unsigned a_uiCount, F a_fStep) {
    for (unsigned i = 0; i < a_uiCount; ++i) {
        a_fStep();
        benchmark::ClobberMemory();
    }
}

template <class T> int countCalls(const std::string &a_strStep, int a_nLayout) {
    constexpr unsigned kCalls = 1000;
    const auto &l_vecSpec = specOf(a_nLayout);
    const tHandLayout l_tLayout = handLayout(l_vecSpec);
    tRecord l_tRecord = recordFrom(l_vecSpec);
    CFields l_tTree = buildTree(l_vecSpec);
    const std::string l_strPacket = handMakeString(l_tLayout, l_tRecord);
    const std::vector<unsigned> l_vecLens = textLengths(l_vecSpec);
    static char s_acBuffer[1024];
    // Warm: the layout compiled; for parsing, the values received once (numbers are then
    // DT_sint, text as wide as its field).
    if (a_strStep == "parse")
        l_tTree.pkt_Parse4Children(l_strPacket.data(), unsigned(l_strPacket.size()), true);
    l_tTree.pkt_Make4ChildrenTo(s_acBuffer, sizeof(s_acBuffer), false);
    if (a_strStep == "make")
        repeatCalls(kCalls, [&] { benchmark::DoNotOptimize(l_tTree.pkt_Make4Children(false)); });
    else if (a_strStep == "make-buffer")
        repeatCalls(kCalls,
                    [&] { benchmark::DoNotOptimize(l_tTree.pkt_Make4ChildrenTo(s_acBuffer, 1024, false)); });
    else if (a_strStep == "set-make-buffer")
        repeatCalls(kCalls, [&] {
            setValues(l_tTree, l_vecSpec, l_vecLens.data());
            benchmark::DoNotOptimize(l_tTree.pkt_Make4ChildrenTo(s_acBuffer, 1024, false));
        });
    else if (a_strStep == "parse")
        repeatCalls(kCalls, [&] {
            benchmark::DoNotOptimize(
                l_tTree.pkt_Parse4Children(l_strPacket.data(), unsigned(l_strPacket.size()), true));
        });
    else if (a_strStep == "table-make-buffer")
        repeatCalls(kCalls, [&] { handMakeInto(l_tLayout, l_tRecord, s_acBuffer); });
    else if (a_strStep == "table-parse")
        repeatCalls(kCalls, [&] {
            benchmark::DoNotOptimize(handParse(l_tLayout, l_strPacket.data(), l_strPacket.size(), l_tRecord));
        });
    else if (a_strStep == "unrolled-make-buffer")
        repeatCalls(kCalls, [&] { unrolledMakeInto<T>(l_tRecord, s_acBuffer); });
    else if (a_strStep == "unrolled-parse")
        repeatCalls(kCalls, [&] {
            benchmark::DoNotOptimize(unrolledParse<T>(l_strPacket.data(), l_strPacket.size(), l_tRecord));
        });
    else
        return 2;
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 2 && std::strncmp(argv[1], "--calls=", 8) == 0) {
        const std::string l_strArg = argv[1] + 8;
        const size_t l_uiSlash = l_strArg.rfind('/');
        const int l_nLayout = l_uiSlash != std::string::npos && l_strArg.substr(l_uiSlash + 1) == "1" ? 1 : 0;
        const std::string l_strStep = l_strArg.substr(0, l_uiSlash);
        const int l_nResult =
            l_nLayout == 0 ? countCalls<tHeaderTable>(l_strStep, 0) : countCalls<tBodyTable>(l_strStep, 1);
        if (l_nResult != 0)
            std::fprintf(stderr, "steps: make, make-buffer, set-make-buffer, parse, table-make-buffer, "
                                 "table-parse, unrolled-make-buffer, unrolled-parse; layouts /0 and /1\n");
        return l_nResult;
    }
    benchmark::Initialize(&argc, argv);
    CRatioReporter l_reporter;
    benchmark::RunSpecifiedBenchmarks(&l_reporter);
    std::printf("\nBest CPU time per packet, engine / hand-written (CFields is %zu bytes):\n",
                sizeof(CFields));
    for (const char *l_cpLayout : {"0", "1"}) {
        const std::string l_str = std::string("/") + l_cpLayout;
        std::printf("  %s\n", *l_cpLayout == '0' ? "14-field header" : "40-field body");
        printRatio(l_reporter, "make, one warm tree (string)", "BM_EngineMake" + l_str,
                   "BM_HandMakeString" + l_str, "BM_UnrolledMakeString" + l_str);
        printRatio(l_reporter, "make, one warm tree (vs buffer)", "BM_EngineMake" + l_str,
                   "BM_HandMakeBuffer" + l_str, "BM_UnrolledMakeBuffer" + l_str);
        printRatio(l_reporter, "make into a buffer, one warm tree", "BM_EngineMakeBuffer" + l_str,
                   "BM_HandMakeBuffer" + l_str, "BM_UnrolledMakeBuffer" + l_str);
        printRatio(l_reporter, "make over 1,024 prepared trees", "BM_EngineMakeMany" + l_str,
                   "BM_HandMakeMany" + l_str, "BM_UnrolledMakeMany" + l_str);
        printRatio(l_reporter, "  the same into a buffer", "BM_EngineMakeManyBuffer" + l_str,
                   "BM_HandMakeManyBuffer" + l_str, "BM_UnrolledMakeManyBuffer" + l_str);
        printRatio(l_reporter, "set every value + make", "BM_EngineSetMake" + l_str,
                   "BM_HandMakeString" + l_str, "BM_UnrolledMakeString" + l_str);
        printRatio(l_reporter, "  the same into a buffer", "BM_EngineSetMakeBuffer" + l_str,
                   "BM_HandMakeBuffer" + l_str, "BM_UnrolledMakeBuffer" + l_str);
        printRatio(l_reporter, "parse with store", "BM_EngineParse" + l_str, "BM_HandParse" + l_str,
                   "BM_UnrolledParse" + l_str);
        printRatio(l_reporter, "(context) snprintf make", "BM_SnprintfMake" + l_str,
                   "BM_HandMakeString" + l_str, "BM_UnrolledMakeString" + l_str);
        printRatio(l_reporter, "(context) strtoull parse", "BM_StrtoullParse" + l_str, "BM_HandParse" + l_str,
                   "BM_UnrolledParse" + l_str);
    }
    benchmark::Shutdown();
    return 0;
}
