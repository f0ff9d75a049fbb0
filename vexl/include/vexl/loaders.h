#pragma once
/// \file loaders.h
/// Loaders that turn a document into a `CFields` tree: the text notation loader `CLoader4SER`,
/// the binary document loader `CLoader4BER`, the `CLoaders` dispatcher that picks one of them
/// from the first bytes of the document, and `operator>>`.
///
/// \code
///   vexl::CFields root;
///   vexl::CLoaders loaders(vexl::LCBC_DEFAULT);
///   loaders.loading(std::string("#7 \"config\" = { \"port\" = (ACF4) 8080 }"), root, "", true);
///   // true; root is DT_fields named "config" with ID 7, root["port"].asUint32() == 8080
///   loaders.loading(std::string("{ \"a\" = 1 \"b\" = 2 }"), root, "", true);
///   // false; loaders.getLastErrMsg() is
///   // "* Line 1, Column 11\n  Missing ',' or '}' in field declaration\n"
/// \endcode
///
/// The text notation, as the text loader accepts it (white space is space, TAB, CR and LF):
/// \verbatim
///   document   = [ "#" digits ] [ ( string | number ) "=" | "=" ] value { comment }
///   value      = [ "(" packet-expression ")" ] ( fields | array | string | number
///                                               | "true" | "false" | "null" )
///   fields     = "{" member { "," member } "}"
///   member     = [ "#" digits ] [ ( string | number ) "=" | "=" ] value
///   array      = "[" value { "," value } "]"
///   comment    = "//" ... line end | "/*" ... "*/"
/// \endverbatim
/// A number serves as a member name only under `LCBC_NUMERIC_NAME`; a packet expression only
/// directly before the value of a member or array element. With `LCBC_MISSING_NULL` (in the
/// default configuration) a value may be missing: "[]" is an array with one null element and
/// "{}" a fields with one unnamed null member.
///
/// Configuration: every loader holds the loader configuration bits (LCBC, `LCBC_*` in
/// bitsets.h, default 48 = `LCBC_DEFAULT`).
///
/// Failure forms: a failed load returns false and leaves a readable message in the loader's
/// `CErrorBase` state; for the text loader the error code is 0 and the message lists every
/// error as "* Line <l>, Column <c>\n  <message>\n", optionally followed by
/// "See Line <l>, Column <c> for detail.\n". Errors that do not stop the parse (a rejected
/// packet expression) leave `loadit` true and `getStatus` false; `getLoadErrors` lists them.
/// Nesting deeper than 1000 levels throws `CLogicError` out of `loadit`.
///
/// Ownership: the loaders fill a root that the caller owns; names, strings and comments are
/// copied, so the tree keeps no pointer into the document. The document must stay valid only
/// during the call.
///
/// Threads: a loader object serves one load at a time; different loader objects share nothing
/// (the external keyword hooks they may consult are process-wide, see hooks.h).

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

#include "vexl/bitsets.h"
#include "vexl/errors.h"
#include "vexl/fields.h"
#include "vexl/vexl_export.h"

