// The writer dispatcher, the stream insertion operator and `CFields::toVEXL`.

#include "vexl/savers.h"

#include <cstdio>
#include <iostream>

namespace vexl {

// MARK: - Dispatcher (Public)

CSavers::CSavers(unsigned int scbc) : ISaver(scbc), m_tHFW(2), m_tStreamHFW("  ") {}

CSavers::~CSavers() = default;

void CSavers::clearError() {
    ISaver::clearError();
    m_tHFW.clearError();
    m_tPKT.clearError();
    m_tStreamHFW.clearError();
    m_tBER.clearError();
}

// The inner writer's code and message, the message cut to 511 characters and passed as an
// argument (never as a format), so that a long message is shortened instead of lost.
void CSavers::copyErrorFrom(const ISaver &inner) {
    if (!inner.isError())
        return;
    const std::string &l_strMsg = inner.getLastErrMsg();
    const int l_nLen = l_strMsg.size() > 511 ? 511 : int(l_strMsg.size());
    setUserError(inner.getLastErrCode(), "%.*s", l_nLen, l_strMsg.c_str());
}

std::string CSavers::saving(const CFields &root, unsigned char er, unsigned char sis, const char *password) {
    if (sis > SIS_ALL || er > BER_BASIC)
        return std::string();
    IStringSaver *l_pInner = nullptr;
    switch (er) {
    case SER_HFW:
        l_pInner = &m_tHFW;
        break;
    case SER_PKT:
        l_pInner = &m_tPKT;
        break;
    default:
        l_pInner = &m_tBER;
        break;
    }
    l_pInner->setSCBC(getSCBC());
    l_pInner->setCryptType(getCryptType());
    std::string l_strDoc = l_pInner->saving(root, sis, password);
    copyErrorFrom(*l_pInner);
    return l_strDoc;
}

void CSavers::saving(std::ostream &out, const CFields &root, unsigned char er, unsigned char sis,
                     const char *password) {
    if (sis > SIS_ALL || er != SER_HFW)
        return;
    m_tStreamHFW.setSCBC(getSCBC());
    m_tStreamHFW.setCryptType(getCryptType());
    m_tStreamHFW.saving(out, root, sis, password);
    copyErrorFrom(m_tStreamHFW);
}

// MARK: - Stream insertion (Public)

std::ostream &operator<<(std::ostream &out, const CFields &tree) {
    CStreamSaver4SER_HFW l_tSaver("  ");
    l_tSaver.saving(out, tree, SIS_DETAIL, "");
    if (!l_tSaver.isError())
        return out;
    const std::string &l_strMsg = l_tSaver.getLastErrMsg();
    std::fprintf(stderr, "[%s#%d] saver: %s\n", "vexl::operator <<", 130, l_strMsg.c_str());
    raiseLogicError("[%s#%d] saver: %s", "vexl::operator <<", 131, l_strMsg.c_str());
}

// MARK: - Text form of a node (Public)

std::string CFields::toVEXL(unsigned char er, unsigned char sis, const char *password) const {
    CSavers l_tSavers(SCBC_DEFAULT);
    return l_tSavers.saving(*this, er, sis, password);
}

} // namespace vexl
