#pragma once
// The three packet hooks of the add-on: allot (before a field is made), parse (before it is
// parsed) and check (when a received packet is checked in detail). The engine calls them with the
// keyword index and option of the field's packet expression and treats a result above 0 as
// success; the results are those of keyword_table.h.

namespace vexl {
class CFields;
}

namespace esk_add {

/// Making. Sequence and thread keywords set the field's value; "chksumbegin" and "sizedef4mul"
/// record where they start; "chksumset" stores the checksum of its range; "sizeset4mul" pads the
/// field and writes its length into the paired size field inside the packet.
int eskAllotPkt(unsigned short index, unsigned char option, vexl::CFields &field);

/// Parsing. "sizedef4mul" reads its size and "sizeset4mul" takes it, rounded up to a multiple of
/// 4, as its length; the other keywords do nothing.
int eskParsePkt(unsigned short index, unsigned char option, vexl::CFields &field);

/// Checking. Sequence and thread fields must hold a non-zero number, "chksumset" verifies its
/// range, the size pair behaves as while parsing.
int eskCheckPkt(unsigned short index, unsigned char option, vexl::CFields &field);

} // namespace esk_add
