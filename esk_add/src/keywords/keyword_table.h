#pragma once
// The add-on's keyword table and the three hooks that translate keyword names and indices:
// check-index (binary documents), get-index (text reader) and get-text (text writers).

#include <cstdint>

namespace esk_add {

/// Keyword indices as a packet expression stores them (`uSKI`), 1 to 7.
enum E_EskKeyword : uint16_t {
    EKW_seq = 1,         ///< "seq_": in-memory counter, option 1 to 9
    EKW_useq = 2,        ///< "useq_": persisted counter, option 1 to 9
    EKW_thread = 3,      ///< "thread": number behind the field's user pointer
    EKW_chksumbegin = 4, ///< "chksumbegin": start of a checksum range
    EKW_chksumset = 5,   ///< "chksumset": checksum of the range
    EKW_sizedef4mul = 6, ///< "sizedef4mul": size field of a padded pair
    EKW_sizeset4mul = 7, ///< "sizeset4mul": field padded to a multiple of 4
};

/// Number of keywords (the highest index).
inline constexpr uint16_t ESK_KEYWORD_COUNT = 7;

/// Hook results shared by every hook of the add-on.
inline constexpr int ESK_DONE = 1;           ///< done (also when a partner found no marker)
inline constexpr int ESK_UNKNOWN = 0;        ///< unknown keyword index (above 7)
inline constexpr int ESK_BAD_INDEX = -1;     ///< index 0, a null or empty name
inline constexpr int ESK_NO_LISTS = -1;      ///< packet data or memo missing
inline constexpr int ESK_NO_OPTION = -2;     ///< "seq_"/"useq_" without option
inline constexpr int ESK_FAILED = -2;        ///< bytes that do not fit or parse, checksum mismatch, ...
inline constexpr int ESK_BIG_OPTION = -3;    ///< "seq_"/"useq_" with an option above 9
inline constexpr int ESK_NOT_NUMBER = -3;    ///< a value that is no unsigned number
inline constexpr int ESK_ZERO_SEQUENCE = -4; ///< checking: a sequence or thread field holding 0
inline constexpr int ESK_NO_SLOT_FILE = -5;  ///< "useq_": its slot file cannot be opened, created or written

/// The keyword text of `index` (1 to 7), or null.
const char *keywordText(unsigned index) noexcept;

/// Validates an index and option, e.g. read from a binary document:
/// index 0 gives -1; above 7 gives 0; "seq_"/"useq_" (1, 2) with option 0 give -2, with an option
/// above 9 give -3; every other case gives the index.
int eskCheckIdx(unsigned short index, unsigned char option);

/// Translates a keyword text into its index: -1 for a null or empty text, 0 when no keyword has
/// exactly this text (case-sensitive, "seq" and "Seq_" are unknown), otherwise the index after the
/// option rules of `eskCheckIdx`.
int eskGetIdx(const char *text, unsigned char option);

/// The text of a valid index and option (see `eskCheckIdx`), or null.
const char *eskGetTxt(unsigned short index, unsigned char option);

} // namespace esk_add
