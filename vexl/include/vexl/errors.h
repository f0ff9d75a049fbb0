#pragma once
/// \file errors.h
/// Error reporting: the `CErrorBase` state of loaders and writers, the fixed error-code table,
/// the exception classes and the helpers that raise internal errors.
///
/// The library fails in three forms that are never mixed:
/// - contract violations inside the library throw `vexl::CLogicError` whose message has the form
///   "[<qualified function>#<line>] <text>", cut to 255 characters;
/// - loaders and writers record a code and a message in their `CErrorBase` state and return
///   false or an empty document;
/// - the packet engine and the hooks return numbers.

#include <cstdarg>
#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

#include "vexl/vexl_export.h"

/// Last error code and message of a stateful object (loaders, writers). Positive codes are
/// warnings, 0 is success, negative codes are errors. No operation of this class throws.
class VEXL_API CErrorBase {
public:
    /// Code 0 and an empty message.
    CErrorBase() = default;
    /// Copies the code and the message.
    CErrorBase(const CErrorBase &) = default;
    /// Copies the code and the message.
    CErrorBase &operator=(const CErrorBase &) = default;
    virtual ~CErrorBase();

    /// True when the code is not 0 or the message is not empty.
    bool isError() const noexcept { return m_nLastErrCode != 0 || !m_strLastErrMsg.empty(); }
    /// The last error code (0 when there is none).
    int getLastErrCode() const noexcept { return m_nLastErrCode; }
    /// The last error message (empty when there is none).
    const std::string &getLastErrMsg() const noexcept { return m_strLastErrMsg; }

    /// Looks `code` up in the fixed table (52 rows, searched from the first). When found, sets
    /// the code and replaces the message with the row's text and returns true; otherwise changes
    /// nothing and returns false. Example: -1995 sets "[NET] " (with its trailing blank).
    bool setFixError(int code);
    /// Formats into a 512-byte buffer and replaces the message; the code is unchanged. Returns
    /// false and changes nothing when `format` is null, the text is empty or longer than 511.
    bool setErrMsg(const char *format, ...) __attribute__((format(printf, 2, 3)));
    /// As `setErrMsg` with an argument list. The list is copied before use, so `args` is left
    /// as it was. A `va_list` function parameter cannot bind here on x86-64: `va_copy` it into a
    /// local first.
    bool setErrMsgVA(const char *format, va_list &args) __attribute__((format(printf, 2, 0)));
    /// As `setErrMsg`; when that succeeds also sets `code` and returns true, otherwise changes
    /// nothing and returns false.
    bool setUserError(int code, const char *format, ...) __attribute__((format(printf, 3, 4)));
    /// Appends `text` to the message (null does nothing); the code is unchanged.
    void addErrMsg(const char *text);
    /// Code 0 and empty message.
    virtual void clearError();

    /// The message of a fixed error code, or null when the table has no such code.
    static const char *getFixErrorText(int code) noexcept;
    /// Number of rows of the fixed table (52).
    static unsigned int getFixErrorCount() noexcept;
    /// Row `index` of the fixed table; false when `index` is out of range.
    static bool getFixErrorAt(unsigned int index, int &code, const char *&text) noexcept;

private:
    int m_nLastErrCode = 0;
    std::string m_strLastErrMsg;
};

namespace vexl {

/// Base of the library's exceptions; `what()` returns the message it was built with.
class VEXL_API CException : public std::exception {
public:
    /// An exception whose `what()` is `message`.
    explicit CException(std::string message) : m_strMessage(std::move(message)) {}
    ~CException() override;
    /// The message the exception was built with.
    const char *what() const noexcept override;

private:
    std::string m_strMessage;
};

/// A contract violation inside the library (unknown data type, bad index, value out of range,
/// failed allocation, ...).
class VEXL_API CLogicError : public CException {
public:
    /// An exception whose `what()` is `message` ("[function#line] text" for the library's own).
    explicit CLogicError(std::string message) : CException(std::move(message)) {}
    ~CLogicError() override;
};

/// A failure of the environment rather than of the caller.
class VEXL_API CRuntimeError : public CException {
public:
    /// An exception whose `what()` is `message`.
    explicit CRuntimeError(std::string message) : CException(std::move(message)) {}
    ~CRuntimeError() override;
};

/// A path lookup that found no node (`CFields::at`). Like `std::map::at`, it derives from
/// `std::out_of_range`; `what()` names the whole path and the step that is missing, e.g.
/// `path "servers[2].port": no element [2] (2 children)`.
///
/// \code
///   try {
///       cfg.at("server.port");
///   } catch (const vexl::CPathError &e) {
///       e.getPath();    // "server.port"
///       e.getMissing(); // "port", the first step that found nothing
///   }
/// \endcode
class VEXL_API CPathError : public std::out_of_range {
public:
    /// `path` is the whole path asked for, `missing` the step (as written in the path) that
    /// found nothing, or the whole path when it is malformed; `message` is what `what()` returns.
    CPathError(std::string path, std::string missing, const std::string &message)
        : std::out_of_range(message), m_strPath(std::move(path)), m_strMissing(std::move(missing)) {}
    ~CPathError() override;
    /// The path that was asked for.
    const std::string &getPath() const noexcept { return m_strPath; }
    /// The step of the path that found nothing (the whole path when it is malformed).
    const std::string &getMissing() const noexcept { return m_strMissing; }

private:
    std::string m_strPath;
    std::string m_strMissing;
};

/// Longest internal message; longer ones are cut.
inline constexpr unsigned int MAX_INTERNAL_MESSAGE = 255;

/// Formats an internal message and cuts it to 255 characters. The template normally begins
/// with "[%s#%d] " and the first two arguments are the qualified function name and the line:
/// \code
///   formatInternalMessage("[%s#%d] Unknown data type(%d)", "vexl::CFields::setValue", 42, 9)
///   // "[vexl::CFields::setValue#42] Unknown data type(9)"
/// \endcode
VEXL_API std::string formatInternalMessage(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Formats as `formatInternalMessage` and throws `CLogicError` with the result.
[[noreturn]] VEXL_API void raiseLogicError(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Formats as `formatInternalMessage` and throws `CRuntimeError` with the result.
[[noreturn]] VEXL_API void raiseRuntimeError(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Console diagnostic levels and their prefixes on the standard error stream.
inline constexpr int DIAG_PLAIN0 = 0;   ///< no prefix
inline constexpr int DIAG_PLAIN10 = 10; ///< no prefix
inline constexpr int DIAG_PLAIN20 = 20; ///< no prefix
inline constexpr int DIAG_PLAIN30 = 30; ///< no prefix
inline constexpr int DIAG_FATAL = 40;   ///< "Fatal: "
inline constexpr int DIAG_PANIC = 50;   ///< "Ohhhh jeeee: "
inline constexpr int DIAG_DEBUG = 100;  ///< "DBG: "

/// The prefix written before a diagnostic of `level`: "" for 0, 10, 20 and 30, "Fatal: " for 40,
/// "Ohhhh jeeee: " for 50, "DBG: " for 100, "[Unknown log level <level>]: " for any other level.
VEXL_API std::string diagnosticPrefix(int level);

/// Writes the prefix of `level` and then the formatted text to the standard error stream.
VEXL_API void printDiagnostic(int level, const char *format, ...) __attribute__((format(printf, 2, 3)));

} // namespace vexl
