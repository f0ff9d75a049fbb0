#include "brick/geometry.h"

namespace brick {

namespace {

constexpr int32_t kFar = 2147483647;

int64_t magnitude(int64_t a_ll) {
    return a_ll < 0 ? -a_ll : a_ll;
}

} // namespace

void Edge_Init(tagEDGEDIST &a_edge) {
    a_edge = tagEDGEDIST{0, kFar, kFar, 0};
}

void Edge_GetDist(tagRECT a_rc1, tagRECT a_rc2, tagEDGEDIST &a_edge) {
    int64_t l_llDist;
    switch (a_edge.iEdge) {
    case 1:
        l_llDist = int64_t{a_rc1.top} - a_rc2.top;
        break;
    case 2:
        l_llDist = int64_t{a_rc1.left} - a_rc2.left;
        break;
    case 3:
        l_llDist = int64_t{a_rc1.bottom} - a_rc2.bottom;
        break;
    case 4:
        l_llDist = int64_t{a_rc1.right} - a_rc2.right;
        break;
    default:
        l_llDist = kFar;
        break;
    }
    a_edge.iDistance = static_cast<int32_t>(l_llDist);
}

tagEDGEDIST Edge_NearestDist(tagRECT a_rc1, tagRECT a_rc2) {
    tagEDGEDIST l_edge;
    Edge_Init(l_edge);
    // Edges 1 to 4: top, left, bottom, right of r1 against the opposite edge of r2.
    const int64_t l_llDist[4] = {int64_t{a_rc1.top} - a_rc2.bottom, int64_t{a_rc1.left} - a_rc2.right,
                                 int64_t{a_rc1.bottom} - a_rc2.top, int64_t{a_rc1.right} - a_rc2.left};
    // Top and bottom face r2 across a horizontal overlap, left and right across a vertical one.
    const long l_lCross[2] = {Rect_CrossRange(a_rc1, a_rc2, 0), Rect_CrossRange(a_rc1, a_rc2, 1)};
    int64_t l_llBest = kFar;
    for (int i = 0; i < 4; ++i) {
        const long l_lRange = l_lCross[i % 2];
        if (l_lRange > 0 && magnitude(l_llDist[i]) < magnitude(l_llBest)) {
            l_llBest = l_llDist[i];
            l_edge.iEdge = i + 1;
            l_edge.iDistance = static_cast<int32_t>(l_llDist[i]);
            l_edge.iCrossRange = static_cast<int32_t>(l_lRange);
        }
    }
    if (l_edge.iEdge == 1 || l_edge.iEdge == 3) {
        l_edge.iOffset = static_cast<int32_t>(int64_t{a_rc1.left} - a_rc2.left);
    } else if (l_edge.iEdge == 2 || l_edge.iEdge == 4) {
        l_edge.iOffset = static_cast<int32_t>(int64_t{a_rc1.top} - a_rc2.top);
    }
    return l_edge;
}

} // namespace brick
