// CSaver4BER_BASIC: writes a field tree as a binary document (layout in vexf_format.h).
//
// The plain body is written in one pass over the tree, which also runs every check of the reader
// (so a tree the reader would refuse fails with a user error instead of a document that can never
// be read). It goes into the saver's body buffer, which keeps its capacity between calls and grows
// by copying into a larger buffer and wiping the old one, so that no copy of the plain body is
// left behind in freed memory; after the transform the body is wiped.

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "binary/vexf_format.h"
#include "cipher/transform.h"
#include "packet/internal_keywords.h"
#include "vexl/savers.h"

namespace vexl {

namespace {

using detail::storeU16;
using detail::storeU32;
using detail::storeU64;

// Error codes of the writer (the fixed table's rows whose text fits each failure).
constexpr int kErrParameter = -991;     // "[SYS] Invalid parameter": what the tree or call asks is refused
constexpr int kErrMemory = -993;        // "[SYS] Invalid memory"
constexpr int kErrPasswordLong = -1295; // "[AUTH] The password was too long"
constexpr int kErrKey = -1500;          // "[SEC] Failed to set the key"
constexpr int kErrEncrypt = -1499;      // "[SEC] Failed to the data encryption"
constexpr int kErrDecrypt = -1498;      // "[SEC] Failed to the data decryption"

// What the value record of a scalar field carries.
struct tValuePlan {
    E_DataType eType;    // the type byte
    tPacketExpInfo tPEI; // the expression as written
    E_ValueKind eSlot;   // the slot whose value is written
};

// The packet expression (SIS 0x08) and value slot of a scalar field. A "fix"/"valid" keyword on a
// field whose second value differs from its actual value: with SCBC 0x08 the record carries the
// second value (a field without a second value keeps its actual value, which would otherwise be
// lost); without it the keyword is dropped from the written expression.
tValuePlan planValue(const CFields &field, unsigned char sis, bool dualValue) noexcept {
    tValuePlan l_plan{field.getDT(), tPacketExpInfo{}, VK_Actual};
    if (!(sis & SIS_PKTEXP))
        return l_plan;
    l_plan.tPEI = field.pkt_GetExp();
    const unsigned l_uiSKI = l_plan.tPEI.uSKI();
    if (l_plan.tPEI.uSkiKind() == 0 && (l_uiSKI == detail::IKW_fix || l_uiSKI == detail::IKW_valid) &&
        !field.isEqualDualValue()) {
        if (!dualValue) {
            l_plan.tPEI.setSKI(0);
        } else if (field.getDT(VK_Fixed) != DT_null) {
            l_plan.eSlot = VK_Fixed;
            l_plan.eType = field.getDT(VK_Fixed);
        }
    }
    return l_plan;
}

// Why the record writer stopped.
enum class E_EmitError { None, UnknownType, RefusedPEI, TooDeep };

// Writes into the body buffer through a raw cursor. Between calls the buffer stays at its full size
// (wiped to zeros), so a call neither allocates nor clears it; `finish` trims it to the bytes
// written. Growing copies into a larger buffer and wipes the old one first.
class CBodyBuffer {
public:
    explicit CBodyBuffer(std::string &body) noexcept
        : m_rBody(body), m_pBase(reinterpret_cast<unsigned char *>(body.data())), m_uiCap(body.size()) {}

    /// At least `n` writable bytes at the cursor.
    unsigned char *room(size_t n) {
        if (m_uiCap - m_uiUsed < n)
            grow(n);
        return m_pBase + m_uiUsed;
    }
    /// Moves the cursor past `n` bytes written at `room`.
    void commit(size_t n) noexcept { m_uiUsed += n; }
    void append(const void *p, size_t n) {
        std::memcpy(room(n), p, n);
        m_uiUsed += n;
    }
    /// Gives the body its written length.
    void finish() { m_rBody.resize(m_uiUsed); }

private:
    void grow(size_t n) {
        size_t l_uiWant = m_uiCap * 2;
        if (l_uiWant < m_uiUsed + n)
            l_uiWant = m_uiUsed + n;
        if (l_uiWant < 4096)
            l_uiWant = 4096;
        std::string l_strBigger(l_uiWant, '\0');
        std::memcpy(l_strBigger.data(), m_pBase, m_uiUsed);
        detail::secureWipe(m_pBase, m_uiUsed);
        m_rBody.swap(l_strBigger); // the old buffer, wiped, goes with l_strBigger
        m_pBase = reinterpret_cast<unsigned char *>(m_rBody.data());
        m_uiCap = l_uiWant;
    }

