#include <cstring>

#include "brick/str_edit.h"

namespace brick {

namespace {

/// Text length as int (texts beyond 2 GiB are cut to it).
int textLength(const char *a_cpText) {
    const std::size_t l_uiLen = std::strlen(a_cpText);
    return l_uiLen > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(l_uiLen);
}

/// a + b without signed overflow, clamped to the int range.
int sumClamped(int a_iA, int a_iB) {
    const long long l_llSum = static_cast<long long>(a_iA) + a_iB;
    return l_llSum > 0x7FFFFFFF        ? 0x7FFFFFFF
           : l_llSum < -0x7FFFFFFF - 1 ? -0x7FFFFFFF - 1
                                       : static_cast<int>(l_llSum);
}

} // namespace

int leftstrA(const char *a_cpText, int a_iN, char *a_cpOut) {
    if (a_cpText == nullptr || a_cpOut == nullptr) {
        return -1;
    }
    const int l_iLen = textLength(a_cpText);
    if (a_iN < 0 || l_iLen < a_iN) {
        a_cpOut[0] = '\0';
        return l_iLen;
    }
    std::memcpy(a_cpOut, a_cpText, static_cast<std::size_t>(a_iN));
    a_cpOut[a_iN] = '\0';
    return a_iN;
}

int leftstrB(const char *a_cpData, int a_iDataLen, int a_iN, char *a_cpOut) {
    if (a_cpData == nullptr || a_cpOut == nullptr) {
        return -1;
    }
    if (a_iN < 0 || a_iDataLen < a_iN) {
        return a_iDataLen;
    }
    std::memcpy(a_cpOut, a_cpData, static_cast<std::size_t>(a_iN));
    return a_iN;
}

int midstrA(const char *a_cpText, int a_iStart, int a_iN, char *a_cpOut) {
    if (a_cpText == nullptr || a_cpOut == nullptr || a_iStart < 0) {
        return -1;
    }
    a_cpOut[0] = '\0';
    const int l_iLen = textLength(a_cpText);
    if (a_iN > 0 && a_iStart <= l_iLen && a_iN <= l_iLen - a_iStart) {
        std::memcpy(a_cpOut, a_cpText + a_iStart, static_cast<std::size_t>(a_iN));
        a_cpOut[a_iN] = '\0';
        return a_iN;
    }
    return sumClamped(a_iStart, a_iN);
}

int midstrB(const char *a_cpData, int a_iStart, int a_iN, char *a_cpOut) {
    if (a_cpData == nullptr || a_cpOut == nullptr || a_iStart < 0 || a_iN < 0) {
        return -1;
    }
    std::memset(a_cpOut, 0, static_cast<std::size_t>(a_iN));
    std::memcpy(a_cpOut, a_cpData + a_iStart, static_cast<std::size_t>(a_iN));
    return sumClamped(a_iStart, a_iN);
}

int midstrBZ(const char *a_cpData, int a_iStart, int a_iN, char *a_cpOut) {
    if (a_cpData == nullptr || a_cpOut == nullptr || a_iStart < 0 || a_iN < 0) {
        return -1;
    }
    std::memcpy(a_cpOut, a_cpData + a_iStart, static_cast<std::size_t>(a_iN));
    a_cpOut[a_iN] = '\0';
    return a_iN;
}

int midstrBB(const char *a_cpData, int a_iDataLen, int a_iStart, int a_iN, char *a_cpOut) {
    if (a_cpData == nullptr || a_cpOut == nullptr || a_iStart < 0 || a_iN < 0) {
        return -1;
    }
    if (a_iStart <= a_iDataLen && a_iN <= a_iDataLen - a_iStart) {
        std::memcpy(a_cpOut, a_cpData + a_iStart, static_cast<std::size_t>(a_iN));
    }
    return sumClamped(a_iStart, a_iN);
}

int rightstrA(const char *a_cpText, int a_iStart, char *a_cpOut) {
    if (a_cpText == nullptr || a_cpOut == nullptr || a_iStart < 0) {
        return -1;
    }
    a_cpOut[0] = '\0';
    const int l_iLen = textLength(a_cpText);
    if (a_iStart >= l_iLen) {
        return sumClamped(a_iStart, 1);
    }
    const int l_iCopy = l_iLen - a_iStart;
    std::memcpy(a_cpOut, a_cpText + a_iStart, static_cast<std::size_t>(l_iCopy) + 1);
    return l_iCopy;
}

int rightstrB(const char *a_cpData, int a_iEnd, int a_iStart, char *a_cpOut) {
    if (a_cpData == nullptr || a_cpOut == nullptr || a_iStart < 0) {
        return -1;
    }
    if (a_iStart >= a_iEnd) {
        return sumClamped(a_iStart, 1);
    }
    std::memcpy(a_cpOut, a_cpData + a_iStart, static_cast<std::size_t>(a_iEnd - a_iStart));
    return a_iEnd;
}

char *strcpyB(char *a_cpOut, const char *a_cpData, int a_iN) {
    if (a_cpOut == nullptr || a_cpData == nullptr || a_iN <= 0) {
        return nullptr;
    }
    std::memcpy(a_cpOut, a_cpData, static_cast<std::size_t>(a_iN));
    return a_cpOut;
}

int strcatB(char *a_cpBuffer, int a_iOffset, const char *a_cpData, int a_iN) {
    if (a_cpBuffer == nullptr || a_cpData == nullptr || a_iOffset < 0 || a_iN < 0) {
        return -1;
    }
    std::memcpy(a_cpBuffer + a_iOffset, a_cpData, static_cast<std::size_t>(a_iN));
    return sumClamped(a_iOffset, a_iN);
}

} // namespace brick
