#include "slots/slot_file.h"

#include <unistd.h>

#include <cerrno>
#include <string>

namespace nxgen_detail {

namespace {

/// Longest slot-file path, folder and file name together.
constexpr std::size_t kMaxPath = 260;

} // namespace

uint32_t leadingDigits(const char *a_cpText, std::size_t a_uiLen) {
    uint64_t l_ulValue = 0;
    for (std::size_t i = 0; i < a_uiLen; ++i) {
        const unsigned char l_c = static_cast<unsigned char>(a_cpText[i]);
        if (l_c < '0' || l_c > '9') {
            break;
        }
        l_ulValue = l_ulValue * 10 + (l_c - '0');
        if (l_ulValue > UINT32_MAX) {
            return UINT32_MAX;
        }
    }
    return static_cast<uint32_t>(l_ulValue);
}

std::FILE *openSlotFile(const char *a_cpFolder, const char *a_cpFileName, const char *a_cpMode) {
    if (a_cpFileName[0] == '\0') {
        return nullptr;
    }
    std::string l_strPath(a_cpFolder);
    l_strPath += a_cpFileName;
    if (l_strPath.size() > kMaxPath) {
        return nullptr;
    }
    // "e": close on exec, so a started program does not inherit the file.
    const std::string l_strMode = std::string(a_cpMode) + "e";
    return std::fopen(l_strPath.c_str(), l_strMode.c_str());
}

// The file is only ever accessed with positioned reads and writes on its
// descriptor: one system call per number, no stdio buffer that could hold a
// number back, and no shared file offset between threads.

uint32_t readSlotNumber(std::FILE *a_pFile) {
    char l_szText[kSlotDigits + 1] = {};
    ssize_t l_iRead;
    do {
        l_iRead = pread(fileno(a_pFile), l_szText, kSlotDigits, 0);
    } while (l_iRead < 0 && errno == EINTR);
    return l_iRead > 0 ? leadingDigits(l_szText, static_cast<std::size_t>(l_iRead)) : 0;
}

bool writeSlotNumber(std::FILE *a_pFile, uint32_t a_uiNumber) {
    char l_szText[kSlotDigits + 1];
    std::snprintf(l_szText, sizeof l_szText, "%0*u", static_cast<int>(kSlotDigits), a_uiNumber);
    ssize_t l_iWritten;
    do {
        l_iWritten = pwrite(fileno(a_pFile), l_szText, kSlotDigits, 0);
    } while (l_iWritten < 0 && errno == EINTR);
    // A partial write is a failure: the caller must not hand the number out.
    return l_iWritten == static_cast<ssize_t>(kSlotDigits);
}

} // namespace nxgen_detail