    std::string &m_rBody;
    unsigned char *m_pBase;
    size_t m_uiCap;
    size_t m_uiUsed = 0;
};

// Room for the fixed parts of a record around its name: the longest head, the longest name, three
// empty comments and a number value.
constexpr size_t kRecordRoom =
    detail::kValueHead + 255 + detail::kCommentHeads + detail::kValueLengthSize + detail::kNumberBytes;

// Writes the records of a tree in order, checking each field as the reader will.
class CRecordWriter {
public:
    CRecordWriter(std::string &body, unsigned char sis, bool dualValue) noexcept
        : m_tOut(body), m_ucSIS(sis), m_bDualValue(dualValue) {}

    // False when a check failed; `error`, `errorType` and `errorText` then say why.
    bool write(const CFields &field, uint32_t depth) {
        if (depth > detail::kVexfDepthLimit)
            return fail(E_EmitError::TooDeep);
        const E_DataType l_eType = field.getDT();
        if (l_eType == DT_array || l_eType == DT_fields) {
            unsigned char *p = m_tOut.room(kRecordRoom);
            p[0] = uint8_t(l_eType);
            storeU32(p + 1, (m_ucSIS & SIS_ID) ? field.getID() : 0);
            storeU32(p + 5, field.getChildCount());
            nameAndComments(field, p + 9);
            for (const CFields &l_child : field)
                if (!write(l_child, depth + 1))
                    return false;
            return true;
        }
        const tValuePlan l_plan = planValue(field, m_ucSIS, m_bDualValue);
        if (!CFields::isValidDT(l_plan.eType)) {
            errorType = unsigned(l_plan.eType);
            return fail(E_EmitError::UnknownType);
        }
        if (!CFields::pkt_IsNullExp(l_plan.tPEI) &&
            (errorText = detail::checkStoredPEI(l_plan.tPEI)) != nullptr)
            return fail(E_EmitError::RefusedPEI);
        unsigned char *p = m_tOut.room(kRecordRoom);
        p[0] = uint8_t(l_plan.eType);
        storeU32(p + 1, (m_ucSIS & SIS_ID) ? field.getID() : 0);
        std::memcpy(p + 5, &l_plan.tPEI, sizeof l_plan.tPEI); // uSKI and uLength held little-endian
        nameAndComments(field, p + 15);
        value(field, l_plan);
        return true;
    }

    E_EmitError error = E_EmitError::None;
    unsigned errorType = 0;
    const char *errorText = nullptr;

    void finish() { m_tOut.finish(); }

private:
    bool fail(E_EmitError why) noexcept {
        error = why;
        return false;
    }

    // From the name length byte at `p` (inside the room of the record head): the name and the
    // comments.
    void nameAndComments(const CFields &field, unsigned char *p) {
        const unsigned l_uiName = (m_ucSIS & SIS_NAME) ? field.getNameLen() : 0;
        *p++ = uint8_t(l_uiName);
        if (l_uiName != 0) {
            std::memcpy(p, field.getName(), l_uiName);
            p += l_uiName;
        }
        unsigned char *const l_pBase = m_tOut.room(0);
        if (!(m_ucSIS & SIS_COMMENT) || !field.isComment()) {
            std::memset(p, 0, detail::kCommentHeads);
            m_tOut.commit(size_t(p - l_pBase) + detail::kCommentHeads);
            return;
        }
        m_tOut.commit(size_t(p - l_pBase));
        for (E_CommentPosition l_ePos : {CP_Ahead, CP_Behind, CP_Tail}) {
            const unsigned l_uiLen = field.getCommentLen(l_ePos);
            unsigned char l_aucLen[4];
            storeU32(l_aucLen, l_uiLen);
            m_tOut.append(l_aucLen, sizeof l_aucLen);
            if (l_uiLen != 0)
                m_tOut.append(field.getCommentPtr(l_ePos), l_uiLen);
        }
    }

