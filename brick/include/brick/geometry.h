#pragma once

#include <cstdint>

#include "brick/brick_export.h"

/// Integer rectangle and point helpers for screen or map layouts: overlap
/// tests and classification, nearest edges, compass direction of a point,
/// moving a point by an angle.  Coordinates are signed 32-bit; differences
/// are computed in 64 bits.  Angles are degrees.  Functions taking a_bYDown
/// read y as growing downward (screen) when it is true, upward when false.
/// Thread use: any thread.  Nothing throws.
namespace brick {

/// A rectangle by its edges; valid when right > left and bottom > top (`IsValidRegion`).
struct tagRECT {
    int32_t left;   ///< smallest x
    int32_t top;    ///< smallest y (the top with y growing downward)
    int32_t right;  ///< largest x
    int32_t bottom; ///< largest y
};

/// A point.
struct tagPOINT {
    int32_t x; ///< horizontal coordinate
    int32_t y; ///< vertical coordinate
};

/// Nearest facing edge of one rectangle to another (`Edge_NearestDist`).
struct tagEDGEDIST {
    int32_t iEdge;       ///< 0 none, 1 top, 2 left, 3 bottom, 4 right
    int32_t iDistance;   ///< signed distance to the facing edge
    int32_t iOffset;     ///< offset along the edge
    int32_t iCrossRange; ///< overlap length across the edge
};

/// Direction bits of `GetAzimuth`; 0 means inside.
constexpr unsigned char AZ_NORTH = 1; ///< above the rectangle
constexpr unsigned char AZ_WEST = 2;  ///< left of the rectangle
constexpr unsigned char AZ_SOUTH = 4; ///< below the rectangle
constexpr unsigned char AZ_EAST = 8;  ///< right of the rectangle

/// Bits of `Rect_CrossStatus`: per axis, A = r2's near edge strictly inside
/// r1, B = r2's far edge strictly inside r1, C = r2 spans r1.
constexpr unsigned char RCS_H_A = 0x01; ///< horizontal: r2's near edge inside r1
constexpr unsigned char RCS_H_B = 0x02; ///< horizontal: r2's far edge inside r1
constexpr unsigned char RCS_H_C = 0x04; ///< horizontal: r2 spans r1
constexpr unsigned char RCS_V_A = 0x08; ///< vertical: r2's near edge inside r1
constexpr unsigned char RCS_V_B = 0x10; ///< vertical: r2's far edge inside r1
constexpr unsigned char RCS_V_C = 0x20; ///< vertical: r2 spans r1

/// right - left > 0 and bottom - top > 0.
BRICK_API bool IsValidRegion(tagRECT a_rc);
/// left != right and top != bottom (either orientation).
BRICK_API bool SM_IsValidRegion(tagRECT a_rc);
/// left <= x <= right and top <= y <= bottom (the edges count).
BRICK_API bool Rect_HitTest(tagRECT a_rc, tagPOINT a_pt);
/// The closed spans of both overlap on both axes (touching counts).
BRICK_API bool Rect_HitTest(tagRECT a_rc1, tagRECT a_rc2);
/// The rectangle grown by the margin on every side.
BRICK_API tagRECT Rect_Make(tagRECT a_rc, int a_iMargin);
/// The rectangle spanned by two points (smaller x, y as left, top), grown by the margin.
BRICK_API tagRECT Rect_Make(tagPOINT a_pt1, tagPOINT a_pt2, int a_iMargin);
/// Bounding rectangle: smallest left and top, largest right and bottom.
BRICK_API tagRECT Rect_Min(tagRECT a_rc1, tagRECT a_rc2);
/// As `Rect_Min`, but an empty rectangle (width < 1 and height < 1) does
/// not count: one empty gives the other, both empty give all zeros.
BRICK_API tagRECT Rect_OR(tagRECT a_rc1, tagRECT a_rc2);
/// The intersection, when the rectangles cross on both axes (edges that only
/// touch do not).  \returns false with a_pOut untouched otherwise (or for null out).
BRICK_API bool Rect_AND(tagRECT a_rc1, tagRECT a_rc2, tagRECT *a_pOut);
/// Swaps left/right when right < left, and top/bottom when they are in the
/// wrong order for the orientation.  \returns false only for null.
BRICK_API bool Rect_Revise(tagRECT *a_pRect, bool a_bYDown);
/// 1 when r1's top-left corner comes first (smaller top; equal tops: smaller
/// left), -1 when r2's does, 0 when they are equal.
BRICK_API int Rect_NearestTL(tagRECT a_rc1, tagRECT a_rc2);
/// r2 when `Rect_NearestTL` gives -1, otherwise r1.
BRICK_API tagRECT Rect_GetNearestTL(tagRECT a_rc1, tagRECT a_rc2);
/// Classification bits (RCS_*) of r2 against r1; a_ucAxes bit 2 selects the
/// horizontal axis, bit 1 the vertical one.
BRICK_API unsigned char Rect_CrossStatus(tagRECT a_rc1, tagRECT a_rc2, unsigned char a_ucAxes);
/// As `Rect_CrossStatus`, and the overlap depths: x = L1 - L2 when horizontal
/// A holds, then R1 - R2 when horizontal B holds (the later wins); y likewise.
/// \returns 0 for a null depth.
BRICK_API unsigned char Rect_CrossStatus2(tagRECT a_rc1, tagRECT a_rc2, tagPOINT *a_pDepth,
                                          unsigned char a_ucAxes);
/// Length of the overlap along one axis (0 horizontal, 1 vertical; any other value gives 0).
/// [0, 10] and [5, 20] give 5; [0, 10] and [2, 4] give 2.
BRICK_API long Rect_CrossRange(tagRECT a_rc1, tagRECT a_rc2, unsigned char a_ucAxis);

/// Code 0, distance and offset 2147483647, cross range 0.
BRICK_API void Edge_Init(tagEDGEDIST &a_edge);
/// Sets the distance for the record's edge code: r1.top - r2.top (1),
/// r1.left - r2.left (2), r1.bottom - r2.bottom (3), r1.right - r2.right (4),
/// 2147483647 otherwise.
BRICK_API void Edge_GetDist(tagRECT a_rc1, tagRECT a_rc2, tagEDGEDIST &a_edge);
/// The edge of r1 nearest to the opposite edge of r2 among those that face
/// r2 across an overlap (the first of equally near edges wins).
BRICK_API tagEDGEDIST Edge_NearestDist(tagRECT a_rc1, tagRECT a_rc2);

/// Direction bits (AZ_*) of the point outside the rectangle; 0 inside or on an edge.
BRICK_API unsigned char GetAzimuth(tagRECT a_rc, tagPOINT a_pt, bool a_bYDown);
/// Korean direction name in the CP949 code page (for example code 3, north-west,
/// is the two CP949 characters for "north" and "west"); null for a code not in the table.
BRICK_API const char *Azimuth2Text(unsigned char a_ucCode);

/// Direction from the first point to the second, 0 to below 360, counter-clockwise
/// from the positive x axis as seen on the page.  (0,0) to (0,10): 90 with
/// y up, 270 with y down.
BRICK_API float atanGetAngle(int a_iX1, int a_iY1, int a_iX2, int a_iY2, bool a_bYDown);
/// As above for two points.
BRICK_API float atanGetAngle(tagPOINT a_pt1, tagPOINT a_pt2, bool a_bYDown);
/// The same direction computed with the arc cosine, always as with y down
/// (the flag has no effect); 0 for coincident points.
BRICK_API float acosGetAngle(int a_iX1, int a_iY1, int a_iX2, int a_iY2, bool a_bYDown);
/// As above for two points.
BRICK_API float acosGetAngle(tagPOINT a_pt1, tagPOINT a_pt2, bool a_bYDown);

/// The point moved by the distance in the direction of a mathematical angle
/// (0 along +x, counter-clockwise on the page); coordinates truncated toward zero.
BRICK_API tagPOINT MovePos2Angle(int a_iX, int a_iY, float a_fAngle, float a_fDistance, bool a_bYDown);
/// As above for a point.
BRICK_API tagPOINT MovePos2Angle(tagPOINT a_pt, float a_fAngle, float a_fDistance, bool a_bYDown);
/// As `MovePos2Angle` for a clock angle (0 up, growing clockwise).
BRICK_API tagPOINT MovePos2ClockAngle(int a_iX, int a_iY, float a_fAngle, float a_fDistance, bool a_bYDown);
/// As above for a point.
BRICK_API tagPOINT MovePos2ClockAngle(tagPOINT a_pt, float a_fAngle, float a_fDistance, bool a_bYDown);

} // namespace brick
