#include "app/settings.h"

#include "app/paths.h"
#include "platform/text.h"

namespace app {
namespace {

std::string SectionKey(const SettingKey& k) {
  return std::string(Settings::kRootKey) + "\\" + k.section;
}

}  // namespace

std::string Settings::Get(const SettingKey& k) const {
  auto value = ReadRegistryString(registry_, platform::RegistryRoot::CurrentUser, SectionKey(k),
                                  k.key);
  return value ? *value : k.fallback;
}

long long Settings::GetNumber(const SettingKey& k) const {
  return text::ParseNumber(Get(k), text::ParseNumber(k.fallback, 0));
}

void Settings::Save(const SettingKey& k, const std::string& value) {
  WriteRegistryString(registry_, platform::RegistryRoot::CurrentUser, SectionKey(k), k.key, value);
}

}  // namespace app