    void value(const CFields &field, const tValuePlan &plan) {
        unsigned char *p = m_tOut.room(detail::kValueLengthSize + detail::kNumberBytes);
        if (!(m_ucSIS & SIS_VALUE)) {
            storeU32(p, 0);
            m_tOut.commit(detail::kValueLengthSize);
            return;
        }
        const uMultiValue &l_uValue = field.getValueRef(plan.eSlot);
        switch (plan.eType) {
        case DT_bool:
            storeU32(p, 1);
            p[4] = l_uValue.m_bValue ? 1 : 0;
            m_tOut.commit(detail::kValueLengthSize + 1);
            break;
        case DT_sint:
        case DT_uint:
        case DT_double:
            storeU32(p, detail::kNumberBytes);
            storeU64(p + 4, l_uValue.m_ullValue); // the raw 64 bits, a double's included
            m_tOut.commit(detail::kValueLengthSize + detail::kNumberBytes);
            break;
        case DT_codelist: {
            const char *l_cpData = nullptr;
            const unsigned l_uiLen = field.getCodePoint(&l_cpData, plan.eSlot);
            storeU32(p, l_uiLen);
            m_tOut.commit(detail::kValueLengthSize);
            if (l_uiLen != 0)
                m_tOut.append(l_cpData, l_uiLen);
            break;
        }
        default: // DT_null
            storeU32(p, 0);
            m_tOut.commit(detail::kValueLengthSize);
            break;
        }
    }

