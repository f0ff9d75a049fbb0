#pragma once

#include <cstdarg>

#include "brick/brick_export.h"

/// Bounded formatting into a new buffer, and a debug trace.
///
/// These live in namespace brick with C++ linkage on purpose: the C library
/// has its own `asprintf` and `vasprintf`, and this library never replaces
/// them for the rest of the process.  Call them as `brick::asprintf`.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// Longest text `asprintf` and `vasprintf` produce.
constexpr int kMaxFormatted = 512;

/// Formats at most 512 characters into a new `malloc` block stored in
/// *a_ppOut (release it with `free`).
/// \returns the formatted length; -1 when the text would be longer than 512
///          characters, the copy cannot be allocated, or an argument is null;
///          0 or a negative formatter result otherwise.  *a_ppOut is set only
///          when the result is above 0.
BRICK_API int asprintf(char **a_ppOut, const char *a_cpFormat, ...) __attribute__((format(printf, 2, 3)));

/// `asprintf` with an argument list (which it does not consume: it works on a copy).
BRICK_API int vasprintf(char **a_ppOut, const char *a_cpFormat, va_list a_args)
    __attribute__((format(printf, 2, 0)));

/// Formats a debug text and writes it to the standard error stream as it
/// is (no line end added).  Formats shorter than 513 characters only; the
/// text is cut at 1027 characters.
BRICK_API void trace(const char *a_cpFormat, ...) __attribute__((format(printf, 1, 2)));

} // namespace brick
