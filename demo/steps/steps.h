#pragma once
// The steps only the `vexl` program runs after the common start: writing and saving the document,
// the hand-built record, the packet tests and the removal test.

#include <string>

namespace vexl {
class CFields;
}

namespace demo {

/// The directory part of `path`: everything up to and including the last '\\' or '/', or "".
std::string directoryPart(const std::string &path);

/// Writes `root` with the human-friendly writer and saves it as "<dir>SER_HFW[2]SIS_BASIC.vexl",
/// `dir` being the directory part of the input path. Prints the text and the file name.
/// \returns false when the writer reports an error or the file cannot be written.
bool writeAndSave(const vexl::CFields &root, const std::string &inputPath);

/// Builds a small record by hand (member names in the double-byte code page CP949), writes it,
/// loads the text again and prints its members.
void manualRecordTest();

/// The packet-engine tests: the "keyword" layout, or the "header"/"body" layout when the root
/// has a member "header".
void packetTest(vexl::CFields &root);

/// Removes the first child of "remove_fields" and of "remove_array" when the document has them,
/// then displays the tree.
void removalTest(vexl::CFields &root);

} // namespace demo
