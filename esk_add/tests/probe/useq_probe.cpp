// Makes one packet of two (ANF3useq_3) fields with the shared add-on and prints it, e.g. 001002.
// Started by the tests in a folder of their own: slot files are created in the working directory.
//
// Mode "make" links the add-on first. Mode "lazy" leaves only the allot hook registered, so that
// the first packet hook has to link the others; it then prints " linked" when it did. Mode "link"
// only links. Mode "draw" runs the allot step of one (ANF3useq_3) field and prints its result and
// the field's value, e.g. "1 1"; mode "orphan" does the same in a working directory that has been
// removed.

#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "esk_add/esk_add.h"
#include "vexl/fields.h"

namespace {

vexl::tPacketExpInfo sequenceExpression() {
    vexl::tPacketExpInfo l_tExp{};
    l_tExp.setPacketCode(vexl::PEC_ASCII);
    l_tExp.setRuntimeCode(vexl::REC_NUMBER);
    l_tExp.setLengthCode(vexl::LEC_FIXED);
    l_tExp.setLength(3);
    l_tExp.setSkiKind(1);
    l_tExp.setSkiOption(3);
    l_tExp.setSKI(2); // "useq_"
    return l_tExp;
}

} // namespace

int main(int argc, char **argv) {
    const char *const l_cpMode = argc > 1 ? argv[1] : "make";
    const bool l_bLazy = std::strcmp(l_cpMode, "lazy") == 0;
    if (!esk_link())
        return 2;
    if (std::strcmp(l_cpMode, "link") == 0)
        return 0;
    if (std::strcmp(l_cpMode, "orphan") == 0 &&
        (mkdir("orphan", 0755) != 0 || chdir("orphan") != 0 || rmdir("../orphan") != 0))
        return 3;
    if (std::strcmp(l_cpMode, "draw") == 0 || std::strcmp(l_cpMode, "orphan") == 0) {
        vexl::CFields l_tField;
        l_tField.pkt_SetExp(sequenceExpression());
        const int l_nResult = vexl::CFields::getAllotPktFP4ESK(1)(2, 3, l_tField);
        std::printf("%d %s", l_nResult, l_tField.asString().c_str());
        return 0;
    }
    if (l_bLazy) {
        using vexl::CFields;
        CFields::setCheckIdxFP4ESK(1, nullptr);
        CFields::setGetIdxFP4ESK(1, nullptr);
        CFields::setGetTxtFP4ESK(1, nullptr);
        CFields::setParsePktFP4ESK(1, nullptr);
        CFields::setCheckPktFP4ESK(1, nullptr);
    }
    vexl::CFields l_tRoot;
    l_tRoot.addChildRef("first").pkt_SetExp(sequenceExpression());
    l_tRoot.addChildRef("second").pkt_SetExp(sequenceExpression());
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    std::fwrite(l_strPacket.data(), 1, l_strPacket.size(), stdout);
    if (l_bLazy) {
        const bool l_bLinked =
            vexl::CFields::getParsePktFP4ESK(1) != nullptr && vexl::CFields::getGetIdxFP4ESK(1) != nullptr;
        std::fputs(l_bLinked ? " linked" : " unlinked", stdout);
    }
    return 0;
}
