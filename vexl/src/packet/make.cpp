// Making packets: the walk over the leaves of a tree, the one-field steps (skip rules, keyword
// step, encoder choice) and the private per-encoder members.

#include <cstring>
#include <string>

#include "encoders.h"
#include "packet_plan.h"
#include "tree/fields_vector.h"
#include "vexl/fields.h"

namespace vexl {

namespace {

bool isContainerType(E_DataType a_eType) noexcept {
    return a_eType == DT_fields || a_eType == DT_array;
}

} // namespace

// MARK: - Making (Public)

std::string CFields::pkt_Make4OneSelf(bool keywords) {
    std::string l_strPacket;
    tMemoVector l_vecMemo;
    pkt_make4OneSelf(l_strPacket, l_vecMemo, keywords);
    return l_strPacket;
}

std::string CFields::pkt_Make4Children(bool keywords, CFields *node) {
    CFields &l_tNode = node != nullptr ? *node : *this;
    std::string l_strPacket;
    if (l_tNode.getChildCount() == 0) {
        tMemoVector l_vecMemo;
        l_tNode.pkt_make4OneSelf(l_strPacket, l_vecMemo, keywords);
        return l_strPacket;
    }
    const detail::CPacketPlan &l_tPlan = detail::CPacketPlan::of(l_tNode);
    if (keywords && l_tPlan.hasKeywords()) {
        // Keyword steps see the packet built so far and may change the tree: the walk.
        tMemoVector l_vecMemo;
        l_strPacket.reserve(l_tPlan.length(false).uLength());
        pkt_make4Children(l_strPacket, l_vecMemo, keywords, &l_tNode);
        return l_strPacket;
    }
    l_tPlan.append(l_strPacket);
    return l_strPacket;
}

size_t CFields::pkt_Make4ChildrenTo(char *buffer, size_t capacity, bool keywords, CFields *node) {
    CFields &l_tNode = node != nullptr ? *node : *this;
    if (buffer == nullptr)
        capacity = 0;
    if (l_tNode.getChildCount() != 0) {
        const detail::CPacketPlan &l_tPlan = detail::CPacketPlan::of(l_tNode);
        if (!keywords || !l_tPlan.hasKeywords())
            return l_tPlan.makeTo(buffer, capacity);
    }
    const std::string l_strPacket = pkt_Make4Children(keywords, &l_tNode);
    if (l_strPacket.size() <= capacity && !l_strPacket.empty())
        std::memcpy(buffer, l_strPacket.data(), l_strPacket.size());
    return l_strPacket.size();
}

size_t CFields::pkt_Append4Children(std::string &out, bool keywords, CFields *node) {
    CFields &l_tNode = node != nullptr ? *node : *this;
    const size_t l_uiBefore = out.size();
    if (l_tNode.getChildCount() != 0) {
        const detail::CPacketPlan &l_tPlan = detail::CPacketPlan::of(l_tNode);
        if (!keywords || !l_tPlan.hasKeywords()) {
            try {
                l_tPlan.append(out);
            } catch (...) {
                out.resize(l_uiBefore);
                throw;
            }
            return out.size() - l_uiBefore;
        }
    }
    // Keyword steps see a packet of their own, as with pkt_Make4Children.
    out += pkt_Make4Children(keywords, &l_tNode);
    return out.size() - l_uiBefore;
}

void CFields::pkt_ReleaseLayout() noexcept {
    if (head() == nullptr || head()->uCapacity == 0)
        return;
    auto *const l_pHead = const_cast<tChildrenHead *>(head());
    detail::releasePacketPlan(l_pHead->pPlan);
    l_pHead->pPlan = nullptr;
}

// MARK: - Making (Private)

void CFields::pkt_make4Children(std::string &packet, tMemoVector &memo, bool keywords, CFields *node) {
    for (CFields &l_tChild : *node) {
        if (isContainerType(l_tChild.getDT()))
            pkt_make4Children(packet, memo, keywords, &l_tChild);
        else
            l_tChild.pkt_make4OneSelf(packet, memo, keywords);
    }
}

void CFields::pkt_make4OneSelf(std::string &packet, tMemoVector &memo, bool keywords) {
    if (isContainerType(getDT()))
        return;
    // Fields without bytes are left out; a D field of length 0 still runs its keyword step once
    // a size field has been seen, because "sizeset_" gives it its length.
    switch (m_tPEI.eLengthCode()) {
    case LEC_FIXED:
        if (m_tPEI.uLength() == 0)
            return;
        break;
    case LEC_VARIABLE:
        if (m_tPEI.uVarWidth == 0)
            return;
        break;
    case LEC_DYNAMIC:
        if (m_tPEI.uLength() == 0 && memo.empty())
            return;
        break;
    default:
        return;
    }
    if (keywords && m_tPEI.uSKI() != 0 && !pkt_allotValue4SKI(packet, memo))
        return;
    // The keyword step may have changed the expression (a D field's length).
    const tPacketExpInfo &l_tExp = m_tPEI;
    const bool l_bVariable = l_tExp.eLengthCode() == LEC_VARIABLE;
    if (l_tExp.ePacketCode() == PEC_ASCII) {
        if (l_bVariable)
            detail::appendAsciiVariable(packet, *this, l_tExp.uVarWidth, l_tExp.nCalibration);
        else
            detail::appendAsciiFixed(packet, *this, l_tExp.uLength());
    } else {
        if (l_bVariable)
            detail::appendBinaryVariable(packet, *this, l_tExp.uVarWidth, l_tExp.nCalibration);
        else
            detail::appendBinaryFixed(packet, *this, l_tExp.uLength());
    }
}

// MARK: - Encoders of one field (Private)

std::string CFields::pkt_makeToACF() const {
    std::string l_strOut;
    detail::appendAsciiFixed(l_strOut, *this, m_tPEI.uLength());
    return l_strOut;
}

std::string CFields::pkt_makeToACV() const {
    std::string l_strOut;
    detail::appendAsciiVariable(l_strOut, *this, m_tPEI.uVarWidth, m_tPEI.nCalibration);
    return l_strOut;
}

std::string CFields::pkt_makeToBCF() const {
    std::string l_strOut;
    detail::appendBinaryFixed(l_strOut, *this, m_tPEI.uLength());
    return l_strOut;
}

std::string CFields::pkt_makeToBCV() const {
    std::string l_strOut;
    detail::appendBinaryVariable(l_strOut, *this, m_tPEI.uVarWidth, m_tPEI.nCalibration);
    return l_strOut;
}

std::string CFields::pkt_makeToANF() const {
    return pkt_makeToACF();
}
std::string CFields::pkt_makeToANV() const {
    return pkt_makeToACV();
}
std::string CFields::pkt_makeToBNF() const {
    return pkt_makeToBCF();
}
std::string CFields::pkt_makeToBNV() const {
    return pkt_makeToBCV();
}

} // namespace vexl
