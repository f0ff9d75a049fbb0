#pragma once
/// \file json.h
/// JSON import and export for `CFields` trees (library `vexl_json`, CMake target `vexl::json`).
///
/// The core library has no dependencies; this one reads JSON with RapidJSON's SAX reader and
/// writes it with its own writer. Only this header is public; RapidJSON is not needed to use it.
///
/// \code
///   vexl::CFields tree;
///   vexl::json::tJsonError error;
///   if (!vexl::json::fromJSON(R"({"port": 8080, "hosts": ["a", "b"]})", tree, &error))
///       std::puts(error.sMessage.c_str());
///   tree["port"].asUint32();                         // 8080
///   std::string text;
///   (void)vexl::json::toJSON(tree, text);            // text == {"port":8080,"hosts":["a","b"]}
/// \endcode
///
/// Mapping between JSON and the tree (both directions unless marked):
///
/// | JSON | tree |
/// |---|---|
/// | object | `DT_fields`; each member a child named by its key, in text order |
/// | array | `DT_array`; each element an unnamed child. `[]` and `{}` load as containers with no children |
/// | string | `DT_codelist` holding the UTF-8 bytes (escapes decoded; `\u0000` gives a zero byte) |
/// | `true`, `false` | `DT_bool` |
/// | `null` | `DT_null` |
/// | integer `-9223372036854775808` .. `2147483647` | `DT_sint` (as the text loader: negative and small
/// values) | | integer `2147483648` .. `18446744073709551615` | `DT_uint` | | any other number (fraction,
/// exponent, `-0`, larger integers) | `DT_double`, nearest double |
///
/// Number rules:
/// - Import converts with correct rounding, so every double written by `toJSON` (shortest form
///   that reads back to the same double) loads back bit for bit.
/// - `-0` loads as the double -0.0 (an integer zero has no sign) and -0.0 is written `-0.0`.
/// - A number beyond the double range (`1E400`, `-1e999`) loads as plus or minus infinity, and
///   infinity is written `1e400` / `-1e400`, so such a number loads back as the same value; its
///   digits are not kept. A nonzero number too small for a double (`1e-400`) loads as zero of its
///   sign. NaN has no JSON form: exporting it is an error.
/// - Doubles are always written with a fraction or an exponent (`1.0`, `1e+22`), so they load
///   back as doubles; integers never are. A `DT_uint` up to 2147483647 loads back as `DT_sint`
///   (JSON has one kind of integer).
///
/// Member names:
/// - A name is 1 to 255 bytes. An empty key `""` loads as an unnamed member of the record, and an
///   unnamed member of a `DT_fields` is written with the key `""`. A key longer than 255 bytes is
///   an import error.
/// - Duplicate keys in one object are an import error unless
///   `tJsonReadOptions::bAllowDuplicateKeys` is set; then every member is kept, in order.
///   Records with repeated names are written with repeated keys.
///
/// Strings and keys are UTF-8: import refuses malformed UTF-8 (overlong forms, surrogates
/// including a lone `\uDC00` escape, values above U+10FFFF, cut sequences); export refuses a code
/// list or name that is not valid UTF-8, naming its member path. Export escapes `"`, `\` and the
/// bytes below 0x20 (`\b \f \n \r \t`, others `\u00XX`) and writes everything else as it is.
///
/// What JSON cannot hold: IDs, comments, packet expressions, fixed/valid second values and names
/// of array elements. Export reports the first such node as an error with its member path, unless
/// `tJsonWriteOptions::bDropExtras` is set, which leaves them out. The name of the node given to
/// `toJSON` is not part of its value and is not written (as `fromJSON` leaves the name of its
/// `out` alone), so a member can be written on its own.
///
/// Nesting: a value may lie at most 999 containers deep (the limit of the text loader: 999 nested
/// arrays around a number load, 1000 do not). Deeper input is an import error; a deeper tree is an
/// export error.
///
/// Failure form of both calls: they return false, leave `out` untouched and, when `error` is not
/// null, fill it in. Neither throws for bad input; `std::bad_alloc` may pass through.
///
/// Threads: the calls keep no state between calls; different trees may be converted on
/// different threads at once.

#include <cstddef>
#include <string>
#include <string_view>

#include "vexl/fields.h"

namespace vexl::json {

/// Where and why a conversion failed.
struct tJsonError {
    /// What went wrong, in one English sentence without the location, e.g.
    /// "Missing a comma or ']' after an array element." or "NaN cannot be written in JSON".
    std::string sMessage;
    /// Member path of the node concerned: names joined by '.', array (and unnamed member)
    /// positions as `[n]`, e.g. `server.hosts[1]`; empty for the root. Export fills it for
    /// every error; import fills it for errors inside the document's structure (duplicate or
    /// long keys, depth, bad strings), naming the member being read.
    std::string sPath;
    /// Import: byte offset of the error in the text (0-based). Export: 0.
    std::size_t uOffset = 0;
    /// Import: line of `uOffset`, counted from 1 (lines end at LF). Export: 0.
    unsigned int uLine = 0;
    /// Import: column of `uOffset`, counted from 1 in bytes. Export: 0.
    unsigned int uColumn = 0;
};

/// Options of `fromJSON`.
struct tJsonReadOptions {
    /// Keep every member of an object that repeats a key, in order (default false: a repeated key
    /// is an error).
    bool bAllowDuplicateKeys = false;
    /// Deepest nesting allowed, in containers around a value (default and maximum 999, the text
    /// loader's limit; larger values count as 999).
    unsigned int uMaxDepth = 999;
};

/// Options of `toJSON`.
struct tJsonWriteOptions {
    /// Line breaks and indentation (default false: no white space at all).
    bool bPretty = false;
    /// Spaces per level when `bPretty` is set (default 2, at most 16).
    unsigned int uIndent = 2;
    /// Leave out what JSON cannot hold (IDs, comments, packet expressions, second values, names
    /// of array elements) instead of failing (default false).
    bool bDropExtras = false;
};

/// Reads the JSON text `text` (UTF-8, RFC 8259: one value with optional white space around
/// it, no comments) into `out`.
/// \param text the whole document; a zero byte anywhere is an error.
/// \param out on success holds the document's value and children; its own name, ID, comments
///        and packet expression stay as they were (so a member of a tree can be filled in
///        place), its second value is dropped. On failure it is untouched.
/// \param error when not null and the call fails: message, offset, line, column and, for
///        errors inside the structure, the member path.
/// \param options see `tJsonReadOptions`.
/// \return true on success.
[[nodiscard]] VEXL_API bool fromJSON(std::string_view text, CFields &out, tJsonError *error = nullptr,
                                     const tJsonReadOptions &options = {});

/// Writes `tree` as JSON text (see the mapping above) into `out`, replacing its content.
/// \param tree any node; its value becomes the JSON root value (its own name is not written).
/// \param out on success the JSON text (no final line break unless pretty); on failure
///        untouched.
/// \param error when not null and the call fails: message and member path.
/// \param options see `tJsonWriteOptions`.
/// \return true on success; false for a NaN, a string or name that is not UTF-8, nesting
///         deeper than 999, or (without `bDropExtras`) something JSON cannot hold.
[[nodiscard]] VEXL_API bool toJSON(const CFields &tree, std::string &out, tJsonError *error = nullptr,
                                   const tJsonWriteOptions &options = {});

} // namespace vexl::json
