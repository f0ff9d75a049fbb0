// Fuzz target: binary documents through the loader dispatcher.
//
// The first input byte chooses the mode; the rest is either a whole document (mode bit 0x80,
// so that headers and password blocks get mutated too) or a plain body that is wrapped into a
// valid header: little- or big-endian, without password (type-0 body) or with one of two
// passwords (SEED body), so that the mutations reach the records instead of breaking the
// encoding. The loader configuration bits come from the mode as well.
//
// Every load that succeeds is written back and the result loaded and written again: the two
// documents must be identical, since whatever the writer writes the reader must read back.
// Nothing may crash, read outside the input or throw, except the depth limit (`CLogicError`).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cipher/transform.h"
#include "vexl/loaders.h"
#include "vexl/savers.h"

using namespace vexl;

namespace {

// An external keyword slot whose check accepts indices below 100 with options below 5.
constexpr unsigned char kSlot = 6;
int checkIndex(unsigned short index, unsigned char option) {
    return index == 0 ? -1 : (index < 100 && option < 5 ? 1 : 0);
}

const char *const kPasswords[] = {"", "pw", "a password longer than sixteen"};

// Header, password block and transformed body around a plain body.
std::string wrap(const uint8_t *body, size_t size, bool bigEndian, const char *password) {
    using namespace vexl::detail;
    const size_t pwLen = std::strlen(password);
    unsigned char block[kMaxPasswordBlock];
    const size_t blockLen = pwLen != 0 ? encodePasswordBlock(password, pwLen, block) : 0;
    const unsigned type = pwLen != 0 ? CT_SEED : CT_VERNAM;
    std::string doc = bigEndian ? std::string("VEXF\x01\x05\x00\x00\x00\x0D\x04", 11)
                                : std::string("VEXF\x00\x00\x05\x01\x0D\x00\x05", 11);
    doc.push_back(char(type));
    doc.push_back(char(blockLen));
    doc.append(reinterpret_cast<const char *>(block), blockLen);
    const size_t out = encryptedSize(type, size, false);
    if (out == 0)
        return doc;
    const size_t start = doc.size();
    doc.resize(start + out);
    encryptInto(type, body, size, password, pwLen, reinterpret_cast<unsigned char *>(doc.data()) + start,
                false);
    return doc;
}

// Loads `doc`; false when it is refused (or too deep).
bool loadDoc(const std::string &doc, CFields &root, const char *password, unsigned lcbc) {
    CLoaders loaders(lcbc);
    try {
        return loaders.loading(doc, root, password, true);
    } catch (const CLogicError &) {
        return false; // nesting beyond the limit
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool s_bHook = CEskHooks::setCheckIdxFP4ESK(kSlot, checkIndex);
    (void)s_bHook;
    if (size < 1)
        return 0;
    const unsigned mode = data[0];
    const char *password = kPasswords[(mode >> 1) % 3];
    // Comments on or off, the root-container and duplicate-name bits.
    const unsigned lcbc = LCBC_MISSING_NULL | ((mode & 0x08) ? LCBC_COMMENTS : 0) |
                          ((mode & 0x10) ? LCBC_ROOT_CONTAINER : 0) |
                          ((mode & 0x20) ? LCBC_DUPLICATE_NAMES : 0);
    const std::string doc = (mode & 0x80) ? std::string(reinterpret_cast<const char *>(data + 1), size - 1)
                                          : wrap(data + 1, size - 1, (mode & 0x01) != 0, password);

    CFields root;
    if (!loadDoc(doc, root, password, lcbc))
        return 0;

    // Write, read, write: the two documents must be the same bytes.
    CSaver4BER_BASIC saver;
    const std::string first = saver.saving(root, SIS_DETAIL, password);
    if (first.empty())
        std::abort(); // a loaded tree the writer refuses
    CFields again;
    if (!loadDoc(first, again, password, lcbc))
        std::abort(); // the reader refuses what the writer wrote
    const std::string second = saver.saving(again, SIS_DETAIL, password);
    if (second != first)
        std::abort();
    return 0;
}
