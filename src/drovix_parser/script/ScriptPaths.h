// Path helpers of the script classes. Only '/' separates folders: on this
// system '\' and ':' are ordinary characters of file names.
#pragma once

#include <string>
#include <string_view>

namespace drovix {

// Everything up to and including the last '/'; empty when there is none.
std::string ExtractFilePath(std::string_view path);
// Everything after the last '/'.
std::string ExtractFileNamePart(std::string_view path);
// The extension of the file-name part: from its last '.' on; empty when the
// file-name part holds no '.'.
std::string ExtractFileExt(std::string_view path);
// The path with the extension of its file-name part replaced by ext (which
// starts with '.'); a path without extension gets ext appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The path without the extension of its file-name part.
std::string RemoveFileExt(std::string_view path);

// The current working folder, ending in '/'.
std::string CurrentFolder();
// True for an existing regular file (or a link to one).
bool RegularFileExists(const std::string& path);
// True for an existing folder (or a link to one).
bool FolderExists(const std::string& path);
// True when both name the same existing folder (links and "." resolved).
bool SameFolder(const std::string& a, const std::string& b);

}  // namespace drovix
