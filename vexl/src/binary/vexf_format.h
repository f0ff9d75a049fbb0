#pragma once
// Layout of the binary document ("VEXF") shared by its writer (saver_ber.cpp) and its reader
// (loader_ber.cpp).
//
// A document is a 13-byte header, an optional password block of P bytes, and a body that holds
// one record per field in depth-first order, always passed through the transform named by the
// header's encryption type (cipher/transform.h).
//
// Header (multi-byte numbers in the writer's byte order, flagged by bit 0 of byte 10):
//
//   | Offset | Size | Field                                               | Written value |
//   |--------|------|-----------------------------------------------------|---------------|
//   | 0      | 4    | magic                                               | "VEXF"        |
//   | 4      | 4    | version                                             | 0x01050000    |
//   | 8      | 2    | header size                                         | 13            |
//   | 10     | 1    | bit 0 byte order (1 little-endian), bits 1-7 rule 2 | 5             |
//   | 11     | 1    | encryption type: 0 "VERNAM", 1 "SEED"               | 0 or 1        |
//   | 12     | 1    | password block length P                             | 0 to 252      |
//
// Body records (before the transform). Every part is always present; a part the writer's
// options leave out is written as zeros (ID 0, length 0, an all-zero packet expression).
//
//   container (DT_array, DT_fields):
//     type(1) ID(4) child-count(4) name-length N(1) name(N) 3 x [comment-length C(4) comment(C)]
//     then the children's records in child order
//   value (DT_null, DT_bool .. DT_codelist):
//     type(1) ID(4) packet-expression(10) name-length N(1) name(N) 3 x [C(4) comment(C)]
//     value-length V(4) value(V)
//
// Values: DT_bool one byte 0/1; DT_sint, DT_uint, DT_double the 8 bytes of the 64-bit value;
// DT_codelist its bytes; DT_null nothing. Inside the packet expression, bytes 4-5 (`uSKI`) and
// 6-9 (`uLength`) follow the document's byte order; the other bytes are single bytes.
//
// This writer always writes little-endian (byte 10 = 5). A reader given a document whose bit 0 is
// clear reads every multi-byte number big-endian instead.
//
// Properties of the stored format that documents already written rely on, so they are kept:
//   - The password protects against mistakes, not attackers: the password block is only type-0
//     encoded with the table built into the library, so anyone holding the library reads the
//     password, and with it the key, from the document. A body without password is encoded, not
//     encrypted.
//   - SEED runs in ECB mode without an IV (equal 16-byte plain blocks give equal cipher blocks),
//     and the last n % 16 bytes of the body are stored in the clear.
//   - The key is the first 16 password bytes padded with zeros (no salt, no key derivation); later
//     bytes are stored and compared but add nothing to the key.
//   - Nothing checks integrity: a damaged or forged body, or a SEED body without password block
//     read with a wrong key, shows only as record errors.
//   - Magic and version are written but not checked by the reader.
//   - A 4-byte number is read into the low 32 bits without sign extension (a DT_sint -1 stored so
//     reads back as 4294967295); this writer always stores 8 bytes.
//   - An empty code list and a code list without data are both stored as a value of length 0; the
//     reader gives an empty code list for it (as the text loader does for ""), so a tree loaded
//     from text survives a write and a read unchanged.
//   - The writer's "Failed to the password encryption(PW=[%s],...)" message carries the password.

#include <cstddef>
#include <cstdint>

#include "vexl/fields.h"
#include "vexl/packet_exp.h"

