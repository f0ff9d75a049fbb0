#pragma once

// The body and password-block transforms of the binary document, chosen by the encryption type
// byte of its header:
//   0 "VERNAM"  keyless type-0 table encoding (vernam.h); the body of a document without
//               password, and always the password block;
//   1 "SEED"    SEED-128 in ECB mode (seed.h) keyed by the password.
//
// Every function here is thread-safe and keeps no state between calls (the SEED self-test runs
// once per process). Results are byte counts; 0 always means failure.
//
// Known weaknesses of the stored format, kept because existing documents depend on it:
//   - SEED runs in ECB mode without an IV: equal 16-byte plain blocks give equal cipher blocks.
//   - With the last-block flag off (as the document writer calls it) the final n % 16 body bytes
//     are stored in the clear.
//   - The password block is only VERNAM-encoded with the table built into the library, so anyone
//     holding the library can read the password, and with it the SEED key, from a document.
//     A VERNAM body is an encoding, not encryption.
//   - The key is the first 16 password bytes padded with zeros: no salt and no key derivation;
//     later bytes are stored and compared but do not strengthen the key.
//   - There is no integrity check: tampering, or a SEED body read with a wrong key, shows only as
//     parse errors of the decrypted records.

#include <cstddef>
#include <cstdint>

namespace vexl::detail {

/// Encryption types of the binary header (byte 11).
enum E_CryptType : uint8_t {
    CT_VERNAM = 0,
    CT_SEED = 1,
};
/// Readers refuse encryption types from this value up.
inline constexpr unsigned kCryptTypeCount = 2;

/// Name of an encryption type as messages print it: "VERNAM", "SEED"; "" for any other value.
const char *cryptTypeName(unsigned a_uiType) noexcept;

// MARK: - Body transform

/// Output size of `encryptInto` for `a_uiLen` input bytes, or 0 when the type is unknown, the
/// input is empty or its size would overflow.
///   VERNAM: (n + 2) / 3 * 4.
///   SEED: n when n >= 16 and (n % 16 == 0 or the last-block flag is off); otherwise n rounded up
///         to whole 16-byte blocks (an input shorter than 16 bytes is always one padded block).
size_t encryptedSize(unsigned a_uiType, size_t a_uiLen, bool a_bLastBlock) noexcept;

/// Room `decryptInto` needs for `a_uiLen` input bytes: VERNAM n / 4 * 3, SEED n; 0 for an unknown
/// type. The actual result can be shorter for VERNAM.
size_t decryptedCapacity(unsigned a_uiType, size_t a_uiLen) noexcept;

/// Transforms `a_uiLen` bytes at `a_pIn` into `encryptedSize(...)` bytes at `a_pOut` and returns
/// that count.
///
/// VERNAM ignores the key and the flag. SEED uses as key the first 16 of the `a_uiKeyLen` bytes at
/// `a_pKey`, followed by zeros when there are fewer; it encrypts every whole 16-byte block on its
/// own; the remaining n % 16 bytes are copied unencrypted when `a_bLastBlock` is false, or padded
/// with zeros to a block and encrypted when it is true (always when n < 16).
///
/// Returns 0 for an unknown type, a null `a_pIn` or `a_pOut`, a zero count, a SEED call with a
/// null or empty key, or a failed SEED self-test. The round keys and the padded block are wiped.
/// `a_pOut` may equal `a_pIn` for SEED when the output is not longer than the input.
size_t encryptInto(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char *a_pOut, bool a_bLastBlock) noexcept;

/// Reverses `encryptInto` into `decryptedCapacity(...)` bytes at `a_pOut`; returns the output count.
///
/// VERNAM returns the decoded count, or 0 when the length is not a multiple of 4, a byte is not in
/// the table, or a pad is misplaced. SEED decrypts every whole block on its own and copies a
/// trailing partial block unchanged; the output has the input's length (a padded last block
/// therefore decrypts to its data followed by the zero padding).
/// Failures as for `encryptInto`. `a_pOut` may equal `a_pIn`.
size_t decryptInto(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char *a_pOut) noexcept;

/// `encryptInto` into a new heap block stored in `*a_ppOut`, which the caller releases with `free`
/// (or `freeWiped`). Returns the output count; on failure 0, `*a_ppOut` is null (when
/// `a_ppOut` is not null itself) and nothing stays allocated.
size_t encryptData(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char **a_ppOut, bool a_bLastBlock) noexcept;

/// `decryptInto` into a new heap block, as `encryptData`. The block holds plain text: release it
/// with `freeWiped`.
size_t decryptData(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char **a_ppOut) noexcept;

// MARK: - Password block

/// Largest password block a header can describe (its length is one byte).
inline constexpr size_t kMaxPasswordBlock = 255;
/// Longest password whose block fits: 189 bytes encode to 252 symbols, 190 would need 256.
inline constexpr size_t kMaxPasswordLen = kMaxPasswordBlock / 4 * 3;

/// Encodes the `a_uiLen` password bytes (without terminating zero) with VERNAM into `a_aucBlock` and
/// returns the block length, or 0 when the password is null or empty or its block would exceed
/// 255 bytes (password longer than 189 bytes).
size_t encodePasswordBlock(const char *a_cpPassword, size_t a_uiLen,
                           unsigned char (&a_aucBlock)[kMaxPasswordBlock]) noexcept;

/// Decodes a password block of `a_uiLen` bytes into `a_aucPassword` and returns the password
/// length, or 0 when the block is empty, longer than 255 bytes or not a valid VERNAM text.
size_t decodePasswordBlock(const unsigned char *a_pBlock, size_t a_uiLen,
                           unsigned char (&a_aucPassword)[kMaxPasswordLen]) noexcept;

/// Outcome of comparing a stored password block with the password a reader was given.
enum class E_PasswordCheck {
    Match,       ///< the block decodes to exactly the given bytes
    Mismatch,    ///< it decodes, but to other bytes or another length
    Undecodable, ///< the block is not a valid VERNAM text (or is empty or too long)
};

/// Decodes the block and compares it byte for byte, length included, with the `a_uiLen` bytes at
/// `a_cpPassword`. The decoded copy is wiped before returning.
E_PasswordCheck checkPasswordBlock(const unsigned char *a_pBlock, size_t a_uiBlockLen,
                                   const char *a_cpPassword, size_t a_uiLen) noexcept;

// MARK: - Wiping

/// Overwrites `a_uiLen` bytes with zeros in a way the optimiser cannot drop (null is ignored).
/// Wiping a growing container (a std::string body) reaches only its current buffer, not the
/// copies it left behind when it reallocated; reserve the full size first to avoid them.
void secureWipe(void *a_p, size_t a_uiLen) noexcept;

/// `secureWipe` then `free`. Null is ignored.
void freeWiped(void *a_p, size_t a_uiLen) noexcept;

} // namespace vexl::detail
