#include "app/paths.h"

#include "platform/text.h"

namespace app {
namespace {

// Position of the last `ch` found searching from the second-to-last byte
// towards the start; npos when there is none. Backslash and dot are ASCII,
// so byte positions are safe in UTF-8.
size_t FindLastBeforeEnd(const std::string& s, char ch) {
  if (s.size() < 2) return std::string::npos;
  return s.rfind(ch, s.size() - 2);
}

}  // namespace

bool PathExists(const platform::FileSystem& fs, const std::string& path) {
  const std::string trimmed = text::Trim(path);
  if (trimmed.empty()) return false;
  return fs.FindEntry(trimmed) || fs.Attributes(trimmed).has_value();
}

std::string FolderOfPath(const std::string& path) {
  const size_t slash = FindLastBeforeEnd(path, '\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileTitleOfPath(const std::string& path) {
  const size_t slash = FindLastBeforeEnd(path, '\\');
  const size_t dot = FindLastBeforeEnd(path, '.');
  if (slash == std::string::npos || dot == std::string::npos || dot < slash) return {};
  return path.substr(slash + 1, dot - slash - 1);
}

std::string AddBackslash(const std::string& folder) {
  if (folder.empty() || folder.back() == '\\') return folder;
  return folder + '\\';
}

std::string StripTrailingNuls(const std::string& s) {
  const size_t end = s.find_last_not_of('\0');
  return end == std::string::npos ? std::string() : s.substr(0, end + 1);
}

bool RenameFile(platform::FileSystem& fs, const std::string& from, const std::string& to) {
  return fs.MoveFile(from, to);
}

std::optional<std::string> ReadRegistryString(const platform::Registry& reg,
                                              platform::RegistryRoot root,
                                              const std::string& subkey, const std::string& name) {
  const auto value = reg.ReadValue(root, subkey, name);
  if (!value || value->type != platform::RegistryType::String) return std::nullopt;
  return value->text.substr(0, value->text.find('\0'));
}

void WriteRegistryString(platform::Registry& reg, platform::RegistryRoot root,
                         const std::string& subkey, const std::string& name,
                         const std::string& value) {
  reg.WriteString(root, subkey, name, value);
}

}  // namespace app
