#pragma once
/// \file packet_exp.h
/// Records of the packet engine: the 10-byte packet expression every field carries, the
/// length word the length functions return, the memo record of one packet operation, the
/// inner arguments a keyword hook sees, and the six hook signatures.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "vexl/vexl_export.h"

namespace vexl {

class CFields;

/// How a field is written into a packet: as ASCII text (letter A) or as binary bytes (letter B).
enum E_PacketExpCode : int32_t {
    PEC_ASCII = 0,  ///< letter A
    PEC_BINARY = 1, ///< letter B; binary numbers are big-endian
};

/// What a parse keeps of a field's bytes: the bytes themselves (C) or a number (N).
enum E_RuntimeExpCode : int32_t {
    REC_CHARACTER = 0, ///< letter C
    REC_NUMBER = 1,    ///< letter N
};

/// How the length of a field is known.
enum E_LengthExpCode : int32_t {
    LEC_FIXED = 0,    ///< letter F: always `uLength()` bytes
    LEC_VARIABLE = 1, ///< letter V: a length prefix of `uVarWidth` digits or bytes
    LEC_DYNAMIC = 2,  ///< letter D: `uLength()` set at run time by the "sizeset_" keyword
};

/// A bit range of one byte of `tPacketExpInfo`, used as a member of type `T`: it reads as `T`
/// (`if (e.eLengthCode == LEC_VARIABLE)`), takes a `T` (`e.uSkiKind = 3`, keeping the low
/// `WIDTH` bits), and `member()` gives the value too. The other bits of the byte are untouched.
/// Copying the member from another record (`a.uSkiKind = b.uSkiKind`) would copy the whole byte
/// and is marked deprecated: assign the value (`a.uSkiKind = b.uSkiKind()`), or copy the record.
template <class T, unsigned SHIFT, unsigned WIDTH> struct tPeiBits {
    static constexpr unsigned MASK = ((1u << WIDTH) - 1u) << SHIFT; ///< the bits of this member

    uint8_t ucByte; ///< the byte shared with the neighbouring members

    /// Uninitialised, as a plain member (`tPacketExpInfo{}` zeroes it).
    tPeiBits() = default;
    /// Copies the shared byte.
    tPeiBits(const tPeiBits &) = default;
    /// The value of the bits.
    constexpr operator T() const noexcept { return T((ucByte & MASK) >> SHIFT); }
    /// The same, in call form.
    constexpr T operator()() const noexcept { return T((ucByte & MASK) >> SHIFT); }
    /// Stores the low `WIDTH` bits of `value`.
    constexpr tPeiBits &operator=(T value) noexcept {
        ucByte = uint8_t((ucByte & ~MASK) | ((unsigned(value) << SHIFT) & MASK));
        return *this;
    }
    /// Copies the whole shared byte, the neighbouring members included: deprecated.
    [[deprecated("copies the whole byte; assign the value: a.member = b.member()")]] tPeiBits &
    operator=(const tPeiBits &) = default;
};

/// An unsigned little-endian number of `N` bytes inside `tPacketExpInfo`, used as a member of
/// type `T`: it reads as `T` (`e.uLength + 1`), takes a `T` (`e.uLength = 8`), and `member()`
/// gives the value too. The byte order is the same on every host.
template <class T, unsigned N> struct tPeiNumber {
    uint8_t aucBytes[N]; ///< least significant byte first

    /// The value.
    constexpr operator T() const noexcept { return (*this)(); }
    /// The same, in call form.
    constexpr T operator()() const noexcept {
        T l_value = 0;
        for (unsigned i = N; i-- > 0;)
            l_value = T((l_value << 8) | aucBytes[i]);
        return l_value;
    }
    /// Stores `value`.
    constexpr tPeiNumber &operator=(T value) noexcept {
        for (unsigned i = 0; i < N; ++i)
            aucBytes[i] = uint8_t(value >> (8 * i));
        return *this;
    }
};

/// The packet expression of one field, exactly 10 bytes.
///
/// | Byte | Member | Content |
/// |---|---|---|
/// | 0, bit 0 | `ePacketCode` | `E_PacketExpCode` |
/// | 0, bit 1 | `eRuntimeCode` | `E_RuntimeExpCode` |
/// | 0, bits 2-3 | `eLengthCode` | `E_LengthExpCode` (3 is never produced); bits 4-7 zero |
/// | 1 | `uVarWidth` | width of a V field's length prefix, 0 otherwise |
/// | 2 | `nCalibration` | signed, added to a V prefix to give the whole field length |
/// | 3, bits 0-3 | `uSkiKind` | keyword kind: 0 internal, 1-15 external slot |
/// | 3, bits 4-7 | `uSkiOption` | keyword option, 0 for none |
/// | 4-5 | `uSKI` | keyword index (0 = no keyword), little-endian |
/// | 6-9 | `uLength` | field length, little-endian |
///
/// Every member reads and assigns as a plain member of its type, and can be called for its value
/// as well:
/// \code
///   vexl::tPacketExpInfo e{};                  // all zero: no expression
///   e.eLengthCode = vexl::LEC_VARIABLE;
///   e.uVarWidth = 2;
///   e.uLength = 2;
///   if (e.eLengthCode == vexl::LEC_VARIABLE && e.uLength() == 2) { ... }
/// \endcode
/// The raw bytes are reachable too (`ucCodes`, `ucSkiKindOpt`, `aucSKI`, `aucLength`). The
/// layout is defined byte by byte, so it is the same on every compiler and host; copy the record
/// with `=` or memcpy. All zero (`CFields::nullPktExp`) means "no expression".
struct tPacketExpInfo {
    union {
        uint8_t ucCodes;                               ///< byte 0: the three codes
        tPeiBits<E_PacketExpCode, 0, 1> ePacketCode;   ///< byte 0, bit 0: A or B
        tPeiBits<E_RuntimeExpCode, 1, 1> eRuntimeCode; ///< byte 0, bit 1: C or N
        tPeiBits<E_LengthExpCode, 2, 2> eLengthCode;   ///< byte 0, bits 2-3: F, V or D
    };
    uint8_t uVarWidth;   ///< byte 1: V prefix width
    int8_t nCalibration; ///< byte 2: V calibration
    union {
        uint8_t ucSkiKindOpt;               ///< byte 3: keyword kind (low nibble), option (high)
        tPeiBits<uint8_t, 0, 4> uSkiKind;   ///< byte 3, bits 0-3: keyword kind
        tPeiBits<uint8_t, 4, 4> uSkiOption; ///< byte 3, bits 4-7: keyword option
    };
    union {
        uint8_t aucSKI[2];            ///< bytes 4-5: keyword index, little-endian
        tPeiNumber<uint16_t, 2> uSKI; ///< bytes 4-5: keyword index, 0 for none
    };
    union {
        uint8_t aucLength[4];            ///< bytes 6-9: field length, little-endian
        tPeiNumber<uint32_t, 4> uLength; ///< bytes 6-9: field length (F, D; V see the engine)
    };

