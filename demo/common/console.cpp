// Console output shared by the two demo programs.

#include "common/console.h"

#include <cstdio>

#include "vexl/vexl.h"

namespace demo {

void printSeparator(unsigned count) {
    std::string l_strLine(count, '-');
    l_strLine += '\n';
    std::fwrite(l_strLine.data(), 1, l_strLine.size(), stdout);
}

void printBytes(const std::string &bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void printTree(const vexl::CFields &node, unsigned depth) {
    const bool l_bRecord = node.getDT() == vexl::DT_fields;
    const std::string l_strIndent(size_t(depth) * 2, ' ');
    const unsigned l_uiCount = node.getChildCount();
    for (unsigned i = 0; i < l_uiCount; ++i) {
        const vexl::CFields &l_tChild = node.getChildAt(i);
        std::printf("%s[%u]", l_strIndent.c_str(), i);
        if (l_bRecord && l_tChild.getNameLen() != 0) {
            std::fwrite(l_tChild.getName(), 1, l_tChild.getNameLen(), stdout);
            std::fputs(" =", stdout);
        }
        std::fputc(l_tChild.getChildCount() >= 2 ? '\n' : ' ', stdout);
        if (l_tChild.getChildCount() != 0) {
            printTree(l_tChild, depth + 1);
        } else {
            // An empty record or array has no text of its own.
            const vexl::E_DataType l_eType = l_tChild.getDT();
            if (l_eType != vexl::DT_fields && l_eType != vexl::DT_array)
                printBytes(l_tChild.asString());
            std::fputc('\n', stdout);
        }
    }
}

bool displayTree(const vexl::CFields &root, const char *prefix, std::string &text) {
    std::printf("%sDisplay to VEXL string(Using CSavers::%s::%s)\n", prefix, vexl::getERName(vexl::SER_HFW),
                vexl::SIS_PRESETS[1].szName);
    vexl::CSavers l_tSavers(vexl::SCBC_DEFAULT);
    text = l_tSavers.saving(root, vexl::SER_HFW, vexl::SIS_PRESETS[1].ucValue, "739");
    if (l_tSavers.isError()) {
        std::printf("Error code = [%d] %s\n", l_tSavers.getLastErrCode(), l_tSavers.getLastErrMsg().c_str());
        return false;
    }
    std::printf("size = [%zu] bytes\n", text.size());
    printSeparator(10);
    printBytes(text);
    if (!text.empty() && text.back() != '\n')
        std::fputc('\n', stdout);
    return true;
}

} // namespace demo
