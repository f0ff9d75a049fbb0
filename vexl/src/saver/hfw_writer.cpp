// The human-friendly layout: braces and multi-line brackets on lines of their own, one member or
// element per line, short arrays of scalars on one line, comments where the loader found them.

#include "saver/hfw_writer.h"

#include <cstring>
#include <ostream>
#include <vector>

#include "saver/comment_check.h"

#include "saver/text_format.h"

namespace vexl::detail {

namespace {

// The stream writer hands its block to the stream once it holds this many bytes.
constexpr size_t s_cnFlushSize = 64 * 1024;

// Flags that show that something of a field was written (ID, name, expression, value, or the
// unused 0x20).
constexpr unsigned char s_cnWrittenMask = 0x3E;

} // namespace

// MARK: - Construction

CHfwWriter::CHfwWriter(CSaver4SER_HFW &saver)
    : m_rSaver(saver), m_tOut(saver.m_strOutput), m_strUnit(saver.m_uiIndentSize, ' '),
      m_rEnds(saver.m_vecValues), m_rScratch(saver.m_strScratch), m_rCollect(saver.m_bCollectValues),
      m_uiLimit(saver.m_uiLineLimit), m_cpSavingFn("vexl::CSaver4SER_HFW::saving"),
      m_cpUnindentFn("vexl::CSaver4SER_HFW::unindent"), m_nUnindentLine(345) {}

CHfwWriter::CHfwWriter(CStreamSaver4SER_HFW &saver, std::ostream &out)
    : m_rSaver(saver), m_tOut(saver.m_strBlock), m_strUnit(saver.m_strIndentUnit), m_rEnds(saver.m_vecValues),
      m_rScratch(saver.m_strScratch), m_rCollect(saver.m_bCollectValues), m_uiLimit(saver.m_uiLineLimit),
      m_pStream(&out), m_pSameLine(&saver.m_bSameLine), m_cpSavingFn("vexl::CStreamSaver4SER_HFW::saving"),
      m_cpUnindentFn("vexl::CStreamSaver4SER_HFW::unindent"), m_nUnindentLine(340) {}

// MARK: - Document

// 1. Start from an empty output and indentation.
// 2. The root's comments ahead, its "#ID " and its name with "=", written directly.
// 3. The root's value, its comments behind and at the tail, and the final line feed (SCBC 0x04).
void CHfwWriter::run(const CFields &root, unsigned char sis) {
    m_tOut.truncate(0);
    m_uiIndentLen = 0;
    m_strIndentPad.clear();
    growIndentPad();
    m_rCollect = false;
    m_rSaver.m_ucSIS = sis;
    m_ucSIS = sis;
    m_bSpacing = (sis & SIS_SPACING) != 0;
    m_bComments = (sis & SIS_COMMENT) != 0;
    m_bOneLineArrays = m_rSaver.BC32_Check(SCBC_ONELINE_ARRAY);
    if (m_pSameLine != nullptr)
        *m_pSameLine = true; // the empty document counts as a line that holds only indentation
    m_pRoot = &root;
    m_bCommentFailed = false;
    // The stream writer hands blocks to the stream as it goes: its comments are all checked
    // before the first byte, so that a refused one leaves nothing written.
    if (m_pStream != nullptr && m_bComments && !allCommentsWritable(root))
        return;

    writeCommentBeforeValue(root);
    unsigned char l_ucFlags = 0;
    writeHead(root, l_ucFlags, true);
    writeField(root, l_ucFlags);
    writeCommentAfterValueOnSameLine(root);
    if (m_rSaver.BC32_Check(SCBC_FINAL_LF))
        m_tOut.put('\n');
    if (m_bCommentFailed) {
        m_tOut.truncate(0); // no partial document
        return;
    }
    if (m_pStream != nullptr) {
        flush();
        *m_pSameLine = false;
    }
}

// "#ID " when IDs are written and the field has one; the quoted name and " =" (or "=") when
// names are written and the field has one. A member without a written name starts its line
// (the root's head is written directly).
void CHfwWriter::writeHead(const CFields &field, unsigned char &flags, bool root) {
    if ((m_ucSIS & SIS_ID) && field.getID() != 0) {
        if (!root)
            writeIndent();
        m_tOut.put('#');
        appendUint(m_tOut, field.getID());
        m_tOut.put(' ');
        flags |= WF_ID;
    }
    if ((m_ucSIS & SIS_NAME) && field.getNameLen() != 0) {
        if (!root)
            writeIndent();
        appendQuotedEscaped(m_tOut, field.getName(), field.getNameLen());
        if (m_bSpacing)
            m_tOut.append(" =", 2);
        else
            m_tOut.put('=');
        flags |= WF_NAME;
    } else if (!root) {
        writeIndent();
    }
}

// MARK: - Fields and values

void CHfwWriter::writeField(const CFields &field, unsigned char &flags) {
    switch (field.getDT()) {
    case DT_array:
        writeArray(field);
        break;
    case DT_fields:
        if (field.getChildCount() == 0)
            m_tOut.append("{}", 2);
        else
            writeFields(field);
        break;
    default:
        m_rSaver.appendPEIandValue(m_tOut, field, flags);
        break;
    }
}

// "{", one member per line ("," after all but the last, comments around each), "}". The flags
// of the members accumulate over the whole record.
void CHfwWriter::writeFields(const CFields &field) {
    writeWithIndent("{", 1);
    indent();
    unsigned char l_ucFlags = 0;
    const CFields *const l_pBegin = field.begin();
    const CFields *const l_pLast = field.end() - 1;
    prefetchNodes(l_pBegin, l_pLast + 1);
    for (const CFields *l_pMember = l_pBegin; l_pMember <= l_pLast; ++l_pMember) {
        if (l_pMember != l_pLast)
            prefetchField(l_pMember + 1);
        maybeFlush();
        writeCommentBeforeValue(*l_pMember);
        writeHead(*l_pMember, l_ucFlags, false);
        writeField(*l_pMember, l_ucFlags);
        if (l_pBegin == l_pLast)
            writeSoleNull(*l_pMember, l_ucFlags);
        if (l_pMember == l_pLast) {
            writeCommentAfterValueOnSameLine(*l_pMember);
            if ((l_ucFlags & s_cnWrittenMask) == 0)
                m_tOut.put('\n');
        } else {
            m_tOut.put(',');
            writeCommentAfterValueOnSameLine(*l_pMember);
        }
    }
    unindent();
    writeWithIndent("}", 1);
}

// Arrays:
// 1. No elements: "[]".
// 2. One line, "[ a, b ]", when SCBC 0x01 is set, there are fewer than 25 elements (3 x n below
//    the limit of 74), no element is a non-empty container, none has a comment, and the width
//    2 x n + 2 + (sum of element texts) stays below 74. The element texts are written in
//    place while they are measured.
// 3. Otherwise "[", one element per line, "]". Elements already rendered while measuring are
//    copied from their measured text; the others are rendered now.
// Measuring never nests (its elements are scalars or empty containers), and every array
// measures into a freshly emptied list, so texts of one array never leak into another.
void CHfwWriter::writeArray(const CFields &field) {
    const unsigned int n = field.getChildCount();
    if (n == 0) {
        m_tOut.append("[]", 2);
        return;
    }
    const CFields *const l_pElems = field.begin();
    bool l_bMulti = !m_bOneLineArrays || uint64_t(3) * n >= m_uiLimit;
    for (unsigned int i = 0; !l_bMulti && i < n; ++i) {
        const E_DataType t = l_pElems[i].getDT();
        if ((t == DT_array || t == DT_fields) && l_pElems[i].getChildCount() != 0)
            l_bMulti = true;
    }

    unsigned int l_uiMeasured = 0; // elements whose text is in m_rScratch
    if (!l_bMulti) {
        const size_t l_uiStart = m_tOut.size();
        const size_t l_uiSepLen = m_bSpacing ? 2 : 1;
        m_tOut.append("[ ", 2);
        m_rEnds.clear();
        m_rCollect = true;
        uint64_t l_ullWidth = uint64_t(2) * n + 2;
        for (unsigned int i = 0; i < n; ++i) {
            if (i + 1 < n)
                prefetchField(l_pElems + i + 1);
            if (i != 0)
                m_tOut.append(", ", l_uiSepLen);
            const size_t l_uiBegin = m_tOut.size();
            unsigned char l_ucFlags = 0;
            writeField(l_pElems[i], l_ucFlags);
            if (n == 1)
                writeSoleNull(l_pElems[i], l_ucFlags);
            m_rEnds.push_back(uint32_t(m_tOut.size() - l_uiStart));
            l_ullWidth += m_tOut.size() - l_uiBegin;
            if (hasCommentForValue(l_pElems[i]) || l_ullWidth >= m_uiLimit) {
                l_bMulti = true;
                l_uiMeasured = i + 1;
                break;
            }
        }
        m_rCollect = false;
        if (!l_bMulti) {
            m_rEnds.clear();
            m_tOut.append(" ]", 2);
            return;
        }
        // Keep the measured texts (with their separators) and take them off the output.
        m_rScratch.assign(m_tOut.data() + l_uiStart, m_tOut.size() - l_uiStart);
        m_tOut.truncate(l_uiStart);
    }

    writeWithIndent("[", 1);
    indent();
    if (l_uiMeasured < n)
        prefetchNodes(l_pElems + l_uiMeasured, l_pElems + n);
    unsigned char l_ucFlags = 0;
    const size_t l_uiSepLen = m_bSpacing ? 2 : 1;
    for (unsigned int i = 0; i < n; ++i) {
        const CFields &e = l_pElems[i];
        if (i + 1 < n)
            prefetchField(l_pElems + i + 1);
        maybeFlush();
        l_ucFlags = 0;
        writeCommentBeforeValue(e);
        writeIndent();
        if (i < l_uiMeasured) {
            const size_t l_uiBegin = (i == 0) ? 2 : m_rEnds[i - 1] + l_uiSepLen;
            m_tOut.append(m_rScratch.data() + l_uiBegin, m_rEnds[i] - l_uiBegin);
        } else {
            writeField(e, l_ucFlags);
            if (n == 1)
                writeSoleNull(e, l_ucFlags);
        }
        if (i + 1 < n) {
            m_tOut.put(',');
            writeCommentAfterValueOnSameLine(e);
        }
    }
    m_rEnds.clear();
    writeCommentAfterValueOnSameLine(l_pElems[n - 1]);
    if ((l_ucFlags & s_cnWrittenMask) == 0)
        m_tOut.put('\n');
    unindent();
    writeIndent();
    m_tOut.put(']');
}

// A container's only child that would be written as nothing (a null without name, ID or
// expression, with the null word off) is written as "null": brackets with nothing in them are
// an empty container.
void CHfwWriter::writeSoleNull(const CFields &child, unsigned char &flags) {
    if (child.getDT() == DT_null && (flags & s_cnWrittenMask) == 0) {
        m_tOut.append("null", 4);
        flags |= WF_VALUE;
    }
}

// MARK: - Primitives

// Starts an indented item. The string writer decides by the last character of its output:
// after a space (an indentation or a "#ID " prefix) the item continues the line; otherwise a
// line feed is added unless one ends the output, then the indentation. The stream writer
// continues the line only right after an indentation it wrote itself, so a name or an unnamed
// member's value goes to a new line after "#ID ".
void CHfwWriter::writeIndent() {
    bool l_bLineFeed = false;
    if (m_pStream == nullptr) {
        if (!m_tOut.empty()) {
            const char c = m_tOut.back();
            if (c == ' ')
                return;
            l_bLineFeed = c != '\n';
        }
    } else {
        if (*m_pSameLine && m_ullSameLineAt == written())
            return;
        const char c = lastChar();
        l_bLineFeed = c != '\0' && c != '\n';
    }
    // The line feed and the indentation in one reservation; the indentation is copied in
    // 16-byte pieces from the run of units.
    const size_t n = m_uiIndentLen;
    char *p = m_tOut.reserve(n + 17);
    *p = '\n';
    p += l_bLineFeed ? 1 : 0;
    const char *l_cpPad = m_strIndentPad.data();
    for (size_t i = 0; i < n; i += 16)
        std::memcpy(p + i, l_cpPad + i, 16);
    m_tOut.commit(p + n);
    if (m_pStream != nullptr) {
        *m_pSameLine = true;
        m_ullSameLineAt = written();
    }
}

void CHfwWriter::writeWithIndent(const char *text, size_t length) {
    writeIndent();
    m_tOut.append(text, length);
}

// The indentation is a prefix of a run of indentation units, kept as its length; the run is
// lengthened when the nesting goes deeper, and always has room for the last 16-byte piece.
void CHfwWriter::indent() {
    m_uiIndentLen += m_strUnit.size();
    if (m_strIndentPad.size() < m_uiIndentLen + 32)
        growIndentPad();
}

void CHfwWriter::growIndentPad() {
    while (m_strIndentPad.size() < m_uiIndentLen + 32) {
        if (m_strUnit.empty())
            m_strIndentPad.append(32, ' ');
        else
            m_strIndentPad += m_strUnit;
    }
}

void CHfwWriter::unindent() {
    if (m_uiIndentLen >= m_strUnit.size()) {
        m_uiIndentLen -= m_strUnit.size();
        return;
    }
    m_rSaver.setUserError(-999, "[%s#%d] m_strIndentString.size(%u) < m_strIndentUnit.size(%u)",
                          m_cpUnindentFn, m_nUnindentLine, unsigned(m_uiIndentLen),
                          unsigned(m_strUnit.size()));
}

bool CHfwWriter::hasCommentForValue(const CFields &field) noexcept {
    return field.isComment() &&
           (field.hasComment(CP_Ahead) || field.hasComment(CP_Behind) || field.hasComment(CP_Tail));
}

// The comment ahead of a field on lines of its own at the current indentation: every line that
// starts a new "/" comment is indented, then a line feed. A line inside a "/*" comment is part
// of its text and stays as it is, even when it starts with "/".
void CHfwWriter::writeCommentBeforeValue(const CFields &field) {
    if (!m_bComments || !field.isComment() || !field.hasComment(CP_Ahead))
        return;
    if (!commentWritable(field, CP_Ahead))
        return;
    writeIndent();
    const char *const l_pBegin = field.getCommentPtr(CP_Ahead);
    const char *const l_pEnd = l_pBegin + field.getCommentLen(CP_Ahead);
    const char *l_pCopied = l_pBegin; // text before this point is in the output
    bool l_bInBlock = false;          // inside "/* ... */"
    bool l_bInLine = false;           // inside "// ..." up to its line feed
    for (const char *p = l_pBegin; p < l_pEnd; ++p) {
        if (l_bInBlock) {
            if (*p == '*' && p + 1 < l_pEnd && p[1] == '/') {
                l_bInBlock = false;
                ++p;
            }
        } else if (l_bInLine && *p != '\n') {
            continue;
        } else if (*p == '/' && p + 1 < l_pEnd && (p[1] == '*' || p[1] == '/')) {
            (p[1] == '*' ? l_bInBlock : l_bInLine) = true;
            ++p;
        } else if (*p == '\n' && (l_bInLine = false, p + 1 < l_pEnd) && p[1] == '/') {
            m_tOut.append(l_pCopied, size_t(p + 1 - l_pCopied));
            l_pCopied = p + 1;
            writeIndent();
        }
    }
    m_tOut.append(l_pCopied, size_t(l_pEnd - l_pCopied));
    m_tOut.put('\n');
}

// The comment behind a field after one space; the tail comment on a line of its own. A comment
// behind that ends in a blank is closed with a line feed, so that the next item does not
// continue its line (and so end up inside a "//" comment).
void CHfwWriter::writeCommentAfterValueOnSameLine(const CFields &field) {
    if (!m_bComments || !field.isComment())
        return;
    if (field.hasComment(CP_Behind) && commentWritable(field, CP_Behind)) {
        const unsigned int n = field.getCommentLen(CP_Behind);
        m_tOut.put(' ');
        m_tOut.append(field.getCommentPtr(CP_Behind), n);
        if (n != 0 && field.getCommentPtr(CP_Behind)[n - 1] == ' ')
            m_tOut.put('\n');
    }
    if (field.hasComment(CP_Tail) && commentWritable(field, CP_Tail)) {
        m_tOut.put('\n');
        m_tOut.append(field.getCommentPtr(CP_Tail), field.getCommentLen(CP_Tail));
        m_tOut.put('\n');
    }
}

// A comment is written only when it reads back as the same comment (see commentProblem). The
// first one that would not is reported with the path of its field, and the document is dropped.
bool CHfwWriter::commentWritable(const CFields &field, E_CommentPosition position) {
    const char *const l_cpWhy =
        commentProblem(field.getCommentPtr(position), field.getCommentLen(position), position);
    if (l_cpWhy == nullptr)
        return true;
    if (!m_bCommentFailed) {
        m_bCommentFailed = true;
        static const char *const s_acpWhere[] = {"ahead of", "behind", "at the tail of"};
        std::string l_strPath = pathOf(*m_pRoot, field);
        if (l_strPath.size() > 200) // the message has room for 511 characters
            l_strPath.resize(200);
        const std::string l_strWho = l_strPath.empty() ? std::string("the root") : "\"" + l_strPath + "\"";
        m_rSaver.setUserError(-991, "[%s#%d] The comment %s %s would not read back: %s", m_cpSavingFn,
                              __LINE__, s_acpWhere[position], l_strWho.c_str(), l_cpWhy);
    }
    return false;
}

bool CHfwWriter::allCommentsWritable(const CFields &root) {
    std::vector<const CFields *> l_vecStack{&root};
    while (!l_vecStack.empty()) {
        const CFields &l_field = *l_vecStack.back();
        l_vecStack.pop_back();
        if (l_field.isComment())
            for (E_CommentPosition l_ePos : {CP_Ahead, CP_Behind, CP_Tail})
                if (l_field.hasComment(l_ePos) && !commentWritable(l_field, l_ePos))
                    return false;
        for (const CFields &l_child : l_field)
            l_vecStack.push_back(&l_child);
    }
    return true;
}

// MARK: - Stream bookkeeping

void CHfwWriter::maybeFlush() {
    if (m_pStream != nullptr && m_tOut.size() >= s_cnFlushSize)
        flush();
}

void CHfwWriter::flush() {
    if (m_tOut.empty())
        return;
    m_pStream->write(m_tOut.data(), std::streamsize(m_tOut.size()));
    m_ullFlushed += m_tOut.size();
    m_cFlushedLast = m_tOut.back();
    m_tOut.truncate(0);
}

} // namespace vexl::detail
