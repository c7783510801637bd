#pragma once
// A registry in memory, with the two views of 64-bit Windows: in the 32-bit
// view HKLM\SOFTWARE is HKLM\SOFTWARE\WOW6432Node, and HKCU is shared.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sim {

class SimRegistry : public platform::Registry {
 public:
  std::optional<platform::RegistryValue> ReadValue(
      platform::RegistryRoot root, const std::string& subkey, const std::string& name,
      platform::RegistryView view = platform::RegistryView::Default) const override;
  std::vector<std::string> SubkeyNames(
      platform::RegistryRoot root, const std::string& subkey,
      platform::RegistryView view = platform::RegistryView::Default) const override;
  bool WriteString(platform::RegistryRoot root, const std::string& subkey, const std::string& name,
                   const std::string& value) override;
  bool DeleteValue(platform::RegistryRoot root, const std::string& subkey,
                   const std::string& name) override;
  // What a test or a simulated setup stores; a 32-bit setup writes through
  // the 32-bit view.
  void SetValue(platform::RegistryRoot root, const std::string& subkey, const std::string& name,
                const platform::RegistryValue& value,
                platform::RegistryView view = platform::RegistryView::Default);
  // Every value of the key and of the keys below it goes.
  void DeleteKey(platform::RegistryRoot root, const std::string& subkey,
                 platform::RegistryView view = platform::RegistryView::Default);
  size_t writeCount = 0;
  // Writes under these roots fail, as HKEY_CLASSES_ROOT does on Windows for a
  // program without administrator rights.
  std::set<platform::RegistryRoot> deniedRoots;

 private:
  static std::string KeyPath(platform::RegistryRoot root, std::string subkey,
                             platform::RegistryView view);
  static std::string Key(platform::RegistryRoot root, const std::string& subkey,
                         const std::string& name, platform::RegistryView view);
  std::map<std::string, platform::RegistryValue> values_;
};

}  // namespace sim
