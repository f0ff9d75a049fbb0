// The counters live for the rest of the process once first used. The in-memory one is built when
// the library is loaded; the persisted one is built at its first draw, and each of its slots
// opens (or creates) its file at the slot's first draw, so a program that never draws a
// persisted number touches no file.

#include "keywords/generators.h"

#include <mutex>

namespace esk_add {

namespace {

CnxLockGSN10 s_seqGSN(false, 0, "./", "vxseq");

} // namespace

CnxLockGSN10 &seqGenerator() noexcept {
    return s_seqGSN;
}

uint32_t drawPersisted(int slot) noexcept {
    if (slot < 0 || slot > 9)
        return 0;
    // Built without files: the slots count in memory until they are switched to their files.
    static CnxLockGSN10 s_useqGSN(false, 1, "./", "vxseq");
    static std::once_flag s_aOpened[10];
    std::call_once(s_aOpened[slot], [slot] { s_useqGSN.ResetAt(slot, true); });
    return s_useqGSN.GetAt(slot);
}

} // namespace esk_add
