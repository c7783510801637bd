#include "dialogs/wizard_plan.h"

#include <cstdio>
#include <map>

#include "app/macros.h"
#include "app/paths.h"
#include "app/stored_text.h"
#include "library/library_order.h"
#include "platform/text.h"

namespace dialogs {
namespace {

constexpr size_t kExtensionLength = 4;  // ".ovs"
constexpr size_t kCdromMacroChars = 7;  // "%cdrom%"

std::string Identity(const std::string& s) {
  return s;
}

bool IsFile(const platform::FileSystem& fs, const std::string& path) {
  const auto attributes = fs.Attributes(path);
  return attributes && !attributes->folder;
}

// The setup program on this machine, or the best guess at it when it is
// nowhere to be found.
std::string FindSetupProgram(const app::App& app, const std::string& stored,
                             const std::string& imageFolder) {
  const std::string expanded = app.Expand(stored);
  if (IsFile(app.platform.files, expanded)) return expanded;
  if (text::StartsWithNoCase(stored, "%cdrom%")) {
    const std::string inImage =
        app::JoinPath(imageFolder, text::DropChars(stored, kCdromMacroChars));
    if (IsFile(app.platform.files, inImage)) return inImage;
  }
  return expanded;
}

// Reads the script's setup program; the copy is left with a problem when
// there is nothing to copy.
void LocateSetup(const app::App& app, const std::string& scriptPath, const std::string& imageFolder,
                 SetupCopy& copy) {
  script::ScriptBuffer script(app.platform.system, Identity);
  if (!script.LoadPlainScript(app.platform.files, scriptPath)) {
    copy.problem = "файл сценария повреждён";
    return;
  }
  const std::string stored = text::Trim(script.ReadProgramPath());
  if (stored.empty()) {
    copy.problem = "программа установки не указана";
    return;
  }
  const std::string program = FindSetupProgram(app, stored, imageFolder);
  if (!IsFile(app.platform.files, program)) {
    copy.problem = "не найдена программа установки " + program;
    return;
  }
  copy.folder = app::FolderOfPath(program);
  if (copy.folder.empty()) {  // a bare name: no folder to look into
    copy.problem = "не найдена программа установки " + program;
    return;
  }
  if (copy.folder.back() == ':') copy.folder += '\\';  // a drive's root, not its current folder
  copy.programName = program.substr(app::AddBackslash(copy.folder).size());
  // The disc's script must be able to hold the path (a package name comes
  // from a file name, which may hold any character).
  const std::string lost = app::CharsOutsideCodePage(app.platform.system, copy.DiscPath());
  if (!lost.empty()) {
    copy.problem = "путь " + copy.DiscPath() + " нельзя сохранить в сценарии (знаки " + lost + ")";
  }
}

// Whether the folder holds nothing but the setup program's own files: no
// sub-folders, no scripts, no other package's setup program, and few files.
bool IsOwnFolder(const std::vector<platform::FolderEntry>& entries, const SetupCopy& copy,
                 const std::vector<SetupCopy>& all) {
  if (int(entries.size()) > kMaxOwnFolderFiles) return false;
  for (const platform::FolderEntry& entry : entries) {
    if (entry.folder || platform::MatchesPattern(entry.name, library::kScriptPattern)) return false;
  }
  for (const SetupCopy& other : all) {
    if (&other == &copy || !other.problem.empty()) continue;
    if (text::EqualsNoCase(other.folder, copy.folder) &&
        !text::EqualsNoCase(other.programName, copy.programName)) {
      return false;
    }
  }
  return true;
}

void ChooseFiles(const platform::FileSystem& fs, const std::vector<SetupCopy>& all,
                 SetupCopy& copy) {
  const auto entries = fs.ListFolder(app::AddBackslash(copy.folder), "*");
  if (!entries) {
    copy.problem = "папка " + copy.folder + " не читается";
    return;
  }
  copy.wholeFolder = IsOwnFolder(*entries, copy, all);
  copy.files = {copy.programName};
  for (const platform::FolderEntry& entry : *entries) {
    const bool program = text::EqualsNoCase(entry.name, copy.programName);
    if (program) {
      copy.bytes += entry.size;
    } else if (copy.wholeFolder) {
      copy.files.push_back(entry.name);
      copy.bytes += entry.size;
    }
  }
}

std::string WithDecimalComma(double value, const char* unit) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", value);
  std::string s = buffer;
  for (char& c : s) {
    if (c == '.') c = ',';
  }
  return s + " " + unit;
}

// "1 файл", "2 файла", "5 файлов", "11 файлов", "21 файл".
std::string Counted(int count, const char* one, const char* few, const char* many) {
  const int lastTwo = count % 100, last = count % 10;
  const char* word = many;
  if (last == 1 && lastTwo != 11) {
    word = one;
  } else if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) {
    word = few;
  }
  return std::to_string(count) + " " + word;
}

