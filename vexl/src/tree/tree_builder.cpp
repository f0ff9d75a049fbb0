// Building a tree front to back through per-level member sequences.

#include "tree/tree_builder.h"

#include "tree/fields_vector.h"

namespace vexl::detail {

CTreeBuilder::~CTreeBuilder() {
    for (CFieldsVector *l_pSeq : m_vecLevels)
        CFieldsVector::destroy(l_pSeq);
}

void CTreeBuilder::open(CFields &node, E_DataType type, uint32_t level) {
    CFieldsVector::setActualContainer(node, type);
    const size_t l_uLevel = size_t(level) + 1;
    while (m_vecLevels.size() <= l_uLevel)
        m_vecLevels.push_back(CFieldsVector::create(0));
    if (m_vecLevels[l_uLevel]->count() != 0) // left over from an unfinished container
        m_vecLevels[l_uLevel]->clear();
}

CFields &CTreeBuilder::appendElement(uint32_t level) {
    CFieldsVector *&l_rSeq = m_vecLevels[level];
    if (l_rSeq->count() == l_rSeq->capacity()) // the sequence is reused: grow it fast
        CFieldsVector::reserve(l_rSeq, l_rSeq->capacity() < 8 ? 8 : l_rSeq->capacity() * 2);
    return CFieldsVector::appendNull(l_rSeq);
}

CFields *CTreeBuilder::appendMember(uint32_t level, const char *name, uint32_t length, bool unique) {
    CFieldsVector *&l_rSeq = m_vecLevels[level];
    if (l_rSeq->count() == l_rSeq->capacity())
        CFieldsVector::reserve(l_rSeq, l_rSeq->capacity() < 8 ? 8 : l_rSeq->capacity() * 2);
    return CFieldsVector::appendMember(l_rSeq, CFields::null, name, length, 0, !unique);
}

void CTreeBuilder::close(CFields &node, uint32_t level) {
    CFieldsVector::moveAllInto(m_vecLevels[size_t(level) + 1], node);
}

} // namespace vexl::detail