namespace vexl::detail {

// MARK: - Header

/// The four magic bytes at offset 0.
inline constexpr char kVexfMagic[4] = {'V', 'E', 'X', 'F'};
/// Version written at offset 4 (never checked by the reader: older files may carry another).
inline constexpr uint32_t kVexfVersion = 0x01050000u;
/// Size of the header, also written at offset 8.
inline constexpr uint16_t kVexfHeaderSize = 13;
/// Bit 0 of byte 10: the numbers are little-endian.
inline constexpr uint8_t kVexfLittleEndian = 0x01;
/// Byte 10 as this writer sets it: little-endian, encoding rule 2 (`BER_BASIC`) in bits 1-7.
inline constexpr uint8_t kVexfOrderAndRule = uint8_t(kVexfLittleEndian | (2u << 1));
/// The reader needs at least one byte beyond the header.
inline constexpr size_t kVexfMinDocument = kVexfHeaderSize + 1;
/// The reader refuses a decoded body shorter than this.
inline constexpr size_t kVexfMinBody = 8;

/// The 13 header bytes, held as bytes so that the layout is exact on every compiler; numbers are
/// read and written one byte at a time (`loadU16`/`loadU32`, `storeU16`/`storeU32`).
struct tVexfHeader {
    uint8_t aucMagic[4];      ///< "VEXF"
    uint8_t aucVersion[4];    ///< version, document byte order
    uint8_t aucHeaderSize[2]; ///< 13, document byte order
    uint8_t ucOrderAndRule;   ///< bit 0 byte order, bits 1-7 encoding rule
    uint8_t ucCryptType;      ///< encryption type of the body
    uint8_t ucPasswordLen;    ///< length P of the password block that follows
};
static_assert(sizeof(tVexfHeader) == kVexfHeaderSize, "the header is stored as exactly 13 bytes");

// MARK: - Records

/// Fixed bytes of a container record before its name: type, ID, child count, name length.
inline constexpr size_t kContainerHead = 1 + 4 + 4 + 1;
/// Fixed bytes of a value record before its name: type, ID, packet expression, name length.
inline constexpr size_t kValueHead = 1 + 4 + sizeof(tPacketExpInfo) + 1;
/// The three comment lengths of every record.
inline constexpr size_t kCommentHeads = 3 * 4;
/// The value length of a value record.
inline constexpr size_t kValueLengthSize = 4;
/// Smallest possible record (a container without name, comments or children). Used to bound the
/// room reserved for a child count read from a document by the bytes actually left.
inline constexpr size_t kMinRecord = kContainerHead + kCommentHeads;
/// Bytes of a stored 64-bit number.
inline constexpr uint32_t kNumberBytes = 8;
/// Smallest ID the reader refuses: IDs are 1 to 2147483647.
inline constexpr uint32_t kFirstBadID = 0x80000000u;
/// Nesting below the root that the reader accepts (the root has depth 0); a deeper record raises
/// `CLogicError`, and the writer refuses a tree it could not read back.
inline constexpr uint32_t kVexfDepthLimit = 1000;

/// The reader's working record of one field while it is being read: what the record said, and
/// where it lies in the decoded body (for error locations).
struct tVEXF_Node {
    E_DataType eType = DT_null; ///< the type byte
    uint32_t uiID = 0;          ///< the stored ID
    uint32_t uiChildren = 0;    ///< container: the stored child count
    tPacketExpInfo tPEI{};      ///< value: the stored packet expression (host order)
    uint32_t uiNameLen = 0;     ///< the stored name length
    uint32_t uiValueLen = 0;    ///< value: the stored value length
    size_t uiStart = 0;         ///< offset of the record's type byte in the body
    size_t uiEnd = 0;           ///< offset one past the record (children included)
    bool bNamed = false;        ///< the field received its name when it was added
};

// MARK: - Byte order

/// 16-bit number at `p`: little-endian, or big-endian when `swap` is set.
inline uint16_t loadU16(const unsigned char *p, bool swap) noexcept {
    return swap ? uint16_t((unsigned(p[0]) << 8) | p[1]) : uint16_t(p[0] | (unsigned(p[1]) << 8));
}
/// 32-bit number at `p`: little-endian, or big-endian when `swap` is set.
inline uint32_t loadU32(const unsigned char *p, bool swap) noexcept {
    if (swap)
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
/// 64-bit number at `p`: little-endian, or big-endian when `swap` is set.
inline uint64_t loadU64(const unsigned char *p, bool swap) noexcept {
    const uint64_t lo = loadU32(p + (swap ? 4 : 0), swap);
    const uint64_t hi = loadU32(p + (swap ? 0 : 4), swap);
    return lo | (hi << 32);
}
/// Writes `v` little-endian.
inline void storeU16(unsigned char *p, uint16_t v) noexcept {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void storeU32(unsigned char *p, uint32_t v) noexcept {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void storeU64(unsigned char *p, uint64_t v) noexcept {
    storeU32(p, uint32_t(v));
    storeU32(p + 4, uint32_t(v >> 32));
}

// MARK: - Packet expression check

/// Checks a packet expression as the reader does before storing it, in this order, and returns
/// the message of the first failed check, or null when the reader accepts it:
///   1. `uVarWidth` above 9: "Packet variable length must be little than 10";
///   2. option 10 or more: "Supporting-keyword option value must be little than 10";
///   3. with a keyword of kind 1-15: the kind's check-index hook must be registered ("Not exist
///      supporting-keyword kind") and accept the index and option (0: "Not exist
///      supporting-keyword index", below 0: "Invalid index or option for supporting-keyword");
///   4. with a keyword of kind 0: the index must name an internal keyword ("Invalid internal
///      supporting-keyword index"), and "sizedef_"/"sizeset_" need an option of 1 or more
///      ("Supporting-keyword option value must be bigger than 0").
/// The writer runs the same checks so that it never stores what the reader refuses.
const char *checkStoredPEI(const tPacketExpInfo &exp) noexcept;

} // namespace vexl::detail
