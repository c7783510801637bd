#include "platform/sim/sim_files.h"

#include <cctype>
#include <utility>

#include "platform/text.h"

namespace sim {
namespace {

bool IsDriveKey(const std::string& key) { return key.size() == 2 && key[1] == ':'; }

std::string ParentKey(const std::string& key) {
  const size_t slash = key.rfind('\\');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

}  // namespace

std::string SimFileSystem::Key(const std::string& path) {
  std::string key = text::FoldCase(path);
  while (key.size() > 2 && key.back() == '\\') key.pop_back();
  return key;
}

void SimFileSystem::AddDrive(char letter, platform::DriveType type) {
  drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = type;
}

bool SimFileSystem::DriveExists(const std::string& key) const {
  return key.size() >= 2 && key[1] == ':' && drives_.count(key[0]) > 0;
}

bool SimFileSystem::WritableDrive(const std::string& key) const {
  return DriveExists(key) && drives_.at(key[0]) != platform::DriveType::CdRom;
}

const SimFileSystem::Node* SimFileSystem::Find(const std::string& path) const {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

SimFileSystem::Node* SimFileSystem::Find(const std::string& path) {
  auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

bool SimFileSystem::ParentIsFolder(const std::string& key) const {
  const std::string parent = ParentKey(key);
  if (IsDriveKey(parent)) return DriveExists(parent);
  auto it = nodes_.find(parent);
  return it != nodes_.end() && it->second.folder;
}

bool SimFileSystem::TakeDenial() {
  const bool deny = denyNextWrite;
  denyNextWrite = false;
  return deny;
}

void SimFileSystem::MakeFolders(const std::string& path) {
  std::string key = Key(path);
  if (IsDriveKey(key) || key.empty()) return;
  MakeFolders(path.substr(0, std::min(path.size(), ParentKey(key).size())));
  if (!nodes_.count(key)) nodes_[key] = Node{path.substr(0, key.size()), true, false, {}};
}

void SimFileSystem::PutFile(const std::string& path, const std::string& bytes) {
  const std::string key = Key(path);
  MakeFolders(path.substr(0, ParentKey(key).size()));
  nodes_[key] = Node{path, false, false, bytes};
}

bool SimFileSystem::Exists(const std::string& path) const { return Find(path) != nullptr; }

std::string SimFileSystem::Contents(const std::string& path) const {
  const Node* n = Find(path);
  return n ? n->data : std::string();
}

bool SimFileSystem::FindEntry(const std::string& path) const {
  if (path.empty() || path.back() == '\\' || IsDriveKey(Key(path))) return false;
  const std::string name = NameOf(path);
  if (!HasWildcard(name)) return Find(path) != nullptr;
  const std::string folder = path.substr(0, path.size() - name.size());
  auto entries = ListFolder(folder, name);
  return entries && !entries->empty();
}

std::optional<platform::FileAttributes> SimFileSystem::Attributes(const std::string& path) const {
  const std::string key = Key(path);
  if (HasWildcard(key)) return std::nullopt;
  if (IsDriveKey(key)) {
    if (!DriveExists(key)) return std::nullopt;
    return platform::FileAttributes{true, false};
  }
  const Node* n = Find(path);
  if (!n) return std::nullopt;
  if (!n->folder && !path.empty() && path.back() == '\\') return std::nullopt;
  return platform::FileAttributes{n->folder, n->readOnly};
}

std::optional<std::string> SimFileSystem::ReadFile(const std::string& path) const {
  const Node* n = Find(path);
  if (!n || n->folder) return std::nullopt;
  return n->data;
}

bool SimFileSystem::WriteFile(const std::string& path, const std::string& bytes) {
  ++writeCount;
  const std::string key = Key(path);
  if (TakeDenial() || !WritableDrive(key) || !ParentIsFolder(key)) return false;
  Node* existing = Find(path);
  if (existing && (existing->folder || existing->readOnly)) return false;
  Node& node = existing ? *existing : nodes_[key];
  if (!existing) node = Node{path, false, false, {}};
  if (diskFullAfter && *diskFullAfter < bytes.size()) {
    node.data = bytes.substr(0, *diskFullAfter);
    diskFullAfter.reset();
    return false;
  }
  diskFullAfter.reset();
  node.data = bytes;
  return true;
}

bool SimFileSystem::MoveFile(const std::string& from, const std::string& to) {
  const std::string fromKey = Key(from), toKey = Key(to);
  if (TakeDenial() || !nodes_.count(fromKey) || !WritableDrive(toKey) || !ParentIsFolder(toKey)) {
    return false;
  }
  if (nodes_.count(toKey) && toKey != fromKey) return false;
  Node node = nodes_[fromKey];
  node.path = to;
  nodes_.erase(fromKey);
  nodes_[toKey] = node;
  return true;
}

bool SimFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  // Every check comes first: a refused replace leaves both files as they were.
  const bool denied = std::exchange(denyNextReplace, false) || TakeDenial();
  const std::string fromKey = Key(from), toKey = Key(to);
  const Node* source = Find(from);
  const Node* target = Find(to);
  if (denied || !source || source->folder || !WritableDrive(toKey) || !ParentIsFolder(toKey)) {
    return false;
  }
  if (target && (target->folder || target->readOnly)) return false;
  Node node = *source;
  node.path = to;
  nodes_.erase(fromKey);
  nodes_[toKey] = node;
  return true;
}

bool SimFileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  const Node* source = Find(from);
  if (!source || source->folder) return false;
  if (failIfExists && Find(to)) return false;
  const std::string data = source->data;
  return WriteFile(to, data);
}

bool SimFileSystem::DeleteFile(const std::string& path) {
  const Node* n = Find(path);
  if (TakeDenial() || !n || n->folder || n->readOnly) return false;
  nodes_.erase(Key(path));
  return true;
}

bool SimFileSystem::CreateFolder(const std::string& path) {
  const std::string key = Key(path);
  if (TakeDenial() || IsDriveKey(key) || nodes_.count(key) || !WritableDrive(key) ||
      !ParentIsFolder(key)) {
    return false;
  }
  nodes_[key] = Node{path, true, false, {}};
  return true;
}

bool SimFileSystem::SetReadOnly(const std::string& path, bool readOnly) {
  Node* n = Find(path);
  if (!n) return false;
  n->readOnly = readOnly;
  return true;
}

std::optional<std::vector<platform::FolderEntry>> SimFileSystem::ListFolder(
    const std::string& folder, const std::string& pattern) const {
  const std::string key = Key(folder);
  if (IsDriveKey(key) ? !DriveExists(key) : !(Find(folder) && Find(folder)->folder)) {
    return std::nullopt;
  }
  std::vector<platform::FolderEntry> entries;
  for (const auto& [nodeKey, node] : nodes_) {
    if (ParentKey(nodeKey) != key) continue;
    const std::string name = NameOf(node.path);
    if (platform::MatchesPattern(name, pattern)) entries.push_back({name, node.folder});
  }
  return entries;
}

platform::DriveType SimFileSystem::GetDriveType(const std::string& root) const {
  if (root.size() < 2 || root[1] != ':') return platform::DriveType::NoRootDir;
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))));
  return it == drives_.end() ? platform::DriveType::NoRootDir : it->second;
}

std::vector<std::string> SimFileSystem::LogicalDrives() const {
  std::vector<std::string> roots;
  for (const auto& [letter, type] : drives_) roots.push_back(std::string(1, letter) + ":\\");
  return roots;
}

}  // namespace sim
