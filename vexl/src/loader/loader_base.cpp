// ILoaderBase: configuration, the string and stream entry points, encoding-rule recognition.

#include <climits>
#include <cstring>
#include <istream>
#include <string>

#include "vexl/loaders.h"

namespace vexl {

ILoaderBase::ILoaderBase(unsigned int lcbc) : m_LCBC(lcbc), m_bCollectComments(false) {}

ILoaderBase::ILoaderBase(const ILoaderBase &other)
    : CErrorBase(other), m_LCBC(other.m_LCBC), m_bCollectComments(other.m_bCollectComments) {}

ILoaderBase &ILoaderBase::operator=(const ILoaderBase &other) {
    CErrorBase::operator=(other);
    m_LCBC = other.m_LCBC;
    m_bCollectComments = other.m_bCollectComments;
    return *this;
}

ILoaderBase::~ILoaderBase() = default;

void ILoaderBase::setLCBC(const CLoaderConfig &lcbc) {
    m_LCBC = lcbc;
}
void ILoaderBase::setLCBC(unsigned int lcbc) {
    m_LCBC = lcbc;
}
void ILoaderBase::setLCBC(int lcbc) {
    m_LCBC = lcbc;
}

bool ILoaderBase::loading(const std::string &text, CFields &root, const char *password,
                          bool collectComments) {
    // loadit counts bytes in 32 bits; a longer text cannot be handed over whole.
    if (text.size() > UINT_MAX) {
        setFixError(-991);
        return false;
    }
    return loadit(text.data(), static_cast<unsigned int>(text.size()), root, password, collectComments);
}

bool ILoaderBase::loading(std::istream &in, CFields &root, const char *password, bool collectComments) {
    std::string text;
    std::getline(in, text, static_cast<char>(0xFF));
    return loading(text, root, password, collectComments);
}

int ILoaderBase::getER(const char *data, unsigned int size) noexcept {
    if (data == nullptr || size == 0)
        return -1;
    // Only the binary magic needs four bytes: anything shorter is text ("{}", "42").
    if (size < 4 || std::memcmp(data, "VEXF", 4) != 0)
        return 0;
    if (size < 11) // a binary header without its byte 10
        return -1;
    const unsigned int b = static_cast<unsigned char>(data[10]);
    if ((b & 0xFEu) > 5)
        return -1;
    return static_cast<int>(b >> 1);
}

} // namespace vexl
