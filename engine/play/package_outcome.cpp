#include "engine/play/package_outcome.h"

#include <algorithm>

namespace engine {
namespace {

using platform::RegistryRoot;
using platform::RegistryView;

constexpr const char* kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* kSessionManager = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr const char* kPendingRenames = "PendingFileRenameOperations";

struct ListPlace {
  RegistryRoot root;
  RegistryView view;
  const char* label;
};

constexpr ListPlace kListPlaces[] = {
    {RegistryRoot::LocalMachine, RegistryView::Default, "HKLM"},
    {RegistryRoot::LocalMachine, RegistryView::Bits32, "HKLM32"},
    {RegistryRoot::CurrentUser, RegistryView::Default, "HKCU"},
};

std::string StringValue(const platform::Registry& registry, const ListPlace& place,
                        const std::string& key, const char* name) {
  const auto value = registry.ReadValue(place.root, key, name, place.view);
  if (!value || (value->type != platform::RegistryType::String &&
                 value->type != platform::RegistryType::ExpandString)) {
    return {};
  }
  std::string text = value->text;
  text.erase(std::find(text.begin(), text.end(), '\0'), text.end());
  return text;
}

// The strings of a multi-string value, empty ones included (a rename's empty
// target means a delete).
std::vector<std::string> PendingRenames(const platform::Registry& registry) {
  const auto value =
      registry.ReadValue(RegistryRoot::LocalMachine, kSessionManager, kPendingRenames);
  std::vector<std::string> strings;
  if (!value) return strings;
  size_t start = 0;
  const std::string& text = value->text;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\0', start), text.size());
    strings.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  while (!strings.empty() && strings.back().empty()) strings.pop_back();
  return strings;
}

const InstalledProgram* FindByKey(const std::vector<InstalledProgram>& list,
                                  const std::string& key) {
  for (const InstalledProgram& program : list) {
    if (program.key == key) return &program;
  }
  return nullptr;
}

// A rename of the setup's own: a pair of source and target not pending before.
bool AddsRenames(const std::vector<std::string>& before, const std::vector<std::string>& after) {
  for (size_t i = 0; i < after.size(); i += 2) {
    const std::string target = i + 1 < after.size() ? after[i + 1] : std::string();
    bool known = false;
    for (size_t j = 0; j < before.size() && !known; j += 2) {
      const std::string oldTarget = j + 1 < before.size() ? before[j + 1] : std::string();
      known = before[j] == after[i] && oldTarget == target;
    }
    if (!known) return true;
  }
  return false;
}

}  // namespace

std::vector<InstalledProgram> ReadInstalledPrograms(const platform::Registry& registry) {
  std::vector<InstalledProgram> programs;
  for (const ListPlace& place : kListPlaces) {
    for (const std::string& name : registry.SubkeyNames(place.root, kUninstall, place.view)) {
      const std::string key = std::string(kUninstall) + "\\" + name;
      InstalledProgram program;
      program.key = std::string(place.label) + "\\" + name;
      program.name = StringValue(registry, place, key, "DisplayName");
      // The list of installed programs leaves out what has no name.
      if (program.name.empty()) continue;
      program.version = StringValue(registry, place, key, "DisplayVersion");
      program.publisher = StringValue(registry, place, key, "Publisher");
      programs.push_back(std::move(program));
    }
  }
  return programs;
}

std::string ProgramText(const InstalledProgram& program) {
  std::string text = program.name;
  if (!program.version.empty()) text += " " + program.version;
  if (!program.publisher.empty()) text += " (" + program.publisher + ")";
  return text;
}

bool PackageOutcome::ExitSaysSuccess() const {
  return !exitCode || *exitCode == 0 || *exitCode == setup_code::kRestartRequired ||
         *exitCode == setup_code::kRestartStarted;
}

void OutcomeWatch::Begin() {
  open_ = true;
  before_ = {ReadInstalledPrograms(registry_), PendingRenames(registry_)};
}

std::optional<ListsBefore> OutcomeWatch::Taken() const {
  if (!open_) return std::nullopt;
  return before_;
}

void OutcomeWatch::Reopen(ListsBefore before) {
  open_ = true;
  before_ = std::move(before);
}

PackageOutcome OutcomeWatch::Conclude(const platform::Process* setup) {
  open_ = false;
  PackageOutcome outcome;
  for (const InstalledProgram& now : ReadInstalledPrograms(registry_)) {
    const InstalledProgram* was = FindByKey(before_.programs, now.key);
    if (!was) {
      outcome.installed.push_back(now);
    } else if (was->version != now.version || was->name != now.name) {
      outcome.updated.push_back(now);
      outcome.updatedFrom.push_back(was->version);
    }
  }
  if (setup) outcome.exitCode = setup->ExitCode();
  const bool restartCode = outcome.exitCode && (*outcome.exitCode == setup_code::kRestartRequired ||
                                                *outcome.exitCode == setup_code::kRestartStarted);
  outcome.restartNeeded = restartCode || AddsRenames(before_.renames, PendingRenames(registry_));
  return outcome;
}

}  // namespace engine
