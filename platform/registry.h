#pragma once
// The registry, reduced to what the program reads and writes.
#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

enum class RegistryType { String = 1, ExpandString = 2, Binary = 3, Dword = 4, Other = 0 };

struct RegistryValue {
  RegistryType type = RegistryType::String;
  std::string text;  // string types: the stored text, NULs included when stored
  uint32_t number = 0;  // Dword
};

class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::string& subkey,
                                                 const std::string& name) const = 0;
  // Creates the key path when missing and stores a string value.
  virtual bool WriteString(RegistryRoot root, const std::string& subkey, const std::string& name,
                           const std::string& value) = 0;
};

}  // namespace platform
