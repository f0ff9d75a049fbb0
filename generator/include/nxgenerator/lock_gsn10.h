#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "nxgenerator/nxgenerator_export.h"
#include "sylock/sy_mutex.h"

/// Ten independent counters ("slots" 0 to 9), each with its own lock and,
/// optionally, a slot file so that numbering survives a restart.
///
/// Slot n (1 to 9) counts 1 to 10^n - 1 and wraps to 1; slot 0 counts from 1
/// to 4294967295.  A persisted slot keeps its last number in the file
/// "<folder><base>_<identifier>_<slot>" (for example ./vxseq_1_3): exactly ten
/// ASCII digits, zero-padded, no line end, rewritten in place from offset 0
/// and handed to the operating system on every `GetAt` before the number is
/// returned.  A process killed at any moment therefore never hands out, after
/// a restart, a number it handed out before.
///
/// Slot files are not locked between processes: two processes that use the
/// same folder, base name and identifier hand out the same numbers.
///
/// Thread use: `GetAt` may be called concurrently from any threads; each slot
/// has its own mutex, held across the increment and the file write, so
/// different slots never block each other.  Resets and `SetPreserveAll` lock
/// the slot they change.  No operation holds two slot locks.  Nothing throws.
///
/// \code
///   CnxLockGSN10 seq(true, 1, "/var/lib/app", "vxseq");
///   seq.GetAt(3);    // 1, and /var/lib/app/vxseq_1_3 holds "0000000001"
///   seq.GetAt(3);    // 2
///   seq.GetAt(10);   // 0: no such slot
/// \endcode
class NXGEN_API CnxLockGSN10 {
public:
    /// Builds the ten slots, names their files from the identifier, folder
    /// and base name (`SetPreserveAll`) and resets them (`ResetAll`).
    /// \param a_bPreserve     true: open every slot file, creating missing ones
    ///                        with "0000000000", and continue after the number
    ///                        each one holds.
    /// \param a_usIdentifier  generator identifier, part of the file names.
    /// \param a_cpFolder      folder of the slot files (at most 238 characters;
    ///                        '\\' becomes '/', a missing trailing '/' is
    ///                        added; "" is the working directory).
    /// \param a_cpBaseName    base of the file names (at most 10 characters).
    explicit CnxLockGSN10(bool a_bPreserve = false, unsigned short a_usIdentifier = 0,
                          const char *a_cpFolder = "./", const char *a_cpBaseName = "vxseq");
    /// Closes every open slot file.
    ~CnxLockGSN10();

    CnxLockGSN10(const CnxLockGSN10 &) = delete;
    CnxLockGSN10 &operator=(const CnxLockGSN10 &) = delete;

    /// The next number of the slot.
    /// \returns 1 or more; 0 for a slot outside 0 to 9, and for a persisted
    ///          slot whose file cannot be opened or fully written (the number
    ///          is then used up: the next call returns a later one).
    uint32_t GetAt(int a_iSlot);

    /// Restarts one slot.  With preserve true the slot reopens its file
    /// (under the current names) and continues after the number it holds;
    /// with preserve false it counts from 1 in memory only.
    /// \returns false only for a slot outside 0 to 9.
    bool ResetAt(int a_iSlot, bool a_bPreserve);

    /// `ResetAt` for every slot.
    void ResetAll(bool a_bPreserve);

    /// Renames the slot files of all slots, in slot order.  Either text may
    /// be null to keep the current one.  An open file stays in use until the
    /// slot is next reset.
    /// \returns false when both texts are null or one is too long (folder over
    ///          238, base name over 10 characters); the slots before the first
    ///          refused one keep their new names.
    bool SetPreserveAll(unsigned short a_usIdentifier, const char *a_cpFolder, const char *a_cpBaseName);

private:
    /// One counter.  Aligned to a cache line so that threads drawing from
    /// different slots do not share one.
    struct alignas(64) tSlot {
        std::atomic<bool> bLock{false}; ///< take the mutex in GetAt
        CsyMutex mutex;
        uint32_t uiCurrent = 0;    ///< last number handed out
        uint32_t uiMaximum = 0;    ///< largest number handed out
        uint8_t ucDigits = 0;      ///< width in decimal digits, 0 to 9
        bool bPreserve = false;    ///< write every number to the slot file
        uint16_t usIdentifier = 0; ///< generator identifier
        uint16_t usSlotIndex = 0;  ///< position, 0 to 9
        char szFolder[240] = "./"; ///< "" or ending in '/'
        char szBaseName[11] = "vxseq";
        std::FILE *pFile = nullptr; ///< open slot file, or null
        char szFileName[23] = "";   ///< "%s_%u_%u" of base name, identifier, index
    };

    void resetSlot(tSlot &a_slot, unsigned a_uiIndex, bool a_bLock, bool a_bPreserve);
    static bool setNames(tSlot &a_slot, const char *a_cpFolder, const char *a_cpBaseName);
    static void setIdentifier(tSlot &a_slot, unsigned short a_usIdentifier, unsigned short a_usIndex);

    tSlot m_slots[10];
};
