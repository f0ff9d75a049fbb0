#pragma once
// Console output shared by the two demo programs. Everything goes to standard output through
// stdio; lines end in "\n" only.

#include <string>

namespace vexl {
class CFields;
}

namespace demo {

/// Exit codes of the programs. `main` returns them as they are, so the shell sees 255 and 254.
inline constexpr int EXIT_OK = 0;
inline constexpr int EXIT_NO_ARGUMENT = -1;
inline constexpr int EXIT_FAILURE_STEP = -2;

/// Prints a line of `count` dashes (79, 41, 30, 20 or 10 frame the sections).
void printSeparator(unsigned count);

/// Writes the bytes as they are, zero bytes included.
void printBytes(const std::string &bytes);

/// The recursive listing: for each child i, two blanks per depth level and "[i]"; a named member
/// of a record adds its name and " ="; then a line feed when the child has two or more children,
/// else a blank; a child with children is listed one level deeper, any other child prints its
/// value as text and a line feed.
void printTree(const vexl::CFields &node, unsigned depth);

/// Writes `root` through the saver dispatcher with rule SER_HFW, the second SIS preset (SIS_BASIC)
/// and the password "739". Prints the heading "<prefix>Display to VEXL string(Using
/// CSavers::SER_HFW::SIS_BASIC)", then "Error code = [<code>] <message>" when the writer reports
/// an error, otherwise "size = [<n>] bytes", ten dashes and the text. Returns false after an
/// error; `text` receives the document.
bool displayTree(const vexl::CFields &root, const char *prefix, std::string &text);

} // namespace demo
