#pragma once
// Helpers of the binary document tests: saving and loading through the public classes, a
// builder of hand-made documents in either byte order, a deep tree comparison and a random tree
// generator.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "cipher/transform.h"
#include "vexl/loaders.h"
#include "vexl/savers.h"

namespace vexl_binary_test {

using vexl::CFields;

// MARK: - Saving and loading

/// The binary document of `root`; fails the test when the writer reports an error.
inline std::string save(const CFields &root, unsigned char sis = vexl::SIS_DETAIL, const char *password = "",
                        unsigned scbc = vexl::SCBC_DEFAULT) {
    vexl::CSaver4BER_BASIC saver;
    saver.setSCBC(scbc);
    std::string doc = saver.saving(root, sis, password);
    EXPECT_FALSE(saver.isError()) << saver.getLastErrMsg();
    EXPECT_FALSE(doc.empty());
    return doc;
}

/// Outcome of one load through the dispatcher.
struct tLoad {
    bool ok;
    std::string message; ///< the dispatcher's last error message
    int code;
};

inline tLoad load(const std::string &doc, CFields &root, const char *password = "",
                  unsigned lcbc = vexl::LCBC_DEFAULT) {
    vexl::CLoaders loaders(lcbc);
    const bool ok = loaders.loading(doc, root, password, true);
    return tLoad{ok, loaders.getLastErrMsg(), loaders.getLastErrCode()};
}

/// The text after a "[function#line] " prefix of `function`, or "<no prefix>".
inline std::string afterPrefix(const std::string &message, const std::string &function) {
    const std::regex form("^\\[" + function + "#[0-9]+\\] ([^]*)$");
    std::smatch m;
    if (!std::regex_match(message, m, form))
        return "<no prefix: " + message + ">";
    return m[1].str();
}

/// The message of a failed load whose only error is `text` at body offset `offset`.
inline std::string recordError(unsigned offset, const std::string &text) {
    return "* Offset " + std::to_string(offset) + "\n  " + text + "\n";
}

// MARK: - Hand-made documents

/// Builds a plain body record by record, in little- or big-endian order, and wraps it into a
/// document (header, optional password block, transformed body).
class CDocBuilder {
public:
    explicit CDocBuilder(bool bigEndian = false) : m_bBig(bigEndian) {}

    CDocBuilder &u8(unsigned v) {
        m_strBody.push_back(char(v));
        return *this;
    }
    CDocBuilder &u16(unsigned v) { return num(v, 2); }
    CDocBuilder &u32(uint64_t v) { return num(v, 4); }
    CDocBuilder &u64(uint64_t v) { return num(v, 8); }
    CDocBuilder &raw(const std::string &bytes) {
        m_strBody += bytes;
        return *this;
    }
    /// Name length and bytes.
    CDocBuilder &name(const std::string &n) { return u8(unsigned(n.size())).raw(n); }
    /// The three comments (ahead, behind, tail).
    CDocBuilder &comments(const std::string &a = "", const std::string &b = "", const std::string &t = "") {
        return u32(a.size()).raw(a).u32(b.size()).raw(b).u32(t.size()).raw(t);
    }
    /// A packet expression: code byte, width, calibration, kind/option byte, index, length.
    CDocBuilder &pei(unsigned codes = 0, unsigned width = 0, int calibration = 0, unsigned kindOpt = 0,
                     unsigned index = 0, uint32_t length = 0) {
        return u8(codes).u8(width).u8(unsigned(calibration) & 0xFF).u8(kindOpt).u16(index).u32(length);
    }
    /// Head of a container record up to its name.
    CDocBuilder &container(unsigned type, uint32_t id, uint32_t count) { return u8(type).u32(id).u32(count); }
    /// Head of a value record up to its packet expression.
    CDocBuilder &valueHead(unsigned type, uint32_t id) { return u8(type).u32(id); }
    /// A value record without expression, name or comments.
    CDocBuilder &plainValue(unsigned type, const std::string &value) {
        return valueHead(type, 0).pei().name("").comments().u32(value.size()).raw(value);
    }

    const std::string &body() const { return m_strBody; }

    /// Header bytes: "VEXF", version, size, order and rule, type, block length.
    std::string header(unsigned type, unsigned blockLen, unsigned headerSize = 13) const {
        std::string h = "VEXF";
        h += numText(0x01050000u, 4);
        h += numText(headerSize, 2);
        h.push_back(char(m_bBig ? 4 : 5));
        h.push_back(char(type));
        h.push_back(char(blockLen));
        return h;
    }

