#pragma once
/// \file bitsets.h
/// Flag sets that steer loaders and writers: the flag-set class `CBitCombi32`, the loader
/// configuration `CLoaderConfig`, and the four vocabularies: loader configuration bits (LCBC),
/// saver configuration bits (SCBC), save-information bits (SIS) and encoding rules (ER).

#include <cstdint>

#include "vexl/vexl_export.h"

namespace vexl {

/// One unsigned 32-bit flag word. Not synchronised; one thread uses an object at a time.
class VEXL_API CBitCombi32 {
public:
    /// Holds `value`.
    CBitCombi32(unsigned int value = 0) noexcept : m_uiValue(value) {}
    /// Holds the other's value.
    CBitCombi32(const CBitCombi32 &other) noexcept : m_uiValue(other.m_uiValue) {}
    virtual ~CBitCombi32();

    /// Replace the value.
    virtual CBitCombi32 &operator=(unsigned int value) noexcept;
    /// Replace the value with the bit pattern of `value`.
    virtual CBitCombi32 &operator=(int value) noexcept;
    /// Copy the value.
    virtual CBitCombi32 &operator=(const CBitCombi32 &other) noexcept;
    /// True when the value equals `value` (compared as a bit pattern).
    virtual bool operator==(int value) const noexcept;

    /// The value.
    unsigned int BC32_Get() const noexcept { return m_uiValue; }
    /// value = v; returns v.
    unsigned int BC32_Set(unsigned int v) noexcept { return m_uiValue = v; }
    /// value |= bits; returns the new value.
    unsigned int BC32_Or(unsigned int bits) noexcept { return m_uiValue |= bits; }
    /// value &= ~bits (clears those bits); returns the new value.
    unsigned int BC32_Nand(unsigned int bits) noexcept { return m_uiValue &= ~bits; }
    /// True when any of `bits` is set.
    bool BC32_Check(unsigned int bits) const noexcept { return (m_uiValue & bits) != 0; }
    /// When any of `bits` is set: value = v and true; otherwise false and no change.
    bool BC32_ChecknSet(unsigned int bits, unsigned int v) noexcept;
    /// value + 1, skipping 0 on wrap-around (4294967295 gives 1); returns the new value.
    unsigned int BC32_Inc() noexcept;
    /// value - 1, but 0 stays 0; returns the new value.
    unsigned int BC32_Dec() noexcept;

protected:
    uint32_t m_uiValue; ///< the flag word
};

/// The loader configuration (LCBC) every loader holds; a `CBitCombi32` with its own copy
/// assignment.
class VEXL_API CLoaderConfig : public CBitCombi32 {
public:
    /// Holds `value` (48, `LCBC_DEFAULT`, when not given).
    CLoaderConfig(unsigned int value = 0x30) noexcept : CBitCombi32(value) {}
    /// Holds the other's value.
    CLoaderConfig(const CLoaderConfig &other) noexcept : CBitCombi32(other) {}
    ~CLoaderConfig() override;

