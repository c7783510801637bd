#pragma once
// Path macros: folders that differ between machines are stored as
// %PROGRAMFILES%, %USERNAME%, %WINDOWS%, %TEMP% and %CDROM%.
#include <array>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace app {

struct MacroTable {
  static constexpr std::array<const char*, 5> kMacros = {"%PROGRAMFILES%", "%USERNAME%",
                                                         "%WINDOWS%", "%TEMP%", "%CDROM%"};
  static constexpr size_t kCdRomRow = 4;
  std::array<std::string, 5> values;
  // CD-ROM drive roots, collected only when the program does not run from
  // one; from a disc image on a stick they are tried after the stick.
  std::vector<std::string> cdromDrives;
};

// True when the program runs from a CD-ROM, or from a removable drive (a USB
// stick) with the settings file beside it: that file is read and %CDROM% is
// that drive's root.
bool IsRunningFromDisc(const platform::FileSystem& fs, const std::string& programFolder);
MacroTable BuildMacroTable(const platform::Platform& p);
// The same from the only services it reads, for tools that have no windows.
MacroTable BuildMacroTable(const platform::Registry& registry, const platform::System& system,
                           const platform::FileSystem& files);

std::string JoinPath(const std::string& folder, const std::string& rest);
std::string ExpandMacros(const MacroTable& table, const platform::FileSystem& fs, std::string text);
std::string ContractMacros(const MacroTable& table, std::string text);

}  // namespace app