    /// The document: without password the body type-0 encoded, with one the password block and
    /// the body SEED-encrypted (the last n % 16 bytes in the clear).
    std::string document(const std::string &password = "") const {
        using namespace vexl::detail;
        std::string block;
        if (!password.empty()) {
            unsigned char b[kMaxPasswordBlock];
            block.assign(reinterpret_cast<char *>(b),
                         encodePasswordBlock(password.data(), password.size(), b));
        }
        const unsigned type = password.empty() ? CT_VERNAM : CT_SEED;
        std::string out(encryptedSize(type, m_strBody.size(), false), '\0');
        encryptInto(type, m_strBody.data(), m_strBody.size(), password.data(), password.size(),
                    reinterpret_cast<unsigned char *>(out.data()), false);
        return header(type, unsigned(block.size())) + block + out;
    }

private:
    CDocBuilder &num(uint64_t v, unsigned n) {
        m_strBody += numText(v, n);
        return *this;
    }
    std::string numText(uint64_t v, unsigned n) const {
        std::string s(n, '\0');
        for (unsigned i = 0; i < n; ++i)
            s[m_bBig ? n - 1 - i : i] = char(v >> (8 * i));
        return s;
    }

    bool m_bBig;
    std::string m_strBody;
};

/// The plain body of a document saved without password (its type-0 text decoded).
inline std::string plainBody(const std::string &doc) {
    const std::string text = doc.substr(13);
    std::string out(vexl::detail::decryptedCapacity(vexl::detail::CT_VERNAM, text.size()), '\0');
    const size_t n = vexl::detail::decryptInto(vexl::detail::CT_VERNAM, text.data(), text.size(), nullptr, 0,
                                               reinterpret_cast<unsigned char *>(out.data()));
    out.resize(n);
    return out;
}

// MARK: - Comparing trees

inline std::string bytesOf(const char *p, unsigned n) {
    return p != nullptr ? std::string(p, n) : std::string();
}

/// The value of one slot as bytes: the raw 8 bytes of numbers (so -0.0 and NaN compare exactly).
inline std::string slotBytes(const CFields &f, vexl::E_ValueKind vk) {
    switch (f.getDT(vk)) {
    case vexl::DT_bool:
        return f.getValueRef(vk).m_bValue ? "T" : "F";
    case vexl::DT_sint:
    case vexl::DT_uint:
    case vexl::DT_double:
        return std::to_string(f.getValueRef(vk).m_ullValue);
    case vexl::DT_codelist: {
        const char *p = nullptr;
        const unsigned n = f.getCodePoint(&p, vk);
        return bytesOf(p, n);
    }
    default:
        return "";
    }
}

/// Every difference in type, value, second value and kind, name, ID, comments and packet
/// expression between the two trees, as readable lines ("" when they are the same).
inline std::string treeDiff(const CFields &a, const CFields &b, const std::string &path = "root") {
    std::string d;
    auto note = [&](const char *what) { d += path + ": " + what + "\n"; };
    if (a.getDT() != b.getDT())
        return path + ": type " + std::to_string(a.getDT()) + " vs " + std::to_string(b.getDT()) + "\n";
    if (bytesOf(a.getName(), a.getNameLen()) != bytesOf(b.getName(), b.getNameLen()))
        note("name");
    if (a.getID() != b.getID())
        note("ID");
    for (auto pos : {vexl::CP_Ahead, vexl::CP_Behind, vexl::CP_Tail})
        if (a.getCommentCopy(pos) != b.getCommentCopy(pos))
            note("comment");
    if (!(a.pkt_GetExp() == b.pkt_GetExp()))
        note("packet expression");
    if (a.getVK() != b.getVK() || a.getDT(vexl::VK_Fixed) != b.getDT(vexl::VK_Fixed) ||
        slotBytes(a, vexl::VK_Fixed) != slotBytes(b, vexl::VK_Fixed))
        note("second value");
    if (a.isArray() || a.isField()) {
        if (a.getChildCount() != b.getChildCount())
            return d + path + ": child count\n";
        for (unsigned i = 0; i < a.getChildCount(); ++i)
            d += treeDiff(a.getChildAt(i), b.getChildAt(i), path + "/" + std::to_string(i));
    } else if (slotBytes(a, vexl::VK_Actual) != slotBytes(b, vexl::VK_Actual)) {
        note("value");
    }
    return d;
}

// MARK: - Random trees

/// Check-index hook of the external keywords used by the random trees: indices 1 to 20 with
/// options up to 9 are valid.
inline int checkTestKeyword(unsigned short index, unsigned char option) {
    return index >= 1 && index <= 20 && option <= 9 ? 1 : 0;
}
/// The external keyword slot of the random trees.
inline constexpr unsigned char kTestSlot = 12;

/// Registers `checkTestKeyword` in slot `kTestSlot` for the life of the object.
struct CTestHook {
    CTestHook() { vexl::CEskHooks::setCheckIdxFP4ESK(kTestSlot, checkTestKeyword); }
    ~CTestHook() { vexl::CEskHooks::setCheckIdxFP4ESK(kTestSlot, nullptr); }
};

/// Random trees with every data type, names of any bytes, IDs, comments, and packet expressions
/// with internal keywords (fix and valid with an equal second value) and hook keywords.
class CRandomTree {
public:
    explicit CRandomTree(unsigned seed) : m_rng(seed) {}

