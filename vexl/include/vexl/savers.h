#pragma once
/// \file savers.h
/// Writers that turn a `CFields` tree into a document: the human-friendly text writer (to a
/// string or to a stream), the compact packet-style text writer, the binary document writer,
/// the `CSavers` dispatcher that picks one of them by encoding rule, and `operator<<`.
///
/// \code
///   vexl::CFields root;
///   root.setName("config");
///   root.setID(7);
///   root.addChildRef("count") = 3u;
///   vexl::CSavers savers(vexl::SCBC_ONELINE_ARRAY | vexl::SCBC_FINAL_LF);
///   savers.saving(root, vexl::SER_HFW, vexl::SIS_DETAIL, "");
///   // "#7 \"config\" =\n{\n  \"count\" = 3\n}\n"
///   savers.saving(root, vexl::SER_PKT, vexl::SIS_DETAIL, "");
///   // "#7\"config\"={\"count\"=3}\n"
/// \endcode
///
/// Configuration: every writer holds the saver configuration bits (SCBC, `SCBC_*` in bitsets.h,
/// default 8) and receives the save-information bits (SIS, `SIS_*`, at most 0x3F) with each call.
///
/// Failure form: writers record an error code and message in their `CErrorBase` state and go
/// on writing where they can (a text writer returns the text produced so far; the binary writer
/// returns an empty document). `saving` never clears an earlier error: call `clearError`.
/// Only `operator<<` throws (`CLogicError`) when its writer records an error.
///
/// Threads: a writer object serves one call at a time; different writer objects may write the
/// same (unchanged) tree from different threads.
///
/// Text written by the two text writers loads back through the text loader into an equal tree,
/// except where the notation cannot say it: array elements carry no names or IDs, a null value
/// written as nothing reads back as null only under the loader's missing-value bit, and
/// comments are written by the human-friendly writer only. Empty containers are written "[]"
/// and "{}" and read back empty; the only child of a container that would be written as
/// nothing (a null without name, ID or expression, with the null word off) is written "null".

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "vexl/bitsets.h"
#include "vexl/errors.h"
#include "vexl/fields.h"
#include "vexl/packet_exp.h"
#include "vexl/vexl_export.h"

namespace vexl {

namespace detail {
class CHfwWriter; // the shared layout engine of the two human-friendly writers
class COutBuf;    // the writers' output buffer
} // namespace detail

/// Writer flags: passed by reference through the writing of one field; each step records what
/// it wrote.
inline constexpr unsigned char WF_ID = 0x02;     ///< an ID was written
inline constexpr unsigned char WF_NAME = 0x04;   ///< a name was written
inline constexpr unsigned char WF_PKTEXP = 0x08; ///< a packet expression was written
inline constexpr unsigned char WF_VALUE = 0x10;  ///< a value was written

/// Common base of every writer: the SCBC value (the `CBitCombi32` base), the SIS bits of the
/// call in progress, the encryption type of the binary writer and the rendering of one scalar
/// field (packet expression and value) shared by the text writers.
class VEXL_API ISaver : public CErrorBase, public CBitCombi32 {
public:
    /// A writer with saver configuration `scbc` (8 when not given), SIS 0x3F and encryption
    /// type 0.
    explicit ISaver(unsigned int scbc = SCBC_DEFAULT);
    /// Copies the error state, SCBC, SIS, encryption type and both work buffers.
    ISaver(const ISaver &other);
    /// Becomes a copy of `other`: its configuration and state.
    ISaver &operator=(const ISaver &other);
    ~ISaver() override;

    ///@{
    /// Stores the saver configuration bits (the int form stores the bit pattern).
    void setSCBC(int scbc) noexcept { BC32_Set(static_cast<unsigned int>(scbc)); }
    void setSCBC(unsigned int scbc) noexcept { BC32_Set(scbc); }
    ///@}
    /// The saver configuration bits.
    unsigned int getSCBC() const noexcept { return BC32_Get(); }

