#pragma once
// The file system and system facts through the C++ standard library alone,
// for the command-line tools that work on real files without the window
// layer. Paths are UTF-8 in the host's own syntax; off Windows a backslash
// separates folders too.
#include "platform/files.h"
#include "platform/system.h"

namespace stdio {

class StdFileSystem : public platform::FileSystem {
 public:
  bool FindEntry(const std::string& path) const override;
  std::optional<platform::FileAttributes> Attributes(const std::string& path) const override;
  std::optional<std::string> ReadFile(const std::string& path) const override;
  bool WriteFile(const std::string& path, const std::string& bytes) override;
  bool AppendFile(const std::string& path, const std::string& bytes) override;
  bool MoveFile(const std::string& from, const std::string& to) override;
  bool ReplaceFile(const std::string& from, const std::string& to) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool DeleteFile(const std::string& path) override;
  bool CreateFolder(const std::string& path) override;
  bool SetReadOnly(const std::string& path, bool readOnly) override;
  std::optional<std::vector<platform::FolderEntry>> ListFolder(
      const std::string& folder, const std::string& pattern) const override;
  platform::DriveType GetDriveType(const std::string& root) const override;
  std::vector<std::string> LogicalDrives() const override;
};

// The ANSI code page is Windows-1251; there is no screen (0 x 0) and no
// other instance to exclude.
class StdSystem : public platform::System {
 public:
  std::string UserName() const override;
  std::string WindowsFolder() const override;
  std::string TempPath() const override;
  std::string ProgramFolder() const override;
  std::string ProgramPath() const override { return {}; }
  std::string ProgramFilesFolder() const override;
  std::string CommandLine() const override { return {}; }
  int ScreenWidth() const override { return 0; }
  int ScreenHeight() const override { return 0; }
  platform::LocalTime Now() const override;
  unsigned ThreadId() const override { return 1; }
  long long AwakeTimeMs() const override;
  void KeepAwake(bool) override {}
  bool ClaimSingleInstance(const std::string&) override { return true; }
  unsigned AnsiCodePage() const override;
  bool KnowsCodePage(unsigned codePage) const override;
  std::string ToCodePage(const std::string& utf8, unsigned codePage) const override;
  std::string FromCodePage(const std::string& bytes, unsigned codePage) const override;
};

}  // namespace stdio
