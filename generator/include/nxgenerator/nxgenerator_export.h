#pragma once

// Symbols are hidden by default; NXGEN_API marks the ones this library exports.
#define NXGEN_API __attribute__((visibility("default")))
