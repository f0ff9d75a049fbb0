#include "transform.h"

#include "seed.h"
#include "vernam.h"

#include <cstdlib>
#include <cstring>

#include <string.h> // explicit_bzero

namespace vexl::detail {

namespace {

constexpr const char *kCryptTypeNames[kCryptTypeCount] = {"VERNAM", "SEED"};

// Whole-block sizes below this keep the rounding up to 16 from overflowing.
constexpr size_t kSeedMaxInput = static_cast<size_t>(-1) - kSeedBlockSize;

// Expands the SEED key from the password bytes: the first 16, then zeros. False for a null or
// empty key or a failed self-test.
bool setSeedKey(CSeedKey &a_key, const void *a_pKey, size_t a_uiKeyLen) noexcept {
    if (a_pKey == nullptr || a_uiKeyLen == 0)
        return false;
    unsigned char l_aucKey[kSeedKeySize] = {};
    std::memcpy(l_aucKey, a_pKey, a_uiKeyLen < kSeedKeySize ? a_uiKeyLen : kSeedKeySize);
    const bool ok = a_key.setKey(l_aucKey, kSeedKeySize);
    explicit_bzero(l_aucKey, sizeof l_aucKey);
    return ok;
}

size_t seedEncrypt(const unsigned char *a_pIn, size_t a_uiLen, const void *a_pKey, size_t a_uiKeyLen,
                   unsigned char *a_pOut, bool a_bLastBlock) noexcept {
    CSeedKey l_key;
    if (!setSeedKey(l_key, a_pKey, a_uiKeyLen))
        return 0;
    const size_t l_uiBlocks = a_uiLen / kSeedBlockSize;
    const size_t l_uiRest = a_uiLen % kSeedBlockSize;
    l_key.encryptBlocks(a_pIn, a_pOut, l_uiBlocks);
    if (l_uiRest == 0)
        return a_uiLen;
    const size_t l_uiDone = l_uiBlocks * kSeedBlockSize;
    if (!a_bLastBlock && l_uiBlocks != 0) {
        // The tail stays in the clear, so the output keeps the input's length.
        std::memmove(a_pOut + l_uiDone, a_pIn + l_uiDone, l_uiRest);
        return a_uiLen;
    }
    unsigned char l_aucBlock[kSeedBlockSize] = {};
    std::memcpy(l_aucBlock, a_pIn + l_uiDone, l_uiRest);
    l_key.encryptBlocks(l_aucBlock, a_pOut + l_uiDone, 1);
    explicit_bzero(l_aucBlock, sizeof l_aucBlock);
    return l_uiDone + kSeedBlockSize;
}

size_t seedDecrypt(const unsigned char *a_pIn, size_t a_uiLen, const void *a_pKey, size_t a_uiKeyLen,
                   unsigned char *a_pOut) noexcept {
    CSeedKey l_key;
    if (!setSeedKey(l_key, a_pKey, a_uiKeyLen))
        return 0;
    const size_t l_uiDone = a_uiLen / kSeedBlockSize * kSeedBlockSize;
    l_key.decryptBlocks(a_pIn, a_pOut, a_uiLen / kSeedBlockSize);
    std::memmove(a_pOut + l_uiDone, a_pIn + l_uiDone, a_uiLen - l_uiDone);
    return a_uiLen;
}

} // namespace

const char *cryptTypeName(unsigned a_uiType) noexcept {
    return a_uiType < kCryptTypeCount ? kCryptTypeNames[a_uiType] : "";
}

// MARK: - Body transform

size_t encryptedSize(unsigned a_uiType, size_t a_uiLen, bool a_bLastBlock) noexcept {
    if (a_uiLen == 0)
        return 0;
    switch (a_uiType) {
    case CT_VERNAM:
        return a_uiLen <= kVernamMaxInput ? vernamEncodedSize(a_uiLen) : 0;
    case CT_SEED:
        if (a_uiLen > kSeedMaxInput)
            return 0;
        if (a_uiLen < kSeedBlockSize || (a_bLastBlock && a_uiLen % kSeedBlockSize != 0))
            return (a_uiLen + kSeedBlockSize - 1) / kSeedBlockSize * kSeedBlockSize;
        return a_uiLen;
    default:
        return 0;
    }
}

size_t decryptedCapacity(unsigned a_uiType, size_t a_uiLen) noexcept {
    switch (a_uiType) {
    case CT_VERNAM:
        return vernamDecodedCapacity(a_uiLen);
    case CT_SEED:
        return a_uiLen;
    default:
        return 0;
    }
}

size_t encryptInto(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char *a_pOut, bool a_bLastBlock) noexcept {
    if (a_pIn == nullptr || a_pOut == nullptr || encryptedSize(a_uiType, a_uiLen, a_bLastBlock) == 0)
        return 0;
    const auto *l_pIn = static_cast<const unsigned char *>(a_pIn);
    if (a_uiType == CT_VERNAM)
        return vernamEncode(l_pIn, a_uiLen, a_pOut);
    return seedEncrypt(l_pIn, a_uiLen, a_pKey, a_uiKeyLen, a_pOut, a_bLastBlock);
}

size_t decryptInto(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char *a_pOut) noexcept {
    if (a_pIn == nullptr || a_pOut == nullptr || a_uiLen == 0)
        return 0;
    const auto *l_pIn = static_cast<const unsigned char *>(a_pIn);
    switch (a_uiType) {
    case CT_VERNAM:
        return vernamDecode(l_pIn, a_uiLen, a_pOut);
    case CT_SEED:
        return seedDecrypt(l_pIn, a_uiLen, a_pKey, a_uiKeyLen, a_pOut);
    default:
        return 0;
    }
}

size_t encryptData(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char **a_ppOut, bool a_bLastBlock) noexcept {
    if (a_ppOut == nullptr)
        return 0;
    *a_ppOut = nullptr;
    const size_t l_uiSize = encryptedSize(a_uiType, a_uiLen, a_bLastBlock);
    if (a_pIn == nullptr || l_uiSize == 0)
        return 0;
    auto *l_pOut = static_cast<unsigned char *>(std::malloc(l_uiSize));
    if (l_pOut == nullptr)
        return 0;
    const size_t l_uiDone = encryptInto(a_uiType, a_pIn, a_uiLen, a_pKey, a_uiKeyLen, l_pOut, a_bLastBlock);
    if (l_uiDone == 0) {
        std::free(l_pOut);
        return 0;
    }
    *a_ppOut = l_pOut;
    return l_uiDone;
}

size_t decryptData(unsigned a_uiType, const void *a_pIn, size_t a_uiLen, const void *a_pKey,
                   size_t a_uiKeyLen, unsigned char **a_ppOut) noexcept {
    if (a_ppOut == nullptr)
        return 0;
    *a_ppOut = nullptr;
    const size_t l_uiCapacity = decryptedCapacity(a_uiType, a_uiLen);
    if (a_pIn == nullptr || l_uiCapacity == 0)
        return 0;
    auto *l_pOut = static_cast<unsigned char *>(std::malloc(l_uiCapacity));
    if (l_pOut == nullptr)
        return 0;
    const size_t l_uiDone = decryptInto(a_uiType, a_pIn, a_uiLen, a_pKey, a_uiKeyLen, l_pOut);
    if (l_uiDone == 0) {
        freeWiped(l_pOut, l_uiCapacity); // a rejected decode may have written part of the text
        return 0;
    }
    *a_ppOut = l_pOut;
    return l_uiDone;
}

// MARK: - Password block

size_t encodePasswordBlock(const char *a_cpPassword, size_t a_uiLen,
                           unsigned char (&a_aucBlock)[kMaxPasswordBlock]) noexcept {
    if (a_cpPassword == nullptr || a_uiLen == 0 || a_uiLen > kMaxPasswordLen)
        return 0;
    return vernamEncode(reinterpret_cast<const unsigned char *>(a_cpPassword), a_uiLen, a_aucBlock);
}

size_t decodePasswordBlock(const unsigned char *a_pBlock, size_t a_uiLen,
                           unsigned char (&a_aucPassword)[kMaxPasswordLen]) noexcept {
    if (a_pBlock == nullptr || a_uiLen > kMaxPasswordBlock)
        return 0;
    return vernamDecode(a_pBlock, a_uiLen, a_aucPassword);
}

E_PasswordCheck checkPasswordBlock(const unsigned char *a_pBlock, size_t a_uiBlockLen,
                                   const char *a_cpPassword, size_t a_uiLen) noexcept {
    unsigned char l_aucStored[kMaxPasswordLen];
    const size_t l_uiStored = decodePasswordBlock(a_pBlock, a_uiBlockLen, l_aucStored);
    E_PasswordCheck l_result = E_PasswordCheck::Undecodable;
    if (l_uiStored != 0) {
        const bool same = a_cpPassword != nullptr && l_uiStored == a_uiLen &&
                          std::memcmp(l_aucStored, a_cpPassword, a_uiLen) == 0;
        l_result = same ? E_PasswordCheck::Match : E_PasswordCheck::Mismatch;
    }
    explicit_bzero(l_aucStored, sizeof l_aucStored);
    return l_result;
}

// MARK: - Wiping

void secureWipe(void *a_p, size_t a_uiLen) noexcept {
    if (a_p != nullptr)
        explicit_bzero(a_p, a_uiLen);
}

void freeWiped(void *a_p, size_t a_uiLen) noexcept {
    if (a_p == nullptr)
        return;
    explicit_bzero(a_p, a_uiLen);
    std::free(a_p);
}

} // namespace vexl::detail
