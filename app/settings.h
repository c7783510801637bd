#pragma once
// The per-user settings store: HKEY_CURRENT_USER\Software\Orvanta\<Section>,
// one string value per key.
#include <string>

#include "platform/registry.h"

namespace app {

struct SettingKey {
  const char* section;
  const char* key;
  const char* fallback;  // returned when the value is absent
};

namespace setting {
constexpr SettingKey kFolderOvs{"Path", "FolderOVS", ""};
constexpr SettingKey kFolderBrowseExe{"Path", "FolderBrowseExe", "c:\\"};
constexpr SettingKey kSpeed{"Install", "Speed", "2"};
constexpr SettingKey kRegistry{"Install", "Registry", "0"};
constexpr SettingKey kTopMost{"View", "TopMost", "0"};
constexpr SettingKey kFirstTip{"View", "FirstTip", "0"};
constexpr SettingKey kPauseTip{"View", "PauseTip", "0"};
}  // namespace setting

class Settings {
 public:
  static constexpr const char* kRootKey = "Software\\Orvanta";

  explicit Settings(platform::Registry& registry) : registry_(registry) {}
  std::string Get(const SettingKey& k) const;
  // The value read as a number; text that is not a number reads as the
  // default's number, so a damaged value never switches an option on.
  long long GetNumber(const SettingKey& k) const;
  void Save(const SettingKey& k, const std::string& value);

 private:
  platform::Registry& registry_;
};

}  // namespace app
