#pragma once
// Small path, file and registry operations shared by the whole program.
#include <optional>
#include <string>

#include "platform/files.h"
#include "platform/registry.h"

namespace app {

// True for an existing file or folder (drive roots included); spaces around
// the path are ignored.
bool PathExists(const platform::FileSystem& fs, const std::string& path);
// Text before the last backslash, not counting one in the last position.
std::string FolderOfPath(const std::string& path);
// File name without folder and extension; empty without a backslash or a dot.
std::string FileTitleOfPath(const std::string& path);
std::string AddBackslash(const std::string& folder);
std::string StripTrailingNuls(const std::string& s);
bool RenameFile(platform::FileSystem& fs, const std::string& from, const std::string& to);

// A REG_SZ value up to its first NUL; nothing for a missing value or another type.
std::optional<std::string> ReadRegistryString(const platform::Registry& reg,
                                              platform::RegistryRoot root,
                                              const std::string& subkey, const std::string& name);
void WriteRegistryString(platform::Registry& reg, platform::RegistryRoot root,
                         const std::string& subkey, const std::string& name,
                         const std::string& value);

}  // namespace app
