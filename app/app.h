#pragma once
// The one object that owns the program's process-wide state. A test makes a
// simulated machine and a fresh App; the Windows program makes one of each.
#include <memory>
#include <string>

#include "app/macros.h"
#include "app/settings.h"
#include "dialogs/statistics.h"
#include "platform/platform.h"
#include "script/ovs_script.h"

namespace library {
class FrmMain;
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

  std::string Expand(const std::string& text) const;
  std::string Contract(const std::string& text) const;

  // A modal message box; without a caption of its own it shows the
  // application title.
  int MessageBox(const std::string& text, unsigned flags = 0,
                 const std::string& caption = kAppTitle, ui::Form* owner = nullptr);

  library::FrmMain& MainWindow();

 private:
  std::unique_ptr<library::FrmMain> mainWindow_;
};

}  // namespace app
