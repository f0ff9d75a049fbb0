// The flag-set class and the loader configuration.

#include "vexl/bitsets.h"

namespace vexl {

CBitCombi32::~CBitCombi32() = default;

CBitCombi32 &CBitCombi32::operator=(unsigned int value) noexcept {
    m_uiValue = value;
    return *this;
}

CBitCombi32 &CBitCombi32::operator=(int value) noexcept {
    m_uiValue = static_cast<uint32_t>(value);
    return *this;
}

CBitCombi32 &CBitCombi32::operator=(const CBitCombi32 &other) noexcept {
    m_uiValue = other.m_uiValue;
    return *this;
}

bool CBitCombi32::operator==(int value) const noexcept {
    return m_uiValue == static_cast<uint32_t>(value);
}

bool CBitCombi32::BC32_ChecknSet(unsigned int bits, unsigned int v) noexcept {
    if ((m_uiValue & bits) == 0)
        return false;
    m_uiValue = v;
    return true;
}

unsigned int CBitCombi32::BC32_Inc() noexcept {
    ++m_uiValue;
    if (m_uiValue == 0)
        m_uiValue = 1;
    return m_uiValue;
}

unsigned int CBitCombi32::BC32_Dec() noexcept {
    if (m_uiValue != 0)
        --m_uiValue;
    return m_uiValue;
}

CLoaderConfig::~CLoaderConfig() = default;

CLoaderConfig &CLoaderConfig::operator=(const CLoaderConfig &other) noexcept {
    m_uiValue = other.m_uiValue;
    return *this;
}

} // namespace vexl
