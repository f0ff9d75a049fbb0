#pragma once
// A small, strict reference reader for the tests: JSON text to a plain value, and an equality
// that compares numbers exactly. It shares no code with the library, so a round trip checked
// with it does not depend on the code under test agreeing with itself.

#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexl_test {

struct tRefValue {
    enum E_Kind { RK_null, RK_bool, RK_number, RK_string, RK_array, RK_object } eKind = RK_null;
    bool bValue = false;
    std::string strText;                                       // string (decoded bytes) or number token
    std::vector<std::pair<std::string, tRefValue>> vecMembers; // array elements have empty keys
};

class CRefReader {
public:
    explicit CRefReader(std::string_view text) : m_sv(text) {}
    std::optional<tRefValue> read() {
        tRefValue v;
        if (!value(v, 0))
            return std::nullopt;
        blanks();
        if (m_u != m_sv.size())
            return std::nullopt;
        return v;
    }

private:
    void blanks() {
        while (m_u < m_sv.size() &&
               (m_sv[m_u] == ' ' || m_sv[m_u] == '\t' || m_sv[m_u] == '\n' || m_sv[m_u] == '\r'))
            ++m_u;
    }
    bool lit(const char *word) {
        const std::string_view w(word);
        if (m_sv.substr(m_u, w.size()) != w)
            return false;
        m_u += w.size();
        return true;
    }
    static void utf8(std::string &out, unsigned cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    bool hex4(unsigned &cp) {
        if (m_u + 4 > m_sv.size())
            return false;
        cp = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_sv[m_u++];
            cp <<= 4;
            if (c >= '0' && c <= '9')
                cp |= unsigned(c - '0');
            else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
                cp |= unsigned((c | 0x20) - 'a' + 10);
            else
                return false;
        }
        return true;
    }
    bool string(std::string &out) {
        if (m_u >= m_sv.size() || m_sv[m_u] != '"')
            return false;
        ++m_u;
        while (m_u < m_sv.size()) {
            const char c = m_sv[m_u++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_u >= m_sv.size())
                return false;
            const char e = m_sv[m_u++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned cp;
                if (!hex4(cp))
                    return false;
                if (cp >= 0xD800 && cp < 0xDC00) {
                    unsigned lo;
                    if (!lit("\\u") || !hex4(lo) || lo < 0xDC00 || lo > 0xDFFF)
                        return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                } else if (cp >= 0xDC00 && cp < 0xE000) {
                    return false;
                }
                utf8(out, cp);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }
    bool number(std::string &out) {
        const size_t start = m_u;
        auto digits = [&] {
            const size_t s = m_u;
            while (m_u < m_sv.size() && m_sv[m_u] >= '0' && m_sv[m_u] <= '9')
                ++m_u;
            return m_u - s;
        };
        if (m_u < m_sv.size() && m_sv[m_u] == '-')
            ++m_u;
        const size_t intStart = m_u;
        const size_t n = digits();
        if (n == 0 || (n > 1 && m_sv[intStart] == '0'))
            return false;
        if (m_u < m_sv.size() && m_sv[m_u] == '.') {
            ++m_u;
            if (digits() == 0)
                return false;
        }
        if (m_u < m_sv.size() && (m_sv[m_u] == 'e' || m_sv[m_u] == 'E')) {
            ++m_u;
            if (m_u < m_sv.size() && (m_sv[m_u] == '+' || m_sv[m_u] == '-'))
                ++m_u;
            if (digits() == 0)
                return false;
        }
        out = std::string(m_sv.substr(start, m_u - start));
        return true;
    }
    bool value(tRefValue &v, int depth) {
        if (depth > 2000)
            return false;
        blanks();
        if (m_u >= m_sv.size())
            return false;
        const char c = m_sv[m_u];
        if (c == '{' || c == '[') {
            v.eKind = c == '{' ? tRefValue::RK_object : tRefValue::RK_array;
            const char close = c == '{' ? '}' : ']';
            ++m_u;
            blanks();
            if (m_u < m_sv.size() && m_sv[m_u] == close) {
                ++m_u;
                return true;
            }
            for (;;) {
                std::pair<std::string, tRefValue> member;
                if (c == '{') {
                    blanks();
                    if (!string(member.first))
                        return false;
                    blanks();
                    if (!lit(":"))
                        return false;
                }
                if (!value(member.second, depth + 1))
                    return false;
                v.vecMembers.push_back(std::move(member));
                blanks();
                if (lit(","))
                    continue;
                return m_u < m_sv.size() && m_sv[m_u++] == close;
            }
        }
        if (c == '"') {
            v.eKind = tRefValue::RK_string;
            return string(v.strText);
        }
        if (lit("true") || lit("false")) {
            v.eKind = tRefValue::RK_bool;
            v.bValue = c == 't';
            return true;
        }
        if (lit("null"))
            return true;
        v.eKind = tRefValue::RK_number;
        return number(v.strText);
    }

    std::string_view m_sv;
    size_t m_u = 0;
};

// An integer token that fits 64 bits (signed or unsigned); "-0" does not count.
inline bool isExactInteger(const std::string &t) {
    if (t.find_first_of(".eE") != std::string::npos || t == "-0")
        return false;
    if (t[0] == '-') {
        long long v;
        return std::from_chars(t.data(), t.data() + t.size(), v).ec == std::errc();
    }
    unsigned long long v;
    return std::from_chars(t.data(), t.data() + t.size(), v).ec == std::errc();
}

// The nearest double, with infinity beyond the range and zero below it.
inline double refDouble(const std::string &t) {
    double d = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (r.ec == std::errc::result_out_of_range) {
        const size_t e = t.find_first_of("eE");
        const bool big = e != std::string::npos ? t[e + 1] != '-' : true;
        d = big ? std::numeric_limits<double>::infinity() : 0.0;
        if (t[0] == '-')
            d = -d;
    }
    return d;
}

// Equal as JSON values: same structure, member order and keys, string bytes, and numbers: an
// integer that fits 64 bits must come back as the same integer; any other number as the same
// double (sign of zero included).
inline bool refEqual(const tRefValue &a, const tRefValue &b, std::string &where) {
    if (a.eKind != b.eKind) {
        where = "kind";
        return false;
    }
    switch (a.eKind) {
    case tRefValue::RK_null:
        return true;
    case tRefValue::RK_bool:
        return a.bValue == b.bValue || (where = "bool", false);
    case tRefValue::RK_string:
        return a.strText == b.strText || (where = "string " + a.strText, false);
    case tRefValue::RK_number: {
        if (isExactInteger(a.strText) || isExactInteger(b.strText))
            return a.strText == b.strText || (where = "integer " + a.strText + " vs " + b.strText, false);
        const double x = refDouble(a.strText), y = refDouble(b.strText);
        return (x == y && std::signbit(x) == std::signbit(y)) ||
               (where = "number " + a.strText + " vs " + b.strText, false);
    }
    case tRefValue::RK_array:
    case tRefValue::RK_object:
        if (a.vecMembers.size() != b.vecMembers.size()) {
            where = "size";
            return false;
        }
        for (size_t i = 0; i < a.vecMembers.size(); ++i) {
            if (a.vecMembers[i].first != b.vecMembers[i].first) {
                where = "key " + a.vecMembers[i].first;
                return false;
            }
            if (!refEqual(a.vecMembers[i].second, b.vecMembers[i].second, where)) {
                where = "[" + std::to_string(i) + "] " + where;
                return false;
            }
        }
        return true;
    }
    return false;
}

} // namespace vexl_test
