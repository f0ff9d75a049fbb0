#include "nxgenerator/gsn4b.h"

// MARK: - CGSN4B

void CGSN4B::GSN_Init() {
    m_uiCounter = 0;
}

uint32_t CGSN4B::GSN_Get() {
    if (m_uiCounter == UINT32_MAX) {
        m_uiCounter = 0;
    }
    return ++m_uiCounter;
}

// MARK: - CGID4B

uint32_t CGID4B::GID_Get() {
    if (m_bReuse && !m_dqUnusedIDs.empty()) {
        const uint32_t l_uiID = m_dqUnusedIDs.front();
        m_dqUnusedIDs.pop_front();
        return l_uiID;
    }
    return GSN_Get();
}

void CGID4B::GID_RegNousedID(uint32_t a_uiID) {
    if (a_uiID != 0) {
        m_dqUnusedIDs.push_back(a_uiID);
    }
}

void CGID4B::GID_SetIsReuse(bool a_bReuse) {
    m_bReuse = a_bReuse;
}
