// Round trip: packets made from random trees of F, V and D fields of every data type parse back,
// into a copy of the layout, to the values they were made from.
//
// The generator only builds fields whose encoding keeps the value. These cannot come back and
// are left out on purpose:
// - text or code lists longer than their fixed field (only the first characters are sent);
// - binary numbers narrower than their value, negative numbers in fields under 8 bytes, and
//   doubles in binary fields under 8 bytes (only the last bytes are sent);
// - NaN and infinities in ASCII fields (their texts are not numbers).
// Some values come back in another form, which the comparison accounts for: a binary N field of
// 8 bytes or fewer gives the bit pattern as a signed integer (so a double comes back as its bits
// unless its field has 9 bytes or more, which gives a double), an ASCII N field gives the
// smallest integer type that holds the number, a bool in an N field gives 0 or 1, a null field
// gives spaces, zero bytes or nothing (C) or 0 (N), and C fields give the bytes that were sent.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "packet/packet_bytes.h"
#include "test_packet_support.h"
#include "vexl/fields.h"
#include "vexl/utilities.h"

using namespace vexl;

namespace {

class CTreeGenerator {
public:
    explicit CTreeGenerator(uint32_t seed) : m_tRng(seed) {}

    void fill(CFields &a_tNode, int a_nDepth) {
        const int l_nCount = pick(1, 8);
        for (int i = 0; i < l_nCount; ++i) {
            const bool l_bInner = a_nDepth < 3 && pick(0, 5) == 0;
            CFields &l_tChild =
                a_tNode.isArray() ? a_tNode.addArrayAt(CFields()) : a_tNode.addChildRef("f", 0, true);
            if (l_bInner) {
                l_tChild.setValue(pick(0, 1) == 0 ? DT_fields : DT_array);
                fill(l_tChild, a_nDepth + 1);
            } else {
                makeLeaf(l_tChild);
            }
        }
    }

private:
    int pick(int a_nLow, int a_nHigh) { return std::uniform_int_distribution<int>(a_nLow, a_nHigh)(m_tRng); }
    uint64_t bits() { return (uint64_t(m_tRng()) << 32) | m_tRng(); }

    void setValue(CFields &a_tLeaf, E_DataType a_eType) {
        switch (a_eType) {
        case DT_bool:
            a_tLeaf = pick(0, 1) == 1;
            break;
        case DT_sint: {
            const int l_nShift = pick(0, 63);
            a_tLeaf = static_cast<long long>(bits()) >> l_nShift;
            break;
        }
        case DT_uint:
            a_tLeaf = static_cast<unsigned long long>(bits() >> pick(0, 63));
            break;
        case DT_double: {
            double l_dValue;
            do
                l_dValue = detail::bitsDouble(bits());
            while (!std::isfinite(l_dValue));
            a_tLeaf = pick(0, 2) == 0 ? double(pick(-1000, 1000)) / 8 : l_dValue;
            break;
        }
        case DT_codelist: {
            std::string l_strBytes(size_t(pick(0, 20)), '\0');
            for (char &l_c : l_strBytes)
                l_c = char(pick(0, 255));
            a_tLeaf = l_strBytes;
            break;
        }
        default:
            a_tLeaf = DT_null;
            break;
        }
    }

    void makeLeaf(CFields &a_tLeaf) {
        const E_DataType l_aeTypes[] = {DT_null, DT_bool, DT_sint, DT_uint, DT_double, DT_codelist};
        const E_DataType l_eType = l_aeTypes[pick(0, 5)];
        setValue(a_tLeaf, l_eType);
        tPacketExpInfo l_tExp{};
        const bool l_bBinary = pick(0, 1) == 1;
        l_tExp.setPacketCode(l_bBinary ? PEC_BINARY : PEC_ASCII);
        // Code lists are carried as bytes only.
        l_tExp.setRuntimeCode(l_eType != DT_codelist && pick(0, 1) == 1 ? REC_NUMBER : REC_CHARACTER);
        const int l_nLengthCode = pick(0, 2);
        if (l_nLengthCode == 1) {
            l_tExp.setLengthCode(LEC_VARIABLE);
            const int l_nCalibration = pick(-3, 3);
            const uint64_t l_uContent = contentLength(a_tLeaf, l_bBinary);
            // The narrowest prefix that holds width - calibration + content length.
            unsigned l_uiWidth = 1;
            for (;; ++l_uiWidth) {
                const int64_t l_nPrefix = int64_t(l_uiWidth) - l_nCalibration + int64_t(l_uContent);
                if (l_nPrefix >= 0 &&
                    (l_bBinary ? (l_uiWidth >= 8 || uint64_t(l_nPrefix) >> (8 * l_uiWidth) == 0)
                               : detail::decimalDigits(uint64_t(l_nPrefix)) <= l_uiWidth))
                    break;
            }
            l_uiWidth += unsigned(pick(0, 1));
            l_tExp.uVarWidth = uint8_t(l_uiWidth);
            l_tExp.nCalibration = int8_t(l_nCalibration);
            l_tExp.setLength(l_uiWidth);
        } else {
            l_tExp.setLengthCode(l_nLengthCode == 0 ? LEC_FIXED : LEC_DYNAMIC);
            l_tExp.setLength(fixedLength(a_tLeaf, l_bBinary));
        }
        a_tLeaf.pkt_SetExp(l_tExp);
    }

