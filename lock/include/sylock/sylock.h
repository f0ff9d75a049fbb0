#pragma once

// The lock library: in-process mutex, scoped holder, named semaphore.
#include "sylock/sy_mutex.h"
#include "sylock/sy_semaphore.h"
