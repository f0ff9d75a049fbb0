#pragma once
// Shared parts of pack, unpack and verify: showing bytes and reading messages.

#include <string>
#include <string_view>

#include "vexl/vexl.h"

namespace vexl::tool {

/// Bytes as a C-style quoted text: printable ASCII as it is, others as \xHH.
std::string quoteBytes(std::string_view bytes);
/// An xxd-style dump: offset, 16 bytes in pairs of hex digits, the printable bytes.
std::string hexDump(std::string_view bytes);
/// Hex digits to bytes (white space ignored); false for anything else or an odd count.
bool fromHex(std::string_view text, std::string &out);
/// The packet expression of a field as the text notation writes it, e.g. "(ANF4)".
std::string expressionText(const CFields &field);

} // namespace vexl::tool
