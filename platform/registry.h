#pragma once
// The registry, reduced to what the program reads and writes.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

enum class RegistryType {
  String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7, Other = 0
};

// Which of the two registries of 64-bit Windows a key is read in: the
// program's own (64-bit), or the one that 32-bit programs see, where
// HKLM\SOFTWARE is HKLM\SOFTWARE\WOW6432Node.
enum class RegistryView { Default, Bits32 };

struct RegistryValue {
  RegistryType type = RegistryType::String;
  // String types: the stored text, NULs included when stored; a multi-string
  // holds its strings each followed by a NUL.
  std::string text;
  uint32_t number = 0;  // Dword
};

class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::optional<RegistryValue> ReadValue(RegistryRoot root, const std::string& subkey,
                                                 const std::string& name,
                                                 RegistryView view = RegistryView::Default) const = 0;
  // The names of a key's subkeys; none when the key is missing.
  virtual std::vector<std::string> SubkeyNames(RegistryRoot root, const std::string& subkey,
                                               RegistryView view = RegistryView::Default) const = 0;
  // Creates the key path when missing and stores a string value.
  virtual bool WriteString(RegistryRoot root, const std::string& subkey, const std::string& name,
                           const std::string& value) = 0;
  // True when the value is gone afterwards (it was removed or never there).
  virtual bool DeleteValue(RegistryRoot root, const std::string& subkey,
                           const std::string& name) = 0;
};

}  // namespace platform
