#pragma once
// What a package's setup did to the machine, as a deployment system checks
// it: the installed-programs entries that appeared or changed, the code its
// first process ended with, and whether Windows must restart.
#include <optional>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/shell.h"

namespace engine {

// An entry of the list of installed programs (an Uninstall key).
struct InstalledProgram {
  std::string key;  // where it is: the registry view and root, then the key's name
  std::string name, version, publisher;
};

// "7-Zip 23.01 (Igor Pavlov)": name, version and publisher as far as known.
std::string ProgramText(const InstalledProgram& program);

// Every entry with a display name, of HKLM in both registry views and of HKCU.
std::vector<InstalledProgram> ReadInstalledPrograms(const platform::Registry& registry);

// Said of a package played to its end whose setup changed no entry: some
// setups write none, and a reinstall changes none.
constexpr const char* kNothingListed = "В списке установленных программ ничего не появилось";

struct PackageOutcome {
  std::vector<InstalledProgram> installed;
  std::vector<InstalledProgram> updated;  // the entry as it is now
  std::vector<std::string> updatedFrom;   // the version each updated entry had
  std::optional<unsigned long> exitCode;  // none: still running, or ended by us
  bool restartNeeded = false;
  // A setup's code that says success: 0, or success that waits for a restart.
  bool ExitSaysSuccess() const;
};

namespace setup_code {
constexpr unsigned long kRestartRequired = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED
constexpr unsigned long kRestartStarted = 1641;   // ERROR_SUCCESS_REBOOT_INITIATED
}  // namespace setup_code

// The lists a package's outcome is judged against, as they were before its
// setup started.
struct ListsBefore {
  std::vector<InstalledProgram> programs;
  std::vector<std::string> renames;  // PendingFileRenameOperations, pair by pair
};

// Taken before a package's setup starts, and concluded once it has ended.
class OutcomeWatch {
 public:
  explicit OutcomeWatch(const platform::Registry& registry) : registry_(registry) {}

  void Begin();
  bool open() const { return open_; }
  // The setup's processes are gone, or no longer waited for: what changed.
  PackageOutcome Conclude(const platform::Process* setup);
  void Forget() { open_ = false; }
  // What the watch was begun with, while it is open: kept on disk, so that
  // a package a restart cut short is concluded after it.
  std::optional<ListsBefore> Taken() const;
  void Reopen(ListsBefore before);

 private:
  const platform::Registry& registry_;
  bool open_ = false;
  ListsBefore before_;
};

}  // namespace engine