    /// Sets bit 0 from the low bit of `code`.
    constexpr void setPacketCode(E_PacketExpCode code) noexcept { ePacketCode = code; }
    /// Sets bit 1 from the low bit of `code`.
    constexpr void setRuntimeCode(E_RuntimeExpCode code) noexcept { eRuntimeCode = code; }
    /// Sets bits 2-3 from the low two bits of `code`.
    constexpr void setLengthCode(E_LengthExpCode code) noexcept { eLengthCode = code; }
    /// Keeps the low four bits of `kind`.
    constexpr void setSkiKind(unsigned kind) noexcept { uSkiKind = uint8_t(kind); }
    /// Keeps the low four bits of `option`.
    constexpr void setSkiOption(unsigned option) noexcept { uSkiOption = uint8_t(option); }
    /// Sets the keyword index.
    constexpr void setSKI(uint16_t index) noexcept { uSKI = index; }
    /// Sets the field length.
    constexpr void setLength(uint32_t length) noexcept { uLength = length; }

    /// True when all 10 bytes are equal.
    friend constexpr bool operator==(const tPacketExpInfo &a, const tPacketExpInfo &b) noexcept {
        return a.ucCodes == b.ucCodes && a.uVarWidth == b.uVarWidth && a.nCalibration == b.nCalibration &&
               a.ucSkiKindOpt == b.ucSkiKindOpt && a.aucSKI[0] == b.aucSKI[0] && a.aucSKI[1] == b.aucSKI[1] &&
               a.aucLength[0] == b.aucLength[0] && a.aucLength[1] == b.aucLength[1] &&
               a.aucLength[2] == b.aucLength[2] && a.aucLength[3] == b.aucLength[3];
    }
};
static_assert(sizeof(tPacketExpInfo) == 10, "the packet expression is stored as exactly 10 bytes");
static_assert(alignof(tPacketExpInfo) == 1);
static_assert(std::is_trivially_copyable_v<tPacketExpInfo> && std::is_standard_layout_v<tPacketExpInfo>);
static_assert(offsetof(tPacketExpInfo, ucCodes) == 0 && offsetof(tPacketExpInfo, uVarWidth) == 1 &&
              offsetof(tPacketExpInfo, nCalibration) == 2 && offsetof(tPacketExpInfo, ucSkiKindOpt) == 3 &&
              offsetof(tPacketExpInfo, uSKI) == 4 && offsetof(tPacketExpInfo, uLength) == 6);

/// Length of a packet or field: bit 0 `bVariable` (a V field took part), bits 1-31 the byte
/// count; the whole word is twice the length plus the flag.
union uPacketLengthExpression {
    uint32_t uWord; ///< the raw word

