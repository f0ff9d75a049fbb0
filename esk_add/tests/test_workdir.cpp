// Every test of this program runs in a fresh temporary working directory.
//
// The add-on's persisted counter opens or creates its slot files in the working directory of
// its first draw. This constructor runs before any test (and before the add-on's own
// constructors: a lower priority number runs earlier), so the files land in a folder of their
// own, removed again when the program ends, and never in the source or build tree.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

#include "esk_test_support.h"

namespace {

// Plain storage: valid before any constructor and after every destructor.
char s_szFolder[4096];

void removeScratchFolder() {
    std::error_code l_tError;
    std::filesystem::remove_all(s_szFolder, l_tError);
}

__attribute__((constructor(101))) void enterScratchFolder() {
    const char *l_cpBase = std::getenv("TMPDIR");
    if (l_cpBase == nullptr || *l_cpBase == '\0')
        l_cpBase = "/tmp";
    const int l_nLength = std::snprintf(s_szFolder, sizeof(s_szFolder), "%s/esk_add_tests.XXXXXX", l_cpBase);
    if (l_nLength <= 0 || size_t(l_nLength) >= sizeof(s_szFolder) || mkdtemp(s_szFolder) == nullptr ||
        chdir(s_szFolder) != 0) {
        std::perror("esk_add_tests: temporary working directory");
        std::abort();
    }
    // Registered before the add-on's counters are built, so it runs after they closed their files.
    std::atexit(removeScratchFolder);
}

} // namespace

namespace esk_test {

std::string workFolder() {
    return s_szFolder;
}

} // namespace esk_test