    using CBitCombi32::operator=;
    /// Copy the value (a virtual slot of its own).
    virtual CLoaderConfig &operator=(const CLoaderConfig &other) noexcept;
};

// MARK: - Loader configuration bits (LCBC)

/// 0x01: the document root must be `DT_array` or `DT_fields`.
inline constexpr unsigned int LCBC_ROOT_CONTAINER = 0x01;
/// 0x02: a number may serve as a member name.
inline constexpr unsigned int LCBC_NUMERIC_NAME = 0x02;
/// 0x04: a packet expression's length must be at least 1.
inline constexpr unsigned int LCBC_PKT_LENGTH_MIN1 = 0x04;
/// 0x08: Unicode escapes ("\uXXXX") are decoded to UTF-8 (otherwise to two raw bytes).
inline constexpr unsigned int LCBC_UNICODE_UTF8 = 0x08;
/// 0x10: comments are skipped by the parser and, when requested, collected into the tree.
inline constexpr unsigned int LCBC_COMMENTS = 0x10;
/// 0x20: a missing value is read as null ("[1,]" and "[,]" hold nulls). Brackets with nothing
/// but blanks and comments in them ("[]", "{ }") are an empty container with or without it.
inline constexpr unsigned int LCBC_MISSING_NULL = 0x20;
/// 0x40: a member name may occur twice in one record (the force-new flag of `addChildPtr`).
inline constexpr unsigned int LCBC_DUPLICATE_NAMES = 0x40;
/// Default of every loader: comments and missing values as null (48).
inline constexpr unsigned int LCBC_DEFAULT = LCBC_COMMENTS | LCBC_MISSING_NULL;

// MARK: - Saver configuration bits (SCBC)

/// 0x01: arrays may be written on one line.
inline constexpr unsigned int SCBC_ONELINE_ARRAY = 0x01;
/// 0x02: a null value is written as "null".
inline constexpr unsigned int SCBC_NULL_WORD = 0x02;
/// 0x04: a line feed ends the document.
inline constexpr unsigned int SCBC_FINAL_LF = 0x04;
/// 0x08: a field whose packet expression names "fix" or "valid" is written with its second value.
inline constexpr unsigned int SCBC_DUAL_VALUE = 0x08;
/// Default of every writer (8).
inline constexpr unsigned int SCBC_DEFAULT = SCBC_DUAL_VALUE;

// MARK: - Save-information bits (SIS), one byte, at most 0x3F

inline constexpr unsigned char SIS_SPACING = 0x01; ///< human-friendly spacing
inline constexpr unsigned char SIS_ID = 0x02;      ///< write IDs
inline constexpr unsigned char SIS_NAME = 0x04;    ///< write names
inline constexpr unsigned char SIS_PKTEXP = 0x08;  ///< write packet expressions
inline constexpr unsigned char SIS_VALUE = 0x10;   ///< write values
inline constexpr unsigned char SIS_COMMENT = 0x20; ///< write comments
inline constexpr unsigned char SIS_ALL = 0x3F;     ///< every bit; larger values are invalid

inline constexpr unsigned char SIS_DETAIL = 0x3F;    ///< all
inline constexpr unsigned char SIS_BASIC = 0x1F;     ///< all but comments
inline constexpr unsigned char SIS_CONFIG = 0x35;    ///< spacing, names, values, comments
inline constexpr unsigned char SIS_VALUELESS = 0x0D; ///< spacing, names, packet expressions
inline constexpr unsigned char SIS_NAMELESS = 0x19;  ///< spacing, packet expressions, values
inline constexpr unsigned char SIS_ONLYPKT = 0x09;   ///< spacing, packet expressions
inline constexpr unsigned char SIS_EMPTY = 0x01;     ///< spacing only

/// A named SIS preset, as the programs print it.
struct tSISPreset {
    const char *szName;    ///< the preset's name, e.g. "SIS_DETAIL"
    unsigned char ucValue; ///< its bits
};
/// The seven presets in order, `SIS_DETAIL` first.
inline constexpr tSISPreset SIS_PRESETS[7] = {
    {"SIS_DETAIL", SIS_DETAIL},       {"SIS_BASIC", SIS_BASIC},       {"SIS_CONFIG", SIS_CONFIG},
    {"SIS_VALUELESS", SIS_VALUELESS}, {"SIS_NAMELESS", SIS_NAMELESS}, {"SIS_ONLYPKT", SIS_ONLYPKT},
    {"SIS_EMPTY", SIS_EMPTY},
};

// MARK: - Encoding rules (ER), one byte

inline constexpr unsigned char SER_HFW = 0;   ///< human-friendly text
inline constexpr unsigned char SER_PKT = 1;   ///< packet-style text
inline constexpr unsigned char BER_BASIC = 2; ///< binary document

/// The name of an encoding rule ("SER_HFW", "SER_PKT", "BER_BASIC"), or null for other values.
constexpr const char *getERName(int rule) noexcept {
    return rule == SER_HFW     ? "SER_HFW"
           : rule == SER_PKT   ? "SER_PKT"
           : rule == BER_BASIC ? "BER_BASIC"
                               : nullptr;
}

} // namespace vexl
