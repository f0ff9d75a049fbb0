#pragma once
// Whether a comment of a tree reads back as the same comment once a text writer has written it
// where its position says, and the path that names the field it belongs to in an error.

#include <cstddef>
#include <string>

#include "vexl/fields.h"

namespace vexl::detail {

/// Null when the `length` bytes at `text` are complete comment tokens ("//" up to a line end or
/// the end, "/*" up to its first "*/") with nothing but blanks and line ends between them, and,
/// behind a field, exactly one token on one line; otherwise what is wrong, e.g. "an unclosed
/// /*". Such a comment reads back with the same tokens (blanks between tokens are not kept).
const char *commentProblem(const char *text, size_t length, E_CommentPosition position) noexcept;

/// The path of `target` below `root` as `CFields::findPath` reads it ("" for the root itself
/// or a node that is not below `root`).
std::string pathOf(const CFields &root, const CFields &target);

} // namespace vexl::detail
