#pragma once
// The order of a script library: the folder's scripts by name, then the
// order the user gave them, kept in Position.lst in the same folder. The
// library window and unattended playback both list a library through here.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "library/position_list.h"
#include "platform/files.h"
#include "platform/system.h"

namespace library {

constexpr const char* kPositionFile = "Position.lst";
constexpr const char* kScriptPattern = "*.ovs";

// The script file of each package, its name as the folder listing found it
// ("x.ovs"), by package name. On a folder where letter case matters only
// that name reaches the file.
using ScriptFiles = std::map<std::string, std::string>;

// Package names (script file names without their last four characters) in
// ascending order of name without regard to case; nothing when the folder
// cannot be listed. Fills `files` when given.
std::optional<std::vector<std::string>> ListPackages(const platform::FileSystem& fs,
                                                     const std::string& folder,
                                                     ScriptFiles* files = nullptr);
// The script of package `name`: the listed file, else name + ".OVS".
std::string ScriptPathIn(const std::string& folder, const ScriptFiles& files,
                         const std::string& name);
// The same from a listing of the folder made now.
std::string FindScriptPath(const platform::FileSystem& fs, const std::string& folder,
                           const std::string& name);
// The folder's Position.lst under the name the folder holds it in any letter
// case ("position.lst" as a disc image has it), else "Position.lst".
std::string PositionListPath(const platform::FileSystem& fs, const std::string& folder);
// The names of Position.lst, one a line, in the file's order (CR LF or LF;
// ANSI text); empty when the file is missing or unreadable.
std::vector<std::string> ReadPositionList(const platform::FileSystem& fs,
                                          const platform::System& system,
                                          const std::string& folder);
// ListPackages + ReadPositionList + ApplyPositionList.
std::optional<std::vector<std::string>> LibraryOrder(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const std::string& folder,
                                                     ScriptFiles* files = nullptr);

}  // namespace library
