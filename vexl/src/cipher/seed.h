#pragma once

// SEED-128 block cipher (RFC 4269): 16-byte blocks, 16-byte key, 16 Feistel rounds.
// Written in the library so that it depends on nothing but the standard library.

#include <cstddef>
#include <cstdint>

namespace vexl::detail {

/// Bytes in one SEED block.
inline constexpr size_t kSeedBlockSize = 16;
/// Bytes in one SEED key.
inline constexpr size_t kSeedKeySize = 16;

/// The expanded round keys of one SEED key (16 rounds x 2 words).
///
/// The schedule is overwritten with zeros when the object is destroyed or `clear` is called,
/// so the key does not linger in freed stack or heap memory. Not copyable, for the same reason.
/// One object may be used by several threads at once once `setKey` has returned.
class CSeedKey {
public:
    CSeedKey() noexcept = default;
    ~CSeedKey() { clear(); }
    CSeedKey(const CSeedKey &) = delete;
    CSeedKey &operator=(const CSeedKey &) = delete;

    /// Expands `a_uiKeyLen` key bytes at `a_pKey` into round keys.
    ///
    /// The first call in the process runs the known-answer self-test (`seedSelfTestPassed`).
    /// Returns false, leaving the object without a key, when the key is null, its length is not
    /// exactly 16 bytes, or the self-test failed.
    [[nodiscard]] bool setKey(const unsigned char *a_pKey, size_t a_uiKeyLen) noexcept;

    /// True after a successful `setKey` and until `clear`.
    bool ready() const noexcept { return m_bReady; }

    /// Encrypts `a_uiBlocks` 16-byte blocks from `a_pIn` to `a_pOut`, each on its own (ECB).
    /// `a_pIn` and `a_pOut` may be the same buffer; otherwise they must not overlap.
    /// Requires `ready()`.
    void encryptBlocks(const unsigned char *a_pIn, unsigned char *a_pOut, size_t a_uiBlocks) const noexcept;

    /// Decrypts `a_uiBlocks` 16-byte blocks, the inverse of `encryptBlocks`; same buffer rules.
    void decryptBlocks(const unsigned char *a_pIn, unsigned char *a_pOut, size_t a_uiBlocks) const noexcept;

    /// Overwrites the round keys with zeros; `ready()` becomes false.
    void clear() noexcept;

private:
    // Sets the round keys without the self-test; the self-test itself uses it.
    void expand(const unsigned char *a_pKey) noexcept;
    friend bool seedKnownAnswer(const unsigned char *, const unsigned char *, const unsigned char *) noexcept;

    uint32_t m_auiRoundKeys[32] = {}; // K(i,0), K(i,1) for rounds 1 to 16
    bool m_bReady = false;
};

/// Result of the process-wide known-answer self-test, run once (thread-safe) on first use with the
/// third example of RFC 4269. A failure prints "SEED test encryption failed." or "SEED test
/// decryption failed." and a line feed to the standard error stream; every later key setup fails.
bool seedSelfTestPassed() noexcept;

/// One known-answer check: encrypts `a_pPlain` (16 bytes) under `a_pKey` (16 bytes), compares the
/// result with `a_pCipher`, decrypts it back and compares with `a_pPlain`. On a mismatch it prints
/// the matching failure line to the standard error stream and returns false. Used by the self-test.
bool seedKnownAnswer(const unsigned char *a_pKey, const unsigned char *a_pPlain,
                     const unsigned char *a_pCipher) noexcept;

} // namespace vexl::detail
