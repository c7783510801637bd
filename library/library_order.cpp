#include "library/library_order.h"

#include <algorithm>

#include "app/paths.h"
#include "platform/text.h"
#include "script/save_script.h"

namespace library {
namespace {

constexpr size_t kExtensionLength = 4;  // ".ovs"

// Package name of a listed script file; nothing for what is not one.
std::optional<std::string> PackageOf(const platform::FolderEntry& entry) {
  if (entry.folder || entry.name.size() < kExtensionLength) return std::nullopt;
  return entry.name.substr(0, entry.name.size() - kExtensionLength);
}

}  // namespace

std::optional<std::vector<std::string>> ListPackages(const platform::FileSystem& fs,
                                                     const std::string& folder,
                                                     ScriptFiles* files) {
  const auto entries = fs.ListFolder(folder, kScriptPattern);
  if (!entries) return std::nullopt;
  std::vector<std::string> names;
  for (const platform::FolderEntry& entry : *entries) {
    const auto name = PackageOf(entry);
    if (!name) continue;
    names.push_back(*name);
    if (files) files->emplace(*name, entry.name);
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return text::FoldCase(a) < text::FoldCase(b);
  });
  return names;
}

std::string ScriptPathIn(const std::string& folder, const ScriptFiles& files,
                         const std::string& name) {
  const auto file = files.find(name);
  if (file == files.end()) return script::ScriptFilePath(folder, name);
  return app::AddBackslash(folder) + file->second;
}

std::string FindScriptPath(const platform::FileSystem& fs, const std::string& folder,
                           const std::string& name) {
  ScriptFiles files;
  for (const platform::FolderEntry& entry :
       fs.ListFolder(folder, name + ".ovs").value_or(std::vector<platform::FolderEntry>{})) {
    if (PackageOf(entry) == name) files.emplace(name, entry.name);
  }
  return ScriptPathIn(folder, files, name);
}

std::string PositionListPath(const platform::FileSystem& fs, const std::string& folder) {
  std::string name = kPositionFile;
  const auto entries = fs.ListFolder(folder, kPositionFile);
  if (entries && !entries->empty() &&
      std::none_of(entries->begin(), entries->end(),
                   [](const platform::FolderEntry& e) { return e.name == kPositionFile; })) {
    name = entries->front().name;
  }
  return app::AddBackslash(folder) + name;
}

std::vector<std::string> ReadPositionList(const platform::FileSystem& fs,
                                          const platform::System& system,
                                          const std::string& folder) {
  if (folder.empty()) return {};
  const auto bytes = fs.ReadFile(PositionListPath(fs, folder));
  return bytes ? DecodePositionList(system, *bytes) : std::vector<std::string>{};
}

std::optional<std::vector<std::string>> LibraryOrder(const platform::FileSystem& fs,
                                                     const platform::System& system,
                                                     const std::string& folder,
                                                     ScriptFiles* files) {
  auto names = ListPackages(fs, folder, files);
  if (names && !names->empty()) ApplyPositionList(*names, ReadPositionList(fs, system, folder));
  return names;
}

}  // namespace library
