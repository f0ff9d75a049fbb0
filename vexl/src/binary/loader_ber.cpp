// CLoader4BER: placeholder until binary documents are read; every load fails with an error.

#include "vexl/loaders.h"

namespace vexl {

CLoader4BER::CLoader4BER(unsigned int lcbc) : ILoaderCommon(lcbc) {}
CLoader4BER::CLoader4BER(const CLoader4BER &other) = default;
CLoader4BER &CLoader4BER::operator=(const CLoader4BER &other) = default;
CLoader4BER::~CLoader4BER() = default;

bool CLoader4BER::loadit(const char *data, unsigned int size, CFields & /*root*/, const char * /*password*/,
                         bool /*collectComments*/) {
    CErrorBase::clearError();
    m_dqErrors.clear();
    m_pTextBegin = data;
    m_pTextEnd = data + (data != nullptr ? size : 0);
    m_dqErrors.push_back(
        tLoadError{tTokenInfo{TT_error, data, data}, "Binary documents are not read yet", nullptr});
    setUserError(-999, "[%s#%d] Binary documents are not read yet", "vexl::CLoader4BER::loadit", __LINE__);
    return false;
}

} // namespace vexl
