#pragma once
/// \file packet_exp.h
/// Records of the packet engine: the 10-byte packet expression every field carries, the
/// length word the length functions return, the memo record of one packet operation, the
/// inner arguments a keyword hook sees, and the six hook signatures.

#include <cstdint>
#include <cstring>
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

/// The packet expression of one field, exactly 10 bytes.
///
/// | Byte | Content |
/// |---|---|
/// | 0 | bit 0 packet code, bit 1 runtime code, bits 2-3 length code, bits 4-7 zero |
/// | 1 | `uVarWidth`: width of a V field's length prefix, 0 otherwise |
/// | 2 | `nCalibration`: signed, added to a V prefix to give the whole field length |
/// | 3 | keyword kind (low nibble: 0 internal, 1-15 external slot), option (high nibble) |
/// | 4-5 | keyword index `uSKI` (0 = no keyword), little-endian |
/// | 6-9 | field length `uLength`, little-endian |
///
/// The record is plain bytes with shift and mask accessors, so its layout is the same on every
/// compiler; copy it with `=` or memcpy. All zero (`CFields::nullPktExp`) means "no expression".
struct tPacketExpInfo {
    uint8_t ucCodes;      ///< byte 0: the three codes (use the accessors)
    uint8_t uVarWidth;    ///< byte 1: V prefix width
    int8_t nCalibration;  ///< byte 2: V calibration
    uint8_t ucSkiKindOpt; ///< byte 3: keyword kind (low nibble) and option (high nibble)
    uint8_t aucSKI[2];    ///< bytes 4-5: keyword index, little-endian
    uint8_t aucLength[4]; ///< bytes 6-9: field length, little-endian

    /// Packet code of bit 0.
    constexpr E_PacketExpCode ePacketCode() const noexcept { return E_PacketExpCode(ucCodes & 0x01u); }
    /// Runtime code of bit 1.
    constexpr E_RuntimeExpCode eRuntimeCode() const noexcept {
        return E_RuntimeExpCode((ucCodes >> 1) & 0x01u);
    }
    /// Length code of bits 2-3 (3 is never produced by this library).
    constexpr E_LengthExpCode eLengthCode() const noexcept { return E_LengthExpCode((ucCodes >> 2) & 0x03u); }
    /// Sets bit 0 from the low bit of `code`.
    constexpr void setPacketCode(E_PacketExpCode code) noexcept {
        ucCodes = uint8_t((ucCodes & ~0x01u) | (unsigned(code) & 0x01u));
    }
    /// Sets bit 1 from the low bit of `code`.
    constexpr void setRuntimeCode(E_RuntimeExpCode code) noexcept {
        ucCodes = uint8_t((ucCodes & ~0x02u) | ((unsigned(code) & 0x01u) << 1));
    }
    /// Sets bits 2-3 from the low two bits of `code`.
    constexpr void setLengthCode(E_LengthExpCode code) noexcept {
        ucCodes = uint8_t((ucCodes & ~0x0Cu) | ((unsigned(code) & 0x03u) << 2));
    }
    /// Keyword kind: 0 internal table, 1 to 15 external slot.
    constexpr uint8_t uSkiKind() const noexcept { return ucSkiKindOpt & 0x0Fu; }
    /// Keyword option, 0 for none.
    constexpr uint8_t uSkiOption() const noexcept { return ucSkiKindOpt >> 4; }
    /// Keeps the low four bits of `kind`.
    constexpr void setSkiKind(unsigned kind) noexcept {
        ucSkiKindOpt = uint8_t((ucSkiKindOpt & 0xF0u) | (kind & 0x0Fu));
    }
    /// Keeps the low four bits of `option`.
    constexpr void setSkiOption(unsigned option) noexcept {
        ucSkiKindOpt = uint8_t((ucSkiKindOpt & 0x0Fu) | ((option & 0x0Fu) << 4));
    }
    /// Keyword index, 0 when the field has no keyword.
    constexpr uint16_t uSKI() const noexcept { return uint16_t(aucSKI[0] | (aucSKI[1] << 8)); }
    /// Stores the keyword index (0 for none).
    constexpr void setSKI(uint16_t index) noexcept {
        aucSKI[0] = uint8_t(index);
        aucSKI[1] = uint8_t(index >> 8);
    }
    /// Field length in bytes (F and D); for V the prefix width until a stored parse records the
    /// whole length.
    constexpr uint32_t uLength() const noexcept {
        return uint32_t(aucLength[0]) | (uint32_t(aucLength[1]) << 8) | (uint32_t(aucLength[2]) << 16) |
               (uint32_t(aucLength[3]) << 24);
    }
    /// Stores the field length (see `uLength`).
    constexpr void setLength(uint32_t length) noexcept {
        aucLength[0] = uint8_t(length);
        aucLength[1] = uint8_t(length >> 8);
        aucLength[2] = uint8_t(length >> 16);
        aucLength[3] = uint8_t(length >> 24);
    }

    /// True when all 10 bytes are equal.
    friend constexpr bool operator==(const tPacketExpInfo &a, const tPacketExpInfo &b) noexcept {
        return a.ucCodes == b.ucCodes && a.uVarWidth == b.uVarWidth && a.nCalibration == b.nCalibration &&
               a.ucSkiKindOpt == b.ucSkiKindOpt && a.aucSKI[0] == b.aucSKI[0] && a.aucSKI[1] == b.aucSKI[1] &&
               a.aucLength[0] == b.aucLength[0] && a.aucLength[1] == b.aucLength[1] &&
               a.aucLength[2] == b.aucLength[2] && a.aucLength[3] == b.aucLength[3];
    }
};
static_assert(sizeof(tPacketExpInfo) == 10, "the packet expression is stored as exactly 10 bytes");

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
