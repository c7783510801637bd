#include "shell/installed_programs.h"

namespace shell {

void OpenInstalledProgramsPanel(app::App& app, platform::WindowHandle owner) {
  constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED
  app.platform.shell.Execute(owner, "open", "rundll32.exe",
                             "shell32.dll,Control_RunDLL appwiz.cpl", "", kShowMinimized);
}

}  // namespace shell
