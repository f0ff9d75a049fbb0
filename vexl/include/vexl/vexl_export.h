#pragma once

// Symbols are hidden by default; VEXL_API marks the ones this library exports.
#define VEXL_API __attribute__((visibility("default")))