namespace vexl {

namespace detail {
class CSerParser; // the text notation parser behind CLoader4SER
class CBerReader; // the binary document reader behind CLoader4BER
} // namespace detail

/// Token types of the text notation.
enum E_TokenType : int32_t {
    TT_end = 0,         ///< end of the text, or a NUL byte
    TT_fieldsOpen = 1,  ///< "{"
    TT_fieldsClose = 2, ///< "}"
    TT_arrayOpen = 3,   ///< "["
    TT_arrayClose = 4,  ///< "]"
    TT_peiOpen = 5,     ///< "(", or a whole packet expression "( ... )"
    TT_peiClose = 6,    ///< ")"
    TT_string = 7,      ///< a double-quoted string, quotes included
    TT_number = 8,      ///< starts with "-" or a digit
    TT_true = 9,        ///< "true"
    TT_false = 10,      ///< "false"
    TT_null = 11,       ///< "null"
    TT_id = 12,         ///< "#" and the digits that follow
    TT_assign = 13,     ///< "="
    TT_comma = 14,      ///< ","
    TT_comment = 15,    ///< a whole "//" or "/* */" comment
    TT_error = 16,      ///< any other byte, or a malformed string, keyword or comment
};

/// A token: its type and its byte range in the text.
struct tTokenInfo {
    E_TokenType eType;  ///< the type
    const char *pBegin; ///< first byte of the token
    const char *pEnd;   ///< one past its last byte
};

/// One error of a load, as the loader records it.
struct tLoadError {
    tTokenInfo stToken;     ///< where the error was found; `pBegin` is the reported position
    std::string strMessage; ///< the message, e.g. "Missing ','"
    const char *pSeeAlso;   ///< a second position in the text, or null
};

/// One error of a load as offsets from the start of the text (usable after the text is gone).
struct tErrorRange {
    uint32_t uiBegin;       ///< offset of the token's first byte
    uint32_t uiEnd;         ///< offset one past its last byte
    std::string strMessage; ///< the message
};

/// Interface of every loader: configuration, the entry points, and recognition of the encoding
/// rule of a document.
class VEXL_API ILoaderBase : public CErrorBase {
public:
    /// A loader with configuration `lcbc` (48 when not given).
    explicit ILoaderBase(unsigned int lcbc = LCBC_DEFAULT);
    /// Copies the error state, the configuration and the collect-comments flag.
    ILoaderBase(const ILoaderBase &other);
    /// Becomes a copy of `other`: its configuration and state.
    ILoaderBase &operator=(const ILoaderBase &other);
    ~ILoaderBase() override;

    ///@{
    /// Replaces the configuration (the int form stores the bit pattern).
    void setLCBC(const CLoaderConfig &lcbc);
    void setLCBC(unsigned int lcbc);
    void setLCBC(int lcbc);
    ///@}
    /// The configuration bits.
    unsigned int getLCBC() const noexcept { return m_LCBC.BC32_Get(); }

    /// Loads `text` into `root` through `loadit` (see there). A text longer than 4294967295 bytes
    /// is refused: error -991 "[SYS] Invalid parameter", false.
    bool loading(const std::string &text, CFields &root, const char *password = "",
                 bool collectComments = true);
    /// Reads `in` up to its end or up to the first byte 0xFF (consumed, not stored; the stream
    /// state changes as for `std::getline` with 0xFF as delimiter) and loads what was read.
    bool loading(std::istream &in, CFields &root, const char *password = "", bool collectComments = true);

    /// The encoding rule of a document from its first bytes: -1 for null data, 0 bytes, or a
    /// "VEXF" document shorter than 11 bytes or whose byte 10 (without bit 0) is above 5; 0
    /// (text) when the document does not start with "VEXF", which includes every document of 1
    /// to 3 bytes ("{}", "42"); otherwise byte 10
    /// shifted right by one (2 for a binary document). Never reads beyond `size` bytes.
    static int getER(const char *data, unsigned int size) noexcept;

    /// Loads `size` bytes at `data` into `root`. `password` is used by the binary loader only.
    /// Comments are collected into the tree when `collectComments` is true and the
    /// configuration has `LCBC_COMMENTS`. Returns true on success; on failure false, with the
    /// reason in the error state.
    virtual bool loadit(const char *data, unsigned int size, CFields &root, const char *password,
                        bool collectComments) = 0;
    /// True when the most recent load recorded no error.
    virtual bool getStatus() const = 0;

protected:
    CLoaderConfig m_LCBC;    ///< the loader configuration bits
    bool m_bCollectComments; ///< comments are collected during the current load
};

/// State shared by the text and binary loaders: the errors of the current load, the text window
/// and the field stack.
class VEXL_API ILoaderCommon : public ILoaderBase {
public:
    /// Empty error list and text window, configuration `lcbc` (48 when not given).
    explicit ILoaderCommon(unsigned int lcbc = LCBC_DEFAULT);
    /// A copy of `other`: its configuration and state.
    ILoaderCommon(const ILoaderCommon &other);
    /// Becomes a copy of `other`: its configuration and state.
    ILoaderCommon &operator=(const ILoaderCommon &other);
    ~ILoaderCommon() override;

