#pragma once
// Resolving the escapes of a string token of the text notation, with error reporting.

#include <cstddef>
#include <string>

namespace vexl::detail {

/// Where and why an escape could not be read.
struct tUnescapeError {
    const char *szMessage; ///< one of the string escape messages
    const char *pAt;       ///< the reading position inside the string when the error was found
};

/// Writes the body of a string (the bytes between its quotes, [begin, end)) into `out` with its
/// escapes replaced:
///   \" \/ \\        the character itself
///   \b \f \n \r \t  0x08 0x0C 0x0A 0x0D 0x09
///   \xHH            one byte
///   \uHHHH          `utf8`: the code point in UTF-8 (a high surrogate must be followed by a
///                   second \uHHHH; the pair is joined); otherwise the two bytes 0xHH 0xHH
/// Returns false and fills `error` at the first malformed escape (`out` then holds a prefix).
/// Never reads outside [begin, end).
bool unescapeStringBody(const char *begin, const char *end, bool utf8, std::string &out,
                        tUnescapeError &error);

} // namespace vexl::detail
