// The start of both demo programs: add-on connection, loading, listing.

#include "common/start.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

#include "common/console.h"
#include "esk_add/esk_add.h"
#include "vexl/vexl.h"

namespace demo {

namespace {

// Loader configuration of the demos: numbers as member names, comments, missing values as null.
constexpr unsigned int kDemoLCBC = vexl::LCBC_NUMERIC_NAME | vexl::LCBC_COMMENTS | vexl::LCBC_MISSING_NULL;
static_assert(kDemoLCBC == 50);

void printLoadFailure(const char *a_cpPath, const std::string &a_strReason) {
    std::printf("Failed to loading a vexl=[%s]\n", a_cpPath);
    printBytes(a_strReason);
    if (!a_strReason.empty() && a_strReason.back() != '\n')
        std::fputc('\n', stdout);
}

// Reads the whole file. The size comes from seeking to the end and must be that of a regular file
// that the loader can take (at most 4294967295 bytes); the read must deliver all of it.
bool readWholeFile(const char *a_cpPath, std::string &a_strText, std::string &a_strReason) {
    std::FILE *l_pFile = std::fopen(a_cpPath, "rb");
    if (l_pFile == nullptr) {
        a_strReason = std::strerror(errno);
        return false;
    }
    struct stat l_tStat;
    bool l_bOk = fstat(fileno(l_pFile), &l_tStat) == 0 && S_ISREG(l_tStat.st_mode);
    if (!l_bOk)
        a_strReason = "Not a regular file";
    off_t l_nSize = -1;
    if (l_bOk && (fseeko(l_pFile, 0, SEEK_END) != 0 || (l_nSize = ftello(l_pFile)) < 0 ||
                  fseeko(l_pFile, 0, SEEK_SET) != 0)) {
        a_strReason = std::strerror(errno);
        l_bOk = false;
    }
    if (l_bOk && uint64_t(l_nSize) > UINT_MAX) {
        a_strReason = "File too large";
        l_bOk = false;
    }
    if (l_bOk) {
        a_strText.resize(size_t(l_nSize));
        if (std::fread(a_strText.data(), 1, a_strText.size(), l_pFile) != a_strText.size()) {
            a_strReason = "Failed to read the file";
            l_bOk = false;
        }
    }
    std::fclose(l_pFile);
    return l_bOk;
}

} // namespace

bool loadDocument(const char *path, vexl::CFields &root) {
    if (path == nullptr || *path == '\0') {
        std::puts("Input the vexl file!");
        return false;
    }
    vexl::CLoaders l_tLoaders(vexl::LCBC_DEFAULT);
    l_tLoaders.setLCBC(kDemoLCBC);
    std::string l_strText;
    std::string l_strReason;
    if (!readWholeFile(path, l_strText, l_strReason)) {
        printLoadFailure(path, l_strReason);
        return false;
    }
    std::printf("Loaded : %s[%u bytes]\n", path, unsigned(l_strText.size()));
    if (!l_tLoaders.loading(l_strText, root, "739", true)) {
        printLoadFailure(path, l_tLoaders.getLastErrMsg());
        return false;
    }
    printSeparator(79);
    std::printf("VEXL String Parsing ok.[file=%s]\n", path);
    printSeparator(79);
    std::printf("child  count = [%u]\n", root.getChildCount());
    std::printf("member count = [%u]\n", root.getMemberCount());
    return true;
}

int startDemo(int argc, char **argv, vexl::CFields &root) {
    if (argc < 2) {
        std::puts("Input the vx-script file");
        return EXIT_NO_ARGUMENT;
    }
    if (!esk_link()) {
        std::printf("Failed to connect for External Supporting Keyword\n");
        return EXIT_FAILURE_STEP;
    }
    root.removeChildAll();
    if (!loadDocument(argv[1], root))
        return EXIT_FAILURE_STEP;

    // A document without the member writes into the discarded null node.
    root["unicode-test"] = "_unicode_";
    printSeparator(41);
    std::puts("Auto display for all fields");
    printSeparator(41);
    printTree(root, 0);

    // The two escapes without UTF-8: the four bytes D5 5C AE 00.
    root["unicode-test"] = vexl::ToUnescapeString("\\uD55C\\uAE00", false);
    return EXIT_OK;
}

} // namespace demo
