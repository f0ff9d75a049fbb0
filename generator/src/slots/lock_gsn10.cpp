#include "nxgenerator/lock_gsn10.h"

#include <cstring>

#include "slots/slot_file.h"

using nxgen_detail::openSlotFile;
using nxgen_detail::readSlotNumber;
using nxgen_detail::writeSlotNumber;

namespace {

constexpr int kSlots = 10;
constexpr std::size_t kMaxFolder = 238;
constexpr std::size_t kMaxBaseName = 10;

/// Largest number of a slot of the given width: 10^digits - 1, or the
/// largest 32-bit value for width 0.
uint32_t maximumFor(unsigned a_uiDigits) {
    if (a_uiDigits == 0) {
        return UINT32_MAX;
    }
    uint32_t l_uiMax = 1;
    for (unsigned i = 0; i < a_uiDigits; ++i) {
        l_uiMax *= 10;
    }
    return l_uiMax - 1;
}

/// Holds a slot's mutex for a scope when asked to.
class CCondLock {
public:
    CCondLock(CsyMutex &a_mutex, bool a_bLock) : m_pMutex(a_bLock ? &a_mutex : nullptr) {
        if (m_pMutex != nullptr) {
            m_pMutex->lock();
        }
    }
    ~CCondLock() {
        if (m_pMutex != nullptr) {
            m_pMutex->unlock();
        }
    }
    CCondLock(const CCondLock &) = delete;
    CCondLock &operator=(const CCondLock &) = delete;

private:
    CsyMutex *m_pMutex;
};

} // namespace

// MARK: - Construction

CnxLockGSN10::CnxLockGSN10(bool a_bPreserve, unsigned short a_usIdentifier, const char *a_cpFolder,
                           const char *a_cpBaseName) {
    for (tSlot &l_slot : m_slots) {
        resetSlot(l_slot, 0, false, false);
    }
    SetPreserveAll(a_usIdentifier, a_cpFolder, a_cpBaseName);
    ResetAll(a_bPreserve);
}

CnxLockGSN10::~CnxLockGSN10() {
    for (tSlot &l_slot : m_slots) {
        if (l_slot.pFile != nullptr) {
            std::fclose(l_slot.pFile);
            l_slot.pFile = nullptr;
        }
    }
}

// MARK: - Public operations

uint32_t CnxLockGSN10::GetAt(int a_iSlot) {
    if (a_iSlot < 0 || a_iSlot >= kSlots) {
        return 0;
    }
    tSlot &l_slot = m_slots[a_iSlot];
    CCondLock l_hold(l_slot.mutex, l_slot.bLock.load(std::memory_order_acquire));
    if (l_slot.uiCurrent >= l_slot.uiMaximum) {
        l_slot.uiCurrent = 0;
    }
    const uint32_t l_uiNumber = ++l_slot.uiCurrent;
    if (l_slot.bPreserve) {
        if (l_slot.pFile == nullptr) {
            l_slot.pFile = openSlotFile(l_slot.szFolder, l_slot.szFileName, "r+");
        }
        // The number is handed out only once it is stored; otherwise it stays
        // used up in memory and the caller gets 0.
        if (l_slot.pFile == nullptr || !writeSlotNumber(l_slot.pFile, l_uiNumber)) {
            return 0;
        }
    }
    return l_uiNumber;
}

bool CnxLockGSN10::ResetAt(int a_iSlot, bool a_bPreserve) {
    if (a_iSlot < 0 || a_iSlot >= kSlots) {
        return false;
    }
    resetSlot(m_slots[a_iSlot], static_cast<unsigned>(a_iSlot), true, a_bPreserve);
    return true;
}

void CnxLockGSN10::ResetAll(bool a_bPreserve) {
    for (int i = 0; i < kSlots; ++i) {
        resetSlot(m_slots[i], static_cast<unsigned>(i), true, a_bPreserve);
    }
}

