#pragma once
// Shared parts of the subcommands: argument scanning, reading inputs, loading documents,
// diagnostics in the editor form, atomic output files and the JSON bridge.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vexl/vexl.h"

namespace vexl::tool {

/// Exit statuses of every subcommand.
enum E_ExitStatus : int {
    EXIT_OK = 0,      ///< all inputs valid, the work done
    EXIT_INVALID = 1, ///< an input is invalid or an output could not be written
    EXIT_USAGE = 2,   ///< bad command line
};

/// Largest input the tool reads (the loaders take at most 4 GiB; a larger file is refused
/// before reading it).
inline constexpr std::uint64_t kMaxInputBytes = 1ull << 30;

/// The command line of one subcommand: options with their values and the operands.
class CArgs {
public:
    /// `flags` are the options without a value, `valued` those that take one (e.g. "--indent").
    CArgs(std::vector<std::string> flags, std::vector<std::string> valued);
    /// Scans `argv` after the subcommand name. False with a message in `error()` for an unknown
    /// option or a missing value. "--" ends the options; "-" is an operand (standard input).
    bool parse(int argc, char **argv, int first);
    bool has(std::string_view option) const;
    /// The value of a valued option, or `fallback` when it was not given.
    std::string value(std::string_view option, std::string fallback = "") const;
    const std::vector<std::string> &operands() const noexcept { return m_vecOperands; }
    const std::string &error() const noexcept { return m_strError; }

private:
    std::vector<std::string> m_vecFlags, m_vecValued, m_vecGiven, m_vecValues, m_vecOperands;
    std::string m_strError;
};

/// Writes "vexl-tool: <message>" to standard error (with the program name coloured when the
/// error stream is a terminal and NO_COLOR is not set).
void complain(const std::string &message);
/// Writes "<where>: error: <message>" to standard error.
void reportError(const std::string &where, const std::string &message);
/// Writes "<where>: warning: <message>" to standard error.
void reportWarning(const std::string &where, const std::string &message);
/// A usage error: the message and a pointer to the subcommand's help; returns EXIT_USAGE.
int usageError(const std::string &command, const std::string &message);
/// True when diagnostics on standard error may use colour.
bool useColour();

/// Reads a file ("-" is standard input) into `out`. Refuses a missing file, a directory, a file
/// that cannot be read, and one above kMaxInputBytes; the message is in `error`.
bool readInput(const std::string &path, std::string &out, std::string &error);
/// The name a path is reported under ("<stdin>" for "-").
std::string displayName(const std::string &path);

/// Writes `data` to `path` ("-" is standard output) through a temporary file in the same folder
/// that is renamed over the target only once everything was written and flushed; on failure the
/// temporary file is removed and the target is left as it was.
bool writeOutput(const std::string &path, std::string_view data, std::string &error);

/// The password for binary documents: the first line of `--password-file`, else the variable
/// VEXL_PASSWORD, else "". False with a message when the file cannot be read.
bool getPassword(const CArgs &args, std::string &password, std::string &error);

/// True when `data` starts like a binary document ("VEXF").
bool isBinaryDocument(std::string_view data);

/// One problem found while loading: either a text position or a binary offset.
struct tProblem {
    bool bText = true;      ///< text document: line/column; binary: offset
    std::uint32_t uOffset;  ///< byte offset in the document
    std::string strMessage; ///< the loader's message
};

/// A fresh empty tree for the document being handled. The tree handed out before is released;
/// the last one stays until the process ends, whose memory the system takes back at once
/// (taking a large tree apart node by node costs as much as a tenth of loading it).
CFields &documentTree();

/// Loads a text or binary document. Returns true when the load recorded no error; otherwise
/// false with every problem in `problems` (at least one).
bool loadDocument(std::string_view data, CFields &root, const std::string &password,
                  std::vector<tProblem> &problems);
/// Prints the problems as "path:line:column: error: message" with the source line and a caret
/// (text) or "path: offset N: error: message" (binary).
void printProblems(const std::string &path, std::string_view data, const std::vector<tProblem> &problems);
/// Reads and loads `path`, printing what goes wrong; "VEXL" documents only (no JSON).
bool readDocument(const std::string &path, const std::string &password, CFields &root);
/// Reads and loads `path` as JSON (`json` true) or as a document, printing what goes wrong.
bool readAny(const std::string &path, bool json, const std::string &password, CFields &root);

/// True when the path names a JSON file by its extension.
bool hasJsonExtension(const std::string &path);

/// JSON text to a tree; false with ":line:column" (when known) in `position` and a message that
/// names the member in `error`.
bool jsonToTree(std::string_view text, CFields &out, std::string &position, std::string &error);
/// A tree as JSON text; false with a message in `error` (e.g. text that is not UTF-8). With
/// `dropExtras` IDs, comments and packet expressions are left out; otherwise they are errors.
bool treeToJson(const CFields &tree, std::string &out, bool pretty, bool dropExtras, std::string &error);

/// The human-friendly text of a tree (two-space indentation, final line feed).
std::string toText(const CFields &tree);

/// Finds the node at a path like "server.hosts[1]" or "#7" (see `CFields::at`); null with the
/// reason (no such member, malformed path) in `error` when there is none.
const CFields *lookupPath(const CFields &root, const std::string &path, std::string &error);
/// A member name as a path step: ".", "[", "]", "#" and "\" get a "\" in front.
std::string escapeName(const char *name, unsigned int length);

// The subcommands; each gets the arguments after its name.
int runCheck(int argc, char **argv);
int runFmt(int argc, char **argv);
int runConvert(int argc, char **argv);
int runPack(int argc, char **argv);
int runUnpack(int argc, char **argv);
int runVerify(int argc, char **argv);
int runGet(int argc, char **argv);

/// Prints the help of a subcommand when `--help` or `-h` is among the arguments; true then.
bool wantsHelp(int argc, char **argv, const char *help);

} // namespace vexl::tool
