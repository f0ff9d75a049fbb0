#pragma once

// Symbols are hidden by default; ESK_ADD_API marks the ones this library exports.
#define ESK_ADD_API __attribute__((visibility("default")))
