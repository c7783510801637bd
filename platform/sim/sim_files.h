#pragma once
// An in-memory Windows file system: drives with types, case-insensitive
// paths, read-only files, and switches that make the next writes fail.
// Paths resolve as the system resolves them without long-path support: a
// relative path against the current folder, "." and ".." taken out; a full
// path longer than MAX_PATH - 1 characters (a folder to create: MAX_PATH -
// 12), or a name longer than 255, fails every call.
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/files.h"

namespace sim {

class SimFileSystem : public platform::FileSystem {
 public:
  static constexpr size_t kMaxPath = 260;  // characters, the terminator included

  // The process's current folder, which relative paths start from.
  std::string currentFolder = "C:\\";

  void AddDrive(char letter, platform::DriveType type);
  // Creates the folder and any missing parents (the drive must exist).
  void MakeFolders(const std::string& path);
  // Letter case of the names in this folder matters (a share, or a folder
  // with case sensitivity switched on): "x.ovs" and "x.OVS" are two files.
  void SetCaseSensitive(const std::string& folder);
  // Creates the file with its parent folders, bypassing every failure switch.
  void PutFile(const std::string& path, const std::string& bytes);
  bool Exists(const std::string& path) const;
  // The hidden and system attributes, which only folder listings report.
  void SetHiddenSystem(const std::string& path, bool hidden, bool system);
  std::string Contents(const std::string& path) const;  // empty when absent

  // Failure switches for the next write-type operation.
  bool denyNextWrite = false;           // access denied before a byte is written
  std::optional<size_t> diskFullAfter;  // the next write stops after this many bytes
  bool denyNextReplace = false;         // the next ReplaceFile is refused, nothing changes
  int writeCount = 0;                   // successful and failed WriteFile calls

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

 private:
  struct Node {
    std::string path;  // full path as created, for listing
    bool folder = false;
    bool readOnly = false;
    std::string data;
    bool hidden = false, system = false;
  };
  // The full path, or nothing when the system would refuse the path.
  std::optional<std::string> FullPath(const std::string& path, size_t maxPath = kMaxPath) const;
  // The folded full path without a trailing backslash; empty when refused.
  std::string Key(const std::string& path) const;
  const Node* Find(const std::string& path) const;
  Node* Find(const std::string& path);
  bool DriveExists(const std::string& key) const;
  bool ParentIsFolder(const std::string& key) const;
  bool WritableDrive(const std::string& key) const;
  bool TakeDenial();

  std::map<char, platform::DriveType> drives_;
  std::map<std::string, Node> nodes_;  // key: folded path without trailing backslash
  std::set<std::string> caseSensitive_;  // keys of folders whose entries keep their case
};

}  // namespace sim
