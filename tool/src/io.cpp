// Reading inputs and writing outputs: size and kind checks before reading, and output files
// that appear whole or not at all.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common.h"

namespace vexl::tool {

namespace {

std::string systemError(int a_nErr) {
    return std::strerror(a_nErr);
}

// Reads everything from `a_nFd` into `a_strOut`, up to the input limit.
bool readAll(int a_nFd, std::string &a_strOut, std::string &a_strError) {
    char l_acBuf[65536];
    for (;;) {
        const ssize_t l_n = ::read(a_nFd, l_acBuf, sizeof(l_acBuf));
        if (l_n == 0)
            return true;
        if (l_n < 0) {
            if (errno == EINTR)
                continue;
            a_strError = "cannot read: " + systemError(errno);
            return false;
        }
        if (a_strOut.size() + size_t(l_n) > kMaxInputBytes) {
            a_strError = "input larger than " + std::to_string(kMaxInputBytes) + " bytes";
            return false;
        }
        a_strOut.append(l_acBuf, size_t(l_n));
    }
}

// Reads a regular file of `a_uiSize` bytes (as fstat saw it) straight into `a_strOut`, then
// whatever was added to it since.
bool readSized(int a_nFd, size_t a_uiSize, std::string &a_strOut, std::string &a_strError) {
    a_strOut.resize(a_uiSize);
    size_t l_uiDone = 0;
    while (l_uiDone < a_uiSize) {
        const ssize_t l_n = ::read(a_nFd, a_strOut.data() + l_uiDone, a_uiSize - l_uiDone);
        if (l_n == 0)
            break;
        if (l_n < 0) {
            if (errno == EINTR)
                continue;
            a_strError = "cannot read: " + systemError(errno);
            return false;
        }
        l_uiDone += size_t(l_n);
    }
    if (l_uiDone < a_uiSize) {
        // The file became shorter while it was read.
        a_strOut.resize(l_uiDone);
        return true;
    }
    return readAll(a_nFd, a_strOut, a_strError);
}

bool writeAll(int a_nFd, std::string_view a_strData) {
    while (!a_strData.empty()) {
        const ssize_t l_n = ::write(a_nFd, a_strData.data(), a_strData.size());
        if (l_n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        a_strData.remove_prefix(size_t(l_n));
    }
    return true;
}

} // namespace

std::string displayName(const std::string &path) {
    return path == "-" ? "<stdin>" : path;
}

bool readInput(const std::string &path, std::string &out, std::string &error) {
    out.clear();
    if (path == "-")
        return readAll(STDIN_FILENO, out, error);
    if (path.empty()) {
        error = "empty file name";
        return false;
    }
    const int l_nFd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (l_nFd < 0) {
        error = errno == ENOENT ? "no such file" : "cannot open: " + systemError(errno);
        return false;
    }
    struct stat l_tStat {};
    bool l_bOk = ::fstat(l_nFd, &l_tStat) == 0;
    if (!l_bOk) {
        error = "cannot read: " + systemError(errno);
    } else if (S_ISDIR(l_tStat.st_mode)) {
        error = "is a directory";
        l_bOk = false;
    } else if (S_ISREG(l_tStat.st_mode) && uint64_t(l_tStat.st_size) > kMaxInputBytes) {
        error = "file of " + std::to_string(uint64_t(l_tStat.st_size)) +
                " bytes is larger than the limit of " + std::to_string(kMaxInputBytes) + " bytes";
        l_bOk = false;
    } else {
        l_bOk = S_ISREG(l_tStat.st_mode) ? readSized(l_nFd, size_t(l_tStat.st_size), out, error)
                                         : readAll(l_nFd, out, error);
    }
    ::close(l_nFd);
    return l_bOk;
}

bool writeOutput(const std::string &path, std::string_view data, std::string &error) {
    if (path == "-") {
        std::fflush(stdout);
        if (!writeAll(STDOUT_FILENO, data)) {
            error = "cannot write to standard output: " + systemError(errno);
            return false;
        }
        return true;
    }
    if (path.empty()) {
        error = "empty file name";
        return false;
    }
    struct stat l_tStat {};
    const bool l_bExists = ::stat(path.c_str(), &l_tStat) == 0;
    if (l_bExists && S_ISDIR(l_tStat.st_mode)) {
        error = "is a directory";
        return false;
    }
    if (l_bExists && !S_ISREG(l_tStat.st_mode)) {
        // A device, pipe or socket (e.g. /dev/null) is written as it is: renaming over it would
        // replace it with a file.
        const int l_nFd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (l_nFd < 0) {
            error = "cannot open: " + systemError(errno);
            return false;
        }
        const bool l_bOk = writeAll(l_nFd, data);
        const int l_nErr = errno;
        if (::close(l_nFd) != 0 || !l_bOk) {
            error = "cannot write: " + systemError(l_bOk ? errno : l_nErr);
            return false;
        }
        return true;
    }
    // A symbolic link stays a link: the file it leads to is replaced.
    struct stat l_tLink {};
    if (l_bExists && ::lstat(path.c_str(), &l_tLink) == 0 && S_ISLNK(l_tLink.st_mode)) {
        char *l_pReal = ::realpath(path.c_str(), nullptr);
        if (l_pReal != nullptr) {
            const std::string l_strReal = l_pReal;
            std::free(l_pReal);
            return writeOutput(l_strReal, data, error);
        }
    }
    // The temporary file goes beside the target, so that the rename stays in one file system.
    const size_t l_uiSlash = path.rfind('/');
    const std::string l_strDir = l_uiSlash == std::string::npos ? "." : path.substr(0, l_uiSlash + 1);
    std::string l_strTemp = (l_uiSlash == std::string::npos ? std::string() : path.substr(0, l_uiSlash + 1)) +
                            ".vexl-tool.XXXXXX";
    const int l_nFd = ::mkstemp(l_strTemp.data());
    if (l_nFd < 0) {
        error = "cannot create a temporary file in " + l_strDir + ": " + systemError(errno);
        return false;
    }
    // A new file gets the usual permissions; a replaced one keeps its own.
    const mode_t l_uMask = ::umask(0);
    ::umask(l_uMask);
    ::fchmod(l_nFd, l_bExists ? (l_tStat.st_mode & 07777) : (0666 & ~l_uMask));
    bool l_bOk = writeAll(l_nFd, data);
    int l_nErr = errno;
    if (l_bOk && ::fsync(l_nFd) != 0) {
        l_bOk = false;
        l_nErr = errno;
    }
    if (::close(l_nFd) != 0 && l_bOk) {
        l_bOk = false;
        l_nErr = errno;
    }
    if (l_bOk && ::rename(l_strTemp.c_str(), path.c_str()) != 0) {
        l_bOk = false;
        l_nErr = errno;
    }
    if (!l_bOk) {
        ::unlink(l_strTemp.c_str());
        error = "cannot write: " + systemError(l_nErr);
    }
    return l_bOk;
}

bool getPassword(const CArgs &args, std::string &password, std::string &error) {
    password.clear();
    if (args.has("--password-file")) {
        const std::string l_strFile = args.value("--password-file");
        if (!readInput(l_strFile, password, error)) {
            error = displayName(l_strFile) + ": " + error;
            return false;
        }
        const size_t l_uiEnd = password.find_first_of("\r\n");
        if (l_uiEnd != std::string::npos)
            password.resize(l_uiEnd);
        if (password.find('\0') != std::string::npos) {
            error = displayName(l_strFile) + ": the password holds a zero byte";
            return false;
        }
        return true;
    }
    if (const char *l_cpEnv = std::getenv("VEXL_PASSWORD"))
        password = l_cpEnv;
    return true;
}

bool hasJsonExtension(const std::string &path) {
    return path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0;
}

} // namespace vexl::tool
