#include <algorithm>
#include <cstdlib>
#include <utility>

#include "brick/geometry.h"
#include "geometry/axis.h"

namespace brick {

using brick_detail::axisState;
using brick_detail::tAxis;

bool IsValidRegion(tagRECT a_rc) {
    return int64_t{a_rc.right} - a_rc.left > 0 && int64_t{a_rc.bottom} - a_rc.top > 0;
}

bool SM_IsValidRegion(tagRECT a_rc) {
    return a_rc.left != a_rc.right && a_rc.top != a_rc.bottom;
}

bool Rect_HitTest(tagRECT a_rc, tagPOINT a_pt) {
    return a_rc.left <= a_pt.x && a_pt.x <= a_rc.right && a_rc.top <= a_pt.y && a_pt.y <= a_rc.bottom;
}

bool Rect_HitTest(tagRECT a_rc1, tagRECT a_rc2) {
    return a_rc1.left <= a_rc2.right && a_rc2.left <= a_rc1.right && a_rc1.top <= a_rc2.bottom &&
           a_rc2.top <= a_rc1.bottom;
}

namespace {

/// Coordinate moved by a margin, wrapping like the 32-bit arithmetic it replaces.
int32_t shifted(int32_t a_iValue, int64_t a_llBy) {
    return static_cast<int32_t>(a_iValue + a_llBy);
}

tagRECT grown(int32_t a_iLeft, int32_t a_iTop, int32_t a_iRight, int32_t a_iBottom, int a_iMargin) {
    return tagRECT{shifted(a_iLeft, -int64_t{a_iMargin}), shifted(a_iTop, -int64_t{a_iMargin}),
                   shifted(a_iRight, a_iMargin), shifted(a_iBottom, a_iMargin)};
}

bool isEmpty(const tagRECT &a_rc) {
    return int64_t{a_rc.right} - a_rc.left < 1 && int64_t{a_rc.bottom} - a_rc.top < 1;
}

} // namespace

tagRECT Rect_Make(tagRECT a_rc, int a_iMargin) {
    return grown(a_rc.left, a_rc.top, a_rc.right, a_rc.bottom, a_iMargin);
}

tagRECT Rect_Make(tagPOINT a_pt1, tagPOINT a_pt2, int a_iMargin) {
    return grown(std::min(a_pt1.x, a_pt2.x), std::min(a_pt1.y, a_pt2.y), std::max(a_pt1.x, a_pt2.x),
                 std::max(a_pt1.y, a_pt2.y), a_iMargin);
}

tagRECT Rect_Min(tagRECT a_rc1, tagRECT a_rc2) {
    return tagRECT{std::min(a_rc1.left, a_rc2.left), std::min(a_rc1.top, a_rc2.top),
                   std::max(a_rc1.right, a_rc2.right), std::max(a_rc1.bottom, a_rc2.bottom)};
}

tagRECT Rect_OR(tagRECT a_rc1, tagRECT a_rc2) {
    const bool l_bEmpty1 = isEmpty(a_rc1);
    const bool l_bEmpty2 = isEmpty(a_rc2);
    if (l_bEmpty1 && l_bEmpty2) {
        return tagRECT{0, 0, 0, 0};
    }
    if (l_bEmpty1) {
        return a_rc2;
    }
    if (l_bEmpty2) {
        return a_rc1;
    }
    return Rect_Min(a_rc1, a_rc2);
}

bool Rect_AND(tagRECT a_rc1, tagRECT a_rc2, tagRECT *a_pOut) {
    const tAxis l_h = axisState(a_rc1.left, a_rc1.right, a_rc2.left, a_rc2.right);
    const tAxis l_v = axisState(a_rc1.top, a_rc1.bottom, a_rc2.top, a_rc2.bottom);
    if (a_pOut == nullptr || l_h.none() || l_v.none()) {
        return false;
    }
    const auto l_h2 = l_h.intersection(a_rc1.left, a_rc1.right, a_rc2.left, a_rc2.right);
    const auto l_v2 = l_v.intersection(a_rc1.top, a_rc1.bottom, a_rc2.top, a_rc2.bottom);
    *a_pOut = tagRECT{l_h2.first, l_v2.first, l_h2.second, l_v2.second};
    return true;
}

bool Rect_Revise(tagRECT *a_pRect, bool a_bYDown) {
    if (a_pRect == nullptr) {
        return false;
    }
    if (a_pRect->right < a_pRect->left) {
        std::swap(a_pRect->left, a_pRect->right);
    }
    if (a_bYDown ? a_pRect->bottom < a_pRect->top : a_pRect->top < a_pRect->bottom) {
        std::swap(a_pRect->top, a_pRect->bottom);
    }
    return true;
}

int Rect_NearestTL(tagRECT a_rc1, tagRECT a_rc2) {
    if (a_rc1.top != a_rc2.top) {
        return a_rc1.top < a_rc2.top ? 1 : -1;
    }
    if (a_rc1.left != a_rc2.left) {
        return a_rc1.left < a_rc2.left ? 1 : -1;
    }
    return 0;
}

tagRECT Rect_GetNearestTL(tagRECT a_rc1, tagRECT a_rc2) {
    return Rect_NearestTL(a_rc1, a_rc2) == -1 ? a_rc2 : a_rc1;
}

unsigned char Rect_CrossStatus(tagRECT a_rc1, tagRECT a_rc2, unsigned char a_ucAxes) {
    unsigned l_uiBits = 0;
    if ((a_ucAxes & 2U) != 0) {
        l_uiBits |= axisState(a_rc1.left, a_rc1.right, a_rc2.left, a_rc2.right).bits();
    }
    if ((a_ucAxes & 1U) != 0) {
        l_uiBits |= axisState(a_rc1.top, a_rc1.bottom, a_rc2.top, a_rc2.bottom).bits() << 3;
    }
    return static_cast<unsigned char>(l_uiBits);
}

unsigned char Rect_CrossStatus2(tagRECT a_rc1, tagRECT a_rc2, tagPOINT *a_pDepth, unsigned char a_ucAxes) {
    if (a_pDepth == nullptr) {
        return 0;
    }
    *a_pDepth = tagPOINT{0, 0};
    const unsigned char l_ucBits = Rect_CrossStatus(a_rc1, a_rc2, a_ucAxes);
    if ((l_ucBits & RCS_H_A) != 0) {
        a_pDepth->x = static_cast<int32_t>(int64_t{a_rc1.left} - a_rc2.left);
    }
    if ((l_ucBits & RCS_H_B) != 0) {
        a_pDepth->x = static_cast<int32_t>(int64_t{a_rc1.right} - a_rc2.right);
    }
    if ((l_ucBits & RCS_V_A) != 0) {
        a_pDepth->y = static_cast<int32_t>(int64_t{a_rc1.top} - a_rc2.top);
    }
    if ((l_ucBits & RCS_V_B) != 0) {
        a_pDepth->y = static_cast<int32_t>(int64_t{a_rc1.bottom} - a_rc2.bottom);
    }
    return l_ucBits;
}

long Rect_CrossRange(tagRECT a_rc1, tagRECT a_rc2, unsigned char a_ucAxis) {
    if (a_ucAxis == 0) {
        return axisState(a_rc1.left, a_rc1.right, a_rc2.left, a_rc2.right)
            .range(a_rc1.left, a_rc1.right, a_rc2.left, a_rc2.right);
    }
    if (a_ucAxis == 1) {
        return axisState(a_rc1.top, a_rc1.bottom, a_rc2.top, a_rc2.bottom)
            .range(a_rc1.top, a_rc1.bottom, a_rc2.top, a_rc2.bottom);
    }
    return 0;
}

} // namespace brick
