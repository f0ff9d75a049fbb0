// Step 8 of `vexl`: the tree written by the human-friendly writer and saved beside the input.

#include <cstdio>

#include "common/console.h"
#include "steps/steps.h"
#include "vexl/vexl.h"

namespace demo {

namespace {

// Of the seven SIS presets the second is used; its number appears in the heading and the name.
constexpr int kPresetNumber = 2;

} // namespace

std::string directoryPart(const std::string &path) {
    const size_t l_uSeparator = path.find_last_of("\\/");
    return l_uSeparator == std::string::npos ? std::string() : path.substr(0, l_uSeparator + 1);
}

bool writeAndSave(const vexl::CFields &root, const std::string &inputPath) {
    printSeparator(79);
    const std::string l_strPrefix = "[1-" + std::to_string(kPresetNumber) + "] ";
    std::string l_strText;
    if (!displayTree(root, l_strPrefix.c_str(), l_strText))
        return false;
    if (l_strText.empty())
        return true;

    // "%s%s[%d]%s.vexl" of directory, rule, preset number and preset name, built without a
    // fixed buffer whatever the length of the directory.
    const std::string l_strName = directoryPart(inputPath) + vexl::getERName(vexl::SER_HFW) + "[" +
                                  std::to_string(kPresetNumber) + "]" +
                                  vexl::SIS_PRESETS[kPresetNumber - 1].szName + ".vexl";
    // Binary mode: the file gets exactly the writer's bytes, with LF line ends.
    std::FILE *l_pFile = std::fopen(l_strName.c_str(), "wb");
    bool l_bWritten = l_pFile != nullptr;
    if (l_bWritten) {
        l_bWritten = std::fwrite(l_strText.data(), 1, l_strText.size(), l_pFile) == l_strText.size();
        l_bWritten = std::fclose(l_pFile) == 0 && l_bWritten;
    }
    if (!l_bWritten) {
        std::printf("Failed to open a file=[%s]\n", l_strName.c_str());
        return false;
    }
    printSeparator(10);
    std::printf("<< Saved to the VEXL syntax.[file=%s]\n", l_strName.c_str());
    return true;
}

} // namespace demo
