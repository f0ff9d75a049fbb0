// Build a tree, write it as text, load it back and compare.
#include <vexl/vexl.h>

#include <iostream>

int main() {
    using namespace vexl;
    CFields root(DT_fields);
    root.addChildRef("name") = "vexl";
    root.addChildRef("port", 7) = 8080; // member with ID 7
    CFields &hosts = root.addChildRef("hosts");
    hosts.addArrayAt("alpha");
    hosts.addArrayAt("beta");

    std::string text = root.toVEXL(SER_HFW, SIS_DETAIL, "");
    std::cout << text;

    CFields copy;
    CLoaders loaders(48);
    if (!loaders.loading(text, copy, "", true)) {
        std::cerr << loaders.getLastErrMsg() << '\n';
        return 1;
    }
    return copy == root ? 0 : 1;
}