    /// Byte count (bits 1-31).
    constexpr uint32_t uLength() const noexcept { return uWord >> 1; }
    /// True when at least one variable-length field was counted.
    constexpr bool bVariable() const noexcept { return (uWord & 1u) != 0; }
    /// Stores `length`, clamped to 0x7FFFFFFF, and the flag.
    constexpr void set(uint64_t length, bool variable) noexcept {
        uWord = (uint32_t(length > 0x7FFFFFFFu ? 0x7FFFFFFFu : length) << 1) | (variable ? 1u : 0u);
    }
};
static_assert(sizeof(uPacketLengthExpression) == 4);

/// One memo record of a packet operation (make, parse or detailed check). The records live in
/// a vector owned by the running operation and pair fields across the packet (a "sizedef_" with
/// its "sizeset_", the markers of external keywords).
struct tMemoFieldInfo {
    uint8_t uSkiKindOption; ///< byte 3 of the field's expression: kind (low nibble), option (high)
    uint16_t uSKI;          ///< the field's keyword index
    CFields *pField;        ///< the field (an external keyword may store another pointer here)
    uint32_t uValue;        ///< making: packet position of the field; parsing/checking: parsed value
};

/// The memo vector of one packet operation.
using tMemoVector = std::vector<tMemoFieldInfo>;

/// What a packet hook sees of the running operation, through `CFields::pkt_GetISA4ESK()`.
/// Filled only for the duration of one hook call on the field; all zero otherwise.
struct tInnerSupportedArgs4ESK {
    /// Allot (making) step: the `std::string` packet built so far (the hook may change bytes
    /// already in it). Parse and check steps: the first received byte (read only).
    void *pData;
    uint32_t uDataLen;  ///< parse/check: number of received bytes; allot: 0
    uint32_t uPosition; ///< parse/check: offset at which this field's bytes begin; allot: 0
    tMemoVector *pMemo; ///< the memo vector of the running operation
};

/// Check-index hook: validates a keyword index and option read from a binary document.
/// Above 0 valid, 0 no such index, below 0 invalid index or option.
using tCheckIdxFP4ESK = int (*)(unsigned short index, unsigned char option);
/// Get-index hook: translates a keyword name (with its trailing "_" when it takes an option)
/// into an index 1 to 65535; any other result means "unknown".
using tGetIdxFP4ESK = int (*)(const char *name, unsigned char option);
/// Get-text hook: translates an index back into its keyword name (null when unknown).
using tGetTxtFP4ESK = const char *(*)(unsigned short index, unsigned char option);
/// Allot hook: prepares a field before it is made. Above 0 success; otherwise the field is left
/// out of the packet.
using tAllotPktFP4ESK = int (*)(unsigned short index, unsigned char option, CFields &field);
/// Parse hook: prepares a field before it is parsed; the result is ignored by the engine.
using tParsePktFP4ESK = int (*)(unsigned short index, unsigned char option, CFields &field);
/// Check hook: verifies a field of a received packet. Above 0 passes; otherwise the check fails.
using tCheckPktFP4ESK = int (*)(unsigned short index, unsigned char option, CFields &field);

} // namespace vexl