std::string LastPart(const std::string& folder) {
  const std::string parent = app::FolderOfPath(folder);
  return parent.empty() ? folder : folder.substr(parent.size() + 1);
}

}  // namespace

std::vector<std::string> ScriptFilesInOrder(const platform::FileSystem& fs,
                                            const platform::System& system,
                                            const std::string& folder) {
  const auto entries = fs.ListFolder(folder, library::kScriptPattern);
  const auto order = library::LibraryOrder(fs, system, folder);
  if (!entries || !order) return {};
  std::map<std::string, std::string> fileOfPackage;
  for (const platform::FolderEntry& entry : *entries) {
    // Hidden and system scripts stay off the disc.
    if (entry.folder || entry.hidden || entry.system || entry.name.size() < kExtensionLength) {
      continue;
    }
    fileOfPackage[entry.name.substr(0, entry.name.size() - kExtensionLength)] = entry.name;
  }
  std::vector<std::string> files;
  for (const std::string& package : *order) {
    const auto file = fileOfPackage.find(package);
    if (file != fileOfPackage.end()) files.push_back(file->second);
  }
  return files;
}

std::string SetupCopy::DiscPath() const {
  return std::string("%cdrom%\\") + kDiscSoftFolder + "\\" + packageName + "\\" + programName;
}

int SetupPlan::FileCount() const {
  int count = 0;
  for (const SetupCopy& c : packages) count += int(c.files.size());
  return count;
}

uint64_t SetupPlan::Bytes() const {
  uint64_t bytes = 0;
  for (const SetupCopy& c : packages) bytes += c.bytes;
  return bytes;
}

int SetupPlan::Problems() const {
  int count = 0;
  for (const SetupCopy& c : packages) count += c.problem.empty() ? 0 : 1;
  return count;
}

SetupPlan PlanSetupCopies(const app::App& app, const std::string& scriptFolder,
                          const std::string& imageFolder) {
  SetupPlan plan;
  const platform::FileSystem& fs = app.platform.files;
  for (const std::string& file : ScriptFilesInOrder(fs, app.platform.system, scriptFolder)) {
    SetupCopy copy;
    copy.scriptFile = file;
    copy.packageName = file.substr(0, file.size() - kExtensionLength);
    LocateSetup(app, app::AddBackslash(scriptFolder) + file, imageFolder, copy);
    plan.packages.push_back(std::move(copy));
  }
  // Every program must be known before any folder can be called its own.
  for (SetupCopy& copy : plan.packages) {
    if (copy.problem.empty()) ChooseFiles(fs, plan.packages, copy);
  }
  return plan;
}

std::string SetupCopyRule() {
  return "Копируется сама программа установки, а вся её папка — только если в ней нет вложенных "
         "папок, файлов OVS и программ других пакетов и не больше " +
         std::to_string(kMaxOwnFolderFiles) + " файлов.";
}

std::string DescribeSetupCopy(const SetupCopy& copy) {
  const std::string head = copy.packageName + " — ";
  if (!copy.problem.empty()) return head + copy.problem;
  if (!copy.wholeFolder) return head + copy.programName + ", " + FormatSize(copy.bytes);
  return head + copy.programName + " с папкой «" + LastPart(copy.folder) +
         "»: " + DescribeAmount(int(copy.files.size()), copy.bytes);
}

std::string DescribeAmount(int files, uint64_t bytes) {
  return CountOfFiles(files) + ", " + FormatSize(bytes);
}

std::string CountOfFiles(int count) {
  return Counted(count, "файл", "файла", "файлов");
}

std::string FormatSize(uint64_t bytes) {
  constexpr double kKilo = 1024.0;
  if (bytes < 1024) return Counted(int(bytes), "байт", "байта", "байт");
  const double b = double(bytes);
  if (b < kKilo * kKilo) return WithDecimalComma(b / kKilo, "КБ");
  if (b < kKilo * kKilo * kKilo) return WithDecimalComma(b / (kKilo * kKilo), "МБ");
  return WithDecimalComma(b / (kKilo * kKilo * kKilo), "ГБ");
}

}  // namespace dialogs
