#pragma once

// Symbols are hidden by default; BRICK_API marks the ones this library exports.
#define BRICK_API __attribute__((visibility("default")))
