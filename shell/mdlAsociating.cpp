#include "shell/mdlAsociating.h"

#include "app/paths.h"

namespace shell {
namespace {

using platform::RegistryRoot;

constexpr const char* kFileTypeName = "Сценарий установки программ";

// Writes the default value of `key` under HKEY_CLASSES_ROOT. Without the
// rights to do so (a per-user program on Windows) the write fails, and the
// association is simply not made: the user may try again from the menu.
void WriteClassesRoot(app::App& app, const std::string& key, const std::string& value) {
  app::WriteRegistryString(app.platform.registry, RegistryRoot::ClassesRoot, key, "", value);
}

// True when ".ovs" is ours or now taken over; false when the user keeps the
// other program's registration.
bool ClaimExtension(app::App& app, ui::Form* owner) {
  const std::string current =
      app::ReadRegistryString(app.platform.registry, RegistryRoot::ClassesRoot, kExtension, "")
          .value_or("");
  if (current == kProgId) return true;
  if (!current.empty()) {
    const int answer = app.MessageBox(
        "Желаете ли Вы сделать программу Orvanta\r\nпрограммой по умолчания для файлов .ovs?",
        ui::mb::kYesNo | ui::mb::kIconQuestion, app::kAppTitle, owner);
    if (answer != ui::mb::kIdYes) return false;
  }
  WriteClassesRoot(app, kExtension, kProgId);
  WriteClassesRoot(app, kProgId, kFileTypeName);
  return true;
}

void Associate(app::App& app, ui::Form* owner) {
  const std::string program =
      app::AddBackslash(app.platform.system.ProgramFolder()) + "orvanta.exe";
  if (!ClaimExtension(app, owner)) return;
  const std::string key = kProgId;
  WriteClassesRoot(app, key + "\\shell", "Open");
  WriteClassesRoot(app, key + "\\shell\\Open", "Открыть в Orvanta");
  WriteClassesRoot(app, key + "\\DefaultIcon", program + ",0");
  WriteClassesRoot(app, key + "\\shell\\Open\\command", "\"" + program + "\" /add %1");
}

}  // namespace

void RunAssociationOnce(app::App& app, ui::Form* owner) {
  if (app.settings.Get(app::setting::kRegistry) != "0") return;
  Associate(app, owner);
  app.settings.Save(app::setting::kRegistry, "1");
}

void AssociateAgain(app::App& app, ui::Form* owner) {
  app.settings.Save(app::setting::kRegistry, "0");
  RunAssociationOnce(app, owner);
}

}  // namespace shell
