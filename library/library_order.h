#pragma once
// The order of a script library: the folder's scripts by name, then the
// order the user gave them, kept in Position.lst in the same folder. The
// library window and unattended playback both list a library through here.
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/system.h"

namespace library {

constexpr const char* kPositionFile = "Position.lst";
constexpr const char* kScriptPattern = "*.ovs";

// Package names (script file names without their last four characters) in
// ascending order of name without regard to case; nothing when the folder
// cannot be listed.
std::optional<std::vector<std::string>> ListPackages(const platform::FileSystem& fs,
                                                     const std::string& folder);
// The names of Position.lst, one a line, in the file's order (CR LF or LF;
// ANSI text); empty when the file is missing or unreadable.
std::vector<std::string> ReadPositionList(const platform::FileSystem& fs,
                                          const platform::System& system,
                                          const std::string& folder);
// Moves the listed names to the top in the file's order by swapping each
// into the next place; names without a package, and names the file repeats,
// are passed over. Names match exactly, letter case included.
void ApplyPositionList(std::vector<std::string>& names, const std::vector<std::string>& positions);
// ListPackages + ReadPositionList + ApplyPositionList.
std::optional<std::vector<std::string>> LibraryOrder(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const std::string& folder);

}  // namespace library
