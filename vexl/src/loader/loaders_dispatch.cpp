// CLoaders: dispatch by encoding rule; operator>>.

#include <cstdio>
#include <cstring>
#include <istream>
#include <string>

#include "vexl/loaders.h"

namespace vexl {

namespace {

constexpr const char *kDispatchFunction = "vexl::CLoaders::loadit";
constexpr int kDispatchLine = 82;
constexpr unsigned kMaxCopiedMessage = 511; // what the error state holds

} // namespace

CLoaders::CLoaders(unsigned int lcbc) : ILoaderBase(lcbc), m_tSER(LCBC_DEFAULT), m_tBER(LCBC_DEFAULT) {}
CLoaders::CLoaders(const CLoaders &other) = default;
CLoaders &CLoaders::operator=(const CLoaders &other) = default;
CLoaders::~CLoaders() = default;

bool CLoaders::getStatus() const {
    return getLastErrCode() == 0 && getLastErrMsg().empty();
}

bool CLoaders::loadit(const char *data, unsigned int size, CFields &root, const char *password,
                      bool collectComments) {
    if (data == nullptr || size == 0)
        return false;
    clearError();
    m_bCollectComments = m_LCBC.BC32_Check(LCBC_COMMENTS) && collectComments;

    // A document of 1 to 3 bytes ("{}", "42") cannot hold the binary magic: it is text.
    ILoaderCommon *inner = &m_tSER;
    if (size >= 4 && std::memcmp(data, "VEXF", 4) == 0) {
        // A binary header needs its byte 10; a shorter "VEXF" document has no encoding rule.
        if (size < 11 || (static_cast<unsigned char>(data[10]) & 0xFEu) >= 6) {
            setUserError(-991, "[%s#%d] Unknown encoding rule(%d)", kDispatchFunction, kDispatchLine, -1);
            return false;
        }
        if ((static_cast<unsigned char>(data[10]) >> 1) == BER_BASIC)
            inner = &m_tBER;
    }
    inner->setLCBC(m_LCBC);
    if (inner->loadit(data, size, root, password, collectComments))
        return true;

    // Copy the inner error as text (never as a format), cut to what the error state holds.
    const std::string &message = inner->getLastErrMsg();
    if (!message.empty()) {
        const std::string cut = message.substr(0, kMaxCopiedMessage);
        setUserError(inner->getLastErrCode(), "%s", cut.c_str());
    }
    return false;
}

std::istream &operator>>(std::istream &in, CFields &root) {
    CLoaders loaders(LCBC_DEFAULT);
    if (loaders.loading(in, root, "", true))
        return in;
    const std::string &message = loaders.getLastErrMsg();
    std::fprintf(stderr, "[%s#%d] %s", "vexl::operator >>", 116, message.c_str());
    raiseLogicError("[%s#%d] %s", "vexl::operator >>", 117, message.c_str());
}

} // namespace vexl
