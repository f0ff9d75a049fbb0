// Placeholder of the binary document writer until the binary format is built: every call
// records an error and gives an empty document.

#include "vexl/savers.h"

namespace vexl {

CSaver4BER_BASIC::~CSaver4BER_BASIC() = default;

std::string CSaver4BER_BASIC::saving(const CFields & /*root*/, unsigned char sis, const char * /*password*/) {
    m_ucSIS = sis;
    setUserError(-999, "[%s#%d] The binary document writer is not available",
                 "vexl::CSaver4BER_BASIC::saving", __LINE__);
    return std::string();
}

} // namespace vexl
