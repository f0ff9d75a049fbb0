// The counters are objects with static storage so that they are built when the library is
// loaded (the persisted one opens its slot files then) and destroyed, closing the files, when it
// is unloaded. Nothing else in the add-on depends on their construction order.

#include "keywords/generators.h"

namespace esk_add {

namespace {

CnxLockGSN10 s_seqGSN(false, 0, "./", "vxseq");
CnxLockGSN10 s_useqGSN(true, 1, "./", "vxseq");

} // namespace

CnxLockGSN10 &seqGenerator() noexcept {
    return s_seqGSN;
}

CnxLockGSN10 &useqGenerator() noexcept {
    return s_useqGSN;
}

} // namespace esk_add
