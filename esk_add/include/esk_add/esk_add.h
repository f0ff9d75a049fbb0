#pragma once
/// \file esk_add.h
/// The keyword add-on: seven external supporting keywords for the packet engine of the notation
/// library, served under external keyword slot 1.
///
/// Index, keyword, option: what it does while making, parsing and checking a packet.
/// 1. "seq_", option 1 to 9: making takes the next number of counter slot *option* (1 up to
///    10^option - 1, then 1 again); checking requires a non-zero value.
/// 2. "useq_", option 1 to 9: the same from a persisted counter whose slot files vxseq_1_1 to
///    vxseq_1_9 live in the working directory, so numbering continues after a restart. A slot's
///    file is opened, or created, at the slot's first draw. When it cannot be opened, created or
///    written, making fails for the field (the keyword step reports -5 and the packet engine
///    leaves the field out) instead of handing out a number that a restart would repeat.
/// 3. "thread", any option: making takes the unsigned 32-bit number the field's user pointer
///    (`pkt_SetOSA4User`) points at; no pointer keeps the value; checking requires non-zero.
/// 4. "chksumbegin": marks where a checksum range starts (making and checking).
/// 5. "chksumset": making stores the Internet checksum of the bytes from the start of the
///    paired "chksumbegin" field up to this field; checking verifies the range together with
///    the two checksum bytes (stored as two bytes, high byte first: (BCF2chksumset)).
/// 6. "sizedef4mul": marks the size field; parsing and checking read the size from it.
/// 7. "sizeset4mul": making pads this field's bytes to a multiple of 4 with 0xFF and writes the
///    unpadded length into the paired size field; parsing and checking read the size rounded up
///    to a multiple of 4 as this field's length. The pad stays in the field's value: set the
///    value again before making the next packet, or the pad is counted as data.
///
/// A marker (4 or 6) and its partner (5 or 7) pair by keyword slot and option digit; the partner
/// must come after the marker in the packet. In the text notation the keywords are written inside a
/// packet expression, with the option digit after the underscore of the first two:
/// \code
///   {
///     "seq"   = (ANF4seq_1) 0,          // 0001, 0002, ... 0009, 0001
///     "len"   = (ANF2sizedef4mul) 0,    // receives 05
///     "data"  = (ACD0sizeset4mul) "hello" // made as hello and three 0xFF bytes
///   }
/// \endcode
///
/// Loading or linking the library touches no file: the persisted counter opens or creates a slot
/// file in the working directory of that moment at the first draw from that slot. The counters
/// are destroyed, and their files closed, when the library is unloaded.

#include "esk_add/esk_add_export.h"

extern "C" {

/// Registers the add-on's six hooks with the notation library under external keyword slot 1:
/// check-index, get-index, get-text, allot, parse and check, in that order.
///
/// Call it once before loading documents or processing packets that use the keywords; the first
/// packet hook also calls it when it has not been called yet. Calling it again registers the same
/// hooks again.
///
/// \returns true when all six hooks are registered; false when the notation library refused one
///          (the later ones are then not registered).
///
/// Thread use: the hook tables are process-wide; call it before other threads process packets.
/// Never throws.
ESK_ADD_API bool esk_link() noexcept;

} // extern "C"
