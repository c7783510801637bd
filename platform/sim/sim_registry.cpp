#include "platform/sim/sim_registry.h"

#include "platform/text.h"

namespace sim {

std::string SimRegistry::Key(platform::RegistryRoot root, const std::string& subkey,
                             const std::string& name) {
  return std::to_string(static_cast<int>(root)) + "|" + text::FoldCase(subkey) + "|" +
         text::FoldCase(name);
}

std::optional<platform::RegistryValue> SimRegistry::ReadValue(platform::RegistryRoot root,
                                                              const std::string& subkey,
                                                              const std::string& name) const {
  auto it = values_.find(Key(root, subkey, name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

bool SimRegistry::WriteString(platform::RegistryRoot root, const std::string& subkey,
                              const std::string& name, const std::string& value) {
  ++writeCount;
  if (deniedRoots.count(root)) return false;
  values_[Key(root, subkey, name)] = {platform::RegistryType::String, value, 0};
  return true;
}

void SimRegistry::SetValue(platform::RegistryRoot root, const std::string& subkey,
                           const std::string& name, const platform::RegistryValue& value) {
  values_[Key(root, subkey, name)] = value;
}

void SimRegistry::DeleteValue(platform::RegistryRoot root, const std::string& subkey,
                              const std::string& name) {
  values_.erase(Key(root, subkey, name));
}

}  // namespace sim
