// The name under which the file system knows a path.
//
// Text inside the program is Windows-1251, while file names on this system
// are UTF-8. A path the program builds mixes both: its folder comes from the
// command line or the working folder (already UTF-8), its file names from the
// script (Windows-1251). Every call that hands a path to the file system
// (existence tests, opening, file ages, renames, removals) passes it through
// FileSystemName first; messages, fingerprints and the build record keep the
// path as the program holds it.
#pragma once

#include <string>

namespace drovix {

// Translates the path one '/'-separated part at a time, from the left. Of a
// part's spellings (its UTF-8 form first, then its bytes as they are) the
// first that names an existing entry in the folder built so far is taken.
// Where none exists (a file about to be written, or a folder that is not
// there) the part and all that follow take their UTF-8 form. The UTF-8 form
// of a part that already is valid UTF-8 is the part itself; of any other
// part, its Windows-1251 bytes converted. A pure ASCII path is returned as it
// is, without touching the file system.
std::string FileSystemName(const std::string& path);

}  // namespace drovix
