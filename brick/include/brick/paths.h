#pragma once

#include "brick/brick_export.h"

/// File-path helpers.  Both '\\' and '/' are accepted as separators on
/// input.  Paths are at most 259 characters where a limit is named.
/// Thread use: any thread, except `dir_rel2abs` (see there).  Nothing throws.
namespace brick {

/// Longest path the relative/absolute helpers accept.
constexpr int kMaxPathChars = 259;

/// The path up to and including its last separator ('\\' or '/'), or an
/// empty text when it has none.  a_cpOut needs strlen(path) + 1 bytes.
/// \returns a_cpOut; null for a null or empty path or a null out.
BRICK_API char *extractPath(const char *a_cpPath, char *a_cpOut);

/// The characters after the last '.' of the name, into a_cpOut of a_iOutSize bytes.
/// \returns false when a_iOutSize is below 2, the name is null or empty, it
///          has no '.', nothing follows the '.', or the extension does not fit.
BRICK_API bool extractExtension(const char *a_cpName, char *a_cpOut, int a_iOutSize);

/// Whether the name is an existing entry that is not a directory.  A name
/// with '*' or '?' is matched as a pattern and its first match is tested.
BRICK_API bool isExistFile(const char *a_cpName);

/// Absolute form of a path: a relative path is joined to the current
/// directory, then "." and ".." parts are resolved as text (the path need
/// not exist; symbolic links are left as they are).  Every separator becomes
/// '/' (a_bForwardSlashes) or '\\'.  With a_bTrailingSeparator a separator
/// is appended unless the path names an existing file or already ends in one.
/// \returns a_cpOut; null for null arguments or when the result and its NUL
///          do not fit in a_iOutSize bytes.
/// rel2abs("b/../c", out, 260, true, false) in /home/a gives "/home/a/c".
BRICK_API char *rel2abs(const char *a_cpPath, char *a_cpOut, int a_iOutSize, bool a_bForwardSlashes,
                        bool a_bTrailingSeparator);

/// Resolves the directory path once (as `rel2abs` with forward slashes and
/// a trailing '/') and makes it the current directory.
/// \returns a_cpOut; null when it cannot be resolved, does not fit, or the
///          directory cannot be entered (the current directory is then unchanged).
/// The current directory belongs to the whole process: do not call this
/// while other threads use relative paths (such as "./" slot files).
BRICK_API char *dir_rel2abs(const char *a_cpPath, char *a_cpOut, int a_iOutSize);

/// Relative path from the directory a_cpBase to a_cpPath, built from "./"
/// and "../" steps and '/' separators ("./sub/file", "../../x").  Both must
/// be absolute ("/..." or a drive letter, ':' and a separator) of the same
/// kind and drive, and at most 259 characters; "." and ".." parts are
/// resolved first.  Drive paths compare without case.
/// \returns a_cpOut; null for bad arguments, different roots, or when the
///          result does not fit in a_iOutSize bytes.
/// abs2rel("/a/b/c.txt", "/a/d", out, 260) gives "../b/c.txt".
BRICK_API char *abs2rel(const char *a_cpPath, const char *a_cpBase, char *a_cpOut, int a_iOutSize);

} // namespace brick
