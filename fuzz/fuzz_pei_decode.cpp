// libFuzzer target: decoding the text inside the parentheses of a packet expression.
//
// The first byte chooses the loader configuration; the rest is the expression text. A get-index
// hook is registered in slot 2 so that keyword names reach the hook path as well.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "loader/pei_decode.h"
#include "vexl/vexl.h"

namespace {

// Knows every name that starts with "x" (index: its length), with or without an option.
int fuzzGetIndex(const char *name, unsigned char option) {
    if (name == nullptr || name[0] != 'x')
        return 0;
    return static_cast<int>(std::strlen(name)) + option;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    vexl::CFields::setGetIdxFP4ESK(2, fuzzGetIndex);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned lcbc = data[0];
    const char *text = reinterpret_cast<const char *>(data + 1);
    vexl::tPacketExpInfo exp{};
    const char *error = vexl::detail::decodePEI(text, size - 1, lcbc, exp);
    if (error == nullptr) {
        // A decoded record keeps its invariants.
        if ((exp.ucCodes & 0xF0u) != 0 || exp.eLengthCode() == 3 || exp.uSkiOption() > 9)
            __builtin_trap();
        if (exp.eLengthCode() != vexl::LEC_VARIABLE && (exp.uVarWidth != 0 || exp.nCalibration != 0))
            __builtin_trap();
    } else if (std::strlen(error) == 0) {
        __builtin_trap();
    }
    (void)vexl::detail::readBoundedDecimal(text, size - 1);
    (void)vexl::detail::readIdDigits(text, size - 1);
    return 0;
}
