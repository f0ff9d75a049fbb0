#pragma once

#include <cstdint>
#include <utility>

namespace brick_detail {

/// How the span [L2, R2] of r2 lies against the span [L1, R1] of r1 on one
/// axis.  A: L1 < L2 < R1; B: L1 < R2 < R1; C: L2 <= L1 and R1 <= R2.  A and
/// C, and B and C, exclude each other: none, A, B, A and B (inside), or C.
struct tAxis {
    bool bA;
    bool bB;
    bool bC;

    bool none() const { return !bA && !bB && !bC; }
    unsigned bits() const { return (bA ? 1U : 0U) | (bB ? 2U : 0U) | (bC ? 4U : 0U); }

    /// The overlapping span.
    std::pair<int32_t, int32_t> intersection(int32_t a_iL1, int32_t a_iR1, int32_t a_iL2,
                                             int32_t a_iR2) const {
        if (bC) {
            return {a_iL1, a_iR1};
        }
        return {bA ? a_iL2 : a_iL1, bB ? a_iR2 : a_iR1};
    }

    /// Length of the overlap: |L2 - R1|, |L1 - R2|, |L2 - R2| or |L1 - R1|.
    long range(int32_t a_iL1, int32_t a_iR1, int32_t a_iL2, int32_t a_iR2) const {
        int64_t l_llFrom, l_llTo;
        if (bC) {
            l_llFrom = a_iL1, l_llTo = a_iR1;
        } else if (bA && bB) {
            l_llFrom = a_iL2, l_llTo = a_iR2;
        } else if (bA) {
            l_llFrom = a_iL2, l_llTo = a_iR1;
        } else if (bB) {
            l_llFrom = a_iL1, l_llTo = a_iR2;
        } else {
            return 0;
        }
        return static_cast<long>(l_llTo >= l_llFrom ? l_llTo - l_llFrom : l_llFrom - l_llTo);
    }
};

inline tAxis axisState(int32_t a_iL1, int32_t a_iR1, int32_t a_iL2, int32_t a_iR2) {
    return tAxis{a_iL1 < a_iL2 && a_iL2 < a_iR1, a_iL1 < a_iR2 && a_iR2 < a_iR1,
                 a_iL2 <= a_iL1 && a_iR1 <= a_iR2};
}

} // namespace brick_detail