    CFields make(unsigned maxDepth = 4) {
        CFields root;
        fill(root, maxDepth, true);
        return root;
    }

private:
    unsigned pick(unsigned n) { return std::uniform_int_distribution<unsigned>(0, n - 1)(m_rng); }
    std::string bytes(unsigned n) {
        std::string s(n, '\0');
        for (char &c : s)
            c = char(pick(256));
        return s;
    }

    void decorate(CFields &f) {
        if (pick(2))
            f.setName(bytes(1 + pick(20)));
        if (pick(2))
            f.setID(1 + pick(0x7FFFFFFE));
        if (pick(3) == 0)
            f.setComment("// ahead " + std::to_string(pick(100)), vexl::CP_Ahead);
        if (pick(3) == 0)
            f.setComment("/* behind */", vexl::CP_Behind);
        if (pick(5) == 0)
            f.setComment("// tail", vexl::CP_Tail);
    }

    void fill(CFields &f, unsigned depth, bool root) {
        const unsigned kind = depth == 0 ? 3 + pick(6) : (root ? 1 + pick(2) : pick(8));
        if (kind == vexl::DT_array || kind == vexl::DT_fields) {
            f.setValue(vexl::E_DataType(kind));
            decorate(f);
            const unsigned n = pick(6); // 0 gives an empty container
            f.reserveChildren(n);
            for (unsigned i = 0; i < n; ++i) {
                CFields child;
                fill(child, depth - 1, false);
                if (kind == vexl::DT_array)
                    f.addArrayAt(child);
                else
                    f.child_AddRef(nullptr, 0, 0, true).setField(child);
            }
            return;
        }
        switch (kind) {
        case vexl::DT_null:
            f.setValue(vexl::DT_null);
            break;
        case vexl::DT_bool:
            f.setValue(pick(2) == 1);
            break;
        case vexl::DT_sint:
            f.setValue(static_cast<long long>((uint64_t(m_rng()) << 32) | m_rng()));
            break;
        case vexl::DT_uint:
            f.setValue(static_cast<unsigned long long>((uint64_t(m_rng()) << 32) | m_rng()));
            break;
        case vexl::DT_double:
            f.setValue(std::uniform_real_distribution<double>(-1e300, 1e300)(m_rng));
            break;
        default:
            if (pick(4) == 0)
                f.setValue(vexl::DT_codelist); // no data
            else
                f.setValue(bytes(pick(40)));
            break;
        }
        decorate(f);
        if (pick(3) != 0)
            f.pkt_SetExp(randomPEI());
        const tPacketExpInfo exp = f.pkt_GetExp();
        if (exp.uSkiKind() == 0 && (exp.uSKI() == 1 || exp.uSKI() == 2))
            f.setVK(exp.uSKI() == 1 ? vexl::VK_Fixed : vexl::VK_Valid); // second value equal to the actual
    }

    using tPacketExpInfo = vexl::tPacketExpInfo;
    tPacketExpInfo randomPEI() {
        tPacketExpInfo e{};
        e.setPacketCode(vexl::E_PacketExpCode(pick(2)));
        e.setRuntimeCode(vexl::E_RuntimeExpCode(pick(2)));
        const unsigned lec = pick(3);
        e.setLengthCode(vexl::E_LengthExpCode(lec));
        if (lec == vexl::LEC_VARIABLE) {
            e.uVarWidth = uint8_t(pick(10));
            e.nCalibration = int8_t(int(pick(256)) - 128);
            e.setLength(e.uVarWidth);
        } else {
            e.setLength(pick(5) == 0 ? m_rng() : pick(64));
        }
        static constexpr uint16_t kInternal[] = {1, 2, 11, 12, 13, 16, 20, 31, 36, 38};
        switch (pick(4)) {
        case 0: // internal keyword without option
            e.setSKI(kInternal[pick(sizeof kInternal / sizeof kInternal[0])]);
            break;
        case 1: // sizedef_ or sizeset_ with an option
            e.setSKI(uint16_t(3 + pick(2)));
            e.setSkiOption(1 + pick(9));
            break;
        case 2: // hook keyword
            e.setSkiKind(kTestSlot);
            e.setSKI(uint16_t(1 + pick(20)));
            e.setSkiOption(pick(10));
            break;
        default:
            break;
        }
        return e;
    }

    std::mt19937 m_rng;
};

} // namespace vexl_binary_test
