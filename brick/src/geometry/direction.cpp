#include <cmath>

#include "brick/geometry.h"

namespace brick {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDegPerRad = 180.0 / kPi;

int32_t truncated(double a_d) {
    return static_cast<int32_t>(std::trunc(a_d));
}

} // namespace

unsigned char GetAzimuth(tagRECT a_rc, tagPOINT a_pt, bool a_bYDown) {
    if (Rect_HitTest(a_rc, a_pt)) {
        return 0;
    }
    int l_iCode = 0;
    if (a_bYDown) {
        l_iCode |= a_pt.y < a_rc.top ? AZ_NORTH : 0;
        l_iCode |= a_pt.y > a_rc.bottom ? AZ_SOUTH : 0;
    } else {
        l_iCode |= a_pt.y > a_rc.top ? AZ_NORTH : 0;
        l_iCode |= a_pt.y < a_rc.bottom ? AZ_SOUTH : 0;
    }
    l_iCode |= a_pt.x < a_rc.left ? AZ_WEST : 0;
    l_iCode |= a_pt.x > a_rc.right ? AZ_EAST : 0;
    return static_cast<unsigned char>(l_iCode);
}

const char *Azimuth2Text(unsigned char a_ucCode) {
    // CP949 bytes: inside, north, west, south, east and their pairs.
    switch (a_ucCode) {
    case 0:
        return "\xB3\xBB\xBA\xCE";
    case 1:
        return "\xBA\xCF";
    case 2:
        return "\xBC\xAD";
    case 4:
        return "\xB3\xB2";
    case 8:
        return "\xB5\xBF";
    case 3:
        return "\xBA\xCF\xBC\xAD";
    case 6:
        return "\xB3\xB2\xBC\xAD";
    case 9:
        return "\xBA\xCF\xB5\xBF";
    case 12:
        return "\xB3\xB2\xB5\xBF";
    default:
        return nullptr;
    }
}

float atanGetAngle(int a_iX1, int a_iY1, int a_iX2, int a_iY2, bool a_bYDown) {
    float l_fDx = static_cast<float>(int64_t{a_iX2} - a_iX1);
    if (l_fDx == 0) {
        l_fDx = 0.000001f;
    }
    double l_dDy = static_cast<double>(int64_t{a_iY2} - a_iY1);
    if (a_bYDown) {
        l_dDy = -l_dDy;
    }
    double l_dAngle = std::atan(l_dDy / l_fDx) * kDegPerRad;
    if (l_fDx < 0) {
        l_dAngle += 180;
    }
    if (l_dAngle < 0 && a_iX2 >= a_iX1 && (a_bYDown ? a_iY2 >= a_iY1 : a_iY1 >= a_iY2)) {
        l_dAngle += 360;
    }
    return static_cast<float>(l_dAngle);
}

float atanGetAngle(tagPOINT a_pt1, tagPOINT a_pt2, bool a_bYDown) {
    return atanGetAngle(a_pt1.x, a_pt1.y, a_pt2.x, a_pt2.y, a_bYDown);
}

float acosGetAngle(int a_iX1, int a_iY1, int a_iX2, int a_iY2, bool) {
    const double l_dDx = static_cast<double>(int64_t{a_iX2} - a_iX1);
    const double l_dDy = static_cast<double>(int64_t{a_iY2} - a_iY1);
    const double l_dLength = std::sqrt(l_dDx * l_dDx + l_dDy * l_dDy);
    if (l_dLength == 0) {
        return 0; // coincident points have no direction
    }
    double l_dAngle = std::acos(l_dDx / l_dLength) * kDegPerRad;
    if (a_iY1 < a_iY2) {
        l_dAngle = 360 - l_dAngle;
        if (l_dAngle >= 360) {
            l_dAngle -= 360;
        }
    }
    return static_cast<float>(l_dAngle);
}

float acosGetAngle(tagPOINT a_pt1, tagPOINT a_pt2, bool a_bYDown) {
    return acosGetAngle(a_pt1.x, a_pt1.y, a_pt2.x, a_pt2.y, a_bYDown);
}

tagPOINT MovePos2Angle(int a_iX, int a_iY, float a_fAngle, float a_fDistance, bool a_bYDown) {
    const double l_dTheta = a_fAngle * kPi / 180.0;
    const double l_dDy = std::sin(l_dTheta) * a_fDistance;
    return tagPOINT{truncated(a_iX + std::cos(l_dTheta) * a_fDistance),
                    truncated(a_bYDown ? a_iY - l_dDy : a_iY + l_dDy)};
}

tagPOINT MovePos2Angle(tagPOINT a_pt, float a_fAngle, float a_fDistance, bool a_bYDown) {
    return MovePos2Angle(a_pt.x, a_pt.y, a_fAngle, a_fDistance, a_bYDown);
}

tagPOINT MovePos2ClockAngle(int a_iX, int a_iY, float a_fAngle, float a_fDistance, bool a_bYDown) {
    const double l_dTheta = a_fAngle * kPi / 180.0;
    const double l_dDy = std::cos(l_dTheta) * a_fDistance;
    return tagPOINT{truncated(a_iX + std::sin(l_dTheta) * a_fDistance),
                    truncated(a_bYDown ? a_iY - l_dDy : a_iY + l_dDy)};
}

tagPOINT MovePos2ClockAngle(tagPOINT a_pt, float a_fAngle, float a_fDistance, bool a_bYDown) {
    return MovePos2ClockAngle(a_pt.x, a_pt.y, a_fAngle, a_fDistance, a_bYDown);
}

} // namespace brick