bool CnxLockGSN10::SetPreserveAll(unsigned short a_usIdentifier, const char *a_cpFolder,
                                  const char *a_cpBaseName) {
    for (int i = 0; i < kSlots; ++i) {
        setIdentifier(m_slots[i], a_usIdentifier, static_cast<unsigned short>(i));
        if (!setNames(m_slots[i], a_cpFolder, a_cpBaseName)) {
            return false;
        }
    }
    return true;
}

// MARK: - Slot operations (private)

void CnxLockGSN10::resetSlot(tSlot &a_slot, unsigned a_uiIndex, bool a_bLock, bool a_bPreserve) {
    CCondLock l_hold(a_slot.mutex, a_bLock);
    a_slot.ucDigits = static_cast<uint8_t>(a_uiIndex < 9 ? a_uiIndex : 9);
    a_slot.uiMaximum = maximumFor(a_slot.ucDigits);
    // A persisted slot is always locked: its file write must not interleave.
    a_slot.bLock.store(a_bLock || a_bPreserve, std::memory_order_release);
    a_slot.uiCurrent = 0;
    a_slot.bPreserve = a_bPreserve;
    if (!a_bPreserve) {
        return;
    }
    if (a_slot.pFile != nullptr) {
        std::fclose(a_slot.pFile);
    }
    a_slot.pFile = openSlotFile(a_slot.szFolder, a_slot.szFileName, "r+");
    if (a_slot.pFile != nullptr) {
        a_slot.uiCurrent = readSlotNumber(a_slot.pFile);
        return;
    }
    // Missing: create it holding 0.
    a_slot.pFile = openSlotFile(a_slot.szFolder, a_slot.szFileName, "w+");
    if (a_slot.pFile != nullptr) {
        writeSlotNumber(a_slot.pFile, a_slot.uiCurrent);
    }
    // Without a file the slot counts in memory until GetAt manages to open it.
}

bool CnxLockGSN10::setNames(tSlot &a_slot, const char *a_cpFolder, const char *a_cpBaseName) {
    if (a_cpFolder == nullptr && a_cpBaseName == nullptr) {
        return false;
    }
    if ((a_cpFolder != nullptr && std::strlen(a_cpFolder) > kMaxFolder) ||
        (a_cpBaseName != nullptr && std::strlen(a_cpBaseName) > kMaxBaseName)) {
        return false;
    }
    CsyLocker4Mutex l_hold(a_slot.mutex);
    if (a_cpFolder != nullptr) {
        std::size_t l_uiLen = std::strlen(a_cpFolder);
        for (std::size_t i = 0; i < l_uiLen; ++i) {
            a_slot.szFolder[i] = a_cpFolder[i] == '\\' ? '/' : a_cpFolder[i];
        }
        if (l_uiLen > 0 && a_slot.szFolder[l_uiLen - 1] != '/') {
            a_slot.szFolder[l_uiLen++] = '/';
        }
        a_slot.szFolder[l_uiLen] = '\0';
    }
    if (a_cpBaseName != nullptr) {
        std::strcpy(a_slot.szBaseName, a_cpBaseName);
    }
    std::snprintf(a_slot.szFileName, sizeof a_slot.szFileName, "%s_%u_%u", a_slot.szBaseName,
                  static_cast<unsigned>(a_slot.usIdentifier), static_cast<unsigned>(a_slot.usSlotIndex));
    return true;
}

void CnxLockGSN10::setIdentifier(tSlot &a_slot, unsigned short a_usIdentifier, unsigned short a_usIndex) {
    CsyLocker4Mutex l_hold(a_slot.mutex);
    a_slot.usIdentifier = a_usIdentifier;
    a_slot.usSlotIndex = a_usIndex;
    std::snprintf(a_slot.szFileName, sizeof a_slot.szFileName, "%s_%u_%u", a_slot.szBaseName,
                  static_cast<unsigned>(a_slot.usIdentifier), static_cast<unsigned>(a_slot.usSlotIndex));
}
