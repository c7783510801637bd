// Profile files and the registry.
#include "platform/win32/windows_api.h"

#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_services.h"

namespace win32 {
namespace {

constexpr DWORD kProfileBufferChars = 128;

HKEY RootKey(platform::RegistryRoot root) {
  switch (root) {
    case platform::RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case platform::RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case platform::RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
  }
  return HKEY_CURRENT_USER;
}

REGSAM ViewFlag(platform::RegistryView view) {
  return view == platform::RegistryView::Bits32 ? KEY_WOW64_32KEY : 0;
}

// Closes a registry key when it goes out of scope.
struct Key {
  HKEY h = nullptr;
  ~Key() {
    if (h) RegCloseKey(h);
  }
};

}  // namespace

std::string Win32IniFiles::GetString(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& fallback) const {
  wchar_t buffer[kProfileBufferChars] = {};
  const DWORD n = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(),
                                           Wide(fallback).c_str(), buffer, kProfileBufferChars,
                                           Wide(file).c_str());
  return Utf8(std::wstring(buffer, n));
}

bool Win32IniFiles::PutString(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& value) {
  return WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    Wide(file).c_str()) != 0;
}

std::optional<platform::RegistryValue> Win32Registry::ReadValue(platform::RegistryRoot root,
                                                                const std::string& subkey,
                                                                const std::string& name,
                                                                platform::RegistryView view) const {
  Key key;
  if (RegOpenKeyExW(RootKey(root), Wide(subkey).c_str(), 0, KEY_QUERY_VALUE | ViewFlag(view),
                    &key.h) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring valueName = Wide(name);
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.h, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::vector<BYTE> data(size + sizeof(wchar_t), 0);
  if (RegQueryValueExW(key.h, valueName.c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  platform::RegistryValue value;
  switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_MULTI_SZ:
      value.type = type == REG_SZ           ? platform::RegistryType::String
                   : type == REG_EXPAND_SZ  ? platform::RegistryType::ExpandString
                                            : platform::RegistryType::MultiString;
      value.text = Utf8(std::wstring(reinterpret_cast<const wchar_t*>(data.data()),
                                     size / sizeof(wchar_t)));
      break;
    case REG_DWORD:
      value.type = platform::RegistryType::Dword;
      if (size >= 4) memcpy(&value.number, data.data(), 4);
      break;
    case REG_BINARY: value.type = platform::RegistryType::Binary; break;
    default: value.type = platform::RegistryType::Other; break;
  }
  return value;
}

std::vector<std::string> Win32Registry::SubkeyNames(platform::RegistryRoot root,
                                                    const std::string& subkey,
                                                    platform::RegistryView view) const {
  std::vector<std::string> names;
  Key key;
  if (RegOpenKeyExW(RootKey(root), Wide(subkey).c_str(), 0,
                    KEY_ENUMERATE_SUB_KEYS | ViewFlag(view), &key.h) != ERROR_SUCCESS) {
    return names;
  }
  constexpr DWORD kLongestKeyName = 256;  // with its NUL
  for (DWORD index = 0;; ++index) {
    wchar_t name[kLongestKeyName];
    DWORD length = kLongestKeyName;
    const LONG status = RegEnumKeyExW(key.h, index, name, &length, nullptr, nullptr, nullptr,
                                      nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    names.push_back(Utf8(std::wstring(name, length)));
  }
  return names;
}

bool Win32Registry::DeleteValue(platform::RegistryRoot root, const std::string& subkey,
                                const std::string& name) {
  Key key;
  const LONG opened = RegOpenKeyExW(RootKey(root), Wide(subkey).c_str(), 0, KEY_SET_VALUE, &key.h);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG status = RegDeleteValueW(key.h, Wide(name).c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

bool Win32Registry::WriteString(platform::RegistryRoot root, const std::string& subkey,
                                const std::string& name, const std::string& value) {
  Key key;
  if (RegCreateKeyExW(RootKey(root), Wide(subkey).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key.h, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring w = Wide(value);
  return RegSetValueExW(key.h, Wide(name).c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(w.c_str()),
                        DWORD((w.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace win32
