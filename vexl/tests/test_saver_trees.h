#pragma once
// Trees shared by the writer tests.

#include "vexl/fields.h"

#include <string>

namespace saver_test {

inline vexl::tPacketExpInfo fixedExp(uint32_t length, uint16_t ski = 0, unsigned option = 0) {
    vexl::tPacketExpInfo e{};
    e.setLength(length);
    e.setSKI(ski);
    e.setSkiOption(option);
    return e;
}

// The "config" document of the writers' documentation: a root named config with ID 7 and a
// tail comment; port (comments ahead and behind, expression ACF4, 8080), hosts ["a", "b"],
// count 3.
inline vexl::CFields configTree() {
    vexl::CFields root(vexl::DT_fields);
    root.setName("config");
    root.setID(7);
    root.setComment("/* end */", vexl::CP_Tail);
    vexl::CFields &port = root.addChildRef("port");
    port = 8080u;
    port.pkt_SetExp(fixedExp(4));
    port.setComment("// the port", vexl::CP_Ahead);
    port.setComment("// fixed width", vexl::CP_Behind);
    vexl::CFields &hosts = root.addChildRef("hosts");
    hosts.addArrayAt(vexl::CFields("a"));
    hosts.addArrayAt(vexl::CFields("b"));
    root.addChildRef("count") = 3u;
    return root;
}

// An array of `n` unsigned elements 0 .. n-1.
inline vexl::CFields numberArray(unsigned n) {
    vexl::CFields arr(vexl::DT_array);
    for (unsigned i = 0; i < n; ++i)
        arr.addArrayAt(vexl::CFields(i));
    return arr;
}

} // namespace saver_test
