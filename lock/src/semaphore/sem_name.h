#pragma once

#include <string>

namespace sylock_detail {

/// Longest name accepted from the caller, so that the POSIX name of the
/// companion (a leading '/', the name, the suffix) stays within 251 bytes.
constexpr std::size_t kMaxSemName = 240;

/// Suffix of the companion semaphore that holds the room below the maximum.
constexpr const char *kCeilingSuffix = "#max";

/// POSIX name of a semaphore name: one leading '/' followed by the name.
/// False when the name is null, empty, too long or holds '/' after its first byte.
bool posixSemName(const char *a_cpName, std::string &a_strOut);

/// The name given to a semaphore by number: "Global\Sem%d".
std::string numberedSemName(int a_iNumber);

} // namespace sylock_detail
