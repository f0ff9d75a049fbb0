#pragma once

// The ways SEED can run over many blocks, and which one `CSeedKey` uses.
//
// Every path gives bit-identical results; they differ only in speed. The widest path the CPU
// supports is chosen on first use. Tests and benchmarks may force another one with
// `seedSelectPath`, which affects every `CSeedKey` in the process.

#include <cstddef>
#include <cstdint>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VEXL_SEED_X86 1
#endif

namespace vexl::detail {

/// One implementation of SEED over many blocks.
enum E_SeedPath : unsigned {
    SP_PORTABLE = 0, ///< Table lookups in plain C++, four blocks interleaved; runs everywhere.
    SP_AVX2_GATHER,  ///< AVX2: eight blocks per register, the G tables read with gathers.
    SP_AVX2_GFNI,    ///< AVX2 + GFNI: eight blocks per register, S-boxes from field inverses.
    SP_AVX512_GFNI,  ///< AVX-512 (F, BW) + GFNI: sixteen blocks per register, S-boxes likewise.
    SP_COUNT         ///< Number of paths; not a path.
};

/// Short name of a path ("portable", "avx2-gather", "avx2-gfni", "avx512-gfni"); "" when out of range.
const char *seedPathName(E_SeedPath a_ePath) noexcept;

/// True when this build contains `a_ePath` and the CPU (and operating system) can run it.
bool seedPathSupported(E_SeedPath a_ePath) noexcept;

/// The path chosen on first use: the widest supported one.
E_SeedPath seedBestPath() noexcept;

/// The path `encryptBlocks` and `decryptBlocks` use now.
E_SeedPath seedActivePath() noexcept;

/// Makes every later `encryptBlocks`/`decryptBlocks` use `a_ePath`, for tests and benchmarks.
/// Returns false and changes nothing when the path is not supported. Not meant to be called while
/// other threads encrypt (they would see either path, both correct).
bool seedSelectPath(E_SeedPath a_ePath) noexcept;

// MARK: - Wide paths (each in its own file, compiled for its instruction set)

/// S1's added constant (the GFNI instructions take it as an immediate).
inline constexpr uint8_t kSeedS1Const = 0xA9;
/// S2's added constant.
inline constexpr uint8_t kSeedS2Const = 0x38;

/// Constants of the wide paths, derived and checked at compile time in seed.cpp.
struct tSeedWideConstants {
    uint64_t m_uiToAes;        ///< GFNI matrix: SEED's field basis to the AES field basis.
    uint64_t m_uiS1;           ///< GFNI matrix: AES-field inverse to S1 without its constant.
    uint64_t m_uiS2;           ///< GFNI matrix: AES-field inverse to S2 without its constant.
    uint32_t m_auiMix[4];      ///< G's byte masks for the S-box word rotated left by 0, 8, 16, 24 bits.
    const uint32_t *m_apSS[4]; ///< G's four 256-word tables (share of input byte 0 to 3).
};

/// The constants above (one object for the process).
const tSeedWideConstants &seedWideConstants() noexcept;

// Each runs `a_uiBlocks` 16-byte blocks through SEED with the round keys `a_pRoundKeys` (32 words,
// encryption order; `a_bDecrypt` takes them in reverse), with the buffer rules of `encryptBlocks`.
// Call one only when `seedPathSupported` says so.
#ifdef VEXL_SEED_X86
void seedBlocksAvx2Gather(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                          size_t a_uiBlocks, bool a_bDecrypt) noexcept;
void seedBlocksAvx2Gfni(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                        size_t a_uiBlocks, bool a_bDecrypt) noexcept;
void seedBlocksAvx512Gfni(const uint32_t *a_pRoundKeys, const unsigned char *a_pIn, unsigned char *a_pOut,
                          size_t a_uiBlocks, bool a_bDecrypt) noexcept;
#endif

} // namespace vexl::detail
