// vexldemo: the notation library and the keyword add-on compiled into the program. It prints the
// layout of the saver parameter byte, loads the document named on the command line, connects the
// add-on, and lists the tree.
//
// Exit status: 0 success; -1 (255 in the shell) without an argument; -2 (254) when the add-on
// cannot be connected or the document cannot be loaded.

#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/start.h"
#include "vexl/vexl.h"

namespace {

// One byte holding save-information bits in its low 3 bits and an encoding rule in the high 5.
struct tSaveInfo {
    unsigned char ucSIS : 3;
    unsigned char ucER : 5;
};
static_assert(sizeof(tSaveInfo) == 1);

// The same byte from two numbers: SIS in bits 0 to 2, the encoding rule from bit 3.
#define DEMO_SAVEINFO(sis, er) static_cast<unsigned char>(((sis)&0x07u) | ((er) << 3))

void saverParameterTest() {
    std::puts("Saver parameter test.");
    tSaveInfo l_tInfo{};
    l_tInfo.ucSIS = 7;
    l_tInfo.ucER = 1;
    unsigned char l_ucByte;
    std::memcpy(&l_ucByte, &l_tInfo, 1);
    std::printf("SIS = 0x%02X\n", unsigned(l_tInfo.ucSIS));
    std::printf("ER  = 0x%02X\n", unsigned(l_tInfo.ucER));
    std::printf("union saveinfo = 0x%02X\n", unsigned(l_ucByte));
    demo::printSeparator(20);
    std::printf("macro saveinfo = 0x%02X\n", unsigned(DEMO_SAVEINFO(7u, 7u)));
}

} // namespace

int main(int argc, char **argv) {
    saverParameterTest();
    try {
        vexl::CFields l_tRoot;
        return demo::startDemo(argc, argv, l_tRoot);
    } catch (const vexl::CException &l_tError) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", l_tError.what());
        return demo::EXIT_FAILURE_STEP;
    }
}
