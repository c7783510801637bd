#include "app/macros.h"

#include <cctype>

#include "app/paths.h"
#include "app/startup.h"
#include "platform/text.h"

namespace app {
namespace {

constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr size_t kCdRomMacroChars = 7;  // "%CDROM%"

std::string WithoutTrailingBackslash(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool IsNameCharacter(char c) {
  // Letters and digits of any script: every byte of a multi-byte character.
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x80 || std::isalnum(b);
}

// Whether the folder `value`, found at `p` in `s`, stands there as whole
// path parts: it ends at a backslash or at the end of the text, and starts
// at the start, after a backslash, or (a rooted folder such as "C:\Dir")
// after anything that cannot be part of the same name, such as "=" or a quote.
bool IsWholePathParts(const std::string& s, size_t p, const std::string& value) {
  const size_t end = p + value.size();
  if (end < s.size() && s[end] != '\\' && value.back() != '\\') return false;
  if (p == 0 || s[p - 1] == '\\') return true;
  const bool rooted = value.front() == '\\' || (value.size() >= 2 && value[1] == ':');
  return rooted && !IsNameCharacter(s[p - 1]);
}

// Replaces the first occurrence of `what` (any case) by `JoinPath(by, rest)`.
// With `keepPrefix` false the text before the occurrence is dropped too.
void ReplaceFirst(std::string& s, const std::string& what, const std::string& by, bool keepPrefix) {
  const size_t p = text::FindNoCase(s, what);
  if (p == std::string::npos) return;
  const std::string before = keepPrefix ? s.substr(0, p) : std::string();
  s = before + JoinPath(by, s.substr(p + what.size()));
}

// Replaces the first occurrence of the folder `value` (any case) that stands
// as whole path parts by `JoinPath(macro, rest)`, so that a user "Ann" leaves
// "C:\Users\Anna" alone and "C:\Program Files" is no part of
// "C:\Program Files (x86)". With `keepPrefix` false the text before it is
// dropped too.
void ContractFirst(std::string& s, const std::string& value, const std::string& macro,
                   bool keepPrefix) {
  for (size_t p = text::FindNoCase(s, value); p != std::string::npos;
       p = text::FindNoCase(s, value, p + 1)) {
    if (!IsWholePathParts(s, p, value)) continue;
    const std::string before = keepPrefix ? s.substr(0, p) : std::string();
    s = before + JoinPath(macro, s.substr(p + value.size()));
    return;
  }
}

// The folder that 32-bit programs, and so most setups, install into. On
// 64-bit Windows it is "ProgramFilesDir (x86)" (ProgramFilesDir as a 32-bit
// program reads it), so that scripts recorded by 32-bit builds on such a
// machine play unchanged; 32-bit Windows has ProgramFilesDir alone.
std::string ProgramFilesFolder(const platform::Registry& registry, const platform::System& system) {
  const auto root = platform::RegistryRoot::LocalMachine;
  auto folder = ReadRegistryString(registry, root, kCurrentVersionKey, "ProgramFilesDir (x86)");
  if (!folder || folder->empty()) {
    folder = ReadRegistryString(registry, root, kCurrentVersionKey, "ProgramFilesDir");
  }
  return folder ? *folder : system.ProgramFilesFolder();
}

}  // namespace

bool IsRunningFromDisc(const platform::FileSystem& fs, const std::string& programFolder) {
  const std::string root = text::FirstChars(programFolder, 3);
  if (root.rfind("\\\\", 0) == 0) return false;
  const platform::DriveType type = fs.GetDriveType(root);
  if (type == platform::DriveType::CdRom) return true;
  // A disc image copied to a USB stick carries its settings file beside the
  // program; a plain copy of the program on a stick is not a disc.
  return type == platform::DriveType::Removable &&
         PathExists(fs, AddBackslash(programFolder) + kIniFileName);
}

MacroTable BuildMacroTable(const platform::Platform& p) {
  return BuildMacroTable(p.registry, p.system, p.files);
}

MacroTable BuildMacroTable(const platform::Registry& registry, const platform::System& system,
                           const platform::FileSystem& files) {
  MacroTable t;
  t.values[0] = ProgramFilesFolder(registry, system);
  t.values[1] = system.UserName();
  t.values[2] = system.WindowsFolder();
  t.values[3] = WithoutTrailingBackslash(system.TempPath());
  const std::string programFolder = system.ProgramFolder();
  const std::string ownRoot = text::FirstChars(programFolder, 3);
  if (IsRunningFromDisc(files, programFolder)) t.values[MacroTable::kCdRomRow] = ownRoot;
  // From a CD-ROM the macro is that drive alone; from a stick the machine's
  // own CD-ROM drives are looked at too.
  if (files.GetDriveType(ownRoot) != platform::DriveType::CdRom) {
    for (const std::string& root : files.LogicalDrives()) {
      if (files.GetDriveType(root) == platform::DriveType::CdRom) t.cdromDrives.push_back(root);
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
  const std::string onOwnDrive = ownDrive.empty() ? text : JoinPath(ownDrive, rest);
  if (!ownDrive.empty() && (table.cdromDrives.empty() || PathExists(fs, onOwnDrive))) {
    return onOwnDrive;
  }
  for (const std::string& drive : table.cdromDrives) {
    std::string candidate = JoinPath(drive, rest);
    if (PathExists(fs, candidate)) return candidate;
  }
  return onOwnDrive;
}

std::string ContractMacros(const MacroTable& table, std::string text) {
  for (size_t row = 0; row < MacroTable::kCdRomRow; ++row) {
    if (table.values[row].empty()) continue;
    ContractFirst(text, table.values[row], MacroTable::kMacros[row], true);
  }
  for (const std::string& drive : table.cdromDrives) {
    ContractFirst(text, drive, MacroTable::kMacros[MacroTable::kCdRomRow], false);
  }
  return text;
}

}  // namespace app