    /// Selects the cipher the binary writer uses with a password. Only type 0 exists: it is
    /// stored and true returned; any other value is refused with false and the setting stays.
    bool setCryptType(unsigned char type) noexcept;
    /// The encryption type (0).
    unsigned char getCryptType() const noexcept { return m_ucCryptType; }

protected:
    friend class detail::CHfwWriter;

    /// The packet expression and value of one scalar field as text, for a writer whose flags
    /// for this field are `flags` (see `WF_*`):
    /// - SIS 0x08 and an expression: the expression (" " before it when SIS 0x01 is set and an
    ///   ID or name was written). A "fix"/"valid" keyword whose field's second value differs
    ///   from the actual one: with SCBC 0x08 the second value is written, otherwise the keyword
    ///   is left out.
    /// - SIS 0x10: " " (with SIS 0x01, after an ID, name or expression, unless the value is a
    ///   null that is not written) and the value: "null" (SCBC 0x02; otherwise nothing), "true",
    ///   "false", decimal digits, 17 significant digits for doubles, a quoted string with
    ///   escapes (`""` for an empty code list).
    /// A container records the user error -991 "'array' data type was not supported" (or
    /// 'fields') and gives "".
    std::string makePEIandValue(const CFields &field, unsigned char &flags);
    /// The text form of a packet expression, e.g. "(ACF4)", "(ACV3+0)", "(ACD0sizeset_1)",
    /// held in this writer's 256-byte buffer until the next call. Sets `WF_PKTEXP` in `flags`.
    /// The length of a D field is written only when SIS 0x10 (values) is set, else 0. External
    /// keyword names come from the get-text hook of their slot; a missing hook or a null text
    /// writes no keyword, and a text too long for the buffer records user error -991 and is
    /// left out. A container type records user error -991 and gives "".
    const char *makePEI(E_DataType type, const tPacketExpInfo &exp, unsigned char &flags);

    /// `makePEIandValue` appending straight to a writer's output (no intermediate string).
    void appendPEIandValue(detail::COutBuf &out, const CFields &field, unsigned char &flags);
    /// `makePEI` appending straight to a writer's output.
    void appendPEI(detail::COutBuf &out, E_DataType type, const tPacketExpInfo &exp, unsigned char &flags);

    unsigned char m_ucSIS;       ///< SIS bits of the call in progress (initially 0x3F)
    unsigned char m_ucCryptType; ///< encryption type of the binary writer (0)
    std::string m_strWork;       ///< work buffer of `makePEIandValue`
    char m_szPEI[256];           ///< text returned by `makePEI`

private:
    // Formats the expression into `buf` (at least 256 bytes); returns its length.
    unsigned int formatPEI(char *buf, E_DataType type, const tPacketExpInfo &exp, unsigned char &flags);
};

/// A writer whose document is returned as a string.
class VEXL_API IStringSaver : public ISaver {
public:
    IStringSaver() : ISaver(SCBC_DEFAULT) {}
    /// A copy of `other`: its configuration and state.
    IStringSaver(const IStringSaver &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    IStringSaver &operator=(const IStringSaver &other) = default;
    ~IStringSaver() override;

    /// Writes `root` with the save-information bits `sis`; `password` is used by the binary
    /// writer only. Returns the document.
    virtual std::string saving(const CFields &root, unsigned char sis, const char *password) = 0;

protected:
    std::string m_strOutput; ///< the document being built
};

/// A writer that writes its document to a stream.
class VEXL_API IStreamSaver : public ISaver {
public:
    IStreamSaver() : ISaver(SCBC_DEFAULT) {}
    /// A copy of `other`: its configuration and state.
    IStreamSaver(const IStreamSaver &other) : ISaver(other), m_pOut(nullptr) {}
    /// Becomes a copy of `other`: its configuration and state.
    IStreamSaver &operator=(const IStreamSaver &other) {
        ISaver::operator=(other);
        return *this;
    }
    ~IStreamSaver() override;

