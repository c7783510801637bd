#pragma once
// The one object that owns the program's process-wide state. A test makes a
// simulated machine and a fresh App; the Windows program makes one of each.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/macros.h"
#include "app/settings.h"
#include "dialogs/statistics.h"
#include "platform/platform.h"
#include "script/ovs_script.h"

namespace library {
class FrmMain;
}
namespace engine {
class FrmStels;
struct RunState;
}
namespace script {
class ControlBarLink;
}

namespace app {

constexpr const char* kAppTitle = "Orvanta";

// The package being recorded or edited, filled by the package dialog.
struct PendingPackage {
  std::string programPath;
  std::string packageName;
  std::string description;
  std::string parameters;
};

// A run started from the command line, with nobody at the keyboard.
struct UnattendedRun {
  int speed = -1;           // 0..2 for this run only; -1 = the stored speed
  int timeoutSeconds = 0;   // 0 = wait for a window without limit
  std::string reportPath;   // empty = show the statistics window at the end
  bool messages = false;    // every gesture as window messages, none as mouse input
  std::string logPath = "";  // empty = no log
};

// How the program ends; a run's report says which packages did not complete.
namespace exit_code {
constexpr int kAllComplete = 0;
// Every package completed, and Windows must restart to finish an
// installation (what msiexec returns then: a "soft restart").
constexpr int kRestartNeeded = 3010;
constexpr int kIncomplete = 1;      // some packages of the run did not complete
constexpr int kBadCommandLine = 2;  // nothing was played or recorded
// Another copy of the program is running, or Windows Installer stayed busy
// with another installation: what msiexec returns then, which deployment
// systems read as "try again later".
constexpr int kTryAgainLater = 1618;
}  // namespace exit_code

class App {
 public:
  explicit App(platform::Platform& platform);
  ~App();

  platform::Platform& platform;
  Settings settings;
  MacroTable macros;
  std::string scriptFolder;  // the library folder shown, no trailing backslash
  PendingPackage pendingPackage;
  script::ScriptBuffer script;
  dialogs::Statistics statistics;  // one entry per script of the batch being played

  // Replaying and recording gestures.
  platform::Point pressPoint;                    // screen point of the last replayed press
  platform::WindowHandle lastTargetWindow = 0;   // window of the last press
  int mouseScaleX = 0, mouseScaleY = 0;          // absolute mouse units per screen pixel
  script::ControlBarLink* controlBar = nullptr;  // the open control bar, null when closed
  // The setup the player launched last, followed until its processes end
  // (null when none is followed).
  std::unique_ptr<platform::Process> setupProcess;

  // Recording or playing: what the control bar does when it opens.
  bool recordingMode = false;
  std::vector<std::string> playQueue;  // script paths from index 1; index 0 is empty
  std::string currentScriptPath;
  std::optional<UnattendedRun> unattended;
  // The state of a run that a restart ended, to be gone on with.
  std::unique_ptr<engine::RunState> resumed;
  int exitCode = 0;  // of a run that ends before the message loop starts

  std::string Expand(const std::string& text) const;
  std::string Contract(const std::string& text) const;

  // A modal message box; without a caption of its own it shows the
  // application title.
  int MessageBox(const std::string& text, unsigned flags = 0,
                 const std::string& caption = kAppTitle, ui::Form* owner = nullptr);

  library::FrmMain& MainWindow();
  engine::FrmStels& ControlBar();

 private:
  std::unique_ptr<library::FrmMain> mainWindow_;
  std::unique_ptr<engine::FrmStels> controlBarWindow_;
};

}  // namespace app