    static uint64_t contentLength(const CFields &a_tLeaf, bool a_bBinary) {
        switch (a_tLeaf.getDT()) {
        case DT_null:
            return 0;
        case DT_bool:
            return 1;
        case DT_codelist:
            return a_tLeaf.getRawBytes();
        default:
            return a_bBinary ? 8 : a_tLeaf.asString().size();
        }
    }

    // A fixed length that keeps the value.
    uint32_t fixedLength(const CFields &a_tLeaf, bool a_bBinary) {
        const uint32_t l_uiSlack = uint32_t(pick(0, 3));
        switch (a_tLeaf.getDT()) {
        case DT_null:
        case DT_bool:
            return 1 + l_uiSlack;
        case DT_codelist:
            return std::max<uint32_t>(1, a_tLeaf.getRawBytes() + l_uiSlack);
        case DT_sint:
        case DT_uint:
            if (a_bBinary) {
                if (a_tLeaf.getDT() == DT_sint && a_tLeaf.asSint64() < 0)
                    return 8 + l_uiSlack;
                const uint64_t l_uValue = a_tLeaf.getValueRef().m_ullValue;
                uint32_t l_uiBytes = 1;
                while (l_uiBytes < 8 && l_uValue >> (8 * l_uiBytes) != 0)
                    ++l_uiBytes;
                return l_uiBytes + l_uiSlack;
            }
            return uint32_t(a_tLeaf.asString().size()) + l_uiSlack;
        default:
            return a_bBinary ? 8 + l_uiSlack : uint32_t(a_tLeaf.asString().size()) + l_uiSlack;
        }
    }

