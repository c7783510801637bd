#include "script/save_script.h"

#include "app/paths.h"
#include "app/safe_write.h"
#include "dialogs/file_dialogs.h"
#include "library/library_order.h"

namespace script {
namespace {

constexpr unsigned kQuestion = ui::mb::kYesNo | ui::mb::kIconQuestion;
constexpr const char* kWriteFailedCaption = "Ошибка при сохранении";
constexpr const char* kGiveUpCaption = "Не сохранять?";
constexpr const char* kGiveUpText = "Вы уверены, что отказываетесь сохранить файл?";
constexpr const char* kSaveTitle = "Сохранить";

std::string WriteFailedText(const std::string& path) {
  return "Файл не сохранён.\r\nНевозможно внести изменения в файл \r\n'" + path +
         "'.\r\nЖелаете сохранить файл в другом месте?";
}

// The extension is compared exactly: "name.ovs" becomes "name.ovs.OVS".
std::string WithScriptExtension(std::string path) {
  if (!path.empty() && path.back() == '\0') path.pop_back();
  const std::string ext = kScriptExtension;
  if (path.size() < ext.size() || path.compare(path.size() - ext.size(), ext.size(), ext) != 0) {
    path += ext;
  }
  return path;
}

bool Ask(app::App& app, ui::Form* owner, const std::string& text, const std::string& caption) {
  return app.MessageBox(text, kQuestion, caption, owner) == ui::mb::kIdYes;
}

}  // namespace

std::string ScriptFilePath(const std::string& scriptFolder, const std::string& packageName) {
  return app::AddBackslash(scriptFolder) + packageName + kScriptExtension;
}

bool WriteScriptFile(app::App& app, const std::string& path) {
  return app::WriteFileReplacing(app.platform.files, path, app.script.bytes());
}

bool SaveScript(app::App& app, ui::Form* owner, std::string& path) {
  for (;;) {
    if (WriteScriptFile(app, path)) return true;
    if (!Ask(app, owner, WriteFailedText(path), kWriteFailedCaption)) return false;
    const std::string chosen = dialogs::ShowSaveDialog(app.platform.ui, owner, kScriptFileFilter,
                                                       kSaveTitle, app.scriptFolder);
    if (!chosen.empty()) {
      path = WithScriptExtension(chosen);
    } else if (Ask(app, owner, kGiveUpText, kGiveUpCaption)) {
      return false;
    }
  }
}

bool SaveRecording(app::App& app, ui::Form* controlBar) {
  app::PendingPackage& package = app.pendingPackage;
  package.programPath = app.Contract(package.programPath);
  if (!app.script.AppendProgramPath(package.programPath)) return false;
  app.script.AppendParameters(package.parameters);
  app.script.AppendTimeStamp();
  app.script.ScrambleBuffer();
  // A script recorded again replaces the file the folder holds ("x.ovs").
  std::string path = library::FindScriptPath(app.platform.files, app.scriptFolder,
                                             package.packageName);
  return SaveScript(app, controlBar, path);
}

}  // namespace script
