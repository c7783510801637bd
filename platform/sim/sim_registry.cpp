#include "platform/sim/sim_registry.h"

#include "platform/text.h"

namespace sim {
namespace {

constexpr const char* kSoftware = "SOFTWARE";  // as FoldCase gives it
constexpr const char* kWow = "SOFTWARE\\WOW6432NODE";

}  // namespace

std::string SimRegistry::KeyPath(platform::RegistryRoot root, std::string subkey,
                                 platform::RegistryView view) {
  subkey = text::FoldCase(subkey);
  while (!subkey.empty() && subkey.back() == '\\') subkey.pop_back();
  const bool software = subkey == kSoftware || subkey.rfind(std::string(kSoftware) + "\\", 0) == 0;
  const bool redirected = subkey == kWow || subkey.rfind(std::string(kWow) + "\\", 0) == 0;
  if (view == platform::RegistryView::Bits32 && root == platform::RegistryRoot::LocalMachine &&
      software && !redirected) {
    subkey = kWow + subkey.substr(std::string(kSoftware).size());
  }
  return std::to_string(static_cast<int>(root)) + "|" + subkey;
}

std::string SimRegistry::Key(platform::RegistryRoot root, const std::string& subkey,
                             const std::string& name, platform::RegistryView view) {
  return KeyPath(root, subkey, view) + "|" + text::FoldCase(name);
}

std::optional<platform::RegistryValue> SimRegistry::ReadValue(platform::RegistryRoot root,
                                                              const std::string& subkey,
                                                              const std::string& name,
                                                              platform::RegistryView view) const {
  auto it = values_.find(Key(root, subkey, name, view));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::vector<std::string> SimRegistry::SubkeyNames(platform::RegistryRoot root,
                                                  const std::string& subkey,
                                                  platform::RegistryView view) const {
  const std::string prefix = KeyPath(root, subkey, view) + "\\";
  std::set<std::string> names;
  for (auto it = values_.lower_bound(prefix);
       it != values_.end() && it->first.compare(0, prefix.size(), prefix) == 0; ++it) {
    const std::string rest = it->first.substr(prefix.size());
    names.insert(rest.substr(0, rest.find_first_of("\\|")));
  }
  return {names.begin(), names.end()};
}

bool SimRegistry::WriteString(platform::RegistryRoot root, const std::string& subkey,
                              const std::string& name, const std::string& value) {
  ++writeCount;
  if (deniedRoots.count(root)) return false;
  values_[Key(root, subkey, name, platform::RegistryView::Default)] = {
      platform::RegistryType::String, value, 0};
  return true;
}

bool SimRegistry::DeleteValue(platform::RegistryRoot root, const std::string& subkey,
                              const std::string& name) {
  ++writeCount;
  if (deniedRoots.count(root)) return false;
  values_.erase(Key(root, subkey, name, platform::RegistryView::Default));
  return true;
}

void SimRegistry::SetValue(platform::RegistryRoot root, const std::string& subkey,
                           const std::string& name, const platform::RegistryValue& value,
                           platform::RegistryView view) {
  values_[Key(root, subkey, name, view)] = value;
}

void SimRegistry::DeleteKey(platform::RegistryRoot root, const std::string& subkey,
                            platform::RegistryView view) {
  const std::string path = KeyPath(root, subkey, view);
  for (auto it = values_.lower_bound(path); it != values_.end();) {
    const std::string& key = it->first;
    const bool under = key.compare(0, path.size(), path) == 0 && key.size() > path.size() &&
                       (key[path.size()] == '|' || key[path.size()] == '\\');
    if (!under) {
      if (key.compare(0, path.size(), path) != 0) break;
      ++it;
      continue;
    }
    it = values_.erase(it);
  }
}

}  // namespace sim
