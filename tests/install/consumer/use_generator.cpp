// vexl::generator: a reused ID and a counter slot kept in memory.
#include "linked.h"
#include <nxgenerator/nxgenerator.h>

int main() {
    CGID4B l_gid;
    l_gid.GID_SetIsReuse(true);
    l_gid.GID_RegNousedID(7);
    CnxLockGSN10 l_seq;
    return l_gid.GID_Get() == 7 && l_seq.GetAt(3) == 1 && linkedLibrariesWork() ? 0 : 1;
}
