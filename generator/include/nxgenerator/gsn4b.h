#pragma once

#include <cstdint>
#include <deque>

#include "nxgenerator/nxgenerator_export.h"

/// Wrapping 32-bit serial number: 1, 2, ..., 4294967295, 1, ...; never 0.
///
/// Thread use: no lock; one object is used by one thread at a time.
///
/// \code
///   CGSN4B gsn;
///   gsn.GSN_Get();   // 1
///   gsn.GSN_Get();   // 2
/// \endcode
class NXGEN_API CGSN4B {
public:
    /// Counter 0: the first number is 1.
    CGSN4B() = default;

    /// Starts again: the next number is 1.
    void GSN_Init();

    /// The next number: 0xFFFFFFFF is followed by 1.
    uint32_t GSN_Get();

protected:
    /// The last number handed out (0 before the first).
    uint32_t m_uiCounter = 0;
};

/// Wrapping 32-bit ID with an optional queue of IDs given back for reuse.
///
/// IDs given back enter at the back of the queue and, while reuse is on,
/// leave at the front (first given back, first reused).  There is no check
/// against duplicates or against IDs still in use.  Copies copy the counter,
/// the reuse flag and the whole queue.
///
/// Thread use: no lock; one object is used by one thread at a time.
///
/// \code
///   CGID4B gid;
///   gid.GID_SetIsReuse(true);
///   gid.GID_RegNousedID(7);
///   gid.GID_RegNousedID(3);
///   gid.GID_Get();   // 7
///   gid.GID_Get();   // 3
///   gid.GID_Get();   // 1, from the counter
/// \endcode
class NXGEN_API CGID4B : public CGSN4B {
public:
    /// Counter 0, reuse off, queue empty.
    CGID4B() = default;

    /// With reuse on and a non-empty queue, the ID at the front of the
    /// queue; otherwise the next number of the wrapping counter.
    uint32_t GID_Get();

    /// Gives an ID back for reuse; 0 is ignored.  IDs given back while reuse
    /// is off stay queued until it is turned on.
    void GID_RegNousedID(uint32_t a_uiID);

    /// Turns the reuse of given-back IDs on or off.
    void GID_SetIsReuse(bool a_bReuse);

private:
    bool m_bReuse = false;
    std::deque<uint32_t> m_dqUnusedIDs;
};
