// Diagnostics on standard error: "path:line:column: error: message" with the source line and a
// caret, coloured only on a terminal and never with NO_COLOR set.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "common.h"

namespace vexl::tool {

namespace {

const char *const kBold = "\033[1m";
const char *const kRed = "\033[1;31m";
const char *const kMagenta = "\033[1;35m";
const char *const kGreen = "\033[1;32m";
const char *const kReset = "\033[0m";

// Longest part of a source line shown around the column.
constexpr size_t kLineWindow = 160;

std::string paint(const std::string &text, const char *colour) {
    return useColour() ? std::string(colour) + text + kReset : text;
}

void printTagged(const std::string &where, const char *tag, const char *colour, const std::string &message) {
    const std::string l_strLine =
        paint(where + ":", kBold) + " " + paint(std::string(tag) + ":", colour) + " " + message + "\n";
    std::fwrite(l_strLine.data(), 1, l_strLine.size(), stderr);
}

// Control bytes of a source line as they are shown (tabs kept, so that the caret lines up).
char shown(char c) {
    return (static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F ? '?' : c;
}

} // namespace

bool useColour() {
    static const bool s_bColour = [] {
        const char *l_cpNoColour = std::getenv("NO_COLOR");
        if (l_cpNoColour != nullptr && l_cpNoColour[0] != '\0')
            return false;
        const char *l_cpTerm = std::getenv("TERM");
        if (l_cpTerm != nullptr && std::string_view(l_cpTerm) == "dumb")
            return false;
        return ::isatty(STDERR_FILENO) == 1;
    }();
    return s_bColour;
}

void complain(const std::string &message) {
    const std::string l_strLine = paint("vexl-tool:", kBold) + " " + message + "\n";
    std::fwrite(l_strLine.data(), 1, l_strLine.size(), stderr);
}

void reportError(const std::string &where, const std::string &message) {
    printTagged(where, "error", kRed, message);
}

void reportWarning(const std::string &where, const std::string &message) {
    printTagged(where, "warning", kMagenta, message);
}

int usageError(const std::string &command, const std::string &message) {
    complain((command.empty() ? std::string() : command + ": ") + message);
    complain("try 'vexl-tool " + (command.empty() ? std::string() : command + " ") + "--help'");
    return EXIT_USAGE;
}

void printProblems(const std::string &path, std::string_view data, const std::vector<tProblem> &problems) {
    const std::string l_strName = displayName(path);
    for (const tProblem &l_tProblem : problems) {
        if (!l_tProblem.bText) {
            reportError(l_strName + ": offset " + std::to_string(l_tProblem.uOffset), l_tProblem.strMessage);
            continue;
        }
        const size_t l_uiOffset = std::min<size_t>(l_tProblem.uOffset, data.size());
        size_t l_uiLine = 1;
        size_t l_uiLineStart = 0;
        for (size_t i = 0; i < l_uiOffset; ++i)
            if (data[i] == '\n') {
                ++l_uiLine;
                l_uiLineStart = i + 1;
            }
        size_t l_uiLineEnd = data.find('\n', l_uiLineStart);
        if (l_uiLineEnd == std::string_view::npos)
            l_uiLineEnd = data.size();
        if (l_uiLineEnd > l_uiLineStart && data[l_uiLineEnd - 1] == '\r')
            --l_uiLineEnd;
        const size_t l_uiColumn = l_uiOffset - l_uiLineStart + 1;
        reportError(l_strName + ":" + std::to_string(l_uiLine) + ":" + std::to_string(l_uiColumn),
                    l_tProblem.strMessage);
        // The source line (a window of it when it is long) and a caret under the column.
        size_t l_uiFrom = l_uiLineStart;
        size_t l_uiTo = l_uiLineEnd;
        if (l_uiTo - l_uiFrom > kLineWindow) {
            l_uiFrom =
                l_uiOffset > l_uiLineStart + kLineWindow / 2 ? l_uiOffset - kLineWindow / 2 : l_uiLineStart;
            l_uiTo = std::min(l_uiLineEnd, l_uiFrom + kLineWindow);
        }
        std::string l_strSource = "  ";
        std::string l_strCaret = "  ";
        for (size_t i = l_uiFrom; i < l_uiTo; ++i) {
            l_strSource += shown(data[i]);
            if (i < l_uiOffset)
                l_strCaret += data[i] == '\t' ? '\t' : ' ';
        }
        l_strSource += '\n';
        l_strCaret += paint("^", kGreen) + "\n";
        if (data.empty())
            continue;
        std::fwrite(l_strSource.data(), 1, l_strSource.size(), stderr);
        std::fwrite(l_strCaret.data(), 1, l_strCaret.size(), stderr);
    }
}

} // namespace vexl::tool
