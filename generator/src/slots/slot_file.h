#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace nxgen_detail {

/// Bytes of a slot file: the number in ten zero-padded decimal digits.
constexpr std::size_t kSlotDigits = 10;

/// Value of the leading decimal digits of a text of the given length; 0 when
/// it starts with anything else.  A value above 4294967295 is clamped to it.
uint32_t leadingDigits(const char *a_cpText, std::size_t a_uiLen);

/// Opens "<folder><file name>" with the fopen mode ("r+" or "w+"); null when
/// the file name is empty, the path is longer than 260 characters or the
/// open fails.  The descriptor is not inherited by programs started later.
std::FILE *openSlotFile(const char *a_cpFolder, const char *a_cpFileName, const char *a_cpMode);

/// Reads the number at the start of the file: the value of its leading
/// digits among the first ten bytes, 0 when there are none.
uint32_t readSlotNumber(std::FILE *a_pFile);

/// Rewrites the file from offset 0 with the number as ten digits.  True only
/// when all ten bytes reached the operating system.
bool writeSlotNumber(std::FILE *a_pFile, uint32_t a_uiNumber);

} // namespace nxgen_detail
