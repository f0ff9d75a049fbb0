// oneshot_load: the library calls of `vexl-tool check` and `vexl-tool convert` made once by a
// minimal program, so that the tool's own cost can be told from the library's. It links the
// libraries as an ordinary program does and starts like one.
//
//   oneshot_load check  IN          load IN
//   oneshot_load binary IN OUT      load IN, save it as a binary document to OUT
//   oneshot_load json   IN OUT      load IN, write it as JSON to OUT
//
// Exit status 0 on success, 1 on any failure (no messages: this is a measuring aid).

#include <cstdio>
#include <string>
#include <string_view>

#include "vexl/json.h"
#include "vexl/vexl.h"

namespace {

bool readFile(const char *a_pPath, std::string &a_strOut) {
    std::FILE *l_pFile = std::fopen(a_pPath, "rb");
    if (l_pFile == nullptr)
        return false;
    char l_acBuf[65536];
    size_t l_uiRead;
    while ((l_uiRead = std::fread(l_acBuf, 1, sizeof(l_acBuf), l_pFile)) > 0)
        a_strOut.append(l_acBuf, l_uiRead);
    const bool l_bOk = std::ferror(l_pFile) == 0;
    std::fclose(l_pFile);
    return l_bOk;
}

bool writeFile(const char *a_pPath, std::string_view a_strData) {
    std::FILE *l_pFile = std::fopen(a_pPath, "wb");
    if (l_pFile == nullptr)
        return false;
    const bool l_bOk = std::fwrite(a_strData.data(), 1, a_strData.size(), l_pFile) == a_strData.size();
    return std::fclose(l_pFile) == 0 && l_bOk;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return 1;
    const std::string_view l_strMode = argv[1];
    std::string l_strText;
    if (!readFile(argv[2], l_strText))
        return 1;
    vexl::CFields l_tRoot;
    vexl::CLoaders l_tLoaders(vexl::LCBC_DEFAULT);
    if (!l_tLoaders.loadit(l_strText.data(), unsigned(l_strText.size()), l_tRoot, "", true))
        return 1;
    if (l_strMode == "check")
        return 0;
    if (argc < 4)
        return 1;
    std::string l_strOut;
    if (l_strMode == "binary") {
        vexl::CSavers l_tSavers(vexl::SCBC_DEFAULT | vexl::SCBC_NULL_WORD | vexl::SCBC_FINAL_LF);
        l_strOut = l_tSavers.saving(l_tRoot, vexl::BER_BASIC, vexl::SIS_DETAIL, "");
    } else if (l_strMode == "json") {
        vexl::json::tJsonWriteOptions l_tOptions;
        l_tOptions.bPretty = true;
        if (!vexl::json::toJSON(l_tRoot, l_strOut, nullptr, l_tOptions))
            return 1;
        l_strOut += '\n';
    } else {
        return 1;
    }
    return writeFile(argv[3], l_strOut) ? 0 : 1;
}
