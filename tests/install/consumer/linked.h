// Every consumer also links the keyword add-on and the generator: their libraries load further
// libraries of the installation (the lock library, the notation library), which must be found
// without any search path set by the user.
#pragma once
#include <esk_add/esk_add.h>
#include <nxgenerator/nxgenerator.h>

inline bool linkedLibrariesWork() {
    CGSN4B l_gsn;
    return esk_link() && l_gsn.GSN_Get() == 1;
}
