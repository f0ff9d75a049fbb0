#pragma once
// The layout engine shared by the two human-friendly writers. The string writer builds the
// whole document in its output string; the stream writer builds it in a block that is handed
// to the stream whenever it grows past a threshold between two members or elements.

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "saver/text_format.h"
#include "vexl/savers.h"

namespace vexl::detail {

class CHfwWriter {
public:
    /// Engine of the string writer (output in its `m_strOutput`).
    explicit CHfwWriter(CSaver4SER_HFW &saver);
    /// Engine of the stream writer (output to `out` through its block).
    CHfwWriter(CStreamSaver4SER_HFW &saver, std::ostream &out);

    /// Writes the whole document for `root` with the SIS bits `sis`.
    void run(const CFields &root, unsigned char sis);

private:
    // MARK: - Layout steps
    void writeField(const CFields &field, unsigned char &flags);
    void writeFields(const CFields &field);
    void writeArray(const CFields &field);
    void writeHead(const CFields &field, unsigned char &flags, bool root);
    void writeSoleNull(const CFields &child, unsigned char &flags);

    // MARK: - Primitives
    void writeIndent();
    void growIndentPad();
    void writeWithIndent(const char *text, size_t length);
    void indent();
    void unindent();
    void writeCommentBeforeValue(const CFields &field);
    void writeCommentAfterValueOnSameLine(const CFields &field);
    bool commentWritable(const CFields &field, E_CommentPosition position);
    bool allCommentsWritable(const CFields &root);
    static bool hasCommentForValue(const CFields &field) noexcept;

    // MARK: - Stream bookkeeping
    uint64_t written() const noexcept { return m_ullFlushed + m_tOut.size(); }
    char lastChar() const noexcept { return m_tOut.empty() ? m_cFlushedLast : m_tOut.back(); }
    void maybeFlush();
    void flush();

    ISaver &m_rSaver;
    COutBuf m_tOut;                    // document (string writer) or pending block (stream writer)
    size_t m_uiIndentLen = 0;          // length of the current indentation
    std::string m_strIndentPad;        // indentation units repeated, 32 bytes longer than the indentation
    std::string m_strUnit;             // one indentation level
    std::vector<uint32_t> &m_rEnds;    // end offsets of measured element texts
    std::string &m_rScratch;           // element texts of an array that turned multi-line
    bool &m_rCollect;                  // measuring an array's elements
    unsigned int m_uiLimit;            // single-line array width limit
    std::ostream *m_pStream = nullptr; // null for the string writer
    bool *m_pSameLine = nullptr;       // stream writer: the indentation just written continues
    uint64_t m_ullSameLineAt = 0;      // stream writer: where that indentation ended
    uint64_t m_ullFlushed = 0;         // stream writer: bytes already handed to the stream
    char m_cFlushedLast = 0;           // stream writer: last byte handed to the stream
    const CFields *m_pRoot = nullptr;  // the field being written
    bool m_bCommentFailed = false;     // a comment would not read back: the output is dropped
    const char *m_cpSavingFn;          // name of the saving call, for comment errors
    const char *m_cpUnindentFn;        // names of the indentation error
    int m_nUnindentLine;
    unsigned char m_ucSIS = 0;
    bool m_bSpacing = false;
    bool m_bComments = false;
    bool m_bOneLineArrays = false;
};

} // namespace vexl::detail
