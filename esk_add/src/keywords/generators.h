#pragma once
// The two counters behind "seq_" and "useq_", built when the library is loaded.

#include "nxgenerator/lock_gsn10.h"

namespace esk_add {

/// "seq_": ten in-memory slots (identifier 0); numbering restarts with every process.
CnxLockGSN10 &seqGenerator() noexcept;

/// "useq_": ten persisted slots (identifier 1) whose files ./vxseq_1_0 to ./vxseq_1_9 are opened
/// or created in the working directory when the library is loaded, so numbering continues
/// after a restart. A slot whose file cannot be written hands out 0.
CnxLockGSN10 &useqGenerator() noexcept;

} // namespace esk_add
