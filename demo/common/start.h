#pragma once
// The steps both demo programs start with: connect the add-on, load the document named on the
// command line, list it and patch its "unicode-test" member.

#include <string>

namespace vexl {
class CFields;
}

namespace demo {

/// Loads the document at `path` into `root`: a `CLoaders` with configuration 48 set to 50
/// (numbers as names, comments, missing values as null) reads the whole file with the password
/// "739" and comments collected. Prints "Loaded : <path>[<n> bytes]" once the file is read, then
/// either the success block with the child and member counts, or "Failed to loading a
/// vexl=[<path>]" and the reason. A path that is empty gives "Input the vexl file!".
/// \returns false on any failure (the file cannot be opened, is not a regular file that fits in
///          4294967295 bytes, or does not load).
bool loadDocument(const char *path, vexl::CFields &root);

/// Steps 2 to 6 of both programs on the command line `argc`/`argv`: the argument check, the
/// add-on connection, loading, the first "unicode-test" patch, the listing and the second patch.
/// \returns `EXIT_OK` to go on, otherwise the exit code to end the program with.
int startDemo(int argc, char **argv, vexl::CFields &root);

} // namespace demo
