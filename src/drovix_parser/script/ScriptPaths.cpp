#include "drovix_parser/script/ScriptPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "drovix_graph/raster/FileSystemName.h"

namespace drovix {

std::string ExtractFilePath(std::string_view path) {
  const size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileNamePart(std::string_view path) {
  const size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

namespace {
// Position of the extension's '.', or npos.
size_t ExtensionStart(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return dot;
  const size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > dot) return std::string_view::npos;
  return dot;
}
}  // namespace

std::string ExtractFileExt(std::string_view path) {
  const size_t dot = ExtensionStart(path);
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  return RemoveFileExt(path) + std::string(ext);
}

std::string RemoveFileExt(std::string_view path) {
  const size_t dot = ExtensionStart(path);
  return std::string(dot == std::string_view::npos ? path : path.substr(0, dot));
}

std::string CurrentFolder() {
  std::vector<char> buf(4096);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (buf.size() > (1u << 20)) return "/";
    buf.resize(buf.size() * 2);
  }
  std::string folder(buf.data());
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool RegularFileExists(const std::string& path) {
  struct stat st {};
  return ::stat(FileSystemName(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(FileSystemName(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (::stat(FileSystemName(a).c_str(), &sa) != 0 || ::stat(FileSystemName(b).c_str(), &sb) != 0)
    return false;
  return S_ISDIR(sa.st_mode) && S_ISDIR(sb.st_mode) && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace drovix
