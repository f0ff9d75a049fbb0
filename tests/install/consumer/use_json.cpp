// vexl::json: a JSON text imported into a tree and exported again.
#include "linked.h"
#include <string>
#include <vexl/json.h>

int main() {
    vexl::CFields l_tree;
    if (!vexl::json::fromJSON(R"({"port":8080,"hosts":["a","b"]})", l_tree))
        return 1;
    std::string l_strText;
    if (!vexl::json::toJSON(l_tree, l_strText))
        return 2;
    return l_strText == R"({"port":8080,"hosts":["a","b"]})" && linkedLibrariesWork() ? 0 : 3;
}
