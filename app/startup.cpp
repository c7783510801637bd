#include "app/startup.h"

#include "app/command_line.h"
#include "app/paths.h"
#include "engine/unattended.h"
#include "library/frmMain.h"
#include "platform/text.h"

namespace app {
namespace {

constexpr size_t kMinCommandChars = 7;  // "/ADD" plus at least a short path
constexpr const char* kSecondCopy = "Повторный запуск!";

std::string SpeedFromText(const std::string& value) {
  return value == "0" || value == "1" ? value : "2";
}

}  // namespace

std::string IniFilePath(const App& app) {
  return AddBackslash(app.platform.system.ProgramFolder()) + kIniFileName;
}

bool CheckSingleInstance(App& app) {
  if (app.platform.system.ClaimSingleInstance(kAppTitle)) return true;
  app.MessageBox(kSecondCopy, ui::mb::kOk);
  return false;
}

void ReadCdSettings(App& app) {
  const std::string file = IniFilePath(app);
  if (!PathExists(app.platform.files, file)) {
    app.MessageBox("Не найден файл настроек \"" + file + "\".\r\n" +
                       "Вам придётся вручную указать месторасположение папки содержащей OVS-файлы.",
                   ui::mb::kOk);
    return;
  }
  const auto& ini = app.platform.ini;
  const std::string speed = ini.GetString(file, kIniSection, "SpeedInstall", "2");
  if (!speed.empty()) app.settings.Save(setting::kSpeed, SpeedFromText(speed));

  const std::string folder = ini.GetString(file, kIniSection, "OVSFolder", "%cdrom%\\Folder OVS");
  if (text::CharCount(folder) > 1) {
    const std::string expanded = app.Expand(folder);
    if (PathExists(app.platform.files, expanded)) app.settings.Save(setting::kFolderOvs, expanded);
  }
}

void ApplyCommandLine(App& app) {
  const std::string line = text::Trim(app.platform.system.CommandLine());
  if (text::CharCount(line) < kMinCommandChars) return;
  if (!text::StartsWithNoCase(line, "/ADD")) return;
  const std::string argument = text::TrimLeft(line.substr(4));
  if (!PathExists(app.platform.files, argument)) return;
  const std::string folder = FolderOfPath(argument);
  // A bare name without a folder would only wipe the remembered library.
  if (!folder.empty()) app.settings.Save(setting::kFolderOvs, folder);
}

bool WriteGeneralSetting(App& app, const std::string& key, const std::string& value) {
  if (key.empty() || value.empty()) return true;
  if (app.platform.ini.PutString(IniFilePath(app), kIniSection, key, value)) return true;
  app.MessageBox("Запись в файл - провалена. Возможно\n установлен атрибут только для чтения",
                 ui::mb::kOk);
  return false;
}

bool Main(App& app) {
  const CommandLineRun run = ParseRunCommand(app.platform.files, app.platform.system.CommandLine());
  const bool commandLineRun = run.kind != CommandLineRun::Kind::None || !run.error.empty();
  if (!app.platform.system.ClaimSingleInstance(kAppTitle)) {
    if (commandLineRun) {
      engine::TellAboutRun(app, run, kSecondCopy);
    } else {
      app.MessageBox(kSecondCopy, ui::mb::kOk);
    }
    app.exitCode = exit_code::kTryAgainLater;
    return false;
  }
  app.macros = BuildMacroTable(app.platform);
  if (IsRunningFromDisc(app.platform.files, app.platform.system.ProgramFolder())) {
    // A run with a report never waits for anybody, not even for this message.
    if (!commandLineRun || run.options.reportPath.empty()) ReadCdSettings(app);
  } else if (!commandLineRun) {
    ApplyCommandLine(app);
  }
  if (commandLineRun) return engine::StartCommandLineRun(app, run);
  app.MainWindow().Show();
  return true;
}

}  // namespace app
