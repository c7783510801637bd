#include "dialogs/wizard_copy.h"

#include "app/paths.h"
#include "app/safe_write.h"
#include "app/startup.h"
#include "library/library_order.h"
#include "platform/text.h"

namespace dialogs {
namespace {

constexpr const char* kProgramFolder = "Orvanta";
constexpr const char* kProgramFile = "Orvanta.exe";
constexpr const char* kSettingsFile = "Orvanta.ini";
constexpr const char* kHelpFile = "help.chm";
constexpr const char* kPositionFile = "position.lst";
constexpr const char* kAutorunFile = "autorun.inf";
constexpr const char* kDiscScriptMacroFolder = "%cdrom%\\Folder OVS";
// A build linked against the compiler's run-time libraries needs them beside
// it; the released program is linked statically and needs none.
constexpr const char* kRuntimeLibraries[] = {"libstdc++-6.dll", "libgcc_s_seh-1.dll",
                                             "libwinpthread-1.dll"};

std::string Identity(const std::string& s) {
  return s;
}

std::string In(const std::string& folder, const std::string& name) {
  return app::AddBackslash(folder) + name;
}

}  // namespace

ImageCopy::ImageCopy(app::App& app, ui::Form* owner, std::string imageFolder,
                     std::string scriptFolder, int speed)
    : app_(app),
      owner_(owner),
      image_(std::move(imageFolder)),
      scripts_(std::move(scriptFolder)),
      speed_(speed) {}

std::string ImageCopy::Image(const std::string& name) const {
  return In(image_, name);
}

bool ImageCopy::CreateFolder(const std::string& path) {
  if (app::PathExists(app_.platform.files, path)) return true;
  // The o of "Сoздание" is a Latin letter: the log has always been written so.
  log += "Сoздание папки " + path + "\r\n";
  const bool created = app_.platform.files.CreateFolder(path);
  if (!created) log += "Ошибка создания папки " + path + "\r\n";
  return created;
}

bool ImageCopy::CopyOneFile(const std::string& source, const std::string& target) {
  platform::FileSystem& fs = app_.platform.files;
  // A read-only file already in the image is kept: its copy fails.
  const bool copied = text::EqualsNoCase(source, target)
                          ? fs.Attributes(source).has_value()  // already where it belongs
                          : fs.CopyFile(source, target, /*failIfExists=*/false);
  log += "Копирование файла `" + source + "` в `" + target + "\r\n";
  // Files copied from a CD are read-only; the image's copies must not be.
  // A file that was not copied keeps its protection.
  if (copied) fs.SetReadOnly(target, false);
  if (!copied) log += "Ошибка копирования файла\r\n";
  if (onFileCopied) onFileCopied();
  return copied;
}

int ImageCopy::FilesToCopy(const SetupPlan* setups) const {
  const int scripts =
      int(ScriptFilesInOrder(app_.platform.files, app_.platform.system, scripts_).size());
  const int positionAndProgram = 4;  // position.lst, the program, its settings and help
  return scripts + positionAndProgram + (setups ? setups->FileCount() : 0);
}

bool ImageCopy::CopyAllFiles(const SetupPlan* setups) {
  const auto files = ScriptFilesInOrder(app_.platform.files, app_.platform.system, scripts_);
  if (files.empty()) return false;
  bool ok = CopyScripts(files);
  ok = CopyProgram() && ok;
  if (setups) ok = CopySetupPrograms(*setups) && ok;
  return ok;
}

bool ImageCopy::CopyScripts(const std::vector<std::string>& files) {
  const std::string folder = Image(kDiscScriptFolder);
  bool ok = CreateFolder(folder);
  for (const std::string& file : files)
    ok = CopyOneFile(In(scripts_, file), In(folder, file)) && ok;
  std::string positions = In(scripts_, kPositionFile);
  if (!app::PathExists(app_.platform.files, positions)) {
    positions = library::PositionListPath(app_.platform.files, scripts_);  // "Position.lst"
  }
  return CopyOneFile(positions, In(folder, kPositionFile)) && ok;
}

bool ImageCopy::CopyProgram() {
  const std::string program = app_.platform.system.ProgramFolder();
  const std::string folder = Image(kProgramFolder);
  bool ok = CreateFolder(folder);
  ok = CopyOneFile(In(program, kProgramFile), In(folder, kProgramFile)) && ok;
  const std::string settings = In(program, kSettingsFile);
  const bool copySettings = app::PathExists(app_.platform.files, settings);
  if (copySettings) ok = CopyOneFile(settings, In(folder, kSettingsFile)) && ok;
  ok = WriteDiscSettings(In(folder, kSettingsFile), copySettings) && ok;
  ok = CopyOneFile(In(program, kHelpFile), In(folder, kHelpFile)) && ok;
  CopyRuntimeLibraries(folder);
  return ok;
}

// The settings beside the program were written when the scripts were chosen,
// but a program folder that the user may not change (Program Files) keeps
// them out; the disc's copy gets them in any case.
bool ImageCopy::WriteDiscSettings(const std::string& target, bool copiedFromProgram) {
  platform::IniFiles& ini = app_.platform.ini;
  const bool written =
      ini.PutString(target, app::kIniSection, "SpeedInstall", std::to_string(speed_)) &&
      ini.PutString(target, app::kIniSection, "OVSFolder", kDiscScriptMacroFolder);
  if (!written) {
    log += "Ошибка записи файла настроек " + target + "\r\n";
  } else if (!copiedFromProgram) {
    log += "Создание файла настроек " + target + "\r\n";
  }
  return written;
}

void ImageCopy::CopyRuntimeLibraries(const std::string& folder) {
  const std::string system32 = In(app_.platform.system.WindowsFolder(), "System32");
  for (const char* library : kRuntimeLibraries) {
    for (const std::string& from : {app_.platform.system.ProgramFolder(), system32}) {
      if (!app::PathExists(app_.platform.files, In(from, library))) continue;
      CopyOneFile(In(from, library), In(folder, library));  // not counted
      break;
    }
  }
}

bool ImageCopy::CopySetupPrograms(const SetupPlan& plan) {
  const std::string soft = Image(kDiscSoftFolder);
  bool ok = CreateFolder(soft);
  for (const SetupCopy& copy : plan.packages) {
    if (!CopySetupProgram(copy, soft)) {
      setupFailures.push_back(copy.packageName);
      ok = false;
    }
  }
  return ok;
}

bool ImageCopy::CopySetupProgram(const SetupCopy& copy, const std::string& softFolder) {
  if (!copy.problem.empty()) {
    log += "Ошибка: пакет " + copy.packageName + " — " + copy.problem + "\r\n";
    return false;
  }
  const std::string folder = In(softFolder, copy.packageName);
  bool ok = CreateFolder(folder);
  for (const std::string& name : copy.files) {
    ok = CopyOneFile(In(copy.folder, name), In(folder, name)) && ok;
  }
  return ok && PointScriptAtDisc(copy);
}

// The disc's copy of the script names the program on the disc; the
// library's own script stays as it is.
bool ImageCopy::PointScriptAtDisc(const SetupCopy& copy) {
  const std::string source = In(scripts_, copy.scriptFile);
  const std::string target = In(Image(kDiscScriptFolder), copy.scriptFile);
  script::ScriptBuffer script(app_.platform.system, Identity);
  bool ok = !text::EqualsNoCase(source, target) &&
            script.LoadPlainScript(app_.platform.files, source) &&
            script.ReplaceProgramPath(copy.DiscPath());
  if (ok) {
    script.ScrambleBuffer();
    ok = app::WriteFileReplacing(app_.platform.files, target, script.bytes());
  }
  if (ok) {
    log += "Путь к программе установки в " + target + " заменён на " + copy.DiscPath() + "\r\n";
  } else {
    log += "Ошибка замены пути к программе установки в " + target + "\r\n";
  }
  return ok;
}

bool ImageCopy::CreateAutorunIni() {
  const std::string file = Image(kAutorunFile);
  platform::IniFiles& ini = app_.platform.ini;
  // Both keys count: a file without "open" starts nothing.
  const bool open = ini.PutString(file, "Autorun", "open", "orvanta\\Orvanta.exe");
  const bool icon = ini.PutString(file, "Autorun", "icon", "orvanta\\Orvanta.exe,0");
  if (open && icon) {
    log += "Создание файла автозапуска " + file + "\r\n";
    return true;
  }
  log += "Ошибка создания файла автозапуска " + file + "\r\n";
  app_.MessageBox("Запись в файл - провалена. Возможно\n установлен атрибут только для чтения",
                  ui::mb::kOk, app::kAppTitle, owner_);
  return false;
}

}  // namespace dialogs