    CBodyBuffer m_tOut;
    const unsigned char m_ucSIS;
    const bool m_bDualValue;
};

unsigned clampU32(size_t v) noexcept {
    return v > UINT_MAX ? UINT_MAX : unsigned(v);
}

} // namespace

CSaver4BER_BASIC::~CSaver4BER_BASIC() = default;

std::string CSaver4BER_BASIC::saving(const CFields &root, unsigned char sis, const char *password) {
    m_ucSIS = sis;
    m_strOutput.clear();
    bool l_bOk = false;
    try {
        l_bOk = writeHeader(password) && makeField(root) && writeField();
    } catch (const std::bad_alloc &) {
        setUserError(kErrMemory, "[%s#%d] Failed to create the VEXF document memory",
                     "vexl::CSaver4BER_BASIC::saving", __LINE__);
    }
    // The plain body never outlives the call. The buffer keeps its full size, all zeros, for the
    // next call.
    detail::secureWipe(m_strBody.data(), m_strBody.size());
    m_strBody.resize(m_strBody.capacity());
    if (!l_bOk) {
        m_strOutput.clear();
        return std::string();
    }
    return std::move(m_strOutput);
}

bool CSaver4BER_BASIC::writeHeader(const char *password) {
    const char *const l_szFn = "vexl::CSaver4BER_BASIC::writeHeader";
    const size_t l_uiPwLen = password != nullptr ? std::strlen(password) : 0;
    unsigned char l_aucBlock[detail::kMaxPasswordBlock];
    size_t l_uiBlockLen = 0;
    uint8_t l_ucType = detail::CT_VERNAM;
    if (l_uiPwLen != 0) {
        const size_t l_uiEncoded = l_uiPwLen / 3 * 4 + (l_uiPwLen % 3 != 0 ? 4 : 0);
        if (l_uiEncoded > detail::kMaxPasswordBlock) {
            setUserError(kErrPasswordLong,
                         "[%s#%d] Very longer password length detected before encryption(%u)", l_szFn,
                         __LINE__, clampU32(l_uiEncoded));
            return false;
        }
        l_uiBlockLen = detail::encodePasswordBlock(password, l_uiPwLen, l_aucBlock);
        if (l_uiBlockLen == 0) {
            setUserError(kErrEncrypt, "[%s#%d] Failed to the password encryption(PW=[%s],retval=%u)", l_szFn,
                         __LINE__, password, 0u);
            return false;
        }
        if (l_uiBlockLen > detail::kMaxPasswordBlock) {
            setUserError(kErrPasswordLong,
                         "[%s#%d] Very longer password length detected after encryption(%u)", l_szFn,
                         __LINE__, clampU32(l_uiBlockLen));
            return false;
        }
        // Only one cipher exists: a stored crypt type other than 0 is treated as 0 (SEED).
        l_ucType = uint8_t(0 + detail::CT_SEED);
    }

    detail::tVexfHeader l_tHeader;
    std::memcpy(l_tHeader.aucMagic, detail::kVexfMagic, sizeof l_tHeader.aucMagic);
    storeU32(l_tHeader.aucVersion, detail::kVexfVersion);
    storeU16(l_tHeader.aucHeaderSize, detail::kVexfHeaderSize);
    l_tHeader.ucOrderAndRule = detail::kVexfOrderAndRule;
    l_tHeader.ucCryptType = l_ucType;
    l_tHeader.ucPasswordLen = uint8_t(l_uiBlockLen);
    try {
        m_strOutput.reserve(detail::kVexfHeaderSize + l_uiBlockLen);
    } catch (const std::bad_alloc &) {
        setUserError(kErrMemory, "[%s#%d] Failed to create the VEXF-header memory", l_szFn, __LINE__);
        return false;
    }
    m_strOutput.append(reinterpret_cast<const char *>(&l_tHeader), sizeof l_tHeader);
    m_strOutput.append(reinterpret_cast<const char *>(l_aucBlock), l_uiBlockLen);
    return true;
}

bool CSaver4BER_BASIC::makeField(const CFields &field) {
    const char *const l_szFn = "vexl::CSaver4BER_BASIC::makeField";
    CRecordWriter l_tWriter(m_strBody, m_ucSIS, BC32_Check(SCBC_DUAL_VALUE));
    if (!l_tWriter.write(field, 0)) {
        switch (l_tWriter.error) {
        case E_EmitError::UnknownType:
            setUserError(kErrParameter, "[%s#%d] Unknown data type(%u)", l_szFn, __LINE__,
                         l_tWriter.errorType);
            break;
        case E_EmitError::RefusedPEI:
            setUserError(kErrParameter, "[%s#%d] %s", l_szFn, __LINE__, l_tWriter.errorText);
            break;
        default:
            setUserError(kErrParameter, "[%s#%d] Exceeded s_cnStackDepthLimit", l_szFn, __LINE__);
            break;
        }
        return false;
    }
    l_tWriter.finish();
    // loadit counts a document in 32 bits: a longer one could never be read back.
    const unsigned l_uiType = static_cast<unsigned char>(m_strOutput[11]);
    const size_t l_uiStored = detail::encryptedSize(l_uiType, m_strBody.size(), false);
    if (l_uiStored == 0 || l_uiStored > UINT_MAX - m_strOutput.size()) {
        setUserError(kErrParameter, "[%s#%d] Very longer VEXF document size(%u)", l_szFn, __LINE__,
                     clampU32(m_strBody.size()));
        return false;
    }
    return true;
}

bool CSaver4BER_BASIC::writeField() {
    const char *const l_szFn = "vexl::CSaver4BER_BASIC::writeField";
    const auto *l_pHeader = reinterpret_cast<const unsigned char *>(m_strOutput.data());
    const unsigned l_uiType = l_pHeader[11];
    const size_t l_uiBlockLen = l_pHeader[12];

    // The key is the password as the header stores it.
    unsigned char l_aucPassword[detail::kMaxPasswordLen];
    size_t l_uiPwLen = 0;
    if (l_uiBlockLen != 0) {
        l_uiPwLen =
            detail::decodePasswordBlock(l_pHeader + detail::kVexfHeaderSize, l_uiBlockLen, l_aucPassword);
        if (l_uiPwLen == 0) {
            setUserError(kErrDecrypt, "[%s#%d] Failed to the password decryption(retval=%u)", l_szFn,
                         __LINE__, 0u);
            return false;
        }
    } else if (l_uiType != detail::CT_VERNAM) {
        setUserError(kErrKey, "[%s#%d] '%s' encryption need the key", l_szFn, __LINE__,
                     detail::cryptTypeName(l_uiType));
        return false;
    }

    const size_t l_uiPlain = m_strBody.size();
    const size_t l_uiSize = detail::encryptedSize(l_uiType, l_uiPlain, false);
    size_t l_uiDone = 0;
    if (l_uiSize != 0) {
        const size_t l_uiStart = m_strOutput.size();
        m_strOutput.resize(l_uiStart + l_uiSize);
        l_uiDone =
            detail::encryptInto(l_uiType, m_strBody.data(), l_uiPlain, l_aucPassword, l_uiPwLen,
                                reinterpret_cast<unsigned char *>(m_strOutput.data()) + l_uiStart, false);
    }
    detail::secureWipe(l_aucPassword, sizeof l_aucPassword);
    if (l_uiDone == 0) {
        setUserError(kErrEncrypt, "[%s#%d] Failed to the field encryption(ber_size=%u, retval=%u)", l_szFn,
                     __LINE__, clampU32(l_uiPlain), 0u);
        return false;
    }
    return true;
}

} // namespace vexl