    /// Clears the error state and the error list.
    void clearError() override;
    /// True when the most recent load recorded no error (its error list is empty).
    bool getStatus() const override;
    /// The errors of the most recent load, in the order found, as offsets from the start of its
    /// text. Does not read the text, so it may be called after the document is gone.
    std::vector<tErrorRange> getLoadErrors() const;

protected:
    /// The field whose value is being read (the top of the field stack). The stack must not be
    /// empty.
    CFields &getStackTopField();
    /// Adds a member named by the `length` bytes at `name` (none when `length` is 0) with `id` to
    /// the top field, as `child_AddPtr` with the force-new flag `LCBC_DUPLICATE_NAMES`; a packet
    /// expression may follow. Returns null when the member was refused (its name or ID exists).
    CFields *addChild2StackTop(const char *name, unsigned int length, unsigned int id);
    /// As above for a zero-terminated name (null for none).
    CFields *addChild2StackTop(const char *name, unsigned int id);
    /// The last child of the topmost container with children, or that entry itself; null when
    /// the stack is empty.
    CFields *getLastField4Stack();
    /// The field before the member just added to the top field, in document order: its previous
    /// sibling, or the top field when it is the first child. Null when the stack is empty.
    CFields *getLastThirdField4Stack();
    /// The nearest field with a comment, searching the stack from the top (children last to
    /// first, then the entry itself); null when none.
    CFields *getLastCommentField4Stack();
    /// Records `message` at the text range that `field` was loaded from. False, recording nothing,
    /// unless 0 <= start <= end <= text length.
    bool pushError(const CFields &field, const std::string &message);
    /// As above with `seeAlso`'s start as the see-also position (its range must be valid too).
    bool pushError(const CFields &field, const std::string &message, const CFields &seeAlso);

    /// Replaces the error state (code 0) with one block per recorded error, located as
    /// "Line %d, Column %d" in the current text.
    void makeLastErrMsg4Lines();
    /// The same with locations "Offset %u" from the start of the current text (empty for a
    /// position before it).
    void makeLastErrMsg4Offsets();

    std::deque<tLoadError> m_dqErrors;    ///< errors of the current load, in the order found
    const char *m_pTextBegin;             ///< first byte of the current text
    const char *m_pTextEnd;               ///< one past its last byte
    const char *m_pCur;                   ///< reading position
    const char *m_pLastValueEnd;          ///< position after the last value read (null: none yet)
    CFields *m_pLastCommentField;         ///< field a same-line comment belongs to (null: none yet)
    std::deque<CFields *> m_dqFieldStack; ///< bottom: the root; top: the field being read
    uint32_t m_uiDepth;                   ///< nesting depth of value parsing
    bool m_bAllowPEI;                     ///< a packet expression may follow now
    bool m_bHasPEI;                       ///< the current field already carries a packet expression
    std::string m_strComment;             ///< pending comment text for the next field

    /// Deepest nesting of values.
    static constexpr uint32_t s_cnStackDepthLimit = 1000;
};

/// The text notation loader (encoding rules `SER_HFW` and `SER_PKT`).
class VEXL_API CLoader4SER : public ILoaderCommon {
public:
    /// A text loader with configuration `lcbc` (48 when not given).
    explicit CLoader4SER(unsigned int lcbc = LCBC_DEFAULT);
    /// A copy of `other`: its configuration and state.
    CLoader4SER(const CLoader4SER &other);
    /// Becomes a copy of `other`: its configuration and state.
    CLoader4SER &operator=(const CLoader4SER &other);
    ~CLoader4SER() override;

