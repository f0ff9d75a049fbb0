// Makes one packet of two (ANF3useq_3) fields with the shared add-on and prints it, e.g. 001002.
// Started by the tests in a folder of their own: slot files are created in the working directory.

#include <cstdio>
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

int main() {
    if (!esk_link())
        return 2;
    vexl::CFields l_tRoot;
    l_tRoot.addChildRef("first").pkt_SetExp(sequenceExpression());
    l_tRoot.addChildRef("second").pkt_SetExp(sequenceExpression());
    const std::string l_strPacket = l_tRoot.pkt_Make4Children(true);
    std::fwrite(l_strPacket.data(), 1, l_strPacket.size(), stdout);
    return 0;
}