    /// Writes `root` to `out` with the save-information bits `sis`.
    virtual void saving(std::ostream &out, const CFields &root, unsigned char sis, const char *password) = 0;

protected:
    std::ostream *m_pOut = nullptr; ///< the stream of the call in progress, null otherwise
};

/// Human-friendly text writer: an indented, commented document in the text notation.
///
/// Braces and multi-line brackets stand on lines of their own, members are indented by
/// `indentSize` spaces per level, arrays of scalars stay on one line while they are shorter
/// than 74 characters and have fewer than 25 elements (SCBC 0x01), and comments go back where
/// the loader found them (SIS 0x20). With SIS 0x3F and SCBC 0x05:
/// \code
///   #7 "config" =
///   {
///     // the port
///     "port" = (ACF4) 8080, // fixed width
///     "hosts" =[ "a", "b" ],
///     "count" = 3
///   }
///   /* end */
/// \endcode
/// Errors recorded: -999 when the indentation would go below zero, and those of
/// `makePEIandValue`/`makePEI`; writing goes on.
class VEXL_API CSaver4SER_HFW : public IStringSaver {
public:
    /// A writer that indents each level by `indentSize` spaces, with SCBC 8.
    explicit CSaver4SER_HFW(unsigned int indentSize = 2);
    /// A copy of `other`: its configuration and state.
    CSaver4SER_HFW(const CSaver4SER_HFW &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    CSaver4SER_HFW &operator=(const CSaver4SER_HFW &other) = default;
    ~CSaver4SER_HFW() override;

    /// The whole document; SCBC 0x04 adds a final line feed. `password` is not used.
    std::string saving(const CFields &root, unsigned char sis, const char *password) override;

private:
    friend class detail::CHfwWriter;

    std::vector<uint32_t> m_vecValues; ///< end offsets of the element texts of the array being measured
    uint32_t m_uiLineLimit = 74;       ///< width limit of a single-line array
    uint32_t m_uiIndentSize;           ///< spaces per indentation level
    bool m_bCollectValues = false;     ///< an array's element texts are being measured
    std::string m_strScratch;          ///< element texts of an array that turned multi-line
};

/// Human-friendly text writer to a stream (what `operator<<` uses). The layout is that of
/// `CSaver4SER_HFW` except that a member's name, or for an unnamed member its value, goes to a
/// new line after its "#<ID> " prefix. Output is handed to the stream in blocks.
class VEXL_API CStreamSaver4SER_HFW : public IStreamSaver {
public:
    /// `indentUnit` is the text of one indentation level (two spaces when not given).
    explicit CStreamSaver4SER_HFW(std::string indentUnit = "  ");
    /// A copy of `other`: its configuration and state.
    CStreamSaver4SER_HFW(const CStreamSaver4SER_HFW &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    CStreamSaver4SER_HFW &operator=(const CStreamSaver4SER_HFW &other) = default;
    ~CStreamSaver4SER_HFW() override;

    /// Writes the whole document to `out`; SCBC 0x04 adds a final line feed. `password` is not
    /// used.
    void saving(std::ostream &out, const CFields &root, unsigned char sis, const char *password) override;

private:
    friend class detail::CHfwWriter;

    std::vector<uint32_t> m_vecValues; ///< end offsets of the element texts of the array being measured
    uint32_t m_uiLineLimit = 74;       ///< width limit of a single-line array
    std::string m_strIndentUnit;       ///< one indentation level
    bool m_bCollectValues = false;     ///< an array's element texts are being measured
    bool m_bSameLine = false;          ///< the next indented item continues the current line
    std::string m_strBlock;            ///< output not yet handed to the stream
    std::string m_strScratch;          ///< element texts of an array that turned multi-line
};

/// Packet-style text writer: the whole tree on one line, no indentation, no comments and no
/// spaces (except one after each "=" with YAML compatibility).
/// \code
///   #7"config"={"port"=(ACF4)8080,"hosts"=["a","b"],"count"=3}
/// \endcode
/// SIS 0x01 and 0x20 and SCBC 0x01 have no effect. A member written with an ID but no name
/// gets a lone "=" before a value that starts with a digit, so that the loader does not read
/// the digits as part of the ID.
class VEXL_API CSaver4SER_PKT : public IStringSaver {
public:
    CSaver4SER_PKT() = default;
    /// A copy of `other`: its configuration and state.
    CSaver4SER_PKT(const CSaver4SER_PKT &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    CSaver4SER_PKT &operator=(const CSaver4SER_PKT &other) = default;
    ~CSaver4SER_PKT() override;

    /// With `on`, "= " (with a space) follows every name instead of "=".
    void setCompatibilityYAML(bool on) noexcept { m_bCompatibilityYAML = on; }
    /// True when "= " follows every name.
    bool getCompatibilityYAML() const noexcept { return m_bCompatibilityYAML; }

    /// The whole document; SCBC 0x04 adds a final line feed. `password` is not used.
    std::string saving(const CFields &root, unsigned char sis, const char *password) override;

private:
    void writeField(detail::COutBuf &out, const CFields &field);
    void writeMember(detail::COutBuf &out, const CFields &field);

    bool m_bCompatibilityYAML = false;
};

/// Binary document writer: a 13-byte "VEXF" header, an optional password block and the
/// transformed body of one record per field. Failures record a user error and give an empty
/// document.
class VEXL_API CSaver4BER_BASIC : public IStringSaver {
public:
    CSaver4BER_BASIC() = default;
    /// A copy of `other`: its configuration and state.
    CSaver4BER_BASIC(const CSaver4BER_BASIC &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    CSaver4BER_BASIC &operator=(const CSaver4BER_BASIC &other) = default;
    ~CSaver4BER_BASIC() override;

    /// The document for `root` with the options `sis` (0x02 IDs, 0x04 names, 0x08 packet
    /// expressions, 0x10 values, 0x20 comments); with a non-empty `password` the body is
    /// encrypted. Empty on failure.
    std::string saving(const CFields &root, unsigned char sis, const char *password) override;

private:
    /// Writes the header and the password block into the output.
    bool writeHeader(const char *password);
    /// Appends the plain record of `field` and its descendants to the body.
    bool makeField(const CFields &field);
    /// Transforms the body and appends it to the output.
    bool writeField();

    std::string m_strBody; ///< plain body; wiped with zero bytes after every call
};

/// Dispatcher: writes a tree with the writer of an encoding rule (`SER_HFW`, `SER_PKT`,
/// `BER_BASIC`), copying its own SCBC and encryption type into that writer before each call
/// and the writer's error (message cut to 511 characters) into itself afterwards.
class VEXL_API CSavers : public ISaver {
public:
    /// A dispatcher with saver configuration `scbc` (8 when not given) and encryption type 0.
    explicit CSavers(unsigned int scbc = SCBC_DEFAULT);
    /// A copy of `other`: its configuration and state.
    CSavers(const CSavers &other) = default;
    /// Becomes a copy of `other`: its configuration and state.
    CSavers &operator=(const CSavers &other) = default;
    ~CSavers() override;

