#pragma once
// Windows profile (INI) files.
#include <string>

namespace platform {

class IniFiles {
 public:
  virtual ~IniFiles() = default;
  // The value of section/key, or `fallback` when the file, section or key is
  // absent. Values longer than 127 characters are cut, as the fixed buffer of
  // the original call did.
  virtual std::string GetString(const std::string& file, const std::string& section,
                                const std::string& key, const std::string& fallback) const = 0;
  virtual bool PutString(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& value) = 0;
};

}  // namespace platform
