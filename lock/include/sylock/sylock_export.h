#pragma once

// Symbols are hidden by default; SYLOCK_API marks the ones this library exports.
#define SYLOCK_API __attribute__((visibility("default")))
