// Decoding of packet expression texts.

#include "loader/pei_decode.h"

#include <cstring>

#include "loader/byte_cursor.h"
#include "packet/internal_keywords.h"
#include "vexl/hooks.h"

namespace vexl::detail {

namespace {

constexpr size_t kReaderWindow = 11;        // bytes the bounded reader looks at
constexpr unsigned kSignificantDigits = 10; // digits it takes after leading zeros
constexpr size_t kMaxKeywordLength = 255;

constexpr const char *kMsgPacketCode = "Mismatched syntax for packet E_PacketExpCode";
constexpr const char *kMsgRuntimeCode = "Mismatched syntax for packet E_RuntimeExpCode";
constexpr const char *kMsgLengthCode = "Mismatched syntax for packet E_LengthExpCode";
constexpr const char *kMsgLengthMin = "Packet length must bigger than 0";
constexpr const char *kMsgLengthMax = "Packet length must be little than 4294967296";
constexpr const char *kMsgWidthMax = "Packet variable length must be little than 256";
constexpr const char *kMsgCalibration = "Calibration value must between -127 and 128";
constexpr const char *kMsgOptionMin = "Supporting-keyword optional value must bigger than 0";
constexpr const char *kMsgOptionMax = "Supporting-keyword option value must be little than 10";
constexpr const char *kMsgTooLong = "The packet expression is too long";
constexpr const char *kMsgUnknownKeyword = "Found not a supporting-keyword index in packet expression";

// Finds the keyword's index: the internal table, then the get-index hooks of slots 1 to 15.
// Returns false when nobody knows the name.
bool lookUpKeyword(const char *name, size_t length, unsigned option, unsigned &kind, unsigned &index) {
    const unsigned internal = internalKeywordIndex(name, length);
    if (internal != 0) {
        kind = 0;
        index = internal;
        return true;
    }
    char text[kMaxKeywordLength + 1];
    std::memcpy(text, name, length);
    text[length] = '\0';
    for (unsigned slot = ESK_SLOT_FIRST; slot <= ESK_SLOT_LAST; ++slot) {
        const tGetIdxFP4ESK hook = CEskHooks::getGetIdxFP4ESK(static_cast<unsigned char>(slot));
        if (hook == nullptr)
            continue;
        const int result = hook(text, static_cast<unsigned char>(option));
        if (result >= 1 && result <= 65535) {
            kind = slot;
            index = static_cast<unsigned>(result);
            return true;
        }
    }
    return false;
}

} // namespace

tBoundedDecimal readBoundedDecimal(const char *text, size_t length) noexcept {
    CByteCursor cur(text, text + (length < kReaderWindow ? length : kReaderWindow));
    tBoundedDecimal r{0, 0, false};
    cur.skipBlanks();
    bool negative = false;
    if (cur.peek() == '+' || cur.peek() == '-') {
        negative = cur.peek() == '-';
        cur.advance();
    }
    uint64_t value = 0;
    unsigned significant = 0;
    while (isDigit(cur.peek()) && significant < kSignificantDigits) {
        const int digit = cur.peek() - '0';
        if (value != 0 || digit != 0)
            ++significant;
        value = value * 10 + unsigned(digit);
        r.bDigits = true;
        cur.advance();
    }
    r.llValue = negative ? -int64_t(value) : int64_t(value);
    r.uiUsed = size_t(cur.pos() - text);
    return r;
}

uint32_t readIdDigits(const char *digits, size_t length) noexcept {
    CByteCursor cur(digits, digits + length);
    while (cur.peek() == '0')
        cur.advance();
    uint64_t value = 0;
    unsigned significant = 0;
    while (isDigit(cur.peek())) {
        if (++significant > kSignificantDigits)
            return 0; // more than ten significant digits cannot be an ID
        value = value * 10 + unsigned(cur.peek() - '0');
        cur.advance();
    }
    return value <= 2147483647u ? uint32_t(value) : 0;
}

const char *decodePEI(const char *text, size_t length, unsigned int lcbc, tPacketExpInfo &out) {
    CByteCursor cur(text, text + length);
    tPacketExpInfo exp{};

    // Three code letters.
    const int packet = cur.peekAt(0);
    if (packet != 'A' && packet != 'B')
        return kMsgPacketCode;
    const int runtime = cur.peekAt(1);
    if (runtime != 'C' && runtime != 'N')
        return kMsgRuntimeCode;
    const int lengthCode = cur.peekAt(2);
    if (lengthCode != 'F' && lengthCode != 'V' && lengthCode != 'D')
        return kMsgLengthCode;
    exp.setPacketCode(packet == 'A' ? PEC_ASCII : PEC_BINARY);
    exp.setRuntimeCode(runtime == 'C' ? REC_CHARACTER : REC_NUMBER);
    exp.setLengthCode(lengthCode == 'F' ? LEC_FIXED : lengthCode == 'V' ? LEC_VARIABLE : LEC_DYNAMIC);
    cur.advance(3);

    // The length (F, D) or the prefix width (V). Negative numbers are refused whatever the
    // configuration: stored in 32 bits they would read as lengths of about 4 GiB.
    const tBoundedDecimal number = readBoundedDecimal(cur.pos(), cur.remaining());
    if (((lcbc & 0x04u) != 0 && number.llValue < 1) || number.llValue < 0)
        return kMsgLengthMin;
    cur.advance(number.uiUsed);
    if (lengthCode == 'V') {
        // Widths above 255 would be cut to their low 8 bits (256 becoming 0) by the byte store.
        if (number.llValue > 255)
            return kMsgWidthMax;
        exp.uVarWidth = uint8_t(number.llValue);
        exp.setLength(uint32_t(number.llValue));
        if (!cur.atEnd()) {
            const tBoundedDecimal calibration = readBoundedDecimal(cur.pos(), cur.remaining());
            if (calibration.llValue < -128 || calibration.llValue > 128)
                return kMsgCalibration;
            // 128 keeps the bit pattern 0x80 (-128), which the writer writes as "-128".
            exp.nCalibration = static_cast<int8_t>(static_cast<uint8_t>(calibration.llValue & 0xFF));
            cur.advance(calibration.uiUsed);
        }
    } else {
        if (number.llValue > int64_t(0xFFFFFFFFu))
            return kMsgLengthMax;
        exp.setLength(uint32_t(number.llValue));
    }

    // An optional keyword, with an option number after its first "_".
    if (!cur.atEnd()) {
        const char *keyword = cur.pos();
        const size_t keywordLength = cur.remaining();
        if (keywordLength > kMaxKeywordLength)
            return kMsgTooLong;
        size_t nameLength = keywordLength;
        unsigned option = 0;
        const char *underscore = cur.find('_');
        if (underscore != nullptr && underscore != keyword &&
            size_t(underscore - keyword) + 1 < keywordLength) {
            const size_t afterUnderscore = size_t(underscore - keyword) + 1;
            const tBoundedDecimal opt =
                readBoundedDecimal(keyword + afterUnderscore, keywordLength - afterUnderscore);
            if (opt.llValue < 1)
                return kMsgOptionMin;
            if (opt.llValue > 9) // the record keeps 4 bits; the binary reader refuses 10 and more
                return kMsgOptionMax;
            option = unsigned(opt.llValue);
            nameLength = afterUnderscore;
        }
        unsigned kind = 0;
        unsigned index = 0;
        if (!lookUpKeyword(keyword, nameLength, option, kind, index))
            return kMsgUnknownKeyword;
        exp.setSkiKind(kind);
        exp.setSkiOption(option);
        exp.setSKI(static_cast<uint16_t>(index));
    }

    out = exp;
    return nullptr;
}

} // namespace vexl::detail
