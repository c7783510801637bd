#pragma once
#include <map>
#include <set>
#include <string>

#include "platform/registry.h"

namespace sim {

class SimRegistry : public platform::Registry {
 public:
  std::optional<platform::RegistryValue> ReadValue(platform::RegistryRoot root,
                                                   const std::string& subkey,
                                                   const std::string& name) const override;
  bool WriteString(platform::RegistryRoot root, const std::string& subkey, const std::string& name,
                   const std::string& value) override;
  void SetValue(platform::RegistryRoot root, const std::string& subkey, const std::string& name,
                const platform::RegistryValue& value);
  void DeleteValue(platform::RegistryRoot root, const std::string& subkey, const std::string& name);
  size_t writeCount = 0;
  // Writes under these roots fail, as HKEY_CLASSES_ROOT does on Windows for a
  // program without administrator rights.
  std::set<platform::RegistryRoot> deniedRoots;

 private:
  static std::string Key(platform::RegistryRoot root, const std::string& subkey,
                         const std::string& name);
  std::map<std::string, platform::RegistryValue> values_;
};

}  // namespace sim
