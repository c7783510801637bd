#pragma once
// Files, folders and drives. Paths are Windows paths in UTF-8 ("C:\\dir\\f").
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class DriveType { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4,
                       CdRom = 5, RamDisk = 6 };

struct FileAttributes {
  bool folder = false;
  bool readOnly = false;
};

struct FolderEntry {
  std::string name;  // file name without folder
  bool folder = false;
  uint64_t size = 0;  // bytes of a file; 0 for a folder
  bool hidden = false;
  bool system = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True when a directory search for exactly this path finds an entry. As on
  // Windows, a drive root or a path ending in a backslash finds nothing.
  virtual bool FindEntry(const std::string& path) const = 0;
  // Attributes of a file or folder (drive roots included); nothing when absent.
  virtual std::optional<FileAttributes> Attributes(const std::string& path) const = 0;

  virtual std::optional<std::string> ReadFile(const std::string& path) const = 0;
  // Creates or truncates the file and writes all bytes. False on any failure;
  // a failure part-way may leave a partial file, as a real disk would.
  virtual bool WriteFile(const std::string& path, const std::string& bytes) = 0;
  // Adds the bytes at the end of the file, creating it when missing; what
  // was written before stays as it is.
  virtual bool AppendFile(const std::string& path, const std::string& bytes) = 0;
  // Renames; fails when the target exists (MoveFile).
  virtual bool MoveFile(const std::string& from, const std::string& to) = 0;
  // Renames over an existing target in one step (MoveFileEx with replace).
  virtual bool ReplaceFile(const std::string& from, const std::string& to) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual bool CreateFolder(const std::string& path) = 0;
  virtual bool SetReadOnly(const std::string& path, bool readOnly) = 0;
  // Entries of a folder matching a wildcard pattern ("*.ovs"), any letter
  // case; nothing when the folder cannot be listed.
  virtual std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder,
                                                             const std::string& pattern) const = 0;

  virtual DriveType GetDriveType(const std::string& root) const = 0;
  // Roots of all drives ("C:\\", "D:\\", ...), in drive-letter order.
  virtual std::vector<std::string> LogicalDrives() const = 0;
};

// Windows wildcard match ('*' and '?'), without regard to case.
bool MatchesPattern(const std::string& name, const std::string& pattern);

}  // namespace platform
