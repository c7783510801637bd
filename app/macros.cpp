#include "app/macros.h"

#include "app/paths.h"
#include "platform/text.h"

namespace app {
namespace {

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr size_t kCdRomMacroChars = 7;  // "%CDROM%"

std::string WithoutTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

// Replaces the first occurrence of `what` (any case) by `JoinPath(by, rest)`.
// With `keepPrefix` false the text before the occurrence is dropped too.
bool ReplaceFirst(std::string& s, const std::string& what, const std::string& by,
                  bool keepPrefix) {
  const size_t p = text::FindNoCase(s, what);
  if (p == std::string::npos) return false;
  const std::string before = keepPrefix ? s.substr(0, p) : std::string();
  s = before + JoinPath(by, s.substr(p + what.size()));
  return true;
}

}  // namespace

bool IsRunningFromCdRom(const platform::FileSystem& fs, const std::string& programFolder) {
  const std::string root = text::FirstChars(programFolder, 3);
  if (root.rfind("\\\\", 0) == 0) return false;
  return fs.GetDriveType(root) == platform::DriveType::CdRom;
}

MacroTable BuildMacroTable(const platform::Platform& p) {
  MacroTable t;
  auto programFiles = ReadRegistryString(p.registry, platform::RegistryRoot::LocalMachine,
                                         kCurrentVersionKey, "ProgramFilesDir");
  t.values[0] = programFiles ? *programFiles : p.system.ProgramFilesFolder();
  t.values[1] = p.system.UserName();
  t.values[2] = p.system.WindowsFolder();
  t.values[3] = WithoutTrailingBackslash(p.system.TempPath());
  const std::string programFolder = p.system.ProgramFolder();
  if (IsRunningFromCdRom(p.files, programFolder)) {
    t.values[MacroTable::kCdRomRow] = text::FirstChars(programFolder, 3);
  } else {
    for (const std::string& root : p.files.LogicalDrives()) {
      if (p.files.GetDriveType(root) == platform::DriveType::CdRom) t.cdromDrives.push_back(root);
    }
  }
  return t;
}

std::string JoinPath(const std::string& folder, const std::string& rest) {
  if (rest.empty()) return folder;
  return AddBackslash(folder) + (rest.front() == '\\' ? rest.substr(1) : rest);
}

std::string ExpandMacros(const MacroTable& table, const platform::FileSystem& fs,
                         std::string text) {
  for (size_t row = 0; row < MacroTable::kCdRomRow; ++row) {
    ReplaceFirst(text, MacroTable::kMacros[row], table.values[row], true);
  }
  const char* cdMacro = MacroTable::kMacros[MacroTable::kCdRomRow];
  if (text::FindNoCase(text, cdMacro) == std::string::npos) return text;
  // The macro always stands at the start of a stored text.
  const std::string rest = text::DropChars(text, kCdRomMacroChars);
  const std::string& ownDrive = table.values[MacroTable::kCdRomRow];
  if (!ownDrive.empty()) return JoinPath(ownDrive, rest);
  for (const std::string& drive : table.cdromDrives) {
    std::string candidate = JoinPath(drive, rest);
    if (PathExists(fs, candidate)) return candidate;
  }
  return text;
}

std::string ContractMacros(const MacroTable& table, std::string text) {
  for (size_t row = 0; row < MacroTable::kCdRomRow; ++row) {
    if (table.values[row].empty()) continue;
    ReplaceFirst(text, table.values[row], MacroTable::kMacros[row], true);
  }
  for (const std::string& drive : table.cdromDrives) {
    ReplaceFirst(text, drive, MacroTable::kMacros[MacroTable::kCdRomRow], false);
  }
  return text;
}

}  // namespace app