    /// Loads the text into `root` (its name, ID and value; a container root is emptied first).
    /// `password` is ignored. On failure the error code is 0, the message lists the errors, and
    /// a container root is left without children. Text after the root value (and its trailing
    /// comments) is not examined. Throws `CLogicError` "[vexl::CLoader4SER::loadFieldInfo#150]
    /// Exceeded s_cnStackDepthLimit" for values nested 1000 levels deep.
    bool loadit(const char *data, unsigned int size, CFields &root, const char *password,
                bool collectComments) override;

private:
    friend class detail::CSerParser;
};

/// The binary document loader (encoding rule `BER_BASIC`): a "VEXF" header, an optional
/// password block and an encoded body.
class VEXL_API CLoader4BER : public ILoaderCommon {
public:
    /// A binary loader with configuration `lcbc` (48 when not given).
    explicit CLoader4BER(unsigned int lcbc = LCBC_DEFAULT);
    /// A copy of `other`: its configuration and state.
    CLoader4BER(const CLoader4BER &other);
    /// Becomes a copy of `other`: its configuration and state.
    CLoader4BER &operator=(const CLoader4BER &other);
    ~CLoader4BER() override;

    /// Loads a binary document into `root`; `password` must match the document's password
    /// block when it has one. On failure the message lists the errors located as "Offset %u".
    /// Comments are kept as the record holds them, up to a first zero byte, a trailing line
    /// feed included, so that a tree written and read back writes the same document.
    bool loadit(const char *data, unsigned int size, CFields &root, const char *password,
                bool collectComments) override;

private:
    friend class detail::CBerReader;

    std::string m_strBody; ///< the decoded body of the current load (wiped when it ends)
    bool m_bSwap = false;  ///< the document's byte order differs from the host's
};

/// The dispatcher: looks at the first bytes of a document and hands it to the text or the
/// binary loader.
///
/// A document that starts with "VEXF" and whose byte 10 gives encoding rule 2 goes to the
/// binary loader; every other document goes to the text loader, including those of 1 to 3
/// bytes ("{}", "[]", "42"), which are too short for the magic. Failures:
/// - null data or size 0: false, the error state left as it was;
/// - "VEXF" with fewer than 11 bytes or an encoding rule above 2: false, code
///   -991, "[vexl::CLoaders::loadit#82] Unknown encoding rule(-1)";
/// - the inner loader fails: false, its code and message copied (the message cut to 511
///   characters).
class VEXL_API CLoaders : public ILoaderBase {
public:
    /// A dispatcher with configuration `lcbc` (48 when not given), copied into the inner
    /// loader before each load.
    explicit CLoaders(unsigned int lcbc = LCBC_DEFAULT);
    /// Copies the error state, the configuration and both inner loaders.
    CLoaders(const CLoaders &other);
    /// Becomes a copy of `other`: its configuration and state.
    CLoaders &operator=(const CLoaders &other);
    ~CLoaders() override;

    bool loadit(const char *data, unsigned int size, CFields &root, const char *password,
                bool collectComments) override;
    /// True when the error code is 0 and the message is empty.
    bool getStatus() const override;

    /// The inner text loader, e.g. for `getLoadErrors` after a load.
    const CLoader4SER &getSERLoader() const noexcept { return m_tSER; }
    /// The inner binary loader.
    const CLoader4BER &getBERLoader() const noexcept { return m_tBER; }

private:
    CLoader4SER m_tSER;
    CLoader4BER m_tBER;
};

/// Reads `in` up to its end or the first byte 0xFF and loads it into `root` with configuration
/// 48, no password and comments collected. On failure writes
/// "[vexl::operator >>#116] <last error message>" to the standard error stream and throws
/// `CLogicError` "[vexl::operator >>#117] <last error message>" (cut to 255 characters).
VEXL_API std::istream &operator>>(std::istream &in, CFields &root);

} // namespace vexl
