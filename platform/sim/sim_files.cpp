#include "platform/sim/sim_files.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

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

size_t Utf16Length(const std::string& s) {
  return text::Utf8ToUtf16(s).size();
}

constexpr size_t kMaxNameLength = 255;
constexpr size_t kFolderReserve = 12;  // room a new folder keeps for an 8.3 name

}  // namespace

std::optional<std::string> SimFileSystem::FullPath(const std::string& path, size_t maxPath) const {
  if (path.empty()) return std::nullopt;
  std::string p = path;
  std::replace(p.begin(), p.end(), '/', '\\');
  if (p.rfind("\\\\", 0) == 0) return std::nullopt;  // no network shares on this machine
  const bool hasDrive =
      p.size() >= 2 && p[1] == ':' && std::isalpha(static_cast<unsigned char>(p[0]));
  const std::string currentDrive = currentFolder.substr(0, 2);
  const std::string currentRest = currentFolder.substr(std::min<size_t>(2, currentFolder.size()));
  std::string drive, rest;
  if (hasDrive && p.size() >= 3 && p[2] == '\\') {
    drive = p.substr(0, 2), rest = p.substr(2);
  } else if (hasDrive) {  // "X:name" is relative to the current folder of that drive
    drive = p.substr(0, 2);
    rest = (text::EqualsNoCase(drive, currentDrive) ? currentRest : std::string()) + "\\" +
           p.substr(2);
  } else if (p[0] == '\\') {
    drive = currentDrive, rest = p;
  } else {
    drive = currentDrive, rest = currentRest + "\\" + p;
  }
  std::vector<std::string> parts;
  for (size_t start = 0; start <= rest.size();) {
    size_t end = rest.find('\\', start);
    if (end == std::string::npos) end = rest.size();
    const std::string part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      if (Utf16Length(part) > kMaxNameLength) return std::nullopt;
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string full = drive;
  for (const std::string& part : parts) full += "\\" + part;
  if (parts.empty() || p.back() == '\\') full += '\\';
  if (Utf16Length(full) >= maxPath) return std::nullopt;
  return full;
}

std::string SimFileSystem::Key(const std::string& path) const {
  const auto full = FullPath(path);
  if (!full) return {};
  // The drive, then each name: folded, unless its folder keeps letter case.
  std::string key = text::FoldCase(full->substr(0, 2));
  for (size_t start = 3; start < full->size();) {
    size_t end = full->find('\\', start);
    if (end == std::string::npos) end = full->size();
    const std::string name = full->substr(start, end - start);
    key += "\\" + (caseSensitive_.count(key) ? name : text::FoldCase(name));
    start = end + 1;
  }
  return key;
}

void SimFileSystem::SetCaseSensitive(const std::string& folder) {
  caseSensitive_.insert(Key(folder));
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
  const auto full = FullPath(path);
  if (!full) return;
  for (size_t end = full->find('\\', 3);; end = full->find('\\', end + 1)) {
    const std::string folder = full->substr(0, end);
    const std::string key = Key(folder);
    if (!IsDriveKey(key) && !key.empty() && !nodes_.count(key)) {
      nodes_[key] = Node{folder, true, false, {}};
    }
    if (end == std::string::npos || end + 1 >= full->size()) break;
  }
}

void SimFileSystem::PutFile(const std::string& path, const std::string& bytes) {
  const auto full = FullPath(path);
  if (!full) return;
  const std::string key = Key(*full);
  MakeFolders(full->substr(0, ParentKey(key).size()));
  nodes_[key] = Node{*full, false, false, bytes};
}

bool SimFileSystem::Exists(const std::string& path) const { return Find(path) != nullptr; }

void SimFileSystem::SetHiddenSystem(const std::string& path, bool hidden, bool system) {
  if (Node* n = Find(path)) n->hidden = hidden, n->system = system;
}

std::string SimFileSystem::Contents(const std::string& path) const {
  const Node* n = Find(path);
  return n ? n->data : std::string();
}

bool SimFileSystem::FindEntry(const std::string& path) const {
  if (path.empty() || path.back() == '\\' || IsDriveKey(Key(path))) return false;
  const std::string name = NameOf(path);
  if (!HasWildcard(name)) return Find(path) != nullptr;
  const std::string folder = path.substr(0, path.size() - name.size());
  auto entries = ListFolder(folder.empty() ? "." : folder, name);
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
  if (!existing) node = Node{*FullPath(path), false, false, {}};
  if (diskFullAfter && *diskFullAfter < bytes.size()) {
    node.data = bytes.substr(0, *diskFullAfter);
    diskFullAfter.reset();
    return false;
  }
  diskFullAfter.reset();
  node.data = bytes;
  return true;
}

bool SimFileSystem::AppendFile(const std::string& path, const std::string& bytes) {
  const Node* existing = Find(path);
  if (!existing) return WriteFile(path, bytes);
  return WriteFile(path, existing->data + bytes);
}

bool SimFileSystem::MoveFile(const std::string& from, const std::string& to) {
  const std::string fromKey = Key(from), toKey = Key(to);
  if (TakeDenial() || !nodes_.count(fromKey) || !WritableDrive(toKey) || !ParentIsFolder(toKey)) {
    return false;
  }
  if (nodes_.count(toKey) && toKey != fromKey) return false;
  Node node = nodes_[fromKey];
  node.path = *FullPath(to);
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
  node.path = *FullPath(to);
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
  const auto full = FullPath(path, kMaxPath - kFolderReserve);
  if (TakeDenial() || !full || IsDriveKey(key) || nodes_.count(key) || !WritableDrive(key) ||
      !ParentIsFolder(key)) {
    return false;
  }
  nodes_[key] = Node{*full, true, false, {}};
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
    if (!platform::MatchesPattern(name, pattern)) continue;
    entries.push_back({name, node.folder, node.folder ? 0 : node.data.size(), node.hidden,
                       node.system});
  }
  return entries;
}

platform::DriveType SimFileSystem::GetDriveType(const std::string& root) const {
  // Like the system: the path resolves as any other ("\\" is the root of the
  // current drive) and must name a drive root or an existing folder; a
  // network path names no drive of this machine.
  const std::string key = Key(root);
  if (key.empty() || (!IsDriveKey(key) && !(Find(key) && Find(key)->folder))) {
    return platform::DriveType::NoRootDir;
  }
  auto it = drives_.find(static_cast<char>(std::toupper(static_cast<unsigned char>(key[0]))));
  return it == drives_.end() ? platform::DriveType::NoRootDir : it->second;
}

std::vector<std::string> SimFileSystem::LogicalDrives() const {
  std::vector<std::string> roots;
  for (const auto& [letter, type] : drives_) roots.push_back(std::string(1, letter) + ":\\");
  return roots;
}

}  // namespace sim
