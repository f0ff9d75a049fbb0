#pragma once
// Output buffer and appending text forms of values, used on the writers' hot paths. The
// results are byte for byte those of the public `ToString` and `ToQuotedEscapeString` forms.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "util/short_copy.h"
#include "vexl/fields.h"

namespace vexl::detail {

/// Appends to a caller's std::string through a raw pointer. While the buffer is in use the
/// string is longer than the text written (its tail is room, not text); `finish` trims it to
/// the text. Writers reserve the worst case of an item, write it with plain stores and commit
/// the end pointer.
class COutBuf {
public:
    /// Writes after the current content of `str`.
    explicit COutBuf(std::string &str) noexcept
        : m_rStr(str), m_pBegin(str.data()), m_pCur(str.data() + str.size()),
          m_pEnd(str.data() + str.size()) {}
    COutBuf(const COutBuf &) = delete;
    COutBuf &operator=(const COutBuf &) = delete;
    ~COutBuf() { finish(); }

    /// Room for at least `n` more bytes; returns where the next byte goes.
    char *reserve(size_t n) {
        if (size_t(m_pEnd - m_pCur) < n)
            grow(n);
        return m_pCur;
    }
    /// Marks the bytes up to `end` (from the last `reserve`) as written.
    void commit(char *end) noexcept { m_pCur = end; }

    void put(char c) {
        if (m_pCur == m_pEnd)
            grow(1);
        *m_pCur++ = c;
    }
    void append(const char *text, size_t n) {
        copyShort(reserve(n), text, n);
        m_pCur += n;
    }
    void append(const std::string &text) { append(text.data(), text.size()); }

    size_t size() const noexcept { return size_t(m_pCur - m_pBegin); }
    bool empty() const noexcept { return m_pCur == m_pBegin; }
    char back() const noexcept { return m_pCur[-1]; }
    const char *data() const noexcept { return m_pBegin; }
    /// Drops the text after `size` bytes.
    void truncate(size_t size) noexcept { m_pCur = m_pBegin + size; }
    /// Inserts one byte at `at`, moving the text after it.
    void insert(size_t at, char c) {
        reserve(1);
        std::memmove(m_pBegin + at + 1, m_pBegin + at, size() - at);
        m_pBegin[at] = c;
        ++m_pCur;
    }
    /// Trims the string to the text written.
    void finish() { m_rStr.resize(size()); }

private:
    void grow(size_t n);

    std::string &m_rStr;
    char *m_pBegin; // the string's bytes
    char *m_pCur;   // where the next byte goes
    char *m_pEnd;   // end of the room (the string's size)
};

/// Starts loading the children or the bytes of a field that is about to be written: a tree
/// walk spends much of its time waiting for these blocks. The first lines of a children block
/// are asked for, where the header and the first children lie.
inline void prefetchField(const CFields *field) noexcept {
    const E_DataType t = field->getDT();
    if (t == DT_array || t == DT_fields) {
        const char *p = reinterpret_cast<const char *>(field->getValueRef().m_pFV);
        __builtin_prefetch(p);
        __builtin_prefetch(p + 64);
        __builtin_prefetch(p + 128);
    } else if (t == DT_codelist) {
        __builtin_prefetch(field->getValueRef().m_cpValue);
    }
}

/// Starts loading the nodes from `begin` to `end` (at most 1 KiB of them) beyond the first three
/// lines, before a writer walks them one by one.
inline void prefetchNodes(const CFields *begin, const CFields *end) noexcept {
    const char *p = reinterpret_cast<const char *>(begin);
    const char *l_pEnd = reinterpret_cast<const char *>(end);
    if (l_pEnd - p > 1024)
        l_pEnd = p + 1024;
    for (p += 192; p < l_pEnd; p += 64)
        __builtin_prefetch(p);
}

/// Appends `length` bytes of `text` in double quotes with the escapes of the notation:
/// \b \t \n \f \r \" \\ and "\xHH" (upper-case) for every other byte below 0x20 or above 0x7E,
/// zero bytes included. `text` need not be zero-terminated.
void appendQuotedEscaped(COutBuf &out, const char *text, size_t length);

/// Appends 17 significant digits of `value` ("%.17g" in the "C" locale); NaN "null",
/// infinities "1e+9999" and "-1e+9999".
void appendDouble(COutBuf &out, double value);

/// Appends the decimal digits of `value`, with "-" in front of negative values.
void appendSint(COutBuf &out, long long value);

/// Appends the decimal digits of `value`.
void appendUint(COutBuf &out, unsigned long long value);

/// The same forms appended to a plain string.
void appendQuotedEscaped(std::string &out, const char *text, size_t length);
void appendDouble(std::string &out, double value);
void appendSint(std::string &out, long long value);
void appendUint(std::string &out, unsigned long long value);

} // namespace vexl::detail