    /// The document of `root` under encoding rule `er`. An SIS above 0x3F or a rule above 2
    /// gives "" and records nothing. When the writer reports an error it is copied here and
    /// the text produced so far is returned.
    std::string saving(const CFields &root, unsigned char er, unsigned char sis, const char *password);
    /// Writes `root` to `out` with the human-friendly stream writer. Only rule 0 writes
    /// anything; other rules and an SIS above 0x3F write nothing and record nothing.
    void saving(std::ostream &out, const CFields &root, unsigned char er, unsigned char sis,
                const char *password);

    /// Clears this dispatcher's error and the errors kept by its inner writers.
    void clearError() override;

private:
    void copyErrorFrom(const ISaver &inner);

    CSaver4SER_HFW m_tHFW;
    CSaver4SER_PKT m_tPKT;
    CStreamSaver4SER_HFW m_tStreamHFW;
    CSaver4BER_BASIC m_tBER;
};

/// Writes `tree` to `out` in the human-friendly form (two-space indentation, SCBC 8, SIS 0x3F).
/// When the writer records an error, "[vexl::operator <<#130] saver: <message>" goes to the
/// standard error stream and `CLogicError` is thrown.
VEXL_API std::ostream &operator<<(std::ostream &out, const CFields &tree);

} // namespace vexl
