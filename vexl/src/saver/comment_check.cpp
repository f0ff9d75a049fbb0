// Comment tokens as the text loader reads them, checked before a writer writes a comment, and
// the path of a field for the writers' error messages.

#include "saver/comment_check.h"

#include <vector>

namespace vexl::detail {

const char *commentProblem(const char *text, size_t length, E_CommentPosition position) noexcept {
    const bool l_bBehind = position == CP_Behind;
    unsigned l_uTokens = 0;
    size_t i = 0;
    while (i < length) {
        const char c = text[i];
        if (c == ' ' || c == '\t') {
            ++i;
            continue;
        }
        if (c == '\n' || c == '\r') {
            // Behind a field, a line end would move what follows to the next field.
            if (l_bBehind)
                return "a line break behind a field";
            ++i;
            continue;
        }
        if (c != '/' || i + 1 >= length || (text[i + 1] != '/' && text[i + 1] != '*'))
            return "text outside a comment token";
        if (l_bBehind && l_uTokens != 0)
            return "more than one comment token behind a field";
        ++l_uTokens;
        if (text[i + 1] == '/') {
            i += 2;
            while (i < length && text[i] != '\n' && text[i] != '\r')
                ++i;
            continue; // the line end, if any, closes the token
        }
        size_t j = i + 2;
        while (j + 1 < length && !(text[j] == '*' && text[j + 1] == '/'))
            ++j;
        if (j + 1 >= length)
            return "an unclosed \"/*\"";
        if (l_bBehind)
            for (size_t k = i + 2; k < j; ++k)
                if (text[k] == '\n' || text[k] == '\r')
                    return "a line break behind a field";
        i = j + 2;
    }
    return nullptr;
}

namespace {

// A name step of a path, with the path's special characters escaped.
void appendName(std::string &path, const char *name, unsigned int length) {
    if (!path.empty())
        path += '.';
    for (unsigned int i = 0; i < length; ++i) {
        const char c = name[i];
        if (c == '.' || c == '[' || c == ']' || c == '#' || c == '\\')
            path += '\\';
        path += c;
    }
}

} // namespace

std::string pathOf(const CFields &root, const CFields &target) {
    // Depth first with the position in each container, so the path is the stack.
    struct tStep {
        const CFields *pNode;
        unsigned int uNext;
    };
    std::vector<tStep> l_vecStack{{&root, 0}};
    while (!l_vecStack.empty()) {
        tStep &l_top = l_vecStack.back();
        if (l_top.pNode == &target)
            break;
        if (l_top.uNext >= l_top.pNode->getChildCount()) {
            l_vecStack.pop_back();
            continue;
        }
        const CFields *l_pChild = &l_top.pNode->getChildAt(l_top.uNext++);
        l_vecStack.push_back({l_pChild, 0});
    }
    std::string l_strPath;
    for (size_t i = 1; i < l_vecStack.size(); ++i) {
        const CFields &l_parent = *l_vecStack[i - 1].pNode;
        const CFields &l_child = *l_vecStack[i].pNode;
        // A name finds the first member of that name: later ones go by their index.
        if (l_parent.isField() && l_child.getNameLen() != 0 &&
            l_parent.findChildAt(l_child.getName(), l_child.getNameLen()) == &l_child)
            appendName(l_strPath, l_child.getName(), l_child.getNameLen());
        else
            l_strPath += "[" + std::to_string(l_vecStack[i - 1].uNext - 1) + "]";
    }
    return l_strPath;
}

} // namespace vexl::detail
