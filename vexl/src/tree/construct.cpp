// Building trees in place: records and arrays from initializer lists, and members created on
// first use.

#include <initializer_list>
#include <string_view>
#include <utility>

#include "vexl/fields.h"

namespace vexl {

namespace {

void requireNameLength(std::string_view name, const char *function, int line) {
    if (name.empty() || name.size() > CAllotString::MAX_LENGTH)
        raiseLogicError("[%s#%d] name length out of range(%zu)", function, line, name.size());
}

} // namespace

CFields &CFields::getOrCreate(std::string_view name) {
    const char *const l_szFn = "vexl::CFields::getOrCreate";
    requireNameLength(name, l_szFn, __LINE__);
    E_DataType l_dt = getDT();
    if (l_dt != DT_fields && l_dt != DT_null)
        raiseLogicError("[%s#%d] requires DT_fields", l_szFn, __LINE__);
    // A null node becomes a record through the first addition (the name is not empty).
    return child_AddRef(name.data(), unsigned(name.size()), 0, false);
}

CFields CFields::record(std::initializer_list<std::pair<std::string_view, CFields>> members) {
    const char *const l_szFn = "vexl::CFields::record";
    CFields l_tRecord(DT_fields);
    l_tRecord.reserveChildren(unsigned(members.size()));
    for (const auto &l_member : members) {
        requireNameLength(l_member.first, l_szFn, __LINE__);
        const unsigned l_uLen = unsigned(l_member.first.size());
        CFields &l_child = l_tRecord.child_AddRef(l_member.first.data(), l_uLen, 0, false);
        l_child.setField(l_member.second);
        l_child.setName(l_member.first.data(), l_uLen);
    }
    return l_tRecord;
}

CFields CFields::array(std::initializer_list<CFields> elements) {
    CFields l_tArray(DT_array);
    l_tArray.reserveChildren(unsigned(elements.size()));
    for (const CFields &l_element : elements)
        l_tArray.addArrayAt(l_element);
    return l_tArray;
}

} // namespace vexl
