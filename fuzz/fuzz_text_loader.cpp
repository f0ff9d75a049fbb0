// libFuzzer target: the text notation loader through the CLoaders dispatcher.
//
// The first byte chooses the loader configuration (its low seven bits); the rest is the
// document. Any byte sequence must give either a tree or an error message, never a crash or a
// read outside the input (the input buffer is exactly its size, so ASan sees any over-read).
// A loaded tree is also written by the packet-style writer and loaded again, so that the
// writer's output for every tree the loader accepts is exercised too.

#include <cstddef>
#include <cstdint>
#include <string>

#include "vexl/vexl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1)
        return 0;
    const unsigned lcbc = data[0] & 0x7Fu;
    const char *text = reinterpret_cast<const char *>(data + 1);
    const unsigned length = static_cast<unsigned>(size - 1);

    vexl::CLoaders loaders(lcbc);
    loaders.setLCBC(lcbc);
    vexl::CFields root;
    bool loaded = false;
    try {
        loaded = loaders.loadit(text, length, root, "", true);
    } catch (const vexl::CLogicError &) {
        return 0; // nesting beyond the limit
    }
    // The error records are usable after the load.
    for (const vexl::tErrorRange &e : loaders.getSERLoader().getLoadErrors())
        if (e.uiBegin > length || e.uiEnd > length || e.strMessage.empty())
            __builtin_trap();
    if (!loaded) {
        const bool isText = vexl::ILoaderBase::getER(text, length) != vexl::BER_BASIC;
        if (isText && length > 0 && loaders.getLastErrMsg().empty())
            __builtin_trap(); // a failed text load must say why
        return 0;
    }

    vexl::CSavers savers;
    const std::string written = savers.saving(root, vexl::SER_PKT, vexl::SIS_BASIC, "");
    vexl::CFields again;
    try {
        (void)loaders.loading(written, again, "", false);
    } catch (const vexl::CLogicError &) {
    }
    return 0;
}