    std::mt19937 m_tRng;
};

void collectLeaves(CFields &a_tNode, std::vector<CFields *> &a_vecOut) {
    for (CFields &l_tChild : a_tNode) {
        if (l_tChild.isField() || l_tChild.isArray())
            collectLeaves(l_tChild, a_vecOut);
        else
            a_vecOut.push_back(&l_tChild);
    }
}

// The unsigned bit pattern of a number the way the field carries it.
uint64_t numberBits(const CFields &a_tField) {
    if (a_tField.getDT() == DT_double)
        return detail::doubleBits(a_tField.asDouble());
    return a_tField.getValueRef().m_ullValue;
}

// Checks that `a_tGot`, parsed from the bytes made from `a_tSent`, carries the same value.
void expectCarried(const CFields &a_tSent, const CFields &a_tGot) {
    const tPacketExpInfo l_tExp = a_tSent.pkt_GetExp();
    const bool l_bBinary = l_tExp.ePacketCode() == PEC_BINARY;
    const bool l_bNumber = l_tExp.eRuntimeCode() == REC_NUMBER;
    const bool l_bVariable = l_tExp.eLengthCode() == LEC_VARIABLE;
    const uint32_t l_uiLength = l_tExp.uLength();
    const char l_cPad = l_bBinary ? '\0' : ' ';
    SCOPED_TRACE(std::string(DATA_TYPE_WORDS[a_tSent.getDT()]) + " " + "AB"[l_bBinary] + "CN"[l_bNumber] +
                 "FVD"[l_tExp.eLengthCode()] + std::to_string(l_bVariable ? l_tExp.uVarWidth : l_uiLength));
    switch (a_tSent.getDT()) {
    case DT_codelist: {
        std::string l_strWant = a_tSent.asString();
        if (!l_bVariable)
            l_strWant.resize(l_uiLength, l_cPad);
        EXPECT_EQ(a_tGot.asString(), l_strWant);
        return;
    }
    case DT_null:
        if (l_bNumber)
            EXPECT_EQ(a_tGot.asDouble(), 0.0);
        else
            EXPECT_EQ(a_tGot.asString(), std::string(l_bVariable ? 0 : l_uiLength, l_cPad));
        return;
    case DT_bool: {
        const bool l_bValue = a_tSent.asBool();
        if (l_bNumber) {
            EXPECT_EQ(a_tGot.asSint64(), l_bValue ? 1 : 0);
        } else {
            const std::string l_strGot = a_tGot.asString();
            ASSERT_FALSE(l_strGot.empty());
            EXPECT_EQ(l_strGot.back(), l_bBinary ? char(l_bValue) : l_bValue ? '1' : '0');
            EXPECT_EQ(l_strGot.size(), l_bVariable ? 1u : l_uiLength);
        }
        return;
    }
    default:
        break;
    }
    if (l_bBinary) {
        // The sent bits, compared over the bytes the field carries.
        uint64_t l_uWant = numberBits(a_tSent);
        uint64_t l_uGot;
        if (l_bNumber) {
            l_uGot = numberBits(a_tGot);
        } else {
            const std::string l_strGot = a_tGot.asString();
            const unsigned l_uiUsed = l_strGot.size() > 8 ? 8 : unsigned(l_strGot.size());
            l_uGot = detail::loadBigEndian(reinterpret_cast<const unsigned char *>(l_strGot.data()) +
                                               (l_strGot.size() - l_uiUsed),
                                           l_uiUsed);
        }
        EXPECT_EQ(l_uGot, l_uWant);
        return;
    }
    // ASCII: the received text read as a number is the number sent.
    CFields l_tNumber;
    if (l_bNumber) {
        l_tNumber = a_tGot;
    } else {
        const std::string l_strGot = a_tGot.asString();
        atonInField(l_strGot.data(), unsigned(l_strGot.size()), l_tNumber);
    }
    switch (a_tSent.getDT()) {
    case DT_sint:
        EXPECT_EQ(l_tNumber.asSint64(), a_tSent.asSint64());
        break;
    case DT_uint:
        EXPECT_EQ(numberBits(l_tNumber), a_tSent.asUint64());
        break;
    default:
        EXPECT_EQ(l_tNumber.asDouble(), a_tSent.asDouble());
        break;
    }
}

} // namespace

TEST(PacketRoundTrip, RandomTreesComeBackFieldByField) {
    for (uint32_t l_uSeed = 1; l_uSeed <= 400; ++l_uSeed) {
        SCOPED_TRACE("seed " + std::to_string(l_uSeed));
        CTreeGenerator l_tGenerator(l_uSeed);
        CFields l_tRoot(DT_fields);
        l_tGenerator.fill(l_tRoot, 0);
        const std::string l_strPacket = l_tRoot.pkt_Make4Children(false);
        const uPacketLengthExpression l_uLength = l_tRoot.pkt_Len4Children(false);
        if (!l_uLength.bVariable()) {
            EXPECT_EQ(l_strPacket.size(), l_uLength.uLength());
        }

        CFields l_tCopy(l_tRoot);
        std::vector<CFields *> l_vecSent;
        std::vector<CFields *> l_vecGot;
        collectLeaves(l_tRoot, l_vecSent);
        collectLeaves(l_tCopy, l_vecGot);
        ASSERT_EQ(l_vecSent.size(), l_vecGot.size());
        for (CFields *l_pLeaf : l_vecGot)
            *l_pLeaf = DT_null;

        const char *l_cpData = l_strPacket.data();
        const unsigned l_uiSize = unsigned(l_strPacket.size());
        EXPECT_EQ(l_tCopy.pkt_Parse4Children(l_cpData, l_uiSize, false), 0);
        for (CFields *l_pLeaf : l_vecGot)
            ASSERT_EQ(l_pLeaf->getDT(), DT_null);
        EXPECT_EQ(l_tCopy.pkt_Parse4Children(l_cpData, l_uiSize, true), 0);
        EXPECT_EQ(l_tCopy.pkt_DetailCheck4Children(l_cpData, l_uiSize), 0u);
        for (size_t i = 0; i < l_vecSent.size(); ++i)
            expectCarried(*l_vecSent[i], *l_vecGot[i]);
        // A packet one byte short reports exactly one byte missing.
        if (l_uiSize != 0) {
            EXPECT_EQ(l_tCopy.pkt_Parse4Children(l_cpData, l_uiSize - 1, false), -1);
        }
        if (HasFailure())
            return;
    }
}
