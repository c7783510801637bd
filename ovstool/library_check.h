#pragma once
// Checks a script library before it is played somewhere else: what would
// make a package fail or play out of order, one finding a line.
#include <optional>
#include <string>
#include <vector>

#include "app/macros.h"
#include "platform/files.h"
#include "platform/system.h"

namespace ovstool {

// The findings for the library in `folder`, in this order: each script's own
// (damage with its byte offset, a newer format, a setup program that does
// not exist here once its path macros are expanded with `macros`), then
// Position.lst against the scripts, then script names that differ only in
// letter case. Nothing when the folder cannot be listed. `notes` gets, for
// each script whose windows' captions carry a version number, those
// captions: no fault here, but on the setup's next version such a window is
// found only by likeness.
std::optional<std::vector<std::string>> CheckLibrary(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const app::MacroTable& macros,
                                                     const std::string& folder,
                                                     std::vector<std::string>& notes);

}  // namespace ovstool
