#pragma once

// Type-0 ("VERNAM") transform: a keyless encoding in the shape of Base64 (RFC 4648) that maps
// every 3 bytes to 4 symbols of the library's own 64-symbol table, with its own pad symbol.
// It is an encoding, not encryption: anyone holding this table can reverse it.

#include <cstddef>

namespace vexl::detail {

/// The 64 output symbols, indexed by 6-bit value. Distinct printable bytes.
inline constexpr char kVernamSymbols[] = "-vm7WhicqbreR19EYpuKMSBT4XLZt6CygI5PoVO+wz08NaFJUjn2xHs3ldQkDGAf";
/// Fills a final group of 1 or 2 bytes up to 4 symbols. Not one of the 64 symbols.
inline constexpr char kVernamPad = '.';

/// Largest input that `vernamEncodedSize` can size without overflow.
inline constexpr size_t kVernamMaxInput = (static_cast<size_t>(-1) / 4 - 1) * 3;

/// Encoded length of `a_uiLen` input bytes: (n + 2) / 3 * 4. Requires n <= kVernamMaxInput.
constexpr size_t vernamEncodedSize(size_t a_uiLen) noexcept {
    return (a_uiLen + 2) / 3 * 4;
}

/// Room a decode of `a_uiLen` symbols needs: n / 4 * 3 (pads make the actual result shorter).
constexpr size_t vernamDecodedCapacity(size_t a_uiLen) noexcept {
    return a_uiLen / 4 * 3;
}

/// Encodes `a_uiLen` bytes at `a_pIn` into `vernamEncodedSize(a_uiLen)` bytes at `a_pOut` and
/// returns that count (0 for empty input). The buffers must not overlap.
size_t vernamEncode(const unsigned char *a_pIn, size_t a_uiLen, unsigned char *a_pOut) noexcept;

/// Decodes `a_uiLen` symbols at `a_pIn` into `a_pOut`, which must hold
/// `vernamDecodedCapacity(a_uiLen)` bytes, and returns the decoded byte count.
///
/// Returns 0 (the contents of `a_pOut` are then unspecified) when the input is empty, its length
/// is not a multiple of 4, a byte is neither a symbol nor the pad, or a pad stands anywhere but in
/// the last one or two places of the last group ("xx..", "xxx."). Bits that a short final group
/// leaves over are ignored. `a_pOut` may equal `a_pIn` (decoding in place).
size_t vernamDecode(const unsigned char *a_pIn, size_t a_uiLen, unsigned char *a_pOut) noexcept;

/// The implementations of `vernamEncode` and `vernamDecode`; all give identical results.
enum class E_VernamPath : unsigned char {
    Portable,   ///< one group of 3 bytes / 4 symbols at a time, on every CPU
    Avx2,       ///< 32 symbols / 24 bytes at a time with nibble-table shuffles
    Avx512Vbmi, ///< 64 symbols / 48 bytes at a time with byte permutes (AVX-512 VBMI)
};

/// The fastest path this CPU can run; chosen at start-up.
E_VernamPath vernamBestPath() noexcept;

/// True when this CPU can run `a_ePath`.
bool vernamPathSupported(E_VernamPath a_ePath) noexcept;

/// Makes `a_ePath` the path of every later call in the process (for tests and measurements) and
/// returns true; returns false and changes nothing when the CPU cannot run it.
bool vernamUsePath(E_VernamPath a_ePath) noexcept;

/// The path calls use now.
E_VernamPath vernamCurrentPath() noexcept;

} // namespace vexl::detail
