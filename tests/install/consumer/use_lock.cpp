// vexl::lock: the recursive mutex and its scoped holder.
#include "linked.h"
#include <sylock/sylock.h>

int main() {
    CsyMutex l_mutex;
    {
        CsyLocker4Mutex l_hold(l_mutex);
        if (l_mutex.waitCount() != 0)
            return 1;
    }
    return l_mutex.waitCount() == -1 && linkedLibrariesWork() ? 0 : 1;
}
