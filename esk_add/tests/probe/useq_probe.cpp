// Makes one packet of two (ANF3useq_3) fields with the shared add-on and prints it, e.g. 001002.
// Started by the tests in a folder of their own: slot files are created in the working directory.
//
// Mode "make" links the add-on first. Mode "lazy" leaves only the allot hook registered, so that
// the first packet hook has to link the others; it then prints " linked" when it did.

#include <cstdio>
#include <cstring>
#include <string>

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
    const bool l_bLazy = argc > 1 && std::strcmp(argv[1], "lazy") == 0;
    if (!esk_link())
        return 2;
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
