#pragma once
// The two counters behind "seq_" and "useq_".

#include <cstdint>

#include "nxgenerator/lock_gsn10.h"

namespace esk_add {

/// "seq_": ten in-memory slots (identifier 0); numbering restarts with every process.
CnxLockGSN10 &seqGenerator() noexcept;

/// "useq_": the next number of persisted slot `slot` (1 to 9; identifier 1), whose file
/// ./vxseq_1_<slot> in the working directory carries the numbering over a restart. Nothing
/// touches the file system before the first draw of a slot: that draw opens the slot's file,
/// or creates it when it is missing. 0 when the file cannot be opened, created or written (the
/// number is then used up), and for a slot outside 0 to 9.
uint32_t drawPersisted(int slot) noexcept;

} // namespace esk_add
