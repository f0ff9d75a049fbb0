// Error state of loaders and writers, the fixed error-code table, the exception classes and the
// helpers that format and raise internal errors.

#include "vexl/errors.h"

#include <cstdio>
#include <cstring>

namespace {

// MARK: - Fixed error table (searched in this order)

struct tFixError {
    int nCode;
    const char *szText;
};

constexpr tFixError s_aFixErrors[] = {
    {1, "[WRN] The working failed"},
    {2, "[WRN] Timeout occured"},
    {3, "[WRN] Blocking a function"},
    {0, "[OK] Succeeded"},
    {-1000, "[SYS] Fatal error"},
    {-999, "[SYS] Runtime error"},
    {-998, "[SYS] Unknown value"},
    {-997, "[SYS] Invalid value"},
    {-996, "[SYS] Bad value"},
    {-995, "[SYS] The value was not exist"},
    {-994, "[SYS] Unknown version"},
    {-993, "[SYS] Invalid memory"},
    {-992, "[SYS] The memory pointer was NULL"},
    {-991, "[SYS] Invalid parameter"},
    {-990, "[SYS] Bad parameter"},
    {-989, "[SYS] Invalid command"},
    {-988, "[SYS] Bad command"},
    {-987, "[SYS] Invalid data"},
    {-986, "[SYS] Bad data"},
    {-985, "[SYS] Could not create the thread"},
    {-984, "[SYS] Failed to close the thread"},
    {-983, "[SYS] Not exist directory"},
    {-1200, "[SOCK] WSAStartup failed"},
    {-1199, "[SOCK] Creation failed"},
    {-1198, "[SOCK] Failed to the NonBlock"},
    {-1197, "[SOCK] Failed to get the hostinfo"},
    {-1196, "[SOCK] Failed to the bind"},
    {-1195, "[SOCK] Failed to the listen"},
    {-1194, "[SOCK] Failed to the accept"},
    {-1193, "[SOCK] Failed to the connection"},
    {-1192, "[SOCK] Failed to sending the data"},
    {-1191, "[SOCK] Failed to receiving the data"},
    {-1190, "[SOCK] Failed to close"},
    {-1300, "[AUTH] The ID was not exist"},
    {-1299, "[AUTH] The ID was too short"},
    {-1298, "[AUTH] The ID was too long"},
    {-1297, "[AUTH] Invalid password"},
    {-1296, "[AUTH] The password was too short"},
    {-1295, "[AUTH] The password was too long"},
    {-1294, "[AUTH] The same account already exist"},
    {-1293, "[AUTH] Invalid domain-ID"},
    {-1292, "[AUTH] The same domain-ID already exist"},
    {-1500, "[SEC] Failed to set the key"},
    {-1499, "[SEC] Failed to the data encryption"},
    {-1498, "[SEC] Failed to the data decryption"},
    {-2000, "[NET] Unknown packet"},
    {-1999, "[NET] Fault check-sum"},
    {-1998, "[NET] Invalid CRC"},
    {-1997, "[NET] The session was not exist"},
    {-1996, "[NET] Could not make the sending packet"},
    {-1995, "[NET] "},
    {-13000, "[DB] SQL syntax error"},
};
constexpr unsigned int s_cnFixErrors = sizeof(s_aFixErrors) / sizeof(s_aFixErrors[0]);
static_assert(s_cnFixErrors == 52);

// Size of the formatting buffer of setErrMsg: at most 511 characters and the terminating zero.
constexpr size_t s_cnErrMsgBuffer = 512;

// Formats into `buffer`; false when the text is empty, does not fit, or formatting failed.
bool formatBounded(char (&buffer)[s_cnErrMsgBuffer], const char *format, va_list args) {
    va_list l_args;
    va_copy(l_args, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int l_nLen = std::vsnprintf(buffer, sizeof(buffer), format, l_args);
#pragma GCC diagnostic pop
    va_end(l_args);
    return l_nLen > 0 && size_t(l_nLen) < sizeof(buffer);
}

// Formats an internal message and cuts it to 255 characters.
std::string formatInternalVA(const char *format, va_list args) {
    if (format == nullptr)
        return std::string();
    char l_szBuf[vexl::MAX_INTERNAL_MESSAGE + 1];
    va_list l_args;
    va_copy(l_args, args);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int l_nLen = std::vsnprintf(l_szBuf, sizeof(l_szBuf), format, l_args);
#pragma GCC diagnostic pop
    va_end(l_args);
    if (l_nLen <= 0)
        return std::string();
    size_t l_uLen = size_t(l_nLen) < sizeof(l_szBuf) ? size_t(l_nLen) : vexl::MAX_INTERNAL_MESSAGE;
    return std::string(l_szBuf, l_uLen);
}

} // namespace

// MARK: - CErrorBase

CErrorBase::~CErrorBase() = default;

bool CErrorBase::setFixError(int code) {
    const char *l_szText = getFixErrorText(code);
    if (l_szText == nullptr)
        return false;
    m_nLastErrCode = code;
    m_strLastErrMsg = l_szText;
    return true;
}

bool CErrorBase::setErrMsg(const char *format, ...) {
    if (format == nullptr)
        return false;
    va_list l_args;
    va_start(l_args, format);
    bool l_bOk = setErrMsgVA(format, l_args);
    va_end(l_args);
    return l_bOk;
}

bool CErrorBase::setErrMsgVA(const char *format, va_list &args) {
    if (format == nullptr)
        return false;
    char l_szBuf[s_cnErrMsgBuffer];
    if (!formatBounded(l_szBuf, format, args))
        return false;
    m_strLastErrMsg.assign(l_szBuf);
    return true;
}

bool CErrorBase::setUserError(int code, const char *format, ...) {
    if (format == nullptr)
        return false;
    va_list l_args;
    va_start(l_args, format);
    bool l_bOk = setErrMsgVA(format, l_args);
    va_end(l_args);
    if (l_bOk)
        m_nLastErrCode = code;
    return l_bOk;
}

void CErrorBase::addErrMsg(const char *text) {
    if (text != nullptr)
        m_strLastErrMsg.append(text);
}

void CErrorBase::clearError() {
    m_nLastErrCode = 0;
    m_strLastErrMsg.clear();
}

const char *CErrorBase::getFixErrorText(int code) noexcept {
    for (const tFixError &l_row : s_aFixErrors)
        if (l_row.nCode == code)
            return l_row.szText;
    return nullptr;
}

unsigned int CErrorBase::getFixErrorCount() noexcept {
    return s_cnFixErrors;
}

bool CErrorBase::getFixErrorAt(unsigned int index, int &code, const char *&text) noexcept {
    if (index >= s_cnFixErrors)
        return false;
    code = s_aFixErrors[index].nCode;
    text = s_aFixErrors[index].szText;
    return true;
}

namespace vexl {

// MARK: - Exceptions

CException::~CException() = default;
const char *CException::what() const noexcept {
    return m_strMessage.c_str();
}
CLogicError::~CLogicError() = default;
CRuntimeError::~CRuntimeError() = default;
CPathError::~CPathError() = default;

// MARK: - Internal messages

std::string formatInternalMessage(const char *format, ...) {
    va_list l_args;
    va_start(l_args, format);
    std::string l_str = formatInternalVA(format, l_args);
    va_end(l_args);
    return l_str;
}

void raiseLogicError(const char *format, ...) {
    va_list l_args;
    va_start(l_args, format);
    std::string l_str = formatInternalVA(format, l_args);
    va_end(l_args);
    throw CLogicError(std::move(l_str));
}

void raiseRuntimeError(const char *format, ...) {
    va_list l_args;
    va_start(l_args, format);
    std::string l_str = formatInternalVA(format, l_args);
    va_end(l_args);
    throw CRuntimeError(std::move(l_str));
}

// MARK: - Console diagnostics

std::string diagnosticPrefix(int level) {
    switch (level) {
    case 0:
    case 10:
    case 20:
    case 30:
        return std::string();
    case 40:
        return "Fatal: ";
    case 50:
        return "Ohhhh jeeee: ";
    case 100:
        return "DBG: ";
    default: {
        char l_szBuf[48];
        std::snprintf(l_szBuf, sizeof(l_szBuf), "[Unknown log level %d]: ", level);
        return l_szBuf;
    }
    }
}

void printDiagnostic(int level, const char *format, ...) {
    std::string l_strPrefix = diagnosticPrefix(level);
    std::fputs(l_strPrefix.c_str(), stderr);
    if (format == nullptr)
        return;
    va_list l_args;
    va_start(l_args, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::vfprintf(stderr, format, l_args);
#pragma GCC diagnostic pop
    va_end(l_args);
}

} // namespace vexl
