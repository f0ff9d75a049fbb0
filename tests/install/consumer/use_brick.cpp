// vexl::brick: the Internet checksum.
#include "linked.h"
#include <brick/brick.h>

int main() {
    const char l_data[] = {0x00, 0x01};
    return brick::CHKSUM_Make(l_data, 2, 0) == 0xFFFE && linkedLibrariesWork() ? 0 : 1;
}
