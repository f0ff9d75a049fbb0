// CSaver4BER_BASIC: writes a field tree as a binary document (layout in vexf_format.h).
//
// The body is produced in two passes over the tree with the same record emitter: the first
// only counts bytes and runs every check (so a tree the reader would refuse fails before any
// byte is written), the second writes into a body buffer sized exactly once. The exact size
// means the buffer never reallocates while plain text is written into it, so the final wipe
// reaches every copy of the plain body (a growing string would leave copies behind).

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

// Why the emitter stopped.
enum class E_EmitError { None, UnknownType, RefusedPEI, TooDeep };

// Walks the tree in record order and hands every byte to `Sink`: `CByteCounter` (first pass,
// checks on) or `CByteWriter` (second pass into the sized body).
template <class Sink> class CRecordEmitter {
public:
    CRecordEmitter(Sink &sink, unsigned char sis, bool dualValue) noexcept
        : m_sink(sink), m_ucSIS(sis), m_bDualValue(dualValue) {}

    // False when a check failed; `error`, `errorType` and `errorText` then say why.
    bool emit(const CFields &field, uint32_t depth) {
        if (depth > detail::kVexfDepthLimit)
            return fail(E_EmitError::TooDeep);
        const E_DataType l_eType = field.getDT();
        if (l_eType == DT_array || l_eType == DT_fields) {
            m_sink.byte(uint8_t(l_eType));
            m_sink.u32((m_ucSIS & SIS_ID) ? field.getID() : 0);
            m_sink.u32(field.getChildCount());
            nameAndComments(field);
            for (const CFields &l_child : field)
                if (!emit(l_child, depth + 1))
                    return false;
            return true;
        }
        const tValuePlan l_plan = planValue(field, m_ucSIS, m_bDualValue);
        if (Sink::kChecks) {
            if (!CFields::isValidDT(l_plan.eType)) {
                errorType = unsigned(l_plan.eType);
                return fail(E_EmitError::UnknownType);
            }
            if ((errorText = detail::checkStoredPEI(l_plan.tPEI)) != nullptr)
                return fail(E_EmitError::RefusedPEI);
        }
        m_sink.byte(uint8_t(l_plan.eType));
        m_sink.u32((m_ucSIS & SIS_ID) ? field.getID() : 0);
        m_sink.bytes(&l_plan.tPEI, sizeof l_plan.tPEI); // uSKI and uLength are held little-endian
        nameAndComments(field);
        value(field, l_plan);
        return true;
    }

    E_EmitError error = E_EmitError::None;
    unsigned errorType = 0;
    const char *errorText = nullptr;

private:
    bool fail(E_EmitError why) noexcept {
        error = why;
        return false;
    }

    void nameAndComments(const CFields &field) {
        const unsigned l_uiName = (m_ucSIS & SIS_NAME) ? field.getNameLen() : 0;
        m_sink.byte(uint8_t(l_uiName));
        m_sink.bytes(field.getName(), l_uiName);
        const bool l_bComments = (m_ucSIS & SIS_COMMENT) && field.isComment();
        for (E_CommentPosition l_ePos : {CP_Ahead, CP_Behind, CP_Tail}) {
            const unsigned l_uiLen = l_bComments ? field.getCommentLen(l_ePos) : 0;
            m_sink.u32(l_uiLen);
            m_sink.bytes(field.getCommentPtr(l_ePos), l_uiLen);
        }
    }

    void value(const CFields &field, const tValuePlan &plan) {
        if (!(m_ucSIS & SIS_VALUE)) {
            m_sink.u32(0);
            return;
        }
        const uMultiValue &l_uValue = field.getValueRef(plan.eSlot);
        switch (plan.eType) {
        case DT_bool:
            m_sink.u32(1);
            m_sink.byte(l_uValue.m_bValue ? 1 : 0);
            break;
        case DT_sint:
        case DT_uint:
        case DT_double:
            m_sink.u32(detail::kNumberBytes);
            m_sink.u64(l_uValue.m_ullValue); // the raw 64 bits, a double's included
            break;
        case DT_codelist: {
            const char *l_cpData = nullptr;
            const unsigned l_uiLen = field.getCodePoint(&l_cpData, plan.eSlot);
            m_sink.u32(l_uiLen);
            m_sink.bytes(l_cpData, l_uiLen);
            break;
        }
        default: // DT_null
            m_sink.u32(0);
            break;
        }
    }

    Sink &m_sink;
    const unsigned char m_ucSIS;
    const bool m_bDualValue;
};

// First pass: counts the body's bytes.
struct CByteCounter {
    static constexpr bool kChecks = true;
    size_t uiSize = 0;
    void byte(uint8_t) noexcept { uiSize += 1; }
    void u32(uint32_t) noexcept { uiSize += 4; }
    void u64(uint64_t) noexcept { uiSize += 8; }
    void bytes(const void *, size_t n) noexcept { uiSize += n; }
};

// Second pass: writes into a buffer the first pass sized.
struct CByteWriter {
    static constexpr bool kChecks = false;
    unsigned char *pCur;
    void byte(uint8_t v) noexcept { *pCur++ = v; }
    void u32(uint32_t v) noexcept {
        storeU32(pCur, v);
        pCur += 4;
    }
    void u64(uint64_t v) noexcept {
        storeU64(pCur, v);
        pCur += 8;
    }
    void bytes(const void *p, size_t n) noexcept {
        if (n != 0)
            std::memcpy(pCur, p, n);
        pCur += n;
    }
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
    // The plain body never outlives the call.
    detail::secureWipe(m_strBody.data(), m_strBody.size());
    m_strBody.clear();
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
    const bool l_bDual = BC32_Check(SCBC_DUAL_VALUE);

    CByteCounter l_tCounter;
    CRecordEmitter<CByteCounter> l_tSizer(l_tCounter, m_ucSIS, l_bDual);
    if (!l_tSizer.emit(field, 0)) {
        switch (l_tSizer.error) {
        case E_EmitError::UnknownType:
            setUserError(kErrParameter, "[%s#%d] Unknown data type(%u)", l_szFn, __LINE__,
                         l_tSizer.errorType);
            break;
        case E_EmitError::RefusedPEI:
            setUserError(kErrParameter, "[%s#%d] %s", l_szFn, __LINE__, l_tSizer.errorText);
            break;
        default:
            setUserError(kErrParameter, "[%s#%d] Exceeded s_cnStackDepthLimit", l_szFn, __LINE__);
            break;
        }
        return false;
    }
    // loadit counts a document in 32 bits: a longer one could never be read back.
    const unsigned l_uiType = static_cast<unsigned char>(m_strOutput[11]);
    const size_t l_uiStored = detail::encryptedSize(l_uiType, l_tCounter.uiSize, false);
    if (l_uiStored == 0 || l_uiStored > UINT_MAX - m_strOutput.size()) {
        setUserError(kErrParameter, "[%s#%d] Very longer VEXF document size(%u)", l_szFn, __LINE__,
                     clampU32(l_tCounter.uiSize));
        return false;
    }

    m_strBody.resize(l_tCounter.uiSize);
    CByteWriter l_tWriter{reinterpret_cast<unsigned char *>(m_strBody.data())};
    CRecordEmitter<CByteWriter> l_tEmitter(l_tWriter, m_ucSIS, l_bDual);
    l_tEmitter.emit(field, 0);
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
