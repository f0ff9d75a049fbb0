#pragma once

// The generator library: wrapping serial numbers, reusable IDs and ten-slot
// counters with per-slot locks and file persistence.
#include "nxgenerator/gsn4b.h"
#include "nxgenerator/lock_gsn10.h"
