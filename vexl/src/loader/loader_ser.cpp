// CLoader4SER: one load of a text notation document.

#include "loader/ser_parser.h"
#include "vexl/loaders.h"

namespace vexl {

CLoader4SER::CLoader4SER(unsigned int lcbc) : ILoaderCommon(lcbc) {}
CLoader4SER::CLoader4SER(const CLoader4SER &other) = default;
CLoader4SER &CLoader4SER::operator=(const CLoader4SER &other) = default;
CLoader4SER::~CLoader4SER() = default;

bool CLoader4SER::loadit(const char *data, unsigned int size, CFields &root, const char * /*password*/,
                         bool collectComments) {
    if (data == nullptr)
        size = 0;
    if (size == 0)
        data = "";
    CErrorBase::clearError();
    m_bCollectComments = m_LCBC.BC32_Check(LCBC_COMMENTS) && collectComments;
    m_pTextBegin = data;
    m_pTextEnd = data + size;
    m_pCur = data;
    m_pLastValueEnd = nullptr;
    m_pLastCommentField = nullptr;
    m_strComment.clear();
    m_dqErrors.clear();
    m_dqFieldStack.clear();
    m_dqFieldStack.push_back(&root);
    m_uiDepth = 0;
    m_bAllowPEI = false;
    m_bHasPEI = false;

    detail::CSerParser parser(*this, m_pTextBegin, m_pTextEnd);
    bool result;
    try {
        result = parser.loadDocument();
    } catch (...) {
        // Too deep (or out of memory): leave the loader reusable and the root as after a failure.
        m_pCur = parser.position();
        m_dqFieldStack.clear();
        m_uiDepth = 0;
        m_pLastCommentField = nullptr;
        root.removeChildAll();
        throw;
    }
    m_pCur = parser.position();
    if (!result)
        makeLastErrMsg4Lines();
    m_dqFieldStack.clear();
    if (!result)
        root.removeChildAll();
    return result;
}

} // namespace vexl
