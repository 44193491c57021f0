// Temporary files of this program that a killed run left behind: a page
// being saved (".<page>.<pid>.part.png.~<pid>" and its kin in the output
// folder), an error page ("_error.bmp.tmp.~<pid>" beside the scans) and the
// build record ("<script>.ini.<pid>.<n>.tmp" beside the script). A run
// removes those whose process no longer exists.
#pragma once

#include <string>

namespace drovix {

class TDrovixManga;

enum class TTemporaryPlace { OutputFolder, ScanFolder, ScriptFolder };

// The process id a file name of this program's temporaries carries for the
// place, or 0 when the name is none of them. recordName is the file-name
// part of the build record (for ScriptFolder).
long TemporaryOwner(const std::string& name, TTemporaryPlace place, const std::string& recordName);

// True while a process of that id exists (also one of another user).
bool ProcessExists(long pid);

// Removes the stale temporaries from manga's output folder, the folders of
// its pages' scans and its script folder. Never raises; a file that cannot
// be removed stays.
void RemoveStaleTemporaries(const TDrovixManga& manga);

}  // namespace drovix
